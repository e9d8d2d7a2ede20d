// The protocol side of the Wayland front end: one connection of our own to the compositor, read on Qt's
// loop; keys in from the keyboard grab, commits and the composition out through the input method, keys
// we do not take out through the virtual keyboard, in the order they came.
#include "imvara/wayland/wayland_front.h"

#include "input-method-unstable-v2-client-protocol.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace imvara {

namespace {

// Shift in the modifier masks of every XKB keymap: the first of the core modifiers.
constexpr std::uint32_t kShiftModifierBit = 1u << 0;
// How long a commit waits for the answer. Answers come within milliseconds, or a few tens of them on a
// loaded machine; the first wait is longer, since giving up on it stops the waiting altogether.
constexpr int kFirstAnswerWaitMs = 200;
constexpr int kAnswerWaitMs = 150;

template <class T>
T* bindGlobal(wl_registry* registry, std::uint32_t name, const wl_interface* interface, std::uint32_t offered,
              std::uint32_t wanted) {
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

} // namespace

const wl_registry_listener WaylandFront::kRegistryListener = {&WaylandFront::global, &WaylandFront::globalRemove};

const zwp_input_method_v2_listener WaylandFront::kInputMethodListener = {
    // activate, deactivate: applied on done
    [](void* data, zwp_input_method_v2*) { static_cast<WaylandFront*>(data)->m_pendingActive = true; },
    [](void* data, zwp_input_method_v2*) { static_cast<WaylandFront*>(data)->m_pendingActive = false; },
    [](void*, zwp_input_method_v2*, const char*, std::uint32_t, std::uint32_t) {}, // surrounding text
    [](void*, zwp_input_method_v2*, std::uint32_t) {},                             // text change cause
    [](void*, zwp_input_method_v2*, std::uint32_t, std::uint32_t) {},              // content type
    [](void* data, zwp_input_method_v2*) {
        auto* self = static_cast<WaylandFront*>(data);
        ++self->m_doneCount;
        if (self->m_answerPending)
            self->m_answering = Answering::Answers;
        self->m_answerPending = false;
        // A held commit goes out to the text field it was typed into, before any change of field.
        self->releaseHeldCommit();
        self->applyActivation(self->m_pendingActive);
    },
    [](void* data, zwp_input_method_v2*) {
        auto* self = static_cast<WaylandFront*>(data);
        self->m_unavailable = true;
        self->applyActivation(false);
    },
};

const zwp_input_method_keyboard_grab_v2_listener WaylandFront::kGrabListener = {
    [](void* data, zwp_input_method_keyboard_grab_v2*, std::uint32_t format, int fd, std::uint32_t size) {
        static_cast<WaylandFront*>(data)->onKeymap(format, fd, size);
    },
    [](void* data, zwp_input_method_keyboard_grab_v2*, std::uint32_t, std::uint32_t time, std::uint32_t key,
       std::uint32_t state) { static_cast<WaylandFront*>(data)->onKey(time, key, state); },
    [](void* data, zwp_input_method_keyboard_grab_v2*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
       std::uint32_t locked, std::uint32_t group) {
        auto* self = static_cast<WaylandFront*>(data);
        RawKey change{0, 0, false, true, {depressed, latched, locked, group}};
        self->m_keyQueue.push_back(change);
        self->drainKeys();
    },
    [](void* data, zwp_input_method_keyboard_grab_v2*, std::int32_t rate, std::int32_t delay) {
        auto* self = static_cast<WaylandFront*>(data);
        self->m_repeatRate = std::max(rate, 0);
        self->m_repeatDelay = std::max(delay, 0);
    },
};

void WaylandFront::global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                          std::uint32_t version) {
    auto* self = static_cast<WaylandFront*>(data);
    const std::string_view which(interface);
    if (which == wl_compositor_interface.name && !self->m_compositor)
        self->m_compositor = bindGlobal<wl_compositor>(registry, name, &wl_compositor_interface, version, 4);
    else if (which == wl_shm_interface.name && !self->m_shm)
        self->m_shm = bindGlobal<wl_shm>(registry, name, &wl_shm_interface, version, 1);
    else if (which == wl_seat_interface.name && !self->m_seat)
        self->m_seat = bindGlobal<wl_seat>(registry, name, &wl_seat_interface, version, 1);
    else if (which == zwp_input_method_manager_v2_interface.name)
        self->m_inputMethodManager =
            bindGlobal<zwp_input_method_manager_v2>(registry, name, &zwp_input_method_manager_v2_interface, version, 1);
    else if (which == zwp_virtual_keyboard_manager_v1_interface.name)
        self->m_keyboardManager = bindGlobal<zwp_virtual_keyboard_manager_v1>(
            registry, name, &zwp_virtual_keyboard_manager_v1_interface, version, 1);
    else if (which == zwlr_layer_shell_v1_interface.name)
        self->m_layerShell =
            bindGlobal<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 1);
}

bool WaylandFront::compositorOffersInputMethod() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    struct Offers {
        bool inputMethod = false;
        bool virtualKeyboard = false;
    } offers;
    static const wl_registry_listener listener = {
        [](void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
            auto* found = static_cast<Offers*>(data);
            const std::string_view which(interface);
            found->inputMethod |= which == zwp_input_method_manager_v2_interface.name;
            found->virtualKeyboard |= which == zwp_virtual_keyboard_manager_v1_interface.name;
        },
        [](void*, wl_registry*, std::uint32_t) {},
    };
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offers);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offers.inputMethod && offers.virtualKeyboard;
}

WaylandFront::Opening WaylandFront::open(const TextMeasure& measure, LookupText& lookup) {
    Opening opening{aquine::fail("")};
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        opening.front = aquine::fail("连接不上 Wayland 合成器（WAYLAND_DISPLAY 所指的显示不存在）");
        return opening;
    }
    std::unique_ptr<WaylandFront> front(new WaylandFront(display, measure, lookup));
    front->m_registry = wl_display_get_registry(display);
    wl_registry_add_listener(front->m_registry, &kRegistryListener, front.get());
    wl_display_roundtrip(display);
    if (!front->m_inputMethodManager || !front->m_keyboardManager) {
        opening.front = aquine::fail("此 Wayland 合成器不提供输入法接口 input-method-v2 与虚拟键盘接口");
        return opening;
    }
    if (!front->m_seat || !front->m_compositor || !front->m_shm) {
        opening.front = aquine::fail("Wayland 合成器没有键盘座席或绘图接口，输入法无法工作");
        return opening;
    }
    front->m_inputMethod = zwp_input_method_manager_v2_get_input_method(front->m_inputMethodManager, front->m_seat);
    zwp_input_method_v2_add_listener(front->m_inputMethod, &kInputMethodListener, front.get());
    front->m_virtualKeyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(front->m_keyboardManager, front->m_seat);
    front->sendVirtualKeymap(defaultKeymapText());
    front->m_popupSurface = wl_compositor_create_surface(front->m_compositor);
    front->m_popup = zwp_input_method_v2_get_input_popup_surface(front->m_inputMethod, front->m_popupSurface);
    zwp_input_popup_surface_v2_add_listener(front->m_popup, &kPopupListener, front.get());
    if (wl_display_roundtrip(display) < 0) {
        opening.front = aquine::fail("Wayland 合成器拒绝了输入法（虚拟键盘未获准许）");
        return opening;
    }
    if (front->m_unavailable) {
        opening.alreadyRunning = true;
        opening.front = aquine::fail("已有输入法在此座席上运行");
        return opening;
    }
    front->m_notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(display), QSocketNotifier::Read);
    QObject::connect(front->m_notifier.get(), &QSocketNotifier::activated, front.get(),
                     [self = front.get()] { self->readEvents(); });
    opening.front = std::move(front);
    return opening;
}

WaylandFront::WaylandFront(wl_display* display, const TextMeasure& measure, LookupText& lookup)
    : m_display(display), m_front(measure, lookup, *this) {
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, &WaylandFront::repeatKey);
    m_answerWait.setSingleShot(true);
    connect(&m_answerWait, &QTimer::timeout, this, [this] {
        if (m_answering == Answering::Unknown)
            m_answering = Answering::Silent;
        m_answerPending = false;
        releaseHeldCommit();
        wl_display_flush(m_display);
    });
}

WaylandFront::~WaylandFront() {
    m_notifier.reset();
    hidePanel();
    if (m_grab)
        zwp_input_method_keyboard_grab_v2_release(m_grab);
    if (m_popup)
        zwp_input_popup_surface_v2_destroy(m_popup);
    if (m_popupSurface)
        wl_surface_destroy(m_popupSurface);
    if (m_inputMethod)
        zwp_input_method_v2_destroy(m_inputMethod);
    if (m_virtualKeyboard)
        zwp_virtual_keyboard_v1_destroy(m_virtualKeyboard);
    wl_display_flush(m_display);
    wl_display_disconnect(m_display);
}

void WaylandFront::readEvents() {
    if (wl_display_dispatch(m_display) < 0 || m_unavailable) {
        std::fprintf(stderr, "imvara: %s\n", m_unavailable ? "输入法已被合成器停用" : "与 Wayland 合成器的连接已断开");
        QCoreApplication::exit(m_unavailable ? 0 : 1);
        m_notifier->setEnabled(false);
        return;
    }
    wl_display_flush(m_display);
}

void WaylandFront::applyActivation(bool active) {
    if (active == m_active)
        return;
    m_active = active;
    m_repeat.stop();
    m_front.reset();
    m_pendingCommit.clear();
    m_shownPreedit.clear();
    m_keyQueue.clear();
    m_commitHeld = false;
    m_answerPending = false;
    m_answering = Answering::Unknown;
    m_answerWait.stop();
    if (active && !m_grab) {
        // sway 1.7 crashes on a grab while its seat has no keyboard, as after the last keyboard that
        // typed went away. A change of modifiers on our own makes it the seat's keyboard first (an
        // unchanged state is not passed on, so Shift is pressed and let go in the state alone).
        if (m_virtualKeymapSet) {
            zwp_virtual_keyboard_v1_modifiers(m_virtualKeyboard, m_mods[0] ^ kShiftModifierBit, m_mods[1], m_mods[2],
                                              m_mods[3]);
            zwp_virtual_keyboard_v1_modifiers(m_virtualKeyboard, m_mods[0], m_mods[1], m_mods[2], m_mods[3]);
        }
        // The keyboard is ours while a text field wants the input method: Shift alone must reach us
        // in English input too, to switch back.
        m_grab = zwp_input_method_v2_grab_keyboard(m_inputMethod);
        zwp_input_method_keyboard_grab_v2_add_listener(m_grab, &kGrabListener, this);
    } else if (!active && m_grab) {
        zwp_input_method_keyboard_grab_v2_release(m_grab);
        m_grab = nullptr;
    }
    showCandidates(false);
}

void WaylandFront::onKeymap(std::uint32_t format, int fd, std::uint32_t size) {
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || size == 0) {
        close(fd);
        return;
    }
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED) {
        close(fd);
        return;
    }
    // The text ends with a NUL within size.
    const std::string text(static_cast<const char*>(mapped), strnlen(static_cast<const char*>(mapped), size));
    munmap(mapped, size);
    if (text != m_keys.keymapText()) {
        if (const aquine::Result<> set = m_keys.setKeymap(text); !set) {
            std::fprintf(stderr, "imvara: %s\n", set.reason().c_str());
            close(fd);
            return;
        }
        // Keys passed on must mean to the application what they meant to us.
        zwp_virtual_keyboard_v1_keymap(m_virtualKeyboard, format, fd, size);
        m_virtualKeymapSet = true;
        std::fill(std::begin(m_mods), std::end(m_mods), 0u);
    }
    close(fd);
}

void WaylandFront::onModifiers(const std::uint32_t (&mods)[4]) {
    std::copy(std::begin(mods), std::end(mods), std::begin(m_mods));
    m_keys.setModifiers(mods[0], mods[1], mods[2], mods[3]);
    if (m_virtualKeymapSet)
        zwp_virtual_keyboard_v1_modifiers(m_virtualKeyboard, mods[0], mods[1], mods[2], mods[3]);
}

void WaylandFront::onKey(std::uint32_t time, std::uint32_t key, std::uint32_t state) {
    m_keyQueue.push_back({time, key, state == WL_KEYBOARD_KEY_STATE_PRESSED});
    drainKeys();
}

void WaylandFront::drainKeys() {
    while (!m_commitHeld && !m_keyQueue.empty()) {
        const RawKey next = m_keyQueue.front();
        m_keyQueue.pop_front();
        if (next.modifiers)
            onModifiers(next.mods);
        else
            handleKey(next.time, next.key, next.pressed, false);
    }
}

void WaylandFront::releaseHeldCommit() {
    if (!m_commitHeld)
        return;
    m_commitHeld = false;
    m_answerWait.stop();
    showState();
    if (m_heldPassOn)
        passOn(m_heldKey.time, m_heldKey.key, m_heldKey.pressed);
    drainKeys();
}

void WaylandFront::passOn(std::uint32_t time, std::uint32_t key, bool pressed) {
    zwp_virtual_keyboard_v1_key(m_virtualKeyboard, time, key,
                                pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}

void WaylandFront::repeatKey() {
    if (m_commitHeld || !m_keyQueue.empty())
        return; // behind keys still waiting, a repeat would overtake them
    m_repeat.setInterval(1000 / std::max(m_repeatRate, 1));
    m_repeatTime += static_cast<std::uint32_t>(m_repeat.interval());
    handleKey(m_repeatTime, m_repeatKeyCode, true, true);
    wl_display_flush(m_display);
}

void WaylandFront::handleKey(std::uint32_t time, std::uint32_t key, bool pressed, bool repeated) {
    if (!m_keys.hasKeymap() || !m_virtualKeymapSet)
        return; // no key arrives before its keymap
    if (!repeated && (pressed || key == m_repeatKeyCode)) {
        // A key held repeats until it is let go or another key is pressed.
        m_repeat.stop();
        m_repeatKeyCode = 0;
    }
    const TranslatedKey translated = m_keys.translate(key, pressed);
    const bool ours = m_front.processKey(translated.keysym, translated.keycode, translated.state);
    if (!m_pendingCommit.empty() && m_answerPending && m_answering != Answering::Silent && m_active && !repeated) {
        m_commitHeld = true;
        m_heldPassOn = !ours;
        m_heldKey = {time, key, pressed};
        m_answerWait.start(m_answering == Answering::Answers ? kAnswerWaitMs : kFirstAnswerWaitMs);
        return;
    }
    // What the key committed goes out before the key itself, if it is passed on.
    showState();
    if (!ours && repeated) {
        m_repeat.stop(); // held past what it was ours for (Backspace on an empty composition)
    } else if (!ours) {
        passOn(time, key, pressed);
    } else if (pressed && !repeated && m_repeatRate > 0 && m_keys.repeats(key)) {
        // The application repeats the keys it sees; those we take we repeat ourselves.
        m_repeatKeyCode = key;
        m_repeatTime = time;
        m_repeat.start(m_repeatDelay);
    }
}

void WaylandFront::showState() {
    const std::string& preedit = m_front.preedit();
    if (m_active && (!m_pendingCommit.empty() || preedit != m_shownPreedit)) {
        if (!m_pendingCommit.empty())
            zwp_input_method_v2_commit_string(m_inputMethod, m_pendingCommit.c_str());
        const auto end = static_cast<std::int32_t>(preedit.size());
        zwp_input_method_v2_set_preedit_string(m_inputMethod, preedit.c_str(), end, end);
        zwp_input_method_v2_commit(m_inputMethod, m_doneCount);
        if (preedit != m_shownPreedit)
            m_answerPending = true;
        m_shownPreedit = preedit;
    }
    m_pendingCommit.clear();
    showCandidates(m_active && !preedit.empty());
}

void WaylandFront::sendVirtualKeymap(const std::string& text) {
    if (text.empty())
        return;
    const int fd = memfd_create("imvara-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return;
    const std::size_t size = text.size() + 1; // with its NUL
    if (write(fd, text.c_str(), size) == static_cast<ssize_t>(size)) {
        zwp_virtual_keyboard_v1_keymap(m_virtualKeyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       static_cast<std::uint32_t>(size));
        m_virtualKeymapSet = true;
    }
    close(fd);
}

} // namespace imvara

// wl_keys: a Wayland virtual keyboard for the tests, with one fixed US keymap, so the compositor hands
// every key to the input method's grab as a real keyboard's.
//   wl_keys [--delay MS] ARG...   ARG: a keysym name pressed and let go (a, space, BackSpace, Shift_L,
//                                  Page_Down ...), type:TEXT for each ASCII character of TEXT (with
//                                  Shift where the layout needs it), down:NAME / up:NAME to hold a key,
//                                  sleep:MS to wait with the keys held.
#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <thread>

namespace {

constexpr std::uint32_t kEvdevOffset = 8;

wl_seat* g_seat = nullptr;
zwp_virtual_keyboard_manager_v1* g_manager = nullptr;

void global(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g_seat)
        g_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        g_manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistry = {global, globalRemove};

[[noreturn]] void die(const char* what) {
    std::fprintf(stderr, "wl_keys: %s\n", what);
    std::exit(1);
}

struct Place {
    xkb_keycode_t keycode;
    bool shift;
};

class Typist {
public:
    Typist(wl_display* display, zwp_virtual_keyboard_v1* keyboard, int delayMs)
        : m_display(display), m_keyboard(keyboard), m_delay(delayMs) {
        m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
        m_keymap = xkb_keymap_new_from_names(m_context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (!m_keymap)
            die("no US keymap (xkb-data missing?)");
        m_state = xkb_state_new(m_keymap);
        char* text = xkb_keymap_get_as_string(m_keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
        const std::size_t size = std::strlen(text) + 1;
        const int fd = memfd_create("wl_keys-keymap", MFD_CLOEXEC);
        if (fd < 0 || write(fd, text, size) != static_cast<ssize_t>(size))
            die("cannot share the keymap");
        std::free(text);
        zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       static_cast<std::uint32_t>(size));
        close(fd);
        // Where each keysym sits: level 1 plain, level 2 with Shift.
        for (xkb_keycode_t code = xkb_keymap_min_keycode(m_keymap); code <= xkb_keymap_max_keycode(m_keymap); ++code) {
            for (xkb_level_index_t level = 0; level < 2; ++level) {
                const xkb_keysym_t* syms = nullptr;
                if (xkb_keymap_key_get_syms_by_level(m_keymap, code, 0, level, &syms) == 1)
                    m_places.emplace(syms[0], Place{code, level == 1});
            }
        }
        m_shift = place(XKB_KEY_Shift_L).keycode;
    }

    Place place(xkb_keysym_t sym) const {
        const auto found = m_places.find(sym);
        if (found == m_places.end())
            die("a key the US layout does not have");
        return found->second;
    }

    void key(xkb_keycode_t code, bool down) {
        zwp_virtual_keyboard_v1_key(m_keyboard, m_time++, code - kEvdevOffset,
                                    down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
        // A virtual keyboard's keys leave the modifier state alone: it is sent as a real one's would be.
        xkb_state_update_key(m_state, code, down ? XKB_KEY_DOWN : XKB_KEY_UP);
        const std::uint32_t depressed = xkb_state_serialize_mods(m_state, XKB_STATE_MODS_DEPRESSED);
        const std::uint32_t latched = xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LATCHED);
        const std::uint32_t locked = xkb_state_serialize_mods(m_state, XKB_STATE_MODS_LOCKED);
        if (depressed != m_depressed || latched != m_latched || locked != m_locked) {
            m_depressed = depressed, m_latched = latched, m_locked = locked;
            zwp_virtual_keyboard_v1_modifiers(m_keyboard, depressed, latched, locked, 0);
        }
        if (!down)
            pause();
    }

    void tap(const Place& at) {
        if (at.shift)
            key(m_shift, true);
        key(at.keycode, true);
        key(at.keycode, false);
        if (at.shift)
            key(m_shift, false);
    }

    void pause() {
        wl_display_flush(m_display);
        if (m_delay > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(m_delay));
    }

private:
    wl_display* m_display;
    zwp_virtual_keyboard_v1* m_keyboard;
    int m_delay;
    xkb_context* m_context;
    xkb_keymap* m_keymap;
    xkb_state* m_state;
    std::map<xkb_keysym_t, Place> m_places;
    xkb_keycode_t m_shift;
    std::uint32_t m_time = 1;
    std::uint32_t m_depressed = 0, m_latched = 0, m_locked = 0;
};

xkb_keysym_t named(std::string_view name) {
    const xkb_keysym_t sym = xkb_keysym_from_name(std::string(name).c_str(), XKB_KEYSYM_NO_FLAGS);
    if (sym == XKB_KEY_NoSymbol)
        die("unknown key name");
    return sym;
}

} // namespace

int main(int argc, char** argv) {
    int delay = 0;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--delay") == 0) {
        delay = std::atoi(argv[2]);
        first = 3;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        die("no Wayland display");
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistry, nullptr);
    wl_display_roundtrip(display);
    if (!g_seat || !g_manager)
        die("the compositor has no seat or no virtual keyboards");
    zwp_virtual_keyboard_v1* keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(g_manager, g_seat);
    Typist typist(display, keyboard, delay);
    wl_display_roundtrip(display);
    for (int i = first; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg.substr(0, 5) == "type:") {
            for (const char c : arg.substr(5))
                typist.tap(typist.place(static_cast<unsigned char>(c)));
        } else if (arg.substr(0, 5) == "down:") {
            typist.key(typist.place(named(arg.substr(5))).keycode, true);
        } else if (arg.substr(0, 6) == "sleep:") {
            wl_display_flush(display);
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[i] + 6)));
        } else if (arg.substr(0, 3) == "up:") {
            typist.key(typist.place(named(arg.substr(3))).keycode, false);
        } else {
            typist.tap(typist.place(named(arg)));
        }
    }
    // Everything has reached the compositor before the keyboard goes away.
    if (wl_display_roundtrip(display) < 0)
        die("the compositor closed the connection");
    zwp_virtual_keyboard_v1_destroy(keyboard);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}

// X11 key capture and typing for the input method.
#include "imvara/x11/x11_keyboard.h"

#include "common/code_page.h"

#include <QSocketNotifier>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <vector>

namespace imvara {

namespace {

// A key another program holds is simply not captured; the default Xlib handler would end the program.
int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

// The events taken while keys are let through one by one: keys, and the raw events beside them.
Bool isKeyOrExtension(Display*, XEvent* event, XPointer) {
    return event->type == KeyPress || event->type == KeyRelease || event->type == GenericEvent;
}

KeySym keysymOfVirtualKey(VirtualKey key) {
    const int vk = static_cast<int>(key);
    if (isLetterKey(key))
        return XK_a + (vk - static_cast<int>(VirtualKey::A));
    if (isDigitKey(key))
        return XK_0 + (vk - static_cast<int>(VirtualKey::Digit0));
    switch (key) {
    case VirtualKey::Backspace: return XK_BackSpace;
    case VirtualKey::Space: return XK_space;
    case VirtualKey::PageUp: return XK_Prior;
    case VirtualKey::PageDown: return XK_Next;
    default: return NoSymbol;
    }
}

unsigned x11Modifiers(Modifiers modifiers) {
    unsigned mods = 0;
    if (holds(modifiers, Modifiers::Shift))
        mods |= ShiftMask;
    if (holds(modifiers, Modifiers::Control))
        mods |= ControlMask;
    if (holds(modifiers, Modifiers::Alt))
        mods |= Mod1Mask;
    return mods;
}

} // namespace

void X11Keyboard::DisplayCloser::operator()(Display* display) const { XCloseDisplay(display); }

X11Keyboard::Opening X11Keyboard::open() {
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display)
        return {aquine::fail("无法连接 X 显示服务器")};
    // One input method per display: the owner of this selection is the one that runs. Ownership ends
    // with its connection, so a crashed instance never blocks the next.
    Display* const d = display.get();
    const Atom instance = XInternAtom(d, "_AQUINE_IMVARA", False);
    XGrabServer(d);
    const bool taken = XGetSelectionOwner(d, instance) != None;
    if (!taken) {
        const Window owner = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(d, instance, owner, CurrentTime);
    }
    XUngrabServer(d);
    XSync(d, False);
    if (taken)
        return {aquine::fail("输入法已在这个显示上运行"), true};
    int event, error, major = 2, minor = 2, opcode;
    if (!XTestQueryExtension(d, &event, &error, &major, &minor))
        return {aquine::fail("X 服务器没有 XTest 扩展")};
    major = 2;
    minor = 2;
    if (!XQueryExtension(d, "XInputExtension", &opcode, &event, &error) || XIQueryVersion(d, &major, &minor) != Success)
        return {aquine::fail("X 服务器没有 XInput 2 扩展")};
    return {std::unique_ptr<X11Keyboard>(new X11Keyboard(std::move(display), opcode))};
}

X11Keyboard::X11Keyboard(DisplayPtr connection, int xiOpcode) : m_display(std::move(connection)), m_xiOpcode(xiOpcode) {
    XSetErrorHandler(ignoreXErrors);
    const Window root = DefaultRootWindow(display());

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress); // a click between Shift's press and release: no Shift alone
    XISelectEvents(display(), root, &mask, 1);

    m_capsKeycode = XKeysymToKeycode(display(), XK_Caps_Lock);
    m_shiftKeycodes[0] = XKeysymToKeycode(display(), XK_Shift_L);
    m_shiftKeycodes[1] = XKeysymToKeycode(display(), XK_Shift_R);

    // Num Lock's modifier bit varies between keymaps; hot keys must work with it on.
    if (XModifierKeymap* map = XGetModifierMapping(display())) {
        const KeyCode numLock = XKeysymToKeycode(display(), XK_Num_Lock);
        for (int mod = 0; mod < 8; ++mod) {
            for (int k = 0; k < map->max_keypermod; ++k) {
                const KeyCode keycode = map->modifiermap[mod * map->max_keypermod + k];
                if (numLock && keycode == numLock)
                    m_numLockMask = 1u << mod;
                if (keycode && ((1u << mod) & (ShiftMask | ControlMask | Mod1Mask)))
                    m_modifierKeys.push_back({keycode, 1u << mod});
            }
        }
        XFreeModifiermap(map);
    }

    clearOurLeftovers();

    // Keycodes with no symbol at all are free to bind while typing.
    int minKeycode = 8, maxKeycode = 255;
    XDisplayKeycodes(display(), &minKeycode, &maxKeycode);
    std::vector<int> spare;
    if (KeySym* syms = XGetKeyboardMapping(display(), static_cast<KeyCode>(minKeycode), maxKeycode - minKeycode + 1,
                                           &m_keysymsPerKeycode)) {
        for (int kc = minKeycode; kc <= maxKeycode; ++kc) {
            bool unused = true;
            for (int s = 0; s < m_keysymsPerKeycode; ++s)
                unused = unused && syms[(kc - minKeycode) * m_keysymsPerKeycode + s] == NoSymbol;
            if (unused)
                spare.push_back(kc);
        }
        XFree(syms);
    }
    m_spareKeys = std::make_unique<SpareKeyPool>(std::move(spare), spareKeyQuarantine());
    m_queue = std::make_unique<SendQueue>(*m_spareKeys);

    XSync(display(), False);
    m_notifier = new QSocketNotifier(ConnectionNumber(display()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11Keyboard::readEvents);
    m_restoreTimer.setSingleShot(true);
    connect(&m_restoreTimer, &QTimer::timeout, this, &X11Keyboard::restoreSpareKeys);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &X11Keyboard::pump);
}

X11Keyboard::~X11Keyboard() { finishOutput(); }

void X11Keyboard::readEvents() {
    // Xlib may already hold events read during a round trip, so drain its queue, not just the socket.
    while (XPending(display()) > 0) {
        XEvent event;
        XNextEvent(display(), &event);
        handle(event);
    }
}

void X11Keyboard::handle(XEvent& event) {
    if (event.type == KeyPress) {
        handleKeyPress(event);
        return;
    }
    if (event.type == GenericEvent && event.xcookie.extension == m_xiOpcode &&
        XGetEventData(display(), &event.xcookie)) {
        if (event.xcookie.evtype == XI_RawKeyPress || event.xcookie.evtype == XI_RawKeyRelease) {
            const auto* raw = static_cast<XIRawEvent*>(event.xcookie.data);
            handleRawKey(raw->detail, event.xcookie.evtype == XI_RawKeyPress, raw->time, true);
        } else if (event.xcookie.evtype == XI_RawButtonPress) {
            m_shiftAlone = false; // Shift held to extend a selection with the mouse
        }
        XFreeEventData(display(), &event.xcookie);
    }
}

int X11Keyboard::hotKeyOf(const XEvent& event) const {
    const unsigned base = event.xkey.state & ~(LockMask | m_numLockMask);
    for (const auto& [id, grab] : m_grabs)
        if (grab.keycode == static_cast<int>(event.xkey.keycode) && grab.modifiers == base)
            return id;
    return -1;
}

void X11Keyboard::handleKeyPress(const XEvent& event) {
    // Our grab froze the keyboard at this key. Keep holding it past the key's own release, so every
    // key pressed after it comes to us too, one at a time and in order, however late we got to run.
    hold();
    takeKey(event);
    pump();
}

void X11Keyboard::takeKey(const XEvent& event) {
    // Keys let through from the frozen keyboard bring no raw events: watch Shift and Caps Lock here.
    handleRawKey(static_cast<int>(event.xkey.keycode), event.type == KeyPress, event.xkey.time, false);
    if (event.type != KeyPress)
        return; // releases: of keys we took, or sent again as whole keystrokes
    if (const int id = hotKeyOf(event); id >= 0) {
        emit hotKeyPressed(id); // what it types joins the queue behind everything before it
        return;
    }
    // A key that came to us only because we held the keyboard: it belongs to the application.
    const auto keycode = static_cast<KeyCode>(event.xkey.keycode);
    const KeySym keysym = XkbKeycodeToKeysym(display(), keycode, 0, 0);
    // A modifier or lock has done its work in the server already; pressing it again would undo it.
    if (IsModifierKey(keysym) || keysym == XK_Caps_Lock || keysym == XK_Num_Lock)
        return;
    m_queue->pushKey(keycode, event.xkey.state & (ShiftMask | ControlMask | Mod1Mask));
}

std::vector<XEvent> X11Keyboard::takeFrozenKeys() {
    // Under our active grab each SyncKeyboard lets one more queued key event through, to us, and
    // freezes the keyboard again.
    std::vector<XEvent> keys;
    for (int round = 0; round < 256; ++round) {
        XAllowEvents(display(), SyncKeyboard, CurrentTime);
        XSync(display(), False);
        bool more = false;
        XEvent event;
        while (XCheckIfEvent(display(), &event, &isKeyOrExtension, nullptr)) {
            if (event.type == GenericEvent) {
                handle(event); // a raw event: Shift alone or Caps Lock, in its place (pump)
                continue;
            }
            keys.push_back(event);
            more = true;
        }
        if (!more)
            break;
    }
    return keys;
}

void X11Keyboard::handleRawKey(int keycode, bool press, unsigned long time, bool raw) {
    if (keycode < 0 || keycode >= static_cast<int>(m_lastSeen.size()))
        return;
    // Shift we let up and down again around a key we sent is not the user's.
    if (int& own = m_ownModifierEvents[static_cast<std::size_t>(keycode)]; raw && own > 0) {
        --own;
        return;
    }
    // A key can come both as a raw event and to our grab; it counts once. The raw event comes first.
    const unsigned long seen = time << 1 | (press ? 1u : 0u);
    if (m_lastSeen[static_cast<std::size_t>(keycode)] == seen)
        return;
    m_lastSeen[static_cast<std::size_t>(keycode)] = seen;
    const bool shift = keycode == m_shiftKeycodes[0] || keycode == m_shiftKeycodes[1];
    if (press) {
        // Shift alone: pressed and released with no other key in between.
        m_shiftAlone = shift;
        if (keycode == m_capsKeycode)
            m_capsHeld = true;
        return;
    }
    // A release counts only after its press: some senders release a lock key twice.
    if (keycode == m_capsKeycode && m_capsHeld) {
        m_capsHeld = false;
        takeRawAction({time, false});
    }
    if (shift && m_shiftAlone) {
        m_shiftAlone = false;
        takeRawAction({time, true});
    }
}

void X11Keyboard::takeRawAction(RawAction action) {
    // A raw event may come before keys pressed earlier that still wait in the server for us: it acts
    // in its place among those keys (pump), by the time the server gave them.
    m_rawActions.push_back(action);
    if (m_pumping)
        return;
    if (m_holding)
        pump();
    else
        performRawActions(~0ul);
}

void X11Keyboard::performRawActions(unsigned long before) {
    while (!m_rawActions.empty() && m_rawActions.front().time <= before) {
        const RawAction action = m_rawActions.front();
        m_rawActions.pop_front();
        if (!action.shiftAlone) {
            ++m_capsReleases;
            emit capsLockReleased();
        } else if (m_shiftAloneId >= 0) {
            emit hotKeyPressed(m_shiftAloneId);
        }
    }
}

void X11Keyboard::scheduleRead() {
    // A round trip may have moved events into Xlib's queue, where the socket notifier cannot see them.
    QMetaObject::invokeMethod(this, &X11Keyboard::readEvents, Qt::QueuedConnection);
}

void X11Keyboard::releaseKeyboard() {
    XUngrabKeyboard(display(), CurrentTime);
    XAllowEvents(display(), AsyncKeyboard, CurrentTime);
    m_holding = false;
}

void X11Keyboard::grabKey(const Grab& grab, bool on) {
    const Window root = DefaultRootWindow(display());
    // The same key whatever lock is on: none, Caps Lock, Num Lock, both.
    const unsigned locks[] = {0, LockMask, m_numLockMask, LockMask | m_numLockMask};
    for (unsigned lock : locks) {
        if (on)
            XGrabKey(display(), grab.keycode, grab.modifiers | lock, root, False, GrabModeAsync, GrabModeSync);
        else
            XUngrabKey(display(), grab.keycode, grab.modifiers | lock, root);
    }
}

int X11Keyboard::registerHotKey(int, VirtualKey key, Modifiers modifiers) {
    const int id = m_nextId++;
    if (key == VirtualKey::NoKey) {
        // Shift alone is watched, not grabbed: grabbing Shift would take it from Shift+letter.
        m_shiftAloneId = id;
        return id;
    }
    const KeyCode keycode = XKeysymToKeycode(display(), keysymOfVirtualKey(key));
    if (keycode == 0)
        return id;
    const Grab grab{keycode, x11Modifiers(modifiers)};
    grabKey(grab, true);
    XSync(display(), False);
    scheduleRead();
    m_grabs[id] = grab;
    return id;
}

void X11Keyboard::unregisterHotKey(int id) {
    if (id == m_shiftAloneId) {
        m_shiftAloneId = -1;
        return;
    }
    const auto found = m_grabs.find(id);
    if (found == m_grabs.end())
        return;
    grabKey(found->second, false);
    XSync(display(), False);
    scheduleRead();
    m_grabs.erase(found);
}

void X11Keyboard::synthesizeKey(VirtualKey key) {
    const KeyCode keycode = XKeysymToKeycode(display(), keysymOfVirtualKey(key));
    if (keycode == 0)
        return;
    // Passed on in its place among the other output, past our own claim on the key.
    m_queue->pushKey(keycode, 0);
    if (!m_holding)
        pump();
}

bool X11Keyboard::capsLockHeld() { return m_capsHeld; }

bool X11Keyboard::capsLockOn() {
    XkbStateRec state;
    const bool ok = XkbGetState(display(), XkbUseCoreKbd, &state) == Success;
    scheduleRead();
    return ok && (state.locked_mods & LockMask) != 0;
}

int X11Keyboard::takeCapsLockReleases() {
    const int n = m_capsReleases;
    m_capsReleases = 0;
    return n;
}

} // namespace imvara

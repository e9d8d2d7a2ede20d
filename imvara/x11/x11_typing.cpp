// Typing into the focused application: the ordered output queue, sent through XTest, and the spare
// keycodes it binds, with their quarantine and the marks that let the next start clear them.
#include "common/code_page.h"
#include "imvara/x11/x11_keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace imvara {

namespace {

KeySym keysymOfCodePoint(char32_t cp) {
    switch (cp) {
    case U'\t': return XK_Tab;
    case U'\r':
    case U'\n': return XK_Return;
    default: break;
    }
    if (cp < 0x20 || cp == 0x7F)
        return NoSymbol;
    if (cp < 0x100)
        return cp; // Latin-1 keysyms are the code points
    return 0x01000000 | cp;
}

// The spare keycodes go back to nothing this long after the last character typed (each one no
// sooner than its quarantine allows), so that the keymap looks untouched.
constexpr int kRestoreDelayMs = 2000;

// How long after its last press a spare keycode may still be unread by a lagging application, which
// would then type whatever it is bound to when it gets there. An xterm typed wrong characters with
// 0 and 100 ms at a load average of 4, and with 300 and 600 ms at a load average above 20; none with
// 1 or 2 s (bench/imvara_burst.sh). Two seconds leaves room for a machine busier still; what it costs
// is that more distinct characters than there are spare keycodes within this time wait for one.
constexpr Millis kQuarantine{2000};

// Root window property that lists the spare keycodes we bound (keycode, keysym pairs), so that a
// start after a killed run clears its bindings and only those.
constexpr char kMarksProperty[] = "_AQUINE_IMVARA_SPARE_KEYS";

} // namespace

// The quarantine can be set for measuring what it must be (bench/imvara_burst.sh).
Millis X11Keyboard::spareKeyQuarantine() {
    if (const char* ms = std::getenv("IMVARA_KEY_QUARANTINE_MS"); ms && *ms)
        return Millis(std::clamp(std::atol(ms), 0L, 60000L));
    return kQuarantine;
}

void X11Keyboard::pump() {
    if (m_pumping)
        return;
    m_pumping = true;
    // No other client's request may come between taking the last queued key and sending the output:
    // a key from another client would overtake it, or start a grab that takes it from the application.
    XGrabServer(display());
    if (m_holding) {
        // Every key that queued up meanwhile, in turn, until none is left: a hot key among them is
        // handled in its place, its output queued behind the keys before it.
        for (std::vector<XEvent> keys = takeFrozenKeys(); !keys.empty(); keys = takeFrozenKeys()) {
            for (const XEvent& key : keys) {
                performRawActions(key.xkey.time);
                takeKey(key);
            }
        }
    }
    performRawActions(~0ul);
    int sent = 0;
    if (m_queue->frontReady(now())) {
        releaseKeyboard();
        sent = m_queue->drain(*this, now());
    }
    if (!m_queue->empty()) {
        // The rest waits for a spare keycode; keys pressed meanwhile must queue up behind it.
        hold();
        const Millis wait = m_queue->retryAt(now()).value_or(now()) - now();
        m_retryTimer.start(static_cast<int>(std::max<Millis::rep>(wait.count(), 1)));
    } else {
        releaseKeyboard();
    }
    XUngrabServer(display());
    XFlush(display());
    if (sent > 0)
        m_restoreTimer.start(kRestoreDelayMs);
    m_pumping = false;
}

void X11Keyboard::hold() {
    if (!m_holding)
        m_holding = XGrabKeyboard(display(), DefaultRootWindow(display()), False, GrabModeAsync, GrabModeSync,
                                  CurrentTime) == GrabSuccess;
}

void X11Keyboard::passOnKey(int keycode, unsigned modifiers) {
    // A press of a key still down on the same device (another XTest client, say) would only count
    // as a repeat, so release it first.
    char keys[32];
    XQueryKeymap(display(), keys);
    if (keys[keycode / 8] & (1 << (keycode % 8)))
        XTestFakeKeyEvent(display(), static_cast<unsigned>(keycode), False, CurrentTime);
    // A key we claim by now (the passed-on Backspace; a letter typed while the bar was hidden and
    // sent after it came back) would come back to us: let go of it for this one press.
    const Grab* claimed = nullptr;
    for (const auto& [id, grab] : m_grabs)
        if (grab.keycode == keycode && grab.modifiers == modifiers)
            claimed = &grab;
    if (claimed)
        grabKey(*claimed, false);
    const std::vector<int> lifted = liftModifiers(keys, modifiers);
    // Those it was typed with may be up by now: latch them for this one key, or it would arrive as
    // another key (and a bare letter would even come back to us).
    if (modifiers != 0)
        XkbLatchModifiers(display(), XkbUseCoreKbd, modifiers, modifiers);
    XTestFakeKeyEvent(display(), static_cast<unsigned>(keycode), True, CurrentTime);
    XTestFakeKeyEvent(display(), static_cast<unsigned>(keycode), False, CurrentTime);
    for (int kc : lifted)
        XTestFakeKeyEvent(display(), static_cast<unsigned>(kc), True, CurrentTime);
    if (claimed)
        grabKey(*claimed, true);
}

void X11Keyboard::typeText(std::string_view bytes, CodePage codePage) {
    XkbStateRec state{};
    const bool capsLocked =
        XkbGetState(display(), XkbUseCoreKbd, &state) == Success && (state.locked_mods & LockMask) != 0;
    for (char32_t cp : aquine::decodeCodePage(bytes, codePage)) {
        const KeySym keysym = keysymOfCodePoint(cp);
        // A character the keyboard has goes out as its own key: bound to a spare keycode it would
        // also be found there by other programs that type by keysym, which would then type it on a
        // keycode we are about to bind to something else.
        KeyCode keycode = keysym == NoSymbol ? 0 : XKeysymToKeycode(display(), keysym);
        if (m_spareKeys->owns(keycode))
            keycode = 0;                    // one we bound ourselves is no key of the keyboard
        unsigned modifiers = ShiftMask + 1; // none found yet
        if (keycode != 0 && XkbKeycodeToKeysym(display(), keycode, 0, 0) == keysym)
            modifiers = 0;
        else if (keycode != 0 && XkbKeycodeToKeysym(display(), keycode, 0, 1) == keysym)
            modifiers = ShiftMask;
        if (modifiers <= ShiftMask) {
            KeySym lower = 0, upper = 0;
            XConvertCase(keysym, &lower, &upper);
            if (capsLocked && lower != upper)
                modifiers ^= ShiftMask; // Caps Lock already makes a letter a capital
            m_queue->pushKey(keycode, modifiers);
        } else {
            m_queue->pushCharacter(static_cast<std::uint32_t>(keysym));
        }
    }
    if (!m_holding)
        pump();
}

void X11Keyboard::bindSpareKey(int keycode, std::uint32_t keysym) {
    markSpareKeys(); // first: a run killed right after still knows the binding for ours
    // Every column holds the character, so Shift or Caps Lock cannot change what arrives.
    std::vector<KeySym> syms(static_cast<std::size_t>(m_keysymsPerKeycode), keysym);
    XChangeKeyboardMapping(display(), keycode, m_keysymsPerKeycode, syms.data(), 1);
}

void X11Keyboard::typeSpareKey(int keycode) {
    char keys[32];
    XQueryKeymap(display(), keys);
    const std::vector<int> lifted = liftModifiers(keys, 0); // Ctrl+中 would be no character
    XTestFakeKeyEvent(display(), static_cast<unsigned>(keycode), True, CurrentTime);
    XTestFakeKeyEvent(display(), static_cast<unsigned>(keycode), False, CurrentTime);
    for (int kc : lifted)
        XTestFakeKeyEvent(display(), static_cast<unsigned>(kc), True, CurrentTime);
}

std::vector<int> X11Keyboard::liftModifiers(const char* keys, unsigned keep) {
    // Shift, Ctrl or Alt held down now, for a key pressed after the one we send, would change it: let
    // them up around it, and down again after it.
    std::vector<int> lifted;
    for (const Grab& modifier : m_modifierKeys) {
        const int kc = modifier.keycode;
        if ((modifier.modifiers & ~keep) && (keys[kc / 8] & (1 << (kc % 8)))) {
            XTestFakeKeyEvent(display(), static_cast<unsigned>(kc), False, CurrentTime);
            lifted.push_back(kc);
            m_ownModifierEvents[static_cast<std::size_t>(kc)] += 2; // up and down again: no Shift alone
        }
    }
    return lifted;
}

Millis X11Keyboard::now() const {
    return std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now().time_since_epoch());
}

void X11Keyboard::restoreSpareKeys() {
    const std::vector<int> released = m_spareKeys->takeReleased(now());
    std::vector<KeySym> none(static_cast<std::size_t>(m_keysymsPerKeycode), NoSymbol);
    for (int keycode : released)
        XChangeKeyboardMapping(display(), keycode, m_keysymsPerKeycode, none.data(), 1);
    if (!released.empty())
        markSpareKeys();
    XFlush(display());
    // The rest are in quarantine still: try again when the first comes out.
    if (const auto next = m_spareKeys->nextReleaseAt())
        m_restoreTimer.start(static_cast<int>(std::max<Millis::rep>((*next - now()).count(), 1)));
}

void X11Keyboard::finishOutput() {
    // Output that still waits goes out, and the bindings are cleared as soon as the rules allow: an
    // end through the menu waits at most about one quarantine for them.
    m_retryTimer.stop();
    for (int round = 0; round < 1000 && !m_queue->empty(); ++round) {
        if (const auto retry = m_queue->retryAt(now()))
            std::this_thread::sleep_for(*retry - now());
        pump();
    }
    if (const auto last = m_spareKeys->bindings(); !last.empty()) {
        std::optional<Millis> end;
        for (int round = 0; round < 1000 && (end = m_spareKeys->nextReleaseAt()); ++round) {
            std::this_thread::sleep_for(*end - now());
            restoreSpareKeys();
        }
    }
    releaseKeyboard();
    XFlush(display());
}

void X11Keyboard::clearOurLeftovers() {
    // A run that was killed left its characters bound; clear those still bound as it left them and
    // nothing else, then compute the spare keycodes as if it had ended well.
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Window root = DefaultRootWindow(display());
    m_marksAtom = XInternAtom(display(), kMarksProperty, False);
    if (XGetWindowProperty(display(), root, m_marksAtom, 0, 4096, True, XA_CARDINAL, &type, &format, &count, &after,
                           &data) != Success)
        return;
    int minKeycode = 8, maxKeycode = 255;
    XDisplayKeycodes(display(), &minKeycode, &maxKeycode);
    if (data && type == XA_CARDINAL && format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data); // format 32 comes as longs
        for (unsigned long i = 0; i + 1 < count; i += 2) {
            const auto keycode = static_cast<int>(values[i]);
            const KeySym keysym = values[i + 1];
            if (keycode < minKeycode || keycode > maxKeycode || keysym == NoSymbol)
                continue;
            int per = 0;
            KeySym* syms = XGetKeyboardMapping(display(), static_cast<KeyCode>(keycode), 1, &per);
            // As we bound it: that keysym in every column the server kept (it may drop repeated ones).
            bool ours = syms && per > 0 && syms[0] == keysym;
            for (int c = 1; ours && c < per; ++c)
                ours = syms[c] == keysym || syms[c] == NoSymbol;
            if (syms)
                XFree(syms);
            if (ours) {
                std::vector<KeySym> none(static_cast<std::size_t>(per), NoSymbol);
                XChangeKeyboardMapping(display(), keycode, per, none.data(), 1);
            }
        }
    }
    if (data)
        XFree(data);
    XSync(display(), False);
}

void X11Keyboard::markSpareKeys() {
    std::vector<unsigned long> values;
    for (const auto& [keycode, keysym] : m_spareKeys->bindings()) {
        values.push_back(static_cast<unsigned long>(keycode));
        values.push_back(keysym);
    }
    const Window root = DefaultRootWindow(display());
    if (values.empty())
        XDeleteProperty(display(), root, m_marksAtom);
    else
        XChangeProperty(display(), root, m_marksAtom, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
}

} // namespace imvara

// What the input method needs from the desktop's keyboard: system-wide hot keys, a synthesized key,
// the Caps Lock key, and typing text into the application that has the focus. The X11 layer implements
// it; tests use a fake.
#pragma once

#include "common/code_page.h"

#include <string>
#include <string_view>

namespace imvara {

// The code page of the bytes handed to typeText; the enumeration lives in common, beside the decoding.
using CodePage = aquine::CodePage;

// The keys of the hot-key table. The values are Windows virtual-key codes, the terms the table was
// defined in; keep them, so a row reads the same as the table it came from. (No value is called None:
// Xlib defines that name as a macro.)
enum class VirtualKey : int {
    NoKey = 0x00, // no key at all: a modifier pressed alone
    Backspace = 0x08,
    Space = 0x20,
    PageUp = 0x21,   // VK_PRIOR
    PageDown = 0x22, // VK_NEXT
    Digit0 = 0x30,
    Digit1,
    Digit2,
    Digit3,
    Digit4,
    Digit5,
    Digit6,
    Digit7,
    Digit8,
    Digit9,
    A = 0x41,
    B,
    C,
    D,
    E,
    F,
    G,
    H,
    I,
    J,
    K,
    L,
    M,
    N,
    O,
    P,
    Q,
    R,
    S,
    T,
    U,
    V,
    W,
    X,
    Y,
    Z,
};

static_assert(static_cast<int>(VirtualKey::Digit9) == 0x39 && static_cast<int>(VirtualKey::Z) == 0x5A);

constexpr bool isLetterKey(VirtualKey key) { return key >= VirtualKey::A && key <= VirtualKey::Z; }
constexpr bool isDigitKey(VirtualKey key) { return key >= VirtualKey::Digit0 && key <= VirtualKey::Digit9; }

// The modifiers held with a hot key, with the bits of the Windows hot-key API (MOD_ALT, MOD_CONTROL,
// MOD_SHIFT), so that the table's rows keep their values.
enum class Modifiers : unsigned {
    NoModifier = 0,
    Alt = 1,
    Control = 2,
    Shift = 4,
};

constexpr Modifiers operator|(Modifiers a, Modifiers b) {
    return static_cast<Modifiers>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr Modifiers operator&(Modifiers a, Modifiers b) {
    return static_cast<Modifiers>(static_cast<unsigned>(a) & static_cast<unsigned>(b));
}
// Whether `set` holds every modifier of `wanted`.
constexpr bool holds(Modifiers set, Modifiers wanted) { return (set & wanted) == wanted; }

class Keyboard {
public:
    virtual ~Keyboard() = default;

    // Claims `key` with `modifiers` system-wide for hot-key table entry `entry`; returns the identifier
    // the key's events will carry (whatever the platform returns; a failure is not reported).
    // VirtualKey::NoKey with a modifier claims that modifier pressed and released alone.
    virtual int registerHotKey(int entry, VirtualKey key, Modifiers modifiers) = 0;
    virtual void unregisterHotKey(int id) = 0;

    // Presses and releases a key, delivered to whatever has the focus.
    virtual void synthesizeKey(VirtualKey key) = 0;

    // Caps Lock: whether it is held down now; whether the keyboard's lock is on; and how many times it
    // was released since the previous call (each completed press counts once).
    virtual bool capsLockHeld() = 0;
    virtual bool capsLockOn() = 0;
    virtual int takeCapsLockReleases() = 0;

    // Types text, given as bytes in a code page, into the focused window of the foreground application,
    // in order.
    virtual void typeText(std::string_view bytes, CodePage codePage) = 0;
};

} // namespace imvara

// What the input method needs from the desktop's keyboard: system-wide hot keys, a synthesized key,
// the Caps Lock key, the bar's visibility, and typing text into the application that has the focus.
// The X11 layer implements it; tests use a fake.
#pragma once

#include "common/code_page.h"

#include <string>
#include <string_view>

namespace imvara {

// The code page of the bytes handed to typeText; the enumeration lives in common, beside the decoding.
using CodePage = aquine::CodePage;

class Keyboard {
public:
    virtual ~Keyboard() = default;

    // Claims the key of hot-key table entry `entry` system-wide; returns the identifier the key's
    // events will carry (whatever the platform returns; a failure is not reported).
    virtual int registerHotKey(int entry, int virtualKey, int modifiers) = 0;
    virtual void unregisterHotKey(int id) = 0;

    // Presses and releases a key, delivered to whatever has the focus.
    virtual void synthesizeKey(int virtualKey) = 0;

    // Caps Lock: whether it is held down now; whether the keyboard's lock is on; and how many times it
    // was released since the previous call (each completed press counts once).
    virtual bool capsLockHeld() = 0;
    virtual bool capsLockOn() = 0;
    virtual int takeCapsLockReleases() = 0;

    virtual void setBarVisible(bool visible) = 0;

    // Types text, given as bytes in a code page, into the focused window of the foreground application,
    // in order.
    virtual void typeText(std::string_view bytes, CodePage codePage) = 0;
};

} // namespace imvara

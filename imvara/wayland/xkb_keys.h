// Wayland key events in the terms the input method takes: the compositor hands over evdev key numbers,
// a keymap and the modifier masks; this turns them into X keysyms and X modifier bits through
// xkbcommon, as the application itself would read them.
#pragma once

#include "common/result.h"

#include <cstdint>
#include <memory>
#include <string>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace imvara {

struct TranslatedKey {
    std::uint32_t keysym = 0;
    std::uint32_t keycode = 0; // the X keycode (evdev number + 8)
    std::uint32_t state = 0;   // KeyState bits, kReleaseMask included for a release
};

// The keymap xkbcommon makes from the system's defaults (XKB_DEFAULT_LAYOUT and the like, else US), in
// the text format; empty if even that fails.
std::string defaultKeymapText();

class XkbKeys {
public:
    XkbKeys();
    ~XkbKeys();
    XkbKeys(const XkbKeys&) = delete;
    XkbKeys& operator=(const XkbKeys&) = delete;

    // A keymap in the XKB text format, as the compositor sends it. The modifier state starts empty.
    aquine::Result<> setKeymap(const std::string& text);
    bool hasKeymap() const { return m_keymap != nullptr; }
    const std::string& keymapText() const { return m_keymapText; }

    // The compositor's modifier masks, which hold for the keys after them.
    void setModifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group);

    TranslatedKey translate(std::uint32_t evdevKey, bool pressed) const;
    // Whether holding the key repeats it, as the keymap says.
    bool repeats(std::uint32_t evdevKey) const;

private:
    xkb_context* m_context;
    xkb_keymap* m_keymap = nullptr;
    xkb_state* m_state = nullptr;
    std::string m_keymapText;
};

} // namespace imvara

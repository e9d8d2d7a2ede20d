// xkbcommon behind the key translation: keysyms read at the current modifier state, and the X modifier
// bits from the keymap's named modifiers.
#include "imvara/wayland/xkb_keys.h"

#include "imvara/engine/key_front.h"

#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdlib>
#include <utility>

namespace imvara {

namespace {

constexpr std::uint32_t kEvdevOffset = 8;

struct NamedModifier {
    const char* name;
    std::uint32_t bit;
};
constexpr std::array<NamedModifier, 5> kModifiers = {{
    {XKB_MOD_NAME_SHIFT, kShiftMask},
    {XKB_MOD_NAME_CAPS, kLockMask},
    {XKB_MOD_NAME_CTRL, kControlMask},
    {XKB_MOD_NAME_ALT, kAltMask},
    {XKB_MOD_NAME_LOGO, kMod4Mask},
}};

} // namespace

std::string defaultKeymapText() {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return {};
    std::string text;
    if (xkb_keymap* keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS)) {
        if (char* serialised = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1)) {
            text = serialised;
            std::free(serialised);
        }
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
    return text;
}

XkbKeys::XkbKeys() : m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {}

XkbKeys::~XkbKeys() {
    xkb_state_unref(m_state);
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

aquine::Result<> XkbKeys::setKeymap(const std::string& text) {
    if (!m_context)
        return aquine::fail("无法初始化键盘布局库 xkbcommon");
    xkb_keymap* keymap =
        xkb_keymap_new_from_string(m_context, text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return aquine::fail("合成器发来的键盘布局无法读取");
    xkb_state* state = xkb_state_new(keymap);
    if (!state) {
        xkb_keymap_unref(keymap);
        return aquine::fail("无法为键盘布局建立按键状态");
    }
    xkb_state_unref(m_state);
    xkb_keymap_unref(m_keymap);
    m_keymap = keymap;
    m_state = state;
    m_keymapText = text;
    return {};
}

void XkbKeys::setModifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
    if (m_state)
        xkb_state_update_mask(m_state, depressed, latched, locked, 0, 0, group);
}

TranslatedKey XkbKeys::translate(std::uint32_t evdevKey, bool pressed) const {
    TranslatedKey key;
    key.keycode = evdevKey + kEvdevOffset;
    if (!m_state)
        return key;
    key.keysym = xkb_state_key_get_one_sym(m_state, key.keycode);
    for (const NamedModifier& modifier : kModifiers) {
        if (xkb_state_mod_name_is_active(m_state, modifier.name, XKB_STATE_MODS_EFFECTIVE) > 0)
            key.state |= modifier.bit;
    }
    if (!pressed)
        key.state |= kReleaseMask;
    return key;
}

bool XkbKeys::repeats(std::uint32_t evdevKey) const {
    return m_keymap && xkb_keymap_key_repeats(m_keymap, evdevKey + kEvdevOffset) != 0;
}

} // namespace imvara

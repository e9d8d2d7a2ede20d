// Key translation against a real US keymap compiled by xkbcommon, handed over as a compositor sends it.
#include "imvara/engine/code_table.h"
#include "imvara/engine/key_front.h"
#include "imvara/wayland/xkb_keys.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <string>

namespace imvara {
namespace {

// evdev numbers of a few keys of a PC keyboard.
constexpr std::uint32_t kKeyA = 30, kKeyOne = 2, kKeyBackspace = 14, kKeyShiftL = 42, kKeyCapsLock = 58;

std::string usKeymap() {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    std::string copy(text);
    std::free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return copy;
}

// The modifier masks as a compositor serialises them, with the US keymap's indices.
std::uint32_t mask(const char* name) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    const std::uint32_t bit = 1u << xkb_keymap_mod_get_index(keymap, name);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return bit;
}

TEST(XkbKeys, KeysReadAsTheApplicationReadsThemAtEachModifierState) {
    XkbKeys keys;
    EXPECT_FALSE(keys.hasKeymap());
    ASSERT_TRUE(keys.setKeymap(usKeymap()));

    TranslatedKey a = keys.translate(kKeyA, true);
    EXPECT_EQ(a.keysym, static_cast<std::uint32_t>('a'));
    EXPECT_EQ(a.keycode, 38u); // the X keycode
    EXPECT_EQ(a.state, 0u);
    EXPECT_EQ(keys.translate(kKeyA, false).state, static_cast<std::uint32_t>(kReleaseMask));

    keys.setModifiers(mask(XKB_MOD_NAME_SHIFT), 0, 0, 0);
    a = keys.translate(kKeyA, true);
    EXPECT_EQ(a.keysym, static_cast<std::uint32_t>('A'));
    EXPECT_EQ(a.state, static_cast<std::uint32_t>(kShiftMask));
    EXPECT_EQ(keys.translate(kKeyOne, true).keysym, static_cast<std::uint32_t>('!'));
    EXPECT_EQ(keys.translate(kKeyShiftL, false).keysym, 0xffe1u); // Shift_L, released with Shift still held

    // Caps Lock locked: capitals without Shift, and the lock bit the input method reads.
    keys.setModifiers(0, 0, mask(XKB_MOD_NAME_CAPS), 0);
    a = keys.translate(kKeyA, true);
    EXPECT_EQ(a.keysym, static_cast<std::uint32_t>('A'));
    EXPECT_EQ(a.state, static_cast<std::uint32_t>(kLockMask));
    EXPECT_EQ(keys.translate(kKeyOne, true).keysym, static_cast<std::uint32_t>('1'));

    keys.setModifiers(mask(XKB_MOD_NAME_CTRL) | mask(XKB_MOD_NAME_ALT), 0, 0, 0);
    EXPECT_EQ(keys.translate(kKeyA, true).state, static_cast<std::uint32_t>(kControlMask | kAltMask));

    EXPECT_TRUE(keys.repeats(kKeyA));
    EXPECT_TRUE(keys.repeats(kKeyBackspace));
    EXPECT_FALSE(keys.repeats(kKeyShiftL));
    EXPECT_FALSE(keys.repeats(kKeyCapsLock));
}

// Through KeyFront, the keys of a grab type what they type on X11: pinyin, a choice, Caps Lock capitals.
TEST(XkbKeys, GrabbedKeysDriveTheInputMethod) {
    struct Sink : CommitSink {
        std::string text;
        void commit(const std::string& utf8) override { text += utf8; }
    } sink;
    FixedMeasure measure;
    LookupText lookup(CodeTable(), "");
    KeyFront front(measure, lookup, sink);
    XkbKeys keys;
    ASSERT_TRUE(keys.setKeymap(usKeymap()));
    const auto tap = [&](std::uint32_t evdev) {
        const TranslatedKey down = keys.translate(evdev, true);
        const bool ours = front.processKey(down.keysym, down.keycode, down.state);
        const TranslatedKey up = keys.translate(evdev, false);
        EXPECT_EQ(front.processKey(up.keysym, up.keycode, up.state), ours) << "press and release differ";
        return ours;
    };
    constexpr std::uint32_t kKeyN = 49, kKeyI = 23;
    EXPECT_TRUE(tap(kKeyN));
    EXPECT_TRUE(tap(kKeyI));
    EXPECT_EQ(front.preedit(), "ni");
    EXPECT_TRUE(tap(kKeyOne));
    EXPECT_EQ(sink.text, "你");
    EXPECT_FALSE(tap(kKeyBackspace)); // nothing composed: the application's Backspace

    keys.setModifiers(0, 0, mask(XKB_MOD_NAME_CAPS), 0);
    EXPECT_TRUE(tap(kKeyA));
    EXPECT_EQ(sink.text, "你A");
    EXPECT_TRUE(front.preedit().empty());
}

} // namespace
} // namespace imvara

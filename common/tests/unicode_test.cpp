// The one-code-point UTF-8 and UTF-16 helpers: every code point survives both forms, and input that is
// no character is refused byte by byte (UTF-8) or unit by unit (UTF-16) without taking its neighbours.
#include "common/gbk_codec.h"
#include "common/unicode.h"

#include <gtest/gtest.h>

using namespace aquine::unicode;

namespace {

// Every code point the readers accept and the writers take: all of Unicode but the surrogates.
template <class F> void forEveryCodePoint(F check) {
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp)
        if (!isSurrogate(cp))
            check(cp);
}

std::u32string readAllUtf8(std::string_view s) {
    std::u32string out;
    for (std::size_t i = 0, len; i < s.size(); i += len)
        out.push_back(readUtf8(s, i, len));
    return out;
}

} // namespace

TEST(Unicode, EveryCodePointSurvivesUtf8AndUtf16) {
    forEveryCodePoint([](char32_t cp) {
        std::string utf8;
        appendUtf8(cp, utf8);
        std::size_t len = 0;
        ASSERT_EQ(readUtf8(utf8, 0, len), cp) << std::hex << static_cast<unsigned>(cp);
        ASSERT_EQ(len, utf8.size());
        ASSERT_EQ(utf8.size(), cp < 0x80 ? 1u : cp < 0x800 ? 2u : cp < 0x10000 ? 3u : 4u);

        std::u16string utf16;
        appendUtf16(cp, utf16);
        ASSERT_EQ(readUtf16(utf16, 0, len), cp) << std::hex << static_cast<unsigned>(cp);
        ASSERT_EQ(len, utf16.size());
        ASSERT_EQ(utf16.size(), cp < 0x10000 ? 1u : 2u);
    });
    std::string utf8;
    appendUtf8(U'中', utf8);
    appendUtf8(U'😀', utf8);
    EXPECT_EQ(utf8, "中😀");
    EXPECT_EQ(utf16ToCodePoints(u"a中😀"), U"a中😀");
}

TEST(Unicode, IllFormedUtf8IsRefusedOneByteAtATime) {
    const std::string_view bad[] = {
        "\x80",             // a continuation byte with no lead
        "\xBF",             //
        "\xE4\xB8",         // cut off
        "\xC0\xAF",         // overlong '/'
        "\xE0\x80\xAF",     // overlong again
        "\xED\xA0\x80",     // an encoded surrogate
        "\xF4\x90\x80\x80", // beyond U+10FFFF
        "\xF8\x88\x80\x80", // five-byte lead
        "\xFF",
    };
    for (std::string_view s : bad) {
        std::size_t len = 0;
        EXPECT_EQ(readUtf8(s, 0, len), kIllFormed) << testing::PrintToString(std::string(s));
        EXPECT_EQ(len, 1u);
    }
    // After a bad byte the reader picks up at the next one: the characters after it are not lost.
    EXPECT_EQ(readAllUtf8("\xE4\xB8z"), (std::u32string{kIllFormed, kIllFormed, U'z'}));
    EXPECT_EQ(readAllUtf8("\xE4\xB8中"), (std::u32string{kIllFormed, kIllFormed, U'中'}));
    EXPECT_EQ(readAllUtf8("\x80中\xC3"), (std::u32string{kIllFormed, U'中', kIllFormed}));
}

TEST(Unicode, LoneSurrogatesBecomeReplacementCharacters) {
    const char16_t high = 0xD83D, low = 0xDE00; // together U+1F600
    const auto u16 = [](std::initializer_list<char16_t> units) { return std::u16string(units); };
    // A pair, also as the last two units.
    EXPECT_EQ(utf16ToCodePoints(u16({u'x', high, low})), U"x😀");
    // A high surrogate at the end.
    EXPECT_EQ(utf16ToCodePoints(u16({u'a', high})), (std::u32string{U'a', kReplacement}));
    // A high surrogate before an ordinary character: the character stays itself.
    EXPECT_EQ(utf16ToCodePoints(u16({high, u'A'})), (std::u32string{kReplacement, U'A'}));
    EXPECT_EQ(utf16ToCodePoints(u16({high, u'中'})), (std::u32string{kReplacement, U'中'}));
    // A low surrogate with no high one before it, alone or ahead of a high one.
    EXPECT_EQ(utf16ToCodePoints(u16({low, u'b'})), (std::u32string{kReplacement, U'b'}));
    EXPECT_EQ(utf16ToCodePoints(u16({low, high})), (std::u32string{kReplacement, kReplacement}));
    // Two high surrogates and a low one: the second high one pairs.
    EXPECT_EQ(utf16ToCodePoints(u16({high, high, low})), (std::u32string{kReplacement, U'😀'}));
    EXPECT_EQ(utf16ToCodePoints(u""), U"");

    // The codec writes '?' for the same units, one each, and keeps what follows.
    using aquine::codec::utf16ToGbk;
    EXPECT_EQ(utf16ToGbk(u16({high, u'A'})), "?A");
    EXPECT_EQ(utf16ToGbk(u16({low, high, low, high})), "?\x94\x39\xFC\x36?");
}

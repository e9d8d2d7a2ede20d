// Reading bytes in a code page back as characters: known characters, the bytes that are none, and the
// codec's raw-byte escapes.
#include "common/code_page.h"
#include "common/gbk_codec.h"

#include <gtest/gtest.h>

using aquine::CodePage;
using aquine::decodeCodePage;

TEST(CodePage, KnownCharactersInEachCodePage) {
    EXPECT_EQ(decodeCodePage("\xA4\xA4\xB0\xEA", CodePage::Big5), U"中國");
    EXPECT_EQ(decodeCodePage("\xB7\x52\xAC\xB0", CodePage::Big5), U"愛為");
    EXPECT_EQ(decodeCodePage("\x92\x86\x8D\x91", CodePage::ShiftJis), U"中国");
    EXPECT_EQ(decodeCodePage("\x94\xAD\x88\xA4", CodePage::ShiftJis), U"発愛");
    EXPECT_EQ(decodeCodePage("\xB1\xA4", CodePage::ShiftJis), U"ｱ､"); // one-byte katakana
    EXPECT_EQ(decodeCodePage("\xD6\xD0\xCE\xC4", CodePage::Gbk), U"中文");
    // A GB18030 four-byte character is one code point, not two surrogates.
    EXPECT_EQ(decodeCodePage("a\x94\x39\xFC\x36", CodePage::Gbk), U"a😀");
    for (CodePage page : {CodePage::Gbk, CodePage::Big5, CodePage::ShiftJis}) {
        EXPECT_EQ(decodeCodePage("", page), U"");
        EXPECT_EQ(decodeCodePage("Ab 1\r\n", page), U"Ab 1\r\n");
    }
}

TEST(CodePage, BytesThatAreNoCharacterAreSkippedInBig5AndShiftJis) {
    EXPECT_EQ(decodeCodePage("x\xFFz", CodePage::Big5), U"xz");
    EXPECT_EQ(decodeCodePage("\xA4\x20\xA4\xA4", CodePage::Big5), U" 中"); // a lead byte before a blank
    EXPECT_EQ(decodeCodePage("\xA4\xA4\xA4", CodePage::Big5), U"中");      // a lead byte cut off
    EXPECT_EQ(decodeCodePage("\xA0z\x92", CodePage::ShiftJis), U"z");
}

// The codec's raw-byte escapes are characters of their own here: each byte that is no GBK character
// comes out as U+F700 + byte, and encodes back to that byte.
TEST(CodePage, GbkRawBytesSurviveAsTheirPrivateUseCharacters) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::u32string read = decodeCodePage(byte, CodePage::Gbk);
        ASSERT_EQ(read, std::u32string(1, aquine::codec::kRawByteBase + static_cast<char32_t>(b))) << b;
        ASSERT_EQ(aquine::codec::utf16ToGbk(std::u16string(1, static_cast<char16_t>(read[0]))), byte) << b;
    }
    EXPECT_EQ(decodeCodePage("\xD6\xD0\x80z\xFF\xD6", CodePage::Gbk),
              (std::u32string{U'中', 0xF780, U'z', 0xF7FF, 0xF7D6}));
}

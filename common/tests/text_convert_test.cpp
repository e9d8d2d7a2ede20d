// The text conversion service: character forms phrase by phrase, code pages byte for byte, and ASCII
// untouched in every operation.
#include "common/tests/gbk_literal.h"
#include "common/text_convert.h"

#include <gtest/gtest.h>

using namespace aquine;

TEST(TextConvert, CharacterForms) {
    EXPECT_EQ(ToTraditional("\xB0\xAE"), "\x90\xDB"); // 爱 -> 愛, as GBK bytes
    EXPECT_EQ(ToSimplified("\x90\xDB"), "\xB0\xAE");
    // One simplified character, two traditional ones, chosen by the phrase.
    EXPECT_EQ(ToTraditional(G("头发和发展")), G("頭髮和發展"));
    EXPECT_EQ(ToSimplified(G("頭髮和發展")), G("头发和发展"));
    // Text that is already in the target form stays as it is.
    EXPECT_EQ(ToTraditional(G("頭髮")), G("頭髮"));
    EXPECT_EQ(ToSimplified(G("中国")), G("中国"));
}

TEST(TextConvert, CodePages) {
    EXPECT_EQ(ToBig5(G("中国")), "\xA4\xA4\xB0\xEA");
    EXPECT_EQ(ToShiftJis(G("中国")), "\x92\x86\x8D\x91");
    EXPECT_EQ(ToBig5(G("爱")), "\xB7\x52");     // 愛 in Big5
    EXPECT_EQ(ToShiftJis(G("爱")), "\x88\xA4"); // 愛 in Shift-JIS
    EXPECT_EQ(ToShiftJis(G("发")), "\x94\xAD"); // 發 in its Japanese form 発
}

TEST(TextConvert, BigFiveUsesTheFormsItHolds) {
    // OpenCC writes 爲 and 麪, which Big5 lacks; Big5 text has 為 and 麵.
    EXPECT_EQ(ToBig5(G("因为面条")), "\xA6\x5D\xAC\xB0\xC4\xD1\xB1\xF8");
}

TEST(TextConvert, AsciiPassesEveryOperationInPlace) {
    std::string ascii;
    for (int c = 0; c < 0x80; ++c)
        ascii.push_back(static_cast<char>(c));
    for (auto op : {ToTraditional, ToSimplified, ToBig5, ToShiftJis}) {
        EXPECT_EQ(op(ascii), ascii);
        EXPECT_EQ(op(""), "");
        EXPECT_EQ(op("abc 123\r\n"), "abc 123\r\n");
    }
    // ASCII between Chinese keeps its place.
    EXPECT_EQ(ToBig5(G("a中1国\r\n")), "a\xA4\xA4"
                                       "1\xB0\xEA\r\n");
    EXPECT_EQ(ToTraditional(G("x爱\0y爱")), G("x愛\0y愛"));
}

TEST(TextConvert, CharactersWithoutCounterpart) {
    // Kept in GBK results, whether it is a GB18030-only character or a byte that is no character.
    EXPECT_EQ(ToTraditional(G("😀爱")), G("😀愛"));
    EXPECT_EQ(ToSimplified("\x80\xFF"
                           "a\x81"),
              "\x80\xFF"
              "a\x81");
    // '?' in Big5 and Shift-JIS, one per character, the rest unharmed.
    EXPECT_EQ(ToBig5(G("😀中")), "?\xA4\xA4");
    EXPECT_EQ(ToBig5("\x80"
                     "a"),
              "?a");
    EXPECT_EQ(ToShiftJis(G("丂中")), "?\x92\x86");
}

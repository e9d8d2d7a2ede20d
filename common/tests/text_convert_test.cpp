// The text conversion service: character forms phrase by phrase, code pages byte for byte, and ASCII
// untouched in every operation.
#include "common/gbk_codec.h"
#include "common/tests/gbk_literal.h"
#include "common/text_convert.h"

#include <gtest/gtest.h>
#include <iconv.h>

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

// The results are GBK text: every GBK character, converted alone both ways, gives GBK characters only;
// one whose converted form GBK lacks (鑉 -> 𫓧 in simplified form) stays as it was.
TEST(TextConvert, EveryGbkCharacterConvertsWithinGbk) {
    std::string all;
    int characters = 0, inGbkTable = 0;
    iconv_t gbkTable = iconv_open("UTF-8", "GBK");
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string bytes{char(lead), char(trail)};
            const std::u16string u = codec::gbkToUtf16(bytes);
            if (trail == 0x7F || u.size() != 1 || !codec::isGbkCharacter(u[0]) || (u[0] >= 0xE000 && u[0] <= 0xF8FF))
                continue;
            all += bytes + "\n";
            ++characters;
            char in[2] = {bytes[0], bytes[1]}, out[8];
            char *ip = in, *op = out;
            std::size_t il = 2, ol = sizeof out;
            inGbkTable += iconv(gbkTable, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1);
        }
    }
    iconv_close(gbkTable);
    // Every character of the GBK table, and the hundred GB18030 adds in its two-byte range.
    EXPECT_EQ(inGbkTable, 21791);
    EXPECT_EQ(characters, 21891);
    for (auto convert : {ToSimplified, ToTraditional}) {
        const std::string converted = convert(all);
        const std::u16string u = codec::gbkToUtf16(converted);
        std::size_t lines = 0;
        for (const char16_t c : u) {
            lines += c == u'\n';
            ASSERT_TRUE(c < 0x80 || codec::isGbkCharacter(c)) << std::hex << int(c);
        }
        EXPECT_EQ(lines, static_cast<std::size_t>(characters));
    }
    EXPECT_EQ(ToSimplified("\xE8\x59"), "\xE8\x59");
    EXPECT_EQ(ToSimplified(G("頭髮") + "\xE8\x59" + G("發展")), G("头发") + "\xE8\x59" + G("发展"));
    // Phrases still convert as phrases around a character that stays.
    EXPECT_EQ(ToTraditional(G("头发😀发展")), G("頭髮😀發展"));
}

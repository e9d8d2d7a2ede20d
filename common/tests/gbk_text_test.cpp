// GBK helpers: positions are 1-based bytes, searches give -1, and character boundaries are respected
// where a trail byte could be mistaken for ASCII or for the start of a character.
#include "common/gbk_text.h"
#include "common/tests/gbk_literal.h"

#include <gtest/gtest.h>

namespace gbk = aquine::gbk;
using gbk::kNotFound;

TEST(GbkText, PositionsCountBytesFromOne) {
    const std::string text = G("中文abc中文");
    EXPECT_EQ(text.size(), 11u);
    EXPECT_EQ(gbk::find(text, G("文")), 3);
    EXPECT_EQ(gbk::find(text, G("文"), 4), 10);
    EXPECT_EQ(gbk::find(text, "abc"), 5);
    EXPECT_EQ(gbk::find(text, "x"), kNotFound);
    EXPECT_EQ(gbk::find(text, "c", 100), kNotFound);
    EXPECT_EQ(gbk::find("", "a"), kNotFound);
    EXPECT_EQ(gbk::find("abc", "", 2), 2);
    EXPECT_EQ(gbk::findBackward(text, G("中")), 8);
    EXPECT_EQ(gbk::findBackward(text, G("中"), 7), 1);
    EXPECT_EQ(gbk::findBackward(text, "abc", 4), kNotFound);
    EXPECT_EQ(gbk::findBackward("ab", "abc"), kNotFound);
}

TEST(GbkText, CharacterBoundaries) {
    // 81 41 is a GBK character whose second byte is the letter A; then B, then 中.
    const std::string text = "\x81\x41"
                             "B"
                             "\xD6\xD0";
    EXPECT_EQ(gbk::charLength(text, 0), 2u);
    EXPECT_EQ(gbk::charLength(text, 2), 1u);
    EXPECT_TRUE(gbk::isCharBoundary(text, 0));
    EXPECT_FALSE(gbk::isCharBoundary(text, 1));
    EXPECT_TRUE(gbk::isCharBoundary(text, 2));
    EXPECT_TRUE(gbk::isCharBoundary(text, text.size()));
    EXPECT_EQ(gbk::charCount(text), 3u);
    // A plain byte search finds the trail byte 'A'; the character-aware one does not.
    EXPECT_EQ(gbk::find(text, "A"), 2);
    EXPECT_EQ(gbk::findChar(text, "A"), kNotFound);
    EXPECT_EQ(gbk::findChar(text, "B"), 3);
    // "D0 D6" straddles 中 in 中中 only as trail + lead.
    const std::string twice = G("中中");
    EXPECT_EQ(gbk::find(twice, "\xD0\xD6"), 2);
    EXPECT_EQ(gbk::findChar(twice, "\xD0\xD6"), kNotFound);
    EXPECT_EQ(gbk::findChar(twice, G("中"), 2), 3);
    // Four-byte GB18030 sequences and a lone lead byte at the end.
    const std::string four = "\x95\x32\x82\x36"
                             "a\x81";
    EXPECT_EQ(gbk::charLength(four, 0), 4u);
    EXPECT_EQ(gbk::charLength(four, 5), 1u);
    EXPECT_EQ(gbk::charCount(four), 3u);
}

TEST(GbkText, TrimDropsHalfAndFullWidthBlanks) {
    EXPECT_EQ(gbk::trim("  a b \t"), "a b");
    EXPECT_EQ(gbk::trim(G("　中　 ")), G("中"));
    EXPECT_EQ(gbk::trim("   "), "");
    EXPECT_EQ(gbk::trim(""), "");
    // A1 A1 that ends in the middle of characters is no full-width space: B0 A1 A1 is 啊 + lone A1.
    const std::string tricky = "\xB0\xA1\xA1";
    EXPECT_EQ(gbk::trim(tricky), tricky);
    // Whether a trailing A1 A1 is a blank depends on every byte before it.
    EXPECT_EQ(gbk::trim("x\xA1\xA1\xA1\xA1"), "x");
    EXPECT_EQ(gbk::trim("\xB0\xA1\xA1\xA1\xA1\xA1 "), "\xB0\xA1");
    EXPECT_EQ(gbk::trim("\xB0\xA1\xA1\xA1\xA1"), "\xB0\xA1\xA1\xA1\xA1"); // ends in a lone A1
    EXPECT_EQ(gbk::trim(G("中") + "\x81\x30\xA1\xA1"), G("中") + "\x81\x30");
}

TEST(GbkText, SplitLinesAtCrLfOnly) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(gbk::splitLines("a\r\nb\r\n"), (V{"a", "b", ""}));
    EXPECT_EQ(gbk::splitLines(""), (V{""}));
    EXPECT_EQ(gbk::splitLines("a\nb\rc"), (V{"a\nb\rc"}));
    EXPECT_EQ(gbk::splitLines("\r\n\r\n"), (V{"", "", ""}));
}

TEST(GbkText, CaseFoldingNeverTouchesTrailBytes) {
    EXPECT_TRUE(gbk::equalsIgnoreAsciiCase("Window", "wINDOW"));
    EXPECT_TRUE(gbk::equalsIgnoreAsciiCase(G("配置信息A"), G("配置信息a")));
    // 81 41 and 81 61 are two different characters; folding the trail byte would merge them.
    EXPECT_FALSE(gbk::equalsIgnoreAsciiCase("\x81\x41", "\x81\x61"));
    EXPECT_FALSE(gbk::equalsIgnoreAsciiCase("ab", "abc"));
}

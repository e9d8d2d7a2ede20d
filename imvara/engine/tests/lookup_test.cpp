// Lookup primitives on the real built-in table and on small hand-made texts.
#include "common/tests/gbk_literal.h"
#include "imvara/engine/code_table.h"
#include "imvara/engine/lookup.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace imvara;

namespace {

// The entries a fresh scan meets for a composition, in order.
std::vector<std::string> scan(std::string_view text, std::string_view composition, std::size_t limit) {
    std::vector<std::string> found;
    for (Position p = FindMatch(text, composition, 1); p != kNotFound && found.size() < limit;
         p = FindMatch(text, composition, p + 1))
        if (const auto e = ReadEntry(text, p))
            found.push_back(e->code + " " + e->word);
    return found;
}

} // namespace

TEST(LookupText, JoinsTableUserTextAndFinalLineBreak) {
    LookupText lookup("\r\na " + G("啊") + "\r\n", "\r\naaa " + G("啊啊啊"));
    EXPECT_EQ(lookup.text(), "\r\na " + G("啊") + "\r\n\r\naaa " + G("啊啊啊") + "\r\n");
    EXPECT_EQ(lookup.userPart(), "\r\naaa " + G("啊啊啊") + "\r\n");
    lookup.setUserText("");
    EXPECT_EQ(lookup.text(), "\r\na " + G("啊") + "\r\n\r\n");
    EXPECT_EQ(lookup.codeTable(), "\r\na " + G("啊") + "\r\n");
}

TEST(Lookup, FindMatchGivesTheCrOfThePrecedingLineBreak) {
    const std::string text = "\r\nab x\r\nb y\r\nabc z\r\n";
    EXPECT_EQ(FindMatch(text, "ab", 1), 1);
    EXPECT_EQ(FindMatch(text, "ab", 2), 12);
    EXPECT_EQ(FindMatch(text, "ab", 13), kNotFound);
    EXPECT_EQ(FindMatch(text, "b", 1), 7); // a code beginning with b, not a b inside one
    EXPECT_EQ(FindMatch(text, "B", 1), kNotFound);
    EXPECT_EQ(FindMatch(text, std::string(80, 'a'), 1), kNotFound); // long compositions work too
}

TEST(Lookup, ReadEntryTakesCodeAndWordAndSkipsBrokenLines) {
    const std::string text = "\r\nzhong " + G("中") + " extra\r\nnoblank\r\n" + "long " + std::string(300, 'x') +
                             "\r\nend " + G("末") + "\r\n";
    const auto e = ReadEntry(text, 1);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code, "zhong");
    EXPECT_EQ(e->word, G("中"));
    EXPECT_FALSE(ReadEntry(text, FindMatch(text, "noblank", 1)));
    EXPECT_FALSE(ReadEntry(text, FindMatch(text, "long", 1))); // does not end within 200 bytes
    EXPECT_TRUE(ReadEntry(text, FindMatch(text, "end", 1)));
    EXPECT_FALSE(ReadEntry(text, kNotFound));
}

TEST(Lookup, CandidateTextAndDuplicates) {
    EXPECT_EQ(CandidateText("zhong", G("中"), "zh"), G("中") + "ong");
    EXPECT_EQ(CandidateText("zhong", G("中"), "zhong"), G("中"));
    EXPECT_EQ(CandidateText("aba", G("阿爸"), "a"), G("阿爸") + "ba");
    EXPECT_TRUE(IsDuplicate(G("中"), " 1." + G("中国") + "guo "));
    EXPECT_FALSE(IsDuplicate(G("种"), " 1." + G("中") + " "));
}

TEST(Lookup, BuiltInTableOrder) {
    const LookupText lookup(CodeTable(), "");
    // The characters of group a, common ones first, then its words with their codes.
    const auto a = scan(lookup.text(), "a", 12);
    ASSERT_GE(a.size(), 10u);
    EXPECT_EQ(a[0], "a " + G("啊"));
    EXPECT_EQ(a[1], "a " + G("阿"));
    // Words follow the eight characters, in code order.
    EXPECT_EQ(a[8], "aba " + G("阿爸"));
    EXPECT_EQ(a[9], "achang " + G("阿昌"));
    EXPECT_EQ(scan(lookup.text(), "zhong", 1).front(), "zhong " + G("中"));
    // Codes are at most 12 letters: a 13th letter finds nothing built in; a long word is found by
    // its first 12 letters.
    EXPECT_TRUE(scan(lookup.text(), "anquanshengch", 1).empty());
    EXPECT_EQ(scan(lookup.text(), "anquanshengc", 1).front(), "anquanshengc " + G("安全生产"));
}

TEST(Lookup, UserWordsComeAfterEveryBuiltInMatch) {
    // A user file with one line and no final line break.
    const LookupText lookup(CodeTable(), "aes " + G("我的词"));
    const auto matches = scan(lookup.text(), "aes", 100);
    ASSERT_GE(matches.size(), 2u);
    EXPECT_EQ(matches.front(), "aes " + G("厑"));
    EXPECT_EQ(matches.back(), "aes " + G("我的词"));
    EXPECT_EQ(std::count(matches.begin(), matches.end(), "aes " + G("我的词")), 1);
}

TEST(ReverseLookup, CodesOfWholeLinesInOrder) {
    const std::string hang = G("行");
    const std::string text = "\r\nhang " + hang + "\r\nheng " + hang + "\r\nxing " + hang + "\r\nhangye " + G("行业") +
                             "\r\nxing " + hang + "\r\n" + "trail " + G("尾") + " \r\n";
    EXPECT_EQ(ReverseLookup(text, hang), "hang\r\nheng\r\nxing\r\nxing");
    EXPECT_EQ(ReverseLookup(text, G("行业")), "hangye");
    EXPECT_EQ(ReverseLookup(text, G("业")), "");
    EXPECT_EQ(ReverseLookup(text, ""), "");
    EXPECT_EQ(ReverseLookup(text, G("尾")), ""); // a trailing blank is part of the line's text
    // The code is what lies between the line's start and the blank, up to 100 bytes back.
    const std::string code98(98, 'q');
    EXPECT_EQ(ReverseLookup("\r\n" + code98 + " " + hang + "\r\n", hang), code98);
    const std::string code120(120, 'q');
    EXPECT_EQ(ReverseLookup("\r\n" + code120 + " " + hang + "\r\n", hang), std::string(100, 'q'));
}

TEST(ReverseLookup, BuiltInTable) {
    const LookupText lookup(CodeTable(), "\r\nzz " + G("中"));
    const std::string codes = ReverseLookup(lookup.text(), G("中"));
    EXPECT_EQ(codes.substr(0, 5), "zhong");
    EXPECT_EQ(codes.substr(codes.size() - 4), "\r\nzz"); // user lines last
    EXPECT_EQ(ReverseLookup(lookup.text(), G("中国")), "zhongguo");
}

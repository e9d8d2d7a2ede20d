// Candidate pages under the bar font's metrics: what fits on a page, what the next page starts with,
// how the page history behaves, and what a digit selects.
#include "common/tests/gbk_literal.h"
#include "imvara/engine/candidates.h"
#include "imvara/engine/code_table.h"

#include <gtest/gtest.h>

using namespace imvara;

namespace {

class PagerTest : public ::testing::Test {
protected:
    void fresh(std::string_view composition) { pager.RefreshCandidates(lookup.text(), composition, false, false); }
    void down(std::string_view composition) { pager.RefreshCandidates(lookup.text(), composition, true, false); }
    void up(std::string_view composition) { pager.RefreshCandidates(lookup.text(), composition, true, true); }

    FixedMeasure measure;
    LookupText lookup{CodeTable(), ""};
    CandidatePager pager{measure};
};

std::string line(std::initializer_list<std::string> items) {
    std::string s;
    int n = 1;
    for (const auto& item : items)
        s += " " + std::to_string(n++) + "." + item;
    return s + " ";
}

} // namespace

TEST_F(PagerTest, FirstPageOfAHoldsEightCharactersAndTheNextPageStartsWithTheFirstThatDidNotFit) {
    fresh("a");
    EXPECT_EQ(pager.CandidateLine(), line({G("啊"), G("阿"), G("呵"), G("吖"), G("嗄"), G("腌"), G("锕"), G("錒")}));
    EXPECT_LE(measure.width(pager.CandidateLine()), kCandidateLineWidth + 6);
    down("a");
    // The first word of group a, with its hint letter; numbering starts again at 1.
    EXPECT_TRUE(pager.CandidateLine().starts_with(" 1." + G("阿爸") + "ba 2." + G("阿昌") + "chang "));
    EXPECT_EQ(pager.PageNumber(), 1);
}

TEST_F(PagerTest, PageDownTwiceThenUpTwiceGivesBackTheSameFirstPage) {
    fresh("shi");
    const std::string first = pager.CandidateLine();
    down("shi");
    const std::string second = pager.CandidateLine();
    down("shi");
    const std::string third = pager.CandidateLine();
    EXPECT_EQ(pager.PageCache(), (std::vector<std::string>{second, third}));
    const Position scanned = pager.ScanPosition();
    up("shi");
    EXPECT_EQ(pager.CandidateLine(), second); // from the cache, without scanning
    EXPECT_EQ(pager.ScanPosition(), scanned);
    down("shi");
    EXPECT_EQ(pager.CandidateLine(), third);
    up("shi");
    up("shi");
    EXPECT_EQ(pager.CandidateLine(), first); // rebuilt
    EXPECT_EQ(pager.PageNumber(), 0);
    EXPECT_TRUE(pager.PageCache().empty());
    up("shi"); // on page 1: nothing happens
    EXPECT_EQ(pager.CandidateLine(), first);
}

TEST_F(PagerTest, EveryPageFitsAndNeverRepeatsACandidate) {
    fresh("zh");
    for (int page = 0; page < 30; ++page) {
        const std::string& l = pager.CandidateLine();
        ASSERT_FALSE(l.empty());
        EXPECT_LE(measure.width(l.substr(0, l.size() - 1)), kCandidateLineWidth);
        EXPECT_EQ(l.substr(0, 3), " 1.");
        // Each candidate text stands once on its page.
        std::vector<std::string> texts;
        for (char d = '1'; d <= '9'; ++d) {
            const auto at = l.find(std::string(1, d) + ".");
            if (at == std::string::npos)
                break;
            texts.push_back(l.substr(at + 2, l.find(' ', at) - at - 2));
        }
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(std::adjacent_find(texts.begin(), texts.end()), texts.end()) << "page " << page;
        down("zh");
    }
}

TEST_F(PagerTest, DuplicateLinesOfACharacterWithSeveralReadingsShowOnce) {
    // A hand-made table: 呵 alone in group a, and as the pair (he, a) in group he.
    lookup =
        LookupText("\r\na " + G("呵") + "\r\nhe " + G("呵") + "\r\na " + G("呵") + "\r\nhe " + G("和") + "\r\n", "");
    fresh("he");
    EXPECT_EQ(pager.CandidateLine(), line({G("呵"), G("和")}));
    // A user line equal to a built-in line on the same page shows once.
    lookup.setUserText("\r\nhe " + G("和"));
    fresh("he");
    EXPECT_EQ(pager.CandidateLine(), line({G("呵"), G("和")}));
}

TEST_F(PagerTest, EmptyAndUnmatchedCompositions) {
    fresh("a");
    fresh("");
    EXPECT_EQ(pager.CandidateLine(), "");
    fresh("zzzzzzzzzzzzz");
    EXPECT_EQ(pager.CandidateLine(), "");
    EXPECT_EQ(pager.ScanPosition(), kNotFound);
}

TEST_F(PagerTest, PageDownPastTheLastMatchKeepsTheLastPage) {
    lookup = LookupText("\r\nqq " + G("一") + "\r\nqq " + G("二") + "\r\n", "");
    fresh("qq");
    const std::string only = pager.CandidateLine();
    down("qq");
    down("qq");
    EXPECT_EQ(pager.CandidateLine(), only);
    EXPECT_EQ(pager.PageNumber(), 0);
    EXPECT_EQ(pager.selectedText('2'), G("二"));
}

TEST_F(PagerTest, AnEntryTooWideForAnyPageIsSkipped) {
    std::string fourteen;
    for (int i = 0; i < 14; ++i)
        fourteen += G("长");
    // 20 characters and 11 hint letters: 18 + 240 + 66 pixels, more than 286.
    lookup = LookupText("\r\nqqqqqqqqqqqq " + fourteen + fourteen.substr(0, 12) + "\r\nqa " + G("短") + "\r\n", "");
    fresh("q");
    EXPECT_EQ(pager.CandidateLine(), line({G("短") + "a"}));
}

TEST_F(PagerTest, SelectionStripsHintLettersButNeverPartOfACharacter) {
    lookup = LookupText("\r\naba " + G("阿爸") + "\r\nax " + "\x81\x61\x81\x62" + "\r\n", "");
    fresh("a");
    EXPECT_EQ(pager.selectedText('1'), G("阿爸"));
    // 81 61 and 81 62 end in bytes that look like the letters a and b: they stay whole.
    EXPECT_EQ(pager.selectedText('2'), "\x81\x61\x81\x62");
    EXPECT_FALSE(pager.selectedText('3'));
}

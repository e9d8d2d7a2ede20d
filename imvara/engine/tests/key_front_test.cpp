// Key events as IBus and fcitx deliver them, against the built-in table: which keys are ours, what is
// committed, and the page the popup gets.
#include "imvara/engine/code_table.h"
#include "imvara/engine/key_front.h"

#include <gtest/gtest.h>

using namespace imvara;

namespace {

constexpr std::uint32_t kShiftL = 0xffe1, kCapsLock = 0xffe5, kBackSpace = 0xff08, kPageDown = 0xff56, kPageUp = 0xff55,
                        kReturn = 0xff0d;

class KeyFrontTest : public ::testing::Test, public CommitSink {
protected:
    void commit(const std::string& utf8) override { committed += utf8; }

    // A press and its release; what the press returned.
    bool tap(std::uint32_t keysym, std::uint32_t state = 0) {
        const bool ours = front.processKey(keysym, keysym & 0xff, state);
        EXPECT_EQ(front.processKey(keysym, keysym & 0xff, state | kReleaseMask), ours) << keysym;
        return ours;
    }
    void type(std::string_view keys) {
        for (const char c : keys)
            tap(static_cast<unsigned char>(c));
    }

    std::string committed;
    FixedMeasure measure;
    LookupText lookup{CodeTable(), ""};
    KeyFront front{measure, lookup, *this};
};

} // namespace

TEST(SplitCandidateLine, ItemsKeepTheirNumbersAndHints) {
    const auto items = splitCandidateLine(" 1.\xD6\xD0\xB9\xFA 2.\xD6\xD0\xB9\xFA"
                                          "dalu 3.a b ");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].label, "1");
    EXPECT_EQ(items[0].text, "中国");
    EXPECT_EQ(items[1].text, "中国dalu");
    EXPECT_EQ(items[2].text, "a b"); // a word with a blank stays one item
    EXPECT_TRUE(splitCandidateLine("").empty());
}

TEST_F(KeyFrontTest, LettersComposeAndTheBlankOrADigitCommits) {
    EXPECT_TRUE(tap('n'));
    type("ihao");
    EXPECT_EQ(front.preedit(), "nihao");
    const CandidatePage page = front.candidatePage();
    ASSERT_GE(page.items.size(), 1u);
    EXPECT_EQ(page.items[0].text, "你好");
    EXPECT_FALSE(page.hasPrevious);
    EXPECT_TRUE(tap(' '));
    EXPECT_EQ(committed, "你好");
    EXPECT_TRUE(front.preedit().empty());
    EXPECT_TRUE(front.candidatePage().items.empty());
}

TEST_F(KeyFrontTest, KeysThatMeanNothingWithoutACompositionPassOnOrKeepTheirPlace) {
    for (const std::uint32_t key : {kBackSpace, kPageDown, kPageUp, kReturn})
        EXPECT_FALSE(tap(key)) << key;
    EXPECT_FALSE(tap('c', kControlMask));
    EXPECT_FALSE(tap('x', kAltMask));
    // Characters: committed as themselves, in order with the words.
    type(" 1");
    EXPECT_TRUE(tap(','));
    EXPECT_TRUE(tap('A', kShiftMask));
    type("ni1");
    EXPECT_EQ(committed, " 1,A你");
    type("zh");
    EXPECT_TRUE(tap(kBackSpace));
    EXPECT_EQ(front.preedit(), "z");
    EXPECT_FALSE(tap(kReturn)); // the bar does not claim it either
    EXPECT_TRUE(tap(';'));
    EXPECT_EQ(front.preedit(), "z") << "a character beside a composition leaves it as it is";
    EXPECT_EQ(committed, " 1,A你;");
}

TEST_F(KeyFrontTest, PagesTurnFromTheKeysAndThePanel) {
    type("shi");
    const CandidatePage first = front.candidatePage();
    EXPECT_TRUE(first.hasNext);
    EXPECT_TRUE(tap(kPageDown));
    const CandidatePage second = front.candidatePage();
    EXPECT_TRUE(second.hasPrevious);
    EXPECT_NE(second.items[0].text, first.items[0].text);
    front.pageUp();
    EXPECT_EQ(front.candidatePage().items[0].text, first.items[0].text);
    front.pageDown();
    front.chooseOnPage(2);
    EXPECT_EQ(committed, second.items[2].text);
}

TEST_F(KeyFrontTest, ShiftAloneSwitchesToDirectInputAndKeepsTheLetters) {
    type("zh");
    EXPECT_FALSE(tap(kShiftL, 0));
    EXPECT_EQ(committed, "zh") << "the composition goes to the application as typed";
    EXPECT_FALSE(front.chinese());
    EXPECT_FALSE(tap('a')) << "direct input: every key is the application's";
    EXPECT_FALSE(tap(' '));
    EXPECT_FALSE(tap(','));
    // Shift held for a capital is not Shift alone.
    EXPECT_FALSE(front.processKey(kShiftL, 50, 0));
    EXPECT_FALSE(front.processKey('A', 38, kShiftMask));
    EXPECT_FALSE(front.processKey(kShiftL, 50, kShiftMask | kReleaseMask));
    EXPECT_FALSE(front.chinese());
    tap(kShiftL);
    EXPECT_TRUE(front.chinese());
    EXPECT_TRUE(tap('a'));
}

TEST_F(KeyFrontTest, CapsLockTypesCapitalsAndDropsTheComposition) {
    type("ni");
    front.processKey(kCapsLock, 66, 0);
    front.processKey(kCapsLock, 66, kLockMask | kReleaseMask);
    EXPECT_TRUE(front.preedit().empty());
    EXPECT_TRUE(tap('A', kLockMask));
    EXPECT_EQ(committed, "A");
    front.processKey(kCapsLock, 66, kLockMask);
    front.processKey(kCapsLock, 66, kReleaseMask);
    EXPECT_TRUE(tap('n'));
    EXPECT_EQ(front.preedit(), "n");
}

TEST_F(KeyFrontTest, TheReleaseOfAKeyWeTookIsOursEvenAfterAModifierChange) {
    EXPECT_TRUE(front.processKey('n', 57, 0));
    EXPECT_TRUE(front.processKey('N', 57, kShiftMask | kReleaseMask)) << "same key, Shift pressed meanwhile";
    EXPECT_FALSE(front.processKey('n', 57, kReleaseMask)) << "a second release is not ours";
}

TEST_F(KeyFrontTest, OutputModesConvertWhatIsCommitted) {
    front.setOutputMode(OutputMode::Traditional);
    type("zhongguo ");
    EXPECT_EQ(committed, "中國");
    committed.clear();
    front.setOutputMode(OutputMode::Big5);
    type("zhongguo ");
    EXPECT_EQ(committed, "中國") << "Big5 is committed as the characters it encodes";
    front.reset();
    type("ni");
    front.reset();
    EXPECT_TRUE(front.preedit().empty());
}

// The find rules on the editor: where F3 and Shift+F3 start from the selection, what they select, and
// when they do nothing at all.
#include "aquinepad/editor/tests/fake_text_editor.h"
#include "aquinepad/find/find_in_document.h"

#include <gtest/gtest.h>

using namespace aquinepad;
using aquinepad::testing::FakeTextEditor;

namespace {

constexpr auto kForward = SearchDirection::Forward;
constexpr auto kBackward = SearchDirection::Backward;

std::string selected(const FakeTextEditor& editor) {
    const TextRange s = editor.selection();
    return editor.text().substr(s.start, s.end - s.start);
}

} // namespace

TEST(FindInDocument, ForwardWalksThroughEveryOccurrenceThenStops) {
    FakeTextEditor editor("abc-abc-abc");
    const SearchState state{"abc", true};
    for (const std::size_t at : {0u, 4u, 8u}) {
        ASSERT_EQ(FindInDocument(editor, state, kForward), FindOutcome::Found);
        EXPECT_EQ(editor.selection(), (TextRange{at, at + 3}));
    }
    EXPECT_EQ(FindInDocument(editor, state, kForward), FindOutcome::NotFound);
    EXPECT_EQ(editor.selection(), (TextRange{8, 11})); // no wrap-around, selection kept
}

TEST(FindInDocument, BackwardWalksThroughEveryOccurrenceThenStops) {
    FakeTextEditor editor("abc-abc-abc");
    editor.setSelection({11, 11});
    const SearchState state{"abc", true};
    for (const std::size_t at : {8u, 4u, 0u}) {
        ASSERT_EQ(FindInDocument(editor, state, kBackward), FindOutcome::Found);
        EXPECT_EQ(editor.selection(), (TextRange{at, at + 3}));
    }
    EXPECT_EQ(FindInDocument(editor, state, kBackward), FindOutcome::NotFound);
    EXPECT_EQ(editor.selection(), (TextRange{0, 3}));
}

TEST(FindInDocument, StartsFromTheSelectionsEdges) {
    FakeTextEditor editor("aaaa");
    const SearchState state{"aa", true};
    // Forward begins after the selection: an occurrence overlapping it is passed over.
    editor.setSelection({1, 2});
    ASSERT_EQ(FindInDocument(editor, state, kForward), FindOutcome::Found);
    EXPECT_EQ(editor.selection(), (TextRange{2, 4}));
    // Backward takes one that begins before the selection, even if it runs into it.
    editor.setSelection({2, 4});
    ASSERT_EQ(FindInDocument(editor, state, kBackward), FindOutcome::Found);
    EXPECT_EQ(editor.selection(), (TextRange{1, 3}));
}

TEST(FindInDocument, ChineseSelectsExactlyTheText) {
    FakeTextEditor editor("第一行\r\n寻找中文，中文。");
    const SearchState state{"中文", false};
    ASSERT_EQ(FindInDocument(editor, state, kForward), FindOutcome::Found);
    EXPECT_EQ(selected(editor), "中文");
    EXPECT_EQ(editor.selection().start, std::string("第一行\r\n寻找").size());
    ASSERT_EQ(FindInDocument(editor, state, kForward), FindOutcome::Found);
    EXPECT_EQ(editor.selection().end, std::string("第一行\r\n寻找中文，中文").size());
}

TEST(FindInDocument, CaseFoldsOnlyWhenMatchCaseIsOff) {
    FakeTextEditor editor("x ABC abc");
    ASSERT_EQ(FindInDocument(editor, {"abc", false}, kForward), FindOutcome::Found);
    EXPECT_EQ(editor.selection(), (TextRange{2, 5}));
    editor.setSelection({0, 0});
    ASSERT_EQ(FindInDocument(editor, {"abc", true}, kForward), FindOutcome::Found);
    EXPECT_EQ(editor.selection(), (TextRange{6, 9}));
    editor.setSelection({0, 0});
    EXPECT_EQ(FindInDocument(editor, {"ABc", true}, kForward), FindOutcome::NotFound);
    EXPECT_EQ(editor.selection(), (TextRange{0, 0}));
}

TEST(FindInDocument, DoesNothingWithoutATextOrWhileTheTextIsHidden) {
    FakeTextEditor editor("abc abc");
    editor.setSelection({1, 2});
    EXPECT_EQ(FindInDocument(editor, {}, kForward), FindOutcome::NothingToFind);
    EXPECT_EQ(FindInDocument(editor, {"", true}, kBackward), FindOutcome::NothingToFind);
    editor.setTextVisible(false);
    EXPECT_EQ(FindInDocument(editor, {"abc", false}, kForward), FindOutcome::NothingToFind);
    EXPECT_EQ(FindInDocument(editor, {"zzz", false}, kForward), FindOutcome::NothingToFind);
    EXPECT_EQ(editor.selection(), (TextRange{1, 2}));
    EXPECT_FALSE(editor.isModified());
}

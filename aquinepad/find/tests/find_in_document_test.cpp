// The find rules on the editor: where F3 and Shift+F3 start from the selection and when they do
// nothing at all. Walking through occurrences, case and Chinese are tested in the real window.
#include "aquinepad/editor/tests/fake_text_editor.h"
#include "aquinepad/find/find_in_document.h"

#include <gtest/gtest.h>

using namespace aquinepad;
using aquinepad::testing::FakeTextEditor;

namespace {

constexpr auto kForward = SearchDirection::Forward;
constexpr auto kBackward = SearchDirection::Backward;

} // namespace

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

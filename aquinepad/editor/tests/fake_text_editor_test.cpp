// The fake editor keeps the editor's contract, so tests written against it hold for the notepad.
#include "aquinepad/editor/tests/fake_text_editor.h"
#include "aquinepad/editor/tests/text_editor_contract.h"

#include <gtest/gtest.h>

using aquinepad::testing::FakeTextEditor;

TEST(FakeTextEditor, KeepsTheEditorContract) {
    FakeTextEditor editor;
    for (const std::string& failure : aquinepad::testing::textEditorContractFailures(editor))
        ADD_FAILURE() << failure;
}

TEST(FakeTextEditor, AnEditAfterUndoingPastTheSavePointNeverReadsAsSaved) {
    FakeTextEditor editor;
    editor.insertAtCaret("a");
    editor.setModified(false);
    editor.undo();
    EXPECT_TRUE(editor.isModified());
    editor.insertAtCaret("b"); // same length of history as at the save, other text
    EXPECT_TRUE(editor.isModified());
}

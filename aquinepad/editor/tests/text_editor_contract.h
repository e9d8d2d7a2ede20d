// What every TextEditor must do, checked the same way on the real editor (a widget test) and on the
// fake (a unit test), so that tests written against the fake hold for the notepad itself.
#pragma once

#include "aquinepad/editor/text_editor.h"

#include <string>
#include <vector>

namespace aquinepad::testing {

// The broken promises, one line each; empty when the editor keeps them all.
inline std::vector<std::string> textEditorContractFailures(TextEditor& editor) {
    using namespace std::string_literals;
    std::vector<std::string> failures;
    const auto expect = [&](bool ok, const std::string& what) {
        if (!ok)
            failures.push_back(what);
    };
    const auto text = [&] { return std::string(editor.textView()); };
    const auto load = [&](std::string_view utf8) {
        editor.clearText();
        editor.appendText(utf8.substr(0, 2));
        editor.appendText(utf8.substr(2));
        editor.finishLoading();
    };

    // Loading keeps every byte (NULs too), is not an edit and cannot be undone.
    const std::string loaded = "ab中文\0x\r\n"s;
    load(loaded);
    expect(text() == loaded, "load keeps every byte");
    expect(!editor.isModified(), "a load is not a modification");
    expect(editor.caretPosition() == 0, "the caret starts at the start");
    editor.undo();
    expect(text() == loaded, "a load cannot be undone");

    // Selections and edits count bytes of the UTF-8 text; each edit is one step of undo.
    editor.setSelection({2, 5});
    expect(editor.selection() == TextRange{2, 5}, "selection as set");
    editor.replaceSelection("XY");
    expect(text() == "abXY文\0x\r\n"s, "replace the selection");
    expect(editor.caretPosition() == 4 && editor.selection().empty(), "the caret follows the replacement");
    expect(editor.isModified(), "an edit modifies");
    editor.insertAtCaret("\0Z"s);
    expect(text() == "abXY\0Z文\0x\r\n"s && editor.caretPosition() == 6, "insert at the caret, NUL included");
    editor.undo();
    expect(text() == "abXY文\0x\r\n"s, "undo the insertion alone");
    editor.undo();
    expect(text() == loaded && !editor.isModified(), "undo back to the load is unmodified again");

    // A save point, then a group of edits that one undo takes back.
    editor.setSelection({0, 1});
    editor.replaceSelection("A");
    editor.setModified(false);
    expect(!editor.isModified(), "a save clears the flag");
    {
        UndoGroup group(editor);
        editor.setSelection({1, 2});
        editor.replaceSelection("B");
        editor.insertAtCaret("C");
    }
    expect(text() == "ABC中文\0x\r\n"s, "edits inside a group");
    editor.undo();
    expect(text() == "Ab中文\0x\r\n"s && !editor.isModified(), "one undo takes back the group");

    // The whole text replaced as one step.
    editor.replaceAllText("新的");
    expect(text() == "新的", "replace all");
    expect(editor.caretPosition() == 0, "replace all puts the caret at the start");
    editor.undo();
    expect(text() == "Ab中文\0x\r\n"s, "one undo takes back replace all");

    // Positions past the end are the end.
    editor.setSelection({3, 1000});
    expect(editor.selection() == TextRange{3, text().size()}, "a selection past the end ends at the end");

    // Clipboard commands.
    load("ab中");
    editor.setSelection({2, 5});
    editor.copy();
    editor.setSelection({0, 0});
    editor.paste();
    expect(text() == "中ab中", "copy and paste");
    editor.setSelection({0, 3});
    editor.cut();
    expect(text() == "ab中", "cut");
    editor.selectAll();
    expect(editor.selection() == TextRange{0, 5}, "select all");

    // Look and visibility.
    editor.setTextColour({1, 2, 3});
    editor.setBackgroundColour({0, 0, 255});
    expect(editor.textColour() == Rgb{1, 2, 3} && editor.backgroundColour() == Rgb{0, 0, 255}, "colours");
    EditorFont font = editor.font();
    font.pixelSize = 20;
    font.bold = font.italic = font.underline = font.strikeOut = true;
    editor.setFont(font);
    expect(editor.font() == font, "font");
    expect(text() == "ab中", "the look leaves the text alone");
    editor.setTextVisible(false);
    expect(!editor.isTextVisible(), "hidden");
    editor.setTextVisible(true);
    expect(editor.isTextVisible(), "shown again");

    // The text's version moves with every change of the text and with nothing else.
    const auto changes = [&](auto&& action) {
        const std::uint64_t before = editor.textVersion();
        action();
        return editor.textVersion() != before;
    };
    expect(changes([&] { load("新文本"); }), "a load changes the version");
    expect(changes([&] { editor.insertAtCaret("x"); }), "an insertion changes the version");
    expect(changes([&] {
               editor.setSelection({0, 1});
               editor.replaceSelection({});
           }),
           "a deletion changes the version");
    expect(changes([&] { editor.undo(); }), "undo changes the version");
    expect(changes([&] { editor.replaceAllText("新文本"); }), "replace all changes the version");
    expect(!changes([&] {
        editor.setSelection({0, 3});
        editor.copy();
        editor.selectAll();
        editor.setModified(false);
        editor.setTextColour({9, 9, 9});
        editor.setFont(font);
        editor.setTextVisible(false);
        editor.setTextVisible(true);
    }),
           "selection, copy, the save point and the look leave the version alone");
    return failures;
}

} // namespace aquinepad::testing

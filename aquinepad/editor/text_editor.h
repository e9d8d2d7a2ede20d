// What the notepad's commands need from the editor that holds the document: its text, selection and
// caret, edits the user can undo, the edit control's own commands, and its look. The QScintilla editor
// implements it; unit tests use a fake. Commands never talk to Scintilla themselves.
//
// The text is UTF-8, the lossless image of the document's GBK bytes. Positions are byte offsets into
// that text and always fall between characters: the editor never reports, and callers never pass, a
// position inside a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace aquinepad {

struct TextRange {
    std::size_t start = 0;
    std::size_t end = 0; // one past the last byte; start == end is a caret
    bool empty() const { return start == end; }
    bool operator==(const TextRange&) const = default;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct EditorFont {
    std::string family; // UTF-8
    int pixelSize = 16;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool operator==(const EditorFont&) const = default;
};

class TextEditor {
public:
    virtual ~TextEditor() = default;

    // Loading a document. None of these is a user edit: nothing to undo.
    virtual void clearText() = 0;
    // A hint before a load of about this many UTF-8 bytes, so a large file is not copied while growing.
    virtual void reserveText(std::size_t utf8Bytes) = 0;
    virtual void appendText(std::string_view utf8) = 0;
    // After a load: the caret goes to the start and the load cannot be undone.
    virtual void finishLoading() = 0;

    // The whole text, valid until the next change.
    virtual std::string_view textView() = 0;
    // The editor's own modified flag: set by every user edit, cleared by setModified(false).
    virtual bool isModified() const = 0;
    virtual void setModified(bool modified) = 0;
    // A number that changes with every change of the text, whatever made it (typing, a command, undo,
    // a load), and with nothing else: work that outlives a handler can tell whether the positions it
    // took are still good.
    virtual std::uint64_t textVersion() const = 0;

    // Selection and caret. The caret is the selection's end.
    virtual TextRange selection() const = 0;
    // Selects the range and scrolls it into view. Positions past the end are taken as the end.
    virtual void setSelection(TextRange range) = 0;
    virtual std::size_t caretPosition() const = 0;

    // User edits: each is one step of undo unless inside an undo group.
    virtual void replaceSelection(std::string_view utf8) = 0;
    // Inserts at the caret, leaving the caret after the text; any selection is kept, not replaced.
    virtual void insertAtCaret(std::string_view utf8) = 0;
    // Replaces the whole text as one step of undo.
    virtual void replaceAllText(std::string_view utf8) = 0;
    // Edits between these two are undone by one undo. Groups nest.
    virtual void beginUndoGroup() = 0;
    virtual void endUndoGroup() = 0;

    // The edit control's own commands, on the system clipboard.
    virtual void undo() = 0;
    virtual void cut() = 0;
    virtual void copy() = 0;
    virtual void paste() = 0;
    virtual void selectAll() = 0;

    // The look of the whole text.
    virtual void setTextColour(Rgb colour) = 0;
    virtual void setBackgroundColour(Rgb colour) = 0;
    virtual Rgb textColour() const = 0;
    virtual Rgb backgroundColour() const = 0;
    virtual void setFont(const EditorFont& font) = 0;
    virtual EditorFont font() const = 0;
    // Hidden, the editor shows nothing of the text, not even through its scroll bars.
    virtual void setTextVisible(bool visible) = 0;
    virtual bool isTextVisible() const = 0;
};

// One undo step for the edits made while it lives.
class UndoGroup {
public:
    explicit UndoGroup(TextEditor& editor) : m_editor(editor) { m_editor.beginUndoGroup(); }
    ~UndoGroup() { m_editor.endUndoGroup(); }
    UndoGroup(const UndoGroup&) = delete;
    UndoGroup& operator=(const UndoGroup&) = delete;

private:
    TextEditor& m_editor;
};

} // namespace aquinepad

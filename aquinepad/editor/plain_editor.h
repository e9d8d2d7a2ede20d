// The document's editor (`编辑框`): Scintilla set up to look and act like a plain multi-line edit
// control: no margins, no styling, white paper with black text in a Song-like CJK face at 16 px,
// every line ending kept byte for byte.
#pragma once

#include "aquinepad/editor/text_editor.h"

#include <QAccessible>
#include <QString>
#include <Qsci/qsciscintillabase.h>

namespace aquinepad {

class PlainEditor : public QsciScintillaBase, public TextEditor, private QAccessible::ActivationObserver {
    Q_OBJECT

public:
    explicit PlainEditor(QWidget* parent = nullptr);
    ~PlainEditor() override;

    void clearText() override;
    void reserveText(std::size_t utf8Bytes) override;
    void appendText(std::string_view utf8) override;
    void finishLoading() override;
    std::string_view textView() override;
    bool isModified() const override;
    void setModified(bool modified) override;
    std::uint64_t textVersion() const override { return m_textVersion; }

    TextRange selection() const override;
    void setSelection(TextRange range) override;
    std::size_t caretPosition() const override;

    void replaceSelection(std::string_view utf8) override;
    void insertAtCaret(std::string_view utf8) override;
    void replaceAllText(std::string_view utf8) override;
    void beginUndoGroup() override;
    void endUndoGroup() override;

    void undo() override;
    void cut() override;
    void copy() override;
    void paste() override;
    void selectAll() override;

    void setTextColour(Rgb colour) override;
    void setBackgroundColour(Rgb colour) override;
    Rgb textColour() const override { return m_textColour; }
    Rgb backgroundColour() const override { return m_backgroundColour; }
    void setFont(const EditorFont& font) override;
    EditorFont font() const override { return m_font; }
    void setTextVisible(bool visible) override;
    bool isTextVisible() const override { return !isHidden(); }

    // The face the editor uses: the design's Song face where installed, else the bundled WenQuanYi.
    static QString fontFamily();

    // The editor's accessible object, when it must differ from QScintilla's (no assistive technology,
    // or a large document), else null. For the accessibility factory only.
    QAccessibleInterface* accessibleForSize();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setUpDocument();
    void setUpLook();
    void removeCodeEditorKeys();
    void reportChangesBySize();
    void dropAccessible();
    void accessibilityActiveChanged(bool active) override;
    // Replaces the bytes in [start, end) and leaves the caret after the new text. Scintilla's own
    // replace-selection stops at a NUL byte, which documents may hold.
    void replaceRange(std::size_t start, std::size_t end, std::string_view utf8);
    void applyStyle();
    void applySelectionColours();
    void strikeOut(std::size_t start, std::size_t length);

    Rgb m_textColour{0, 0, 0};
    Rgb m_backgroundColour{255, 255, 255};
    EditorFont m_font;
    std::uint64_t m_textVersion = 0;
    bool m_large = false;                                 // too large for per-change reports to assistive technology
    bool m_accessibleMade = false;                        // an accessible object may exist for the editor
    bool m_assistiveTechnology = QAccessible::isActive(); // a screen reader or the like listens
    bool m_sizeCheckPending = false;                      // reportChangesBySize is queued
};

} // namespace aquinepad

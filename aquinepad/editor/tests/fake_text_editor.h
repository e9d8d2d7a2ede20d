// A TextEditor in memory for unit tests: the text in a string, undo by snapshots, a clipboard of its
// own. It follows the same contract as the real editor (text_editor_contract.h checks both).
#pragma once

#include "aquinepad/editor/text_editor.h"

#include <algorithm>
#include <vector>

namespace aquinepad::testing {

class FakeTextEditor : public TextEditor {
public:
    explicit FakeTextEditor(std::string utf8 = {}) : m_text(std::move(utf8)) {}

    void clearText() override {
        m_text.clear();
        ++m_version;
        finishLoading();
    }
    void reserveText(std::size_t utf8Bytes) override { m_text.reserve(utf8Bytes); }
    void appendText(std::string_view utf8) override {
        m_text.append(utf8);
        ++m_version;
    }
    void finishLoading() override {
        m_undo.clear();
        m_savePoint = 0;
        placeCaret(0);
    }

    std::string_view textView() override { return m_text; }
    const std::string& text() const { return m_text; }
    // As in Scintilla, the document is modified when it is not at its save point: undoing back to the
    // last save makes it unmodified again, and only a save (setModified(false)) moves the point.
    bool isModified() const override { return m_undo.size() != m_savePoint; }
    void setModified(bool modified) override {
        if (!modified)
            m_savePoint = m_undo.size();
    }
    std::uint64_t textVersion() const override { return m_version; }

    TextRange selection() const override { return m_selection; }
    void setSelection(TextRange range) override {
        m_selection = {std::min(range.start, m_text.size()), std::min(range.end, m_text.size())};
        if (m_selection.start > m_selection.end)
            std::swap(m_selection.start, m_selection.end);
        m_caret = std::min(range.end, m_text.size());
    }
    std::size_t caretPosition() const override { return m_caret; }

    void replaceSelection(std::string_view utf8) override { replaceRange(m_selection.start, m_selection.end, utf8); }
    void insertAtCaret(std::string_view utf8) override { replaceRange(m_caret, m_caret, utf8); }
    void replaceAllText(std::string_view utf8) override {
        UndoGroup group(*this);
        replaceRange(0, m_text.size(), utf8);
        placeCaret(0);
    }
    void beginUndoGroup() override {
        if (m_groupDepth++ == 0)
            m_groupOpened = false;
    }
    void endUndoGroup() override {
        if (m_groupDepth > 0)
            --m_groupDepth;
    }

    void undo() override {
        if (m_undo.empty())
            return;
        m_text = std::move(m_undo.back().text);
        ++m_version;
        placeCaret(m_undo.back().caret);
        m_undo.pop_back();
    }
    void cut() override {
        copy();
        replaceSelection({});
    }
    void copy() override {
        if (!m_selection.empty())
            clipboard = m_text.substr(m_selection.start, m_selection.end - m_selection.start);
    }
    void paste() override {
        if (!clipboard.empty())
            replaceSelection(clipboard);
    }
    void selectAll() override { setSelection({0, m_text.size()}); }

    void setTextColour(Rgb colour) override { m_textColour = colour; }
    void setBackgroundColour(Rgb colour) override { m_backgroundColour = colour; }
    Rgb textColour() const override { return m_textColour; }
    Rgb backgroundColour() const override { return m_backgroundColour; }
    void setFont(const EditorFont& font) override { m_font = font; }
    EditorFont font() const override { return m_font; }
    void setTextVisible(bool visible) override { m_visible = visible; }
    bool isTextVisible() const override { return m_visible; }

    std::string clipboard;

private:
    struct Snapshot {
        std::string text;
        std::size_t caret;
    };

    void placeCaret(std::size_t at) {
        m_caret = at;
        m_selection = {at, at};
    }

    void replaceRange(std::size_t start, std::size_t end, std::string_view utf8) {
        if (start == end && utf8.empty())
            return;
        // Inside a group only the first edit records the state to go back to.
        if (m_groupDepth == 0 || !m_groupOpened) {
            if (m_savePoint != kNoSavePoint && m_savePoint > m_undo.size())
                m_savePoint = kNoSavePoint; // the saved state was undone and is now out of reach
            m_undo.push_back({m_text, m_caret});
        }
        if (m_groupDepth > 0)
            m_groupOpened = true;
        m_text.replace(start, end - start, utf8);
        ++m_version;
        placeCaret(start + utf8.size());
    }

    std::string m_text;
    std::uint64_t m_version = 0;
    TextRange m_selection;
    std::size_t m_caret = 0;
    static constexpr std::size_t kNoSavePoint = static_cast<std::size_t>(-1);
    std::vector<Snapshot> m_undo;
    std::size_t m_savePoint = 0;
    int m_groupDepth = 0;
    bool m_groupOpened = false;
    Rgb m_textColour{0, 0, 0};
    Rgb m_backgroundColour{255, 255, 255};
    EditorFont m_font;
    bool m_visible = true;
};

} // namespace aquinepad::testing

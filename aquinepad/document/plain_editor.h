// The document's editor (`编辑框`): Scintilla set up to look and act like a plain multi-line edit
// control: no margins, no styling, white paper with black text in a Song-like CJK face at 16 px,
// every line ending kept byte for byte.
#pragma once

#include "aquinepad/document/document_text.h"

#include <Qsci/qsciscintillabase.h>

namespace aquinepad {

class PlainEditor : public QsciScintillaBase, public DocumentText {
    Q_OBJECT

public:
    explicit PlainEditor(QWidget* parent = nullptr);

    void clearText() override;
    void reserveText(std::size_t utf8Bytes) override;
    void appendText(std::string_view utf8) override;
    void finishLoading() override;
    std::string_view textView() override;
    bool isModified() const override;
    void setModified(bool modified) override;

    // The face the editor uses: the design's Song face where installed, else the bundled WenQuanYi.
    static QString fontFamily();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void setUpDocument();
    void setUpLook();
    void removeCodeEditorKeys();
    void reportChangesBySize();
};

} // namespace aquinepad

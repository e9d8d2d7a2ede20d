// What the document's life needs from the editor that holds the text: the text as UTF-8 (the
// lossless image of the document's GBK bytes), loading without undo history, and the modified flag.
#pragma once

#include <cstddef>
#include <string_view>

namespace aquinepad {

class DocumentText {
public:
    virtual ~DocumentText() = default;

    // Empties the text. Not a user edit: nothing to undo.
    virtual void clearText() = 0;
    // A hint before a load of about this many UTF-8 bytes, so a large file is not copied while growing.
    virtual void reserveText(std::size_t utf8Bytes) = 0;
    // Adds loaded text at the end. Not a user edit.
    virtual void appendText(std::string_view utf8) = 0;
    // After a load: the caret goes to the start and the load cannot be undone.
    virtual void finishLoading() = 0;
    // The whole text, valid until the next change.
    virtual std::string_view textView() = 0;

    // The editor's own modified flag: set by every user edit, cleared by setModified(false).
    virtual bool isModified() const = 0;
    virtual void setModified(bool modified) = 0;
};

} // namespace aquinepad

// A piece of the document as a speech engine gets it, and the way back from the engine's character
// positions to the editor's byte positions.
#pragma once

#include "aquinepad/editor/text_editor.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace aquinepad {

class SpokenText {
public:
    // utf8: the text as the editor holds it.
    explicit SpokenText(std::string_view utf8);

    // The text for the engine. Engines stop at a NUL and read malformed UTF-8 in ways of their own, so
    // each NUL and each byte outside a well-formed character becomes a space: one byte, one
    // character, every other byte where it was. The engine then counts exactly the characters that
    // bytesOf() counts.
    const std::string& forEngine() const { return m_text; }

    // The bytes of `length` characters from character `position` (from 0), clamped to the text. An
    // engine's word can run past the end of what it was given; that never gives a position outside.
    TextRange bytesOf(std::size_t position, std::size_t length) const;

private:
    std::size_t byteOf(std::size_t character) const;

    std::string m_text;
    // The byte where every kStride-th character starts: a position is found by walking at most
    // kStride - 1 characters, and the table takes a small fraction of the text's size.
    static constexpr std::size_t kStride = 256;
    std::vector<std::size_t> m_marks;
};

} // namespace aquinepad

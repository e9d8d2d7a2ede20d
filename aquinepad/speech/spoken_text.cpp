// Character positions over well-formed UTF-8.
#include "aquinepad/speech/spoken_text.h"

#include <algorithm>

namespace aquinepad {

namespace {

// The length of the well-formed UTF-8 character at the start of s, or 0 when s does not start with one
// (a stray continuation byte, an overlong form, a surrogate, a code point past U+10FFFF, a cut-off end).
std::size_t characterLength(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const auto follows = [&](std::size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
        return i < s.size() && byte(i) >= low && byte(i) <= high;
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return follows(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return follows(1, low, high) && follows(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return follows(1, low, high) && follows(2) && follows(3) ? 4 : 0;
    }
    return 0;
}

} // namespace

SpokenText::SpokenText(std::string_view utf8) : m_text(utf8) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < m_text.size(); ++characters) {
        if (characters % kStride == 0)
            m_marks.push_back(at);
        const std::size_t length = characterLength(std::string_view(m_text).substr(at));
        if (length == 0 || m_text[at] == '\0') {
            m_text[at] = ' ';
            ++at;
        } else {
            at += length;
        }
    }
    if (characters % kStride == 0)
        m_marks.push_back(m_text.size());
}

std::size_t SpokenText::byteOf(std::size_t character) const {
    const std::size_t mark = std::min(character / kStride, m_marks.size() - 1);
    std::size_t at = m_marks[mark];
    for (std::size_t walked = mark * kStride; walked < character && at < m_text.size(); ++walked)
        at += std::max<std::size_t>(1, characterLength(std::string_view(m_text).substr(at)));
    return at;
}

TextRange SpokenText::bytesOf(std::size_t position, std::size_t length) const {
    const std::size_t start = byteOf(position);
    const std::size_t end = byteOf(position + std::min(length, static_cast<std::size_t>(-1) - position));
    return {start, end};
}

} // namespace aquinepad

// GBK byte-string helpers.
#include "common/gbk_text.h"

#include <algorithm>
#include <cstring>

namespace aquine::gbk {

namespace {

bool isDigitByte(unsigned char b) { return b >= 0x30 && b <= 0x39; }
bool isTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

} // namespace

std::size_t charLength(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    if (i >= text.size() || !isLeadByte(at(i)))
        return 1;
    if (i + 1 < text.size() && isTrailByte(at(i + 1)))
        return 2;
    if (i + 3 < text.size() && isDigitByte(at(i + 1)) && isLeadByte(at(i + 2)) && isDigitByte(at(i + 3)))
        return 4;
    return 1;
}

bool isCharBoundary(std::string_view text, std::size_t i) {
    std::size_t k = 0;
    while (k < i && k < text.size())
        k += charLength(text, k);
    return k == i;
}

std::size_t charCount(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t k = 0; k < text.size(); k += charLength(text, k))
        ++n;
    return n;
}

Position find(std::string_view text, std::string_view needle, Position start) {
    if (start < 1)
        start = 1;
    const auto from = static_cast<std::size_t>(start - 1);
    if (from > text.size())
        return kNotFound;
    const auto at = text.find(needle, from);
    return at == std::string_view::npos ? kNotFound : static_cast<Position>(at) + 1;
}

Position findBackward(std::string_view text, std::string_view needle, Position start) {
    if (needle.size() > text.size())
        return kNotFound;
    std::size_t from = text.size() - needle.size();
    if (start >= 1)
        from = std::min<std::size_t>(from, static_cast<std::size_t>(start - 1));
    const auto at = text.rfind(needle, from);
    return at == std::string_view::npos ? kNotFound : static_cast<Position>(at) + 1;
}

Position findChar(std::string_view text, std::string_view needle, Position start) {
    if (start < 1)
        start = 1;
    const auto from = static_cast<std::size_t>(start - 1);
    // Walk character by character so each candidate start is a boundary of the whole text.
    std::size_t k = 0;
    while (k < from && k < text.size())
        k += charLength(text, k);
    while (k + needle.size() <= text.size()) {
        const auto at = text.find(needle, k);
        if (at == std::string_view::npos)
            return kNotFound;
        while (k < at)
            k += charLength(text, k);
        if (k == at)
            return static_cast<Position>(at) + 1;
        // The match began inside a character; k is now the boundary after that character.
    }
    return kNotFound;
}

std::string_view trim(std::string_view text) {
    constexpr std::string_view kFullWidthSpace = "\xA1\xA1";
    std::size_t begin = 0;
    while (begin < text.size()) {
        if (text[begin] == ' ' || text[begin] == '\t')
            ++begin;
        else if (text.substr(begin, 2) == kFullWidthSpace)
            begin += 2;
        else
            break;
    }
    // From the back, a full-width space only counts when it is a whole character, which only a scan
    // from the front can tell: one pass remembers where the last character that is not a blank ends.
    std::size_t end = begin;
    for (std::size_t k = begin; k < text.size();) {
        const std::size_t n = charLength(text, k);
        const bool blank = n == 1 ? text[k] == ' ' || text[k] == '\t' : text.substr(k, n) == kFullWidthSpace;
        k += n;
        if (!blank)
            end = k;
    }
    return text.substr(begin, end - begin);
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    for (;;) {
        const auto at = text.find("\r\n", from);
        if (at == std::string_view::npos) {
            parts.push_back(text.substr(from));
            return parts;
        }
        parts.push_back(text.substr(from, at - from));
        from = at + 2;
    }
}

bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    for (std::size_t k = 0; k < a.size();) {
        const std::size_t n = charLength(a, k);
        if (n != charLength(b, k))
            return false;
        if (n == 1) {
            if (fold(static_cast<unsigned char>(a[k])) != fold(static_cast<unsigned char>(b[k])))
                return false;
        } else if (a.compare(k, n, b, k, n) != 0) {
            return false;
        }
        k += n;
    }
    return true;
}

} // namespace aquine::gbk

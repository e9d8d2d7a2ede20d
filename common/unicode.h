// UTF-8 and UTF-16 at the level of one code point, shared by the codec, the code pages and typing.
// Inline, since they run once per character in the conversions' inner loops.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace aquine::unicode {

// What the readers return for input that is no character; it is no code point, so it cannot be
// mistaken for one.
inline constexpr char32_t kIllFormed = 0xFFFFFFFF;
// What utf16ToCodePoints puts where a surrogate has no partner.
inline constexpr char32_t kReplacement = 0xFFFD;

constexpr bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
constexpr bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The caller passes a code point (at most U+10FFFF, no surrogate).
inline void appendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Reads the UTF-8 sequence at s[i] (i < s.size()) and sets len to its length. An ill-formed sequence
// (a stray continuation byte, a truncated sequence, an overlong form, an encoded surrogate, beyond
// U+10FFFF) gives kIllFormed with len = 1, so the caller marks each bad byte and resynchronises on
// the next one.
inline char32_t readUtf8(std::string_view s, std::size_t i, std::size_t& len) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = at(i);
    len = 1;
    if (b0 < 0x80)
        return b0;
    std::size_t n;
    char32_t cp, min;
    if ((b0 & 0xE0) == 0xC0) {
        n = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return kIllFormed;
    }
    if (i + n > s.size())
        return kIllFormed;
    for (std::size_t k = 1; k < n; ++k) {
        if ((at(i + k) & 0xC0) != 0x80)
            return kIllFormed;
        cp = cp << 6 | (at(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || isSurrogate(cp))
        return kIllFormed;
    len = n;
    return cp;
}

// The caller passes a code point (at most U+10FFFF, no surrogate).
inline void appendUtf16(char32_t cp, std::u16string& out) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
}

// Reads the code point at s[i] (i < s.size()) and sets len to 1 or 2. A surrogate pair is joined only
// when a low surrogate really follows the high one; a lone surrogate (high at the end or before
// anything else, or low with no high before it) gives kIllFormed with len = 1, so the unit after a
// lone high surrogate is read on its own and never swallowed.
inline char32_t readUtf16(std::u16string_view s, std::size_t i, std::size_t& len) {
    const char32_t c = s[i];
    len = 1;
    if (!isSurrogate(c))
        return c;
    if (isHighSurrogate(c) && i + 1 < s.size() && isLowSurrogate(s[i + 1])) {
        len = 2;
        return 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
    }
    return kIllFormed;
}

// UTF-16 as code points; each lone surrogate becomes U+FFFD, since it is no character that could be
// typed or written in UTF-8.
inline std::u32string utf16ToCodePoints(std::u16string_view utf16) {
    std::u32string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size();) {
        std::size_t len;
        const char32_t cp = readUtf16(utf16, i, len);
        out.push_back(cp == kIllFormed ? kReplacement : cp);
        i += len;
    }
    return out;
}

} // namespace aquine::unicode

// GBK byte-string helpers: lengths, 1-based positions, searches, trimming and line splitting.
// Every text the programs keep is GBK bytes; a Chinese character is two bytes (four for GB18030 extras).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aquine::gbk {

// 1-based byte position; kNotFound (-1) when a search fails.
using Position = std::int64_t;
inline constexpr Position kNotFound = -1;

constexpr bool isLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool isAscii(unsigned char b) { return b < 0x80; }

// Length in bytes of the character that starts at byte index i (0-based): 1, 2 or 4.
// A lead byte without a valid continuation counts as one byte, so scanning always advances.
std::size_t charLength(std::string_view text, std::size_t i);

// Whether byte index i (0-based) is the first byte of a character when the text is read from its
// start. i == text.size() counts as a boundary.
bool isCharBoundary(std::string_view text, std::size_t i);

// Number of characters (each 1-, 2- or 4-byte unit counts once).
std::size_t charCount(std::string_view text);

// Plain byte search, as the system compares texts: the first occurrence of needle whose start is at or
// after the 1-based position start. An empty needle is found at start when start is within the text.
Position find(std::string_view text, std::string_view needle, Position start = 1);

// The last occurrence of needle whose start is at or before the 1-based position start
// (start < 1 means from the end of the text).
Position findBackward(std::string_view text, std::string_view needle, Position start = -1);

// Like find, but only accepts matches that begin on a character boundary, so that a trail byte and the
// next lead byte never count as a character.
Position findChar(std::string_view text, std::string_view needle, Position start = 1);

// The text without leading and trailing blanks: space, tab, and the full-width space (A1 A1).
std::string_view trim(std::string_view text);

// Splits at every CR LF; n line breaks give n + 1 parts. A lone CR or LF is kept inside its part.
std::vector<std::string_view> splitLines(std::string_view text);

// ASCII case-insensitive comparison that folds only single-byte characters, never a trail byte
// (0x41-0x5A also occur as the second byte of GBK characters).
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

} // namespace aquine::gbk

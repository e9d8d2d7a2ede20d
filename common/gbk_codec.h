// Lossless conversion between GBK byte strings and Unicode (UTF-8 and UTF-16).
//
// Decoding reads GB18030, the superset of GBK: one-byte ASCII, two-byte GBK characters and the
// four-byte sequences GB18030 adds for every other Unicode character. Encoding writes the same, so a
// character GBK cannot hold (an emoji, CJK extension B) survives as its four-byte sequence while every
// GBK character keeps its two bytes.
//
// Bytes that do not form a character (0x80, 0xFF, a lead byte without a valid second byte, a lone lead
// byte at the end) decode to the private-use code points U+F780 + (byte - 0x80), one per byte, and
// encode back to that byte. GB18030 four-byte sequences that would decode into that range are treated
// as raw bytes too, so decoding and encoding any byte string gives back exactly the same bytes. The
// price: a genuine U+F780..U+F7FF in Unicode input is written as that raw byte.
#pragma once

#include <string>
#include <string_view>

namespace aquine::codec {

inline constexpr char32_t kRawByteBase = 0xF700; // raw byte b (0x80..0xFF) <-> U+F700 + b

// GBK (GB18030) bytes to UTF-8. Never fails.
std::string gbkToUtf8(std::string_view gbk);
// UTF-8 to GBK (GB18030) bytes. Ill-formed UTF-8 becomes '?', one per bad byte.
std::string utf8ToGbk(std::string_view utf8);

// The same through UTF-16, for the screen's edge (QString holds UTF-16).
std::u16string gbkToUtf16(std::string_view gbk);
// Lone surrogates become '?'.
std::string utf16ToGbk(std::u16string_view utf16);

// Whether a Unicode character has a two-byte (or one-byte) GBK form, rather than a GB18030-only
// four-byte one. Raw-byte code points count as not representable.
bool isGbkCharacter(char32_t cp);

} // namespace aquine::codec

// The text conversion service: character forms (simplified <-> traditional, through OpenCC, phrase by
// phrase) and code pages (Big5, Shift-JIS, through iconv). Input is always GBK text.
//
// ASCII bytes come out unchanged and in place; empty input gives empty output; nothing fails. A
// character with no counterpart is kept as it is where the result is GBK text, and becomes '?' in
// Big5 and Shift-JIS.
#pragma once

#include <string>
#include <string_view>

namespace aquine {

// GBK text with simplified characters replaced by their traditional forms (头发 -> 頭髮, 发展 -> 發展).
std::string ToTraditional(std::string_view gbk);
// GBK text with traditional characters replaced by their simplified forms.
std::string ToSimplified(std::string_view gbk);
// The text in traditional forms, encoded in Big5 (Windows code page 950).
std::string ToBig5(std::string_view gbk);
// The text in traditional forms, then Japanese forms, encoded in Shift-JIS (Windows code page 932).
std::string ToShiftJis(std::string_view gbk);

} // namespace aquine

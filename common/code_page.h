// The code pages text leaves the suite in, and reading bytes in one of them back as characters.
#pragma once

#include <string>
#include <string_view>

namespace aquine {

enum class CodePage {
    Gbk,      // GB18030, read losslessly by the codec (raw bytes become U+F780..U+F7FF)
    Big5,     // Windows code page 950
    ShiftJis, // Windows code page 932
};

// The characters of `bytes` in `codePage`. A Big5 or Shift-JIS byte that begins no character (or a
// lead byte cut off at the end) is skipped rather than read as something else; GBK bytes go through
// the codec, so nothing is skipped there.
std::u32string decodeCodePage(std::string_view bytes, CodePage codePage);

} // namespace aquine

// Numbers from text, as users type them and settings store them: leading blanks are skipped, the
// longest number at the front is read, and text that does not start with a number gives 0.
#pragma once

#include <cstdint>
#include <string_view>

namespace aquine {

// "5.9" -> 5.9, " 12" -> 12, "-3.7" -> -3.7, "abc" -> 0, "" -> 0, "12px" -> 12.
double toNumber(std::string_view text);

// The value of a hexadecimal digit (0-9, a-f, A-F), or -1 for any other character.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// toNumber truncated toward zero and clamped to the range of the result: "5.9" -> 5, "-3.7" -> -3.
std::int64_t toInteger(std::string_view text);

} // namespace aquine

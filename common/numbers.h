// Numbers from text, as users type them and settings store them: leading blanks are skipped, the
// longest number at the front is read, and text that does not start with a number gives 0.
#pragma once

#include <cstdint>
#include <string_view>

namespace aquine {

// "5.9" -> 5.9, " 12" -> 12, "-3.7" -> -3.7, "abc" -> 0, "" -> 0, "12px" -> 12.
double toNumber(std::string_view text);

// toNumber truncated toward zero and clamped to the range of the result: "5.9" -> 5, "-3.7" -> -3.
std::int64_t toInteger(std::string_view text);

} // namespace aquine

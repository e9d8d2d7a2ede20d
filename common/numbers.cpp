// Numbers from text.
#include "common/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace aquine {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest prefix of s shaped like [sign] digits [. digits] [e [sign] digits].
std::size_t numberPrefix(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    const std::size_t intStart = i;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    std::size_t digits = i - intStart;
    if (i < s.size() && s[i] == '.') {
        const std::size_t fracStart = ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        digits += i - fracStart;
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        const std::size_t expStart = j;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        if (j > expStart)
            i = j;
    }
    return i;
}

} // namespace

double toNumber(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    text.remove_prefix(start);
    const std::size_t n = numberPrefix(text);
    if (n == 0)
        return 0;
    // from_chars accepts no '+' sign; the rest of the prefix is exactly its format.
    std::string_view body = text.substr(0, n);
    const bool negative = body.front() == '-';
    if (body.front() == '+' || body.front() == '-')
        body.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(body.data(), body.data() + body.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large: infinity; too small: zero. Both are what strtod gives.
        const bool tiny = body.find_first_of("123456789") == std::string_view::npos ||
                          body.find("e-") != std::string_view::npos || body.find("E-") != std::string_view::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

std::int64_t toInteger(std::string_view text) {
    const double v = std::trunc(toNumber(text));
    constexpr double kMax = 9223372036854775807.0;
    if (v >= kMax)
        return std::numeric_limits<std::int64_t>::max();
    if (v <= -kMax)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(v);
}

} // namespace aquine

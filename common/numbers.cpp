// Numbers from text.
#include "common/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
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

// The power of ten of the first significant digit of a number that from_chars found out of range
// (0 for "5", 2 for "500", -3 for "0.005", 391 for "1" and 400 zeros "e-10"): its sign says whether
// the number is too large or too small. Saturates instead of overflowing on absurd exponents.
std::int64_t decimalExponent(std::string_view body) {
    constexpr std::int64_t kFar = std::int64_t{1} << 40;
    std::size_t i = 0;
    std::int64_t intDigits = 0; // significant digits before the point
    std::int64_t leadZeros = 0; // zeros after the point before the first significant digit
    bool significant = false;
    while (i < body.size() && isDigit(body[i])) {
        if (significant || body[i] != '0') {
            significant = true;
            intDigits = std::min(intDigits + 1, kFar);
        }
        ++i;
    }
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && isDigit(body[i])) {
            if (!significant && body[i] == '0')
                leadZeros = std::min(leadZeros + 1, kFar);
            else
                significant = true;
            ++i;
        }
    }
    std::int64_t exponent = 0;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        const bool minus = i < body.size() && body[i] == '-';
        if (i < body.size() && (body[i] == '+' || body[i] == '-'))
            ++i;
        for (; i < body.size() && isDigit(body[i]); ++i)
            exponent = std::min(exponent * 10 + (body[i] - '0'), kFar);
        if (minus)
            exponent = -exponent;
    }
    if (!significant)
        return -kFar;
    return (intDigits > 0 ? intDigits - 1 : -leadZeros - 1) + exponent;
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
    if (result.ec == std::errc::result_out_of_range)
        value = decimalExponent(body) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
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

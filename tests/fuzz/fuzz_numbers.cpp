// Numbers from text agree with the C library's correctly rounded reading wherever both read the same
// characters, and integers are the truncated, clamped numbers.
#include "common/numbers.h"
#include "tests/fuzz/fuzz_check.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = aquine::toNumber(text);
    const std::int64_t integer = aquine::toInteger(text);
    FUZZ_CHECK(!std::isnan(value));
    if (std::fabs(value) < 9.2e18)
        FUZZ_CHECK(static_cast<double>(integer) == std::trunc(value));
    else
        FUZZ_CHECK((integer > 0) == (value > 0));

    // strtod (the programs never change LC_NUMERIC in this test) skips more kinds of blank and reads
    // hexadecimal, "inf" and "nan"; compare only where the characters it reads are ours too.
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    if (start < text.size() && std::string("\n\r\v\f").find(text[start]) != std::string::npos)
        return 0;
    char* end = nullptr;
    const double expected = std::strtod(text.c_str(), &end);
    const std::string read(text.c_str(), static_cast<std::size_t>(end - text.c_str()));
    if (read.find_first_not_of(" \t0123456789.eE+-") == std::string::npos && !read.empty())
        FUZZ_CHECK(value == expected);
    return 0;
}

// The GBK text helpers: trimming matches its definition character by character, searches find what
// the standard library finds, and splitting loses nothing.
#include "common/gbk_text.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace aquine::gbk;

// Trimming by its definition: the characters, read from the front, less the blank ones at each end.
std::string_view trimByCharacters(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t k = 0; k < text.size(); k += charLength(text, k))
        starts.push_back(k);
    const auto blankAt = [&](std::size_t i) {
        const std::size_t n = charLength(text, starts[i]);
        const std::string_view c = text.substr(starts[i], n);
        return c == " " || c == "\t" || c == "\xA1\xA1";
    };
    std::size_t first = 0, last = starts.size();
    while (first < last && blankAt(first))
        ++first;
    while (last > first && blankAt(last - 1))
        --last;
    const std::size_t begin = first < starts.size() ? starts[first] : text.size();
    const std::size_t end = last < starts.size() ? starts[last] : text.size();
    return text.substr(begin, end - begin);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(trim(text) == trimByCharacters(text));

    std::size_t chars = 0;
    for (std::size_t k = 0; k < text.size(); k += charLength(text, k)) {
        if (chars < 64) // isCharBoundary scans from the start: a sample keeps long inputs quick
            FUZZ_CHECK(isCharBoundary(text, k));
        ++chars;
    }
    FUZZ_CHECK(charCount(text) == chars);

    // The first few bytes as the needle, searched from a position the input also chooses.
    const std::string_view needle = text.substr(0, size % 4);
    const Position start = size == 0 ? 1 : static_cast<Position>(data[size - 1] % (size + 2));
    const Position forward = find(text, needle, start);
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    const std::size_t expected = from > text.size() ? std::string_view::npos : text.find(needle, from);
    FUZZ_CHECK(forward == (expected == std::string_view::npos ? kNotFound : static_cast<Position>(expected) + 1));
    const Position onBoundary = findChar(text, needle, start);
    if (onBoundary != kNotFound) {
        FUZZ_CHECK(onBoundary >= forward);
        FUZZ_CHECK(isCharBoundary(text, static_cast<std::size_t>(onBoundary - 1)));
        FUZZ_CHECK(text.substr(static_cast<std::size_t>(onBoundary - 1), needle.size()) == needle);
    }
    const Position backward = findBackward(text, needle, start);
    if (backward != kNotFound)
        FUZZ_CHECK(text.substr(static_cast<std::size_t>(backward - 1), needle.size()) == needle);

    std::string joined;
    const std::vector<std::string_view> lines = splitLines(text);
    for (std::size_t k = 0; k < lines.size(); ++k)
        joined.append(k ? "\r\n" : "").append(lines[k]);
    FUZZ_CHECK(joined == text);
    FUZZ_CHECK(equalsIgnoreAsciiCase(text, text));
    return 0;
}

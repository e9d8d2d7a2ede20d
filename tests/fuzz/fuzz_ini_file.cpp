// Private-profile text: reading never fails, a written key reads back, and writing one key never
// changes another, whatever the bytes of the value (line breaks included).
#include "common/gbk_text.h"
#include "common/ini_file.h"
#include "tests/fuzz/fuzz_check.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The input as four parts split at 0x01 bytes: file text, section, key, value.
struct Parts {
    std::string_view text, section, key, value;
};

Parts split(std::string_view input) {
    std::string_view p[4];
    for (int k = 0; k < 3; ++k) {
        const auto at = input.find('\x01');
        p[k] = input.substr(0, at);
        input = at == std::string_view::npos ? std::string_view() : input.substr(at + 1);
    }
    p[3] = input;
    return {p[0], p[1], p[2], p[3]};
}

// A name the format can hold: not empty, no blanks around it, nothing that ends or opens a line part.
bool plainName(std::string_view name) {
    return !name.empty() && aquine::gbk::trim(name) == name &&
           name.find_first_of("\r\n=[];\"'\x01") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace aquine::ini;
    const Parts in = split(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string before = readKeyFromText(in.text, in.section, in.key);
    const std::string written = writeKeyToText(in.text, in.section, in.key, in.value);
    // A probe key in the same section and in another keeps its value.
    const std::string_view probe = "probe";
    if (!aquine::gbk::equalsIgnoreAsciiCase(in.key, probe)) {
        FUZZ_CHECK(readKeyFromText(written, in.section, probe) == readKeyFromText(in.text, in.section, probe));
        if (plainName(in.section) && !aquine::gbk::equalsIgnoreAsciiCase(in.section, "other"))
            FUZZ_CHECK(readKeyFromText(written, "other", probe) == readKeyFromText(in.text, "other", probe));
    }
    if (plainName(in.section) && plainName(in.key)) {
        std::string expected;
        for (char c : in.value)
            if (c != '\r' && c != '\n')
                expected.push_back(c);
        const std::string_view trimmed = aquine::gbk::trim(expected);
        const bool quoted = trimmed.size() >= 2 && (trimmed.front() == '"' || trimmed.front() == '\'') &&
                            trimmed.back() == trimmed.front();
        if (trimmed == expected && !quoted)
            FUZZ_CHECK(readKeyFromText(written, in.section, in.key) == expected);
    }
    (void)before;
    return 0;
}

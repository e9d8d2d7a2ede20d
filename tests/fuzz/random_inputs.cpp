// Runs a fuzz driver as a unit test: seconds of generated inputs from a fixed seed, so that a failure
// shows again on the next run. The inputs mix raw bytes with the pieces the parsers look for (GBK
// characters, digits and exponents, ini syntax, key names), which random bytes alone seldom make.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// clang-format off
const std::vector<std::string_view> kPieces = {
    " ", "\t", "\r\n", "\r", "\n", std::string_view("\0", 1), "=", "[", "]", ";", "\"", "'", "[\xC5\xE4\xD6\xC3\xD0\xC5\xCF\xA2]",
    "\xC6\xC1\xC4\xBB_\xD7\xF3\xB1\xDF", "\xC6\xA4\xB7\xF4", "aero", "\xCA\xC7", "\xB7\xF1", "\\skinh.she",
    "0", "1", "5", "9", ".", "e", "E", "-", "+", "e-", "e+", "00000000", "99999999", "1e308", "1e-320",
    "\xA1\xA1", "\xB0\xA1", "\xD6\xD0\xCE\xC4", "\x81\x30\x81\x30", "\x95\x32\x82\x36", "\x80", "\xFF",
    "\xFE\x51", "\x84\x31\x82\x36", "\xA6\xD9", "\xE8\x59", "\x90\xDB", "\xB8\xBA", "\xB7\xA2",
    "zhong", "guo", "ni", "hao", "a", "z", "q", "x", "\xBA\xF3\xB7\xAD", "\xC7\xB0\xB7\xAD", "\xD2\xFE\xB2\xD8",
    "\xCD\xCB\xB8\xF1",
};
// clang-format on

std::string generate(std::mt19937& random) {
    std::string input;
    const std::size_t parts = std::uniform_int_distribution<std::size_t>(0, 64)(random);
    const int style = std::uniform_int_distribution<int>(0, 3)(random);
    for (std::size_t k = 0; k < parts; ++k) {
        const bool rawByte = style == 0 || (style == 1 && random() % 2 == 0);
        if (rawByte)
            input.push_back(static_cast<char>(random() & 0xFF));
        else
            input.append(kPieces[random() % kPieces.size()]);
    }
    // Now and then a long input, where anything quadratic or any fixed-size buffer shows.
    if (random() % 200 == 0)
        input = std::string(std::uniform_int_distribution<std::size_t>(1000, 20000)(random),
                            input.empty() ? '0' : input[0]) +
                input;
    return input;
}

} // namespace

int main() {
    const char* given = std::getenv("AQUINE_FUZZ_SECONDS");
    const double seconds = given ? std::atof(given) : 3.0;
    std::mt19937 random(20261208);
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::size_t runs = 0;
    do {
        for (int k = 0; k < 64; ++k, ++runs) {
            const std::string input = generate(random);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
        }
    } while (std::chrono::steady_clock::now() < until);
    std::printf("%zu inputs, no fault\n", runs);
    return 0;
}

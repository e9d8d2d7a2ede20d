// Worst cases of the text helpers that once took quadratic time: trimming a long line that ends in
// full-width blanks (settings values, find texts), and reading a key from a large settings file made of
// such lines. Both should take time in proportion to the text.
#include "common/gbk_text.h"
#include "common/ini_file.h"
#include "common/text_convert.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A line of n bytes: Chinese text, then full-width blanks for its second half.
std::string lineEndingInBlanks(std::size_t n) {
    std::string line;
    while (line.size() < n / 2)
        line += "\xD6\xD0\xCE\xC4"; // 中文
    while (line.size() < n)
        line += "\xA1\xA1";
    return line;
}

void trimLongLine(benchmark::State& state) {
    const std::string line = lineEndingInBlanks(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(aquine::gbk::trim(line));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(trimLongLine)->Arg(32 << 10)->Arg(320 << 10);

void readKeyFromLargeSettings(benchmark::State& state) {
    const std::string text = "[\xC5\xE4\xD6\xC3\xD0\xC5\xCF\xA2]\r\nk=" + lineEndingInBlanks(300 << 10) + "\r\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(aquine::ini::readKeyFromText(text, "\xC5\xE4\xD6\xC3\xD0\xC5\xCF\xA2", "x"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(readKeyFromLargeSettings);

// Simplified forms of text in which every line holds a character whose simplified form GBK lacks, so
// that every line takes the slower way that keeps it.
void toSimplifiedKeepingCharactersBeyondGbk(benchmark::State& state) {
    std::string text;
    while (text.size() < (1 << 20))
        text += "\xE8\x59\xEE\x7D\xB7\xA2\xD5\xB9\xA3\xAC\x90\xDB\xC7\xE9\r\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(aquine::ToSimplified(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(toSimplifiedKeepingCharactersBeyondGbk)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// Cost of one key press of the input method (fresh lookup and first page) and of one reverse lookup,
// beside a single memmem pass over the same lookup text: the floor of a design that keeps no index.
#include "common/gbk_codec.h"
#include "imvara/engine/candidates.h"
#include "imvara/engine/code_table.h"
#include "imvara/engine/lookup.h"

#include <benchmark/benchmark.h>
#include <cstring>

using namespace imvara;

namespace {

const LookupText& lookup() {
    // A realistic user file of a hundred words joins the built-in table.
    static const LookupText text = [] {
        std::string user;
        for (int i = 0; i < 100; ++i)
            user += "\r\nzdy" + std::to_string(i) + " " + aquine::codec::utf8ToGbk("自定义词");
        return LookupText(CodeTable(), user);
    }();
    return text;
}

void keyPress(benchmark::State& state, const char* composition) {
    FixedMeasure measure;
    CandidatePager pager(measure);
    for (auto _ : state) {
        pager.RefreshCandidates(lookup().text(), composition, false, false);
        benchmark::DoNotOptimize(pager.CandidateLine().data());
    }
}
BENCHMARK_CAPTURE(keyPress, common_a, "a");
BENCHMARK_CAPTURE(keyPress, common_shi, "shi");
BENCHMARK_CAPTURE(keyPress, common_zhong, "zhong");
BENCHMARK_CAPTURE(keyPress, late_group_zuo, "zuo");
BENCHMARK_CAPTURE(keyPress, worst_no_match, "vvv");

void reverseLookup(benchmark::State& state, const char* utf8) {
    const std::string text = aquine::codec::utf8ToGbk(utf8);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReverseLookup(lookup().text(), text));
}
BENCHMARK_CAPTURE(reverseLookup, character, "行");
BENCHMARK_CAPTURE(reverseLookup, word, "中国");

// One pass over the whole text, for a needle that never occurs.
void memmemFloor(benchmark::State& state) {
    const std::string& text = lookup().text();
    const char needle[] = "\r\nvvv";
    for (auto _ : state)
        benchmark::DoNotOptimize(::memmem(text.data(), text.size(), needle, sizeof needle - 1));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(memmemFloor);

} // namespace

BENCHMARK_MAIN();

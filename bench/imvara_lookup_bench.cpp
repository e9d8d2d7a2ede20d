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
BENCHMARK_CAPTURE(keyPress, worst_too_long, "zhonghuarenmi");
// The slowest first pages of the table: every prefix of every code was timed once and the slowest
// 300 again; these led. Their few matches lie far apart, so the page scans to the end of the text,
// and their needles start like many lines, which costs memmem more than a needle that never does.
BENCHMARK_CAPTURE(keyPress, worst_scan_par, "par");
BENCHMARK_CAPTURE(keyPress, worst_scan_ziq, "ziq");
BENCHMARK_CAPTURE(keyPress, worst_scan_fun, "fun");
BENCHMARK_CAPTURE(keyPress, worst_scan_ranz, "ranz");

void reverseLookup(benchmark::State& state, const char* utf8) {
    const std::string text = aquine::codec::utf8ToGbk(utf8);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReverseLookup(lookup().text(), text));
}
BENCHMARK_CAPTURE(reverseLookup, character, "行");
BENCHMARK_CAPTURE(reverseLookup, word, "中国");

// One pass over the whole text, for a needle that never occurs. The goal: no key press costs more
// than twice this.
void memmemFloor(benchmark::State& state, const char* composition) {
    const std::string& text = lookup().text();
    const std::string needle = "\r\n" + std::string(composition);
    for (auto _ : state)
        benchmark::DoNotOptimize(::memmem(text.data(), text.size(), needle.data(), needle.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK_CAPTURE(memmemFloor, no_match, "vvv");
BENCHMARK_CAPTURE(memmemFloor, no_match_par, "parx");

} // namespace

BENCHMARK_MAIN();

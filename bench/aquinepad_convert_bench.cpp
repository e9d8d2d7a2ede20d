// Converting a 10 MB document in the notepad's editor between simplified and traditional forms, timed
// beside the conversion service alone on the same GBK text. The editor's part (its text to GBK and
// back, and the replacement) should add at most half again to the service's time.
#include "aquinepad/convert/document_conversion.h"
#include "aquinepad/editor/plain_editor.h"
#include "bench/chinese_corpus.h"
#include "bench/qt_bench_main.h"
#include "common/text_convert.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using namespace aquinepad;

namespace {

constexpr std::size_t kDocumentBytes = 10u << 20;

const bench::Corpus& corpus() {
    static const bench::Corpus c = bench::makeCorpus(kDocumentBytes);
    return c;
}

void load(PlainEditor& editor, const std::string& utf8) {
    editor.clearText();
    editor.appendText(utf8);
    editor.finishLoading();
}

void BM_ServiceToTraditional(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(aquine::ToTraditional(corpus().gbk));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus().gbk.size()));
}

void BM_EditorToTraditional(benchmark::State& state) {
    PlainEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        load(editor, corpus().utf8);
        state.ResumeTiming();
        convertDocument(editor, ConversionDirection::ToTraditional);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus().gbk.size()));
}

void BM_ServiceToSimplified(benchmark::State& state) {
    static const std::string traditional = aquine::ToTraditional(corpus().gbk);
    for (auto _ : state)
        benchmark::DoNotOptimize(aquine::ToSimplified(traditional));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * traditional.size()));
}

void BM_EditorToSimplified(benchmark::State& state) {
    static const std::string traditional = convertedText(corpus().utf8, ConversionDirection::ToTraditional);
    PlainEditor editor;
    for (auto _ : state) {
        state.PauseTiming();
        load(editor, traditional);
        state.ResumeTiming();
        convertDocument(editor, ConversionDirection::ToSimplified);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * corpus().gbk.size()));
}

BENCHMARK(BM_ServiceToTraditional)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorToTraditional)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ServiceToSimplified)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorToSimplified)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) { return bench::runWidgetBenchmarks(argc, argv); }

// Printing a long document to a PDF file through the notepad's real printing code, at growing sizes:
// the time per byte stays flat (no quadratic step), and the memory the job adds stays the same whatever
// the text's size (the text is never copied whole). Sizes are given in MB of UTF-8 text.
#include "aquinepad/print/text_printer.h"
#include "bench/bench_support.h"
#include "bench/chinese_corpus.h"
#include "bench/qt_bench_main.h"

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

void BM_PrintToPdf(benchmark::State& state) {
    const std::string text = bench::makeCorpus(static_cast<std::size_t>(state.range(0)) << 20).utf8;
    QTemporaryDir dir;
    {
        // The first job loads the fonts; that is paid once per program, not per byte.
        QPrinter warmUp;
        warmUp.setOutputFormat(QPrinter::PdfFormat);
        warmUp.setOutputFileName(dir.filePath(QStringLiteral("warm-up.pdf")));
        (void)aquinepad::printText(warmUp, "预热");
    }
    double peakMb = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("print.pdf")));
        aquinepad::setEqualMargins(printer);
        const std::int64_t before = bench::statusKb("VmRSS");
        bench::resetPeak();
        if (!aquinepad::printText(printer, text).ok())
            state.SkipWithError("the job failed");
        peakMb = std::max(peakMb, static_cast<double>(bench::statusKb("VmHWM") - before) / 1024);
    }
    state.counters["peak_added_mb"] = peakMb;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetComplexityN(static_cast<std::int64_t>(text.size()));
}

BENCHMARK(BM_PrintToPdf)
    ->RangeMultiplier(2)
    ->Range(1, 8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Complexity(benchmark::oN);

} // namespace

int main(int argc, char** argv) { return bench::runWidgetBenchmarks(argc, argv); }

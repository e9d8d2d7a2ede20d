// Printing a long document to a PDF file through the notepad's real printing code, at growing sizes:
// the time per byte stays flat (no quadratic step), and the memory the job adds stays the same whatever
// the text's size (the text is never copied whole). Sizes are given in MB of UTF-8 text.
#include "aquinepad/print/text_printer.h"
#include "bench/chinese_corpus.h"

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

namespace {

std::int64_t statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::atoll(line.c_str() + key.size());
    return 0;
}

// Starts a new peak-memory measurement from the current resident size.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

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
        const std::int64_t before = statusKb("VmRSS");
        resetPeak();
        if (!aquinepad::printText(printer, text).ok())
            state.SkipWithError("the job failed");
        peakMb = std::max(peakMb, static_cast<double>(statusKb("VmHWM") - before) / 1024);
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

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

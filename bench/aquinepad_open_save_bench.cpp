// Opening and showing a large GBK document in the notepad's real window, and saving it, timed beside
// `iconv -f GBK -t UTF-8` of the same file. Memory is the peak resident size the open adds, against
// the file's size. AQUINEPAD_BENCH_MB sets the file size (default 100).
#include "aquinepad/editor/plain_editor.h"
#include "aquinepad/skin/skin_engine.h"
#include "aquinepad/update/update_checker.h"
#include "aquinepad/window/main_window.h"
#include "bench/bench_support.h"
#include "bench/qt_bench_main.h"
#include "common/qt/scripted_prompter.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;
using namespace aquinepad;

namespace {

struct Fixture {
    fs::path dir;
    fs::path document;
    std::uintmax_t size = 0;
};

// A file of Chinese prose-like lines: GB2312 characters, some ASCII words and digits, CR LF.
const Fixture& fixture() {
    static const Fixture f = [] {
        Fixture fx;
        const char* mb = std::getenv("AQUINEPAD_BENCH_MB");
        const std::uintmax_t target = static_cast<std::uintmax_t>(mb ? std::atoi(mb) : 100) << 20;
        std::string tmpl = (fs::temp_directory_path() / "aquinepad-bench-XXXXXX").string();
        fx.dir = ::mkdtemp(tmpl.data());
        fx.document = fx.dir / "large.txt";
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> lead(0xB0, 0xD6), trail(0xA1, 0xFE), lineLength(20, 60), kind(0, 9);
        std::string chunk;
        std::ofstream out(fx.document, std::ios::binary);
        while (fx.size < target) {
            chunk.clear();
            for (int line = 0; line < 10000; ++line) {
                const int n = lineLength(rng);
                for (int i = 0; i < n; ++i) {
                    if (kind(rng) == 0) {
                        chunk += " text 42 ";
                    } else {
                        chunk.push_back(static_cast<char>(lead(rng)));
                        chunk.push_back(static_cast<char>(trail(rng)));
                    }
                }
                chunk += "\r\n";
            }
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            fx.size += chunk.size();
        }
        return fx;
    }();
    return f;
}

struct Window {
    Window()
        : window(Services{.prompter = &prompter, .skin = &skin, .updates = &updates, .programDir = fixture().dir}) {
        window.show();
        QApplication::processEvents();
    }
    void showText() {
        window.editor().viewport()->repaint();
        QApplication::processEvents();
    }
    aquine::ScriptedPrompter prompter;
    InertSkinEngine skin;
    InertUpdateChecker updates;
    MainWindow window;
};

void BM_IconvGbkToUtf8(benchmark::State& state) {
    const Fixture& f = fixture();
    const std::string command = "iconv -f GBK -t UTF-8 '" + f.document.string() + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("iconv failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.size));
}

void BM_OpenAndDisplay(benchmark::State& state) {
    const Fixture& f = fixture();
    const std::string path = f.document.string(); // ASCII: the same as GBK
    double peakRatio = 0, heldRatio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<Window>();
        const std::int64_t before = bench::statusKb("VmRSS");
        bench::resetPeak();
        state.ResumeTiming();

        if (!w->window.session().OpenDocument(path))
            state.SkipWithError("open failed");
        w->showText();

        state.PauseTiming();
        const double file = static_cast<double>(f.size) / 1024;
        peakRatio = std::max(peakRatio, (bench::statusKb("VmHWM") - before) / file);
        heldRatio = std::max(heldRatio, (bench::statusKb("VmRSS") - before) / file);
        w.reset();
        state.ResumeTiming();
    }
    state.counters["peak_mem_x_file"] = peakRatio;
    state.counters["held_mem_x_file"] = heldRatio;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.size));
}

void BM_Save(benchmark::State& state) {
    const Fixture& f = fixture();
    Window w;
    if (!w.window.session().OpenDocument(f.document.string())) {
        state.SkipWithError("open failed");
        return;
    }
    const std::string copy = (f.dir / "saved.txt").string();
    double peakRatio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::int64_t before = bench::statusKb("VmRSS");
        bench::resetPeak();
        state.ResumeTiming();
        if (w.window.session().SaveDocument(copy, true) != aquine::SaveOutcome::Saved)
            state.SkipWithError("the save did not happen");
        state.PauseTiming();
        peakRatio = std::max(peakRatio, (bench::statusKb("VmHWM") - before) / (static_cast<double>(f.size) / 1024));
        state.ResumeTiming();
    }
    const std::string compare = "cmp -s '" + f.document.string() + "' '" + copy + "'";
    if (std::system(compare.c_str()) != 0)
        state.SkipWithError("the saved file differs from the opened one");
    state.counters["peak_mem_x_file"] = peakRatio;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.size));
}

BENCHMARK(BM_IconvGbkToUtf8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OpenAndDisplay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    const int status = bench::runWidgetBenchmarks(argc, argv);
    std::error_code ec;
    fs::remove_all(fixture().dir, ec);
    return status;
}

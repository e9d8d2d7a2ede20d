// Typing in a large document: one keystroke into the notepad's real window, painted, at the start and at
// the end of a GBK document of many ordinary lines and of a document that is one long line. Each
// iteration is a key press and release sent to the editor and the repaint of its view; the time is per
// keystroke. AQUINEPAD_BENCH_MB sets the size of the document of lines (default 100), and
// AQUINEPAD_BENCH_LINE_MB that of the single line (default 4). With AQUINEPAD_BENCH_DIR the two files
// are written there and kept (lines.txt, one-line.txt), to open them in the program itself; a later
// run takes them as they are.
#include "aquinepad/document/document_file.h"
#include "aquinepad/editor/plain_editor.h"
#include "aquinepad/skin/skin_engine.h"
#include "aquinepad/update/update_checker.h"
#include "aquinepad/window/main_window.h"
#include "bench/bench_support.h"
#include "bench/chinese_corpus.h"
#include "bench/qt_bench_main.h"
#include "common/qt/scripted_prompter.h"

#include <QApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace fs = std::filesystem;
using namespace aquinepad;

namespace {

std::size_t megabytes(const char* variable, int fallback) {
    const char* value = std::getenv(variable);
    const int mb = value ? std::atoi(value) : fallback;
    return static_cast<std::size_t>(mb > 0 ? mb : fallback) << 20;
}

struct Files {
    fs::path dir;
    fs::path lines;   // prose in CR LF lines
    fs::path oneLine; // the same kind of prose without a line break
};

const Files& files() {
    static const Files f = [] {
        Files fx;
        if (const char* keep = std::getenv("AQUINEPAD_BENCH_DIR")) {
            fx.dir = keep;
            fs::create_directories(fx.dir);
        } else {
            std::string tmpl = (fs::temp_directory_path() / "aquinepad-typing-XXXXXX").string();
            fx.dir = ::mkdtemp(tmpl.data());
        }
        fx.lines = fx.dir / "lines.txt";
        fx.oneLine = fx.dir / "one-line.txt";
        if (fs::exists(fx.lines) && fs::exists(fx.oneLine))
            return fx; // kept from an earlier run
        {
            const bench::Corpus corpus = bench::makeCorpus(megabytes("AQUINEPAD_BENCH_MB", 100));
            std::ofstream(fx.lines, std::ios::binary) << corpus.gbk;
        }
        bench::Corpus line = bench::makeCorpus(megabytes("AQUINEPAD_BENCH_LINE_MB", 4));
        std::erase_if(line.gbk, [](char c) { return c == '\r' || c == '\n'; });
        std::ofstream(fx.oneLine, std::ios::binary) << line.gbk;
        return fx;
    }();
    return f;
}

struct Window {
    Window() : window(Services{.prompter = &prompter, .skin = &skin, .updates = &updates, .programDir = files().dir}) {
        window.show();
        QApplication::processEvents();
    }
    aquine::ScriptedPrompter prompter;
    InertSkinEngine skin;
    InertUpdateChecker updates;
    MainWindow window;
};

void pressKey(QWidget& target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&target, &release);
}

enum class Where { Start, End };

void typeInto(benchmark::State& state, const fs::path& file, Where where) {
    Window w;
    if (!w.window.session().OpenDocument(file.string())) {
        state.SkipWithError("open failed");
        return;
    }
    PlainEditor& editor = w.window.editor();
    editor.setFocus();
    if (where == Where::End)
        editor.setSelection({SIZE_MAX, SIZE_MAX});
    editor.viewport()->repaint();
    QApplication::processEvents();

    // Latin letters and Chinese characters from the input method, as they come.
    const QString keys[] = {QStringLiteral("a"), QStringLiteral("中")};
    std::size_t n = 0;
    for (auto _ : state) {
        const QString& text = keys[n++ % 2];
        pressKey(editor, text == keys[0] ? Qt::Key_A : Qt::Key_unknown, text);
        editor.viewport()->repaint();
        QApplication::processEvents();
    }
    if (editor.textView().size() < fs::file_size(file))
        state.SkipWithError("the document lost text");
}

void BM_KeystrokeLinesStart(benchmark::State& state) { typeInto(state, files().lines, Where::Start); }
void BM_KeystrokeLinesEnd(benchmark::State& state) { typeInto(state, files().lines, Where::End); }
void BM_KeystrokeLongLineStart(benchmark::State& state) { typeInto(state, files().oneLine, Where::Start); }
void BM_KeystrokeLongLineEnd(benchmark::State& state) { typeInto(state, files().oneLine, Where::End); }

BENCHMARK(BM_KeystrokeLinesStart)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_KeystrokeLinesEnd)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_KeystrokeLongLineStart)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_KeystrokeLongLineEnd)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    const int status = bench::runWidgetBenchmarks(argc, argv);
    std::error_code ec;
    if (!std::getenv("AQUINEPAD_BENCH_DIR"))
        fs::remove_all(files().dir, ec);
    return status;
}

// F3 and Shift+F3 over a 100 MB document: the search alone, and the menu command in the real window,
// each set against one memmem pass over the same UTF-8 text (the goal: within 3x).
//
// The text is generated Chinese prose repeated to 100 MiB of UTF-8, with a few words planted near its
// end and near its start. The memmem row of a case scans what that search has to cover: the whole
// text, or up to the planted word, for the needle as the user typed it.
#include "aquinepad/editor/plain_editor.h"
#include "aquinepad/find/find_window.h"
#include "aquinepad/find/text_search.h"
#include "aquinepad/skin/skin_engine.h"
#include "aquinepad/update/update_checker.h"
#include "aquinepad/window/main_window.h"
#include "bench/bench_support.h"
#include "bench/chinese_corpus.h"
#include "common/qt/scripted_prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace aquinepad;

namespace {

constexpr std::size_t kDocumentBytes = std::size_t{100} << 20;
constexpr double kGoal = 3.0;

struct Case {
    const char* name;
    const char* needle; // as typed into the find window, searched with the box unchecked (its default)
    SearchDirection direction;
    std::optional<std::size_t> expected; // where the occurrence begins; set once the text is made
};

struct Document {
    std::string text;
    std::vector<Case> cases;
};

// Inserts a word at the first line start after `fraction` of the text; returns where it went.
std::size_t plant(std::string& text, double fraction, const std::string& word) {
    const std::size_t at = text.find("\r\n", static_cast<std::size_t>(static_cast<double>(text.size()) * fraction)) + 2;
    text.insert(at, word + "\r\n");
    return at;
}

const Document& document() {
    static const Document d = [] {
        Document doc;
        const bench::Corpus corpus = bench::makeCorpus(std::size_t{8} << 20);
        doc.text.reserve(kDocumentBytes + corpus.utf8.size());
        while (doc.text.size() < kDocumentBytes)
            doc.text += corpus.utf8;
        doc.text.resize(doc.text.rfind("\r\n", kDocumentBytes) + 2);
        const std::size_t salamander = plant(doc.text, 0.01, "SaLaMaNdEr");
        const std::size_t newt = plant(doc.text, 0.011, "蝾螈");
        const std::size_t nautilus = plant(doc.text, 0.99, "NaUtIlUs");
        const std::size_t chinese = plant(doc.text, 0.991, "鹦鹉螺号");
        doc.cases = {
            {"chinese_near_end", "鹦鹉螺号", SearchDirection::Forward, chinese},
            {"chinese_absent", "鹦鹉螺艇", SearchDirection::Forward, std::nullopt},
            {"folded_near_end", "nautilus", SearchDirection::Forward, nautilus},
            {"folded_absent", "verne", SearchDirection::Forward, std::nullopt},
            {"back_chinese_near_start", "蝾螈", SearchDirection::Backward, newt},
            {"back_folded_near_start", "salamander", SearchDirection::Backward, salamander},
        };
        return doc;
    }();
    return d;
}

std::size_t searchFrom(const Case& c) { return c.direction == SearchDirection::Forward ? 0 : document().text.size(); }

// The reference: memmem over what the search has to cover, from its start to the occurrence or the end.
void memmemPass(benchmark::State& state, const Case& c) {
    const std::string& text = document().text;
    const std::size_t begin = c.direction == SearchDirection::Forward ? 0 : *c.expected + 1;
    for (auto _ : state) {
        const void* hit = ::memmem(text.data() + begin, text.size() - begin, c.needle, std::strlen(c.needle));
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (text.size() - begin)));
}

void search(benchmark::State& state, const Case& c) {
    const std::string& text = document().text;
    for (auto _ : state) {
        const auto at = findOccurrence(text, {c.needle, false}, searchFrom(c), c.direction);
        if (at != c.expected)
            state.SkipWithError("the search found the wrong place");
    }
}

// The notepad's main window holding the document, with the find state set through the find window.
struct Window {
    Window()
        : window(Services{
              .prompter = &prompter, .skin = &skin, .updates = &updates, .programDir = dir.path().toStdString()}) {
        const std::string& text = document().text;
        PlainEditor& editor = window.editor();
        editor.clearText();
        editor.reserveText(text.size());
        editor.appendText(text);
        editor.finishLoading();
        window.show();
        QApplication::processEvents();
    }

    // What the user does once: types the needle into the find window and clicks the case's button.
    void searchFromWindow(const Case& c) {
        window.action(Command::Find)->trigger();
        auto* find = window.findChild<FindWindow*>();
        find->findChild<QLineEdit*>(QStringLiteral("编辑框1"))->setText(QString::fromUtf8(c.needle));
        find->findChild<QCheckBox*>(QStringLiteral("选择框1"))->setChecked(false);
        window.editor().setSelection({searchFrom(c), searchFrom(c)});
        if (!c.expected)
            prompter.answerMessage(aquine::Prompter::Button::Ok);
        const bool forward = c.direction == SearchDirection::Forward;
        find->findChild<QPushButton*>(forward ? QStringLiteral("搜寻下一个按钮") : QStringLiteral("搜寻上一个按钮"))
            ->click();
        find->close();
    }

    QTemporaryDir dir;
    aquine::ScriptedPrompter prompter;
    InertSkinEngine skin;
    InertUpdateChecker updates;
    MainWindow window;
};

// Made at its first use, gone before the application is.
std::unique_ptr<Window> theWindow;

Window& window() {
    if (!theWindow)
        theWindow = std::make_unique<Window>();
    return *theWindow;
}

// The menu command as the user gives it, from a caret at the start (F3) or the end (Shift+F3).
void menuCommand(benchmark::State& state, const Case& c) {
    Window& w = window();
    w.searchFromWindow(c);
    PlainEditor& editor = w.window.editor();
    QAction* action =
        w.window.action(c.direction == SearchDirection::Forward ? Command::FindNext : Command::FindPrevious);
    for (auto _ : state) {
        state.PauseTiming();
        editor.setSelection({searchFrom(c), searchFrom(c)});
        if (!c.expected)
            w.prompter.answerMessage(aquine::Prompter::Button::Ok);
        state.ResumeTiming();
        action->trigger();
        state.PauseTiming();
        if (c.expected ? editor.selection().start != *c.expected : w.prompter.pending() != 0)
            state.SkipWithError("the command did not do what it should");
        state.ResumeTiming();
    }
}

// Keeps every run for the summary and shows them as the console reporter does.
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.error_occurred)
                continue;
            const double ms = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e3;
            const std::string name = r.run_name.function_name;
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                m_median[name] = ms;
            else if (r.run_type == Run::RT_Iteration)
                m_single[name] = ms;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // CPU milliseconds per pass: the median over repetitions, else the one run.
    std::optional<double> ms(const std::string& name) const {
        if (auto it = m_median.find(name); it != m_median.end())
            return it->second;
        if (auto it = m_single.find(name); it != m_single.end())
            return it->second;
        return std::nullopt;
    }

private:
    std::map<std::string, double> m_median, m_single;
};

void printSummary(const Collector& collector) {
    std::printf("\nDocument: %zu bytes of UTF-8 (generated Chinese prose). Goal: within %.0fx of memmem.\n",
                document().text.size(), kGoal);
    std::printf("%-26s %12s %12s %12s %10s %10s\n", "case", "memmem ms", "search ms", "window ms", "search/mm",
                "window/mm");
    for (const Case& c : document().cases) {
        const auto reference = collector.ms(std::string("memmem/") + c.name);
        const auto ours = collector.ms(std::string("search/") + c.name);
        const auto command = collector.ms(std::string("window/") + c.name);
        if (!reference)
            continue;
        const auto cell = [](std::optional<double> v) { return v ? *v : -1.0; };
        const auto ratio = [&](std::optional<double> v) { return v ? *v / *reference : -1.0; };
        const bool met = (!ours || ratio(ours) <= kGoal) && (!command || ratio(command) <= kGoal);
        std::printf("%-26s %12.1f %12.1f %12.1f %9.2fx %9.2fx  %s\n", c.name, *reference, cell(ours), cell(command),
                    ratio(ours), ratio(command), met ? "PASS" : "MISS");
    }
    std::printf("(CPU time per pass; -1 where a row was not run)\n");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    for (const Case& c : document().cases) {
        const auto at = findOccurrence(document().text, {c.needle, false}, searchFrom(c), c.direction);
        if (at != c.expected) {
            std::fprintf(stderr, "aquinepad_find_bench: %s: the planted text is not where the search ends\n", c.name);
            return 1;
        }
    }
    for (const Case& c : document().cases) {
        benchmark::RegisterBenchmark((std::string("memmem/") + c.name).c_str(), memmemPass, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("search/") + c.name).c_str(), search, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("window/") + c.name).c_str(), menuCommand, c)
            ->Unit(benchmark::kMillisecond);
    }

    bench::Arguments args(argc, argv, {"--benchmark_repetitions=3", "--benchmark_display_aggregates_only=true"});
    benchmark::Initialize(args.count(), args.data());
    if (benchmark::ReportUnrecognizedArguments(*args.count(), args.data()))
        return 1;
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    theWindow.reset();
    printSummary(collector);
    return 0;
}

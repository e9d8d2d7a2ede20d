// Throughput of the text conversion service on about 10 MB of generated GBK text, set against OpenCC
// converting the same text in UTF-8, with the codec timed alone so the cost split shows.
#include "bench/bench_support.h"
#include "bench/chinese_corpus.h"
#include "common/gbk_codec.h"
#include "common/text_convert.h"

#include <benchmark/benchmark.h>
#include <opencc/opencc.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::literals;

constexpr std::size_t kTargetGbkBytes = 10u << 20;

// OpenCC used directly, the way an application without our GBK layer would call it on UTF-8 text.
struct References {
    opencc::SimpleConverter s2t{"s2t.json"};
    opencc::SimpleConverter t2s{"t2s.json"};
    opencc::SimpleConverter t2jp{"t2jp.json"};
};

// What each benchmark reads, to turn a time per pass into bytes per second.
struct Entry {
    std::string name;
    std::string input; // "GBK" or "UTF-8"
    std::size_t bytes = 0;
};

template <class F> void add(std::vector<Entry>& entries, const char* name, const char* input, std::size_t bytes, F fn) {
    entries.push_back({name, input, bytes});
    benchmark::RegisterBenchmark(name, [fn, bytes](benchmark::State& state) {
        for (auto _ : state) {
            std::string out = fn();
            benchmark::DoNotOptimize(out);
        }
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
    });
}

// Passes every run on to the reporter the --benchmark_format flag asked for, and keeps a copy.
class CollectingReporter : public benchmark::BenchmarkReporter {
public:
    explicit CollectingReporter(std::unique_ptr<benchmark::BenchmarkReporter> inner) : m_inner(std::move(inner)) {}

    bool ReportContext(const Context& context) override { return m_inner->ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred)
                m_runs.push_back(r);
        m_inner->ReportRuns(runs);
    }
    void Finalize() override { m_inner->Finalize(); }

    // Seconds per pass: the median over repetitions where there were several, else the mean of the runs.
    std::optional<double> secondsPerPass(const std::string& name) const {
        double sum = 0;
        int count = 0;
        for (const Run& r : m_runs) {
            if (r.run_name.function_name != name)
                continue;
            const double seconds = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
            if (r.run_type == Run::RT_Aggregate) {
                if (r.aggregate_name == "median")
                    return seconds;
            } else {
                sum += seconds;
                ++count;
            }
        }
        if (count == 0)
            return std::nullopt;
        return sum / count;
    }

private:
    std::unique_ptr<benchmark::BenchmarkReporter> m_inner;
    std::vector<Run> m_runs;
};

// The last value given for --benchmark_NAME=VALUE, read before the library consumes the flags.
std::string flagValue(int argc, char** argv, std::string_view name) {
    const std::string prefix = "--benchmark_" + std::string(name) + "=";
    std::string value;
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]).starts_with(prefix))
            value = argv[i] + prefix.size();
    return value;
}

std::unique_ptr<benchmark::BenchmarkReporter> reporterFor(const std::string& format, const std::string& color,
                                                          const std::string& tabular) {
    if (format == "json")
        return std::make_unique<benchmark::JSONReporter>();
    if (format == "csv") {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        return std::make_unique<benchmark::CSVReporter>();
#pragma GCC diagnostic pop
    }
    int options = benchmark::ConsoleReporter::OO_None;
    const bool colorOff = color == "false" || color == "no" || color == "0";
    const bool colorOn = color == "true" || color == "yes" || color == "1";
    if (colorOn || (!colorOff && isatty(STDOUT_FILENO)))
        options |= benchmark::ConsoleReporter::OO_Color;
    if (tabular == "true" || tabular == "yes" || tabular == "1")
        options |= benchmark::ConsoleReporter::OO_Tabular;
    return std::make_unique<benchmark::ConsoleReporter>(
        static_cast<benchmark::ConsoleReporter::OutputOptions>(options));
}

constexpr double kTarget = 0.8;

void printSummary(std::FILE* out, const CollectingReporter& reporter, const std::vector<Entry>& entries,
                  const bench::Corpus& corpus) {
    std::map<std::string, double> seconds;
    for (const Entry& e : entries)
        if (auto s = reporter.secondsPerPass(e.name))
            seconds[e.name] = *s;
    if (seconds.empty())
        return;

    std::size_t nonAscii = 0;
    for (unsigned char ch : corpus.gbk)
        nonAscii += ch >= 0x80;
    std::fprintf(out,
                 "\nText: %zu bytes GBK (%.1f%% in two-byte characters), %zu bytes UTF-8, %zu lines, "
                 "%zu words and phrases to draw from\n",
                 corpus.gbk.size(), 100.0 * static_cast<double>(nonAscii) / static_cast<double>(corpus.gbk.size()),
                 corpus.utf8.size(), corpus.lines, corpus.vocabulary);
    std::fprintf(out, "%-22s %-6s %10s %12s\n", "operation", "input", "MB/s", "ms per pass");
    for (const Entry& e : entries) {
        const auto it = seconds.find(e.name);
        if (it == seconds.end())
            continue;
        std::fprintf(out, "%-22s %-6s %10.1f %12.1f\n", e.name.c_str(), e.input.c_str(),
                     static_cast<double>(e.bytes) / it->second / 1e6, it->second * 1e3);
    }
    std::fprintf(out, "(MB = 10^6 bytes of that row's input; CPU time, the median where there were repetitions)\n\n");

    // Both sides convert the same text, one as GBK and one as UTF-8, so the ratio is taken on time per
    // pass: a ratio of bytes per second would favour the side whose encoding is longer.
    struct Pair {
        const char* ours;
        const char* reference;
    };
    const Pair pairs[] = {{"ToTraditional", "OpenCC s2t"},
                          {"ToSimplified", "OpenCC t2s"},
                          {"ToBig5", "OpenCC s2t"},
                          {"ToShiftJis", "OpenCC s2t+t2jp"}};
    for (const Pair& p : pairs) {
        const auto ours = seconds.find(p.ours);
        const auto ref = seconds.find(p.reference);
        if (ours == seconds.end())
            continue;
        if (ref == seconds.end()) {
            std::fprintf(out, "%-13s / %-15s = n/a (reference not run)\n", p.ours, p.reference);
            continue;
        }
        const double ratio = ref->second / ours->second;
        std::fprintf(out, "%-13s / %-15s = %.2fx (target >= %.1fx)  %s\n", p.ours, p.reference, ratio, kTarget,
                     ratio >= kTarget ? "PASS" : "MISS");
    }

    // Where the time goes, from differences of the rows above. Each row carries a few per cent of noise,
    // so a small remainder, even a negative one, means "nothing else worth looking at".
    const auto has = [&](const char* name) { return seconds.count(name) != 0; };
    const auto ms = [&](const char* name) { return seconds.at(name) * 1e3; };
    if (has("ToTraditional") && has("gbkToUtf8") && has("OpenCC s2t") && has("utf8ToGbk")) {
        const double t = ms("ToTraditional");
        const double rest = t - ms("gbkToUtf8") - ms("OpenCC s2t") - ms("utf8ToGbk");
        std::fprintf(out,
                     "\nToTraditional %.0f ms = gbkToUtf8 %.0f (%.0f%%) + OpenCC s2t %.0f (%.0f%%) + utf8ToGbk %.0f "
                     "(%.0f%%) + other %.0f (%.0f%%)\n",
                     t, ms("gbkToUtf8"), 100 * ms("gbkToUtf8") / t, ms("OpenCC s2t"), 100 * ms("OpenCC s2t") / t,
                     ms("utf8ToGbk"), 100 * ms("utf8ToGbk") / t, rest, 100 * rest / t);
    }
    // The code-page step is what is left once the form conversion and the decoding are taken away.
    if (has("ToBig5") && has("ToTraditional") && has("utf8ToGbk")) {
        const double step = ms("ToBig5") - ms("ToTraditional") + ms("utf8ToGbk");
        std::fprintf(out, "ToBig5: the step to CP950 takes about %.0f ms (%.0f%% of ToBig5)\n", step,
                     100 * step / ms("ToBig5"));
    }
    if (has("ToShiftJis") && has("OpenCC s2t+t2jp") && has("gbkToUtf8")) {
        const double step = ms("ToShiftJis") - ms("OpenCC s2t+t2jp") - ms("gbkToUtf8");
        std::fprintf(out, "ToShiftJis: the step to CP932 takes about %.0f ms (%.0f%% of ToShiftJis)\n", step,
                     100 * step / ms("ToShiftJis"));
    }
}

} // namespace

int main(int argc, char** argv) {
    const bench::Corpus corpus = bench::makeCorpus(kTargetGbkBytes);
    if (aquine::codec::gbkToUtf8(corpus.gbk) != corpus.utf8) {
        std::fprintf(stderr, "text_convert_bench: the generated text does not survive GBK and back\n");
        return 1;
    }

    std::unique_ptr<References> refs;
    try {
        refs = std::make_unique<References>();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "text_convert_bench: OpenCC cannot load its data: %s\n", e.what());
        return 1;
    }
    // Load every converter now, so no timed pass pays for reading dictionaries; and make sure the service
    // really converts, or the timings would measure a copy.
    const std::string probe = aquine::codec::utf8ToGbk("头发");
    if (aquine::ToTraditional(probe) == probe) {
        std::fprintf(stderr, "text_convert_bench: the service returned the text unconverted\n");
        return 1;
    }
    aquine::ToSimplified(probe);
    aquine::ToBig5(probe);
    aquine::ToShiftJis(probe);

    const std::string_view gbk = corpus.gbk;
    const std::string_view utf8 = corpus.utf8;
    const References& r = *refs;
    std::vector<Entry> entries;
    add(entries, "OpenCC s2t", "UTF-8", utf8.size(), [&] { return r.s2t.Convert(utf8.data(), utf8.size()); });
    add(entries, "ToTraditional", "GBK", gbk.size(), [&] { return aquine::ToTraditional(gbk); });
    add(entries, "ToBig5", "GBK", gbk.size(), [&] { return aquine::ToBig5(gbk); });
    add(entries, "OpenCC t2s", "UTF-8", utf8.size(), [&] { return r.t2s.Convert(utf8.data(), utf8.size()); });
    add(entries, "ToSimplified", "GBK", gbk.size(), [&] { return aquine::ToSimplified(gbk); });
    add(entries, "OpenCC s2t+t2jp", "UTF-8", utf8.size(), [&] {
        const std::string traditional = r.s2t.Convert(utf8.data(), utf8.size());
        return r.t2jp.Convert(traditional.data(), traditional.size());
    });
    add(entries, "ToShiftJis", "GBK", gbk.size(), [&] { return aquine::ToShiftJis(gbk); });
    add(entries, "gbkToUtf8", "GBK", gbk.size(), [&] { return aquine::codec::gbkToUtf8(gbk); });
    add(entries, "utf8ToGbk", "UTF-8", utf8.size(), [&] { return aquine::codec::utf8ToGbk(utf8); });

    // Defaults for a figure stable to a few per cent in under two minutes on two cores (a pass of OpenCC
    // over the text takes seconds, so three repetitions of one pass each); flags given on the command
    // line come later and so win.
    bench::Arguments args(argc, argv,
                          {"--benchmark_min_time=1", "--benchmark_repetitions=3",
                           "--benchmark_display_aggregates_only=true", "--benchmark_time_unit=ms"});
    int& count = *args.count();

    const std::string format = flagValue(count, args.data(), "format");
    CollectingReporter reporter(
        reporterFor(format, flagValue(count, args.data(), "color"), flagValue(count, args.data(), "counters_tabular")));
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // The table goes with the console report; beside JSON or CSV it would spoil what a tool reads.
    printSummary(format.empty() || format == "console" ? stdout : stderr, reporter, entries, corpus);
    return 0;
}

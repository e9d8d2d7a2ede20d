// The Logo panel's drawing speed: 100,000 turtle moves drawn through the turtle onto the panel's layer,
// and the same run typed as one line of Logo, beside the same lines drawn straight onto an image with
// QPainter. The gap is what the turtle, the canvas interface and the interpreter cost. Then what the
// step limit is worth: lines of each kind of work that take nearly a million steps, drawn on the
// panel, should each take about as long; and huge circles across the panel beside QPainter's own.
#include "aquinepad/logo/logo_interpreter.h"
#include "aquinepad/logo/logo_runner.h"
#include "aquinepad/logo/turtle_panel.h"
#include "bench/qt_bench_main.h"

#include <QEventLoop>
#include <QPainter>
#include <cmath>
#include <numbers>
#include <string>

namespace {

constexpr int kMoves = 100'000;
constexpr double kStep = 37;
constexpr double kTurn = 123.7; // a star that never quite closes: new lines, all near the centre

const QSize kPanel(776, 328);

void BM_TurtleMovesOnThePanel(benchmark::State& state) {
    aquinepad::TurtlePanel panel(kPanel);
    for (auto _ : state) {
        auto& turtle = panel.turtle();
        for (int i = 0; i < kMoves; ++i) {
            turtle.forward(kStep);
            turtle.right(kTurn);
        }
        benchmark::DoNotOptimize(panel.picture().constBits());
        turtle.penUp();
        turtle.home();
        turtle.penDown();
        turtle.clearScreen();
    }
    state.SetItemsProcessed(state.iterations() * kMoves);
}
BENCHMARK(BM_TurtleMovesOnThePanel)->Unit(benchmark::kMillisecond);

void BM_LogoLineOnThePanel(benchmark::State& state) {
    aquinepad::TurtlePanel panel(kPanel);
    const std::string program = "REPEAT " + std::to_string(kMoves) + " [FD 37 RT 123.7] PU HOME PD";
    for (auto _ : state) {
        aquinepad::logo::LogoInterpreter logo;
        if (!logo.run(program, panel.turtle()))
            state.SkipWithError("the line did not run");
        benchmark::DoNotOptimize(panel.picture().constBits());
        panel.turtle().clearScreen();
    }
    state.SetItemsProcessed(state.iterations() * kMoves);
}
BENCHMARK(BM_LogoLineOnThePanel)->Unit(benchmark::kMillisecond);

void BM_SameLinesWithQPainter(benchmark::State& state) {
    QImage image(kPanel, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setPen(QPen(Qt::black, 1));
        QPointF at(kPanel.width() / 2, kPanel.height() / 2);
        double heading = 0;
        for (int i = 0; i < kMoves; ++i) {
            const double a = heading * std::numbers::pi / 180;
            const QPointF to = at + QPointF(kStep * std::sin(a), -kStep * std::cos(a));
            p.drawLine(at, to);
            at = to;
            heading = std::fmod(heading + kTurn, 360);
        }
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kMoves);
}
BENCHMARK(BM_SameLinesWithQPainter)->Unit(benchmark::kMillisecond);

// Each line is built to cost just under the default million steps.
const struct {
    const char* name;
    std::string program;
} kMillionSteps[] = {
    {"commands", "REPEAT 330000 [RT 1 LT 1]"},
    {"lines", "RT 90 REPEAT 19000 [FD 380 BK 380]"},
    {"circles", "REPEAT 5000 [CIRCLE 150]"},
    {"words", "MAKE \"W \"" + std::string(6400, 'W') + " REPEAT 600 [IF :W = :W []]"},
    {"clears", "REPEAT 3800 [CS]"},
};

void BM_AMillionSteps(benchmark::State& state) {
    const auto& line = kMillionSteps[state.range(0)];
    state.SetLabel(line.name);
    aquinepad::TurtlePanel panel(kPanel);
    for (auto _ : state) {
        aquinepad::logo::LogoInterpreter logo;
        if (const auto result = logo.run(line.program, panel.turtle()); !result)
            state.SkipWithError(result.reason().c_str());
        benchmark::DoNotOptimize(panel.picture().constBits());
        panel.turtle().clearScreen();
        panel.turtle().setState({});
    }
    struct Nowhere : aquinepad::logo::TurtleCanvas {
        void drawLine(aquinepad::logo::TurtlePoint, aquinepad::logo::TurtlePoint, aquinepad::logo::Ink) override {}
        void drawEllipse(aquinepad::logo::TurtlePoint, double, double, aquinepad::logo::Ink) override {}
        void drawText(aquinepad::logo::TurtlePoint, const std::string&, aquinepad::logo::Ink) override {}
        void clear() override {}
    } nowhere;
    state.counters["steps"] =
        static_cast<double>(aquinepad::logo::LogoInterpreter().execute(line.program, {}, nowhere).steps);
}
BENCHMARK(BM_AMillionSteps)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// Lines as the window runs them, on the worker with the window thread drawing, from Enter to the end.
const char* const kThroughTheWindow[] = {
    "REPEAT 499999 [CIRCLE 1000000]",                        // round the whole panel: nothing to draw
    "PU RT 90 FD 1000000 PD REPEAT 499999 [CIRCLE 1000000]", // across it: out of steps, taken back
    "REPEAT 100000 [FD 37 RT 123.7]",
};

void BM_LineThroughTheWindow(benchmark::State& state) {
    const char* program = kThroughTheWindow[state.range(0)];
    state.SetLabel(program);
    aquinepad::TurtlePanel panel(kPanel);
    for (auto _ : state) {
        aquinepad::logo::LogoInterpreter logo;
        aquinepad::LogoRunner runner(logo, panel);
        QEventLoop loop;
        runner.onFinished = [&loop](aquinepad::logo::LogoRun) { loop.quit(); };
        runner.start(program);
        loop.exec();
        panel.clear();
    }
}
BENCHMARK(BM_LineThroughTheWindow)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

// 1000 circles of radius 1,000,000 whose edge runs down the middle of the panel.
constexpr int kHugeCircles = 1000;
constexpr double kHugeRadius = 1e6;

void BM_HugeCirclesAcrossThePanel(benchmark::State& state) {
    aquinepad::TurtlePanel panel(kPanel);
    for (auto _ : state) {
        for (int i = 0; i < kHugeCircles; ++i)
            panel.drawEllipse({kHugeRadius, 0}, kHugeRadius, kHugeRadius, aquinepad::logo::Ink::Pen);
        benchmark::DoNotOptimize(panel.picture().constBits());
        panel.clear();
    }
    state.SetItemsProcessed(state.iterations() * kHugeCircles);
}
BENCHMARK(BM_HugeCirclesAcrossThePanel)->Unit(benchmark::kMillisecond);

void BM_HugeCirclesWithQPainter(benchmark::State& state) {
    QImage image(kPanel, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setPen(QPen(Qt::black, 1));
        for (int i = 0; i < kHugeCircles / 100; ++i) // a hundredth as many: each takes milliseconds
            p.drawEllipse(QPointF(kPanel.width() / 2 + kHugeRadius, kPanel.height() / 2), kHugeRadius, kHugeRadius);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kHugeCircles / 100);
}
BENCHMARK(BM_HugeCirclesWithQPainter)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) { return bench::runWidgetBenchmarks(argc, argv); }

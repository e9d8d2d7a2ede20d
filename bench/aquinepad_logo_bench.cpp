// The Logo panel's drawing speed: 100,000 turtle moves drawn through the turtle onto the panel's layer,
// and the same run typed as one line of Logo, beside the same lines drawn straight onto an image with
// QPainter. The gap is what the turtle, the canvas interface and the interpreter cost.
#include "aquinepad/logo/logo_interpreter.h"
#include "aquinepad/logo/turtle_panel.h"
#include "bench/qt_bench_main.h"

#include <QPainter>
#include <cmath>
#include <numbers>

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

} // namespace

int main(int argc, char** argv) { return bench::runWidgetBenchmarks(argc, argv); }

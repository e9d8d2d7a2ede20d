// The hand-over between the Logo worker and the window: a queue of strokes under a mutex, bounded so
// the worker waits when it runs ahead of the drawing, and drained by a timer on the window thread.
#include "aquinepad/logo/logo_runner.h"

#include "aquinepad/logo/turtle_panel.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace aquinepad {

using logo::Ink;
using logo::TurtlePoint;

namespace {

// A stroke waiting to be drawn; a clear wipes what came before it.
struct Stroke {
    enum class Kind { Line, Ellipse, Text, Clear };
    Kind kind;
    TurtlePoint a;
    TurtlePoint b; // a line's end, an ellipse's radii
    Ink ink = Ink::Pen;
    std::string text;
    double cost = 0; // toward kMostWaiting
};

// What the worker may have made and the window not yet drawn, in pixels of drawing (plus a little for
// each stroke): about a tenth of a second of the panel's work, and a few megabytes at most.
constexpr double kMostWaiting = 2'000'000;
constexpr double kPerStroke = 16;
// Drawing pauses for the window's own events after this long.
constexpr qint64 kDrawSliceMs = 8;

} // namespace

struct LogoHandover {
    std::mutex mutex;
    std::condition_variable drained;
    std::vector<Stroke> waiting;
    double waitingCost = 0;
    std::atomic<bool> stop{false};
    logo::LogoRun result;
};

namespace {

// The worker's canvas: strokes go into the hand-over, and the worker waits while too many are queued.
class HandoverCanvas : public logo::TurtleCanvas {
public:
    HandoverCanvas(LogoHandover& handover, logo::TurtleView view) : m_handover(handover), m_view(view) {}

    // A stroke wholly outside the view leaves nothing on the panel and never goes through the queue:
    // half a million circles round the whole panel cost the window nothing.
    void drawLine(TurtlePoint from, TurtlePoint to, Ink ink) override {
        const double visible = logo::visibleLength(from, to, m_view);
        if (visible > 0 || from == to)
            push({Stroke::Kind::Line, from, to, ink, {}, visible});
    }
    void drawEllipse(TurtlePoint centre, double rx, double ry, Ink ink) override {
        if (!logo::visibleArcs(centre, rx, ry, m_view).empty())
            push({Stroke::Kind::Ellipse,
                  centre,
                  {rx, ry},
                  ink,
                  {},
                  std::min(logo::ellipsePerimeter(rx, ry), 2 * (m_view.width + m_view.height))});
    }
    void drawText(TurtlePoint at, const std::string& gbkText, Ink ink) override {
        push({Stroke::Kind::Text, at, {}, ink, gbkText, 100.0 * static_cast<double>(gbkText.size())});
    }
    void clear() override {
        std::unique_lock lock(m_handover.mutex);
        m_handover.waiting.clear(); // none of it would show
        m_handover.waiting.push_back({Stroke::Kind::Clear, {}, {}, Ink::Pen, {}, m_view.width * m_view.height / 64});
        m_handover.waitingCost = m_handover.waiting.back().cost;
    }

private:
    void push(Stroke stroke) {
        std::unique_lock lock(m_handover.mutex);
        // A stop request ends the wait; the stroke still goes in, so what is drawn matches where the
        // turtle ends up.
        m_handover.drained.wait(lock, [this] {
            return m_handover.waitingCost < kMostWaiting || m_handover.stop.load(std::memory_order_relaxed);
        });
        stroke.cost += kPerStroke;
        m_handover.waitingCost += stroke.cost;
        m_handover.waiting.push_back(std::move(stroke));
    }

    LogoHandover& m_handover;
    logo::TurtleView m_view;
};

void draw(const Stroke& s, logo::TurtleCanvas& canvas) {
    switch (s.kind) {
    case Stroke::Kind::Line: canvas.drawLine(s.a, s.b, s.ink); break;
    case Stroke::Kind::Ellipse: canvas.drawEllipse(s.a, s.b.x, s.b.y, s.ink); break;
    case Stroke::Kind::Text: canvas.drawText(s.a, s.text, s.ink); break;
    case Stroke::Kind::Clear: canvas.clear(); break;
    }
}

} // namespace

LogoRunner::LogoRunner(const logo::LogoInterpreter& interpreter, TurtlePanel& panel, QObject* parent)
    : QObject(parent), m_interpreter(interpreter), m_panel(panel) {
    m_drawTimer.setInterval(10);
    connect(&m_drawTimer, &QTimer::timeout, this, [this] { drawSome(false); });
}

LogoRunner::~LogoRunner() {
    stop();
    if (m_thread)
        m_thread->wait();
}

bool LogoRunner::start(std::string gbkProgram) {
    if (m_thread)
        return false;
    m_handover = std::make_shared<LogoHandover>();
    const logo::TurtleState from = m_panel.turtle().state();
    const logo::TurtleView view = m_panel.view();
    // The worker holds the hand-over too, so it never outlives what it writes into.
    m_thread.reset(QThread::create(
        [handover = m_handover, &interpreter = m_interpreter, program = std::move(gbkProgram), from, view] {
            HandoverCanvas canvas(*handover, view);
            logo::LogoRun run = interpreter.execute(program, from, canvas, &handover->stop);
            const std::lock_guard lock(handover->mutex);
            handover->result = std::move(run);
        }));
    // Deep recursion is bounded by the interpreter's stack budget (2 MB), well inside this.
    m_thread->setStackSize(8 * 1024 * 1024);
    connect(m_thread.get(), &QThread::finished, this, &LogoRunner::workerEnded);
    m_thread->start();
    m_drawTimer.start();
    return true;
}

void LogoRunner::stop() {
    if (!m_handover)
        return;
    m_handover->stop = true;
    const std::lock_guard lock(m_handover->mutex);
    m_handover->drained.notify_all();
}

// Takes what is queued and draws it until the slice is used up (or, at the end, all of it); the rest
// waits for the next tick. Waking the worker as soon as the queue is taken keeps both busy.
void LogoRunner::drawSome(bool all) {
    if (!m_handover)
        return;
    std::vector<Stroke> batch;
    {
        const std::lock_guard lock(m_handover->mutex);
        batch.swap(m_handover->waiting);
        m_handover->waitingCost = 0;
        m_handover->drained.notify_all();
    }
    QElapsedTimer clock;
    clock.start();
    std::size_t drawn = 0;
    for (; drawn < batch.size(); ++drawn) {
        if (!all && drawn % 64 == 63 && clock.elapsed() >= kDrawSliceMs)
            break;
        draw(batch[drawn], m_panel);
    }
    if (drawn < batch.size()) {
        // Back to the front of the queue, before anything the worker added meanwhile.
        const std::lock_guard lock(m_handover->mutex);
        std::vector<Stroke> rest(std::make_move_iterator(batch.begin() + static_cast<std::ptrdiff_t>(drawn)),
                                 std::make_move_iterator(batch.end()));
        for (const Stroke& s : rest)
            m_handover->waitingCost += s.cost;
        rest.insert(rest.end(), std::make_move_iterator(m_handover->waiting.begin()),
                    std::make_move_iterator(m_handover->waiting.end()));
        m_handover->waiting = std::move(rest);
    }
}

void LogoRunner::workerEnded() {
    m_thread->wait();
    m_drawTimer.stop();
    drawSome(true);
    logo::LogoRun run = std::move(m_handover->result);
    m_thread.reset();
    m_handover.reset();
    if (onFinished)
        onFinished(std::move(run));
}

} // namespace aquinepad

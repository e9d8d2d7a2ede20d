// Runs a command line's Logo on a worker thread while the window goes on: the worker only computes,
// and the strokes it makes come back to the window thread, which draws them there in order, a few
// milliseconds at a time between its events.
#pragma once

#include "aquinepad/logo/logo_interpreter.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class QThread;

namespace aquinepad {

class TurtlePanel;
struct LogoHandover;

class LogoRunner : public QObject {
public:
    // The interpreter must stay untouched while a line runs; the runner reads it from the worker.
    LogoRunner(const logo::LogoInterpreter& interpreter, TurtlePanel& panel, QObject* parent = nullptr);
    // Stops a running line and waits for its worker, which then ends within a step.
    ~LogoRunner() override;

    // Called on the window thread once a line has ended and every stroke it made is on the panel; the
    // panel's turtle is left where it was for the caller to move (or not).
    std::function<void(logo::LogoRun)> onFinished;

    // Starts a line from the panel turtle's state; false while another is running.
    bool start(std::string gbkProgram);
    void stop();
    bool running() const { return m_thread != nullptr; }

private:
    void drawSome(bool all);
    void workerEnded();

    const logo::LogoInterpreter& m_interpreter;
    TurtlePanel& m_panel;
    std::shared_ptr<LogoHandover> m_handover;
    std::unique_ptr<QThread> m_thread;
    QTimer m_drawTimer;
};

} // namespace aquinepad

// The screenshot tool's life: capturing on the frozen screen, showing the result, back again, and the
// end of the process when the result window closes.
#pragma once

#include "shotvara/ui/capture_window.h"
#include "shotvara/ui/result_window.h"

#include <QObject>
#include <memory>

namespace shotvara {

class ShotController : public QObject {
    Q_OBJECT

public:
    // Creates the capture window sized to the screen; nothing is shown yet.
    ShotController(const QRect& screenGeometry, aquine::Prompter& prompter);
    ~ShotController() override;

    // Covers the screen with its picture (taken after construction, before this call) and creates the
    // result window, hidden.
    void start(ScreenPicture picture);

    CaptureWindow& captureWindow() { return m_capture; }
    ResultWindow* resultWindow() { return m_result.get(); }

signals:
    // The program is done, with this exit code.
    void finished(int exitCode);

private:
    void showSelection(const QRect& pixels);
    void showResult();
    void newShot();
    void leaveCapture();

    aquine::Prompter& m_prompter;
    CaptureWindow m_capture;
    std::unique_ptr<ResultWindow> m_result;
};

} // namespace shotvara

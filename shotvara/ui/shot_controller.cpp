// Switching between the capture window and the result window.
#include "shotvara/ui/shot_controller.h"

namespace shotvara {

ShotController::ShotController(const QRect& screenGeometry, aquine::Prompter& prompter)
    : m_prompter(prompter), m_capture(screenGeometry) {
    connect(&m_capture, &CaptureWindow::selected, this, &ShotController::showSelection);
    connect(&m_capture, &CaptureWindow::dismissed, this, &ShotController::leaveCapture);
}

ShotController::~ShotController() = default;

void ShotController::start(ScreenPicture picture) {
    m_capture.setPicture(std::move(picture));
    m_capture.showCapture();
    m_result = std::make_unique<ResultWindow>(m_prompter);
    connect(m_result.get(), &ResultWindow::newShotRequested, this, &ShotController::newShot);
    connect(m_result.get(), &ResultWindow::closed, this, [this] { emit finished(0); });
}

void ShotController::showSelection(const QRect& pixels) {
    // Copied from the frozen picture itself, so the outline never ends up in the shot.
    m_result->setPicture(m_capture.picture().copy(pixels));
    m_capture.hide();
    showResult();
}

void ShotController::showResult() {
    m_result->show();
    m_result->raise();
    m_result->activateWindow();
}

void ShotController::newShot() {
    m_result->hide();
    m_capture.showCapture();
}

void ShotController::leaveCapture() {
    m_capture.hide();
    if (m_result->hasPicture())
        showResult();
    else
        emit finished(0);
}

} // namespace shotvara

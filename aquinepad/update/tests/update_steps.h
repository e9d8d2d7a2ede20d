// What a user does in an update, for the update tests: run a check and wait until it has spoken, and
// accept the offer, fetch the links and start the download.
#pragma once

#include "aquinepad/tests/notepad_fixture.h"
#include "aquinepad/update/download_window.h"
#include "aquinepad/update/server_update_checker.h"

#include <QSignalSpy>
#include <QTest>

namespace aquinepad::testing {

inline constexpr int kUpdateWait = 20000;

template <class T> T* control(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromUtf8(name));
}

inline void checkAndWait(ServerUpdateChecker& checker, Notepad& pad, CheckOccasion occasion) {
    QSignalSpy settled(&checker, &ServerUpdateChecker::settled);
    if (occasion == CheckOccasion::Menu)
        pad.window->action(Command::UpdateProgram)->trigger();
    else
        pad.window->checkForUpdatesAtStartup();
    QVERIFY(settled.wait(kUpdateWait));
}

// The window is left downloading; null when a step before the download did not end as it should.
inline DownloadWindow* startDownload(ServerUpdateChecker& checker, Notepad& pad) {
    QSignalSpy opened(&checker, &ServerUpdateChecker::downloadWindowOpened);
    pad.prompter.answerMessage(aquine::Prompter::Button::Yes);
    checkAndWait(checker, pad, CheckOccasion::Startup);
    if (opened.size() != 1)
        return nullptr;
    auto* window = opened.at(0).at(0).value<DownloadWindow*>();
    QSignalSpy ended(window, &DownloadWindow::stepEnded);
    control<QPushButton>(window, "按钮1")->click();
    if (!ended.wait(kUpdateWait))
        return nullptr;
    control<QPushButton>(window, "按钮2")->click();
    return window;
}

// Waits for a download started by startDownload to end, once the test has scripted the answers to
// what it will ask; false when it never ends.
inline bool downloadEnds(DownloadWindow& window) {
    QSignalSpy ended(&window, &DownloadWindow::stepEnded);
    return ended.wait(kUpdateWait);
}

} // namespace aquinepad::testing

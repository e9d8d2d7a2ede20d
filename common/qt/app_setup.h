// What every program of the suite does first with its QApplication.
#pragma once

class QApplication;

namespace aquine {

// Chinese texts for Qt's own dialogs (file dialog, colour dialog) and the suite's screen font.
void setUpApplication(QApplication& app);

// Before the QApplication exists: Chromium refuses its sandbox when run as root, so the web views of a
// program started as root run without it.
void prepareWebViews();

} // namespace aquine

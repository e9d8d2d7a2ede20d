// What every program of the suite does first: the Chinese locale and Qt's own texts in Chinese
// whatever the machine's locale, before and after the QApplication is made.
#pragma once

class QApplication;

namespace aquine {

// Before the QApplication exists. Qt's file dialog writes sizes and dates in the system's locale,
// which Qt reads once from LC_ALL, LANG and the like: this makes that reading Chinese, and leaves the
// environment itself as it was for the C library and for the programs started from here.
void prepareChineseLocale();

// Chinese texts for Qt's own dialogs (file, font and colour dialogs, message boxes) and Chinese as the
// default locale.
void setUpApplication(QApplication& app);

// Before the QApplication exists: Chromium refuses its sandbox when run as root, so the web views of a
// program started as root run without it.
void prepareWebViews();

} // namespace aquine

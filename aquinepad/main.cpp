// aquinepad: the notepad's entry point. One optional argument: a file whose text starts the document.
#include "aquinepad/skin/qt_skin_engine.h"
#include "aquinepad/update/server_update_checker.h"
#include "aquinepad/window/main_window.h"
#include "common/file_names.h"
#include "common/program_dir.h"
#include "common/qt/app_setup.h"

#include <QApplication>

int main(int argc, char** argv) {
    aquine::prepareWebViews();
    aquine::prepareChineseLocale();
    QApplication app(argc, argv); // takes Qt's own options out of argv
    aquine::setUpApplication(app);

    aquinepad::QtSkinEngine skin;
    aquinepad::ServerUpdateChecker updates;
    aquinepad::MainWindow window({.skin = &skin, .updates = &updates, .programDir = aquine::programDirectory()});
    std::optional<std::string> file;
    // argv's own bytes: Qt's arguments() would turn a name that is not UTF-8 into U+FFFD. Absolute, so
    // that a later save goes back to this file whichever folder the program was started from.
    if (argc > 1)
        file = aquine::absoluteFileName(argv[1]);
    window.startUp(file);
    window.show();
    window.checkForUpdatesAtStartup();
    return app.exec();
}

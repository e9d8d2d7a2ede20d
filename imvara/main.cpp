// imvara: the full-pinyin input method. Starts its bar, joins the user's words to the built-in table,
// claims its keys, and types into whatever window has the focus.
#include "common/qt/app_setup.h"
#include "imvara/ui/bar_window.h"
#include "imvara/engine/code_table.h"
#include "common/program_dir.h"
#include "common/qt/qt_prompter.h"
#include "imvara/engine/session.h"
#include "imvara/x11/x11_keyboard.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    aquine::setUpApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);

    bool alreadyRunning = false;
    auto keyboard = imvara::X11Keyboard::open(&alreadyRunning);
    if (!keyboard)
        return alreadyRunning ? 0 : 1; // a second start is no error: the first one is there

    const std::filesystem::path dir = aquine::programDirectory();
    imvara::LookupText lookup(imvara::CodeTable(), "");
    const imvara::QtTextMeasure measure(imvara::barFont());
    imvara::Session session(*keyboard, measure, lookup);
    aquine::QtPrompter prompter;
    imvara::BarWindow bar(session, lookup, dir, prompter);

    // Start-up order: place the bar, build the lookup text, claim the keys.
    bar.placeOn(QApplication::primaryScreen()->geometry());
    lookup = imvara::LoadLookupText(imvara::CodeTable(), dir);
    session.start();

    session.setBarView(&bar);
    keyboard->onHotKey = [&](int id) {
        session.OnHotKey(id);
        bar.refresh();
    };
    keyboard->onCapsLockReleased = [&] {
        session.capsWatcherTick();
        bar.refresh();
    };
    session.capsWatcherTick(); // reads the keyboard's Caps Lock once
    bar.refresh();
    bar.show();
    return app.exec();
}

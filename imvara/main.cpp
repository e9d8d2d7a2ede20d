// imvara: the full-pinyin input method. Picks its front end from the session: on X11 it starts its bar,
// claims its keys and types into whatever window has the focus; on a Wayland compositor with
// input-method-v2 it serves text fields through the compositor. Either way the user's words join the
// built-in table.
#include "common/program_dir.h"
#include "common/qt/app_setup.h"
#include "common/qt/qt_prompter.h"
#include "common/user_files.h"
#include "imvara/engine/code_table.h"
#include "imvara/engine/session.h"
#include "imvara/engine/word_file.h"
#include "imvara/ui/bar_window.h"
#include "imvara/ui/wayland_notice.h"
#include "imvara/wayland/wayland_front.h"
#include "imvara/x11/x11_keyboard.h"
#include "imvara/x11/x11_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

// The bar's windows never take the focus from the window the user types into.
void keepFocusAway(QWidget& window) {
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>())
        imvara::refuseInputFocus(x11->display(), window.winId()); // Qt's own connection: after the create
}

} // namespace

namespace {

enum class FrontEnd { X11Bar, WaylandInputMethod };

// X11 session: the bar. Wayland: the compositor's input-method-v2 where it offers it, else the bar for
// the X11 (XWayland) programs, with the notice that GNOME, KDE and the like take input methods through
// IBus.
FrontEnd pickFrontEnd() {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return FrontEnd::X11Bar;
    if (imvara::WaylandFront::compositorOffersInputMethod())
        return FrontEnd::WaylandInputMethod;
    return FrontEnd::X11Bar;
}

int runOnWayland(const std::filesystem::path& wordDir) {
    imvara::LookupText lookup(imvara::CodeTable(), "");
    imvara::WordFile wordFile(wordDir);
    wordFile.reloadIfChanged(lookup);
    const imvara::QtTextMeasure measure(imvara::barFont());
    imvara::WaylandFront::Opening opening = imvara::WaylandFront::open(measure, lookup);
    if (!opening.front) {
        std::fprintf(stderr, "imvara: %s\n", opening.front.reason().c_str());
        return opening.alreadyRunning ? 0 : 1;
    }
    imvara::WaylandFront& front = **opening.front;
    front.session().setWordFile(&wordFile);
    // The candidates are the bar itself, drawn off screen: its labels, page breaks and look. It is never
    // shown, so no window of ours can take the focus.
    aquine::QtPrompter prompter;
    imvara::BarWindow bar(front.session(), lookup, wordDir, prompter);
    bar.placeOn(QRect(0, 0, 1024, 768));
    bar.setWordFile(&wordFile);
    front.setPainter([&bar] {
        bar.refresh();
        QImage image(bar.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        bar.render(&image);
        return image;
    });
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    aquine::prepareChineseLocale();
    const FrontEnd frontEnd = pickFrontEnd();
    const bool wayland = imvara::onWaylandSession();
    if (frontEnd == FrontEnd::WaylandInputMethod) {
        qputenv("QT_QPA_PLATFORM", "wayland"); // no window of ours, and no X display opened
    } else {
        // The keys are X11 grabs, so the bar is an X11 window too: under XWayland on a Wayland session,
        // where it can be placed and kept from the focus. A native Wayland bar would take the focus.
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        if (!platform || !*platform || std::string_view(platform).find("wayland") != std::string_view::npos) {
            if (wayland && !std::getenv("DISPLAY")) {
                std::fprintf(stderr, "imvara: 这个 Wayland 会话没有 XWayland（DISPLAY 未设置），输入法条无法工作；"
                                     "请改用 IBus 输入法引擎。\n");
                return 1;
            }
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        }
    }
    QApplication app(argc, argv);
    aquine::setUpApplication(app);
    QApplication::setQuitOnLastWindowClosed(false);

    const std::filesystem::path dir = aquine::programDirectory();
    // The user's words: beside the program, or in the user's data folder for an installed copy.
    const std::filesystem::path wordDir =
        aquine::userFile(dir, imvara::kWordFileName, aquine::UserFolder::Data).parent_path();
    if (frontEnd == FrontEnd::WaylandInputMethod)
        return runOnWayland(wordDir);

    imvara::X11Keyboard::Opening opening = imvara::X11Keyboard::open();
    if (!opening.keyboard) {
        std::fprintf(stderr, "imvara: %s\n", opening.keyboard.reason().c_str());
        return opening.alreadyRunning ? 0 : 1; // a second start is no error: the first one is there
    }
    const std::unique_ptr<imvara::X11Keyboard> keyboard = std::move(*opening.keyboard);

    imvara::LookupText lookup(imvara::CodeTable(), "");
    // Shared with every other front end on this folder: their saves reach our next lookup.
    imvara::WordFile wordFile(wordDir);
    const imvara::QtTextMeasure measure(imvara::barFont());
    imvara::Session session(*keyboard, measure, lookup);
    aquine::QtPrompter prompter;
    imvara::BarWindow bar(session, lookup, wordDir, prompter);

    // Start-up order: place the bar, build the lookup text, claim the keys.
    bar.placeOn(QApplication::primaryScreen()->geometry());
    wordFile.reloadIfChanged(lookup); // the first check reads the file, by the rule LoadLookupText follows
    session.setWordFile(&wordFile);
    bar.setWordFile(&wordFile);
    session.start();

    session.setBarView(&bar);
    // Direct connections: a hot key is handled while the keyboard still holds the keys after it.
    QObject::connect(
        keyboard.get(), &imvara::X11Keyboard::hotKeyPressed, &bar,
        [&](int id) {
            session.OnHotKey(id);
            bar.refresh();
        },
        Qt::DirectConnection);
    QObject::connect(
        keyboard.get(), &imvara::X11Keyboard::capsLockReleased, &bar,
        [&] {
            session.capsWatcherTick();
            bar.refresh();
        },
        Qt::DirectConnection);
    session.capsWatcherTick(); // reads the keyboard's Caps Lock once
    bar.refresh();
    keepFocusAway(bar);
    bar.show();
    if (wayland) {
        // Once per start, and it blocks nothing: the bar serves X11 windows meanwhile.
        auto* notice = new imvara::WaylandNotice(&bar);
        keepFocusAway(*notice);
        notice->show();
    }
    return app.exec();
}

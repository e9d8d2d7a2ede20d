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
#include "imvara/ui/bar_window.h"
#include "imvara/wayland/wayland_front.h"
#include "imvara/x11/x11_keyboard.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <cstdio>
#include <memory>

namespace {

enum class FrontEnd { X11Bar, WaylandInputMethod };

// GNOME, KDE and other compositors without input-method-v2 take input methods through IBus only; the
// bar still serves their X11 (XWayland) programs.
void adviseIbus() {
    std::fputs(
        "imvara：此 Wayland 桌面不提供 input-method-v2 输入法接口（GNOME、KDE 等），输入条只能为 X11 程序输入。\n"
        "请改用 IBus：在系统的“键盘/输入法”设置中添加“全拼输入法”（imvara-ibus），即可在所有程序中输入。\n",
        stderr);
}

// X11 session: the bar. Wayland: the compositor's input-method-v2 where it offers it, else the bar for
// the X11 programs, with the advice to use IBus.
FrontEnd pickFrontEnd() {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return FrontEnd::X11Bar;
    if (imvara::WaylandFront::compositorOffersInputMethod())
        return FrontEnd::WaylandInputMethod;
    adviseIbus();
    return FrontEnd::X11Bar;
}

int runOnWayland(const std::filesystem::path& wordDir) {
    imvara::LookupText lookup = imvara::LoadLookupText(imvara::CodeTable(), wordDir);
    const imvara::QtTextMeasure measure(imvara::barFont());
    imvara::WaylandFront::Opening opening = imvara::WaylandFront::open(measure, lookup);
    if (!opening.front) {
        std::fprintf(stderr, "imvara: %s\n", opening.front.reason().c_str());
        return opening.alreadyRunning ? 0 : 1;
    }
    imvara::WaylandFront& front = **opening.front;
    // The candidates are the bar itself, drawn off screen: its labels, page breaks and look. It is never
    // shown, so no window of ours can take the focus.
    aquine::QtPrompter prompter;
    imvara::BarWindow bar(front.session(), lookup, wordDir, prompter);
    bar.placeOn(QRect(0, 0, 1024, 768));
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
    if (frontEnd == FrontEnd::WaylandInputMethod)
        qputenv("QT_QPA_PLATFORM", "wayland"); // no window of ours, and no X display opened
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
    const imvara::QtTextMeasure measure(imvara::barFont());
    imvara::Session session(*keyboard, measure, lookup);
    aquine::QtPrompter prompter;
    imvara::BarWindow bar(session, lookup, wordDir, prompter);

    // Start-up order: place the bar, build the lookup text, claim the keys.
    bar.placeOn(QApplication::primaryScreen()->geometry());
    lookup = imvara::LoadLookupText(imvara::CodeTable(), wordDir);
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
    bar.show();
    return app.exec();
}

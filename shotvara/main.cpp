// shotvara: freezes the screen, lets the user drag a rectangle over it, shows and saves the selection.
#include "common/qt/app_setup.h"
#include "common/qt/qt_prompter.h"
#include "shotvara/platform/clipboard_keeper.h"
#include "shotvara/platform/screen_grab.h"
#include "shotvara/ui/shot_controller.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char* argv[]) {
    if (argc >= 2 && argv[1] == shotvara::kHoldClipboardOption)
        return shotvara::runClipboardKeeper(argc, argv);

    aquine::prepareChineseLocale();
    QApplication app(argc, argv);
    aquine::setUpApplication(app);
    // The program ends when the result window closes, not when the capture window hides.
    QApplication::setQuitOnLastWindowClosed(false);

    QScreen* screen = QGuiApplication::primaryScreen();
    aquine::QtPrompter prompter;
    shotvara::ShotController controller(screen->geometry(), prompter);
    // Taken while no window of ours is on the screen, so the picture is the screen as the user left it.
    auto grabbed = shotvara::grabScreen(screen);
    if (!grabbed) {
        prompter.message(QStringLiteral("截取屏幕失败！\n%1").arg(QString::fromStdString(grabbed.reason())),
                         QStringLiteral("错误"), aquine::Prompter::Icon::Error, aquine::Prompter::Buttons::Ok);
        return 1;
    }
    // Called off in the desktop's own dialog: the user knows, there is nothing to say.
    if (!*grabbed)
        return 0;
    QObject::connect(&controller, &shotvara::ShotController::finished, &app, &QCoreApplication::exit);
    controller.start(std::move(**grabbed));
    const int exitCode = app.exec();
    // A shot copied with Ctrl+C stays pasteable after we are gone.
    if (const auto kept = shotvara::keepClipboardAfterExit(QCoreApplication::applicationFilePath()); !kept)
        prompter.message(
            QStringLiteral("截图工具关闭后，复制的图片将不能再粘贴。\n%1").arg(QString::fromStdString(kept.reason())),
            QStringLiteral("错误"), aquine::Prompter::Icon::Warning, aquine::Prompter::Buttons::Ok);
    return exitCode;
}

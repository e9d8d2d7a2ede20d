// shotvara: freezes the screen, lets the user drag a rectangle over it, shows and saves the selection.
#include "common/qt/app_setup.h"
#include "common/qt/qt_prompter.h"
#include "shotvara/platform/screen_grab.h"
#include "shotvara/ui/shot_controller.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    aquine::setUpApplication(app);
    // The program ends when the result window closes, not when the capture window hides.
    QApplication::setQuitOnLastWindowClosed(false);

    QScreen* screen = QGuiApplication::primaryScreen();
    aquine::QtPrompter prompter;
    shotvara::ShotController controller(screen->geometry(), prompter);
    // Taken while no window of ours is on the screen, so the picture is the screen as the user left it.
    shotvara::ScreenPicture picture = shotvara::grabScreen(screen);
    if (picture.image.isNull()) {
        prompter.message(QStringLiteral("截取屏幕失败！"), QStringLiteral("错误"), aquine::Prompter::Icon::Error,
                         aquine::Prompter::Buttons::Ok);
        return 1;
    }
    QObject::connect(&controller, &shotvara::ShotController::finished, &app, &QCoreApplication::exit);
    controller.start(std::move(picture));
    return app.exec();
}

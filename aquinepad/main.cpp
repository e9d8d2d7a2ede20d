// aquinepad: the notepad's entry point.
#include "app_setup.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    aquine::setUpApplication(app);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("无标题 - Aquine记事本"));
    window.resize(640, 480);
    window.show();
    return app.exec();
}

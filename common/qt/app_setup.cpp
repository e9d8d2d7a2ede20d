// Shared program start-up.
#include "common/qt/app_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <unistd.h>

namespace aquine {

void setUpApplication(QApplication& app) {
    // The translator must outlive every dialog, so it lives as long as the application.
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

void prepareWebViews() {
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

} // namespace aquine

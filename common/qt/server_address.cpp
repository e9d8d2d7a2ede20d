// The server's address from the environment or the build.
#include "common/qt/server_address.h"

#include <QtGlobal>

namespace aquine {

QString serverBase() {
    QString base = qEnvironmentVariable("AQUINE_SERVER");
    if (base.trimmed().isEmpty())
        base = QStringLiteral(AQUINE_DEFAULT_SERVER);
    base = base.trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QUrl serverUrl(const QString& path) {
    QString relative = path;
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    return QUrl(serverBase() + QLatin1Char('/') + relative);
}

} // namespace aquine

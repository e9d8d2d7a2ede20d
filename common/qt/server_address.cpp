// The maker's server address, read once per request so that a test can move it.
#include "common/qt/server_address.h"

#include <QString>

namespace aquine {

namespace {
// The bundled aquine-server's usual place when a user runs it by hand.
constexpr auto builtInServer = "http://127.0.0.1:8080/";
} // namespace

QUrl makerPage(const QString& pathAndQuery) {
    QString base = qEnvironmentVariable("AQUINE_SERVER");
    if (base.isEmpty())
        base = QString::fromLatin1(builtInServer);
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return QUrl(base).resolved(QUrl(pathAndQuery));
}

} // namespace aquine

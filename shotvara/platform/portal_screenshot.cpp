// Screenshot portal client: subscribes to the request's Response before calling (the portal may answer
// before the call returns), waits in a local loop, loads the file it names and tidies it away.
#include "shotvara/platform/portal_screenshot.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

namespace shotvara {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// Long enough for a portal that is started on demand and runs a screenshot program of its own; a dialog
// waits for the user far longer.
constexpr int kCallTimeoutMs = 10000;
constexpr int kQuietAnswerMs = 30000;
constexpr int kDialogAnswerMs = 10 * 60 * 1000;

// The portal's answers (org.freedesktop.portal.Request.Response).
constexpr uint kResponseSuccess = 0;
constexpr uint kResponseCancelled = 1;

class ResponseWaiter : public QObject {
    Q_OBJECT

public:
    bool answered = false;
    uint response = 2;
    QVariantMap results;
    QEventLoop loop;

public slots:
    void onResponse(uint code, const QVariantMap& values) {
        answered = true;
        response = code;
        results = values;
        loop.quit();
    }
};

// The object path a request with this token gets: the caller's unique name without ':' and with '_'
// for '.', under the portal's request folder.
QString requestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

bool meansNoPortal(const QString& error) {
    static const QStringList kNoPortal = {
        QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"),
        QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"),
        QStringLiteral("org.freedesktop.DBus.Error.NoReply"),
        QStringLiteral("org.freedesktop.DBus.Error.Disconnected"),
        QStringLiteral("org.freedesktop.DBus.Error.NotSupported"),
    };
    return kNoPortal.contains(error) || error.startsWith(QStringLiteral("org.freedesktop.DBus.Error.Spawn"));
}

// Files in our temporary, runtime or cache folders are never the user's.
bool inScratchPlace(const QString& file) {
    const QString dir = QFileInfo(file).absolutePath() + QLatin1Char('/');
    for (const auto location :
         {QStandardPaths::TempLocation, QStandardPaths::RuntimeLocation, QStandardPaths::GenericCacheLocation}) {
        const QString place = QStandardPaths::writableLocation(location);
        if (!place.isEmpty() && dir.startsWith(QDir(place).absolutePath() + QLatin1Char('/')))
            return true;
    }
    return dir.startsWith(QStringLiteral("/tmp/"));
}

PortalAttempt finish(PortalAttempt::End end, std::string reason = {}) {
    PortalAttempt a;
    a.end = end;
    a.reason = std::move(reason);
    return a;
}

// One Screenshot request, answered or not.
struct Answer {
    bool reached = false; // the portal took the call
    std::string error;    // set when it took the call but then gave no answer
    uint response = 2;
    QVariantMap results;
};

Answer request(QDBusConnection& bus, bool interactive) {
    Answer answer;
    const QString token = QStringLiteral("shotvara%1").arg(QRandomGenerator::global()->generate());
    ResponseWaiter waiter;
    QString path = requestPath(bus, token);
    auto subscribe = [&](const QString& p) {
        return bus.connect(kService, p, kRequest, QStringLiteral("Response"), &waiter,
                           SLOT(onResponse(uint, QVariantMap)));
    };
    subscribe(path);

    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.portal.Screenshot"), QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token}, {QStringLiteral("interactive"), interactive}};
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        if (!meansNoPortal(reply.errorName())) {
            answer.reached = true;
            answer.error = reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.AccessDenied")
                               ? "桌面拒绝了截图请求（没有截图的权限）"
                               : "截图门户出错：" + reply.errorMessage().toStdString();
        }
        return answer;
    }
    answer.reached = true;
    // Portals older than the token rule name another path: follow it (its answer cannot come earlier
    // than this reply, since it is sent from the same queue).
    if (!reply.arguments().isEmpty()) {
        const QString handle = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
        if (!handle.isEmpty() && handle != path) {
            bus.disconnect(kService, path, kRequest, QStringLiteral("Response"), &waiter,
                           SLOT(onResponse(uint, QVariantMap)));
            path = handle;
            subscribe(path);
        }
    }
    if (!waiter.answered) {
        QTimer::singleShot(interactive ? kDialogAnswerMs : kQuietAnswerMs, &waiter.loop, &QEventLoop::quit);
        waiter.loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    bus.disconnect(kService, path, kRequest, QStringLiteral("Response"), &waiter, SLOT(onResponse(uint, QVariantMap)));
    if (!waiter.answered) {
        answer.error = "截图门户没有回应";
        return answer;
    }
    answer.response = waiter.response;
    answer.results = waiter.results;
    return answer;
}

PortalAttempt load(const Answer& answer, bool interactive) {
    const QUrl uri(answer.results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile())
        return finish(PortalAttempt::End::Failed, "截图门户没有给出图片文件");
    const QString file = uri.toLocalFile();
    QImageReader reader(file);
    // The portal writes the screen at its real pixel size: keep every pixel, whatever the file says of
    // its resolution.
    reader.setAutoTransform(false);
    QImage picture = reader.read();
    // A picture taken without asking the user is ours alone; a dialog's may be one the desktop also keeps.
    if (!interactive || inScratchPlace(file))
        QFile::remove(file);
    if (picture.isNull())
        return finish(PortalAttempt::End::Failed, "截图门户给出的图片无法读取：" + reader.errorString().toStdString());
    PortalAttempt a;
    a.end = PortalAttempt::End::Taken;
    a.picture = std::move(picture).convertToFormat(QImage::Format_RGB32);
    return a;
}

} // namespace

PortalAttempt grabWithPortal() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return finish(PortalAttempt::End::Unavailable);
    for (const bool interactive : {false, true}) {
        const Answer answer = request(bus, interactive);
        if (!answer.reached)
            return finish(interactive ? PortalAttempt::End::Failed : PortalAttempt::End::Unavailable,
                          "截图门户不再响应");
        if (!answer.error.empty())
            return finish(PortalAttempt::End::Failed, answer.error);
        if (answer.response == kResponseSuccess)
            return load(answer, interactive);
        if (answer.response == kResponseCancelled)
            return finish(PortalAttempt::End::Cancelled);
        // Refused without a dialog: the desktop may still ask the user.
    }
    return finish(PortalAttempt::End::Failed, "桌面拒绝了截图请求（没有截图的权限）");
}

} // namespace shotvara

#include "portal_screenshot.moc"

// HTTP GET on QNetworkAccessManager, with the failure said in words a user can read.
#include "aquinepad/update/http_fetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace aquinepad {

HttpFetch::HttpFetch(QNetworkAccessManager& network, const QUrl& url, std::chrono::milliseconds idleLimit,
                     QObject* parent)
    : QObject(parent), m_idleLimit(idleLimit) {
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        // Answer later all the same, so a caller never hears back before it has connected.
        const QString reason = QStringLiteral("下载地址无效：") + url.toString();
        QTimer::singleShot(0, this, [this, reason] { emit finished({}, reason); });
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(idleLimit.count()));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_reply = network.get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &HttpFetch::progress);
    connect(m_reply, &QNetworkReply::finished, this, &HttpFetch::settle);
}

HttpFetch::~HttpFetch() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void HttpFetch::settle() {
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    const QString failure = failureReason(*reply);
    emit finished(failure.isEmpty() ? reply->readAll() : QByteArray(), failure);
}

QString HttpFetch::failureReason(QNetworkReply& reply) const {
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() >= 400)
        return QStringLiteral("服务器回答 HTTP %1").arg(status.toInt());
    switch (reply.error()) {
    case QNetworkReply::NoError: return {};
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("服务器拒绝连接");
    case QNetworkReply::HostNotFoundError: return QStringLiteral("找不到服务器");
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("服务器中途断开了连接");
    case QNetworkReply::TimeoutError: return QStringLiteral("连接服务器超时");
    // We abort only by destroying the fetch, which hears nothing back: this is the idle limit.
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("超时：%1 秒内没有收到数据").arg(m_idleLimit.count() / 1000);
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError: return QStringLiteral("下载地址无效：") + reply.url().toString();
    default: return QStringLiteral("网络错误（代码 %1）").arg(static_cast<int>(reply.error()));
    }
}

} // namespace aquinepad

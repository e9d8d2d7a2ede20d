// One HTTP GET through Qt's network module, on the window thread without blocking it: progress while
// the body arrives, then exactly one answer, the body or the reason it failed (in Chinese).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

namespace aquinepad {

class HttpFetch : public QObject {
    Q_OBJECT

public:
    // Starts at once. `idleLimit` ends a transfer that receives nothing for that long. Destroying the
    // fetch before it answers abandons the transfer silently.
    HttpFetch(QNetworkAccessManager& network, const QUrl& url, std::chrono::milliseconds idleLimit,
              QObject* parent = nullptr);
    ~HttpFetch() override;

signals:
    void progress(qint64 received, qint64 total); // total < 0 when the server does not say
    // `failure` is empty on success; the body may still be empty.
    void finished(const QByteArray& body, const QString& failure);

private:
    void settle();
    QString failureReason(QNetworkReply& reply) const;

    QPointer<QNetworkReply> m_reply;
    std::chrono::milliseconds m_idleLimit;
};

} // namespace aquinepad

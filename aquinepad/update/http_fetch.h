// One HTTP GET through Qt's network module, on the window thread without blocking it: progress while
// the body arrives, then exactly one answer, the body or the reason it failed (in Chinese). Every fetch
// is bounded in size, in silence and in total time, and follows redirects only on the same server.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <cstdint>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace aquinepad {

struct FetchLimits {
    std::uint64_t maxBytes = 0;      // the body may not pass this
    bool exactSize = false;          // the body must be maxBytes long: an announced other length fails at once
                                     // (as does a longer one, when a sink takes the body)
    std::chrono::milliseconds idle;  // nothing received for this long
    std::chrono::milliseconds whole; // from the start to the last byte
};

class HttpFetch : public QObject {
    Q_OBJECT

public:
    // Takes each piece of the body as it arrives; a non-empty answer is why it could not, and ends the
    // transfer with that reason.
    using Sink = std::function<QString(QByteArrayView piece)>;

    // Starts at once. Without a sink the body is kept and handed to `finished`; with one nothing is kept.
    // Destroying the fetch before it answers abandons the transfer silently.
    HttpFetch(QNetworkAccessManager& network, const QUrl& url, FetchLimits limits, Sink sink = {},
              QObject* parent = nullptr);
    ~HttpFetch() override;

    // Why the notepad will not fetch from this address; empty when it will.
    static QString addressProblem(const QUrl& url);

    // After `finished`: the body passed maxBytes. A kept body then holds the first maxBytes + 1 bytes.
    bool exceededLimit() const { return m_exceeded; }

signals:
    void progress(qint64 received, qint64 total); // total < 0 when the server does not say
    // `failure` is empty on success; the body (empty with a sink) may still be empty.
    void finished(const QByteArray& body, const QString& failure);

private:
    void headersArrived();
    void take();
    void redirected(const QUrl& target);
    void stop(const QString& reason);
    void settle();
    QString failureReason(QNetworkReply& reply) const;

    QPointer<QNetworkReply> m_reply;
    QUrl m_url;
    FetchLimits m_limits;
    Sink m_sink;
    QByteArray m_body;
    std::uint64_t m_received = 0;
    QString m_stopReason;
    bool m_exceeded = false;
    QTimer m_idleTimer;
    QTimer m_wholeTimer;
};

} // namespace aquinepad

// HTTP GET on QNetworkAccessManager with its limits checked while the reply arrives, and every failure
// said in words a user can read.
#include "aquinepad/update/http_fetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace aquinepad {

namespace {

// Qt holds no more than this of a reply we have not taken yet, so a fast server waits for us.
constexpr qint64 kReadBuffer = 1 << 20;

QString seconds(std::chrono::milliseconds time) {
    return time.count() % 1000 == 0 ? QString::number(time.count() / 1000)
                                    : QString::number(static_cast<double>(time.count()) / 1000.0, 'f', 1);
}

QString amount(std::uint64_t bytes) {
    if (bytes >= (1ull << 30))
        return QStringLiteral("%1 GB").arg(static_cast<double>(bytes) / (1ull << 30), 0, 'f', 1);
    if (bytes >= (1ull << 20))
        return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1ull << 20), 0, 'f', 1);
    return QStringLiteral("%1 字节").arg(bytes);
}

int effectivePort(const QUrl& url) { return url.port(url.scheme().toLower() == QLatin1String("https") ? 443 : 80); }

bool sameServer(const QUrl& a, const QUrl& b) {
    return a.scheme().toLower() == b.scheme().toLower() && a.host().toLower() == b.host().toLower() &&
           effectivePort(a) == effectivePort(b);
}

} // namespace

QString HttpFetch::addressProblem(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QStringLiteral("下载地址无效：") + url.toString();
    return {};
}

HttpFetch::HttpFetch(QNetworkAccessManager& network, const QUrl& url, FetchLimits limits, Sink sink, QObject* parent)
    : QObject(parent), m_url(url), m_limits(limits), m_sink(std::move(sink)) {
    if (const QString problem = addressProblem(url); !problem.isEmpty()) {
        // Answer later all the same, so a caller never hears back before it has connected.
        QTimer::singleShot(0, this, [this, problem] { emit finished({}, problem); });
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    // Every redirect is looked at (redirected()); a chain that goes round is cut short.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    // The bytes as published: the limits and the announced length then count what is signed.
    request.setRawHeader("Accept-Encoding", "identity");
    m_reply = network.get(request);
    m_reply->setReadBufferSize(kReadBuffer);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpFetch::headersArrived);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpFetch::take);
    connect(m_reply, &QNetworkReply::redirected, this, &HttpFetch::redirected);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &HttpFetch::progress);
    connect(m_reply, &QNetworkReply::finished, this, &HttpFetch::settle);

    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this,
            [this] { stop(QStringLiteral("超时：%1 秒内没有收到数据").arg(seconds(m_limits.idle))); });
    m_idleTimer.start(m_limits.idle);
    m_wholeTimer.setSingleShot(true);
    connect(&m_wholeTimer, &QTimer::timeout, this, [this] {
        stop(QStringLiteral("超时：%1 秒内没有下载完（已收到 %2）").arg(seconds(m_limits.whole), amount(m_received)));
    });
    m_wholeTimer.start(m_limits.whole);
}

HttpFetch::~HttpFetch() {
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void HttpFetch::headersArrived() {
    if (!m_reply)
        return;
    m_idleTimer.start(m_limits.idle);
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // An error page is not worth reading, however long it is.
    if (status.isValid() && status.toInt() >= 400)
        return stop(QStringLiteral("服务器回答 HTTP %1").arg(status.toInt()));
    // A redirect's own length says nothing about what follows it.
    if (status.isValid() && status.toInt() >= 300)
        return;
    bool known = false;
    const qint64 announced = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (!known || announced < 0)
        return;
    const auto length = static_cast<std::uint64_t>(announced);
    // A kept body is read up to its limit all the same, for what its beginning says (the notes show it).
    if (length > m_limits.maxBytes && m_sink) {
        m_exceeded = true;
        return stop(
            QStringLiteral("服务器要发来 %1，超过了最多 %2的限度").arg(amount(length), amount(m_limits.maxBytes)));
    }
    if (m_limits.exactSize && length != m_limits.maxBytes)
        stop(QStringLiteral("服务器要发来 %1，与公布的大小（%2）不符").arg(amount(length), amount(m_limits.maxBytes)));
}

void HttpFetch::take() {
    if (!m_reply)
        return;
    m_idleTimer.start(m_limits.idle);
    const QByteArray piece = m_reply->readAll();
    m_received += static_cast<std::uint64_t>(piece.size());
    if (m_received > m_limits.maxBytes) {
        m_exceeded = true;
        if (!m_sink) {
            const auto room = static_cast<qsizetype>(m_limits.maxBytes + 1 - static_cast<std::uint64_t>(m_body.size()));
            m_body.append(piece.left(room));
        }
        return stop(QStringLiteral("服务器发来的超过了最多 %1的限度，已中止").arg(amount(m_limits.maxBytes)));
    }
    if (!m_sink) {
        m_body.append(piece);
        return;
    }
    if (const QString refused = m_sink(piece); !refused.isEmpty())
        stop(refused);
}

void HttpFetch::redirected(const QUrl& target) {
    if (!m_reply)
        return;
    const QUrl next = m_reply->url().resolved(target);
    if (!sameServer(next, m_url))
        return stop(QStringLiteral("服务器把下载转到了另一台服务器（%1），为安全起见已拒绝")
                        .arg(next.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment).toString()));
    m_idleTimer.start(m_limits.idle);
    emit m_reply->redirectAllowed();
}

void HttpFetch::stop(const QString& reason) {
    if (m_stopReason.isEmpty())
        m_stopReason = reason;
    // Aborting answers through settle(), at once or soon.
    if (m_reply)
        m_reply->abort();
}

void HttpFetch::settle() {
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    m_reply = nullptr;
    m_idleTimer.stop();
    m_wholeTimer.stop();
    reply->disconnect(this);
    reply->deleteLater();
    QString failure = m_stopReason.isEmpty() ? failureReason(*reply) : m_stopReason;
    if (failure.isEmpty() && reply->bytesAvailable() > 0) {
        // The last bytes, where they came with the end rather than before it.
        m_reply = reply;
        take();
        m_reply = nullptr;
        failure = m_stopReason;
    }
    emit finished(failure.isEmpty() || m_exceeded ? m_body : QByteArray(), failure);
}

QString HttpFetch::failureReason(QNetworkReply& reply) const {
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() >= 400)
        return QStringLiteral("服务器回答 HTTP %1").arg(status.toInt());
    switch (reply.error()) {
    case QNetworkReply::NoError: break;
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("服务器拒绝连接");
    case QNetworkReply::HostNotFoundError: return QStringLiteral("找不到服务器");
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("服务器中途断开了连接");
    case QNetworkReply::TimeoutError: return QStringLiteral("连接服务器超时");
    case QNetworkReply::TooManyRedirectsError: return QStringLiteral("服务器转向的次数太多");
    case QNetworkReply::InsecureRedirectError: return QStringLiteral("服务器转向了不安全的地址");
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError: return QStringLiteral("下载地址无效：") + reply.url().toString();
    default: return QStringLiteral("网络错误（代码 %1）").arg(static_cast<int>(reply.error()));
    }
    // A redirect we did not follow leaves a 3xx answer without an error.
    if (status.isValid() && status.toInt() >= 300)
        return QStringLiteral("服务器回答 HTTP %1，没有给出内容").arg(status.toInt());
    return {};
}

} // namespace aquinepad

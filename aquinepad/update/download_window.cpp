// The download window's steps. Every fetch is asynchronous and bounded: the window keeps painting and
// can be closed at any time, which abandons the transfer and writes nothing.
#include "aquinepad/update/download_window.h"

#include "aquinepad/feature/notepad_context.h"
#include "aquinepad/update/http_fetch.h"
#include "aquinepad/update/update_key.h"
#include "aquinepad/update/update_rules.h"
#include "common/file_io.h"
#include "common/file_names.h"
#include "common/qt/gbk_qt.h"
#include "common/qt/server_address.h"
#include "common/user_files.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTemporaryFile>
#include <cerrno>
#include <unistd.h>

namespace aquinepad {

namespace {

using Prompter = aquine::Prompter;

// The design sizes are a Windows dialog's outer size; its frame takes 6 px across and 26 px down, so
// the client area is what the controls' places fill.
constexpr QSize kNarrow(270 - 6, 154 - 26);
constexpr QSize kWide(615 - 6, 154 - 26);
const QRect kButtonPlace(0, 0, 264, 128);

QString linksCaption() { return QStringLiteral("点此获取下载链接"); }
QString downloadCaption() { return QStringLiteral("点击此处开始下载最新版本安装包"); }

std::string gbkOf(const QByteArray& bytes) { return bytes.toStdString(); }
std::string_view viewOf(const QByteArray& bytes) { return {bytes.constData(), static_cast<std::size_t>(bytes.size())}; }

// The file published beside the package, e.g. ".../aquine-update.zip.manifest".
QUrl besidePackage(QUrl package, std::string_view suffix) {
    package.setPath(package.path(QUrl::FullyEncoded) + QString::fromLatin1(suffix.data(), suffix.size()),
                    QUrl::StrictMode);
    return package;
}

} // namespace

void CaptionButton::setProgress(const QString& line, int percent) {
    m_line = line;
    m_percent = percent;
    update();
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect inner = rect().adjusted(8, 6, -8, -6);
    if (m_percent >= 0) {
        const QRect track(inner.left(), inner.bottom() - 10, inner.width(), 10);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(track.adjusted(0, 0, -1, -1));
        painter.fillRect(track.left() + 1, track.top() + 1, (track.width() - 2) * m_percent / 100, track.height() - 2,
                         palette().color(QPalette::Highlight));
    }
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    const QString shown = m_line.isEmpty() ? text() : text() + QLatin1Char('\n') + m_line;
    painter.drawText(inner.adjusted(0, 0, 0, m_percent >= 0 ? -12 : 0), Qt::AlignCenter | Qt::TextWordWrap, shown);
}

DownloadWindow::DownloadWindow(NotepadContext& context, UpdateReplies& replies, QNetworkAccessManager& network,
                               UpdateTimeouts timeouts, QWidget* parent)
    : QDialog(parent), m_context(context), m_replies(replies), m_network(network), m_timeouts(timeouts),
      m_linksButton(new CaptionButton(linksCaption(), this)),
      m_downloadButton(new CaptionButton(downloadCaption(), this)), m_overlay(new QLabel(this)),
      m_notesHeading(new QLabel(QStringLiteral("新版修正/添加："), this)), m_notes(new QLabel(this)),
      m_link(new QLabel(this)) {
    setWindowTitle(QStringLiteral("下载更新"));
    setFixedSize(kNarrow);

    m_linksButton->setObjectName(QStringLiteral("按钮1"));
    m_linksButton->setGeometry(kButtonPlace);
    m_downloadButton->setObjectName(QStringLiteral("按钮2"));
    m_downloadButton->setGeometry(kButtonPlace);
    m_downloadButton->hide();

    // Lies over the buttons while a fetch runs, so a second click cannot start a second fetch; it draws
    // nothing, the button under it stays readable.
    m_overlay->setObjectName(QStringLiteral("透明标签1"));
    m_overlay->setGeometry(kButtonPlace);
    m_overlay->hide();

    m_notesHeading->setObjectName(QStringLiteral("标签1"));
    m_notesHeading->setGeometry(272, 0, 112, 24);
    m_notes->setObjectName(QStringLiteral("标签2"));
    m_notes->setGeometry(272, 24, 336, 96);
    m_notes->setWordWrap(true);
    m_notes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_notes->setTextFormat(Qt::PlainText);

    m_link->setObjectName(QStringLiteral("超级链接框1"));
    m_link->setGeometry(0, 0, 256, 16);
    m_link->setText(QStringLiteral("<a href=\"#\">如果无法打开下载的文件，请点此处</a>"));
    m_link->hide();
    // The browser fetches the package itself, for a user whose copy here will not open.
    connect(m_link, &QLabel::linkActivated, this,
            [this] { QDesktopServices::openUrl(QUrl(aquine::qFromGbk(m_replies.downloadAddress))); });

    connect(m_linksButton, &QPushButton::clicked, this, &DownloadWindow::fetchLinks);
    connect(m_downloadButton, &QPushButton::clicked, this, &DownloadWindow::download);
}

DownloadWindow::~DownloadWindow() = default;

void DownloadWindow::fetchLinks() {
    m_overlay->show();
    m_overlay->raise();
    m_linksButton->setText(QStringLiteral("请稍后..."));
    m_fetch = std::make_unique<HttpFetch>(m_network, aquine::serverUrl(QStringLiteral("server/url_notepad.txt")),
                                          FetchLimits{kAddressLimit, false, m_timeouts.textIdle, m_timeouts.textWhole});
    // A failed fetch counts as an empty reply, whose reason the download then gives.
    connect(m_fetch.get(), &HttpFetch::finished, this, [this](const QByteArray& body, const QString& failure) {
        m_fetch.release()->deleteLater();
        m_replies.downloadAddress = failure.isEmpty() ? gbkOf(body) : std::string();
        m_replies.addressFailure = failure.toStdString();
        fetchNotes();
    });
}

void DownloadWindow::fetchNotes() {
    m_fetch = std::make_unique<HttpFetch>(m_network, aquine::serverUrl(QStringLiteral("server/anotepad_jian.txt")),
                                          FetchLimits{kNotesLimit, false, m_timeouts.textIdle, m_timeouts.textWhole});
    connect(m_fetch.get(), &HttpFetch::finished, this, [this](const QByteArray& body, const QString& failure) {
        const bool cutOff = m_fetch->exceededLimit();
        m_fetch.release()->deleteLater();
        m_replies.releaseNotes = failure.isEmpty() || cutOff ? shownNotes(viewOf(body), cutOff) : std::string();
        m_overlay->hide();
        m_linksButton->hide();
        m_downloadButton->show();
        emit stepEnded();
    });
}

void DownloadWindow::download() {
    m_overlay->show();
    m_overlay->raise();
    m_notes->setText(aquine::qFromGbk(m_replies.releaseNotes));
    setFixedSize(kWide);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    m_downloadButton->setText(QStringLiteral("正在下载，请稍后...默认下载超时30秒，下载完成前请勿关闭程序！"));
    m_downloadButton->setProgress(aquine::qFromGbk(downloadProgress(0, -1)), 0);
    // The address is used as received: a stray blank or line end makes it invalid, and that is said.
    m_address = QUrl(aquine::qFromGbk(m_replies.downloadAddress), QUrl::StrictMode);
    QString problem = HttpFetch::addressProblem(m_address);
    if (m_replies.downloadAddress.empty() && !m_replies.addressFailure.empty())
        problem = QStringLiteral("无法取得下载地址（") + QString::fromStdString(m_replies.addressFailure) +
                  QStringLiteral("）");
    if (!problem.isEmpty()) {
        // Said after the click has returned, as every other answer is.
        QTimer::singleShot(0, this, [this, problem] { failed(problem); });
        return;
    }
    fetchManifest();
}

void DownloadWindow::fetchManifest() {
    m_fetch =
        std::make_unique<HttpFetch>(m_network, besidePackage(m_address, kManifestSuffix),
                                    FetchLimits{kManifestLimit, false, m_timeouts.textIdle, m_timeouts.textWhole});
    connect(m_fetch.get(), &HttpFetch::finished, this, [this](const QByteArray& manifest, const QString& failure) {
        m_fetch.release()->deleteLater();
        if (!failure.isEmpty())
            return failed(QStringLiteral("无法取得安装包的校验文件（") + failure + QStringLiteral("）"));
        fetchSignature(manifest);
    });
}

void DownloadWindow::fetchSignature(const QByteArray& manifest) {
    m_fetch =
        std::make_unique<HttpFetch>(m_network, besidePackage(m_address, kSignatureSuffix),
                                    FetchLimits{kSignatureLimit, false, m_timeouts.textIdle, m_timeouts.textWhole});
    connect(m_fetch.get(), &HttpFetch::finished, this,
            [this, manifest](const QByteArray& signature, const QString& failure) {
                m_fetch.release()->deleteLater();
                if (!failure.isEmpty())
                    return failed(QStringLiteral("无法取得安装包的签名（") + failure + QStringLiteral("）"));
                const auto key = publicKeyFromHex(builtInUpdateKeyHex());
                if (!key)
                    return failed(QString::fromStdString(key.reason()));
                auto checked = verifyManifest(viewOf(manifest), viewOf(signature), *key,
                                              m_address.fileName(QUrl::FullyDecoded).toStdString());
                if (!checked)
                    return failed(QString::fromStdString(checked.reason()));
                m_manifest = std::move(*checked);
                fetchPackage();
            });
}

void DownloadWindow::fetchPackage() {
    // Never in memory: the package goes to a file only this user may read, hashed as it arrives.
    m_package = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/aquine-update-XXXXXX.part"));
    if (!m_package->open())
        return failed(QStringLiteral("无法在临时文件夹 ") + QDir::tempPath() + QStringLiteral(" 中建立文件"));
    m_digest.emplace();
    m_written = 0;
    const FetchLimits limits{m_manifest.size, true, m_timeouts.packageIdle,
                             packageDeadline(m_timeouts, m_manifest.size)};
    // Straight to the descriptor: unbuffered, and a full disk is said through errno, in Chinese.
    const auto sink = [this](QByteArrayView piece) -> QString {
        for (qsizetype done = 0; done < piece.size();) {
            const ssize_t put = ::write(m_package->handle(), piece.constData() + done, piece.size() - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return QString::fromStdString(
                    aquine::fileFailureReason("无法写入临时文件", m_package->fileName().toStdString(), errno));
            done += put;
        }
        m_written += static_cast<std::uint64_t>(piece.size());
        m_digest->add(std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())));
        return {};
    };
    m_fetch = std::make_unique<HttpFetch>(m_network, m_address, limits, sink);
    connect(m_fetch.get(), &HttpFetch::progress, this, [this](qint64 received, qint64 total) {
        m_downloadButton->setProgress(aquine::qFromGbk(downloadProgress(received, total)),
                                      std::max(0, downloadPercent(received, total)));
        emit downloadProgressed(received, total);
    });
    connect(m_fetch.get(), &HttpFetch::finished, this, [this](const QByteArray&, const QString& failure) {
        m_fetch.release()->deleteLater();
        if (!failure.isEmpty())
            return failed(failure);
        if (auto checked = verifyPackage(m_manifest, m_written, m_digest->finish()); !checked)
            return failed(QString::fromStdString(checked.reason()));
        downloaded();
    });
}

void DownloadWindow::failed(const QString& reason) {
    m_package.reset();
    m_context.prompter.message(QStringLiteral("下载失败：") + reason, QStringLiteral("错误"), Prompter::Icon::Error,
                               Prompter::Buttons::Ok);
    backToReady();
    emit stepEnded();
}

void DownloadWindow::downloaded() {
    const QString folder = programFolder();
    const QString defaultPath = folder + QDir::separator() + QStringLiteral("更新包.zip");
    const auto chosen = m_context.prompter.saveFile({
        .title = QStringLiteral("下载完成，请选择写出目录！"),
        .filter = QStringLiteral("zip压缩包文件或可执行文件(*.zip;*.exe)|*.zip;*.exe"),
        .defaultSuffix = {},
        .initialName = defaultPath,
    });
    if (!chosen) {
        m_context.prompter.message(QStringLiteral("您并未选择要保存的文件文件名！将保存在本程序的安装目录：") + folder,
                                   QStringLiteral("错误"), Prompter::Icon::Warning, Prompter::Buttons::Ok);
    }
    const std::string target =
        chosen ? aquine::nativePath(*chosen) : (aquine::writableFolder(m_context.programDir) / "更新包.zip").native();
    const bool written = writePackage(target);
    m_package.reset();
    if (!written) {
        backToReady();
        emit stepEnded();
        return;
    }
    m_link->show();
    m_link->raise();
    m_context.prompter.message(QStringLiteral("完成！请到") + folder + QStringLiteral("打开文件，请不要关闭本程序"),
                               QStringLiteral("完成"), Prompter::Icon::None, Prompter::Buttons::Ok);
    emit stepEnded();
    // A chosen file ends the program, as the user was told it would; a cancelled choice keeps it open.
    if (chosen)
        endProgramNormally();
}

bool DownloadWindow::writePackage(const std::string& path) {
    m_downloadButton->clearProgress();
    m_downloadButton->setText(QStringLiteral("正在写到文件，请稍后..."));
    m_downloadButton->repaint();
    const auto written = aquine::copyFileAtomically(path, m_package->handle());
    if (written)
        return true;
    m_context.prompter.message(QStringLiteral("写出更新包失败：") +
                                   QString::fromStdString(aquine::displayFileName(path)) + QLatin1Char('\n') +
                                   QString::fromStdString(aquine::readableReason(written.reason(), path)),
                               QStringLiteral("错误"), Prompter::Icon::Error, Prompter::Buttons::Ok);
    return false;
}

void DownloadWindow::backToReady() {
    m_overlay->hide();
    m_downloadButton->clearProgress();
    m_downloadButton->setText(downloadCaption());
}

void DownloadWindow::endProgramNormally() {
    // Through the main window's own exit: unsaved text gets its question, and "取消" keeps the program.
    close();
    if (m_context.document.mayClose())
        m_context.window.closeAfterDocumentAgreed();
}

QString DownloadWindow::programFolder() const {
    // An installed copy the user cannot write in offers the user's data folder instead.
    QString folder = QDir::toNativeSeparators(
        QString::fromStdString(aquine::displayFileName(aquine::writableFolder(m_context.programDir).native())));
    while (folder.size() > 1 && folder.endsWith(QDir::separator()))
        folder.chop(1);
    return folder;
}

} // namespace aquinepad

// "下载更新": fetches the package's address and the release notes, downloads the package with its
// progress on the button into a temporary file, checks it against its signed manifest, and only then
// writes it where the user says.
#pragma once

#include "aquinepad/update/package_check.h"
#include "aquinepad/update/update_rules.h"

#include <QDialog>
#include <QPushButton>
#include <QUrl>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QNetworkAccessManager;
class QTemporaryFile;

namespace aquinepad {

class HttpFetch;
struct NotepadContext;

// A button whose caption wraps inside it, as the design's tall buttons show their long captions, with
// a line of progress and a bar under the caption while a download runs. text() stays the caption alone.
class CaptionButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;
    void setProgress(const QString& line, int percent); // percent < 0: no bar
    void clearProgress() { setProgress({}, -1); }
    const QString& progressLine() const { return m_line; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_line;
    int m_percent = -1;
};

// What the window fetched, kept by the update service for the whole run: closing the window loses
// nothing, though every opening starts from its first button again.
struct UpdateReplies {
    std::string downloadAddress; // GBK, as received
    std::string addressFailure;  // why the address could not be fetched (UTF-8); empty when it was
    std::string releaseNotes;    // GBK, as received (cut off at kNotesLimit, and said so)
};

class DownloadWindow : public QDialog {
    Q_OBJECT

public:
    DownloadWindow(NotepadContext& context, UpdateReplies& replies, QNetworkAccessManager& network,
                   UpdateTimeouts timeouts, QWidget* parent);
    ~DownloadWindow() override;

signals:
    // A step the user started has ended: the links fetched, or the download written or failed.
    void stepEnded();
    void downloadProgressed(qint64 received, qint64 total);

private:
    void fetchLinks();
    void fetchNotes();
    void download();
    // The package's signed manifest and its signature, then the package itself.
    void fetchManifest();
    void fetchSignature(const QByteArray& manifest);
    void fetchPackage();
    void failed(const QString& reason);
    void downloaded();
    // Writes the checked package; false after telling the user why it could not.
    bool writePackage(const std::string& path);
    void backToReady();
    void endProgramNormally();
    QString programFolder() const;

    NotepadContext& m_context;
    UpdateReplies& m_replies;
    QNetworkAccessManager& m_network;
    UpdateTimeouts m_timeouts;
    QUrl m_address;
    PackageManifest m_manifest;
    std::unique_ptr<QTemporaryFile> m_package; // removed with the window, downloaded or not
    std::optional<Sha256> m_digest;
    std::uint64_t m_written = 0;
    CaptionButton* m_linksButton;    // 按钮1
    CaptionButton* m_downloadButton; // 按钮2
    QLabel* m_overlay;               // 透明标签1
    QLabel* m_notesHeading;          // 标签1
    QLabel* m_notes;                 // 标签2
    QLabel* m_link;                  // 超级链接框1
    std::unique_ptr<HttpFetch> m_fetch;
};

} // namespace aquinepad

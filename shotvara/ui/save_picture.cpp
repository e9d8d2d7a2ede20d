// Save flow of the result window.
#include "shotvara/ui/save_picture.h"

#include "common/file_io.h"
#include "common/file_names.h"
#include "shotvara/core/save_target.h"
#include "shotvara/platform/picture_encoder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>

namespace shotvara {

namespace {

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Where the first save of a run starts: the user's pictures folder, else home (the working directory of
// whoever started us means nothing to the user).
QString firstDirectory() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

} // namespace

aquine::SaveOutcome PictureSaver::saveAs(const QImage& picture) {
    aquine::Prompter::FileRequest request;
    request.title = fromUtf8(kSaveDialogTitle);
    request.filter = fromUtf8(kSaveFilter);
    request.initialFilter = m_lastRow;
    // A ready name, so Enter alone saves; it has no extension, so it takes the chosen row's.
    const QString directory = m_lastDirectory.isEmpty() ? firstDirectory() : m_lastDirectory;
    request.initialName =
        directory + QStringLiteral("/截图_") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
    const auto answer = m_prompter.saveFile(request);
    if (!answer)
        return aquine::SaveOutcome::Cancelled;

    // The file system's bytes throughout; only the messages decode the name.
    const std::string chosen = aquine::nativePath(*answer);
    const auto target = saveTarget(chosen, answer->filterIndex);
    if (!target)
        return aquine::SaveOutcome::Cancelled;
    const QString path = QString::fromStdString(aquine::displayFileName(target->path));
    // The dialog asked about replacing the name it returned; a name we completed was never shown.
    std::error_code ec;
    if (target->path != chosen && std::filesystem::exists(target->path, ec)) {
        const auto replace = m_prompter.message(
            QStringLiteral("%1 已存在。\n要替换它吗？").arg(QFileInfo(path).fileName()), QStringLiteral("确认另存为"),
            aquine::Prompter::Icon::Warning, aquine::Prompter::Buttons::YesNo);
        if (replace != aquine::Prompter::Button::Yes)
            return aquine::SaveOutcome::Cancelled;
    }
    m_lastDirectory = QFileInfo(path).absolutePath();
    m_lastRow = rowOfFormat(target->format);

    const auto encoded = encodePicture(picture, target->format);
    const aquine::Result<> written = encoded ? aquine::writeFileAtomically(target->path, *encoded)
                                             : aquine::Result<>(aquine::fail(encoded.reason()));
    if (!written) {
        const QString shown = QDir::toNativeSeparators(path);
        const QString reason = QString::fromStdString(aquine::readableReason(written.reason(), target->path));
        // The file is named once: by the reason where it names it, else on a line of its own.
        const QString text = reason.contains(shown) ? QStringLiteral("保存文件失败！\n%1").arg(reason)
                                                    : QStringLiteral("保存文件失败！\n%1\n%2").arg(shown, reason);
        m_prompter.message(text, QStringLiteral("错误"), aquine::Prompter::Icon::Error, aquine::Prompter::Buttons::Ok);
        return aquine::SaveOutcome::Failed;
    }
    return aquine::SaveOutcome::Saved;
}

} // namespace shotvara

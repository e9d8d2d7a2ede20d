// The document's life, step by step as the notepad has always done it, with the safe save.
#include "aquinepad/document/document_session.h"

#include "aquinepad/document/document_file.h"
#include "aquinepad/document/document_rules.h"
#include "common/file_names.h"
#include "common/gbk_codec.h"

namespace aquinepad {

using aquine::Prompter;

namespace {

// A file name as the caption and the status bar show it (GBK, like every text the window is given).
std::string shown(const std::string& native) { return aquine::codec::utf8ToGbk(aquine::displayFileName(native)); }

} // namespace

QString documentFilter() {
    return QStringLiteral(
        "文本文档(.txt)|*.txt|"
        "网页文件(*.htm;*.html;*.php;*.php;*.css;*.js;*.asp)|*.htm;*.html;*.php;*.php;*.css;*.js;*.asp|"
        "C/C++(*.c;*.cpp)|*.c;*.cpp|bash(*.sh;*.bash)|*.sh;*.bash|所有文件(*.*)|*.*");
}

DocumentSession::DocumentSession(TextEditor& text, DocumentView& view, Prompter& prompter)
    : m_text(text), m_view(view), m_prompter(prompter) {}

Prompter::FileRequest DocumentSession::fileRequest(const QString& title) const {
    Prompter::FileRequest request;
    request.title = title;
    request.filter = documentFilter();
    request.defaultSuffix = QStringLiteral("txt");
    request.initialName = QString::fromStdString(aquine::displayFileName(m_path.empty() ? m_startupFile : m_path));
    return request;
}

Pending DocumentSession::AskSaveChanges() {
    if (!IsModified())
        return Pending::GoAhead;
    const auto answer = m_prompter.message(QStringLiteral("文件已经被修改，是否保存？"), QStringLiteral("询问"),
                                           Prompter::Icon::Question, Prompter::Buttons::YesNoCancel);
    if (answer == Prompter::Button::Cancel)
        return Pending::Stop;
    if (answer == Prompter::Button::Yes && SaveDocument({}, false) != aquine::SaveOutcome::Saved)
        return Pending::Stop;
    return Pending::GoAhead;
}

void DocumentSession::reportFailure(const QString& message, const std::string& reason, const std::string& file) {
    // The reason (which file, and why) goes on a line of its own under the notepad's own words.
    const QString text =
        reason.empty() ? message
                       : message + QLatin1Char('\n') + QString::fromStdString(aquine::readableReason(reason, file));
    m_prompter.message(text, QStringLiteral("错误"), Prompter::Icon::Error, Prompter::Buttons::Ok);
}

aquine::SaveOutcome DocumentSession::SaveDocument(const std::string& path, bool useGivenPath) {
    std::string target = useGivenPath ? path : m_path;
    if (target.empty()) {
        const auto chosen = m_prompter.saveFile(fileRequest(QStringLiteral("请输入欲保存到的文本文件名：")));
        if (!chosen)
            return aquine::SaveOutcome::Cancelled;
        target = withDefaultExtension(aquine::nativePath(*chosen));
    }
    if (const auto written = writeDocumentFile(target, m_text.textView()); !written) {
        reportFailure(QStringLiteral("保存文件失败！"), written.reason(), target);
        return aquine::SaveOutcome::Failed;
    }
    m_path = target;
    m_view.showCaption(savedCaption(shown(target)));
    SetModified(false);
    return aquine::SaveOutcome::Saved;
}

aquine::Result<> DocumentSession::load(const std::string& path) {
    auto read = readDocumentFile(path, m_text);
    if (read)
        m_text.finishLoading();
    else
        m_text.clearText();
    return read;
}

aquine::Result<> DocumentSession::OpenDocument(const std::string& path) {
    m_text.clearText();
    SetModified(false);
    m_path.clear();
    auto loaded = load(path);
    if (!loaded) {
        reportFailure(QStringLiteral("打开文件失败！"), loaded.reason(), path);
        m_view.showCaption(failedOpenCaption());
        return loaded;
    }
    SetModified(false);
    m_path = path;
    m_view.showCaption(openedCaption(shown(path)));
    return loaded;
}

void DocumentSession::newDocument() {
    if (AskSaveChanges() == Pending::Stop)
        return;
    m_text.clearText();
    m_view.showCaption(untitledCaption());
    SetModified(false);
    m_path.clear();
    m_startupFile.clear();
}

void DocumentSession::openChosenFile() {
    if (AskSaveChanges() == Pending::Stop)
        return;
    const auto chosen = m_prompter.openFile(fileRequest(QStringLiteral("请选择欲打开的文本文件名：")));
    if (!chosen)
        return;
    const std::string path = aquine::nativePath(*chosen);
    m_startupFile.clear();
    if (OpenDocument(path))
        m_view.showStatusPath(pathStatusText(shown(path)));
}

void DocumentSession::saveCurrent() { (void)SaveDocument({}, false); }

void DocumentSession::saveAsChosenFile() {
    const auto chosen = m_prompter.saveFile(fileRequest(QStringLiteral("请输入欲另存到的文本文件名：")));
    if (!chosen)
        return;
    const std::string path = withDefaultExtension(aquine::nativePath(*chosen));
    // The status bar names the file the document is now in, so it moves only when the save happened.
    if (SaveDocument(path, true) == aquine::SaveOutcome::Saved)
        m_view.showStatusPath(pathStatusText(shown(path)));
}

void DocumentSession::loadStartupFile(const std::string& path) {
    // The document stays untitled either way; a file that cannot be read is said so, as from the
    // open dialog, rather than looking like an empty file that a save would then replace.
    if (auto loaded = load(path); !loaded)
        reportFailure(QStringLiteral("打开文件失败！"), loaded.reason(), path);
    SetModified(false);
    m_startupFile = path;
}

} // namespace aquinepad

// The document's life, step by step as the notepad has always done it, with the safe save.
#include "aquinepad/document/document_session.h"

#include "aquinepad/document/document_file.h"
#include "aquinepad/document/document_rules.h"
#include "common/qt/gbk_qt.h"
#include "common/program_dir.h"

namespace aquinepad {

using aquine::Prompter;

QString documentFilter() {
    return QStringLiteral("文本文档(.txt)|*.txt|"
                          "网页文件(*.htm;*.html;*.php;*.php;*.css;*.js;*.asp)|*.htm;*.html;*.php;*.php;*.css;*.js;*.asp|"
                          "C/C++(*.c;*.cpp)|*.c;*.cpp|bash(*.sh;*.bash)|*.sh;*.bash|所有文件(*.*)|*.*");
}

DocumentSession::DocumentSession(DocumentText& text, DocumentView& view, Prompter& prompter)
    : m_text(text), m_view(view), m_prompter(prompter) {}

Prompter::FileRequest DocumentSession::fileRequest(const QString& title) const {
    Prompter::FileRequest request;
    request.title = title;
    request.filter = documentFilter();
    request.defaultSuffix = QStringLiteral("txt");
    request.initialName = aquine::qFromGbk(m_path.empty() ? m_startupFile : m_path);
    return request;
}

bool DocumentSession::AskSaveChanges() {
    if (!IsModified())
        return false;
    const auto answer = m_prompter.message(QStringLiteral("文件已经被修改，是否保存？"), QStringLiteral("询问"),
                                           Prompter::Icon::Question, Prompter::Buttons::YesNoCancel);
    if (answer == Prompter::Button::Cancel)
        return true;
    if (answer == Prompter::Button::Yes) {
        bool saved = false;
        if (SaveDocument({}, false, &saved))
            return true;
        // Going ahead after a failed save would throw away the text the user just asked to keep.
        return !saved;
    }
    return false;
}

bool DocumentSession::SaveDocument(const std::string& path, bool useGivenPath, bool* saved) {
    if (saved)
        *saved = false;
    std::string target = useGivenPath ? path : m_path;
    if (target.empty()) {
        const auto chosen = m_prompter.saveFile(fileRequest(QStringLiteral("请输入欲保存到的文本文件名：")));
        if (!chosen)
            return true;
        target = withDefaultExtension(aquine::gbkFromQ(chosen->path));
    }
    if (!writeDocumentFile(aquine::pathFromGbk(target), m_text.textView())) {
        m_prompter.message(QStringLiteral("保存文件失败！"), QStringLiteral("错误"), Prompter::Icon::Error,
                           Prompter::Buttons::Ok);
        return false;
    }
    m_path = target;
    m_view.showCaption(savedCaption(target));
    SetModified(false);
    if (saved)
        *saved = true;
    return false;
}

bool DocumentSession::load(const std::string& path) {
    if (readDocumentFile(aquine::pathFromGbk(path), m_text)) {
        m_text.finishLoading();
        return true;
    }
    m_text.clearText();
    return false;
}

bool DocumentSession::OpenDocument(const std::string& path) {
    m_text.clearText();
    SetModified(false);
    m_path.clear();
    if (!load(path)) {
        m_prompter.message(QStringLiteral("打开文件失败！"), QStringLiteral("错误"), Prompter::Icon::Error,
                           Prompter::Buttons::Ok);
        m_view.showCaption(failedOpenCaption());
        return false;
    }
    SetModified(false);
    m_path = path;
    m_view.showCaption(openedCaption(path));
    return true;
}

void DocumentSession::newDocument() {
    if (AskSaveChanges())
        return;
    m_text.clearText();
    m_view.showCaption(untitledCaption());
    SetModified(false);
    m_path.clear();
    m_startupFile.clear();
}

void DocumentSession::openDocument() {
    if (AskSaveChanges())
        return;
    const auto chosen = m_prompter.openFile(fileRequest(QStringLiteral("请选择欲打开的文本文件名：")));
    if (!chosen)
        return;
    const std::string path = aquine::gbkFromQ(chosen->path);
    m_startupFile.clear();
    if (OpenDocument(path))
        m_view.showStatusPath(pathStatusText(path));
}

void DocumentSession::saveDocument() { SaveDocument({}, false); }

void DocumentSession::saveDocumentAs() {
    const auto chosen = m_prompter.saveFile(fileRequest(QStringLiteral("请输入欲另存到的文本文件名：")));
    if (!chosen)
        return;
    const std::string path = withDefaultExtension(aquine::gbkFromQ(chosen->path));
    bool saved = false;
    SaveDocument(path, true, &saved);
    // The status bar names the file the document is now in, so it moves only when the save happened.
    if (saved)
        m_view.showStatusPath(pathStatusText(path));
}

void DocumentSession::loadStartupFile(const std::string& path) {
    // An unreadable file adds nothing and says nothing; the document stays untitled either way.
    if (!load(path))
        m_text.clearText();
    SetModified(false);
    m_startupFile = path;
}

} // namespace aquinepad

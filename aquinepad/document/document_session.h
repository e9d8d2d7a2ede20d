// The life of the one open document: new, open, save, save as, the prompt that protects unsaved text,
// and what the caption and status bar say afterwards. The window only forwards its menu commands and
// close requests here; every prompt goes through the Prompter.
#pragma once

#include "aquinepad/editor/text_editor.h"
#include "common/qt/prompter.h"
#include "common/result.h"

#include <QString>
#include <string>

namespace aquinepad {

// Where the document's situation is shown: the window caption and the path part of the status bar.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void showCaption(const std::string& gbk) = 0;
    virtual void showStatusPath(const std::string& gbk) = 0;
};

// The filter of the file dialogs, "*.php" twice in its row as the program always had it.
QString documentFilter();

// Whether an action that would drop the document's text (new, open, exit, close) may go ahead.
enum class Pending { GoAhead, Stop };

class DocumentSession {
public:
    DocumentSession(TextEditor& text, DocumentView& view, aquine::Prompter& prompter);

    // The file's name as the file system holds it (bytes, not necessarily UTF-8 or GBK); only captions
    // and messages decode it.
    const std::string& DocumentPath() const { return m_path; }

    bool IsModified() const { return m_text.isModified(); }
    void SetModified(bool value = true) { m_text.setModified(value); }

    // Asks whether to save a modified document. Stop when the user cancelled, or when the save the
    // user asked for did not happen: going ahead would throw away the text the user wants to keep.
    Pending AskSaveChanges();
    // Writes the document to path (useGivenPath) or to DocumentPath, asking for a name when there is
    // none. A failure has been shown to the user.
    aquine::SaveOutcome SaveDocument(const std::string& path, bool useGivenPath);
    // Replaces the document with the file's text. A failure has been shown to the user.
    aquine::Result<> OpenDocument(const std::string& path);

    // The menu commands.
    void newDocument();
    void openChosenFile();
    void saveCurrent();
    void saveAsChosenFile();
    // "退出" and the window's close request: true when the window may go.
    bool mayClose() { return AskSaveChanges() == Pending::GoAhead; }

    // Start-up: the text of the file named on the command line (absolute, as the file system's bytes)
    // joins the untitled document.
    void loadStartupFile(const std::string& path);

private:
    aquine::Prompter::FileRequest fileRequest(const QString& title) const;
    aquine::Result<> load(const std::string& path);
    void reportFailure(const QString& message, const std::string& reason, const std::string& file);

    TextEditor& m_text;
    DocumentView& m_view;
    aquine::Prompter& m_prompter;
    std::string m_path;
    // Where a save dialog starts when the document has no path: the file given on the command line.
    std::string m_startupFile;
};

} // namespace aquinepad

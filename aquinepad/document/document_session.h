// The life of the one open document: new, open, save, save as, the prompt that protects unsaved text,
// and what the caption and status bar say afterwards. The window only forwards its menu commands and
// close requests here; every prompt goes through the Prompter.
#pragma once

#include "aquinepad/document/document_text.h"
#include "common/qt/prompter.h"

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

class DocumentSession {
public:
    DocumentSession(DocumentText& text, DocumentView& view, aquine::Prompter& prompter);

    const std::string& DocumentPath() const { return m_path; }

    bool IsModified() const { return m_text.isModified(); }
    void SetModified(bool value = true) { m_text.setModified(value); }

    // True when the pending new, open, exit or close must not go ahead: the user cancelled, or the
    // save the user asked for did not happen.
    bool AskSaveChanges();
    // Writes the document to path (useGivenPath) or to DocumentPath, asking for a name when there is
    // none. True only when the user cancelled the dialog; *saved tells whether the file was written.
    bool SaveDocument(const std::string& path, bool useGivenPath, bool* saved = nullptr);
    // Replaces the document with the file's text. False (after saying so) when it cannot be read.
    bool OpenDocument(const std::string& path);

    // The menu commands.
    void newDocument();
    void openDocument();
    void saveDocument();
    void saveDocumentAs();
    // "退出" and the window's close request: true when the window may go.
    bool mayClose() { return !AskSaveChanges(); }

    // Start-up: the text of the file named on the command line joins the untitled document.
    void loadStartupFile(const std::string& path);

private:
    aquine::Prompter::FileRequest fileRequest(const QString& title) const;
    bool load(const std::string& path);

    DocumentText& m_text;
    DocumentView& m_view;
    aquine::Prompter& m_prompter;
    std::string m_path;
    // Where a save dialog starts when the document has no path: the file given on the command line.
    std::string m_startupFile;
};

} // namespace aquinepad

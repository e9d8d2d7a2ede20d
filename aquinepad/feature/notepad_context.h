// What a notepad feature works with: the document, its editor, the settings, the prompts, the program
// folder and the services, and the few things only the window can do. The main window owns all of it
// and hands the context to each feature's install function.
#pragma once

#include "aquinepad/config/settings.h"
#include "aquinepad/document/document_session.h"
#include "aquinepad/editor/text_editor.h"
#include "common/qt/prompter.h"

#include <filesystem>

class QString;
class QWidget;

namespace aquinepad {

class PrintDialog;
class SkinEngine;
class SpeechVoices;
class UpdateChecker;

// The outside parts the notepad is built with; tests hand in scripted or inert ones.
struct Services {
    aquine::Prompter* prompter = nullptr; // null: real dialogs owned by the window
    SkinEngine* skin = nullptr;
    UpdateChecker* updates = nullptr;
    SpeechVoices* speech = nullptr; // null: espeak-ng on the sound card
    std::filesystem::path programDir;
    PrintDialog* printDialog = nullptr; // null: Qt's print dialog
};

// Requests a feature makes of the main window, which alone decides how they are carried out.
class WindowRequests {
public:
    virtual ~WindowRequests() = default;
    // The window that owns the feature's dialogs and windows.
    virtual QWidget* dialogParent() = 0;
    // Closes the main window once the document has agreed to go (the question was asked already).
    virtual void closeAfterDocumentAgreed() = 0;
    // A caption of the user's own, until the document sets one again (new, open, save).
    virtual void setTemporaryCaption(const QString& caption) = 0;
    // Ends the program at once with exit code 0: no question, no window events, nothing written.
    [[noreturn]] virtual void endProgramAtOnce() = 0;
};

struct NotepadContext {
    TextEditor& editor;
    DocumentSession& document;
    const Settings& settings;
    aquine::Prompter& prompter;
    const std::filesystem::path& programDir;
    SkinEngine* skin;
    UpdateChecker* updates;
    SpeechVoices* speech;
    PrintDialog* printDialog; // null: Qt's print dialog
    WindowRequests& window;
};

} // namespace aquinepad

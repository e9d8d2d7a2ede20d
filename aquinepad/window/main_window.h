// The notepad's main window: the editor, the menu bar built from the menu table, the two-part status
// bar, and the start-up sequence. It owns what the features share (the context) and runs the command
// each menu item gives; the features themselves register what the commands do.
#pragma once

#include "aquinepad/config/settings.h"
#include "aquinepad/document/document_rules.h"
#include "aquinepad/document/document_session.h"
#include "aquinepad/feature/command_table.h"
#include "aquinepad/feature/menu_table.h"
#include "aquinepad/feature/notepad_context.h"

#include <QMainWindow>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QLabel;

namespace aquinepad {

class PlainEditor;

class MainWindow : public QMainWindow, private DocumentView, private WindowRequests {
    Q_OBJECT

public:
    explicit MainWindow(Services services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up before the window is shown: the look, the window's place from the settings, and the text
    // of the command-line file (absolute, the file system's bytes), if any.
    void startUp(const std::optional<std::string>& commandLineFile);
    // The last start-up step, once the window is up.
    void checkForUpdatesAtStartup();

    PlainEditor& editor() { return *m_editor; }
    DocumentSession& session() { return *m_session; }
    const Settings& settings() const { return m_settings; }
    // The menu item that gives the command; null for a command no menu has.
    QAction* action(Command command) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showCaption(const std::string& gbk) override;
    void showStatusPath(const std::string& gbk) override;
    QWidget* dialogParent() override { return this; }
    void closeAfterDocumentAgreed() override;
    void setTemporaryCaption(const QString& caption) override;
    [[noreturn]] void endProgramAtOnce() override;

    void addItems(QMenu* menu, const std::vector<MenuItem>& items);
    void buildStatusBar();
    // The stored place and size, fitted to the screen with what is known of the window's frame.
    void placeOnScreen(const Rect& stored);

    std::unique_ptr<aquine::Prompter> m_ownPrompter;
    Services m_services;
    Settings m_settings;
    PlainEditor* m_editor;
    QLabel* m_pathPart = nullptr;
    std::unique_ptr<DocumentSession> m_session;
    std::unique_ptr<NotepadContext> m_context;
    CommandTable m_commands;
    std::map<Command, QAction*> m_actions;
    bool m_closeApproved = false;
    std::optional<Rect> m_storedPlace; // fitted again at the first show, when the frame is known
};

} // namespace aquinepad

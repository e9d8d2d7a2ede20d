// The notepad's main window: the editor, the menu bar built from the menu table, the two-part status
// bar, and the start-up sequence. It wires commands to the document session and the tools; the rules
// themselves live elsewhere.
#pragma once

#include "aquinepad/document/document_session.h"
#include "aquinepad/document/menu_table.h"
#include "aquinepad/config/options_choices.h"
#include "aquinepad/document/plain_editor.h"
#include "common/qt/prompter.h"
#include "aquinepad/config/settings.h"

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QLabel;

namespace aquinepad {

class SkinEngine;
class UpdateChecker;

class MainWindow : public QMainWindow, private DocumentView {
    Q_OBJECT

public:
    struct Services {
        aquine::Prompter* prompter = nullptr; // null: real dialogs owned by the window
        SkinEngine* skin = nullptr;
        UpdateChecker* updates = nullptr;
        std::filesystem::path programDir;
    };

    explicit MainWindow(Services services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up before the window is shown: the look, the window's place from the settings, and the text
    // of the command-line file (GBK path), if any.
    void startUp(const std::optional<std::string>& commandLineFile);
    // The last start-up step, once the window is up.
    void checkForUpdatesAtStartup();

    PlainEditor& editor() { return *m_editor; }
    DocumentSession& session() { return *m_session; }
    const Settings& settings() const { return m_settings; }
    QAction* action(Command command) const;
    // Gives a menu command its handler; commands without one do nothing yet.
    void setHandler(Command command, std::function<void()> handler);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showCaption(const std::string& gbk) override;
    void showStatusPath(const std::string& gbk) override;

    void buildMenus();
    void addItems(QMenu* menu, const std::vector<MenuItem>& items);
    void buildStatusBar();
    void connectDocumentCommands();
    void run(Command command);
    void exitProgram();
    void showOptions();
    void showAbout();

    std::unique_ptr<aquine::Prompter> m_ownPrompter;
    aquine::Prompter* m_prompter;
    SkinEngine* m_skin;
    UpdateChecker* m_updates;
    std::filesystem::path m_programDir;
    Settings m_settings;
    OptionChoices m_choices;

    PlainEditor* m_editor;
    QLabel* m_productPart = nullptr;
    QLabel* m_pathPart = nullptr;
    std::unique_ptr<DocumentSession> m_session;
    std::map<Command, QAction*> m_actions;
    std::map<Command, std::function<void()>> m_handlers;
    bool m_closeApproved = false;
};

} // namespace aquinepad

// Main window wiring.
#include "aquinepad/document/main_window.h"

#include "aquinepad/document/about_dialog.h"
#include "aquinepad/document/document_rules.h"
#include "common/qt/gbk_qt.h"
#include "aquinepad/config/options_dialog.h"
#include "common/qt/qt_prompter.h"
#include "aquinepad/skin/skin_engine.h"
#include "aquinepad/update/update_checker.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>

namespace aquinepad {

MainWindow::MainWindow(Services services, QWidget* parent)
    : QMainWindow(parent), m_prompter(services.prompter), m_skin(services.skin), m_updates(services.updates),
      m_programDir(std::move(services.programDir)), m_settings(Settings::inProgramDirectory(m_programDir)),
      m_editor(new PlainEditor(this)) {
    if (!m_prompter) {
        m_ownPrompter = std::make_unique<aquine::QtPrompter>(this);
        m_prompter = m_ownPrompter.get();
    }
    setWindowTitle(aquine::qFromGbk(untitledCaption()));
    setGeometry(kDesignWindowGeometry.left, kDesignWindowGeometry.top, kDesignWindowGeometry.width,
                kDesignWindowGeometry.height);
    setCentralWidget(m_editor);
    m_session = std::make_unique<DocumentSession>(*m_editor, static_cast<DocumentView&>(*this), *m_prompter);
    buildMenus();
    buildStatusBar();
    connectDocumentCommands();
    m_editor->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    for (const MenuItem& top : menuBarTable())
        addItems(menuBar()->addMenu(top.caption), top.items);
}

void MainWindow::addItems(QMenu* menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& entry : items) {
        if (entry.isSeparator()) {
            menu->addSeparator();
        } else if (!entry.items.empty()) {
            addItems(menu->addMenu(entry.caption), entry.items);
        } else {
            QAction* act = menu->addAction(entry.caption);
            if (!entry.shortcut.isEmpty())
                act->setShortcut(QKeySequence(entry.shortcut));
            const Command command = entry.command;
            connect(act, &QAction::triggered, this, [this, command] { run(command); });
            m_actions[command] = act;
        }
    }
}

void MainWindow::buildStatusBar() {
    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("状态条1"));
    bar->setFixedHeight(kStatusBarHeight);
    m_productPart = new QLabel(aquine::qFromGbk(productStatusText()), bar);
    // 100 px held the text in the desktop font it was drawn for; never cut it off in a wider one.
    m_productPart->setFixedWidth(std::max(100, m_productPart->sizeHint().width() + 4));
    m_pathPart = new QLabel(aquine::qFromGbk(newDocumentStatusText()), bar);
    bar->addWidget(m_productPart);
    bar->addWidget(m_pathPart, 1);
}

void MainWindow::connectDocumentCommands() {
    setHandler(Command::New, [this] { m_session->newDocument(); });
    setHandler(Command::Open, [this] { m_session->openDocument(); });
    setHandler(Command::Save, [this] { m_session->saveDocument(); });
    setHandler(Command::SaveAs, [this] { m_session->saveDocumentAs(); });
    setHandler(Command::Exit, [this] { exitProgram(); });
    setHandler(Command::Options, [this] { showOptions(); });
    setHandler(Command::About, [this] { showAbout(); });
    // The edit control's own commands: their shortcuts are the menu's, so they must work from the start.
    const auto send = [this](unsigned int message) { return [this, message] { m_editor->SendScintilla(message); }; };
    setHandler(Command::Undo, send(QsciScintillaBase::SCI_UNDO));
    setHandler(Command::Cut, send(QsciScintillaBase::SCI_CUT));
    setHandler(Command::Copy, send(QsciScintillaBase::SCI_COPY));
    setHandler(Command::Paste, send(QsciScintillaBase::SCI_PASTE));
    setHandler(Command::SelectAll, send(QsciScintillaBase::SCI_SELECTALL));
}

QAction* MainWindow::action(Command command) const {
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void MainWindow::setHandler(Command command, std::function<void()> handler) {
    m_handlers[command] = std::move(handler);
}

void MainWindow::run(Command command) {
    const auto it = m_handlers.find(command);
    if (it != m_handlers.end() && it->second)
        it->second();
}

void MainWindow::startUp(const std::optional<std::string>& commandLineFile) {
    if (m_skin)
        applyStartupLook(*m_skin, m_settings, m_programDir);
    const Rect r = startupWindowGeometry(m_settings.read(SettingKey::ScreenLeft), m_settings.read(SettingKey::ScreenTop),
                                         m_settings.read(SettingKey::WindowWidth),
                                         m_settings.read(SettingKey::WindowHeight));
    move(r.left, r.top);
    resize(r.width, r.height);
    if (commandLineFile)
        m_session->loadStartupFile(*commandLineFile);
}

void MainWindow::checkForUpdatesAtStartup() {
    if (m_updates)
        m_updates->checkAtStartup();
}

void MainWindow::showCaption(const std::string& gbk) { setWindowTitle(aquine::qFromGbk(gbk)); }

void MainWindow::showStatusPath(const std::string& gbk) { m_pathPart->setText(aquine::qFromGbk(gbk)); }

void MainWindow::exitProgram() {
    if (!m_session->mayClose())
        return;
    // The user has answered already: the close below must not ask a second time.
    m_closeApproved = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_closeApproved || m_session->mayClose()) {
        m_closeApproved = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::showOptions() {
    OptionsDialog dialog(m_settings, m_choices, *m_prompter, m_skin, m_programDir, this);
    dialog.exec();
}

void MainWindow::showAbout() {
    AboutDialog dialog(this);
    dialog.exec();
}

} // namespace aquinepad

// Main window: menus, status bar, start-up and close.
#include "aquinepad/window/main_window.h"

#include "aquinepad/document/document_rules.h"
#include "aquinepad/editor/plain_editor.h"
#include "aquinepad/feature_list.h"
#include "aquinepad/skin/skin_engine.h"
#include "aquinepad/update/update_checker.h"
#include "aquinepad/window/window_caption.h"
#include "common/qt/gbk_qt.h"
#include "common/qt/qt_prompter.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>
#include <algorithm>
#include <cstdlib>

namespace aquinepad {

MainWindow::MainWindow(Services services, QWidget* parent)
    : QMainWindow(parent), m_services(std::move(services)),
      m_settings(Settings::inProgramDirectory(m_services.programDir)), m_editor(new PlainEditor(this)) {
    if (!m_services.prompter) {
        m_ownPrompter = std::make_unique<aquine::QtPrompter>(this);
        m_services.prompter = m_ownPrompter.get();
    }
    setWindowTitle(aquine::qFromGbk(untitledCaption()));
    setGeometry(kDesignWindowGeometry.left, kDesignWindowGeometry.top, kDesignWindowGeometry.width,
                kDesignWindowGeometry.height);
    setCentralWidget(m_editor);
    m_session = std::make_unique<DocumentSession>(*m_editor, static_cast<DocumentView&>(*this), *m_services.prompter);
    m_context.reset(new NotepadContext{
        .editor = *m_editor,
        .document = *m_session,
        .settings = m_settings,
        .prompter = *m_services.prompter,
        .programDir = m_services.programDir,
        .skin = m_services.skin,
        .updates = m_services.updates,
        .speech = m_services.speech,
        .printDialog = m_services.printDialog,
        .window = static_cast<WindowRequests&>(*this),
    });
    installFeatures(m_commands, *m_context);
    for (const MenuItem& top : menuBarTable())
        addItems(menuBar()->addMenu(top.caption), top.items);
    buildStatusBar();
    m_editor->setFocus();
}

MainWindow::~MainWindow() = default;

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
            connect(act, &QAction::triggered, this, [this, command] { m_commands.run(command); });
            m_actions[command] = act;
        }
    }
}

void MainWindow::buildStatusBar() {
    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("状态条1"));
    bar->setFixedHeight(kStatusBarHeight);
    auto* productPart = new QLabel(aquine::qFromGbk(productStatusText()), bar);
    // 100 px held the text in the desktop font it was drawn for; never cut it off in a wider one.
    productPart->setFixedWidth(std::max(100, productPart->sizeHint().width() + 4));
    m_pathPart = new QLabel(aquine::qFromGbk(newDocumentStatusText()), bar);
    bar->addWidget(productPart);
    bar->addWidget(m_pathPart, 1);
}

QAction* MainWindow::action(Command command) const {
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void MainWindow::startUp(const std::optional<std::string>& commandLineFile) {
    if (m_services.skin)
        applyStartupLook(*m_services.skin, m_settings, m_services.programDir);
    const Rect stored =
        startupWindowGeometry(m_settings.read(SettingKey::ScreenLeft), m_settings.read(SettingKey::ScreenTop),
                              m_settings.read(SettingKey::WindowWidth), m_settings.read(SettingKey::WindowHeight));
    placeOnScreen(stored);
    // The window manager's frame is known once the window is shown: then the frame is fitted too.
    m_storedPlace = stored;
    if (commandLineFile)
        m_session->loadStartupFile(*commandLineFile);
}

void MainWindow::placeOnScreen(const Rect& stored) {
    // A stored size beyond the screen (or a place nobody can reach) would make a window that cannot be
    // used, and a huge one takes gigabytes to paint.
    const QScreen* screen = QGuiApplication::screenAt(QPoint(stored.left, stored.top));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    Rect r = stored;
    if (screen) {
        const QRect area = screen->availableGeometry();
        const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        r = fitOnScreen(stored, {area.x(), area.y(), area.width(), area.height()},
                        {margins.left(), margins.top(), margins.right(), margins.bottom()});
    }
    move(r.left, r.top);
    resize(r.width, r.height);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_storedPlace) {
        const Rect stored = *m_storedPlace;
        m_storedPlace.reset();
        placeOnScreen(stored);
    }
}

void MainWindow::checkForUpdatesAtStartup() {
    if (m_services.updates)
        m_services.updates->check(*m_context, CheckOccasion::Startup);
}

void MainWindow::showCaption(const std::string& gbk) { setCaption(*this, aquine::qFromGbk(gbk)); }

void MainWindow::setTemporaryCaption(const QString& caption) { setCaption(*this, caption); }

void MainWindow::showStatusPath(const std::string& gbk) { m_pathPart->setText(aquine::qFromGbk(gbk)); }

void MainWindow::closeAfterDocumentAgreed() {
    // The user has answered already: the close below must not ask a second time.
    m_closeApproved = true;
    close();
}

void MainWindow::endProgramAtOnce() {
    // Not QApplication::exit: that would run close events, and with them the save question.
    std::_Exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_closeApproved || m_session->mayClose()) {
        m_closeApproved = true;
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace aquinepad

// Result window: menu, toolbar and the canvas at its fixed place.
#include "shotvara/ui/result_window.h"

#include "shotvara/core/result_layout.h"
#include "shotvara/ui/icons.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace shotvara {

namespace {

QToolButton* toolButton(const QString& text, const QIcon& icon, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text); // keeps the "(&N)" access key working on the button
    button->setIcon(icon);
    button->setIconSize(QSize(24, 24));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    return button;
}

} // namespace

ResultWindow::ResultWindow(aquine::Prompter& prompter, QWidget* parent) : QMainWindow(parent), m_saver(prompter) {
    setWindowTitle(QStringLiteral("截图"));
    setWindowIcon(scissorsIcon());
    move(50, 50);
    resize(540, 457);

    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    QAction* newShot = file->addAction(QStringLiteral("新建截图(&N)"));
    newShot->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    file->addSeparator();
    QAction* save = file->addAction(QStringLiteral("另存为(&A)..."));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("退出(&X)"));
    connect(newShot, &QAction::triggered, this, &ResultWindow::newShotRequested);
    connect(save, &QAction::triggered, this, &ResultWindow::saveAs);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    // Not in the menu, but every picture window copies with Ctrl+C.
    auto* copy = new QAction(this);
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &ResultWindow::copyToClipboard);
    addAction(copy);

    // The client area is laid out by hand: the canvas keeps its place and size whatever the window's.
    m_client = new QWidget(this);
    setCentralWidget(m_client);
    m_client->installEventFilter(this);
    m_toolBar = new QToolBar(m_client);
    m_toolBar->setObjectName(QStringLiteral("工具条1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    auto* newButton = toolButton(QStringLiteral("新建(&N)"), scissorsIcon(), m_toolBar);
    auto* saveButton = toolButton(QStringLiteral("另存为(&S)"), floppyIcon(), m_toolBar);
    m_toolBar->addWidget(newButton);
    m_toolBar->addWidget(saveButton);
    connect(newButton, &QToolButton::clicked, this, &ResultWindow::newShotRequested);
    connect(saveButton, &QToolButton::clicked, this, &ResultWindow::saveAs);

    m_canvas = new QLabel(m_client);
    m_canvas->setObjectName(QStringLiteral("画板1"));
    m_canvas->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeChildren();
}

QSize ResultWindow::selectionSize() const {
    return m_picture.isNull() ? QSize() : m_picture.deviceIndependentSize().toSize();
}

void ResultWindow::setPicture(const QImage& picture) {
    m_picture = picture;
    m_canvas->setPixmap(QPixmap::fromImage(picture));
    const QSize selection = selectionSize();
    const Size usable{std::max(m_toolBar->sizeHint().width(), menuBar()->sizeHint().width()),
                      menuBar()->sizeHint().height() + kResultCanvasTop};
    const Size size = resultWindowSize({selection.width(), selection.height()}, usable);
    resize(size.width, size.height);
    placeChildren();
}

void ResultWindow::placeChildren() {
    m_toolBar->setGeometry(0, 0, m_client->width(), std::min(m_toolBar->sizeHint().height(), kResultCanvasTop));
    const QSize selection = selectionSize();
    const Rect canvas = resultCanvasRect({selection.width(), selection.height()});
    m_canvas->setGeometry(canvas.x, canvas.y, canvas.width, canvas.height);
}

bool ResultWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize)
        placeChildren();
    return QMainWindow::eventFilter(watched, event);
}

void ResultWindow::saveAs() {
    if (hasPicture())
        m_saver.saveAs(m_picture);
}

void ResultWindow::copyToClipboard() {
    if (hasPicture())
        QApplication::clipboard()->setImage(m_picture);
}

void ResultWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

} // namespace shotvara

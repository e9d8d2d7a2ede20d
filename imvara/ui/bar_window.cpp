// The bar, its labels and its pop-up menu.
#include "imvara/ui/bar_window.h"

#include "common/qt/gbk_qt.h"
#include "imvara/ui/dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace imvara {

namespace {

constexpr int kBarWidth = 301;
constexpr int kBarHeight = 48;
constexpr int kDesignHeight = 70; // the window's height before it takes the picture's size

// The pop-up menu as data: level-1 items, and the output modes in their submenu.
enum class Command { Words, Reverse, Version, Exit };
struct MenuItem {
    const char* caption; // nullptr: separator
    Command command;
};
constexpr MenuItem kMenu[] = {
    {nullptr, {}}, {"造词管理(&P)...", Command::Words},   {nullptr, {}}, {"文字反查(&F)...", Command::Reverse},
    {nullptr, {}}, {"版本信息(&V)...", Command::Version}, {nullptr, {}}, {"退出(&X)", Command::Exit},
};
struct ModeItem {
    const char* caption;
    OutputMode mode;
};
constexpr ModeItem kModes[] = {
    {"标准文字(&1)", OutputMode::Standard},
    {"繁体文字(&2)", OutputMode::Traditional},
    {"BIG5文字(&3)", OutputMode::Big5},
    {"SJIS文字(&4)", OutputMode::ShiftJis},
};

QLabel* makeLabel(QWidget* parent, const char* name, QRect geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(geometry);
    label->setFont(barFont());
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

QFont barFont() {
    QFont font(QStringLiteral("WenQuanYi Zen Hei Mono"));
    font.setPixelSize(12);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

int QtTextMeasure::width(std::string_view gbk) const {
    return QFontMetrics(m_font).horizontalAdvance(aquine::qFromGbk(gbk));
}

BarWindow::BarWindow(Session& session, LookupText& lookup, std::filesystem::path programDir, aquine::Prompter& prompter)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_session(session), m_lookup(lookup), m_programDir(std::move(programDir)), m_prompter(prompter) {
    setWindowTitle(QStringLiteral("五笔输入法"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFont(barFont());
    resize(kBarWidth, kDesignHeight);

    auto* shape = new QFrame(this); // 外形框1
    shape->setObjectName(QStringLiteral("外形框1"));
    shape->setGeometry(0, 0, 64, 24);
    m_scheme = makeLabel(shape, "标签1", QRect(2, 2, 60, 20));
    m_scheme->setText(QStringLiteral("全拼"));
    m_scheme->setAlignment(Qt::AlignCenter);
    m_scheme->setStyleSheet(QStringLiteral("color: white;"));
    m_scheme->installEventFilter(this);
    m_composition = makeLabel(this, "标签2", QRect(71, 4, 222, 18));
    m_candidates = makeLabel(this, "标签", QRect(8, 25, 286, 18));
    buildMenu();
}

void BarWindow::placeOn(const QRect& screen) {
    // Placed while the window still has its design height, then given the picture's size.
    const int left = static_cast<int>(screen.width() / 2.0 - 94) + screen.x();
    const int top = static_cast<int>(screen.height() - 30.0 - height()) + screen.y();
    setGeometry(left, top, kBarWidth, kBarHeight);
    setFixedSize(kBarWidth, kBarHeight);
}

void BarWindow::refresh() {
    m_composition->setText(QString::fromLatin1(m_session.Composition()));
    m_candidates->setText(aquine::qFromGbk(m_session.CandidateLine()));
}

void BarWindow::paintEvent(QPaintEvent*) {
    // The bar picture: a soft vertical gradient, a darker band behind the scheme name, a thin border.
    QPainter p(this);
    QLinearGradient fill(0, 0, 0, kBarHeight);
    fill.setColorAt(0, QColor(0xF7, 0xFA, 0xFF));
    fill.setColorAt(1, QColor(0xD9, 0xE4, 0xF2));
    p.fillRect(rect(), fill);
    QLinearGradient band(0, 0, 0, 24);
    band.setColorAt(0, QColor(0x6F, 0x9C, 0xD6));
    band.setColorAt(1, QColor(0x3B, 0x6E, 0xB4));
    p.fillRect(QRect(0, 0, 64, 24), band);
    p.setPen(QColor(0xA7, 0xB9, 0xD1));
    p.drawLine(68, 23, kBarWidth - 6, 23);
    p.setPen(QColor(0x5A, 0x78, 0xA0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void BarWindow::closeEvent(QCloseEvent* event) {
    event->ignore(); // only "退出(&X)" ends the input method
}

bool BarWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_scheme && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        m_menu->popup(frameGeometry().topLeft()); // at the bar's corner, wherever the click was
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void BarWindow::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("主菜单"));
    QMenu* output = m_menu->addMenu(QStringLiteral("文字输出(&O)"));
    auto* modes = new QActionGroup(this);
    modes->setExclusive(true);
    bool first = true;
    for (const ModeItem& item : kModes) {
        if (!first)
            output->addSeparator();
        QAction* action = output->addAction(QString::fromUtf8(item.caption));
        action->setCheckable(true);
        action->setChecked(item.mode == m_session.outputMode());
        modes->addAction(action);
        connect(action, &QAction::triggered, this, [this, mode = item.mode] { m_session.setOutputMode(mode); });
        first = false;
    }
    for (const MenuItem& item : kMenu) {
        if (!item.caption) {
            m_menu->addSeparator();
            continue;
        }
        QAction* action = m_menu->addAction(QString::fromUtf8(item.caption));
        connect(action, &QAction::triggered, this, [this, command = item.command] {
            switch (command) {
            case Command::Words: openWindow<WordWindow>(m_wordWindow, m_lookup, m_programDir, m_prompter); break;
            case Command::Reverse: openWindow<ReverseWindow>(m_reverseWindow, m_lookup, m_wordFile); break;
            case Command::Version: openWindow<VersionWindow>(m_versionWindow); break;
            case Command::Exit: QApplication::exit(0); break;
            }
        });
    }
}

template <class W, class... Args> void BarWindow::openWindow(QPointer<QWidget>& window, Args&&... args) {
    // A window that is already open comes to the front instead of opening twice.
    if (!window) {
        window = new W(this, std::forward<Args>(args)...);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // Just above the bar, which stays on top and would otherwise cover the window's buttons.
        const QRect bar = frameGeometry();
        window->move(bar.center().x() - window->width() / 2, std::max(0, bar.top() - window->height() - 40));
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace imvara

// The Wayland notice.
#include "imvara/ui/wayland_notice.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace imvara {

bool onWaylandSession(const char* waylandDisplay, const char* sessionType) {
    return (waylandDisplay && *waylandDisplay) || (sessionType && std::strcmp(sessionType, "wayland") == 0);
}

bool onWaylandSession() { return onWaylandSession(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE")); }

QString waylandNoticeTitle() { return QStringLiteral("输入法提示"); }

QString waylandNoticeText() {
    return QStringLiteral("当前是 Wayland 会话：输入法条只能向 X11（XWayland）程序输入文字，\n"
                          "原生 Wayland 程序收不到它的输入。\n"
                          "\n"
                          "要在所有程序里使用，请改用 IBus 输入法引擎：\n"
                          "GNOME：设置 → 键盘 → 输入源 → 添加 → 汉语（中国）→ 全拼 (imvara)，\n"
                          "然后在终端执行 ibus restart。\n"
                          "KDE Plasma：系统设置 → 输入法（或运行 IBus 首选项 ibus-setup）。\n"
                          "\n"
                          "输入法条会继续为 X11 程序服务。");
}

WaylandNotice::WaylandNotice(QWidget* near)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus) {
    setWindowTitle(waylandNoticeTitle());
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(waylandNoticeText(), this);
    text->setObjectName(QStringLiteral("提示"));
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("关闭"));
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    adjustSize();
    // Above the bar, where the user looks when it appears; clear of the centre, where work goes on.
    if (near) {
        const QRect bar = near->frameGeometry();
        move(bar.center().x() - width() / 2, std::max(0, bar.top() - height() - 40));
    }
}

} // namespace imvara

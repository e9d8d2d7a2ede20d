// The translucent frame's drop shadow: its picture and the window that carries it.
#include "aquinepad/skin/window_shadow.h"

#include "aquinepad/skin/window_system.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace aquinepad {

namespace {

// How far the window is cast downwards: light from a little above, as on a desk.
int castDown(int size) { return size / 4; }

// The shadow's darkness right at the window's edge; it fades out over `size` pixels from there.
constexpr double kEdgeAlpha = 0.42;

} // namespace

QRect shadowGeometry(const QRect& window, int size) {
    const int down = castDown(size);
    return window.adjusted(-size, -size + down, size, size + down);
}

QImage shadowPicture(QSize window, int size, QColor colour) {
    const QSize whole = window + QSize(2 * size, 2 * size);
    QImage picture(whole, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    if (size <= 0 || window.isEmpty())
        return picture;
    // In the picture: the window where it stands, and its cast shadow `down` pixels lower.
    const int down = castDown(size);
    const QRect caster(size, size, window.width(), window.height());
    const QRect self = caster.translated(0, -down);
    for (int y = 0; y < whole.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        const int dy = std::max({caster.top() - y, 0, y - caster.bottom()});
        const bool besideSelf = y >= self.top() && y <= self.bottom();
        for (int x = 0; x < whole.width(); ++x) {
            if (besideSelf && x == self.left()) {
                x = self.right(); // the window's own pixels stay clear: skip them in one step
                continue;
            }
            const int dx = std::max({caster.left() - x, 0, x - caster.right()});
            const double distance = std::hypot(dx, dy);
            if (distance >= size)
                continue;
            const double fade = 1.0 - distance / size;
            const int alpha = static_cast<int>(std::lround(255 * kEdgeAlpha * fade * fade));
            line[x] = qPremultiply(qRgba(colour.red(), colour.green(), colour.blue(), alpha));
        }
    }
    return picture;
}

WindowShadow::WindowShadow(QWidget& window, WindowSystem& windowSystem)
    : QWidget(&window, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      m_window(window), m_windowSystem(windowSystem) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setObjectName(QStringLiteral("aquinepad-window-shadow"));
}

void WindowShadow::setLook(int size, QColor colour) {
    if (size == m_size && colour == m_colour)
        return;
    m_size = size;
    m_colour = colour;
    m_picture = {};
    update();
}

void WindowShadow::follow() {
    const QRect frame = m_window.frameGeometry();
    if (m_picture.isNull() || m_picture.size() != frame.size() + QSize(2 * m_size, 2 * m_size)) {
        m_picture = shadowPicture(frame.size(), m_size, m_colour);
        update();
    }
    setGeometry(shadowGeometry(frame, m_size));
    if (!isVisible())
        show();
    m_windowSystem.stackBelow(*this, m_window);
}

void WindowShadow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_picture);
}

} // namespace aquinepad

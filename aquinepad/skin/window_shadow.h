// The drop shadow of the translucent frame: a see-through window of its own, kept beneath the window
// it belongs to and a little larger, since a window cannot draw beyond its own edges.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace aquinepad {

class WindowSystem;

// The shadow of a window of the given outer size: a picture `size` pixels larger on every side, the
// window itself cast a little downwards, and clear where the window is, so that a window one can see
// through is not darkened by its own shadow.
QImage shadowPicture(QSize window, int size, QColor colour);
// Where the shadow window goes for a window with this outer (framed) rectangle.
QRect shadowGeometry(const QRect& window, int size);

class WindowShadow : public QWidget {
    Q_OBJECT

public:
    // Owned by `window`, so it goes when the window goes.
    WindowShadow(QWidget& window, WindowSystem& windowSystem);

    void setLook(int size, QColor colour);
    // Follows the window: its place, its size and its place in the stacking order.
    void follow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget& m_window;
    WindowSystem& m_windowSystem;
    int m_size = 0;
    QColor m_colour;
    QImage m_picture;
};

} // namespace aquinepad

// The translucent frame on Wayland. Qt cannot set a window's opacity there (the protocol has none),
// so the window draws itself see-through: solid as always, then scaled once by the opacity. Its
// shadow is a surface attached to the window's own (a subsurface, which may reach beyond it), so
// the compositor moves it with the window and leaves it out of the window's size.
#include "aquinepad/skin/window_system.h"

#include "aquinepad/skin/window_shadow.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QRasterWindow>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace aquinepad {

namespace {

// The window's topmost child, over all of it: it paints last wherever anything beneath it paints,
// and scales what was painted there by its alpha. Being above every other child also keeps Qt from
// painting a child alone or scrolling its old pixels, either of which would skip the scaling.
class WindowFade final : public QWidget {
public:
    explicit WindowFade(QWidget& window) : QWidget(&window), m_window(window) {
        setObjectName(QStringLiteral("aquinepad-window-fade"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(window.rect());
        window.installEventFilter(this);
        show();
        raise();
    }

    void setAlpha(int alpha) {
        if (alpha == m_alpha)
            return;
        m_alpha = alpha;
        m_window.update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_window)
            return false;
        switch (event->type()) {
        case QEvent::Resize: setGeometry(m_window.rect()); break;
        case QEvent::ChildAdded:
            // A child added later lands on top: back to the top once it is in place.
            QMetaObject::invokeMethod(
                this,
                [self = QPointer<QWidget>(this)] {
                    if (self)
                        self->raise();
                },
                Qt::QueuedConnection);
            break;
        default: break;
        }
        return false;
    }

    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(event->rect(), QColor(0, 0, 0, m_alpha));
    }

private:
    QWidget& m_window;
    int m_alpha = 255;
};

WindowFade* fadeOf(QWidget& window) {
    return window.findChild<WindowFade*>(QStringLiteral("aquinepad-window-fade"), Qt::FindDirectChildrenOnly);
}

// The shadow's surface. Qt puts a child window above its parent, but the picture is clear where the
// window is, so only the shadow around it shows; it takes no pointer input but at one clear corner
// pixel (an empty mask would mean all of it).
class AttachedShadow final : public QRasterWindow {
public:
    explicit AttachedShadow(QWindow& window) : QRasterWindow(&window) {
        setObjectName(QStringLiteral("aquinepad-attached-shadow"));
        setFlags(Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
        QSurfaceFormat see = format();
        see.setAlphaBufferSize(8);
        setFormat(see);
    }

    // `frame`: the window with its decoration, in the window's own coordinates.
    void setLook(const QRect& frame, int size, QColor colour) {
        if (m_picture.isNull() || frame.size() != m_frame || size != m_size || colour != m_colour) {
            m_picture = shadowPicture(frame.size(), size, colour);
            m_frame = frame.size();
            m_size = size;
            m_colour = colour;
            update();
        }
        setGeometry(shadowGeometry(frame, size));
        setMask(QRegion(0, 0, 1, 1));
        if (!isVisible())
            show();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, m_picture);
    }

private:
    QImage m_picture;
    QSize m_frame;
    int m_size = 0;
    QColor m_colour;
};

AttachedShadow* attachedShadowOf(QWidget& window) {
    QWindow* handle = window.windowHandle();
    return handle ? handle->findChild<AttachedShadow*>(QStringLiteral("aquinepad-attached-shadow"),
                                                       Qt::FindDirectChildrenOnly)
                  : nullptr;
}

class WaylandWindowSystem final : public WindowSystem {
public:
    // Alpha blending of every surface is part of the core protocol: there is no compositor without it.
    bool compositing() override { return true; }

    void prepare(QWidget& window) override {
        // Qt tells the compositor that a window made without an alpha channel is opaque, and never
        // takes it back; compositors that trust it would draw the window solid whatever it paints.
        // So every window is made with one, and paints its own background solid as before: only
        // the fade makes anything see-through, and evenly.
        window.setAttribute(Qt::WA_TranslucentBackground);
        window.setAttribute(Qt::WA_NoSystemBackground, false);
    }

    void setOpacity(QWidget& window, double opacity) override {
        const int alpha = static_cast<int>(std::lround(255 * std::clamp(opacity, 0.0, 1.0)));
        WindowFade* fade = fadeOf(window);
        if (alpha >= 255) {
            if (fade) {
                delete fade;
                window.update();
            }
            return;
        }
        if (!fade) {
            if (!window.testAttribute(Qt::WA_TranslucentBackground))
                prepare(window); // made before the engine saw it: see-through all the same where trusted
            fade = new WindowFade(window);
        }
        fade->setAlpha(alpha);
    }

    bool placesWindows() override { return false; }
    void stackBelow(QWidget&, QWidget&) override {}

    void setAttachedShadow(QWidget& window, int size, QColor colour) override {
        AttachedShadow* shadow = attachedShadowOf(window);
        if (size <= 0 || !window.windowHandle()) {
            delete shadow;
            return;
        }
        if (!shadow)
            shadow = new AttachedShadow(*window.windowHandle());
        shadow->setLook(window.frameGeometry().translated(-window.geometry().topLeft()), size, colour);
    }
};

} // namespace

std::unique_ptr<WindowSystem> waylandWindowSystem() { return std::make_unique<WaylandWindowSystem>(); }

} // namespace aquinepad

// The translucent frame on Wayland. Qt cannot set a window's opacity there (the protocol has none),
// so the window draws itself see-through: solid as always, then scaled once by the opacity.
#include "aquinepad/skin/window_system.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
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

class WaylandWindowSystem final : public WindowSystem {
public:
    // Alpha blending of every surface is part of the core protocol: there is no compositor without it.
    bool compositing() override { return true; }

    void setOpacity(QWidget& window, double opacity) override {
        const int alpha = static_cast<int>(std::lround(255 * std::clamp(opacity, 0.0, 1.0)));
        WindowFade* fade = fadeOf(window);
        if (alpha >= 255) {
            if (fade) {
                delete fade;
                window.setAttribute(Qt::WA_TranslucentBackground, false);
                window.update();
            }
            return;
        }
        if (!fade) {
            // An alpha channel, but the window's own background painted solid as before: only the
            // fade makes anything see-through, and evenly.
            window.setAttribute(Qt::WA_TranslucentBackground);
            window.setAttribute(Qt::WA_NoSystemBackground, false);
            fade = new WindowFade(window);
        }
        fade->setAlpha(alpha);
    }

    bool placesWindows() override { return false; }
    void stackBelow(QWidget&, QWidget&) override {}
};

} // namespace

std::unique_ptr<WindowSystem> waylandWindowSystem() { return std::make_unique<WaylandWindowSystem>(); }

} // namespace aquinepad

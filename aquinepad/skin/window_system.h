// What the translucent frame needs from the window system: whether windows can be seen through at
// all, how a window is made see-through, and whether its shadow can be a window of its own.
#pragma once

#include <QColor>
#include <memory>

class QWidget;

namespace aquinepad {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Whether a compositing manager draws the screen. Without one, a see-through window would show
    // black where it should show what lies beneath, so nothing see-through is shown at all.
    virtual bool compositing() = 0;
    // Called for a window not yet made on the screen, so that it can be made as the translucent
    // frame will need it.
    virtual void prepare(QWidget& window);
    // Makes `window` as opaque as `opacity` says (1 solid, 0.5 half). Here: the window's opacity,
    // which the compositing manager applies to everything the window shows.
    virtual void setOpacity(QWidget& window, double opacity);
    // Whether a program may place and stack its own windows, so that a shadow can be a window
    // beneath the one it shades.
    virtual bool placesWindows() { return true; }
    // Puts `shadow` directly beneath `window` in the stacking order.
    virtual void stackBelow(QWidget& shadow, QWidget& window) = 0;
    // Where a program cannot place its windows: a shadow `size` pixels wide (0: none) that goes with
    // `window` itself, following its size.
    virtual void setAttachedShadow(QWidget& window, int size, QColor colour);
};

// The session's window system: X11's when the notepad runs on an X server, Wayland's on a Wayland
// compositor, else one that never composites (the offscreen platform of the tests, a bare console).
std::unique_ptr<WindowSystem> nativeWindowSystem();

// Wayland's: every compositor blends each window by the alpha it draws, so a window is made
// see-through by drawing itself so; the compositor places windows, so a shadow is a surface attached
// to the window's own, beneath it.
std::unique_ptr<WindowSystem> waylandWindowSystem();
// X11's through Qt's own connection; none when the application is not on an X server.
std::unique_ptr<WindowSystem> x11WindowSystem();

} // namespace aquinepad

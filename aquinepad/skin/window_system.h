// What the translucent frame needs from the window system: whether windows can be seen through at
// all, and a way to keep a window's shadow directly beneath it.
#pragma once

#include <memory>

class QWidget;

namespace aquinepad {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Whether a compositing manager draws the screen. Without one, a see-through window would show
    // black where it should show what lies beneath, so nothing see-through is shown at all.
    virtual bool compositing() = 0;
    // Puts `shadow` directly beneath `window` in the stacking order.
    virtual void stackBelow(QWidget& shadow, QWidget& window) = 0;
};

// The session's window system: X11's when the notepad runs on an X server, else one that never
// composites (the offscreen platform of the tests, a bare console).
std::unique_ptr<WindowSystem> nativeWindowSystem();

} // namespace aquinepad

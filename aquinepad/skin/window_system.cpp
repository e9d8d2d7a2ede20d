// Picks the window system of the translucent frame from the platform Qt runs on.
#include "aquinepad/skin/window_system.h"

#include <QGuiApplication>
#include <QWidget>
#include <cmath>

namespace aquinepad {

namespace {

class FlatWindowSystem final : public WindowSystem {
public:
    bool compositing() override { return false; }
    void stackBelow(QWidget&, QWidget&) override {}
};

} // namespace

void WindowSystem::setOpacity(QWidget& window, double opacity) {
    // Qt keeps the opacity in steps of 1/255; setting it again only makes the window system redraw.
    if (std::abs(window.windowOpacity() - opacity) > 0.5 / 255)
        window.setWindowOpacity(opacity);
}

void WindowSystem::prepare(QWidget&) {}

void WindowSystem::setAttachedShadow(QWidget&, int, QColor) {}

std::unique_ptr<WindowSystem> nativeWindowSystem() {
    if (auto x11 = x11WindowSystem())
        return x11;
    // "wayland", "wayland-egl", "wayland-brcm" ...: every client plugin of Qt's Wayland platform.
    if (qGuiApp && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return waylandWindowSystem();
    return std::make_unique<FlatWindowSystem>();
}

} // namespace aquinepad

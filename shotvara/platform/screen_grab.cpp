// Picks the grab by the session and gives every picture the screen's geometry and pixel ratio.
#include "shotvara/platform/screen_grab.h"

#include "shotvara/platform/portal_screenshot.h"
#include "shotvara/platform/wlr_screencopy.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace shotvara {

namespace {

// The X server's root window through Qt's xcb plugin.
aquine::Result<QImage> grabX11(QScreen* screen) {
    const QImage grabbed = screen->grabWindow(0).toImage();
    if (grabbed.isNull())
        return aquine::fail("X 服务器没有给出屏幕画面");
    // RGB32 keeps every pixel as grabbed and is the raster engine's fastest format to draw.
    return grabbed.convertToFormat(QImage::Format_RGB32);
}

// The portal pictures the whole desktop; the part that is this screen, in the picture's own scale.
QImage screenPart(const QImage& desktop, QScreen* screen) {
    const QRect all = screen->virtualGeometry();
    if (all.width() <= 0 || desktop.width() == 0)
        return desktop;
    const double scale = double(desktop.width()) / all.width();
    const QRect g = screen->geometry().translated(-all.topLeft());
    const QRect part(qRound(g.x() * scale), qRound(g.y() * scale), qRound(g.width() * scale),
                     qRound(g.height() * scale));
    return part == desktop.rect() ? desktop : desktop.copy(part);
}

aquine::Result<std::optional<QImage>> grabWayland(QScreen* screen) {
    PortalAttempt portal = grabWithPortal();
    switch (portal.end) {
    case PortalAttempt::End::Taken: return std::optional<QImage>(screenPart(portal.picture, screen));
    case PortalAttempt::End::Cancelled: return std::optional<QImage>();
    case PortalAttempt::End::Failed: return aquine::fail(portal.reason);
    case PortalAttempt::End::Unavailable: break;
    }
    ScreencopyAttempt copy = grabWithScreencopy(screen->name());
    if (!copy.offered)
        return aquine::fail("桌面没有提供截图门户（xdg-desktop-portal 的 Screenshot 接口），"
                            "混成器也不支持 wlr-screencopy，无法读取屏幕");
    if (!copy.picture)
        return aquine::fail(copy.picture.reason());
    return std::optional<QImage>(std::move(*copy.picture));
}

} // namespace

bool waylandSession() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

aquine::Result<std::optional<ScreenPicture>> grabScreen(QScreen* screen) {
    if (!screen)
        return aquine::fail("没有找到屏幕");
    ScreenPicture picture;
    picture.geometry = screen->geometry();
    if (waylandSession()) {
        auto grabbed = grabWayland(screen);
        if (!grabbed)
            return aquine::fail(grabbed.reason());
        if (!*grabbed)
            return std::optional<ScreenPicture>();
        picture.image = std::move(**grabbed);
    } else {
        auto grabbed = grabX11(screen);
        if (!grabbed)
            return aquine::fail(grabbed.reason());
        picture.image = std::move(*grabbed);
    }
    // However the desktop scales, the picture spans the screen's logical width.
    const int logicalWidth = picture.geometry.width();
    picture.image.setDevicePixelRatio(logicalWidth > 0 ? double(picture.image.width()) / logicalWidth
                                                       : screen->devicePixelRatio());
    return std::optional<ScreenPicture>(std::move(picture));
}

} // namespace shotvara

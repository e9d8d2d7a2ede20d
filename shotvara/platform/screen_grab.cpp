// Screen grab through Qt's platform plugin (xcb reads the root window).
#include "shotvara/platform/screen_grab.h"

#include <QPixmap>
#include <QScreen>

namespace shotvara {

ScreenPicture grabScreen(QScreen* screen) {
    ScreenPicture picture;
    if (!screen)
        return picture;
    picture.geometry = screen->geometry();
    const QPixmap grabbed = screen->grabWindow(0);
    // RGB32 keeps every pixel as grabbed and is the raster engine's fastest format to draw.
    picture.image = grabbed.toImage().convertToFormat(QImage::Format_RGB32);
    if (!picture.image.isNull())
        picture.image.setDevicePixelRatio(screen->devicePixelRatio());
    return picture;
}

} // namespace shotvara

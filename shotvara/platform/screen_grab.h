// The whole screen as a picture, taken once at start-up.
#pragma once

#include <QImage>
#include <QRect>

class QScreen;

namespace shotvara {

struct ScreenPicture {
    // Physical pixels (a scaled screen gives its own resolution, not a scaled copy); its device pixel
    // ratio is the screen's, so drawing it at the screen's logical size maps it pixel for pixel.
    QImage image;
    QRect geometry; // the screen in logical coordinates
};

// The screen as it is displayed now; on X11 the root window's pixels in the screen's area. A null image
// when the display gives no picture (a desktop without screen grabs).
ScreenPicture grabScreen(QScreen* screen);

} // namespace shotvara

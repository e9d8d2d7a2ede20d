// The whole screen as a picture, taken once at start-up: from the X server on X11; on Wayland from the
// desktop's Screenshot portal, or on wlroots compositors through wlr-screencopy when no portal answers.
#pragma once

#include "common/result.h"

#include <QImage>
#include <QRect>
#include <optional>

class QScreen;

namespace shotvara {

struct ScreenPicture {
    // Physical pixels (a scaled screen gives its own resolution, not a scaled copy); its device pixel
    // ratio maps the screen's logical size onto it, so drawing it there shows it pixel for pixel.
    QImage image;
    QRect geometry; // the screen in logical coordinates
};

// The screen as it is displayed now. Empty when the user called the grab off in the desktop's own
// dialog (nothing to report); a failure says why in words for the user.
aquine::Result<std::optional<ScreenPicture>> grabScreen(QScreen* screen);

// Whether this is a Wayland session, whichever platform Qt itself runs on (XWayland gives X11 programs
// only black where Wayland windows are).
bool waylandSession();

} // namespace shotvara

// The screen through the desktop's Screenshot portal (org.freedesktop.portal.Screenshot over the session
// bus): the way GNOME, KDE and every other Wayland desktop hand out a picture of the screen.
#pragma once

#include "common/result.h"

#include <QImage>

namespace shotvara {

struct PortalAttempt {
    enum class End {
        Taken,       // `picture` holds the screen
        Unavailable, // no portal answers on the session bus: another way may still work
        Cancelled,   // the user called it off in the desktop's dialog: nothing to say
        Failed,      // the portal answered but gave no picture: `reason` says why
    };
    End end = End::Unavailable;
    QImage picture;
    std::string reason;
};

// Asks without a dialog first; if the desktop refuses, asks once more letting it ask the user. Runs a
// local event loop until the portal answers. The picture the portal wrote is deleted once loaded unless
// the desktop's own dialog saved it for the user.
PortalAttempt grabWithPortal();

} // namespace shotvara

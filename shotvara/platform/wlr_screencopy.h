// The screen of a wlroots compositor (sway, Hyprland, labwc, river) read directly through the
// wlr-screencopy protocol, on a Wayland connection of our own, independent of Qt's.
#pragma once

#include "common/result.h"

#include <QImage>
#include <QString>

namespace shotvara {

struct ScreencopyAttempt {
    // False when the session offers no screencopy (no Wayland display, or a compositor without the
    // protocol): the caller then has nothing to fall back to but its own message.
    bool offered = false;
    // The output's pixels as the compositor holds them (its mode's size, not the logical size), or why
    // they could not be had.
    aquine::Result<QImage> picture = aquine::fail("");
};

// Copies the output named `outputName` (the first output when none has that name or it is empty).
ScreencopyAttempt grabWithScreencopy(const QString& outputName);

} // namespace shotvara

// The Wayland side of the clipboard keeper: on wlroots compositors a client may own the clipboard
// without a window through the data-control protocol, so the keeper needs no surface and no focus.
#pragma once

#include <string>

namespace shotvara {

// Whether the compositor lets a windowless client own the clipboard (zwlr_data_control_manager_v1).
// Desktops without it (GNOME, KDE) keep a copied picture themselves after its program ends.
bool waylandClipboardKeepable();

// Owns the clipboard with this PNG picture, writes one byte to `readyFd` once it does, and answers
// pastes until another program copies, the compositor goes away or `hours` pass. Returns the exit code.
int holdWaylandClipboard(const std::string& png, int readyFd, int hours);

} // namespace shotvara

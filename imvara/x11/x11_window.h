// The input method's own windows on X11: a bar and a notice that the window manager must never give
// the keyboard focus, so that keys keep reaching the user's application.
#pragma once

typedef struct _XDisplay Display;

namespace imvara {

// Makes a window take no input in the ICCCM's sense: its input hint false and no WM_TAKE_FOCUS among
// its protocols. Qt always offers WM_TAKE_FOCUS, which makes a window "globally active" whatever its
// input hint, and wlroots compositors (sway) then focus it when it is mapped. Call it on the display
// connection that created the window, before the window is first shown.
void refuseInputFocus(Display* display, unsigned long window);

} // namespace imvara

// Window properties that keep the focus away from the input method's windows.
#include "imvara/x11/x11_window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <vector>

namespace imvara {

void refuseInputFocus(Display* display, unsigned long window) {
    const Atom takeFocus = XInternAtom(display, "WM_TAKE_FOCUS", False);
    Atom* protocols = nullptr;
    int count = 0;
    if (XGetWMProtocols(display, window, &protocols, &count)) {
        std::vector<Atom> kept;
        for (int i = 0; i < count; ++i)
            if (protocols[i] != takeFocus)
                kept.push_back(protocols[i]);
        XSetWMProtocols(display, window, kept.data(), static_cast<int>(kept.size()));
        XFree(protocols);
    }
    XWMHints* hints = XGetWMHints(display, window);
    XWMHints none{};
    XWMHints* changed = hints ? hints : &none;
    changed->flags |= InputHint;
    changed->input = False;
    XSetWMHints(display, window, changed);
    if (hints)
        XFree(hints);
    XFlush(display);
}

} // namespace imvara

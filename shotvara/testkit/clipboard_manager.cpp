// The smallest clipboard manager (the freedesktop ClipboardManager convention): it owns the
// CLIPBOARD_MANAGER selection; when a program that owns the clipboard asks it to SAVE_TARGETS as it
// ends, it fetches the clipboard's image/png, takes the clipboard and answers pastes of it from then on.
// Prints "ready" once it owns CLIPBOARD_MANAGER, "saved N" after each save; runs until killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <string>

namespace {

struct Atoms {
    Atom manager, saveTargets, clipboard, targets, png, kept, null;
};

// The clipboard's image/png, fetched into our window; empty when the owner gives none in one piece.
std::string fetchPng(Display* display, Window window, const Atoms& atoms) {
    XConvertSelection(display, atoms.clipboard, atoms.png, atoms.kept, window, CurrentTime);
    XEvent event;
    do
        XNextEvent(display, &event);
    while (event.type != SelectionNotify);
    if (event.xselection.property == None)
        return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string bytes;
    if (XGetWindowProperty(display, window, atoms.kept, 0, 0x7fffffff, True, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success &&
        type == atoms.png && format == 8)
        bytes.assign(reinterpret_cast<const char*>(data), count);
    if (data)
        XFree(data);
    return bytes;
}

} // namespace

int runClipboardManager() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atoms atoms{XInternAtom(display, "CLIPBOARD_MANAGER", False),
                      XInternAtom(display, "SAVE_TARGETS", False),
                      XInternAtom(display, "CLIPBOARD", False),
                      XInternAtom(display, "TARGETS", False),
                      XInternAtom(display, "image/png", False),
                      XInternAtom(display, "SHOTVARA_KEPT", False),
                      XInternAtom(display, "NULL", False)};
    XSetSelectionOwner(display, atoms.manager, window, CurrentTime);
    if (XGetSelectionOwner(display, atoms.manager) != window)
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);

    std::string kept;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent request = event.xselectionrequest;
        const Atom property = request.property == None ? request.target : request.property;
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = display;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = None;
        if (request.selection == atoms.manager && request.target == atoms.saveTargets) {
            kept = fetchPng(display, window, atoms);
            if (!kept.empty()) {
                XSetSelectionOwner(display, atoms.clipboard, window, CurrentTime);
                XChangeProperty(display, request.requestor, property, atoms.null, 32, PropModeReplace, nullptr, 0);
                reply.property = property;
                std::printf("saved %zu\n", kept.size());
                std::fflush(stdout);
            }
        } else if (request.selection == atoms.clipboard && !kept.empty()) {
            if (request.target == atoms.targets) {
                const Atom offered[] = {atoms.targets, atoms.png};
                XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(offered), 2);
                reply.property = property;
            } else if (request.target == atoms.png) {
                XChangeProperty(display, request.requestor, property, atoms.png, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(kept.data()), static_cast<int>(kept.size()));
                reply.property = property;
            }
        }
        XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(display);
    }
}

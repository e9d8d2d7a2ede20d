// Key-to-character latency: presses the digit 5 through XTest and waits for the character to arrive in
// a window of its own that has the focus. With the input method running, the press is captured and the
// 5 is typed back through it; without, it arrives directly. Prints the median and 99th percentile.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Waits for the next KeyPress that types '5'; false on a time-out.
bool waitForFive(Display* display, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != KeyPress)
                continue;
            char text[8];
            KeySym sym;
            if (XLookupString(&event.xkey, text, sizeof text, &sym, nullptr) == 1 && text[0] == '5')
                return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
}

} // namespace

int main(int argc, char** argv) {
    const int presses = argc > 1 ? std::atoi(argv[1]) : 500;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "imvara_typing_latency: no X display\n");
        return 1;
    }
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0xFFFFFF);
    XStoreName(display, window, "latency target");
    XSelectInput(display, window, KeyPressMask | StructureNotifyMask);
    XMapWindow(display, window);
    for (XEvent e; XNextEvent(display, &e), e.type != MapNotify;) {
    }
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);

    const KeyCode five = XKeysymToKeycode(display, XK_5);
    std::vector<double> micros;
    int lost = 0;
    for (int i = 0; i < presses; ++i) {
        const auto start = Clock::now();
        XTestFakeKeyEvent(display, five, True, CurrentTime);
        XTestFakeKeyEvent(display, five, False, CurrentTime);
        XFlush(display);
        if (!waitForFive(display, 2000)) {
            ++lost;
            continue;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    if (micros.empty()) {
        std::fprintf(stderr, "imvara_typing_latency: no character arrived\n");
        return 1;
    }
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    const double p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    std::printf("presses %d arrived %zu lost %d median_us %.0f p99_us %.0f\n", presses, micros.size(), lost, median,
                p99);
    XCloseDisplay(display);
    return lost == 0 ? 0 : 1;
}

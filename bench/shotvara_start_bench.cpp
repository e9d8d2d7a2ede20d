// Times shotvara from process start until its frozen screen is on the display, beside a bare screen grab
// to PNG by standard X tools (`import -window root`, `xwd -root | convert`), and prints the ratios.
//
// "Shown" is seen, not guessed: a full-screen window of ours shows colour A; the moment shotvara creates
// its capture window (it has already taken its picture then) we paint that window colour B, so colour A
// can only come back on the screen from shotvara painting its frozen picture.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr unsigned long kColourA = 0xD03020;
constexpr unsigned long kColourB = 0x2040C0;
constexpr double kTimeoutSeconds = 30;

double secondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

pid_t spawn(const std::vector<std::string>& argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

class TestScreen {
public:
    TestScreen() {
        m_display = XOpenDisplay(nullptr);
        if (!m_display) {
            std::fprintf(stderr, "cannot open the display\n");
            std::exit(2);
        }
        m_root = DefaultRootWindow(m_display);
        m_width = DisplayWidth(m_display, DefaultScreen(m_display));
        m_height = DisplayHeight(m_display, DefaultScreen(m_display));
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        m_backdrop = XCreateWindow(m_display, m_root, 0, 0, m_width, m_height, 0, CopyFromParent, InputOutput,
                                   CopyFromParent, CWOverrideRedirect, &attributes);
        m_gc = XCreateGC(m_display, m_backdrop, 0, nullptr);
        XMapRaised(m_display, m_backdrop);
        XSelectInput(m_display, m_root, SubstructureNotifyMask);
        fill(kColourA);
        waitForColour(kColourA, Clock::now());
    }
    ~TestScreen() { XCloseDisplay(m_display); }

    int width() const { return m_width; }
    int height() const { return m_height; }

    void fill(unsigned long colour) {
        XSetForeground(m_display, m_gc, colour);
        XFillRectangle(m_display, m_backdrop, m_gc, 0, 0, m_width, m_height);
        XSync(m_display, False);
    }

    unsigned long centrePixel() {
        XImage* image = XGetImage(m_display, m_root, m_width / 2, m_height / 2, 1, 1, AllPlanes, ZPixmap);
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    bool waitForColour(unsigned long colour, Clock::time_point t0) {
        while (centrePixel() != colour) {
            if (secondsSince(t0) > kTimeoutSeconds)
                return false;
            usleep(200);
        }
        return true;
    }

    // Waits for a new top-level window as large as the screen.
    bool waitForScreenSizedWindow(Clock::time_point t0) {
        const int fd = ConnectionNumber(m_display);
        while (secondsSince(t0) < kTimeoutSeconds) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == CreateNotify && event.xcreatewindow.window != m_backdrop &&
                    event.xcreatewindow.width == m_width && event.xcreatewindow.height == m_height)
                    return true;
            }
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            timeval tv{0, 10000};
            select(fd + 1, &fds, nullptr, nullptr, &tv);
        }
        return false;
    }

    void drainEvents() {
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
    }

private:
    Display* m_display = nullptr;
    Window m_root = 0;
    Window m_backdrop = 0;
    GC m_gc{};
    int m_width = 0;
    int m_height = 0;
};

double timeShotvara(TestScreen& screen, const std::string& program) {
    screen.fill(kColourA);
    screen.drainEvents();
    const auto t0 = Clock::now();
    const pid_t pid = spawn({program});
    double seconds = -1;
    if (screen.waitForScreenSizedWindow(t0)) {
        screen.fill(kColourB);
        if (screen.waitForColour(kColourA, t0))
            seconds = secondsSince(t0);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    screen.fill(kColourA);
    return seconds;
}

double timeCommand(const std::vector<std::string>& argv) {
    const auto t0 = Clock::now();
    const pid_t pid = spawn(argv);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return secondsSince(t0);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SHOTVARA [RUNS]\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    TestScreen screen;
    std::vector<double> shot, import, xwd;
    const std::string out = "/tmp/shotvara_bench_" + std::to_string(getpid());
    for (int i = 0; i < runs; ++i) {
        // Interleaved, so a busy moment of the machine weighs on all three alike.
        const double s = timeShotvara(screen, program);
        const double m = timeCommand({"import", "-window", "root", out + ".png"});
        const double x =
            timeCommand({"sh", "-c", "xwd -root -silent | /usr/bin/convert xwd:- png:" + out + "-xwd.png"});
        if (s < 0 || m < 0 || x < 0) {
            std::fprintf(stderr, "run %d failed (shotvara %.3f, import %.3f, xwd %.3f)\n", i, s, m, x);
            return 1;
        }
        shot.push_back(s);
        import.push_back(m);
        xwd.push_back(x);
    }
    std::remove((out + ".png").c_str());
    std::remove((out + "-xwd.png").c_str());
    const double s = median(shot), m = median(import), x = median(xwd);
    std::printf("screen %dx%d, %d runs, medians:\n", screen.width(), screen.height(), runs);
    std::printf("  shotvara start -> frozen screen shown  %7.1f ms\n", s * 1000);
    std::printf("  import -window root x.png              %7.1f ms   ratio shotvara/import %.2f\n", m * 1000, s / m);
    std::printf("  xwd -root | convert xwd:- x.png        %7.1f ms   ratio shotvara/xwd    %.2f\n", x * 1000, s / x);
    return 0;
}

// The clipboard keeper: started detached from the tool, the picture handed over in an anonymous memory
// file (no temporary file to leave behind), its readiness reported on a pipe.
#include "shotvara/platform/clipboard_keeper.h"

#include "shotvara/platform/wayland_clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h> // after Qt: its macros (None, Bool) clash with Qt's names

namespace shotvara {

namespace {

constexpr char kReady = '1';
// A Qt program on a busy machine can take a few seconds to connect to the display.
constexpr int kReadyWaitMs = 15000;
// Larger than any screen's PNG; a keeper started by hand on an endless stream stops here.
constexpr std::size_t kLargestPicture = std::size_t{1} << 30;

constexpr const char* kNotStarted = "无法启动保存剪贴板的后台程序：系统资源不足";

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

// A close-on-exec copy numbered 3 or above: the child can then move it onto 0, 1 or 2 without
// overwriting another, whichever standard descriptors the tool itself was started with.
int highCopy(int fd) {
    if (fd < 0)
        return -1;
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return copy;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool readAll(int fd, std::string& out) {
    char buffer[64 << 10];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (out.size() + static_cast<std::size_t>(n) > kLargestPicture)
            return false;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

// Runs `program --hold-clipboard [wayland]` in its own session with these standard descriptors. The
// process in between ends at once, so the keeper is nobody's child (no zombie, no tie to the terminal).
bool startDetached(const std::string& program, bool wayland, int in, int out, int err) {
    const char* const argv[] = {program.c_str(), kHoldClipboardOption.data(), wayland ? kWaylandKeeper.data() : nullptr,
                                nullptr};
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // Only async-signal-safe calls from here on: the tool has threads.
        ::setsid();
        const pid_t keeper = ::fork();
        if (keeper != 0)
            ::_exit(keeper < 0 ? 1 : 0);
        if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(127);
        ::close_range(3, ~0U, 0);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        // Holds no folder busy (a USB stick the tool was started from can be unmounted).
        [[maybe_unused]] const int ignored = ::chdir("/");
        ::execv(argv[0], const_cast<char* const*>(argv));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

aquine::Result<> startKeeper(const std::string& program, bool wayland, std::string_view png) {
    const Descriptor picture(highCopy(::memfd_create("shotvara-clipboard", MFD_CLOEXEC)));
    if (!picture.valid() || !writeAll(picture.get(), png) || ::lseek(picture.get(), 0, SEEK_SET) != 0)
        return aquine::fail(kNotStarted);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return aquine::fail(kNotStarted);
    const Descriptor readyRead(highCopy(ends[0]));
    Descriptor readyWrite(highCopy(ends[1]));
    const Descriptor nowhere(highCopy(::open("/dev/null", O_RDWR | O_CLOEXEC)));
    if (!readyRead.valid() || !readyWrite.valid() || !nowhere.valid())
        return aquine::fail(kNotStarted);
    if (!startDetached(program, wayland, picture.get(), readyWrite.get(), nowhere.get()))
        return aquine::fail(kNotStarted);
    // Only the keeper holds the writing end now: its end (or its byte) is all we wait for.
    readyWrite.reset();

    pollfd wait{readyRead.get(), POLLIN, 0};
    int polled;
    do
        polled = ::poll(&wait, 1, kReadyWaitMs);
    while (polled < 0 && errno == EINTR);
    char answer = 0;
    if (polled <= 0 || ::read(readyRead.get(), &answer, 1) != 1 || answer != kReady)
        return aquine::fail("保存剪贴板的后台程序没有接管剪贴板");
    return {};
}

// Whether a clipboard manager runs: it owns the CLIPBOARD_MANAGER selection.
bool clipboardManagerRunning() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    return XGetSelectionOwner(display, XInternAtom(display, "CLIPBOARD_MANAGER", False)) != None;
}

} // namespace

aquine::Result<> keepClipboardAfterExit(const QString& program) {
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (!wayland && QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard())
        return {};
    // On X11 a manager gets the picture from Qt itself when the application object goes. A Wayland
    // desktop where no client may own the clipboard without a window keeps it by itself.
    if (wayland ? !waylandClipboardKeepable() : clipboardManagerRunning())
        return {};
    const QImage picture = clipboard->image();
    if (picture.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return aquine::fail("无法保存剪贴板中的图片：内存不足");
    return startKeeper(QFile::encodeName(program).toStdString(), wayland,
                       std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
}

int runClipboardKeeper(int argc, char* argv[]) {
    // Only the tool starts this mode, with the picture on a memory file; a terminal gives no picture.
    if (::isatty(0))
        return 2;
    std::string png;
    const bool read = readAll(0, png);
    // The memory file goes at once; standard error already leads nowhere.
    const int nowhere = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nowhere >= 0) {
        ::dup2(nowhere, 0);
        ::close(nowhere);
    }
    if (!read)
        return 2;
    if (argc == 3 && argv[2] == kWaylandKeeper)
        return holdWaylandClipboard(png, 1, kHoldClipboardHours);

    QGuiApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return 2;
    QImage picture;
    if (!picture.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG"))
        return 2;
    png = std::string();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setImage(picture, QClipboard::Clipboard);
    if (!clipboard->ownsClipboard())
        return 3;
    if (!writeAll(1, std::string_view(&kReady, 1)))
        return 3;
    ::dup2(0, 1);

    // Another program's copy ends our turn; so does the display going away (Qt then ends the process).
    QObject::connect(clipboard, &QClipboard::changed, &app, [clipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            QCoreApplication::quit();
    });
    QTimer::singleShot(std::chrono::hours(kHoldClipboardHours), Qt::VeryCoarseTimer, &app, &QCoreApplication::quit);
    return app.exec();
}

} // namespace shotvara

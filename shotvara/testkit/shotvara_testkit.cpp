// Helper of the screenshot tool's system tests:
//   pattern N                  cover the screen with known picture N (1 or 2) until killed
//   shows-pattern SHOT N [X Y W H]
//                              exit 0 when the screen grab SHOT shows picture N (in that rectangle)
//   locate SHOT FILE           print "X Y" where the picture FILE appears in the screen grab SHOT
//   close-window ID            ask a window to close, as a window manager's close box does
//   compare FILE SHOT X Y W H MEAN
//                              decode FILE (any format Qt reads) and compare it with the rectangle of the
//                              screen grab SHOT; passes when the sizes match and the mean channel
//                              difference is at most MEAN (0: every pixel equal)
//   clipboard-manager          run a minimal clipboard manager until killed (clipboard_manager.cpp)
#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <cstdio>

#include <X11/Xlib.h>

namespace {

// Left half: every pixel a different colour, so any shift or mirror shows. Right half: flat blocks of a
// few colours, which a GIF must keep exactly. Picture 2 is picture 1 inverted.
QRgb patternPixel(int n, int x, int y) {
    static const QRgb flat[] = {qRgb(220, 30, 30),   qRgb(30, 160, 60), qRgb(30, 60, 220),
                                qRgb(255, 255, 255), qRgb(0, 0, 0),     qRgb(250, 200, 30)};
    QRgb c = x < 512 ? qRgb(x & 255, y & 255, ((x >> 8) * 100 + (y >> 8) * 50 + 20) & 255)
                     : flat[(x / 64 + 2 * (y / 48)) % 6];
    if (n == 2)
        c = qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c));
    return c;
}

QImage pattern(int n, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = patternPixel(n, x, y);
    }
    return image;
}

class PatternWindow : public QWidget {
public:
    explicit PatternWindow(QImage image) : QWidget(nullptr, Qt::FramelessWindowHint), m_image(std::move(image)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(QRectF(rect()), m_image); }

private:
    QImage m_image;
};

QImage readImage(const char* path) {
    QImageReader reader(QString::fromLocal8Bit(path));
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull())
        std::fprintf(stderr, "cannot read %s: %s\n", path, qPrintable(reader.errorString()));
    return image.convertToFormat(QImage::Format_RGB32);
}

int showPattern(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int n = std::atoi(argv[2]);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize physical = screen->geometry().size() * screen->devicePixelRatio();
    QImage image = pattern(n, physical);
    image.setDevicePixelRatio(screen->devicePixelRatio());
    PatternWindow window(image);
    window.setWindowTitle(QStringLiteral("shotvara-pattern-%1").arg(n));
    window.setGeometry(screen->geometry());
    window.show();
    return app.exec();
}

int showsPattern(int argc, char* argv[]) {
    const QImage shot = readImage(argv[2]);
    const int n = std::atoi(argv[3]);
    if (shot.isNull())
        return 1;
    QRect area = shot.rect();
    if (argc == 8)
        area = QRect(std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7]));
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (shot.pixel(x, y) != patternPixel(n, x, y))
                return 1;
    return 0;
}

int locate(char* argv[]) {
    const QImage shot = readImage(argv[2]);
    const QImage part = readImage(argv[3]);
    if (shot.isNull() || part.isNull())
        return 1;
    const QRgb first = part.pixel(0, 0);
    for (int y = 0; y + part.height() <= shot.height(); ++y)
        for (int x = 0; x + part.width() <= shot.width(); ++x) {
            if (shot.pixel(x, y) != first)
                continue;
            bool same = true;
            for (int v = 0; v < part.height() && same; ++v)
                for (int u = 0; u < part.width() && same; ++u)
                    same = shot.pixel(x + u, y + v) == part.pixel(u, v);
            if (same) {
                std::printf("%d %d\n", x, y);
                return 0;
            }
        }
    std::fprintf(stderr, "picture not found on the screen\n");
    return 1;
}

int closeWindow(char* argv[]) {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(argv[2], nullptr, 0);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return 0;
}

int compare(char* argv[]) {
    const QImage file = readImage(argv[2]);
    const QImage shot = readImage(argv[3]);
    const QRect rect(std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7]));
    const double allowed = std::atof(argv[8]);
    if (file.isNull() || shot.isNull())
        return 1;
    if (file.size() != rect.size()) {
        std::fprintf(stderr, "picture is %dx%d, the selection %dx%d\n", file.width(), file.height(), rect.width(),
                     rect.height());
        return 1;
    }
    const QImage expected = shot.copy(rect);
    double total = 0;
    int different = 0;
    for (int y = 0; y < rect.height(); ++y)
        for (int x = 0; x < rect.width(); ++x) {
            const QRgb p = file.pixel(x, y), q = expected.pixel(x, y);
            different += p != q;
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    const double mean = total / (3.0 * rect.width() * rect.height());
    std::printf("%dx%d, %d pixels differ, mean channel difference %.3f\n", rect.width(), rect.height(), different,
                mean);
    return (allowed == 0 ? different == 0 : mean <= allowed) ? 0 : 1;
}

} // namespace

int runClipboardManager();

int main(int argc, char* argv[]) {
    const QString command = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    if (command == QLatin1String("pattern") && argc == 3)
        return showPattern(argc, argv);
    if (command == QLatin1String("shows-pattern") && (argc == 4 || argc == 8))
        return showsPattern(argc, argv);
    if (command == QLatin1String("locate") && argc == 4)
        return locate(argv);
    if (command == QLatin1String("close-window") && argc == 3)
        return closeWindow(argv);
    if (command == QLatin1String("compare") && argc == 9)
        return compare(argv);
    if (command == QLatin1String("clipboard-manager") && argc == 2)
        return runClipboardManager();
    std::fprintf(stderr, "usage: shotvara_testkit pattern N | shows-pattern SHOT N [X Y W H] | compare FILE "
                         "SHOT X Y W H MEAN |\n"
                         "       locate SHOT FILE | close-window ID | clipboard-manager\n");
    return 2;
}

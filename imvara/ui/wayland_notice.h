// What the stand-alone bar says once on a Wayland session: it reaches only X11 programs there, and how
// to add the IBus engine instead. The directions live here only; the README repeats them.
#pragma once

#include <QString>
#include <QWidget>

namespace imvara {

// A Wayland session: WAYLAND_DISPLAY is set, or XDG_SESSION_TYPE says wayland.
bool onWaylandSession(const char* waylandDisplay, const char* sessionType);
bool onWaylandSession();

// The notice's title and text (plain text, line breaks as \n).
QString waylandNoticeTitle();
QString waylandNoticeText();

// A small window the user closes when read. It never takes the focus and blocks nothing: the bar keeps
// serving X11 windows while it is open.
class WaylandNotice : public QWidget {
    Q_OBJECT

public:
    explicit WaylandNotice(QWidget* near = nullptr);
};

} // namespace imvara

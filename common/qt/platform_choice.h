// Which of Qt's window-system platforms a program of the suite runs on: on a Wayland session the
// native one, so that a program with no X11 window to serve never opens an X display.
#pragma once

#include <QByteArray>

namespace aquine {

// Lives across the making of the QApplication. Qt reads its platform from QT_QPA_PLATFORM as the
// application is made and otherwise goes by XDG_SESSION_TYPE, which a compositor started from a
// console leaves at "tty": Qt would then take X11 through XWayland. With a Wayland display at hand
// and no platform chosen by the user, Wayland comes first (X11 only if Wayland fails); afterwards
// the environment is given back as it was, for the programs started from here.
class PlatformChoice {
public:
    PlatformChoice();
    ~PlatformChoice();
    PlatformChoice(const PlatformChoice&) = delete;
    PlatformChoice& operator=(const PlatformChoice&) = delete;

    // What this process asked Qt for; empty when it left the choice to Qt and the user.
    QByteArray chosen() const { return m_chosen; }
    // Gives the environment back now, once the QApplication exists.
    void restoreEnvironment();

private:
    QByteArray m_chosen;
    bool m_wasSet = false;
    bool m_restored = false;
};

} // namespace aquine

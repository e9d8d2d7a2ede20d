// Empty captions on X11: the window's name properties are written empty through Qt's own connection,
// after Qt has written the program's name there, and again whenever Qt makes the window anew.
#include "aquinepad/window/window_caption.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace aquinepad {

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(qstrlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : XCB_ATOM_NONE;
}

void clearNames(QWidget& window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || !window.windowHandle() || !window.testAttribute(Qt::WA_WState_Created))
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t netName = atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
    if (netName != XCB_ATOM_NONE && utf8 != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netName, utf8, 8, 0, "");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
    xcb_flush(connection);
}

void showNothing(QWidget& window) {
    if (qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        clearNames(window);
    else if (QWindow* handle = window.windowHandle())
        // Elsewhere (Wayland) only through Qt: a zero-width space is a caption that shows nothing.
        handle->setTitle(QString(QChar(0x200B)));
}

// Watches a window whose caption was set empty: Qt names a window it creates after the program.
class EmptyCaptionKeeper : public QObject {
public:
    explicit EmptyCaptionKeeper(QWidget& window) : QObject(&window), m_window(window) {
        setObjectName(QStringLiteral("aquine_empty_caption"));
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && m_window.windowTitle().isEmpty() &&
            (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange))
            showNothing(m_window);
        return false;
    }

private:
    QWidget& m_window;
};

} // namespace

void setCaption(QWidget& window, const QString& caption) {
    window.setWindowTitle(caption);
    if (!caption.isEmpty())
        return;
    if (!window.findChild<QObject*>(QStringLiteral("aquine_empty_caption"), Qt::FindDirectChildrenOnly))
        new EmptyCaptionKeeper(window);
    showNothing(window);
}

} // namespace aquinepad

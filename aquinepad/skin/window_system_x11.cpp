// The X11 window system of the translucent frame, spoken through Qt's own XCB connection, so that an
// X error is reported by Qt and never ends the program as Xlib's default handler would.
#include "aquinepad/skin/window_system.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <xcb/xcb.h>

namespace aquinepad {

namespace {

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// The screen number in $DISPLAY (":0.1" is screen 1); compositing managers announce themselves per screen.
int screenNumber() {
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon < 0 ? 0 : colon);
    return dot < 0 ? 0 : display.mid(dot + 1).toInt();
}

class X11WindowSystem final : public WindowSystem {
public:
    explicit X11WindowSystem(xcb_connection_t* connection) : m_connection(connection) {}

    bool compositing() override {
        // A compositing manager owns the selection _NET_WM_CM_S<screen> for as long as it runs.
        const std::string name = "_NET_WM_CM_S" + std::to_string(screenNumber());
        ReplyPtr<xcb_intern_atom_reply_t> atom(
            xcb_intern_atom_reply(
                m_connection, xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
                nullptr),
            &std::free);
        if (!atom)
            return false;
        ReplyPtr<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, atom->atom), nullptr),
            &std::free);
        return owner && owner->owner != XCB_NONE;
    }

    void stackBelow(QWidget& shadow, QWidget& window) override {
        // The shadow bypasses the window manager, so it is a sibling of the frame the manager put
        // the window in, not of the window itself.
        const xcb_window_t values[] = {frameOf(static_cast<xcb_window_t>(window.winId())), XCB_STACK_MODE_BELOW};
        xcb_configure_window(m_connection, static_cast<xcb_window_t>(shadow.winId()),
                             XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
        xcb_flush(m_connection);
    }

private:
    // The window's ancestor that is a child of the root: its frame, or itself where nothing framed it.
    xcb_window_t frameOf(xcb_window_t window) {
        for (int depth = 0; depth < 16; ++depth) {
            ReplyPtr<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr), &std::free);
            if (!tree || tree->parent == tree->root || tree->parent == XCB_NONE)
                break;
            window = tree->parent;
        }
        return window;
    }

    xcb_connection_t* m_connection;
};

} // namespace

std::unique_ptr<WindowSystem> x11WindowSystem() {
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        if (xcb_connection_t* connection = x11->connection())
            return std::make_unique<X11WindowSystem>(connection);
    return nullptr;
}

} // namespace aquinepad

// On a real X server: the names the title bar and the task list are given for the main window, read
// back from the server. 标题 confirmed empty names nothing (Qt would put the program's name there), a
// caption typed shows as typed, and 新建 brings the usual caption back.
#include "aquinepad/tests/notepad_fixture.h"

#include <QGuiApplication>
#include <QTest>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// The window's name property as the server holds it.
QString nameProperty(QWidget& window, const char* name) {
    xcb_connection_t* connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    ReplyPtr<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(qstrlen(name)), name), nullptr),
        &std::free);
    if (!atom)
        return QStringLiteral("<no atom>");
    ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, static_cast<xcb_window_t>(window.winId()), atom->atom,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                               nullptr),
        &std::free);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return QStringLiteral("<absent>");
    return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())),
                             xcb_get_property_value_length(reply.get()));
}

QString shownName(QWidget& window) {
    QApplication::processEvents();
    return nameProperty(window, "_NET_WM_NAME");
}

void setTitle(Notepad& pad, const QString& text) {
    pad.prompter.answerInput(true, text);
    pad.window->action(Command::SetTitle)->trigger();
}

} // namespace

class WindowCaptionTest : public QObject {
    Q_OBJECT

private slots:
    void anEmptyCaptionShowsNothingAndOthersShowAsTyped() {
        QVERIFY2(qGuiApp->nativeInterface<QNativeInterface::QX11Application>(), "runs on an X server");
        Notepad pad;
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));
        QCOMPARE(shownName(*pad.window), QStringLiteral("无标题 - Aquine记事本"));

        setTitle(pad, QString());
        QCOMPARE(pad.caption(), QString());
        QCOMPARE(shownName(*pad.window), QString());
        QCOMPARE(nameProperty(*pad.window, "WM_NAME"), QString());

        setTitle(pad, QStringLiteral("录制教程：第一课"));
        QCOMPARE(shownName(*pad.window), QStringLiteral("录制教程：第一课"));

        // Empty again, and still empty once the window has been hidden and shown again.
        setTitle(pad, QString());
        pad.window->hide();
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));
        QCOMPARE(shownName(*pad.window), QString());

        pad.window->action(Command::New)->trigger();
        QCOMPARE(shownName(*pad.window), QStringLiteral("无标题 - Aquine记事本"));
        QVERIFY(pad.failures.isEmpty());
    }
};

QTEST_MAIN(WindowCaptionTest)
#include "window_caption_test.moc"

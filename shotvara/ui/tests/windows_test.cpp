// The two windows driven offscreen: result layout, clicks that select nothing, menus, the save flow's
// prompts and failures, copy. The whole program on a real X server is in tests/system/.
#include "common/qt/scripted_prompter.h"
#include "shotvara/core/save_target.h"
#include "shotvara/ui/shot_controller.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace shotvara;

namespace {

ScreenPicture testPicture() {
    QImage image(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, (x >> 8) * 40 + (y >> 8) * 80));
    return {image, QRect(0, 0, 640, 480)};
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void drag(QWidget* w, QPoint from, QPoint to) {
    mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(w, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    mouse(w, QEvent::MouseMove, to, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

QLabel* canvasOf(ResultWindow* w) { return w->findChild<QLabel*>(QStringLiteral("画板1")); }

// Saves a picture to PATH, which cannot be written, and returns the error box's text after checking that
// it is the error box, names the file and speaks no English: every word but the path is Chinese.
QString saveFailure(const QString& path) {
    aquine::ScriptedPrompter prompter;
    ResultWindow window(prompter);
    window.setPicture(testPicture().image.copy(0, 0, 20, 20));
    prompter.answerSaveFile(aquine::Prompter::FileAnswer{path, 0}).answerMessage(aquine::Prompter::Button::Ok);
    window.saveAs();
    if (prompter.pending() != 0 || prompter.calls().isEmpty())
        return QStringLiteral("(no error box)");
    const auto& call = prompter.calls().last();
    const bool chinese = !QString(call.text).remove(path).contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
    if (call.title != QStringLiteral("错误") || call.icon != aquine::Prompter::Icon::Error ||
        !call.text.startsWith(QStringLiteral("保存文件失败！")) || call.text.count(path) != 1 || !chinese)
        return QStringLiteral("(not the Chinese error box) ") + call.text;
    return call.text;
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void dragShowsTheSelectionInTheResultWindow() {
        aquine::ScriptedPrompter prompter;
        ShotController shot(QRect(0, 0, 640, 480), prompter);
        const ScreenPicture picture = testPicture();
        shot.start(picture);
        CaptureWindow& capture = shot.captureWindow();
        QVERIFY(capture.isVisible());
        QCOMPARE(capture.cursor().shape(), Qt::CrossCursor);
        ResultWindow* result = shot.resultWindow();
        QVERIFY(result && !result->isVisible());

        drag(&capture, {100, 50}, {400, 250});
        QVERIFY(!capture.isVisible());
        QVERIFY(result->isVisible());
        QCOMPARE(result->picture(), picture.image.copy(100, 50, 300, 200));
        QCOMPARE(result->size(), QSize(324, 305));
        QCOMPARE(canvasOf(result)->geometry(), QRect(4, 40, 300, 200));

        // The user resizes the window: the canvas stays as it is.
        result->resize(700, 600);
        QCOMPARE(canvasOf(result)->geometry(), QRect(4, 40, 300, 200));
    }

    void closingTheCaptureWindowLeavesLikeEscape() {
        aquine::ScriptedPrompter prompter;
        ShotController shot(QRect(0, 0, 640, 480), prompter);
        int exitCode = -1;
        QObject::connect(&shot, &ShotController::finished, [&](int code) { exitCode = code; });
        shot.start(testPicture());
        // Nothing selected yet: the program ends instead of going on with no window.
        QVERIFY(!shot.captureWindow().close());
        QCOMPARE(exitCode, 0);

        // With a result: back to the result window.
        exitCode = -1;
        ShotController again(QRect(0, 0, 640, 480), prompter);
        QObject::connect(&again, &ShotController::finished, [&](int code) { exitCode = code; });
        again.start(testPicture());
        drag(&again.captureWindow(), {10, 10}, {60, 60});
        for (QAction* action : again.resultWindow()->findChildren<QAction*>())
            if (action->text() == QStringLiteral("新建截图(&N)")) {
                action->trigger();
                break;
            }
        QVERIFY(again.captureWindow().isVisible());
        again.captureWindow().close();
        QCOMPARE(exitCode, -1);
        QVERIFY(again.resultWindow()->isVisible());
    }

    void clicksAndMovesWithoutAPressSelectNothing() {
        aquine::ScriptedPrompter prompter;
        ShotController shot(QRect(0, 0, 640, 480), prompter);
        shot.start(testPicture());
        CaptureWindow& capture = shot.captureWindow();
        mouse(&capture, QEvent::MouseMove, {300, 300}, Qt::NoButton);
        mouse(&capture, QEvent::MouseButtonPress, {50, 60}, Qt::LeftButton);
        mouse(&capture, QEvent::MouseButtonRelease, {50, 60}, Qt::NoButton);
        drag(&capture, {50, 60}, {250, 60});
        QVERIFY(capture.isVisible());
        QVERIFY(!shot.resultWindow()->isVisible());
        QVERIFY(!shot.resultWindow()->hasPicture());
    }

    void menuAndToolbarCarryTheirTexts() {
        aquine::ScriptedPrompter prompter;
        ResultWindow window(prompter);
        QCOMPARE(window.windowTitle(), QStringLiteral("截图"));
        const auto menus = window.menuBar()->actions();
        QCOMPARE(menus.size(), 1);
        QCOMPARE(menus[0]->text(), QStringLiteral("文件(&F)"));
        QStringList items;
        for (QAction* a : menus[0]->menu()->actions())
            items << (a->isSeparator()
                          ? QStringLiteral("-")
                          : a->text() + QLatin1Char('|') + a->shortcut().toString(QKeySequence::PortableText));
        QCOMPARE(items, (QStringList{"新建截图(&N)|Ctrl+N", "-", "另存为(&A)...|Ctrl+S", "-", "退出(&X)|"}));
        QStringList buttons;
        for (auto* b : window.findChildren<QToolButton*>())
            if (!b->text().isEmpty() && b->iconSize() == QSize(24, 24) && !b->icon().isNull())
                buttons << b->text();
        QCOMPARE(buttons, (QStringList{"新建(&N)", "另存为(&S)"}));
    }

    void saveWritesTheChosenFormatWithItsExtension() {
        QTemporaryDir dir;
        aquine::ScriptedPrompter prompter;
        ResultWindow window(prompter);
        QImage picture = testPicture().image.copy(0, 0, 40, 30);
        window.setPicture(picture);

        prompter.answerSaveFile(aquine::Prompter::FileAnswer{dir.filePath("截图"), 1});
        window.saveAs();
        const auto& request = prompter.calls().last().file;
        QCOMPARE(prompter.calls().last().title, QStringLiteral("另存为"));
        QCOMPARE(request.filter, QString::fromUtf8(kSaveFilter.data(), kSaveFilter.size()));
        QCOMPARE(request.initialFilter, 0);
        QFile gif(dir.filePath("截图.gif"));
        QVERIFY(gif.open(QIODevice::ReadOnly));
        QVERIFY(gif.readAll().startsWith("GIF8"));

        // The next save starts in that folder with that row; a typed extension wins over the row.
        prompter.answerSaveFile(aquine::Prompter::FileAnswer{dir.filePath("b.png"), 1});
        window.saveAs();
        QCOMPARE(prompter.calls().last().file.initialFilter, 1);
        QVERIFY(prompter.calls().last().file.initialName.startsWith(dir.path()));
        QImage png(dir.filePath("b.png"), "PNG");
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32), picture);

        // Cancelled: nothing is written and nothing else is asked.
        prompter.answerSaveFile(std::nullopt);
        window.saveAs();
        QCOMPARE(prompter.pending(), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    }

    void completedNameNeverReplacesAFileUnasked() {
        QTemporaryDir dir;
        aquine::ScriptedPrompter prompter;
        ResultWindow window(prompter);
        window.setPicture(testPicture().image.copy(0, 0, 20, 20));
        QFile old(dir.filePath("shot.jpg"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("keep me");
        old.close();

        prompter.answerSaveFile(aquine::Prompter::FileAnswer{dir.filePath("shot"), 2})
            .answerMessage(aquine::Prompter::Button::No);
        window.saveAs();
        QCOMPARE(prompter.calls().last().title, QStringLiteral("确认另存为"));
        QVERIFY(prompter.calls().last().text.startsWith(QStringLiteral("shot.jpg 已存在。")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("keep me"));
        old.close();

        prompter.answerSaveFile(aquine::Prompter::FileAnswer{dir.filePath("shot"), 2})
            .answerMessage(aquine::Prompter::Button::Yes);
        window.saveAs();
        QVERIFY(old.open(QIODevice::ReadOnly));
        QVERIFY(old.readAll().startsWith("\xFF\xD8\xFF"));
    }

    void failedWriteIsReported() {
        QTemporaryDir dir;
        const QString path = dir.filePath("no/such/folder/shot.png");
        const QString text = saveFailure(path);
        QVERIFY2(text.contains(QStringLiteral("文件或文件夹不存在")), qPrintable(text));
        QVERIFY(!QFileInfo::exists(dir.filePath("no")));
    }

    // Run through readonly_folder.sh, which makes the folder read-only; skipped otherwise.
    void saveToAReadOnlyFolderSaysWhy() {
        const QString folder = qEnvironmentVariable("SHOTVARA_READONLY_DIR");
        if (folder.isEmpty())
            QSKIP("needs a read-only folder from readonly_folder.sh");
        const QString text = saveFailure(folder + QStringLiteral("/shot.png"));
        // A read-only disk, or (where no read-only mount could be made) a folder we may not write.
        QVERIFY2(text.contains(QStringLiteral("磁盘是只读的")) || text.contains(QStringLiteral("没有权限")),
                 qPrintable(text));
        QVERIFY(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
    }

    void ctrlCCopiesThePicture() {
        aquine::ScriptedPrompter prompter;
        ResultWindow window(prompter);
        const QImage picture = testPicture().image.copy(5, 5, 30, 20);
        window.setPicture(picture);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QApplication::clipboard()->clear();
        QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), picture);
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"

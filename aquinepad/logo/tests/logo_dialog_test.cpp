// The Logo window as a user drives it: controls at their places, the position caption, arguments from
// the edit boxes, a square drawn with the buttons and found in the panel's pixels, the command line,
// the background picture, the tutorial window and the menu item that opens it all.
#include "aquinepad/logo/logo_tutorial_dialog.h"
#include "aquinepad/logo/tests/logo_fixture.h"

#include <QApplication>
#include <QBuffer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

QByteArray pngOf(QColor colour) {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class LogoDialogTest : public QObject {
    Q_OBJECT

private slots:
    void controlsSitAtTheirPlacesWithTheirCaptions() {
        Logo logo;
        QCOMPARE(logo.dialog->size(), QSize(800, 547));
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[0,0]"));
        const struct {
            const char* name;
            QRect place;
            QString caption;
        } expected[] = {
            {"分组框3", {0, 0, 792, 40}, {}},
            {"按钮4", {11, 11, 189, 24}, QStringLiteral("查 看 简 单 教 程")},
            {"按钮16", {207, 11, 192, 24}, QStringLiteral("设 置 背 景 图 片")},
            {"分组框1", {0, 40, 792, 352}, QStringLiteral("绘图区")},
            {"Logo对象1", {8, 16, 776, 328}, {}},
            {"分组框2", {0, 392, 792, 128}, QStringLiteral("操作台")},
            {"按钮1", {8, 16, 80, 24}, QStringLiteral("前进")},
            {"编辑框1", {96, 16, 40, 24}, {}},
            {"按钮2", {8, 56, 80, 24}, QStringLiteral("后退")},
            {"编辑框2", {96, 56, 40, 24}, {}},
            {"按钮5", {168, 16, 80, 24}, QStringLiteral("向右")},
            {"编辑框3", {256, 16, 40, 24}, {}},
            {"按钮3", {168, 56, 80, 24}, QStringLiteral("向左")},
            {"编辑框4", {256, 56, 40, 24}, {}},
            {"按钮6", {328, 16, 48, 24}, QStringLiteral("落笔")},
            {"按钮7", {328, 56, 48, 24}, QStringLiteral("抬笔")},
            {"按钮8", {392, 16, 48, 24}, QStringLiteral("清屏")},
            {"按钮9", {392, 56, 48, 24}, QStringLiteral("回家")},
            {"按钮10", {456, 16, 48, 24}, QStringLiteral("橡皮")},
            {"按钮11", {456, 56, 48, 24}, QStringLiteral("取消橡皮")},
            {"按钮15", {520, 16, 48, 24}, QStringLiteral("写文字")},
            {"编辑框5", {568, 16, 216, 64}, {}},
            {"按钮12", {320, 96, 48, 24}, QStringLiteral("画圆")},
            {"编辑框6", {368, 96, 64, 24}, {}},
            {"按钮13", {440, 96, 48, 24}, QStringLiteral("画椭圆")},
            {"编辑框7", {488, 96, 32, 24}, QStringLiteral("横半径")},
            {"编辑框10", {520, 96, 32, 24}, QStringLiteral("纵半径")},
            {"按钮14", {576, 96, 48, 24}, QStringLiteral("画矩形")},
            {"编辑框8", {640, 96, 64, 24}, {}},
            {"编辑框9", {720, 96, 64, 24}, {}},
        };
        for (const auto& c : expected) {
            const QWidget* w = logo.control(c.name);
            QVERIFY2(w->geometry() == c.place, c.name);
            QString text;
            if (const auto* b = qobject_cast<const QPushButton*>(w))
                text = b->text();
            else if (const auto* e = qobject_cast<const QLineEdit*>(w))
                text = e->text();
            else if (const auto* g = qobject_cast<const QGroupBox*>(w))
                text = g->title();
            QVERIFY2(text == c.caption, c.name);
        }
        for (const char* name : {"标签1", "标签2", "标签3", "标签4", "标签5", "标签6"})
            QVERIFY(logo.control(name));
        QCOMPARE(logo.control<QLabel>("标签5")->text(), QStringLiteral("长"));
        QCOMPARE(logo.control<QLabel>("标签3")->text(), QStringLiteral("°"));
        // The command line and its two buttons take the free row left of "画圆" and cover no control.
        const QRect commandRow = logo.control("编辑框11")->geometry().united(logo.control("按钮18")->geometry());
        QVERIFY(commandRow.right() < 320 && commandRow.top() == 96);
        QCOMPARE(logo.control<QPushButton>("按钮18")->text(), QStringLiteral("停止"));
        const QWidget* console = logo.control("分组框2");
        for (const char* added : {"编辑框11", "按钮17", "按钮18"})
            for (const QWidget* other : console->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                QVERIFY2(other == logo.control(added) || !other->geometry().intersects(logo.control(added)->geometry()),
                         added);
    }

    void aSquareDrawnWithTheButtonsShowsOnItsEdges() {
        Logo logo;
        logo.dialog->show();
        logo.type("编辑框1", QStringLiteral("100"));
        logo.type("编辑框3", QStringLiteral("90"));
        for (int side = 0; side < 4; ++side) {
            logo.click("按钮1");
            logo.click("按钮5");
        }
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[0,0]"));
        const QImage image = logo.dialog->panel().picture();
        QCOMPARE(image.size(), QSize(776, 328));
        // Turtle space (0,0) is pixel (388,164); the square goes up, right, down and back.
        for (int t = 0; t <= 100; t += 5) {
            QVERIFY2(inkNear(image, 388, 164 - t), "left edge");
            QVERIFY2(inkNear(image, 388 + t, 64), "top edge");
            QVERIFY2(inkNear(image, 488, 164 - t), "right edge");
            QVERIFY2(inkNear(image, 388 + t, 164), "bottom edge");
        }
        QVERIFY(!inkNear(image, 438, 114)); // the middle stays blank
        QVERIFY(!inkNear(image, 300, 250));
        QVERIFY(inkCount(image) < 600); // four 1 px lines, not a filled area
        artefact(logo.dialog->grab().toImage(), QStringLiteral("logo_window_square.png"));
        QVERIFY(logo.failures.isEmpty());
    }

    void theCaptionFollowsMovesOnlyAndArgumentsAreNumbersFromText() {
        Logo logo;
        logo.type("编辑框1", QStringLiteral("12.5"));
        logo.click("按钮1");
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[0,12.5]"));
        logo.type("编辑框3", QStringLiteral("90"));
        logo.click("按钮5");
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[0,12.5]")); // a turn leaves the caption
        logo.click("按钮1");
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[12.5,12.5]"));
        // Empty, letters, and a number with text after it.
        logo.dialog->setWindowTitle(QStringLiteral("旧标题"));
        logo.type("编辑框1", QString());
        logo.click("按钮1");
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[12.5,12.5]")); // moved by 0, still refreshed
        logo.type("编辑框2", QStringLiteral("abc"));
        logo.click("按钮2");
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[12.5,12.5]"));
        logo.type("编辑框2", QStringLiteral(" 2.5步"));
        logo.click("按钮2");
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[10,12.5]"));
        for (const char* unchanging :
             {"按钮3", "按钮6", "按钮7", "按钮8", "按钮10", "按钮11", "按钮12", "按钮13", "按钮14", "按钮15"}) {
            logo.dialog->setWindowTitle(QStringLiteral("旧标题"));
            logo.click(unchanging);
            QVERIFY2(logo.caption() == QStringLiteral("旧标题"), unchanging);
        }
        logo.click("按钮9");
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[0,0]"));
        QCOMPARE(logo.dialog->panel().turtle().state().heading, 0.0);
    }

    void shapesTextPenAndEraser() {
        Logo logo;
        auto& panel = logo.dialog->panel();
        // The design texts "横半径" and "纵半径" read as 0: an ellipse of no size, nothing to see.
        logo.click("按钮13");
        QCOMPARE(inkCount(panel.picture()), 0);
        logo.type("编辑框6", QStringLiteral("40"));
        logo.click("按钮12");
        QVERIFY(inkNear(panel.picture(), 388 + 40, 164));
        QVERIFY(inkNear(panel.picture(), 388, 164 - 40));
        logo.type("编辑框7", QStringLiteral("80"));
        logo.type("编辑框10", QStringLiteral("20"));
        logo.click("按钮13");
        QVERIFY(inkNear(panel.picture(), 388 - 80, 164));
        QVERIFY(inkNear(panel.picture(), 388, 164 + 20));
        logo.type("编辑框8", QStringLiteral("60"));
        logo.type("编辑框9", QStringLiteral("30"));
        logo.click("按钮14"); // heading up: length goes up, width to the right
        QVERIFY(inkNear(panel.picture(), 388 + 30, 164 - 60));
        logo.control<QPlainTextEdit>("编辑框5")->setPlainText(QStringLiteral("海龟\n你好"));
        const int before = inkCount(panel.picture());
        logo.click("按钮15");
        QVERIFY(inkCount(panel.picture()) > before + 20);
        artefact(logo.dialog->grab().toImage(), QStringLiteral("logo_window_shapes.png"));

        // Pen up: moves leave no ink; the eraser takes a drawn line away again.
        logo.click("按钮8");
        QCOMPARE(inkCount(panel.picture()), 0);
        logo.type("编辑框1", QStringLiteral("50"));
        logo.type("编辑框2", QStringLiteral("50"));
        logo.click("按钮7");
        logo.click("按钮1");
        logo.click("按钮2");
        QCOMPARE(inkCount(panel.picture()), 0);
        logo.click("按钮6");
        logo.click("按钮1");
        QVERIFY(inkCount(panel.picture()) >= 50);
        logo.click("按钮10");
        logo.click("按钮2");
        QCOMPARE(inkCount(panel.picture()), 0);
        logo.click("按钮11");
        logo.click("按钮1");
        QVERIFY(inkCount(panel.picture()) >= 50);
    }

    void theCommandLineDrawsAFlowerAndReportsMistakes() {
        Logo logo;
        logo.dialog->show();
        auto& panel = logo.dialog->panel();
        logo.command(QStringLiteral("REPEAT 36 [RT 10 REPEAT 4 [FD 50 RT 90]]"));
        QCOMPARE(logo.message(), QString());
        const QImage flower = panel.picture();
        QVERIFY(inkCount(flower) > 1000);
        QVERIFY(inkNear(flower, 388, 164 - 50));  // the first square's side, 10° off upright, and others
        QVERIFY(!inkNear(flower, 388 + 80, 164)); // nothing beyond the squares' reach (50·√2)
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[0,0]"));
        artefact(logo.dialog->grab().toImage(), QStringLiteral("logo_window_flower.png"));

        // A mistake anywhere in the line draws nothing of it and says why.
        logo.command(QStringLiteral("CS FD 100 XYZ"));
        QCOMPARE(logo.message(), QStringLiteral("不认识的命令：XYZ"));
        QCOMPARE(panel.picture(), flower);
        QCOMPARE(logo.control<QLineEdit>("编辑框11")->text(), QStringLiteral("CS FD 100 XYZ"));
        logo.command(QStringLiteral("TO SPIN FD 1 RT 1 SPIN END SPIN"));
        QVERIFY(logo.message().contains(QStringLiteral("已停止")));
        QCOMPARE(panel.picture(), flower);

        // The button runs the line too, and the caption follows the turtle.
        logo.control<QLineEdit>("编辑框11")->setText(QStringLiteral("清屏 抬笔 前进 30 右转 90 前进 12.5"));
        logo.click("按钮17");
        QCOMPARE(logo.message(), QString());
        QCOMPARE(inkCount(panel.picture()), 0);
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[12.5,30]"));
        QVERIFY(logo.dialog->isVisible()); // Enter pressed no button that could close or draw

        // Up and Down walk back and forth through the lines run so far.
        auto* line = logo.control<QLineEdit>("编辑框11");
        line->clear();
        QTest::keyClick(line, Qt::Key_Up);
        QCOMPARE(line->text(), QStringLiteral("清屏 抬笔 前进 30 右转 90 前进 12.5"));
        QTest::keyClick(line, Qt::Key_Up);
        QTest::keyClick(line, Qt::Key_Up);
        QCOMPARE(line->text(), QStringLiteral("CS FD 100 XYZ"));
        QTest::keyClick(line, Qt::Key_Up);
        QTest::keyClick(line, Qt::Key_Up);
        QCOMPARE(line->text(), QStringLiteral("REPEAT 36 [RT 10 REPEAT 4 [FD 50 RT 90]]"));
        QTest::keyClick(line, Qt::Key_Down);
        QCOMPARE(line->text(), QStringLiteral("CS FD 100 XYZ"));
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(line, Qt::Key_Down);
        QCOMPARE(line->text(), QString());
        QVERIFY(logo.failures.isEmpty());
    }

    void aBackgroundPictureShowsAndTheEraserPaintsWithIt() {
        Logo logo;
        const QTemporaryDir dir;
        const QString red = dir.filePath(QStringLiteral("红.png"));
        writeAll(red, pngOf(Qt::red));
        logo.prompter.answerOpenFile(answer(red));
        logo.click("按钮16");
        QCOMPARE(logo.prompter.calls().at(0).file.filter,
                 QStringLiteral("常见图片文件(*.jpg;*.bmp;*.png;*.gif)|*.jpg;*.bmp;*.png;*.gif"));
        auto& panel = logo.dialog->panel();
        QVERIFY(panel.hasBackgroundPicture());
        QCOMPARE(panel.picture().pixelColor(388, 164), QColor(Qt::red)); // scaled to fill the panel's width
        logo.type("编辑框1", QStringLiteral("60"));
        logo.type("编辑框2", QStringLiteral("60"));
        logo.click("按钮1");
        QVERIFY(inkNear(panel.picture(), 388, 134));
        logo.click("按钮10");
        logo.click("按钮2");
        QCOMPARE(inkCount(panel.picture()), 0);
        QCOMPARE(panel.picture().pixelColor(388, 134), QColor(Qt::red));

        // A file that is no picture, or cannot be read, leaves no background and no crash; cancelling
        // keeps the one there is.
        const QString junk = dir.filePath(QStringLiteral("坏.png"));
        writeAll(junk, "not a picture");
        logo.prompter.answerOpenFile(answer(red)).answerOpenFile(std::nullopt);
        logo.click("按钮16");
        logo.click("按钮16");
        QVERIFY(panel.hasBackgroundPicture());
        logo.prompter.answerOpenFile(answer(junk));
        logo.click("按钮16");
        QVERIFY(!panel.hasBackgroundPicture());
        QCOMPARE(logo.message(), QStringLiteral("无法读取图片文件“%1”，没有设置背景图片").arg(junk));
        logo.prompter.answerOpenFile(answer(red)).answerOpenFile(answer(dir.filePath(QStringLiteral("无.png"))));
        logo.click("按钮16");
        logo.click("按钮16");
        QVERIFY(!panel.hasBackgroundPicture());
        QCOMPARE(panel.picture().pixelColor(388, 134), QColor(Qt::white));
        logo.prompter.answerOpenFile(answer(red));
        logo.click("按钮16");
        QCOMPARE(logo.message(), QString());
        QVERIFY(logo.failures.isEmpty());
    }

    void theTutorialFillsItsWindowAndOpensFromItsButton() {
        LogoTutorialDialog tutorial;
        QCOMPARE(tutorial.windowTitle(), QStringLiteral("Logo语言简单教程"));
        QCOMPARE(tutorial.size(), QSize(885, 468));
        auto* box = tutorial.findChild<QPlainTextEdit*>(QStringLiteral("编辑框1"));
        QVERIFY(box);
        const QString text = box->toPlainText();
        const qsizetype gbkSize = static_cast<qsizetype>(aquine::gbkFromQ(text).size());
        QVERIFY2(gbkSize > 8000 && gbkSize < 9000, qPrintable(QString::number(gbkSize)));
        QVERIFY(text.contains(QStringLiteral("\u3000\u3000")) && text.contains(QStringLiteral("--------")));
        for (const char* topic : {"海龟", "REPEAT", "IFELSE", "TO SQUARE :SIZE", "END", "文件管理", "字与表", "关闭"})
            QVERIFY2(text.contains(QString::fromUtf8(topic)), topic);
        tutorial.show();
        QCOMPARE(box->geometry(), tutorial.rect());
        for (const QSize size : {QSize(500, 300), QSize(1000, 700), QSize(300, 900)}) {
            tutorial.resize(size);
            QTRY_COMPARE(box->geometry(), QRect(QPoint(0, 0), size));
        }
        tutorial.resize(885, 468);
        artefact(tutorial.grab().toImage(), QStringLiteral("logo_tutorial.png"));

        Logo logo;
        QString opened;
        QTimer::singleShot(0, [&opened] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened = modal->windowTitle();
                modal->close();
            }
        });
        logo.click("按钮4");
        QCOMPARE(opened, QStringLiteral("Logo语言简单教程"));
    }

    void theMenuItemOpensAFreshWindowEachTime() {
        Notepad pad;
        QStringList captions;
        for (int opening = 0; opening < 2; ++opening) {
            QTimer::singleShot(0, [&captions] {
                auto* modal = qobject_cast<LogoDialog*>(QApplication::activeModalWidget());
                if (!modal)
                    return;
                captions << modal->windowTitle();
                modal->findChild<QLineEdit*>(QStringLiteral("编辑框11"))->setText(QStringLiteral("FD 40"));
                modal->findChild<QPushButton*>(QStringLiteral("按钮17"))->click();
                captions << modal->windowTitle();
                modal->close();
            });
            pad.window->action(Command::LogoMode)->trigger();
        }
        QCOMPARE(captions, (QStringList{QStringLiteral("Logo模式[0,0]"), QStringLiteral("Logo模式[0,40]"),
                                        QStringLiteral("Logo模式[0,0]"), QStringLiteral("Logo模式[0,40]")}));
        QVERIFY(pad.failures.isEmpty());
    }
};

QTEST_MAIN(LogoDialogTest)
#include "logo_dialog_test.moc"

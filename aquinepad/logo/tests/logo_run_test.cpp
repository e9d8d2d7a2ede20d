// The Logo window under lines that cost: a long line leaves the window responsive and stops with Escape
// or 停止, a failing one takes back what it drew, a line over the command line's limit is refused, and
// circles far larger than the panel draw just the arc that shows.
#include "aquinepad/logo/tests/logo_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>

using namespace aquinepad;
using namespace aquinepad::testing;

class LogoRunTest : public QObject {
    Q_OBJECT

private slots:
    // A line far beyond the quick try runs while the window goes on: its events are handled and its
    // strokes show as they come. Escape or 停止 ends it and keeps them, the turtle at their end; a
    // failure takes them back; closing the window stops it.
    void aLongLineLeavesTheWindowResponsiveAndStops() {
        logo::LogoLimits generous;
        generous.maxSteps = 1'000'000'000'000;
        generous.maxTime = std::chrono::hours(1);
        Logo logo(generous);
        logo.dialog->show();
        auto& panel = logo.dialog->panel();
        const auto enabled = [&](const char* name) { return logo.control<QPushButton>(name)->isEnabled(); };

        logo.command(QStringLiteral("REPEAT 1000000000 [FD 100 RT 91]"));
        QVERIFY(logo.dialog->isRunning());
        QVERIFY(logo.message().contains(QStringLiteral("正在执行")));
        QVERIFY(enabled("按钮18"));
        for (const char* drawing : {"按钮1", "按钮8", "按钮9", "按钮12", "按钮17"})
            QVERIFY2(!enabled(drawing), drawing);
        bool handled = false;
        QTimer::singleShot(0, [&handled] { handled = true; });
        QTRY_VERIFY(handled);
        QTRY_VERIFY(inkCount(panel.picture()) > 2000);
        QVERIFY(logo.dialog->isRunning());
        logo.command(QStringLiteral("CS")); // Enter again neither queues nor runs a second line
        QVERIFY(inkCount(panel.picture()) > 2000);

        QTest::keyClick(logo.control<QLineEdit>("编辑框11"), Qt::Key_Escape);
        QTRY_VERIFY(!logo.dialog->isRunning());
        QCOMPARE(logo.message(), QStringLiteral("已停止：画出的部分保留"));
        QVERIFY(logo.dialog->isVisible()); // Escape stopped the line, not the window
        QVERIFY(enabled("按钮1") && enabled("按钮17") && !enabled("按钮18"));
        const QImage kept = panel.picture();
        QVERIFY(inkCount(kept) > 2000);
        const auto at = panel.turtle().state().position;
        QVERIFY(at != logo::TurtlePoint{});
        QVERIFY(inkNear(kept, qRound(388 + at.x), qRound(164 - at.y))); // the last line ends at the turtle
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式") + QString::fromStdString(logo::positionText({at.x, at.y})));

        // 停止 does the same; a line that turns only draws nothing and keeps the turtle's place.
        logo.command(QStringLiteral("REPEAT 1000000000 [RT 1]"));
        QVERIFY(logo.dialog->isRunning());
        logo.click("按钮18");
        QTRY_VERIFY(!logo.dialog->isRunning());
        QCOMPARE(logo.message(), QStringLiteral("已停止：画出的部分保留"));
        QCOMPARE(panel.picture(), kept);
        QCOMPARE(panel.turtle().state().position, at);

        // A line that wipes the panel and draws for a while before it fails leaves it as it was.
        logo.command(QStringLiteral("CS REPEAT 200000 [FD 100 RT 91] FD :NOPE"));
        QVERIFY(logo.dialog->isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!logo.dialog->isRunning(), 60'000);
        QCOMPARE(logo.message(), QStringLiteral("变量 :NOPE 还没有值：先用 MAKE 给它一个值"));
        QCOMPARE(panel.picture(), kept);
        QCOMPARE(panel.turtle().state().position, at);
        artefact(logo.dialog->grab().toImage(), QStringLiteral("logo_window_stopped.png"));

        // Escape with nothing running closes the window as before; closing while a line runs stops it.
        QTest::keyClick(logo.control<QLineEdit>("编辑框11"), Qt::Key_Escape);
        QVERIFY(!logo.dialog->isVisible());
        logo.dialog->show();
        logo.command(QStringLiteral("REPEAT 1000000000 [FD 100 RT 91]"));
        QVERIFY(logo.dialog->isRunning());
        logo.dialog.reset();
        QVERIFY(logo.failures.isEmpty());
    }

    // The box would cut a long paste short silently; one over the limit is refused whole, and says so.
    void aLineOverTheLimitIsRefusedWithAMessage() {
        Logo logo;
        auto* line = logo.control<QLineEdit>("编辑框11");
        line->setText(QStringLiteral("FD 10 "));
        QGuiApplication::clipboard()->setText(QString(1 << 20, QLatin1Char('F')));
        QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(line->text(), QStringLiteral("FD 10 "));
        QCOMPARE(logo.message(),
                 QStringLiteral("命令行一行最多 10000 个字符，放进来的内容太长，没有接受：请分成几行执行，"
                                "或者把重复的部分写成过程（TO … END）"));
        // Up to the limit goes in whole, and runs.
        const QString fits = QStringLiteral("FD 1") + QStringLiteral(" FD 1").repeated(1999);
        QCOMPARE(fits.size(), LogoDialog::kCommandLineLimit - 1);
        line->clear();
        QGuiApplication::clipboard()->setText(fits);
        QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(line->text(), fits);
        QTest::keyClick(line, Qt::Key_Return);
        QTRY_VERIFY(!logo.dialog->isRunning());
        QCOMPARE(logo.message(), QString());
        QCOMPARE(logo.caption(), QStringLiteral("Logo模式[0,2000]"));
        // Typing past the limit is refused the same way.
        line->end(false);
        QTest::keyClicks(line, QStringLiteral("12"));
        QCOMPARE(line->text(), fits + QLatin1Char('1'));
        QVERIFY(logo.message().contains(QStringLiteral("最多 10000 个字符")));
    }

    // A circle larger than the panel is drawn only where it crosses it, as QPainter would draw it whole:
    // every ink pixel of one lies within a pixel of the other's.
    void largeCirclesShowTheirVisibleArcAsQPainterWould() {
        Logo logo;
        auto& panel = logo.dialog->panel();
        const struct {
            logo::TurtlePoint centre;
            double rx, ry;
        } shapes[] = {{{0, -900}, 1000, 1000}, {{600, 0}, 700, 700}, {{0, 0}, 2000, 150}, {{-300, 200}, 350, 90}};
        for (const auto& s : shapes) {
            panel.clear();
            panel.drawEllipse(s.centre, s.rx, s.ry, logo::Ink::Pen);
            QImage reference(panel.size(), QImage::Format_RGB32);
            reference.fill(Qt::white);
            QPainter p(&reference);
            p.setPen(QPen(Qt::black, 1));
            p.drawEllipse(QPointF(388 + s.centre.x, 164 - s.centre.y), s.rx, s.ry);
            p.end();
            const QImage drawn = panel.picture();
            QVERIFY(inkCount(drawn) > 100);
            for (int y = 0; y < drawn.height(); ++y)
                for (int x = 0; x < drawn.width(); ++x) {
                    if (isInk(drawn.pixel(x, y)))
                        QVERIFY2(inkNear(reference, x, y), qPrintable(QStringLiteral("%1 %2").arg(x).arg(y)));
                    if (isInk(reference.pixel(x, y)))
                        QVERIFY2(inkNear(drawn, x, y), qPrintable(QStringLiteral("%1 %2").arg(x).arg(y)));
                }
        }
        // One a million pixels round, its edge through the centre: a straight upright line, at once.
        panel.clear();
        panel.drawEllipse({1e6, 0}, 1e6, 1e6, logo::Ink::Pen);
        const QImage edge = panel.picture();
        for (int y = 0; y < 328; y += 8)
            QVERIFY(inkNear(edge, 388, y));
        QVERIFY(inkCount(edge) < 2 * 328);
        panel.clear();
        panel.drawEllipse({0, 0}, 1e6, 1e6, logo::Ink::Pen); // all round the panel: nothing shows
        QCOMPARE(inkCount(panel.picture()), 0);
    }
};

QTEST_MAIN(LogoRunTest)
#include "logo_run_test.moc"

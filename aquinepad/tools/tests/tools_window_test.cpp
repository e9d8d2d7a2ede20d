// The tools window: its pages, the lunar calendar's month grid, and the calculator page requested from
// a real aquine-server on loopback when the window is created. Pictures of the pages go to artefacts.
#include "aquinepad/tests/notepad_fixture.h"
#include "aquinepad/tools/lunar_month_view.h"
#include "aquinepad/tools/tools_window.h"
#include "common/qt/app_setup.h"
#include "common/qt/tests/when_modal.h"

#include <QCalendarWidget>
#include <QProcess>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

namespace aquinepad {

using aquinepad::testing::artefact;
using aquinepad::testing::Notepad;

// The bundled server on a free port of 127.0.0.1, serving the site the programs ship with.
class LoopbackServer {
public:
    LoopbackServer() {
        m_process.start(QStringLiteral(AQUINE_SERVER_EXE), {QStringLiteral("--root"), QStringLiteral(AQUINE_SERVER_WWW),
                                                            QStringLiteral("--port"), QStringLiteral("0")});
        if (m_process.waitForReadyRead(10000))
            m_address = QString::fromLatin1(m_process.readLine()).trimmed();
    }
    ~LoopbackServer() {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    QString address() const { return m_address; }

private:
    QProcess m_process;
    QString m_address;
};

class ToolsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theMenuItemOpensTheWindowModallyWithItsThreePages() {
        Notepad pad;
        pad.window->show();
        QString title;
        QStringList tabs, names;
        bool modal = false;
        whenModal([&](QWidget* w) {
            title = w->windowTitle();
            modal = w->isModal();
            auto* tabWidget = w->findChild<QTabWidget*>(QStringLiteral("高级选择夹1"));
            for (int i = 0; tabWidget && i < tabWidget->count(); ++i)
                tabs << tabWidget->tabText(i);
            for (const char* name : {"农历月历1", "月历1", "超文本浏览框1"})
                if (w->findChild<QWidget*>(QString::fromUtf8(name)))
                    names << QString::fromUtf8(name);
            w->close();
        });
        pad.window->action(Command::Tools)->trigger();
        QCOMPARE(title, QStringLiteral("Aquine记事本 - 扩展工具"));
        QVERIFY(modal);
        QCOMPARE(tabs, (QStringList{QStringLiteral("农历"), QStringLiteral("月历"), QStringLiteral("Aquine计算器")}));
        QCOMPARE(names.size(), 3);
        QVERIFY(pad.failures.isEmpty());
    }

    // The page is asked for when the window is made, though its tab is never shown.
    void theCalculatorPageIsRequestedWhenTheWindowIsCreated() {
        LoopbackServer server;
        QVERIFY(!server.address().isEmpty());
        qputenv("AQUINE_SERVER", server.address().toLatin1());
        ToolsWindow window;
        QSignalSpy loaded(window.calculatorPage(), &QWebEngineView::loadFinished);
        QVERIFY(loaded.wait(30000) || !loaded.isEmpty());
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(window.calculatorPage()->url().path(), QStringLiteral("/forum.php"));
        QCOMPARE(window.calculatorPage()->url().query(), QStringLiteral("mod=viewthread&tid=269"));
        // The server's own calculator page, Chinese title and all.
        QTRY_COMPARE_WITH_TIMEOUT(window.calculatorPage()->title(), QStringLiteral("Aquine计算器"), 10000);
        QCOMPARE(window.tabs()->currentIndex(), 0);

        window.show();
        window.tabs()->setCurrentIndex(2);
        QTest::qWait(1500); // Chromium paints the shown page a moment after it is shown
        artefact(window.grab().toImage(), QStringLiteral("tools_calculator.png"));
        window.tabs()->setCurrentIndex(1);
        window.monthCalendar()->setSelectedDate(QDate(2024, 2, 10));
        artefact(window.grab().toImage(), QStringLiteral("tools_month.png"));
        window.tabs()->setCurrentIndex(0);
        window.lunarCalendar()->setSelectedDate(QDate(2024, 2, 10));
        artefact(window.grab().toImage(), QStringLiteral("tools_lunar.png"));
        qunsetenv("AQUINE_SERVER");
    }

    void anUnreachableServerLeavesTheOtherPagesWorking() {
        // A port nothing listens on: the connection is refused at once.
        qputenv("AQUINE_SERVER", "http://127.0.0.1:9/");
        ToolsWindow window;
        window.show();
        QSignalSpy loaded(window.calculatorPage(), &QWebEngineView::loadFinished);
        QVERIFY(loaded.wait(30000) || !loaded.isEmpty());
        QCOMPARE(loaded.first().first().toBool(), false);
        window.tabs()->setCurrentIndex(1);
        window.monthCalendar()->showNextMonth();
        window.tabs()->setCurrentIndex(0);
        window.lunarCalendar()->setSelectedDate(QDate(2020, 5, 23));
        QCOMPARE(window.lunarCalendar()->detailText(), QStringLiteral("农历闰四月初一"));
        qunsetenv("AQUINE_SERVER");
    }

    void theLunarGridNamesLunarDaysMonthsTermsAndFestivals() {
        LunarMonthView view;
        view.resize(365, 262);
        view.setSelectedDate(QDate(2024, 2, 10));
        QCOMPARE(view.headerText(), QStringLiteral("2024年2月  甲辰年【龙年】"));
        QCOMPARE(view.detailText(), QStringLiteral("农历正月初一 春节"));
        QCOMPARE(view.labelOf(1), QStringLiteral("廿二"));
        QCOMPARE(view.labelOf(4), QStringLiteral("立春"));
        QCOMPARE(view.labelOf(9), QStringLiteral("除夕"));
        QCOMPARE(view.labelOf(10), QStringLiteral("春节"));
        QCOMPARE(view.labelOf(11), QStringLiteral("初二"));
        // The day before 春节 still belongs to the old year.
        view.setSelectedDate(QDate(2024, 2, 9));
        QCOMPARE(view.headerText(), QStringLiteral("2024年2月  癸卯年【兔年】"));
        view.setSelectedDate(QDate(2024, 3, 10));
        QCOMPARE(view.labelOf(10), QStringLiteral("二月"));
        // 处暑 at 22:55 China time is on the 22nd, not the 23rd.
        view.setSelectedDate(QDate(2024, 8, 22));
        QCOMPARE(view.labelOf(22), QStringLiteral("处暑"));
        QCOMPARE(view.labelOf(23), QStringLiteral("二十"));
        QCOMPARE(view.detailText(), QStringLiteral("农历七月十九 处暑"));
        artefact(view.grab().toImage(), QStringLiteral("tools_lunar_terms.png"));
    }

    void clickingAndTheMonthButtonsMoveTheChosenDay() {
        LunarMonthView view;
        view.resize(365, 262);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setSelectedDate(QDate(2024, 2, 10));
        // 1 February 2024 is a Thursday: the 15th is the Thursday of the third week.
        auto* grid = view.findChild<QWidget*>(QStringLiteral("日期格"));
        QVERIFY(grid);
        const qreal cellW = grid->width() / 7.0, cellH = (grid->height() - 16) / 6.0;
        QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(int(4.5 * cellW), int(16 + 2.5 * cellH)));
        QCOMPARE(view.selectedDate(), QDate(2024, 2, 15));
        view.findChild<QToolButton*>(QStringLiteral("下个月"))->click();
        QCOMPARE(view.selectedDate(), QDate(2024, 3, 15));
        view.findChild<QToolButton*>(QStringLiteral("上个月"))->click();
        view.findChild<QToolButton*>(QStringLiteral("上个月"))->click();
        QCOMPARE(view.selectedDate(), QDate(2024, 1, 15));
        // The ends of what the calendar knows.
        view.setSelectedDate(QDate(2100, 12, 31));
        QVERIFY(!view.findChild<QToolButton*>(QStringLiteral("下个月"))->isEnabled());
        view.setSelectedDate(QDate(1850, 6, 1));
        QCOMPARE(view.selectedDate(), QDate(1901, 1, 1));
        QVERIFY(!view.findChild<QToolButton*>(QStringLiteral("上个月"))->isEnabled());
    }
};

} // namespace aquinepad

int main(int argc, char** argv) {
    // Chromium under the offscreen platform: no GPU, and no sandbox when the tests run as root.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    aquine::prepareWebViews();
    QApplication app(argc, argv);
    aquinepad::ToolsWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tools_window_test.moc"

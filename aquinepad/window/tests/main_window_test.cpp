// The main window itself: its menu bar as the user sees it, the status bar, the editor filling the
// client area as the window changes size, the place taken from the settings, and the about window.
#include "aquinepad/tests/notepad_fixture.h"
#include "common/qt/tests/when_modal.h"

#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

// One line per menu entry: indentation for depth, "---" for separators, the shortcut after a tab.
void dump(const QMenu* menu, int depth, QStringList& out) {
    for (const QAction* a : menu->actions()) {
        QString line = QString(depth * 2, QLatin1Char(' '));
        if (a->isSeparator()) {
            out << line + QStringLiteral("---");
            continue;
        }
        line += QLatin1Char('[') + a->text() + QLatin1Char(']');
        if (!a->shortcut().isEmpty())
            line += QLatin1Char('\t') + a->shortcut().toString();
        out << line;
        if (a->menu())
            dump(a->menu(), depth + 1, out);
    }
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void menuBarAsTheUserSeesIt() {
        Notepad pad;
        QStringList top;
        QStringList lines;
        for (const QAction* a : pad.window->menuBar()->actions()) {
            top << a->text();
            dump(a->menu(), 0, lines);
        }
        QCOMPARE(top, (QStringList{"文件(&F)", "编辑(&E)", "寻找(&S)", "扩展(&E)", "分享文档", "配置/帮助(&H)"}));
        const QString all = lines.join(QLatin1Char('\n'));
        // Spot checks of what is easy to get wrong: trailing blanks, shortcuts, separators, submenus.
        QVERIFY(all.startsWith(QStringLiteral("[新建(&N)]\tCtrl+N\n[打开(&O)]\tCtrl+O\n[保存(&S)]\tCtrl+S\n"
                                              "[另存为(&A)]\n---\n[打印(&P)]\tCtrl+P\n---\n[退出(&X)   ]\n"
                                              "[撤消(&U)]\tCtrl+Z\n---\n[剪切(&X)]\tCtrl+X\n")));
        QVERIFY(all.contains(QStringLiteral("[查找上一个(&P)]\tShift+F3\n[查找下一个(&N)]\tF3\n")));
        QVERIFY(all.contains(QStringLiteral("[简繁转换(&S)]\n  [文档由简体转繁体]\n  [文档由繁体转简体]\n")));
        QVERIFY(all.contains(QStringLiteral("[Logo语言模式(&L)    ]\n[上传你的文档]\n")));
        QVERIFY(all.contains(QStringLiteral("  [橙(白绿黑)   ]\n")));
        QVERIFY(all.endsWith(QStringLiteral("[配置选项(&S)]\n[文件关联(&F)]\n  [关联.txt文件]\n  [取消关联]\n"
                                            "[更新程序(&U)]\n---\n[关于记事本(&A)   ]")));
        QCOMPARE(lines.size(), 60); // every item, separator and submenu entry
    }

    void editorKeysAreThoseOfAPlainEditControl() {
        Notepad pad;
        pad.type(QStringLiteral("hello"));
        auto& editor = pad.window->editor();
        editor.SendScintilla(QsciScintillaBase::SCI_GOTOPOS, 0ul);
        // Insert does not switch to overtype: typed text never replaces what follows.
        QTest::keyClick(editor.viewport(), Qt::Key_Insert);
        QTest::keyClicks(editor.viewport(), QStringLiteral("XY"));
        QCOMPARE(pad.text(), std::string("XYhello"));
        // Ctrl+U (Scintilla's lower-case command) leaves the text alone.
        editor.SendScintilla(QsciScintillaBase::SCI_SELECTALL);
        QTest::keyClick(editor.viewport(), Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(pad.text(), std::string("XYhello"));
    }

    void statusBarAndEditorFillTheWindow() {
        Notepad pad;
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));
        QCOMPARE(pad.window->statusBar()->height(), 20);
        const auto labels = pad.window->statusBar()->findChildren<QLabel*>();
        QCOMPARE(labels.at(0)->text(), QStringLiteral("Aquine记事本v1.1"));
        QVERIFY(labels.at(0)->width() >= 100);
        QCOMPARE(labels.at(1)->text(), QStringLiteral("路径：新建文档"));
        for (const QSize size : {QSize(794, 452), QSize(500, 300), QSize(1000, 700)}) {
            pad.window->resize(size);
            QTRY_COMPARE(pad.window->editor().width(), size.width());
            const QRect editor = pad.window->editor().geometry();
            QCOMPARE(editor.left(), 0);
            QCOMPARE(editor.bottom() + 1 + 20, size.height());
            QCOMPARE(editor.top(), pad.window->menuBar()->height());
        }
    }

    void placeComesFromTheSettings() {
        Notepad pad;
        writeAll(
            pad.programDir.filePath(QStringLiteral("配置.ini")),
            bytes(G("[配置信息]\r\n屏幕_左边=120\r\n屏幕_顶边=80.9\r\n启动窗口_宽度=640\r\n启动窗口_高度=480\r\n")));
        pad.window->startUp(std::nullopt);
        QCOMPARE(pad.window->pos(), QPoint(120, 80));
        QCOMPARE(pad.window->size(), QSize(640, 480));

        Notepad empty; // no settings file: the design size rather than an invisible window
        empty.window->startUp(std::nullopt);
        QCOMPARE(empty.window->size(), QSize(794, 452));
    }

    void oddSettingsStillGiveAWindowOnTheScreen() {
        // Sizes beyond any screen once made a 32767 x 32767 window that took gigabytes to paint.
        const QByteArray files[] = {
            G("[配置信息]\r\n启动窗口_宽度=2147483647\r\n启动窗口_高度=1e400\r\n").c_str(),
            G("[配置信息]\r\n屏幕_左边=-99999999\r\n屏幕_顶边=99999999\r\n启动窗口_宽度=nan\r\n启动窗口_高度=-5\r\n")
                .c_str(),
            G("[配置信息]\r\n屏幕_左边=1e400\r\n屏幕_顶边=-1e400\r\n启动窗口_宽度=40000\r\n启动窗口_高度=600\r\n")
                .c_str(),
            QByteArray(G("[配置信息]\r\n启动窗口_宽度=").c_str()) + QByteArray(1 << 20, '7'),
        };
        for (const QByteArray& ini : files) {
            Notepad pad;
            writeAll(pad.programDir.filePath(QStringLiteral("配置.ini")), ini);
            pad.window->startUp(std::nullopt);
            pad.window->show();
            QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));
            const QRect area = pad.window->screen()->availableGeometry();
            const QRect frame = pad.window->frameGeometry();
            QVERIFY2(frame.width() <= area.width() && frame.height() <= area.height(), qPrintable(ini.left(80)));
            QVERIFY(frame.top() >= area.top());
            QVERIFY(frame.intersected(area).width() >= std::min(frame.width(), 200));
            QVERIFY(pad.window->width() > 100 && pad.window->height() > 100);
            // The window still works: the editor fills it and takes typing.
            pad.type(QStringLiteral("好"));
            QCOMPARE(pad.text(), G("好"));
        }
    }

    void aboutWindow() {
        Notepad pad;
        QStringList texts;
        QString title;
        whenModal([&](QWidget* dialog) {
            title = dialog->windowTitle();
            for (const QLabel* l : dialog->findChildren<QLabel*>())
                texts << l->text();
            dialog->findChild<QPushButton*>(QStringLiteral("按钮1"))->click();
        });
        pad.window->action(Command::About)->trigger();
        QCOMPARE(title, QStringLiteral("关于Aquine记事本"));
        QCOMPARE(texts,
                 (QStringList{"Aquine记事本", "Lorvane “Aquine”系列", "版本：1.0", "", "基于网络的功能需要网络连接"}));
    }

    void optionsOpenFromTheMenuAndRememberChoices() {
        Notepad pad;
        const QString ini = pad.programDir.filePath(QStringLiteral("配置.ini"));
        whenModal([](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("配置选项"));
            dialog->findChild<QRadioButton*>(QStringLiteral("单选框1"))->click();
            dialog->findChild<QRadioButton*>(QStringLiteral("单选框5"))->click();
            dialog->findChild<QPushButton*>(QStringLiteral("按钮1"))->click(); // 取消
        });
        pad.window->action(Command::Options)->trigger();
        QVERIFY(!QFile::exists(ini));

        // The choices of the cancelled window still count at the next "保存".
        bool designState = false;
        whenModal([&](QWidget* dialog) {
            designState = dialog->findChild<QRadioButton*>(QStringLiteral("单选框1"))->isChecked() &&
                          dialog->findChild<QRadioButton*>(QStringLiteral("单选框3"))->isChecked();
            dialog->findChild<QPushButton*>(QStringLiteral("按钮2"))->click(); // 保存
        });
        pad.window->action(Command::Options)->trigger();
        QVERIFY(designState);
        const QByteArray stored = readAll(ini);
        QVERIFY(stored.contains(bytes(G("皮肤=\\QQ2008.she\r\n"))));
        QVERIFY(stored.contains(bytes(G("aero=是\r\n"))));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"

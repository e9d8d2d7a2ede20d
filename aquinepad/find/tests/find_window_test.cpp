// The find window and F3/Shift+F3 in the real main window: the window as designed, its buttons and
// their enabled state, what the search remembers, and the not-found message.
#include "aquinepad/find/find_window.h"
#include "aquinepad/tests/notepad_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace aquinepad;
using namespace aquinepad::testing;
using aquine::Prompter;

namespace {

template <typename T> T* control(FindWindow* window, const char* name) {
    T* w = window->findChild<T*>(QString::fromUtf8(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

struct FindPad : Notepad {
    explicit FindPad(const QString& text) {
        type(text);
        window->editor().setSelection({0, 0});
    }

    FindWindow* open() {
        window->action(Command::Find)->trigger();
        return window->findChild<FindWindow*>();
    }
    // Types into 编辑框1 as the user would, replacing what is selected there.
    static void enter(FindWindow* find, const QString& text) {
        auto* edit = control<QLineEdit>(find, "编辑框1");
        edit->selectAll();
        edit->insert(text); // QTest's key clicks carry Latin-1 only
    }
    static void next(FindWindow* find) { control<QPushButton>(find, "搜寻下一个按钮")->click(); }
    static void previous(FindWindow* find) { control<QPushButton>(find, "搜寻上一个按钮")->click(); }
    void f3() { window->action(Command::FindNext)->trigger(); }
    void shiftF3() { window->action(Command::FindPrevious)->trigger(); }

    QString selected() {
        const TextRange s = window->editor().selection();
        return QString::fromUtf8(window->editor().textView().substr(s.start, s.end - s.start));
    }
    TextRange selection() { return window->editor().selection(); }
    // The not-found box, the last prompt shown.
    void expectNotFound(const QString& text) {
        QVERIFY(!prompter.calls().isEmpty());
        const auto& call = prompter.calls().back();
        QCOMPARE(call.text, QStringLiteral("未找到指定文本“%1”").arg(text));
        QCOMPARE(call.title, QStringLiteral("错误"));
        QCOMPARE(call.icon, Prompter::Icon::Error);
        QCOMPARE(call.buttons, Prompter::Buttons::Ok);
    }
};

} // namespace

class FindWindowTest : public QObject {
    Q_OBJECT

private slots:
    void windowAsDesigned() {
        FindPad pad(QStringLiteral("text"));
        pad.window->show();
        FindWindow* find = pad.open();
        QVERIFY(find);
        QVERIFY(find->isVisible());
        QVERIFY(!find->isModal());
        QCOMPARE(find->parentWidget(), pad.window.get());
        QCOMPARE(find->windowTitle(), QStringLiteral("寻找文本"));
        QCOMPARE(find->geometry(), QRect(50, 50, 314, 143));

        const auto check = [&](QWidget* w, const QString& caption, QRect geometry) {
            QCOMPARE(w->geometry(), geometry);
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                QCOMPARE(b->text(), caption);
            else if (auto* l = qobject_cast<QLabel*>(w))
                QCOMPARE(l->text(), caption);
        };
        QCOMPARE(control<QLabel>(find, "标签1")->text(), QStringLiteral("请输入欲寻找的文本："));
        QVERIFY(control<QLabel>(find, "标签1")->geometry().bottom() < 32);
        check(control<QLineEdit>(find, "编辑框1"), {}, QRect(27, 32, 272, 16));
        check(control<QCheckBox>(find, "选择框1"), QStringLiteral("英文字母区分大小写"), QRect(27, 58, 192, 16));
        check(control<QPushButton>(find, "搜寻上一个按钮"), QStringLiteral("&P.搜寻上一个"), QRect(94, 87, 97, 24));
        check(control<QPushButton>(find, "搜寻下一个按钮"), QStringLiteral("&N.搜寻下一个"), QRect(200, 87, 97, 24));
        QVERIFY(!control<QCheckBox>(find, "选择框1")->isChecked());

        // Asking again brings the same window forward, its text ready to be typed over.
        FindPad::enter(find, QStringLiteral("abc"));
        control<QLineEdit>(find, "编辑框1")->deselect();
        QCOMPARE(pad.open(), find);
        QCOMPARE(pad.window->findChildren<FindWindow*>().size(), 1);
        QCOMPARE(control<QLineEdit>(find, "编辑框1")->selectedText(), QStringLiteral("abc"));
    }

    void emptyTextDisablesBothButtons() {
        FindPad pad(QStringLiteral("text"));
        FindWindow* find = pad.open();
        auto* previous = control<QPushButton>(find, "搜寻上一个按钮");
        auto* next = control<QPushButton>(find, "搜寻下一个按钮");
        QVERIFY(!previous->isEnabled() && !next->isEnabled()); // nothing searched yet: nothing to search for
        QTest::keyClicks(control<QLineEdit>(find, "编辑框1"), QStringLiteral("t"));
        QVERIFY(previous->isEnabled() && next->isEnabled());
        QTest::keyClick(control<QLineEdit>(find, "编辑框1"), Qt::Key_Backspace);
        QVERIFY(!previous->isEnabled() && !next->isEnabled());
        control<QLineEdit>(find, "编辑框1")->insert(QStringLiteral("中"));
        QVERIFY(previous->isEnabled() && next->isEnabled());
    }

    void f3BeforeAnySearchDoesNothing() {
        FindPad pad(QStringLiteral("abc abc"));
        pad.window->editor().setSelection({1, 2});
        pad.f3();
        pad.shiftF3();
        // Text typed into the window but never searched with a button is not the search text either.
        FindWindow* find = pad.open();
        FindPad::enter(find, QStringLiteral("abc"));
        pad.f3();
        pad.shiftF3();
        QCOMPARE(pad.selection(), (TextRange{1, 2}));
        QVERIFY(pad.prompter.calls().isEmpty());
        QVERIFY(pad.failures.isEmpty());
    }

    void f3WalksForwardToTheNotFoundMessage() {
        FindPad pad(QStringLiteral("abc\r\nabc abc"));
        FindWindow* find = pad.open();
        FindPad::enter(find, QStringLiteral("abc"));
        // Enter in the text box is the next button: the first character, from a caret at the very start.
        QTest::keyClick(control<QLineEdit>(find, "编辑框1"), Qt::Key_Return);
        QCOMPARE(pad.selection(), (TextRange{0, 3}));
        QVERIFY(find->isVisible());
        pad.f3();
        QCOMPARE(pad.selection(), (TextRange{5, 8}));
        pad.f3();
        QCOMPARE(pad.selection(), (TextRange{9, 12}));
        QVERIFY(pad.prompter.calls().isEmpty());
        pad.prompter.answerMessage(Prompter::Button::Ok);
        pad.f3();
        pad.expectNotFound(QStringLiteral("abc"));
        QCOMPARE(pad.selection(), (TextRange{9, 12})); // no wrap-around, nothing changed
        QVERIFY(pad.failures.isEmpty());
    }

    void shiftF3WalksBackwardToTheNotFoundMessage() {
        FindPad pad(QStringLiteral("ab中ab中ab")); // 中 is three bytes
        pad.window->editor().setSelection({12, 12});
        FindWindow* find = pad.open();
        FindPad::enter(find, QStringLiteral("ab"));
        FindPad::previous(find);
        QCOMPARE(pad.selection(), (TextRange{10, 12}));
        pad.shiftF3();
        QCOMPARE(pad.selection(), (TextRange{5, 7}));
        pad.shiftF3();
        QCOMPARE(pad.selection(), (TextRange{0, 2}));
        pad.prompter.answerMessage(Prompter::Button::Ok).answerMessage(Prompter::Button::Ok);
        pad.shiftF3();
        pad.expectNotFound(QStringLiteral("ab"));
        FindPad::previous(find); // the button searches the same way and tells the same
        pad.expectNotFound(QStringLiteral("ab"));
        QCOMPARE(pad.prompter.calls().size(), 2);
        QCOMPARE(pad.selection(), (TextRange{0, 2}));
        QVERIFY(pad.failures.isEmpty());
    }

    void latinLettersFoldUnlessTheBoxIsChecked() {
        FindPad pad(QStringLiteral("Qt: ABC, abc"));
        FindWindow* find = pad.open();
        FindPad::enter(find, QStringLiteral("abc"));
        FindPad::next(find);
        QCOMPARE(pad.selected(), QStringLiteral("ABC"));

        pad.window->editor().setSelection({0, 0});
        control<QCheckBox>(find, "选择框1")->setChecked(true);
        FindPad::next(find);
        QCOMPARE(pad.selected(), QStringLiteral("abc"));
        pad.window->editor().setSelection({0, 0});
        FindPad::enter(find, QStringLiteral("aBc"));
        pad.prompter.answerMessage(Prompter::Button::Ok);
        FindPad::next(find);
        pad.expectNotFound(QStringLiteral("aBc"));
        QCOMPARE(pad.selection(), (TextRange{0, 0}));
        QVERIFY(pad.failures.isEmpty());
    }

    void chineseMatchSelectsExactlyTheText() {
        FindPad pad(QStringLiteral("寻找文本：中文。中文字"));
        FindWindow* find = pad.open();
        FindPad::enter(find, QStringLiteral("中文"));
        FindPad::next(find);
        QCOMPARE(pad.selected(), QStringLiteral("中文"));
        pad.f3();
        QCOMPARE(pad.selected(), QStringLiteral("中文"));
        // The saved bytes are GBK: typing over the selection replaces the word and nothing else.
        pad.type(QStringLiteral("汉语"));
        QCOMPARE(pad.text(), G("寻找文本：中文。汉语字"));
    }

    void closingKeepsTheSearchAndReopeningShowsItSelected() {
        FindPad pad(QStringLiteral("Find find FIND"));
        FindWindow* find = pad.open();
        FindPad::enter(find, QStringLiteral("find"));
        control<QCheckBox>(find, "选择框1")->setChecked(true);
        FindPad::next(find);
        QCOMPARE(pad.selection(), (TextRange{5, 9}));
        find->close();
        QTRY_VERIFY(!pad.window->findChild<FindWindow*>());

        // Without the window, F3 and Shift+F3 go on with the stored text and case choice.
        pad.window->editor().setSelection({0, 0});
        pad.f3();
        QCOMPARE(pad.selection(), (TextRange{5, 9}));
        pad.window->editor().setSelection({14, 14});
        pad.shiftF3();
        QCOMPARE(pad.selection(), (TextRange{5, 9}));

        find = pad.open();
        auto* edit = control<QLineEdit>(find, "编辑框1");
        QCOMPARE(edit->text(), QStringLiteral("find"));
        QCOMPARE(edit->selectedText(), QStringLiteral("find"));
        QVERIFY(control<QCheckBox>(find, "选择框1")->isChecked());
        QVERIFY(control<QPushButton>(find, "搜寻下一个按钮")->isEnabled());
        // Typing replaces the shown text at once, since it is selected.
        QTest::keyClicks(edit, QStringLiteral("FIND"));
        QCOMPARE(edit->text(), QStringLiteral("FIND"));
        FindPad::next(find);
        QCOMPARE(pad.selection(), (TextRange{10, 14}));
        QVERIFY(pad.failures.isEmpty());
    }
};

QTEST_MAIN(FindWindowTest)
#include "find_window_test.moc"

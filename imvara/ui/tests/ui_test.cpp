// The bar and the input method's windows, offscreen: layout, menu, and the word and reverse lookup
// windows working on a real lookup text and a real word file.
#include "common/file_io.h"
#include "common/qt/gbk_qt.h"
#include "common/qt/scripted_prompter.h"
#include "imvara/ui/bar_window.h"
#include "imvara/ui/dialogs.h"
#include "imvara/ui/wayland_notice.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace imvara;
using aquine::Prompter;

namespace {

// A keyboard that claims nothing: these tests drive the windows, not the keys.
class NullKeyboard : public Keyboard {
public:
    int registerHotKey(int entry, VirtualKey, Modifiers) override { return entry + 1; }
    void unregisterHotKey(int) override {}
    void synthesizeKey(VirtualKey) override {}
    bool capsLockHeld() override { return false; }
    bool capsLockOn() override { return false; }
    int takeCapsLockReleases() override { return 0; }
    void typeText(std::string_view, CodePage) override {}
};

std::string G(const char* utf8) { return aquine::gbkFromQ(QString::fromUtf8(utf8)); }

QStringList captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

} // namespace

class UiTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_lookup = std::make_unique<LookupText>("\r\nhang " + G("行") + "\r\nxing " + G("行") + "\r\n", "");
    }

    void barMetricsMatchTheCandidateRule() {
        const QtTextMeasure measure(barFont());
        const FixedMeasure fixed;
        for (const char* text : {"a", " 1.啊 2.阿", " 1.阿爸ba ", "zhongguogong"})
            QCOMPARE(measure.width(G(text)), fixed.width(G(text)));
    }

    void barLayoutMenuAndClose() {
        NullKeyboard keyboard;
        FixedMeasure measure;
        Session session(keyboard, measure, *m_lookup);
        aquine::ScriptedPrompter prompter;
        BarWindow bar(session, *m_lookup, m_dir->path().toStdString(), prompter);
        bar.placeOn(QRect(0, 0, 1024, 768));
        QCOMPARE(bar.geometry(), QRect(418, 668, 301, 48));
        QCOMPARE(bar.windowTitle(), QStringLiteral("五笔输入法"));
        QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("标签1"))->text(), QStringLiteral("全拼"));
        QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("标签"))->geometry(), QRect(8, 25, 286, 18));

        QCOMPARE(captions(bar.mainMenu()), (QStringList{"文字输出(&O)", "-", "造词管理(&P)...", "-", "文字反查(&F)...",
                                                        "-", "版本信息(&V)...", "-", "退出(&X)"}));
        QMenu* output = bar.mainMenu()->actions().first()->menu();
        QCOMPARE(captions(output),
                 (QStringList{"标准文字(&1)", "-", "繁体文字(&2)", "-", "BIG5文字(&3)", "-", "SJIS文字(&4)"}));
        const auto checked = [&] {
            QStringList on;
            for (const QAction* a : output->actions())
                if (a->isChecked())
                    on << a->text();
            return on;
        };
        QCOMPARE(checked(), QStringList{"标准文字(&1)"});
        output->actions()[4]->trigger(); // BIG5, then traditional: only the last stays
        output->actions()[2]->trigger();
        QCOMPARE(checked(), QStringList{"繁体文字(&2)"});
        QCOMPARE(session.outputMode(), OutputMode::Traditional);

        QCloseEvent close;
        QApplication::sendEvent(&bar, &close);
        QVERIFY(!close.isAccepted());
    }

    void shiftAloneHidesAndShowsTheBar() {
        NullKeyboard keyboard;
        FixedMeasure measure;
        Session session(keyboard, measure, *m_lookup);
        aquine::ScriptedPrompter prompter;
        BarWindow bar(session, *m_lookup, m_dir->path().toStdString(), prompter);
        session.setBarView(&bar);
        bar.show();
        session.ProcessKey(kKeyHide);
        QTRY_VERIFY(bar.isHidden());
        session.ProcessKey(kKeyHide);
        QTRY_VERIFY(bar.isVisible());
    }

    void wordWindowAddsModifiesAndDeletes() {
        aquine::ScriptedPrompter prompter;
        const std::filesystem::path dir = m_dir->path().toStdString();
        WordWindow window(nullptr, *m_lookup, dir, prompter);
        QCOMPARE(window.windowTitle(), QStringLiteral("造词/维护:"));
        QCOMPARE(window.height(), 144);

        prompter.answerInput(true, QStringLiteral("hang 行"));
        window.addEntry();
        QCOMPARE(prompter.calls().last().title, QStringLiteral("添加:"));
        QCOMPARE(prompter.calls().last().text,
                 QStringLiteral("请输入添加字的编码:\r\n\r\n格式:编码 + 空格 + 文字,例:hang 行"));
        QCOMPARE(aquine::readFileBytes(dir / "word.bin", aquine::kSettingsFileLimit).value(), "\r\nhang " + G("行"));
        QCOMPARE(ReverseLookup(m_lookup->text(), G("行")), "hang\r\nxing\r\nhang");

        prompter.answerInput(true, QStringLiteral("   ")).answerMessage(Prompter::Button::Ok);
        window.addEntry();
        QCOMPARE(prompter.calls().last().text, QStringLiteral("编码为空,不能加入到自定义词汇中!"));
        QCOMPARE(prompter.calls().last().title, QStringLiteral("错误:"));
        QCOMPARE(prompter.calls().last().icon, Prompter::Icon::Error);
        QCOMPARE(window.list()->count(), 1);

        // Modify and delete need a selection; without one nothing is asked.
        window.modifyEntry();
        QCOMPARE(prompter.pending(), 0);
        window.list()->setCurrentRow(0);
        prompter.answerInput(true, QStringLiteral("hangye 行业"));
        window.modifyEntry();
        QCOMPARE(prompter.calls().last().initialText, QStringLiteral("hang 行"));
        QCOMPARE(aquine::readFileBytes(dir / "word.bin", aquine::kSettingsFileLimit).value(),
                 "\r\nhangye " + G("行业"));
        window.list()->setCurrentRow(0);
        window.deleteEntry();
        QCOMPARE(aquine::readFileBytes(dir / "word.bin", aquine::kSettingsFileLimit).value(), "");
        QCOMPARE(window.list()->count(), 0);
    }

    void wordWindowReportsAFailedWrite() {
        aquine::ScriptedPrompter prompter;
        WordWindow window(nullptr, *m_lookup, m_dir->filePath(QStringLiteral("missing")).toStdString(), prompter);
        prompter.answerInput(true, QStringLiteral("hang 行")).answerMessage(Prompter::Button::Ok);
        window.addEntry();
        QVERIFY(prompter.calls().last().text.startsWith(QStringLiteral("保存文件失败！")));
        QCOMPARE(window.list()->count(), 1); // the list and the lookup keep the word
        QCOMPARE(ReverseLookup(m_lookup->text(), G("行")), "hang\r\nxing\r\nhang");
    }

    // The reason is the user's language too: what failed, the file, and why, in Chinese.
    void aFailedWriteSaysWhyInChinese() {
        const QString notAFolder = m_dir->filePath(QStringLiteral("plain"));
        QVERIFY(aquine::writeFileAtomically(notAFolder.toStdString(), "x"));
        const struct {
            QString dir;
            QString cause;
        } cases[] = {{m_dir->filePath(QStringLiteral("missing")), QStringLiteral("文件或文件夹不存在")},
                     {notAFolder, QStringLiteral("路径中有一段不是文件夹")}};
        for (const auto& c : cases) {
            aquine::ScriptedPrompter prompter;
            WordWindow window(nullptr, *m_lookup, c.dir.toStdString(), prompter);
            prompter.answerInput(true, QStringLiteral("hang 行")).answerMessage(Prompter::Button::Ok);
            window.addEntry();
            QString text = prompter.calls().last().text;
            QVERIFY2(text.contains(c.cause), qPrintable(text));
            text.remove(c.dir + QStringLiteral("/word.bin"));
            QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(text));
        }
    }

    void wordWindowListsTheUserPart() {
        m_lookup->setUserText("\r\na " + G("一") + "\r\n\r\n  \r\n b " + G("二"));
        aquine::ScriptedPrompter prompter;
        WordWindow window(nullptr, *m_lookup, m_dir->path().toStdString(), prompter);
        QCOMPARE(window.list()->count(), 2);
        QCOMPARE(window.list()->item(1)->text(), QStringLiteral(" b 二"));
    }

    // Two programs, each with its window and its lookup text, on one word file: neither loses the
    // other's words, the lists follow the file, and a deleted entry is not brought back.
    void twoWordWindowsOnOneFile() {
        const std::filesystem::path dir = m_dir->path().toStdString();
        LookupText otherLookup(m_lookup->codeTable(), "");
        aquine::ScriptedPrompter prompter, otherPrompter;
        WordWindow window(nullptr, *m_lookup, dir, prompter);
        WordWindow other(nullptr, otherLookup, dir, otherPrompter);

        prompter.answerInput(true, QStringLiteral("hang 行"));
        window.addEntry();
        otherPrompter.answerInput(true, QStringLiteral("qqq 行行"));
        other.addEntry(); // its list was filled before the first add: it still keeps "hang 行"
        QCOMPARE(aquine::readFileBytes(dir / "word.bin", aquine::kSettingsFileLimit).value(),
                 "\r\nhang " + G("行") + "\r\nqqq " + G("行行"));
        QCOMPARE(other.list()->count(), 2);

        QCOMPARE(window.list()->count(), 1);
        window.refreshFromFile(); // what activating the window does
        QCOMPARE(window.list()->count(), 2);
        QCOMPARE(ReverseLookup(m_lookup->text(), G("行行")), "qqq");

        // The other program deletes "hang 行" while this window still shows it selected.
        window.list()->setCurrentRow(0);
        other.list()->setCurrentRow(0);
        other.deleteEntry();
        prompter.answerMessage(Prompter::Button::Ok);
        window.modifyEntry();
        QCOMPARE(prompter.calls().last().icon, Prompter::Icon::Error);
        QVERIFY2(prompter.calls().last().text.contains(QStringLiteral("已被另一个程序修改或删除")),
                 qPrintable(prompter.calls().last().text));
        QCOMPARE(window.list()->count(), 1);
        QCOMPARE(window.list()->item(0)->text(), QStringLiteral("qqq 行行"));
        QCOMPARE(aquine::readFileBytes(dir / "word.bin", aquine::kSettingsFileLimit).value(), "\r\nqqq " + G("行行"));

        // A modify names the entry by its text: the row it was on has moved meanwhile.
        otherPrompter.answerInput(true, QStringLiteral("a 啊"));
        other.addEntry();
        other.list()->setCurrentRow(0);
        other.deleteEntry(); // the list is now "a 啊" alone, but the window still shows "qqq 行行" at row 0
        otherPrompter.answerInput(true, QStringLiteral("qqq 行行"));
        other.addEntry();
        window.list()->setCurrentRow(0);
        prompter.answerInput(true, QStringLiteral("qq 期期"));
        window.modifyEntry();
        QCOMPARE(prompter.calls().last().initialText, QStringLiteral("qqq 行行"));
        QCOMPARE(aquine::readFileBytes(dir / "word.bin", aquine::kSettingsFileLimit).value(),
                 "\r\na " + G("啊") + "\r\nqq " + G("期期"));
        QCOMPARE(window.list()->currentItem()->text(), QStringLiteral("qq 期期"));
        const auto rows = [](const QListWidget* list) {
            QStringList out;
            for (int i = 0; i < list->count(); ++i)
                out << list->item(i)->text();
            return out;
        };
        QCOMPARE(rows(window.list()), (QStringList{"a 啊", "qq 期期"}));
        other.refreshFromFile();
        QCOMPARE(rows(other.list()), rows(window.list()));
    }

    void waylandSessionAndItsNotice() {
        QVERIFY(onWaylandSession("wayland-0", nullptr));
        QVERIFY(onWaylandSession(nullptr, "wayland"));
        QVERIFY(onWaylandSession("", "wayland"));
        QVERIFY(!onWaylandSession("", "x11"));
        QVERIFY(!onWaylandSession(nullptr, nullptr));
        QVERIFY(!onWaylandSession(nullptr, "tty"));

        WaylandNotice notice;
        notice.setAttribute(Qt::WA_DeleteOnClose, false); // it lives on this stack
        QCOMPARE(notice.windowTitle(), QStringLiteral("输入法提示"));
        QVERIFY(notice.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(!notice.isModal());
        const QString text = notice.findChild<QLabel*>(QStringLiteral("提示"))->text();
        for (const char* part : {"X11", "IBus", "输入源", "全拼 (imvara)", "ibus restart", "KDE Plasma", "ibus-setup"})
            QVERIFY2(text.contains(QString::fromUtf8(part)), part);
        notice.show();
        notice.findChild<QPushButton*>(QStringLiteral("关闭"))->click();
        QVERIFY(notice.isHidden());
    }

    void reverseWindowShowsEveryCode() {
        ReverseWindow window(nullptr, *m_lookup);
        QCOMPARE(window.windowTitle(), QStringLiteral("反查:"));
        QCOMPARE(window.height(), 128);
        window.input()->setText(QStringLiteral("行"));
        QCOMPARE(window.output()->toPlainText(), QStringLiteral("hang\nxing"));
        window.input()->clear();
        QCOMPARE(window.output()->toPlainText(), QString());

        // With the word file, a word another program saved is found by the next lookup.
        WordFile words(m_dir->path().toStdString());
        ReverseWindow checking(nullptr, *m_lookup, &words);
        QVERIFY(aquine::writeFileAtomically(words.path(), "\r\nhangye " + G("行")));
        checking.input()->setText(QStringLiteral("行"));
        QCOMPARE(checking.output()->toPlainText(), QStringLiteral("hang\nxing\nhangye"));
    }

    void versionWindow() {
        VersionWindow window(nullptr);
        QCOMPARE(window.windowTitle(), QStringLiteral("版本信息:"));
        QCOMPARE(window.height(), 128);
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("标签2"))->text(), QStringLiteral("拼音输入法"));
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("标签2"))->font().bold());
        QVERIFY(window.findChild<QPushButton*>(QStringLiteral("关闭")));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LookupText> m_lookup;
};

QTEST_MAIN(UiTest)
#include "ui_test.moc"

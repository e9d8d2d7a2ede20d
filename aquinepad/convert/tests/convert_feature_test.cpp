// The conversion commands in the notepad: the question, No leaves every byte, Yes then one Ctrl+Z
// brings the text back.
#include "aquinepad/tests/notepad_fixture.h"

#include <QTest>

using namespace aquinepad;
using namespace aquinepad::testing;
using Button = aquine::Prompter::Button;

class ConvertFeatureTest : public QObject {
    Q_OBJECT

private slots:
    void noLeavesTheDocumentByteForByte() {
        Notepad pad;
        const QString path = pad.file(QStringLiteral("简体.txt"));
        const QByteArray original = bytes(G("头发\r\n发展\n")) + QByteArray("\x81\xFF", 2);
        writeAll(path, original);
        QVERIFY(pad.window->session().OpenDocument(native(path)));
        pad.prompter.answerMessage(Button::No);
        pad.window->action(Command::ToTraditional)->trigger();
        const auto& call = pad.prompter.calls().at(0);
        QCOMPARE(call.text, QStringLiteral("确定要开始将正在编辑的文档从GBK简体转换为繁体吗？"));
        QCOMPARE(call.title, QStringLiteral("确定"));
        QCOMPARE(call.icon, aquine::Prompter::Icon::None);
        QCOMPARE(call.buttons, aquine::Prompter::Buttons::YesNo);
        QVERIFY(!pad.window->session().IsModified());
        pad.prompter.answerSaveFile(answer(pad.file(QStringLiteral("副本.txt"))));
        pad.window->action(Command::SaveAs)->trigger();
        QCOMPARE(readAll(pad.file(QStringLiteral("副本.txt"))), original);
    }

    void yesConvertsAndCtrlZBringsTheTextBack() {
        Notepad pad;
        pad.type(QStringLiteral("頭髮與發展"));
        pad.window->session().SetModified(false);
        pad.prompter.answerMessage(Button::Yes);
        pad.window->action(Command::ToSimplified)->trigger();
        QCOMPARE(pad.prompter.calls().at(0).text, QStringLiteral("确定要开始将正在编辑的文档从GBK繁体转换为简体吗？"));
        QCOMPARE(pad.text(), G("头发与发展"));
        QVERIFY(pad.window->session().IsModified());
        QCOMPARE(pad.window->session().DocumentPath(), std::string());
        QCOMPARE(pad.caption(), QStringLiteral("无标题 - Aquine记事本"));

        QTest::keyClick(pad.window->editor().viewport(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pad.text(), G("頭髮與發展"));
        QVERIFY(!pad.window->session().IsModified());
        QVERIFY(pad.failures.isEmpty());
    }
};

QTEST_MAIN(ConvertFeatureTest)
#include "convert_feature_test.moc"

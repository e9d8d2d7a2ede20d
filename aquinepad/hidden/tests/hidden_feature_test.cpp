// 隐藏文本 in the notepad: the boxes are password boxes, a right answer gives the editor back, and three
// wrong answers end the process at once with exit code 0, asking nothing and writing nothing.
#include "aquinepad/tests/notepad_fixture.h"

#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

using namespace aquinepad;
using namespace aquinepad::testing;
using Kind = aquine::ScriptedPrompter::Kind;

class HiddenFeatureTest : public QObject {
    Q_OBJECT

private slots:
    void everyBoxIsAPasswordBoxAndTheRightAnswerShowsTheEditor() {
        Notepad pad;
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));
        pad.type(QStringLiteral("别看"));
        pad.prompter.answerPassword(true, QStringLiteral("密码"))
            .answerPassword(true, QStringLiteral("密码"))
            .answerPassword(false, QStringLiteral("ignored"))
            .answerPassword(true, QStringLiteral("密码"));
        pad.window->action(Command::HiddenText)->trigger();
        QCOMPARE(pad.prompter.calls().size(), 4);
        for (const auto& call : pad.prompter.calls())
            QCOMPARE(call.kind, Kind::Password);
        QCOMPARE(pad.prompter.calls().at(3).text, QStringLiteral("请重新输入密码(2/3)："));
        QVERIFY(pad.window->editor().isVisible());
        QCOMPARE(pad.text(), G("别看"));
        QVERIFY(pad.failures.isEmpty());
    }

    void threeWrongAnswersEndTheProgramWithoutAskingOrWriting() {
        Notepad pad;
        const QString path = pad.file(QStringLiteral("文档.txt"));
        writeAll(path, bytes(G("原来的内容")));
        QVERIFY(pad.window->session().OpenDocument(native(path)));
        pad.type(QStringLiteral("没保存的修改"));
        QVERIFY(pad.window->session().IsModified());
        pad.prompter.answerPassword(true, QStringLiteral("对"))
            .answerPassword(true, QStringLiteral("对"))
            .answerPassword(true, QStringLiteral("错1"))
            .answerPassword(true, QStringLiteral("错2"))
            .answerPassword(true, QStringLiteral("错3"))
            .answerMessage(aquine::Prompter::Button::Ok);
        // Anything more (a save question) would be unscripted and fail the child with another code.
        pad.prompter.setFailureHandler([](const QString&) { std::_Exit(7); });

        std::fflush(nullptr);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            pad.window->action(Command::HiddenText)->trigger();
            std::_Exit(3); // the command came back: the program did not end
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(readAll(path), bytes(G("原来的内容")));
        QCOMPARE(QDir(pad.docs.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("文档.txt")});
    }
};

QTEST_MAIN(HiddenFeatureTest)
#include "hidden_feature_test.moc"

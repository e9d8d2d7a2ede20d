// The document's life in the real main window and editor, with scripted prompts: the unsaved-text
// prompt on close, new and open; save and save as with their dialogs, captions and status bar; failed
// opens and saves; the command-line file.
#include "aquinepad/tests/notepad_fixture.h"

#include <QCloseEvent>
#include <QTest>
#include <filesystem>
#include <fstream>

using namespace aquinepad;
using namespace aquinepad::testing;
using Button = aquine::Prompter::Button;
using Kind = aquine::ScriptedPrompter::Kind;

class DocumentSessionTest : public QObject {
    Q_OBJECT

private:
    // Sends the window's close request as the title bar would; true when the window accepted it.
    static bool requestClose(Notepad& pad) {
        QCloseEvent event;
        QCoreApplication::sendEvent(pad.window.get(), &event);
        return event.isAccepted();
    }

private slots:
    void closingACleanDocumentAsksNothing() {
        Notepad pad;
        QVERIFY(!pad.window->session().IsModified());
        QVERIFY(requestClose(pad));
        QVERIFY(pad.prompter.calls().isEmpty());
        QVERIFY(pad.failures.isEmpty());
    }

    void userKeysSetTheModifiedFlag() {
        Notepad pad;
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));
        QTest::keyClicks(&pad.window->editor(), QStringLiteral("ab"));
        QVERIFY(pad.window->session().IsModified());
        QCOMPARE(pad.text(), std::string("ab"));
        pad.window->session().SetModified(false);
        QVERIFY(!pad.window->session().IsModified());
    }

    void closeWithChangesCancelNoAndYes() {
        Notepad pad;
        pad.type(QStringLiteral("草稿"));
        pad.prompter.answerMessage(Button::Cancel);
        QVERIFY(!requestClose(pad));
        const auto& ask = pad.prompter.calls().at(0);
        QCOMPARE(ask.text, QStringLiteral("文件已经被修改，是否保存？"));
        QCOMPARE(ask.title, QStringLiteral("询问"));
        QCOMPARE(ask.icon, aquine::Prompter::Icon::Question);
        QCOMPARE(ask.buttons, aquine::Prompter::Buttons::YesNoCancel);

        // Yes on an untitled document asks for a name; cancelling that keeps the window open.
        pad.prompter.answerMessage(Button::Yes).answerSaveFile(std::nullopt);
        QVERIFY(!requestClose(pad));
        QCOMPARE(pad.prompter.calls().at(2).title, QStringLiteral("请输入欲保存到的文本文件名："));

        // Yes and a name: saved, then closed.
        pad.prompter.answerMessage(Button::Yes).answerSaveFile(answer(pad.file("草稿")));
        QVERIFY(requestClose(pad));
        QCOMPARE(readAll(pad.file("草稿.txt")), bytes(G("草稿")));

        Notepad other;
        other.type(QStringLiteral("丢弃"));
        other.prompter.answerMessage(Button::No);
        QVERIFY(requestClose(other));
        QVERIFY(other.failures.isEmpty() && pad.failures.isEmpty());
    }

    void aFailedSaveAfterYesAbandonsTheCommand() {
        // Going ahead would lose the text the user just asked to keep.
        Notepad pad;
        const QString blocked = pad.file("not-a-folder");
        writeAll(blocked, "x");
        pad.type(QStringLiteral("重要"));
        pad.prompter.answerMessage(Button::Yes).answerSaveFile(answer(blocked + "/a.txt")).answerMessage(Button::Ok);
        QVERIFY(!requestClose(pad));
        // The notepad's own words, then which file and why.
        QCOMPARE(pad.promptTexts().at(2).section(QLatin1Char('\n'), 0, 0), QStringLiteral("保存文件失败！"));
        QVERIFY(pad.promptTexts().at(2).contains(blocked + "/a.txt：路径中有一段不是文件夹"));
        QCOMPARE(pad.prompter.calls().at(2).title, QStringLiteral("错误"));
        QCOMPARE(pad.prompter.calls().at(2).icon, aquine::Prompter::Icon::Error);

        pad.prompter.answerMessage(Button::Yes).answerSaveFile(answer(blocked + "/a.txt")).answerMessage(Button::Ok);
        pad.window->action(Command::New)->trigger();
        QCOMPARE(pad.text(), G("重要"));
        QVERIFY(pad.window->session().IsModified());
        QVERIFY(pad.failures.isEmpty());
    }

    void saveOnUntitledAsksAndAddsTxt() {
        Notepad pad;
        pad.type(QStringLiteral("第一行\r\n第二行"));
        pad.prompter.answerSaveFile(answer(pad.file("笔记")));
        pad.window->action(Command::Save)->trigger();
        const auto& dialog = pad.prompter.calls().at(0);
        QCOMPARE(dialog.kind, Kind::SaveFile);
        QCOMPARE(dialog.title, QStringLiteral("请输入欲保存到的文本文件名："));
        QCOMPARE(dialog.file.defaultSuffix, QStringLiteral("txt"));
        QVERIFY(dialog.file.filter.startsWith(QStringLiteral("文本文档(.txt)|*.txt|网页文件(")));
        const QString saved = pad.file("笔记.txt");
        QCOMPARE(readAll(saved), bytes(G("第一行\r\n第二行")));
        QCOMPARE(pad.caption(), saved + QStringLiteral(" - Aquine记事本"));
        QCOMPARE(pad.statusPath(), QStringLiteral("路径：新建文档"));
        QVERIFY(!pad.window->session().IsModified());

        // Titled now: the next save writes without a dialog.
        pad.type(QStringLiteral("！"));
        pad.window->action(Command::Save)->trigger();
        QCOMPARE(pad.prompter.calls().size(), 1);
        QCOMPARE(readAll(saved), bytes(G("第一行\r\n第二行！")));
        QVERIFY(pad.failures.isEmpty());
    }

    void openThenSaveCaptionsAndStatus() {
        Notepad pad;
        const QString path = pad.file("已有.txt");
        writeAll(path, bytes(G("旧文本")));
        pad.prompter.answerOpenFile(answer(path));
        pad.window->action(Command::Open)->trigger();
        QCOMPARE(pad.prompter.calls().at(0).title, QStringLiteral("请选择欲打开的文本文件名："));
        QCOMPARE(pad.caption(), path + QStringLiteral("-记事本"));
        QCOMPARE(pad.statusPath(), QStringLiteral("路径：") + path);
        QCOMPARE(pad.text(), G("旧文本"));
        QVERIFY(!pad.window->session().IsModified());
        QCOMPARE(pad.window->session().DocumentPath(), native(path));

        pad.window->action(Command::Save)->trigger();
        QCOMPARE(pad.caption(), path + QStringLiteral(" - Aquine记事本"));
        QCOMPARE(pad.prompter.calls().size(), 1);

        // Opening with unsaved changes asks first; Cancel leaves everything as it was.
        pad.type(QStringLiteral("新"));
        pad.prompter.answerMessage(Button::Cancel);
        pad.window->action(Command::Open)->trigger();
        QCOMPARE(pad.prompter.calls().size(), 2);
        QCOMPARE(pad.text(), G("新旧文本"));
        QVERIFY(pad.failures.isEmpty());
    }

    void aFailedOpenLeavesAnEmptyUntitledDocument() {
        Notepad pad;
        pad.type(QStringLiteral("之前"));
        pad.window->session().SetModified(false);
        pad.prompter.answerOpenFile(answer(pad.file("不存在.txt"))).answerMessage(Button::Ok);
        pad.window->action(Command::Open)->trigger();
        QCOMPARE(pad.promptTexts().at(1).section(QLatin1Char('\n'), 0, 0), QStringLiteral("打开文件失败！"));
        QVERIFY(pad.promptTexts().at(1).contains(pad.file("不存在.txt") + "：文件或文件夹不存在"));
        QCOMPARE(pad.prompter.calls().at(1).title, QStringLiteral("错误"));
        QCOMPARE(pad.caption(), QStringLiteral("未命名 - Aquine记事本"));
        QCOMPARE(pad.statusPath(), QStringLiteral("路径：新建文档"));
        QCOMPARE(pad.text(), std::string());
        QVERIFY(pad.window->session().DocumentPath().empty());
        QVERIFY(!pad.window->session().IsModified());

        // A folder is not a document either.
        pad.prompter.answerOpenFile(answer(pad.docs.path())).answerMessage(Button::Ok);
        pad.window->action(Command::Open)->trigger();
        QCOMPARE(pad.promptTexts().at(3).section(QLatin1Char('\n'), 0, 0), QStringLiteral("打开文件失败！"));

        pad.window->action(Command::New)->trigger();
        QCOMPARE(pad.caption(), QStringLiteral("无标题 - Aquine记事本"));
        QVERIFY(pad.failures.isEmpty());
    }

    void saveAsToAnUnwritablePlaceKeepsTheDocumentWhereItWas() {
        Notepad pad;
        const QString path = pad.file("原来.txt");
        writeAll(path, "abc");
        QVERIFY(pad.window->session().OpenDocument(native(path)));
        pad.window->action(Command::SaveAs)->trigger(); // nothing scripted yet: expect the dialog
        QCOMPARE(pad.failures.size(), 1);
        pad.failures.clear();

        const QString blocked = pad.file("file-not-folder");
        writeAll(blocked, "x");
        pad.prompter.answerSaveFile(answer(blocked + "/新.txt")).answerMessage(Button::Ok);
        pad.window->action(Command::SaveAs)->trigger();
        QCOMPARE(pad.prompter.calls().at(1).title, QStringLiteral("请输入欲另存到的文本文件名："));
        QCOMPARE(pad.promptTexts().at(2).section(QLatin1Char('\n'), 0, 0), QStringLiteral("保存文件失败！"));
        QCOMPARE(pad.caption(), path + QStringLiteral("-记事本"));
        QCOMPARE(pad.window->session().DocumentPath(), native(path));
        QCOMPARE(pad.statusPath(), QStringLiteral("路径：新建文档")); // nothing was saved there
        QCOMPARE(readAll(path), QByteArray("abc"));

        pad.prompter.answerSaveFile(answer(pad.file("副本")));
        pad.window->action(Command::SaveAs)->trigger();
        QCOMPARE(readAll(pad.file("副本.txt")), QByteArray("abc"));
        QCOMPARE(pad.caption(), pad.file("副本.txt") + QStringLiteral(" - Aquine记事本"));
        QCOMPARE(pad.statusPath(), QStringLiteral("路径：") + pad.file("副本.txt"));
        QVERIFY(pad.failures.isEmpty());
    }

    void commandLineFileStaysUntitled() {
        Notepad pad;
        const QString path = pad.file("参数.txt");
        writeAll(path, bytes(G("命令行\r\n")));
        pad.window->startUp(native(path));
        QCOMPARE(pad.caption(), QStringLiteral("无标题 - Aquine记事本"));
        QCOMPARE(pad.statusPath(), QStringLiteral("路径：新建文档"));
        QCOMPARE(pad.text(), G("命令行\r\n"));
        QVERIFY(!pad.window->session().IsModified());

        // Saving asks for a name, starting at the file the text came from.
        pad.prompter.answerSaveFile(std::nullopt);
        pad.window->action(Command::Save)->trigger();
        QCOMPARE(pad.prompter.calls().at(0).title, QStringLiteral("请输入欲保存到的文本文件名："));
        QCOMPARE(pad.prompter.calls().at(0).file.initialName, path);

        // A file that cannot be read says so, as from the open dialog; the document stays untitled.
        Notepad missing;
        missing.prompter.answerMessage(Button::Ok);
        missing.window->startUp(missing.nativePath("没有.txt"));
        QCOMPARE(missing.text(), std::string());
        QCOMPARE(missing.promptTexts(), QStringList{QStringLiteral("打开文件失败！\n无法读取 ") +
                                                    missing.file("没有.txt") + "：文件或文件夹不存在"});
        QCOMPARE(missing.caption(), QStringLiteral("无标题 - Aquine记事本"));
        QVERIFY(pad.failures.isEmpty() && missing.failures.isEmpty());
    }

    void namesThatAreNotUtf8KeepTheirBytesAndReadWell() {
        // A GBK name from a Windows archive and a Latin-1 one: neither is UTF-8.
        Notepad pad;
        const std::string folder = native(pad.docs.path());
        const std::string gbkName = folder + "/\xD6\xD0\xCE\xC4.txt";
        const std::string latin1Name = folder + "/caf\xE9.txt";
        std::ofstream(gbkName, std::ios::binary) << G("甲");
        std::ofstream(latin1Name, std::ios::binary) << "abc";
        const auto names = [&] {
            QStringList out;
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                out << QString::fromLatin1(QByteArray::fromStdString(entry.path().filename().native()).toHex());
            out.sort();
            return out;
        };
        const QStringList before = names();

        // From the command line; the save dialog starts at that file, shown as people read it, and the
        // dialog gives the file's own bytes back when the user keeps the name.
        pad.window->startUp(gbkName);
        QCOMPARE(pad.text(), G("甲"));
        pad.type(QStringLiteral("乙"));
        const std::string typed = pad.text();
        QCOMPARE(typed.size(), std::size_t(4));
        const QString shownGbk = pad.file(QStringLiteral("中文.txt"));
        pad.prompter.answerSaveFile(aquine::Prompter::FileAnswer{shownGbk, 0, gbkName});
        pad.window->action(Command::Save)->trigger();
        QCOMPARE(pad.prompter.calls().at(0).file.initialName, shownGbk);
        std::ifstream in(gbkName, std::ios::binary);
        QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), typed);
        QCOMPARE(pad.caption(), shownGbk + QStringLiteral(" - Aquine记事本"));
        QCOMPARE(pad.window->session().DocumentPath(), gbkName);

        // From the open dialog; Ctrl+S then writes the same file again.
        const QString shownLatin1 = pad.file(QStringLiteral("caf\uFFFD.txt"));
        pad.prompter.answerOpenFile(aquine::Prompter::FileAnswer{shownLatin1, 0, latin1Name});
        pad.window->action(Command::Open)->trigger();
        QCOMPARE(pad.text(), std::string("abc"));
        QCOMPARE(pad.caption(), shownLatin1 + QStringLiteral("-记事本"));
        QCOMPARE(pad.statusPath(), QStringLiteral("路径：") + shownLatin1);
        pad.type(QStringLiteral("d"));
        const std::string edited = pad.text();
        QCOMPARE(edited.size(), std::size_t(4));
        pad.window->action(Command::Save)->trigger();
        std::ifstream again(latin1Name, std::ios::binary);
        QCOMPARE(std::string(std::istreambuf_iterator<char>(again), {}), edited);
        QCOMPARE(names(), before); // no new file, no name changed
        QVERIFY(pad.failures.isEmpty());

        // A failure names the file readably too.
        std::filesystem::remove(latin1Name);
        pad.prompter.answerOpenFile(aquine::Prompter::FileAnswer{shownLatin1, 0, latin1Name}).answerMessage(Button::Ok);
        pad.window->action(Command::Open)->trigger();
        QCOMPARE(pad.promptTexts().last(), "打开文件失败！\n无法读取 " + shownLatin1 + "：文件或文件夹不存在");
        std::filesystem::remove(gbkName); // QTemporaryDir cannot see it to remove it
    }

    void exitAsksOnceAndCloses() {
        Notepad pad;
        pad.window->show();
        pad.type(QStringLiteral("x"));
        pad.prompter.answerMessage(Button::Cancel);
        pad.window->action(Command::Exit)->trigger();
        QVERIFY(pad.window->isVisible());
        pad.prompter.answerMessage(Button::No);
        pad.window->action(Command::Exit)->trigger();
        QVERIFY(!pad.window->isVisible());
        QCOMPARE(pad.prompter.calls().size(), 2);
        QVERIFY(pad.failures.isEmpty());
    }
};

QTEST_MAIN(DocumentSessionTest)
#include "document_session_test.moc"

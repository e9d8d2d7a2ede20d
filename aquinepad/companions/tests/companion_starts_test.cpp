// 快速截图 starts the screenshot tool from the notepad's own folder as a process of its own. Stand-in
// programs note each start, what they were given and what they inherited; a missing one shows nothing.
#include "aquinepad/tests/notepad_fixture.h"

#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

// A folder name that a shell, or a path pasted into a command line, would split or expand.
const QString kAwkwardFolder = QStringLiteral("截图 程序 \"q\" it's $HOME `id` \\");

void writeProgram(const QString& path, const QByteArray& script) {
    writeAll(path, script);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Notes its arguments, its process and the path it was started by, one line per start.
const QByteArray kCountingTool = "#!/bin/sh\n"
                                 "echo \"$# $$ $0\" >> \"${0%/*}/starts\"\n";

// What the tool inherited, read with shell built-ins only, before the shell starts anything.
const QByteArray kInspectingTool = "#!/bin/sh\n"
                                   "dir=${0%/*}\n"
                                   "{\n"
                                   "  while read -r line; do\n"
                                   "    case $line in SigBlk*|SigIgn*) echo \"$line\";; esac\n"
                                   "  done < /proc/$$/status\n"
                                   "  read -r stat < /proc/$$/stat; set -- $stat; echo \"session $6\"\n"
                                   "  if [ -e /proc/$$/fd/77 ]; then echo 'fd77 open'; else echo 'fd77 closed'; fi\n"
                                   "} > \"$dir/report.new\"\n"
                                   "mv \"$dir/report.new\" \"$dir/report\"\n";

bool noChildLeft() {
    int status = 0;
    return waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

} // namespace

class CompanionStartsTest : public QObject {
    Q_OBJECT

private slots:
    void eachQuickScreenshotStartsOneMoreToolFromTheProgramFolder() {
        Notepad pad(kAwkwardFolder);
        QVERIFY(pad.programDir.isValid());
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));
        const QString tool = pad.programDir.filePath(QStringLiteral("shotvara"));
        writeProgram(tool, kCountingTool);
        const QString starts = pad.programDir.filePath(QStringLiteral("starts"));

        pad.window->action(Command::QuickScreenshot)->trigger();
        pad.window->action(Command::QuickScreenshot)->trigger();

        QTRY_COMPARE(readAll(starts).count('\n'), 2);
        const QList<QByteArray> lines = readAll(starts).trimmed().split('\n');
        const QByteArray argumentsAndPath = " " + tool.toUtf8();
        QList<QByteArray> pids;
        for (const QByteArray& line : lines) {
            QVERIFY2(line.startsWith("0 "), line.constData()); // no arguments
            QVERIFY2(line.endsWith(argumentsAndPath), line.constData());
            pids << line.split(' ').at(1);
        }
        QVERIFY(pids.at(0) != pids.at(1));
        QVERIFY(noChildLeft());
        QVERIFY(pad.window->isVisible());
        QVERIFY(!pad.window->isMinimized());
        QVERIFY(pad.prompter.calls().isEmpty());
        QVERIFY(pad.failures.isEmpty());
    }

    void aMissingOrUnstartableToolShowsNothing() {
        Notepad pad;
        pad.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(pad.window.get()));
        const QString tool = pad.programDir.filePath(QStringLiteral("shotvara"));
        const QString caption = pad.caption();

        pad.window->action(Command::QuickScreenshot)->trigger(); // absent
        writeAll(tool, kCountingTool);                           // not executable
        pad.window->action(Command::QuickScreenshot)->trigger();
        QFile::remove(tool);
        QVERIFY(QDir().mkdir(tool)); // a folder of that name
        pad.window->action(Command::QuickScreenshot)->trigger();

        QVERIFY(noChildLeft());
        QVERIFY(!QFile::exists(pad.programDir.filePath(QStringLiteral("starts"))));
        QVERIFY(pad.prompter.calls().isEmpty());
        QVERIFY(pad.failures.isEmpty());
        QVERIFY(pad.window->isVisible());
        QCOMPARE(pad.caption(), caption);
    }

    // The notepad's open files, blocked or ignored signals and session are its own business; the
    // companion starts clean, and is not left behind as the notepad's zombie.
    void theToolInheritsNothingOfTheNotepadsState() {
        Notepad pad;
        writeProgram(pad.programDir.filePath(QStringLiteral("shotvara")), kInspectingTool);
        const int leaked = open("/dev/null", O_RDONLY);
        QVERIFY(leaked >= 0);
        QCOMPARE(dup2(leaked, 77), 77); // without close-on-exec, like a descriptor a library forgot
        sigset_t blocked, previousMask;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGUSR2);
        pthread_sigmask(SIG_BLOCK, &blocked, &previousMask);
        const auto previousHangUp = signal(SIGHUP, SIG_IGN);

        pad.window->action(Command::QuickScreenshot)->trigger();

        signal(SIGHUP, previousHangUp);
        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
        close(77);
        close(leaked);
        QVERIFY(noChildLeft());

        const QString report = pad.programDir.filePath(QStringLiteral("report"));
        QTRY_VERIFY(QFile::exists(report));
        const QList<QByteArray> lines = readAll(report).split('\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(0), QByteArray("SigBlk:\t0000000000000000"));
        QCOMPARE(lines.at(1), QByteArray("SigIgn:\t0000000000000000"));
        QVERIFY(lines.at(2).startsWith("session "));
        QVERIFY(lines.at(2).mid(8).toLongLong() != getsid(0));
        QCOMPARE(lines.at(3), QByteArray("fd77 closed"));
    }
};

QTEST_MAIN(CompanionStartsTest)
#include "companion_starts_test.moc"

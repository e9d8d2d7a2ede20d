// The update check and download against the real server program on loopback, each test with a root
// folder of its own: what each server reply makes the notepad say, and every way a download ends.
#include "aquinepad/update/tests/signed_package.h"
#include "aquinepad/update/tests/update_server.h"
#include "aquinepad/update/tests/update_steps.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <optional>

using namespace aquinepad;
using namespace aquinepad::testing;
using Prompter = aquine::Prompter;
using Button = Prompter::Button;

namespace {

// The shared update server, with its package signed by the build as the maker signs a release.
struct SignedUpdateServer : UpdateServer {
    explicit SignedUpdateServer(const QByteArray& version, const QByteArray& package = QByteArray("PK\x03\x04 zip", 8),
                                const QByteArray& address = "{server}/package.zip")
        : UpdateServer(version, package, address) {
        publishPackage(root, QStringLiteral("package.zip"), package);
    }
};

QByteArray randomBytes(qsizetype size) {
    QByteArray out(size, Qt::Uninitialized);
    QRandomGenerator generator(12);
    generator.fillRange(reinterpret_cast<quint32*>(out.data()), size / 4);
    return out;
}

} // namespace

class UpdateFlowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { qunsetenv("AQUINE_SERVER"); }

    void ownVersionSaysNothingAnyOtherTextOffersTheUpdate() {
        {
            SignedUpdateServer server("v1.0");
            ServerUpdateChecker checker;
            Notepad pad(&checker);
            checkAndWait(checker, pad, CheckOccasion::Startup);
            checkAndWait(checker, pad, CheckOccasion::Menu);
            QCOMPARE(pad.prompter.calls().size(), 0);
        }
        for (const QByteArray& version : {QByteArray("v1.0\r\n"), QByteArray("v1.1")}) {
            SignedUpdateServer server(version);
            ServerUpdateChecker checker;
            Notepad pad(&checker);
            QSignalSpy opened(&checker, &ServerUpdateChecker::downloadWindowOpened);
            pad.prompter.answerMessage(Button::No).answerMessage(Button::No);
            QElapsedTimer clock;
            clock.start();
            checkAndWait(checker, pad, CheckOccasion::Startup);
            QVERIFY(clock.elapsed() >= 500);
            clock.restart();
            checkAndWait(checker, pad, CheckOccasion::Menu);
            QVERIFY(clock.elapsed() >= 1000);
            QCOMPARE(pad.prompter.calls().size(), 2);
            for (const auto& call : pad.prompter.calls()) {
                QCOMPARE(call.text, QStringLiteral("程序已有更新，最新版本：") + QString::fromLatin1(version) +
                                        QStringLiteral("。 是否立即升级？"));
                QCOMPARE(call.title, QStringLiteral("程序已有更新"));
                QCOMPARE(call.icon, Prompter::Icon::None);
                QCOMPARE(call.buttons, Prompter::Buttons::YesNo);
            }
            QCOMPARE(opened.size(), 0); // "否" leaves the program as it was
            QVERIFY(pad.failures.isEmpty());
        }
    }

    void noServerOrAMissingFileSaysNetworkFailureOnce() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        qputenv("AQUINE_SERVER", "http://127.0.0.1:" + QByteArray::number(port));
        ServerUpdateChecker checker;
        Notepad pad(&checker);
        pad.prompter.answerMessage(Button::Ok);
        checkAndWait(checker, pad, CheckOccasion::Startup);
        QCOMPARE(pad.promptTexts(), QStringList{QStringLiteral("网络连接失败！")});
        QCOMPARE(pad.prompter.calls().at(0).title, QStringLiteral("错误"));
        QCOMPARE(pad.prompter.calls().at(0).icon, Prompter::Icon::Error);

        SignedUpdateServer server(""); // an empty version file
        pad.prompter.answerMessage(Button::Ok);
        checkAndWait(checker, pad, CheckOccasion::Menu);
        QFile::remove(server.root + QStringLiteral("/new_anotepad.txt")); // a 404 page is no version either
        pad.prompter.answerMessage(Button::Ok);
        checkAndWait(checker, pad, CheckOccasion::Menu);
        QCOMPARE(pad.prompter.calls().size(), 3);
        QCOMPARE(pad.prompter.calls().at(2).text, QStringLiteral("网络连接失败！"));
        QVERIFY(pad.failures.isEmpty());
    }

    void wholeDownloadIntoAChosenFileThenTheProgramEnds() {
        const QByteArray package = randomBytes(24 * 1024 * 1024);
        SignedUpdateServer server("v1.1", package);
        ServerUpdateChecker checker;
        Notepad pad(&checker);
        pad.window->show();
        QSignalSpy opened(&checker, &ServerUpdateChecker::downloadWindowOpened);
        pad.prompter.answerMessage(Button::Yes);
        checkAndWait(checker, pad, CheckOccasion::Startup);
        QCOMPARE(opened.size(), 1);
        auto* window = opened.at(0).at(0).value<DownloadWindow*>();
        QCOMPARE(window->windowTitle(), QStringLiteral("下载更新"));
        QVERIFY(window->isModal());
        QCOMPARE(window->size(), QSize(264, 128));
        auto* links = control<QPushButton>(window, "按钮1");
        auto* download = control<CaptionButton>(window, "按钮2");
        auto* overlay = control<QLabel>(window, "透明标签1");
        auto* notes = control<QLabel>(window, "标签2");
        auto* link = control<QLabel>(window, "超级链接框1");
        QCOMPARE(links->text(), QStringLiteral("点此获取下载链接"));
        QCOMPARE(links->geometry(), QRect(0, 0, 264, 128));
        QCOMPARE(control<QLabel>(window, "标签1")->text(), QStringLiteral("新版修正/添加："));
        QVERIFY(!download->isVisible() && !overlay->isVisible() && !link->isVisible());

        QSignalSpy ended(window, &DownloadWindow::stepEnded);
        links->click();
        QCOMPARE(links->text(), QStringLiteral("请稍后..."));
        QVERIFY(overlay->isVisible());
        QVERIFY(ended.wait(kUpdateWait));
        QVERIFY(!links->isVisible() && !overlay->isVisible());
        QVERIFY(download->isVisible());
        QCOMPARE(download->text(), QStringLiteral("点击此处开始下载最新版本安装包"));

        // Qt reports progress at most every few hundred ms, so on loopback the first report may be the
        // last; whichever it is, the button must show it in bytes and percent.
        QSignalSpy progress(window, &DownloadWindow::downloadProgressed);
        QString firstProgress;
        connect(window, &DownloadWindow::downloadProgressed, window, [&] {
            if (firstProgress.isEmpty())
                firstProgress = download->progressLine();
        });
        const QString chosen = pad.file(QStringLiteral("新版本.zip"));
        pad.prompter.answerSaveFile(answer(chosen)).answerMessage(Button::Ok);
        download->click();
        QCOMPARE(window->size(), QSize(609, 128));
        QCOMPARE(notes->text(), QString::fromUtf8("1. 修正了保存的问题\r\n2. 新增分享"));
        QCOMPARE(download->text(), QStringLiteral("正在下载，请稍后...默认下载超时30秒，下载完成前请勿关闭程序！"));
        QVERIFY(overlay->isVisible());
        QVERIFY(download->progressLine().startsWith(QStringLiteral("已下载")));
        artefact(window->grab().toImage(), QStringLiteral("update-downloading.png"));
        QVERIFY(ended.wait(kUpdateWait));
        QVERIFY(progress.size() >= 1);
        QVERIFY2(firstProgress.contains(QStringLiteral("MB（")) && firstProgress.endsWith(QStringLiteral("%）")),
                 qPrintable(firstProgress));

        QCOMPARE(readAll(chosen), package);
        const auto& save = pad.prompter.calls().at(1);
        QCOMPARE(save.kind, aquine::ScriptedPrompter::Kind::SaveFile);
        QCOMPARE(save.title, QStringLiteral("下载完成，请选择写出目录！"));
        QCOMPARE(save.file.filter, QStringLiteral("zip压缩包文件或可执行文件(*.zip;*.exe)|*.zip;*.exe"));
        QCOMPARE(save.file.initialName, pad.programDir.path() + QStringLiteral("/更新包.zip"));
        QCOMPARE(pad.prompter.calls().at(2).text,
                 QStringLiteral("完成！请到") + pad.programDir.path() + QStringLiteral("打开文件，请不要关闭本程序"));
        QCOMPARE(pad.prompter.calls().at(2).title, QStringLiteral("完成"));
        // A clean document: the program ends through the main window's own close, with nothing to ask.
        QVERIFY(!pad.window->isVisible());
        QCOMPARE(pad.prompter.calls().size(), 3);
        QVERIFY(pad.failures.isEmpty());
    }

    // What ./run.sh serves: the build's own package, signed by the build, passes the notepad's checks.
    void bundledPackageFromTheBuildsServerFolder() {
        aquine::test::ServerProcess server(AQUINE_BUNDLED_WWW);
        qputenv("AQUINE_SERVER", QByteArray::fromStdString(server.address()));
        ServerUpdateChecker checker;
        Notepad pad(&checker);
        pad.window->show();
        auto* window = startDownload(checker, pad);
        QVERIFY(window);
        const QString chosen = pad.file(QStringLiteral("更新包.zip"));
        pad.prompter.answerSaveFile(answer(chosen)).answerMessage(Button::Ok);
        QVERIFY(downloadEnds(*window));
        QVERIFY2(pad.prompter.calls().last().text.startsWith(QStringLiteral("完成！")),
                 qPrintable(pad.prompter.calls().last().text));
        QCOMPARE(readAll(chosen), readAll(QStringLiteral(AQUINE_BUNDLED_WWW "/aquine-update.zip")));
    }

    void unsavedTextIsAskedForBeforeTheProgramEnds() {
        SignedUpdateServer server("v1.1");
        ServerUpdateChecker checker;
        Notepad pad(&checker);
        pad.window->show();
        pad.type(QStringLiteral("还没保存的字"));
        auto* window = startDownload(checker, pad);
        QVERIFY(window);
        pad.prompter.answerSaveFile(answer(pad.file(QStringLiteral("包.zip"))))
            .answerMessage(Button::Ok)      // 完成
            .answerMessage(Button::Cancel); // 文件已经被修改，是否保存？
        QVERIFY(downloadEnds(*window));
        QCOMPARE(pad.promptTexts().last(), QStringLiteral("文件已经被修改，是否保存？"));
        QVERIFY(pad.window->isVisible());
        QCOMPARE(pad.text(), G("还没保存的字"));
        QVERIFY(pad.failures.isEmpty());
    }

    void cancellingTheDialogWritesIntoTheProgramFolderAfterTheWarning() {
        const QByteArray package = randomBytes(64 * 1024);
        SignedUpdateServer server("v1.1", package);
        ServerUpdateChecker checker;
        Notepad pad(&checker);
        pad.window->show();
        auto* window = startDownload(checker, pad);
        QVERIFY(window);
        pad.prompter.answerSaveFile(std::nullopt).answerMessage(Button::Ok).answerMessage(Button::Ok);
        QVERIFY(downloadEnds(*window));
        const auto& calls = pad.prompter.calls();
        QCOMPARE(calls.size(), 4);
        QCOMPARE(calls.at(2).text,
                 QStringLiteral("您并未选择要保存的文件文件名！将保存在本程序的安装目录：") + pad.programDir.path());
        QCOMPARE(calls.at(2).title, QStringLiteral("错误"));
        QCOMPARE(calls.at(2).icon, Prompter::Icon::Warning);
        QVERIFY(calls.at(3).text.startsWith(QStringLiteral("完成！请到")));
        QCOMPARE(readAll(pad.programDir.filePath(QStringLiteral("更新包.zip"))), package);
        // The program goes on, the window stays with its link and its overlay.
        QVERIFY(pad.window->isVisible());
        QVERIFY(window->isVisible());
        QVERIFY(control<QLabel>(window, "超级链接框1")->isVisible());
        QVERIFY(control<QLabel>(window, "透明标签1")->isVisible());
        QVERIFY(pad.failures.isEmpty());
    }

    void failedDownloadsAndWritesAreReportedAndWriteNothing() {
        struct Case {
            QByteArray package;
            QByteArray address;
            QString reason;
            bool packageRemoved = false; // its manifest and signature stay
        };
        const QList<Case> cases{
            {QByteArray(), "{server}/package.zip", QStringLiteral("服务器返回的安装包是空的")},
            {QByteArray("x"), "{server}/missing.zip",
             QStringLiteral("无法取得安装包的校验文件（服务器回答 HTTP 404）")},
            {QByteArray("x"), "{server}/package.zip", QStringLiteral("服务器回答 HTTP 404"), true},
            {QByteArray("x"), "", QStringLiteral("下载地址无效")},
        };
        for (const Case& c : cases) {
            SignedUpdateServer server("v1.1", c.package, c.address);
            if (c.packageRemoved)
                QFile::remove(server.root + QStringLiteral("/package.zip"));
            ServerUpdateChecker checker;
            Notepad pad(&checker);
            pad.window->show();
            auto* window = startDownload(checker, pad);
            QVERIFY(window);
            pad.prompter.answerMessage(Button::Ok);
            QVERIFY(downloadEnds(*window));
            const auto& failure = pad.prompter.calls().last();
            QVERIFY2(failure.text.startsWith(QStringLiteral("下载失败：") + c.reason), qPrintable(failure.text));
            QCOMPARE(failure.icon, Prompter::Icon::Error);
            QCOMPARE(pad.prompter.calls().size(), 2); // no save dialog, no "完成"
            QVERIFY(QDir(pad.programDir.path()).entryList(QDir::Files).filter(QStringLiteral(".zip")).isEmpty());
            // Ready for another try.
            QCOMPARE(control<QPushButton>(window, "按钮2")->text(), QStringLiteral("点击此处开始下载最新版本安装包"));
            QVERIFY(!control<QLabel>(window, "透明标签1")->isVisible());
            QVERIFY(pad.failures.isEmpty());
        }

        SignedUpdateServer server("v1.1");
        ServerUpdateChecker checker;
        Notepad pad(&checker);
        pad.window->show();
        auto* window = startDownload(checker, pad);
        QVERIFY(window);
        const QString nowhere = pad.file(QStringLiteral("没有的目录/包.zip"));
        pad.prompter.answerSaveFile(answer(nowhere)).answerMessage(Button::Ok);
        QVERIFY(downloadEnds(*window));
        QCOMPARE(pad.prompter.calls().size(), 3);
        QVERIFY(pad.prompter.calls().last().text.startsWith(QStringLiteral("写出更新包失败：") + nowhere));
        QCOMPARE(pad.prompter.calls().last().icon, Prompter::Icon::Error);
        QVERIFY(!QFile::exists(nowhere));
        QVERIFY(!control<QLabel>(window, "超级链接框1")->isVisible());
        QVERIFY(pad.window->isVisible()); // nothing was written, so nothing ends
        QVERIFY(pad.failures.isEmpty());
    }
};

QTEST_MAIN(UpdateFlowTest)
#include "update_flow_test.moc"

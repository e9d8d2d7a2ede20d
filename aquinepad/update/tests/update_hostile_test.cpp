// The update against a loopback server of the test's own that answers what no honest server would: a
// huge version file, packages too large, dripping or silent, forged or changed, redirects elsewhere.
// Each must end soon, say why in the notepad's words, and write nothing.
#include "aquinepad/update/tests/signed_package.h"
#include "aquinepad/update/tests/update_steps.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <httplib.h>
#include <map>
#include <mutex>
#include <sys/resource.h>
#include <thread>

using namespace aquinepad;
using namespace aquinepad::testing;
using namespace std::chrono_literals;
using Prompter = aquine::Prompter;
using Button = Prompter::Button;

namespace {

// An HTTP server on 127.0.0.1 (ephemeral port) whose answers each test sets, path by path; it counts
// the requests and the body bytes it got out.
class HostileServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    HostileServer() {
        m_server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            Handler handler;
            {
                std::lock_guard lock(m_mutex);
                ++m_requests[request.path];
                if (const auto found = m_routes.find(request.path); found != m_routes.end())
                    handler = found->second;
            }
            if (handler)
                handler(request, response);
            else
                response.status = 404;
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(1ms);
    }
    ~HostileServer() {
        m_stopping = true;
        m_server.stop();
        m_thread.join();
    }

    QByteArray base() const { return "http://127.0.0.1:" + QByteArray::number(m_port); }
    void route(const std::string& path, Handler handler) {
        std::lock_guard lock(m_mutex);
        m_routes[path] = std::move(handler);
    }
    void file(const std::string& path, const QByteArray& bytes) {
        route(path, [bytes](const httplib::Request&, httplib::Response& response) {
            response.set_content(bytes.toStdString(), "application/octet-stream");
        });
    }
    int requests(const std::string& path) {
        std::lock_guard lock(m_mutex);
        return m_requests[path];
    }
    // The announced length (or chunked without one), then `piece` every `pause` until the client goes.
    void stream(const std::string& path, std::optional<std::size_t> length, std::string piece,
                std::chrono::milliseconds pause = 0ms) {
        route(path, [this, length, piece, pause](const httplib::Request&, httplib::Response& response) {
            const auto provide = [this, piece, pause](std::size_t, httplib::DataSink& sink) {
                if (m_stopping)
                    return false;
                std::this_thread::sleep_for(pause);
                m_sent += piece.size();
                return sink.write(piece.data(), piece.size());
            };
            if (length)
                response.set_content_provider(*length, "application/octet-stream",
                                              [provide](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                                  return provide(offset, sink);
                                              });
            else
                response.set_chunked_content_provider("application/octet-stream", provide);
        });
    }
    // Headers, then nothing at all until the test ends.
    void silence(const std::string& path, std::size_t length) {
        route(path, [this, length](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(length, "application/octet-stream",
                                          [this](std::size_t, std::size_t, httplib::DataSink&) {
                                              while (!m_stopping)
                                                  std::this_thread::sleep_for(20ms);
                                              return false;
                                          });
        });
    }
    std::uint64_t sent() const { return m_sent; }

    // The three update files, a package at /server/package.zip signed by the build, and AQUINE_SERVER.
    void publish(const QByteArray& package) {
        file("/server/new_anotepad.txt", "v1.1");
        file("/server/url_notepad.txt", base() + "/server/package.zip");
        file("/server/anotepad_jian.txt", "1. fixes");
        publishPackage(package, signedManifest(package, QStringLiteral("package.zip")));
        qputenv("AQUINE_SERVER", base());
    }
    void publishPackage(const QByteArray& package, const SignedManifest& manifest) {
        file("/server/package.zip", package);
        file("/server/package.zip.manifest", manifest.manifest);
        file("/server/package.zip.manifest.sig", manifest.signature);
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::mutex m_mutex;
    std::map<std::string, Handler> m_routes;
    std::map<std::string, int> m_requests;
    std::atomic<bool> m_stopping{false};
    std::atomic<std::uint64_t> m_sent{0};
};

const QByteArray kPackage = QByteArray("PK\x03\x04", 4) + QByteArray(996, 'z');

PackageManifest manifestClaiming(std::uint64_t size) { return {"package.zip", size, {}}; }

} // namespace

class UpdateHostileTest : public QObject {
    Q_OBJECT

    std::optional<HostileServer> server;
    // Short enough for a quick test, long enough that loopback never trips them by accident.
    UpdateTimeouts timeouts{.textIdle = 5s,
                            .textWhole = 10s,
                            .packageIdle = 1s,
                            .packageBase = 1500ms,
                            .packageRate = 0,
                            .packageLongest = 1500ms};

    // Starts the download from the test's server; the failure message is answered and returned.
    QString downloadFails(const char* what) {
        ServerUpdateChecker checker(timeouts);
        Notepad pad(&checker);
        pad.window->show();
        DownloadWindow* window = startDownload(checker, pad);
        if (!window)
            return QStringLiteral("<no download window>");
        pad.prompter.answerMessage(Button::Ok);
        if (!downloadEnds(*window))
            return QStringLiteral("<the download never ended>");
        const auto& calls = pad.prompter.calls();
        // The offer, then the failure: no save dialog, nothing in the program's folder.
        const bool clean =
            calls.size() == 2 && calls.last().icon == Prompter::Icon::Error &&
            QDir(pad.programDir.path()).entryList(QDir::Files).filter(QStringLiteral(".zip")).isEmpty() &&
            pad.failures.isEmpty();
        if (!clean)
            qWarning("%s: %lld prompts, last %s", what, static_cast<long long>(calls.size()),
                     qPrintable(calls.last().text));
        return clean ? calls.last().text : QStringLiteral("<not a clean failure>");
    }

    void expectFailure(const char* what, const QString& part) {
        const QString said = downloadFails(what);
        QVERIFY2(said.contains(part), qPrintable(QString::fromLatin1(what) + QStringLiteral(": ") + said));
    }

private slots:
    void init() { server.emplace(); }
    void cleanup() {
        server.reset();
        qunsetenv("AQUINE_SERVER");
    }

    // The version goes into a one-line question, or is a failure; never a box the screen cannot hold.
    void versionFileThatIsNoVersionIsAFailureNotAQuestion() {
        struct Case {
            const char* what;
            std::function<void()> serve;
            QString reason;
        };
        const QList<Case> cases{
            {"10 MB announced", [&] { server->file("/server/new_anotepad.txt", QByteArray(10 << 20, 'v')); },
             QStringLiteral("超过 100 字节")},
            {"endless, no length",
             [&] { server->stream("/server/new_anotepad.txt", std::nullopt, std::string(64 * 1024, 'v')); },
             QStringLiteral("超过 100 字节")},
            {"20 KB of line ends", [&] { server->file("/server/new_anotepad.txt", QByteArray(20 * 1024, '\n')); },
             QStringLiteral("超过 100 字节")},
            {"NUL", [&] { server->file("/server/new_anotepad.txt", QByteArray("v1.1\0", 5)); },
             QStringLiteral("控制字符（0）")},
            {"two lines", [&] { server->file("/server/new_anotepad.txt", "v1.1\r\nv1.2\r\n"); },
             QStringLiteral("不止一行")},
        };
        for (const Case& c : cases) {
            c.serve();
            qputenv("AQUINE_SERVER", server->base());
            ServerUpdateChecker checker(timeouts);
            Notepad pad(&checker);
            pad.prompter.answerMessage(Button::Ok);
            checkAndWait(checker, pad, CheckOccasion::Startup);
            QCOMPARE(pad.prompter.calls().size(), 1);
            const auto& call = pad.prompter.calls().at(0);
            QVERIFY2(call.text.startsWith(QStringLiteral("检查更新失败：服务器发来的版本号")) &&
                         call.text.contains(c.reason),
                     c.what);
            QCOMPARE(call.title, QStringLiteral("错误"));
            QCOMPARE(call.buttons, Prompter::Buttons::Ok);
            QVERIFY(call.text.size() < 60);
        }
        // The endless one was cut off, not read to its end.
        qInfo("the server got %llu bytes out before the notepad hung up",
              static_cast<unsigned long long>(server->sent()));
        QVERIFY2(server->sent() < (64u << 20), qPrintable(QString::number(server->sent())));
    }

    void packageLargerThanSignedOrTheCapIsRefusedWhileItArrives() {
        server->publish(kPackage);
        // The server announces 3 GB for a package signed as 1000 bytes: refused on the headers.
        server->stream("/server/package.zip", std::size_t(3) << 30, std::string(64 * 1024, '\0'));
        expectFailure("3 GB announced", QStringLiteral("服务器要发来 3.0 GB，超过了最多 1000 字节的限度"));
        // Without a length it streams on: cut off at the signed size.
        server->stream("/server/package.zip", std::nullopt, std::string(64 * 1024, '\0'));
        expectFailure("endless", QStringLiteral("服务器发来的超过了最多 1000 字节的限度，已中止"));
        qInfo("the server got %llu bytes out before the notepad hung up",
              static_cast<unsigned long long>(server->sent()));
        QVERIFY2(server->sent() < (64u << 20), qPrintable(QString::number(server->sent())));
        // A shorter length than signed is no better.
        server->stream("/server/package.zip", 999, std::string(999, 'z'));
        expectFailure("short", QStringLiteral("服务器要发来 999 字节，与公布的大小（1000 字节）不符"));

        // A manifest, even a signed one, that claims more than any release may be is refused before the
        // package is asked for.
        const int asked = server->requests("/server/package.zip");
        server->publishPackage(kPackage, signedManifest(manifestClaiming(3ull << 30)));
        QCOMPARE(downloadFails("3 GB signed"),
                 QStringLiteral("下载失败：服务器公布的安装包有 3.0 GB，超过了 512.0 MB 的上限"));
        QCOMPARE(server->requests("/server/package.zip"), asked);
        // The manifest and signature are bounded too.
        server->file("/server/package.zip.manifest", QByteArray(5 << 20, 'm'));
        expectFailure("huge manifest", QStringLiteral("下载失败：无法取得安装包的校验文件（"));
    }

    // A temporary file that cannot take the package (here a file size limit stands in for a full disk)
    // ends the download with the reason, and leaves nothing behind.
    void temporaryFileThatCannotTakeThePackage() {
        const QByteArray package(256 * 1024, 'p');
        server->publish(package);
        struct rlimit before {};
        ::getrlimit(RLIMIT_FSIZE, &before);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = before;
        small.rlim_cur = 64 * 1024;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const QString said = downloadFails("file size limit");
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previous);
        QVERIFY2(said.startsWith(QStringLiteral("下载失败：无法写入临时文件 ") + QDir::tempPath()) &&
                     said.endsWith(QStringLiteral("：文件太大")),
                 qPrintable(said));
        const QString partName = said.section(QLatin1Char(' '), 1).section(QStringLiteral("："), 0, 0);
        QVERIFY2(!QFile::exists(partName), qPrintable(partName));
    }

    // 1 byte every 200 ms would take 200 s: the whole download is bounded, not only its silences.
    void drippingOrSilentPackageEndsAtItsDeadline() {
        server->publish(kPackage);
        server->stream("/server/package.zip", kPackage.size(), std::string(1, 'z'), 200ms);
        expectFailure("dripping", QStringLiteral("下载失败：超时：1.5 秒内没有下载完（已收到 "));
        server->silence("/server/package.zip", kPackage.size());
        QCOMPARE(downloadFails("silent"), QStringLiteral("下载失败：超时：1 秒内没有收到数据"));
    }

    void forgedOrChangedPackagesAreRefused() {
        server->publish(kPackage);
        QByteArray changed = kPackage;
        changed[500] = 'y';
        const QString stranger =
            QStringLiteral("下载失败：安装包的签名不对：它不是本程序的发布者签发的，可能被人改动过");
        // Signed by someone else, for the very same bytes.
        server->publishPackage(kPackage, signedManifest(kPackage, QStringLiteral("package.zip"), Signer::Stranger));
        QCOMPARE(downloadFails("stranger's signature"), stranger);
        // The build's signature over another manifest than the one served.
        server->publishPackage(changed, {signedManifest(changed, QStringLiteral("package.zip")).manifest,
                                         signedManifest(kPackage, QStringLiteral("package.zip")).signature});
        QCOMPARE(downloadFails("signature of another manifest"), stranger);
        // Honestly signed, but the bytes changed on the way.
        server->publishPackage(changed, signedManifest(kPackage, QStringLiteral("package.zip")));
        QCOMPARE(downloadFails("changed bytes"),
                 QStringLiteral("下载失败：下载的安装包与服务器公布的校验值（SHA-256）不符，可能被人改动过，已丢弃"));
        // A genuine manifest of an older release, served for this package.
        server->publishPackage(kPackage, signedManifest(kPackage, QStringLiteral("old.zip")));
        expectFailure("another package's manifest", QStringLiteral("属于另一个安装包（old.zip）"));
    }

    // 5 MB of notes would take the label's layout minutes; what shows is the first 16 KB and a word.
    void longReleaseNotesAreCutOffAndSaidSo() {
        server->publish(kPackage);
        server->file("/server/anotepad_jian.txt", QByteArray(5 << 20, 'n'));
        ServerUpdateChecker checker(timeouts);
        Notepad pad(&checker);
        pad.window->show();
        DownloadWindow* window = startDownload(checker, pad);
        QVERIFY(window);
        const QString notes = control<QLabel>(window, "标签2")->text();
        QCOMPARE(notes.left(16 * 1024), QString(16 * 1024, QLatin1Char('n')));
        QCOMPARE(notes.mid(16 * 1024), QStringLiteral("……\r\n（更新说明超过 16 KB，其余部分没有显示）"));
        pad.prompter.answerSaveFile(answer(pad.file(QStringLiteral("包.zip")))).answerMessage(Button::Ok);
        QVERIFY(downloadEnds(*window));
        QCOMPARE(readAll(pad.file(QStringLiteral("包.zip"))), kPackage);
    }

    // Only the server the address names is trusted: a redirect elsewhere is refused, one on the same
    // server is followed, and the package then arrives whole.
    void redirectsOnlyWithinTheSameServer() {
        HostileServer elsewhere;
        elsewhere.publish(kPackage);
        server->publish(kPackage);
        qputenv("AQUINE_SERVER", server->base());
        server->route("/server/package.zip", [&](const httplib::Request&, httplib::Response& response) {
            response.set_redirect((elsewhere.base() + "/server/package.zip").toStdString(), 302);
        });
        QCOMPARE(downloadFails("another port"), QStringLiteral("下载失败：服务器把下载转到了另一台服务器（") +
                                                    QString::fromLatin1(elsewhere.base()) +
                                                    QStringLiteral("），为安全起见已拒绝"));
        QCOMPARE(elsewhere.requests("/server/package.zip"), 0);

        server->route("/server/package.zip", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/server/current/package.zip", 302);
        });
        server->file("/server/current/package.zip", kPackage);
        ServerUpdateChecker checker(timeouts);
        Notepad pad(&checker);
        pad.window->show();
        DownloadWindow* window = startDownload(checker, pad);
        QVERIFY(window);
        const QString chosen = pad.file(QStringLiteral("包.zip"));
        pad.prompter.answerSaveFile(answer(chosen)).answerMessage(Button::Ok);
        QVERIFY(downloadEnds(*window));
        QCOMPARE(readAll(chosen), kPackage);
        QCOMPARE(server->requests("/server/current/package.zip"), 1);
        QVERIFY(pad.failures.isEmpty());
    }
};

QTEST_MAIN(UpdateHostileTest)
#include "update_hostile_test.moc"

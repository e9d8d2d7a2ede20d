// The sharing window in the real browser engine against the real server on loopback: its texts, both
// pages fetched at every opening, uploads through the file chooser and from the page's own script with
// the share link giving back the same bytes, and the forum link handed to the desktop.
#include "aquinepad/share/share_dialog.h"
#include "aquinepad/tests/notepad_fixture.h"
#include "server/tests/server_process.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>
#include <unistd.h>

using namespace aquinepad;
using namespace aquinepad::testing;
using Kind = aquine::ScriptedPrompter::Kind;

namespace {

const QString kRules = QStringLiteral(
    "服务器有上传限制，最多上传2M的文档，一个普通的文档不会那么大吧？所以我会经常检查 ./files文件夹，若发现违规上传"
    "的（比如改扩展名，传个病毒上去），我肯定是要禁止他的IP访问LorvaneFileServer的，哼哼~ 不过欢迎大家上传有意义"
    "的文档！最后你会得到分享链接，发到到论坛上吧，可以获得积分哦！ 最后，我要说明一下，文件不能永久保存。");

// Bytes a text-only path would spoil: GBK text, CR LF, NUL and bytes that are not UTF-8.
QByteArray awkwardBytes() {
    QByteArray bytes = aquine::codec::utf8ToGbk("分享的文档\r\n第二行\r\n").c_str();
    bytes.append('\0').append("\xff\xfe\x80 end", 7);
    return bytes;
}

// The page's script result, waited for; the state outlives a late answer.
QVariant evaluate(QWebEngineView* view, const QString& script) {
    auto state = std::make_shared<std::pair<bool, QVariant>>();
    view->page()->runJavaScript(script, [state](const QVariant& v) { *state = {true, v}; });
    (void)QTest::qWaitFor([&] { return state->first; }, 10000); // a late answer gives an empty result
    return state->second;
}

QString shareLinkShown(QWebEngineView* view) {
    QString link;
    (void)QTest::qWaitFor( // the caller checks the link it gets
        [&] {
            link =
                evaluate(view, QStringLiteral("(document.getElementById('share-link') || {}).href || ''")).toString();
            return !link.isEmpty();
        },
        20000);
    return link;
}

QByteArray download(const QString& url) {
    QNetworkAccessManager network;
    std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(QUrl(url))));
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!finished.wait(10000) || reply->error() != QNetworkReply::NoError)
        return "<download failed: " + reply->errorString().toUtf8() + ">";
    return reply->readAll();
}

bool waitLoaded(QWebEngineView* view) {
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    return loaded.wait(20000) && loaded.first().first().toBool();
}

} // namespace

// Opens the desktop's browser in place of the real one: records the address asked for.
class BrowserStandIn : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class ShareDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_files;
    std::unique_ptr<aquine::test::ServerProcess> m_server;

    qsizetype requests(const QString& path) const {
        return QString::fromStdString(m_server->log()).count(QStringLiteral("\"GET ") + path + QLatin1Char('"'));
    }

private slots:
    void initTestCase() {
        m_files = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<aquine::test::ServerProcess>(
            AQUINE_SERVER_WWW, std::vector<std::string>{"--files", m_files->path().toStdString()});
        QVERIFY2(!m_server->address().empty(), "the server did not start");
        qputenv("AQUINE_SERVER", QByteArray::fromStdString(m_server->address()));
    }

    // From the menu, twice in one run: the window and its texts, both pages fetched again each time,
    // and nothing of the document sent.
    void menuOpensTheWindowAndFetchesBothPagesEachTime() {
        Notepad pad;
        pad.type(QStringLiteral("不该离开本机的文档"));
        for (int round = 1; round <= 2; ++round) {
            QString title, rulesBox, rules, uploadBox, link;
            QSize size;
            bool loaded = false;
            QTimer::singleShot(0, [&] {
                auto* dialog = dynamic_cast<ShareDialog*>(QApplication::activeModalWidget());
                if (!dialog)
                    return;
                title = dialog->windowTitle();
                size = dialog->size();
                rulesBox = dialog->findChild<QGroupBox*>(QStringLiteral("分组框1"))->title();
                rules = dialog->findChild<QLabel*>(QStringLiteral("标签1"))->text();
                uploadBox = dialog->findChild<QGroupBox*>(QStringLiteral("分组框2"))->title();
                link = dialog->findChild<QLabel*>(QStringLiteral("超级链接框1"))->text();
                loaded = waitLoaded(dialog->uploadView());
                // Checked below against the number of rounds.
                (void)QTest::qWaitFor([&] { return requests("/server/notepad_share/get_ip_server.php") == round; },
                                      10000);
                if (round == 1)
                    artefact(dialog->grab().toImage(), QStringLiteral("share_window.png"));
                dialog->reject();
            });
            pad.window->action(Command::ShareDocument)->trigger();
            QCOMPARE(title, QStringLiteral("分享文档！"));
            QCOMPARE(rulesBox, QStringLiteral("说明："));
            QCOMPARE(rules, kRules);
            QCOMPARE(uploadBox, QStringLiteral("上传分享的文件"));
            QVERIFY2(link.contains(QStringLiteral(">点击这里到论坛分享你的“分享地址”</a>")), qPrintable(link));
            QCOMPARE(size.width(), 510);
            QVERIFY(size.height() >= 236);
            QVERIFY(loaded);
            QCOMPARE(requests("/server/notepad_share/index.html"), round);
            QCOMPARE(requests("/server/notepad_share/get_ip_server.php"), round);
        }
        QVERIFY(!QString::fromStdString(m_server->log()).contains(QStringLiteral("POST")));
        QVERIFY(pad.failures.isEmpty());
    }

    // A person clicks the file field, picks a file in the notepad's open dialog; the page uploads it
    // and shows the link, which gives back the same bytes. Cancelling the dialog uploads nothing.
    void fileFieldUploadsTheChosenFile() {
        Notepad pad;
        writeAll(pad.file(QStringLiteral("分享 我.txt")), awkwardBytes());
        ShareDialog dialog(pad.prompter);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QWebEngineView* view = dialog.uploadView();
        QVERIFY(waitLoaded(view));

        const auto clickField = [&] {
            const QVariantList box = evaluate(view, QStringLiteral("(function () {"
                                                                   "  var r = document.getElementById('file')"
                                                                   "      .getBoundingClientRect();"
                                                                   "  return [r.x + r.width / 2, r.y + r.height / 2];"
                                                                   "})()"))
                                         .toList();
            QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {},
                              QPoint(qRound(box.value(0).toDouble()), qRound(box.value(1).toDouble())));
        };

        pad.prompter.answerOpenFile(std::nullopt);
        clickField();
        QTRY_COMPARE_WITH_TIMEOUT(pad.prompter.pending(), 0, 10000);
        QTest::qWait(300);
        QCOMPARE(evaluate(view, QStringLiteral("document.getElementById('file').files.length")).toInt(), 0);

        pad.prompter.answerOpenFile(answer(pad.file(QStringLiteral("分享 我.txt"))));
        clickField();
        const QString link = shareLinkShown(view);
        QVERIFY2(link.startsWith(QString::fromStdString(m_server->address())), qPrintable(link));
        QCOMPARE(download(link), awkwardBytes());
        QCOMPARE(pad.prompter.calls().size(), 2);
        QCOMPARE(pad.prompter.calls().at(1).kind, Kind::OpenFile);
        QVERIFY(pad.failures.isEmpty());
    }

    // The page's own script fills the file field (no dialog at all) and submits: the same round trip.
    void pageScriptUploadsAFileFromADataTransfer() {
        aquine::ScriptedPrompter prompter;
        ShareDialog dialog(prompter);
        dialog.show();
        QWebEngineView* view = dialog.uploadView();
        QVERIFY(waitLoaded(view));
        QStringList numbers;
        for (const char byte : awkwardBytes())
            numbers << QString::number(static_cast<unsigned char>(byte));
        const QVariant count = evaluate(view, QStringLiteral("(function () {"
                                                             "  var list = new DataTransfer();"
                                                             "  list.items.add(new File([new Uint8Array([%1])],"
                                                             "                          'dt.txt'));"
                                                             "  var field = document.getElementById('file');"
                                                             "  field.files = list.files;"
                                                             "  field.dispatchEvent(new Event('change'));"
                                                             "  return field.files.length;"
                                                             "})()")
                                                  .arg(numbers.join(QLatin1Char(','))));
        QCOMPARE(count.toInt(), 1);
        QCOMPARE(download(shareLinkShown(view)), awkwardBytes());
        QCOMPARE(prompter.calls().size(), 0);
    }

    // The hyperlink goes to the desktop's browser, to a forum page the server really has.
    void forumLinkOpensTheForumInTheBrowser() {
        BrowserStandIn browser;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
        aquine::ScriptedPrompter prompter;
        ShareDialog dialog(prompter);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* link = dialog.findChild<QLabel*>(QStringLiteral("超级链接框1"));
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(20, link->height() / 2));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QCOMPARE(browser.opened, QList<QUrl>{ShareDialog::forumUrl()});
        QVERIFY(ShareDialog::forumUrl().toString().startsWith(QString::fromStdString(m_server->address())));
        QVERIFY(!download(ShareDialog::forumUrl().toString()).startsWith("<download failed"));
    }

    void cleanupTestCase() { m_server.reset(); }
};

int main(int argc, char** argv) {
    // As the notepad itself does for root; and no GPU on the test machines.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QApplication app(argc, argv);
    ShareDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "share_dialog_test.moc"

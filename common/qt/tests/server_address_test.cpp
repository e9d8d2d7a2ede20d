// The server's address: the environment wins over the built-in one, and paths join with one slash.
#include "common/qt/server_address.h"

#include <QTest>

class ServerAddressTest : public QObject {
    Q_OBJECT

private slots:
    void theEnvironmentWinsAndPathsJoinWithOneSlash() {
        qputenv("AQUINE_SERVER", " http://127.0.0.1:4567// ");
        QCOMPARE(aquine::serverBase(), QStringLiteral("http://127.0.0.1:4567"));
        QCOMPARE(aquine::serverUrl(QStringLiteral("/server/new_anotepad.txt")).toString(),
                 QStringLiteral("http://127.0.0.1:4567/server/new_anotepad.txt"));
        QCOMPARE(aquine::serverUrl(QStringLiteral("forum.php?mod=viewthread&tid=269")).toString(),
                 QStringLiteral("http://127.0.0.1:4567/forum.php?mod=viewthread&tid=269"));

        qunsetenv("AQUINE_SERVER");
        QCOMPARE(aquine::serverBase(), QStringLiteral(AQUINE_DEFAULT_SERVER_FOR_TEST));
    }
};

QTEST_MAIN(ServerAddressTest)
#include "server_address_test.moc"

// The maker's server for update tests: the real server program on loopback, on a root folder of its
// own with the three update files and a package, and AQUINE_SERVER pointing at it.
#pragma once

#include "aquinepad/tests/notepad_fixture.h"
#include "server/tests/server_process.h"

#include <QDir>
#include <optional>

namespace aquinepad::testing {

// A server root with the three update files and a package at /server/package.zip.
struct UpdateServer {
    explicit UpdateServer(const QByteArray& version, const QByteArray& package = QByteArray("PK\x03\x04 zip", 8),
                          const QByteArray& address = "{server}/package.zip")
        : root(QString::fromStdString(aquine::test::makeTempFolder().string())) {
        writeAll(root + QStringLiteral("/new_anotepad.txt"), version);
        writeAll(root + QStringLiteral("/url_notepad.txt"), address);
        writeAll(root + QStringLiteral("/anotepad_jian.txt"), bytes(G("1. 修正了保存的问题\r\n2. 新增分享")));
        writeAll(root + QStringLiteral("/package.zip"), package);
        server.emplace(root.toStdString());
        qputenv("AQUINE_SERVER", QByteArray::fromStdString(server->address()));
    }
    ~UpdateServer() {
        server.reset();
        QDir(root).removeRecursively();
    }
    QString root;
    std::optional<aquine::test::ServerProcess> server;
};

} // namespace aquinepad::testing

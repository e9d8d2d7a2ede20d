// The server program, started for real on an ephemeral loopback port: it serves its folder byte for
// byte and nothing outside it.
#include "server/tests/server_process.h"

#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

using aquine::test::ServerProcess;

TEST(Server, ServesFilesExactlyAndNothingElse) {
    const fs::path root = aquine::test::makeTempFolder();
    const std::string gbk("\xB0\xE6\xB1\xBE 1.2\r\n\x80\xFF", 12);
    std::ofstream(root / "version.txt", std::ios::binary) << gbk;
    fs::create_directory(root / "share");
    std::ofstream(root / "share" / "index.html") << "<p>share</p>";
    std::ofstream(root.parent_path() / "aquine-secret.txt") << "secret";

    ServerProcess server(root);
    ASSERT_EQ(server.address().rfind("http://127.0.0.1:", 0), 0u) << server.address();
    httplib::Client client(server.address());

    auto r = client.Get("/version.txt");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->body, gbk);
    EXPECT_EQ(r->get_header_value("Content-Type"), "text/plain; charset=GBK");

    r = client.Get("/share/index.html");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->body, "<p>share</p>");

    r = client.Get("/missing.txt");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 404);

    r = client.Get("/../aquine-secret.txt");
    ASSERT_TRUE(r);
    EXPECT_NE(r->status, 200);
    EXPECT_EQ(r->body.find("secret"), std::string::npos);

    fs::remove_all(root);
    fs::remove(root.parent_path() / "aquine-secret.txt");
}

// The server program, started for real on an ephemeral loopback port: it serves its folder byte for
// byte and nothing outside it, frames every request one way, and routes every spelling of a path alike.
#include "server/tests/server_process.h"

#include <httplib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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

using namespace aquine::test;
using namespace std::chrono_literals;

namespace {

// How many responses a raw reply holds: a second one means the bytes after the first request were
// taken as another request.
int responsesIn(const std::string& reply) {
    int count = 0;
    for (auto at = reply.find("HTTP/1."); at != std::string::npos; at = reply.find("HTTP/1.", at + 1))
        ++count;
    return count;
}

std::string headerOf(const std::string& reply, const std::string& name) {
    const auto head = reply.substr(0, reply.find("\r\n\r\n"));
    const auto at = head.find("\r\n" + name + ": ");
    if (at == std::string::npos)
        return {};
    const auto from = at + name.size() + 4;
    return head.substr(from, head.find("\r\n", from) - from);
}

} // namespace

// Every way of saying where a body ends other than one the server reads exactly: refused with 400 and
// the connection closed, so the bytes after it are never taken as a request of their own.
TEST(ServerFraming, AmbiguousBodiesAreRefusedAndTheConnectionClosed) {
    TempSite site;
    ServerProcess server(site.root, site.arguments());
    const std::string smuggled = "GET /smuggled HTTP/1.1\r\nHost: x\r\n\r\n";
    const std::vector<std::string> heads = {
        "POST /notepad_share/upload.php HTTP/1.1\r\nTransfer-Encoding: xchunked\r\nContent-Length: 0\r\n",
        "POST /notepad_share/upload.php HTTP/1.1\r\nTransfer-Encoding: chunked, identity\r\nContent-Length: 0\r\n",
        "POST /notepad_share/upload.php HTTP/1.1\r\nTransfer-Encoding: chunked\r\nContent-Length: 0\r\n",
        "POST /notepad_share/upload.php HTTP/1.1\r\nContent-Length: 0\r\nTransfer-Encoding: chunked\r\n",
        "POST /notepad_share/upload.php HTTP/1.1\r\nTransfer-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n",
        "POST /notepad_share/upload.php HTTP/1.1\r\nTransfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n",
        "POST /notepad_share/upload.php HTTP/1.1\r\nTransfer-Encoding: chunked;q=1\r\n",
        "POST /notepad_share/upload.php HTTP/1.1\r\nTransfer-Encoding: ,\r\n",
        "POST /notepad_share/upload.php HTTP/1.0\r\nTransfer-Encoding: chunked\r\nConnection: keep-alive\r\n",
        "GET /index.html HTTP/1.1\r\nTransfer-Encoding: gzip\r\n",
        "GET /index.html HTTP/1.1\r\nTransfer-Encoding : chunked\r\n",
        "GET /index.html HTTP/1.1\r\nContent-Length: 0\r\nContent-Length: 5\r\n",
    };
    for (const auto& head : heads) {
        const auto reply = exchange(server.port(), head + "Host: x\r\n\r\n0\r\n\r\n" + smuggled, nullptr, 5s);
        EXPECT_EQ(statusOf(reply), 400) << head;
        EXPECT_EQ(responsesIn(reply), 1) << head << reply;
        EXPECT_EQ(headerOf(reply, "Connection"), "close") << head;
    }
    EXPECT_EQ(server.log().find("/smuggled"), std::string::npos) << server.log();

    // A body framed plainly still works, and the connection goes on to the next request.
    const std::string form = "--b\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.txt\"\r\n\r\n"
                             "chunked text\r\n--b--\r\n";
    char size[16];
    std::snprintf(size, sizeof size, "%zx", form.size());
    const auto reply = exchange(server.port(),
                                "POST /notepad_share/upload.php HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: Chunked\r\n"
                                "Content-Type: multipart/form-data; boundary=b\r\n\r\n" +
                                    std::string(size) + "\r\n" + form + "\r\n0\r\n\r\n" +
                                    "GET /index.html HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n",
                                nullptr, 5s);
    EXPECT_EQ(statusOf(reply), 200) << reply;
    EXPECT_FALSE(shareLink(reply).empty());
    EXPECT_EQ(responsesIn(reply), 2);
    EXPECT_NE(reply.find("<p>home</p>"), std::string::npos);
}

// A share is reached only through its route, whatever the spelling of the path, with its download
// headers and its expiry; the store's own files are never served.
TEST(ServerRoutes, EverySpellingOfASharePathIsTheShareRoute) {
    TempSite site;
    fs::create_directories(site.root / "notepad_share" / "files");
    ServerProcess server(site.root, {"--files", (site.root / "notepad_share" / "files").string()});
    const std::string link = shareLink(exchange(server.port(), uploadRequest("说明.txt", "<script>x</script>")));
    ASSERT_FALSE(link.empty());
    const std::string id = link.substr(link.size() - 32);
    const std::vector<std::string> spellings = {
        "/notepad_share/files/" + id,         "/notepad_share/%66iles/" + id,
        "/notepad_share//files/" + id,        "//notepad_share/files/" + id,
        "/notepad_share/./files/" + id,       "/notepad_share/x/../files/" + id,
        "/server/notepad_share/files/" + id,  "/notepad_share%2ffiles%2f" + id,
        "/a/../../notepad_share/files/" + id, "HTTP://evil.example/notepad_share/%66iles/" + id};
    const auto get = [&](const std::string& target) {
        return exchange(server.port(), "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    };
    for (const auto& target : spellings) {
        const auto reply = get(target);
        EXPECT_EQ(statusOf(reply), 200) << target;
        EXPECT_EQ(headerOf(reply, "Content-Disposition").rfind("attachment;", 0), 0u) << target;
        EXPECT_EQ(headerOf(reply, "X-Content-Type-Options"), "nosniff") << target;
        EXPECT_EQ(headerOf(reply, "Content-Type"), "application/octet-stream") << target;
    }
    for (const std::string& target : std::vector<std::string>{
             "/notepad_share/files/" + id + ".name", "/notepad_share//files/" + id + ".name",
             "/notepad_share/%66iles/" + id + ".name", "/notepad_share/files/", "/notepad_share/files",
             "/notepad_share/files/" + id + "/", "/notepad_share/files/x/../" + id + ".name",
             "http://x/notepad_share//files/" + id + ".name"}) {
        const auto reply = get(target);
        EXPECT_EQ(statusOf(reply), 404) << target;
        EXPECT_EQ(reply.find("说明"), std::string::npos) << target;
    }
    ageFile(site.root / "notepad_share" / "files" / id, 8);
    for (const auto& target : spellings)
        EXPECT_EQ(statusOf(get(target)), 404) << target << ": expired";

    // A store kept elsewhere in the served folder is not served as plain files either.
    TempSite other;
    ServerProcess elsewhere(other.root, {"--files", (other.root / "uploads").string()});
    const std::string kept = shareLink(exchange(elsewhere.port(), uploadRequest("a.txt", "kept")));
    ASSERT_FALSE(kept.empty());
    const std::string keptId = kept.substr(kept.size() - 32);
    ASSERT_TRUE(fs::exists(other.root / "uploads" / keptId));
    for (const std::string& target :
         std::vector<std::string>{"/uploads/" + keptId, "/uploads/" + keptId + ".name", "/%75ploads/" + keptId})
        EXPECT_EQ(statusOf(exchange(elsewhere.port(), "GET " + target + " HTTP/1.0\r\n\r\n")), 404) << target;
    EXPECT_EQ(statusOf(exchange(elsewhere.port(), "GET " + pathOf(kept) + " HTTP/1.0\r\n\r\n")), 200);
}

// curl and other careful clients ask before sending a body; they hear "go on" or the refusal at once.
TEST(ServerRoutes, ExpectContinueIsAnsweredBeforeTheBody) {
    TempSite site;
    ServerProcess server(site.root, site.arguments());
    const std::string request = uploadRequest("a.txt", "asked first", "Expect: 100-continue\r\n");
    const auto split = request.find("\r\n\r\n") + 4;
    const int fd = connectTo(server.port());
    ASSERT_GE(fd, 0);
    ::send(fd, request.data(), split, MSG_NOSIGNAL);
    std::string interim;
    char buffer[4096];
    while (interim.find("\r\n\r\n") == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) != 1)
            break;
        const auto n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        interim.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(interim, "HTTP/1.1 100 Continue\r\n\r\n") << "no body has been sent yet";
    ::send(fd, request.data() + split, request.size() - split, MSG_NOSIGNAL);
    std::string reply;
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        reply.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    EXPECT_EQ(statusOf(reply), 200) << reply;
    EXPECT_FALSE(shareLink(reply).empty());

    // Refused from the head: the refusal is the answer, no 100 before it. Other expectations: 417.
    auto refused = exchange(server.port(),
                            "POST /notepad_share/upload.php HTTP/1.1\r\nHost: x\r\nExpect: 100-continue\r\n"
                            "Content-Length: 9000000\r\n\r\n",
                            nullptr, 5s);
    EXPECT_EQ(statusOf(refused), 413);
    EXPECT_EQ(responsesIn(refused), 1);
    refused = exchange(server.port(), uploadRequest("a.txt", "x", "Expect: 200-ok\r\n"), nullptr, 5s);
    EXPECT_EQ(statusOf(refused), 417);
}

// Links name the server as configured, never as a client's Host header claims.
TEST(ServerRoutes, LinksAreBuiltFromThePublicAddress) {
    TempSite site;
    writeFile(site.root / "url_notepad.txt", "{server}/aquine-update.zip");
    {
        ServerProcess server(site.root, site.arguments());
        auto request = uploadRequest("a.txt", "x");
        request.replace(request.find("Host: x"), 7, "Host: evil.example");
        const auto reply = exchange(server.port(), request);
        EXPECT_EQ(shareLink(reply).rfind(server.address() + "/notepad_share/files/", 0), 0u) << reply;
        const auto update = exchange(server.port(), "GET /url_notepad.txt HTTP/1.1\r\nHost: evil.example\r\n"
                                                    "Connection: close\r\n\r\n");
        EXPECT_EQ(bodyOf(update), server.address() + "/aquine-update.zip");
    }
    ServerProcess server(site.root, site.arguments({"--public-url", "HTTPS://Share.Example.com:8443/aquine/"}));
    const auto reply = exchange(server.port(), uploadRequest("a.txt", "x"));
    EXPECT_EQ(shareLink(reply).rfind("https://share.example.com:8443/aquine/notepad_share/files/", 0), 0u) << reply;
    const auto update = exchange(server.port(), "GET /server/url_notepad.txt HTTP/1.0\r\nHost: evil.example\r\n\r\n");
    EXPECT_EQ(bodyOf(update), "https://share.example.com:8443/aquine/aquine-update.zip");
}

// Uploads per address are held to a budget a minute; the refusal says when to come back.
TEST(ServerRoutes, UploadsOverTheBudgetAreRefusedWithRetryAfter) {
    TempSite site;
    ServerProcess server(site.root, site.arguments({"--uploads-per-minute", "3"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(statusOf(exchange(server.port(), uploadRequest("a.txt", "x"))), 200) << i;
    const auto refused = exchange(server.port(), uploadRequest("a.txt", "x"));
    EXPECT_EQ(statusOf(refused), 429);
    const int retry = std::atoi(headerOf(refused, "Retry-After").c_str());
    EXPECT_TRUE(retry >= 1 && retry <= 20) << headerOf(refused, "Retry-After");
    EXPECT_NE(bodyOf(refused).find("上传太频繁"), std::string::npos);
    EXPECT_EQ(headerOf(refused, "Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(statusOf(exchange(server.port(), "GET /index.html HTTP/1.0\r\n\r\n")), 200) << "pages still load";
    EXPECT_EQ(statusOf(exchange(server.port(), uploadRequest("a.txt", "x"), "127.0.0.2")), 200)
        << "another address has its own budget";

    std::size_t stored = 0;
    for (const auto& entry : fs::directory_iterator(site.files))
        stored += entry.path().extension() != ".name";
    EXPECT_EQ(stored, 4u) << "refused uploads leave nothing behind";
}

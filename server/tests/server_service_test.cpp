// The server program for real on loopback: update files, the upload service and its refusals, the
// confinement to its folder, and its limits under hostile or slow clients.
#include "server/tests/server_process.h"

#include <httplib.h>

#include <algorithm>
#include <fcntl.h>
#include <poll.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace aquine::test;
using namespace std::chrono_literals;
using Site = aquine::test::TempSite;

namespace {

httplib::Result upload(httplib::Client& client, const std::string& name, const std::string& bytes) {
    httplib::MultipartFormDataItems items{{"file", bytes, name, "application/octet-stream"}};
    return client.Post("/notepad_share/upload.php", items);
}

// Whether `done` becomes true within a few seconds: for changes the server notices in the background.
template <class F> bool eventually(F done) {
    for (int i = 0; i < 100; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return done();
}

} // namespace

TEST(ServerService, ServesTheUpdateFilesAndThePackageTheyName) {
    ServerProcess server(AQUINE_SERVER_WWW);
    ASSERT_EQ(server.address().rfind("http://127.0.0.1:", 0), 0u) << server.address();
    httplib::Client client(server.address());
    const fs::path www = AQUINE_SERVER_WWW;

    for (const std::string prefix : {"", "/server"}) {
        auto r = client.Get(prefix + "/new_anotepad.txt");
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 200);
        EXPECT_EQ(r->body, "v1.1") << "the version is compared byte for byte: no line end";
        r = client.Get(prefix + "/anotepad_jian.txt");
        ASSERT_TRUE(r);
        EXPECT_EQ(r->body, readFile(www / "anotepad_jian.txt"));
        EXPECT_EQ(r->get_header_value("Content-Type"), "text/plain; charset=GBK");
    }
    auto r = client.Get("/server/url_notepad.txt");
    ASSERT_TRUE(r);
    const std::string url = r->body;
    EXPECT_EQ(url, server.address() + "/aquine-update.zip") << "the address is used exactly as received";

    r = client.Get(pathOf(url));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_EQ(r->get_header_value("Content-Type"), "application/zip");
    EXPECT_EQ(r->body, readFile(www / "aquine-update.zip"));
    EXPECT_EQ(r->body.substr(0, 2), "PK");

    r = client.Get("/forum.php?mod=viewthread&tid=269");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    EXPECT_NE(r->body.find("Aquine计算器"), std::string::npos);
    r = client.Get("/forum.php");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
    r = client.Get("/notepad_share/index.html");
    ASSERT_TRUE(r);
    EXPECT_NE(r->body.find("charset=\"utf-8\""), std::string::npos);
}

TEST(ServerService, UploadsUpToTwoMegabytesAndGivesThemBackAsDownloads) {
    Site site;
    ServerProcess server(site.root, site.arguments());
    httplib::Client client(server.address());

    std::string twoMegabytes(2 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < twoMegabytes.size(); ++i)
        twoMegabytes[i] = static_cast<char>(i * 7 + i / 4096);
    for (const std::string& bytes : {std::string("x"), twoMegabytes}) {
        auto r = upload(client, "说明.txt", bytes);
        ASSERT_TRUE(r);
        ASSERT_EQ(r->status, 200) << r->body;
        const std::string link = shareLink(r->body);
        ASSERT_EQ(link.rfind(server.address() + "/notepad_share/files/", 0), 0u) << r->body;
        EXPECT_EQ(link.size(), server.address().size() + 21 + 32) << "128 random bits in hex";

        auto got = client.Get(pathOf(link));
        ASSERT_TRUE(got);
        EXPECT_EQ(got->status, 200);
        EXPECT_TRUE(got->body == bytes);
        EXPECT_EQ(got->get_header_value("Content-Disposition").rfind("attachment;", 0), 0u);
        // The client library decodes the percent escapes of the name; site_test checks them as sent.
        EXPECT_NE(got->get_header_value("Content-Disposition").find("filename*=UTF-8''说明.txt"), std::string::npos)
            << got->get_header_value("Content-Disposition");
        EXPECT_EQ(got->get_header_value("X-Content-Type-Options"), "nosniff");
        EXPECT_EQ(got->get_header_value("Content-Type"), "application/octet-stream");
    }

    auto r = upload(client, "big.txt", twoMegabytes + "y");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 413);
    EXPECT_NE(r->body.find("最多上传2M"), std::string::npos);

    // Far over the limit: refused from the head alone, before a byte of the body is sent.
    const auto reply = exchange(server.port(),
                                "POST /notepad_share/upload.php HTTP/1.1\r\nHost: x\r\nContent-Type: "
                                "multipart/form-data; boundary=b\r\nContent-Length: 3000000\r\n\r\n",
                                nullptr, 5s);
    EXPECT_EQ(statusOf(reply), 413);

    auto missing = client.Get("/notepad_share/files/0123456789abcdef0123456789abcdef");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    size_t stored = 0;
    for (const auto& entry : fs::directory_iterator(site.files))
        stored += entry.path().extension() != ".name";
    EXPECT_EQ(stored, 2u) << "refused uploads leave nothing behind";
}

TEST(ServerService, RefusesProgramsAndScriptsWhateverTheirName) {
    Site site;
    ServerProcess server(site.root, site.arguments());
    httplib::Client client(server.address());
    for (const std::string& bytes :
         {std::string("\x7f"
                      "ELF\x02\x01\x01",
                      7),
          std::string("MZ\x90\x00", 4), std::string("#!/bin/sh\nrm -rf ~\n"), std::string("\xEF\xBB\xBF#!/bin/sh\n")}) {
        auto r = upload(client, "notes.txt", bytes);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->status, 415);
        EXPECT_NE(r->body.find("不能上传程序或脚本"), std::string::npos);
    }
    // And by name, whatever the bytes: what Windows would run when the file is opened.
    for (const char* name : {"run.BAT", "setup.exe. ", "notes.cmd"})
        EXPECT_EQ(upload(client, name, "plain text")->status, 415) << name;
    EXPECT_TRUE(!fs::exists(site.files) || fs::is_empty(site.files));
    auto r = upload(client, "MZ.txt", "M is not a program");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200);
}

TEST(ServerService, ExpiredFilesAreGoneOnRequestAndSweptWithout) {
    Site site;
    ServerProcess server(site.root, {"--files", site.files.string(), "--expire-days", "7", "--sweep-seconds", "1"});
    httplib::Client client(server.address());
    auto age = [&](const std::string& link, int days) {
        const auto path = site.files / link.substr(link.size() - 32);
        const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - days * 86400, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    const std::string recent = shareLink(upload(client, "a.txt", "recent")->body);
    const std::string old = shareLink(upload(client, "b.txt", "old")->body);
    const std::string swept = shareLink(upload(client, "c.txt", "swept")->body);
    age(recent, 6);
    age(old, 8);

    EXPECT_EQ(client.Get(pathOf(recent))->status, 200) << "six days old is still within seven";
    EXPECT_EQ(client.Get(pathOf(old))->status, 404);
    EXPECT_FALSE(fs::exists(site.files / old.substr(old.size() - 32)));

    age(swept, 8);
    const auto file = site.files / swept.substr(swept.size() - 32);
    for (int i = 0; i < 50 && fs::exists(file); ++i)
        std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(fs::exists(file)) << "the sweep removes it without anyone asking";
    EXPECT_FALSE(fs::exists(file.string() + ".name"));
}

TEST(ServerService, BannedAddressesGetForbiddenEverywhereAndTheListIsReread) {
    Site site;
    ServerProcess server(site.root, site.arguments());
    const std::string get = "GET /notepad_share/get_ip_server.php HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    auto reply = exchange(server.port(), get, "127.0.0.2");
    ASSERT_EQ(statusOf(reply), 200) << "the test needs 127.0.0.2 on the loopback device";
    EXPECT_EQ(bodyOf(reply), "127.0.0.2");

    // The list is read again in the background, so the ban takes a moment to arrive.
    writeFile(site.bans, "# misuse\n127.0.0.2\n");
    ASSERT_TRUE(eventually([&] { return statusOf(exchange(server.port(), get, "127.0.0.2")) == 403; }));
    for (const std::string target : {"/", "/index.html", "/notepad_share/get_ip_server.php", "/missing"}) {
        reply =
            exchange(server.port(), "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "127.0.0.2");
        EXPECT_EQ(statusOf(reply), 403) << target;
    }
    reply =
        exchange(server.port(), "POST /notepad_share/upload.php HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello",
                 "127.0.0.2");
    EXPECT_EQ(statusOf(reply), 403);
    EXPECT_EQ(statusOf(exchange(server.port(), get, "127.0.0.1")), 200) << "others are served";

    writeFile(site.bans, "10.0.0.1\n");
    EXPECT_TRUE(eventually([&] { return statusOf(exchange(server.port(), get, "127.0.0.2")) == 200; }))
        << "unbanned once the file changes";
}

TEST(ServerService, NothingOutsideTheFolderNorHiddenInsideIsServed) {
    Site site;
    writeFile(site.base / "secret.txt", "secret");
    writeFile(site.root / ".env", "secret");
    fs::create_directory(site.root / ".git");
    writeFile(site.root / ".git" / "config", "secret");
    fs::create_symlink(site.base / "secret.txt", site.root / "link.txt");
    fs::create_directory_symlink(site.base, site.root / "up");
    fs::create_symlink("/etc/passwd", site.root / "passwd.txt");
    ServerProcess server(site.root, site.arguments());

    for (const std::string target :
         {"/../secret.txt", "/%2e%2e/secret.txt", "/%2E%2E%2fsecret.txt", "/notepad_share/..%2f..%2fsecret.txt",
          "/%252e%252e/secret.txt", "/link.txt", "/up/secret.txt", "/passwd.txt", "/.env", "/%2eenv", "/.git/config",
          "/index.html%00.txt", "/index.html%00", "/..\\secret.txt", "/%5c..%5csecret.txt"}) {
        const auto reply =
            exchange(server.port(), "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        EXPECT_NE(statusOf(reply), 200) << target;
        EXPECT_NE(statusOf(reply), 0) << target << ": refused with an answer";
        EXPECT_EQ(reply.find("secret"), std::string::npos) << target;
        EXPECT_EQ(reply.find("root:"), std::string::npos) << target;
    }
    EXPECT_EQ(statusOf(exchange(server.port(), "GET /index.html HTTP/1.0\r\n\r\n")), 200);
}

TEST(ServerService, OversizedRequestsAreRefusedAtOnce) {
    Site site;
    ServerProcess server(site.root, site.arguments());
    std::string many = "GET / HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < 100; ++i)
        many += "X-" + std::to_string(i) + ": y\r\n";
    EXPECT_EQ(statusOf(exchange(server.port(), many + "\r\n")), 431) << "101 fields";
    std::string hundred = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < 98; ++i)
        hundred += "X-" + std::to_string(i) + ": y\r\n";
    EXPECT_EQ(statusOf(exchange(server.port(), hundred + "Host: x\r\nConnection: close\r\n\r\n")), 200);
    EXPECT_EQ(
        statusOf(exchange(server.port(), "GET / HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(9000, 'a') + "\r\n\r\n")),
        431);
    // A huge body for a path that takes none, and one announced but never sent: both refused from the
    // head, so the answer comes while the client has sent nothing more.
    EXPECT_EQ(statusOf(exchange(server.port(),
                                "POST /nothing HTTP/1.1\r\nHost: x\r\nContent-Length: "
                                "1073741824\r\n\r\n",
                                nullptr, 5s)),
              405);
    EXPECT_EQ(statusOf(exchange(server.port(), "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 1073741824\r\n\r\n",
                                nullptr, 5s)),
              413);
    EXPECT_EQ(statusOf(exchange(server.port(),
                                "GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"
                                "100000\r\n" +
                                    std::string(70000, 'a'),
                                nullptr, 5s)),
              413);
}

TEST(ServerService, ABadPortIsAnErrorAndTheDefaultIsLoopback) {
    const std::vector<std::pair<const char*, const char*>> bad = {
        {"--port", "99999"},
        {"--port", "-1"},
        {"--port", "80x"},
        {"--port", ""},
        {"--port", "65536"},
        {"--expire-days", "nan"},
        {"--expire-days", "0"},
        {"--header-timeout", "inf"},
        {"--header-timeout", "1e300"},
        {"--header-timeout", "nan"},
        {"--public-url", "http://evil.example/?q="},
        {"--uploads-per-minute", "0"},
        {"--upload-mb-per-minute", "nan"},
    };
    for (const auto& [option, port] : bad) {
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDERR_FILENO);
            ::execl(AQUINE_SERVER_EXE, AQUINE_SERVER_EXE, "--root", "/tmp", option, port, "--port", "0", nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        char buffer[64];
        const auto n = ::read(out[0], buffer, sizeof buffer);
        ::close(out[0]);
        if (n > 0)
            ::kill(pid, SIGKILL); // it took the value and is serving: the check below fails
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_EQ(n, 0) << option << ' ' << port << ": no address printed";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << option << ' ' << port;
    }
}

TEST(ServerService, LogsEveryRequestOnOneLine) {
    Site site;
    ServerProcess server(site.root, site.arguments());
    exchange(server.port(), "GET /index.html HTTP/1.0\r\n\r\n");
    exchange(server.port(), "GET /missing%0d%0aFAKE HTTP/1.0\r\n\r\n");
    std::this_thread::sleep_for(200ms);
    const auto log = server.log();
    EXPECT_NE(log.find("127.0.0.1 \"GET /index.html\" 200 11 "), std::string::npos) << log;
    EXPECT_NE(log.find("\"GET /missing%0d%0aFAKE\" 404 "), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
}

TEST(ServerService, SlowClientsAreCutOffAndDoNotStarveOthers) {
    Site site;
    auto arguments = site.arguments();
    arguments.insert(arguments.end(), {"--header-timeout", "2"});
    ServerProcess server(site.root, arguments);

    // 50 clients that trickle a header a byte at a time and never finish it.
    std::vector<int> slow;
    for (int i = 0; i < 50; ++i) {
        const int fd = connectTo(server.port());
        ASSERT_GE(fd, 0);
        ::send(fd, "GET / HTTP/1.1\r\nX-Slow: ", 24, MSG_NOSIGNAL);
        slow.push_back(fd);
    }
    std::atomic<bool> trickling = true;
    std::thread trickle([&] {
        while (trickling) {
            for (const int fd : slow)
                ::send(fd, "a", 1, MSG_NOSIGNAL);
            std::this_thread::sleep_for(200ms);
        }
    });

    std::atomic<int> served = 0, failed = 0;
    std::vector<std::thread> clients;
    for (int i = 0; i < 200; ++i)
        clients.emplace_back([&] {
            const auto reply = exchange(server.port(),
                                        "GET /index.html HTTP/1.1\r\nHost: x\r\nConnection: "
                                        "close\r\n\r\n",
                                        nullptr, 20s);
            (statusOf(reply) == 200 && bodyOf(reply) == "<p>home</p>" ? served : failed)++;
        });
    for (auto& t : clients)
        t.join();
    EXPECT_EQ(served, 200);
    EXPECT_EQ(failed, 0);

    // The head deadline ends the trickling ones however steadily they send.
    std::this_thread::sleep_for(3s);
    trickling = false;
    trickle.join();
    int closed = 0;
    for (const int fd : slow) {
        char byte;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 3000) == 1 && ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0)
            ++closed;
        ::close(fd);
    }
    EXPECT_EQ(closed, 50);
}

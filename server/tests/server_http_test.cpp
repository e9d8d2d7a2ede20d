// The server program, started for real on an ephemeral loopback port: it serves its folder byte for
// byte and nothing outside it.
#include <httplib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ServerProcess {
public:
    explicit ServerProcess(const fs::path& root) {
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::execl(AQUINE_SERVER_EXE, AQUINE_SERVER_EXE, "--root", root.c_str(), "--port", "0", nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        FILE* in = ::fdopen(out[0], "r");
        char line[256] = {};
        if (std::fgets(line, sizeof line, in))
            m_address = std::string(line, std::strcspn(line, "\n"));
        std::fclose(in);
    }
    ~ServerProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    const std::string& address() const { return m_address; }

private:
    pid_t m_pid = -1;
    std::string m_address;
};

} // namespace

TEST(Server, ServesFilesExactlyAndNothingElse) {
    std::string tmpl = (fs::temp_directory_path() / "aquine-www-XXXXXX").string();
    const fs::path root = ::mkdtemp(tmpl.data());
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

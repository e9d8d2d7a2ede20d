// Test helpers for the server program: start it for real on an ephemeral loopback port, and talk to it
// over raw sockets where a well-behaved client library would hide the fault being tested.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace aquine::test {

class ServerProcess {
public:
    explicit ServerProcess(const std::filesystem::path& root, std::vector<std::string> extraArguments = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    const std::string& address() const { return m_address; }
    int port() const { return m_port; }
    // Everything the server wrote on standard error so far.
    std::string log() const;

private:
    pid_t m_pid = -1;
    std::string m_address;
    int m_port = 0;
    std::filesystem::path m_log;
};

// A connected socket to 127.0.0.1:port, optionally from another loopback address; -1 on failure.
int connectTo(int port, const char* from = nullptr);
// Sends `request` and reads the reply until the server closes or `limit` passes.
std::string exchange(int port, const std::string& request, const char* from = nullptr,
                     std::chrono::milliseconds limit = std::chrono::seconds(10));
// The status code of a raw reply, 0 when there is none.
int statusOf(const std::string& reply);
std::string bodyOf(const std::string& reply);

std::filesystem::path makeTempFolder();

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// A temporary site: a page, a folder for shared files and a ban list, all removed afterwards.
struct TempSite {
    TempSite();
    ~TempSite();
    TempSite(const TempSite&) = delete;
    TempSite& operator=(const TempSite&) = delete;
    std::vector<std::string> arguments(std::vector<std::string> more = {}) const;
    std::filesystem::path base = makeTempFolder();
    std::filesystem::path root = base / "www";
    std::filesystem::path files = base / "files";
    std::filesystem::path bans = base / "banned.txt";
};

// A multipart/form-data upload of one file as a raw request (Connection: close unless `keepAlive`).
std::string uploadRequest(const std::string& name, const std::string& bytes, const std::string& extraHeaders = {},
                          bool keepAlive = false);
// The share link on an upload's reply page, empty when there is none.
std::string shareLink(const std::string& page);
// The path of a link ("http://a:1/x/y" -> "/x/y").
std::string pathOf(const std::string& url);
// Sets a file's modification time to `days` ago.
void ageFile(const std::filesystem::path& path, int days);

} // namespace aquine::test

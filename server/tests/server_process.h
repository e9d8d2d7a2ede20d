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

} // namespace aquine::test

// Starting the server program and raw socket exchanges for its tests.
#include "server/tests/server_process.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace aquine::test {

namespace fs = std::filesystem;

fs::path makeTempFolder() {
    std::string tmpl = (fs::temp_directory_path() / "aquine-www-XXXXXX").string();
    return ::mkdtemp(tmpl.data());
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

TempSite::TempSite() {
    fs::create_directories(root / "notepad_share");
    writeFile(root / "index.html", "<p>home</p>");
    writeFile(root / "notepad_share" / "index.html", "<form></form>");
}

TempSite::~TempSite() {
    std::error_code ec;
    fs::remove_all(base, ec);
}

std::vector<std::string> TempSite::arguments(std::vector<std::string> more) const {
    std::vector<std::string> all{"--files", files.string(), "--ban-list", bans.string()};
    all.insert(all.end(), more.begin(), more.end());
    return all;
}

std::string uploadRequest(const std::string& name, const std::string& bytes, const std::string& extraHeaders,
                          bool keepAlive) {
    const std::string body = "--b0undary\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + name +
                             "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + bytes + "\r\n--b0undary--\r\n";
    return "POST /notepad_share/upload.php HTTP/1.1\r\nHost: x\r\n" + extraHeaders +
           "Content-Type: multipart/form-data; boundary=b0undary\r\nContent-Length: " + std::to_string(body.size()) +
           (keepAlive ? "\r\n\r\n" : "\r\nConnection: close\r\n\r\n") + body;
}

std::string shareLink(const std::string& page) {
    const std::string marker = "id=\"share-link\" href=\"";
    const auto start = page.find(marker);
    if (start == std::string::npos)
        return {};
    const auto from = start + marker.size();
    return page.substr(from, page.find('"', from) - from);
}

std::string pathOf(const std::string& url) {
    const auto host = url.find("//");
    if (host == std::string::npos)
        return url;
    const auto slash = url.find('/', host + 2);
    return slash == std::string::npos ? "/" : url.substr(slash);
}

void ageFile(const fs::path& path, int days) {
    const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - days * 86400, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

ServerProcess::ServerProcess(const fs::path& root, std::vector<std::string> extraArguments) {
    m_log = makeTempFolder() / "server.log";
    int out[2];
    if (::pipe(out) != 0)
        return;
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        const int log = ::open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(log, STDERR_FILENO);
        ::close(out[0]);
        std::vector<std::string> args{AQUINE_SERVER_EXE, "--root", root.string(), "--port", "0"};
        args.insert(args.end(), extraArguments.begin(), extraArguments.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(AQUINE_SERVER_EXE, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    FILE* in = ::fdopen(out[0], "r");
    char line[256] = {};
    if (std::fgets(line, sizeof line, in))
        m_address = std::string(line, std::strcspn(line, "\n"));
    std::fclose(in);
    const auto colon = m_address.rfind(':');
    if (colon != std::string::npos)
        m_port = std::atoi(m_address.c_str() + colon + 1);
}

ServerProcess::~ServerProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    std::error_code ec;
    fs::remove_all(m_log.parent_path(), ec);
}

std::string ServerProcess::log() const {
    std::ifstream in(m_log);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int connectTo(int port, const char* from) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (from) {
        ::inet_pton(AF_INET, from, &addr.sin_addr);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd);
            return -1;
        }
    }
    addr.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string exchange(int port, const std::string& request, const char* from, std::chrono::milliseconds limit) {
    const int fd = connectTo(port, from);
    if (fd < 0)
        return {};
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        const auto n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return reply;
}

int statusOf(const std::string& reply) {
    if (reply.rfind("HTTP/1.", 0) != 0 || reply.size() < 12)
        return 0;
    return std::atoi(reply.c_str() + 9);
}

std::string bodyOf(const std::string& reply) {
    const auto end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

} // namespace aquine::test

// aquine-server: the maker's server for the programs (updates, sharing, the calculator page).
// Usage: aquine-server --root DIR [--port N] [--host ADDRESS] [options]; port 0 picks a free port. The
// first line on standard output is the address it listens on; each request is logged on standard error.
#include "server/http_server.h"
#include "server/site.h"

#include "server/option_numbers.h"

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace aquine::server;

int usage() {
    std::fputs("用法: aquine-server --root 目录 [--port 端口] [--host 地址] [--public-url 地址]\n"
               "                    [--files 目录] [--ban-list 文件] [--expire-days 天数]\n"
               "                    [--sweep-seconds 秒] [--header-timeout 秒] [--threads 数]\n"
               "                    [--uploads-per-minute 次数] [--upload-mb-per-minute MB]\n",
               stderr);
    return 2;
}

// Runs a task now and then on a thread of its own, until destroyed.
class Periodic {
public:
    Periodic(std::chrono::milliseconds every, std::function<void()> task)
        : m_thread([this, every, task = std::move(task)] {
              std::unique_lock lock(m_mutex);
              do
                  task();
              while (!m_wake.wait_for(lock, every, [this] { return m_stop; }));
          }) {}
    ~Periodic() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

// How often the ban list is looked at for changes: a ban takes effect within this time.
constexpr auto kBanCheck = std::chrono::milliseconds(500);

} // namespace

int main(int argc, char** argv) {
    std::string root, host = "127.0.0.1", files, banList, publicUrl;
    unsigned short port = 0;
    double expireDays = 7;
    long sweepSeconds = 600;
    double headerTimeout = 10;
    int threads = 2;
    UploadAllowance uploads;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return usage();
        const std::string value = argv[++i];
        if (arg == "--root") {
            root = value;
        } else if (arg == "--port") {
            const auto number = parseNumber<unsigned>(value, 0, 65535);
            if (!number) {
                std::fprintf(stderr, "aquine-server: 端口无效：%s（应为 0 到 65535 的整数）\n", value.c_str());
                return 2;
            }
            port = static_cast<unsigned short>(*number);
        } else if (arg == "--host") {
            host = value;
        } else if (arg == "--public-url") {
            auto url = parsePublicUrl(value);
            if (!url) {
                std::fprintf(stderr, "aquine-server: %s\n", url.reason().c_str());
                return 2;
            }
            publicUrl = *url;
        } else if (arg == "--files") {
            files = value;
        } else if (arg == "--ban-list") {
            banList = value;
        } else if (arg == "--expire-days") {
            const auto number = parseNumber<double>(value, kSmallestPositive, 3650);
            if (!number)
                return usage();
            expireDays = *number;
        } else if (arg == "--sweep-seconds") {
            const auto number = parseNumber<long>(value, 1, 86400);
            if (!number)
                return usage();
            sweepSeconds = *number;
        } else if (arg == "--header-timeout") {
            // Bounded, so that turning it into milliseconds cannot overflow.
            const auto number = parseNumber<double>(value, kSmallestPositive, 3600);
            if (!number)
                return usage();
            headerTimeout = *number;
        } else if (arg == "--uploads-per-minute") {
            const auto number = parseNumber<double>(value, 1, 1e6);
            if (!number)
                return usage();
            uploads.requestsPerMinute = *number;
        } else if (arg == "--upload-mb-per-minute") {
            const auto number = parseNumber<double>(value, 0.001, 1e6);
            if (!number)
                return usage();
            uploads.bytesPerMinute = *number * 1024 * 1024;
        } else if (arg == "--threads") {
            const auto number = parseNumber<int>(value, 1, 64);
            if (!number)
                return usage();
            threads = *number;
        } else {
            return usage();
        }
    }
    if (root.empty() || !fs::is_directory(root)) {
        std::fprintf(stderr, "aquine-server: 目录不存在：%s\n", root.c_str());
        return 2;
    }

    SiteOptions options;
    options.root = root;
    // Both live under the root's folders but are never served as they are: shared files only through
    // their links, and the ban list is a dot-file.
    options.sharedFiles = files.empty() ? fs::path(root) / "notepad_share" / "files" : fs::path(files);
    options.banList = banList.empty() ? fs::path(root) / ".banned_ips.txt" : fs::path(banList);
    options.shareLifetime = std::chrono::seconds(static_cast<long long>(expireDays * 86400));
    options.publicUrl = publicUrl;
    options.uploads = uploads;

    ServerLimits limits;
    limits.headerTimeout = std::chrono::milliseconds(static_cast<long long>(headerTimeout * 1000));
    limits.threads = threads;

    // Without --public-url, links name the bound address; with port 0 that is known only once bound,
    // and connections are accepted only after it is set.
    auto site = Site::create(options);
    if (!site) {
        std::fprintf(stderr, "aquine-server: %s\n", site.reason().c_str());
        return 1;
    }
    auto server = HttpServer::listen(**site, host, port, limits);
    if (!server) {
        std::fprintf(stderr, "aquine-server: %s\n", server.reason().c_str());
        return 1;
    }
    const std::string self = "http://" + (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" +
                             std::to_string((*server)->port());
    (*site)->setSelfUrl(self);
    if (publicUrl.empty() && (host == "0.0.0.0" || host == "::"))
        std::fprintf(stderr, "aquine-server: 分享链接将指向 %s，别人无法打开；请用 --public-url 给出公开地址\n",
                     self.c_str());
    std::printf("%s\n", self.c_str());
    std::fflush(stdout);

    auto& shares = (*site)->shares();
    auto& bans = (*site)->bans();
    // The list was read at start; a large one is reported each time it is read.
    bool first = true;
    Periodic sweeper(std::chrono::seconds(sweepSeconds), [&shares] { shares.sweep(); });
    Periodic banWatch(kBanCheck, [&bans, &first] {
        if ((bans.reloadIfChanged() || first) && bans.truncated())
            std::fprintf(stderr, "aquine-server: 封禁列表超过 %zu KB，只读取了前面的部分\n", kBanListLimit / 1024);
        first = false;
    });
    (*server)->run();
    return 0;
}

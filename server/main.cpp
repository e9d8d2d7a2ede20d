// aquine-server: serves the maker's files on loopback for the programs and their tests.
// Usage: aquine-server --root DIR [--port N] [--host ADDRESS]; port 0 picks a free port. The first
// line on standard output is the address it listens on.
#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

httplib::Server* g_server = nullptr;

void stopOnSignal(int) {
    if (g_server)
        g_server->stop();
}

int usage() {
    std::fputs("usage: aquine-server --root DIR [--port N] [--host ADDRESS]\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string root, host = "127.0.0.1";
    int port = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return usage();
        if (arg == "--root")
            root = argv[++i];
        else if (arg == "--port")
            port = std::atoi(argv[++i]);
        else if (arg == "--host")
            host = argv[++i];
        else
            return usage();
    }
    if (root.empty() || !std::filesystem::is_directory(root)) {
        std::fprintf(stderr, "aquine-server: no such folder: %s\n", root.c_str());
        return 2;
    }

    httplib::Server server;
    // Texts on the server are GBK; say so, since clients display some of them.
    server.set_file_extension_and_mimetype_mapping("txt", "text/plain; charset=GBK");
    if (!server.set_mount_point("/", root)) {
        std::fprintf(stderr, "aquine-server: cannot serve %s\n", root.c_str());
        return 1;
    }
    const int bound = port == 0 ? server.bind_to_any_port(host) : (server.bind_to_port(host, port) ? port : -1);
    if (bound < 0) {
        std::fprintf(stderr, "aquine-server: cannot listen on %s:%d\n", host.c_str(), port);
        return 1;
    }
    g_server = &server;
    std::signal(SIGTERM, stopOnSignal);
    std::signal(SIGINT, stopOnSignal);
    std::printf("http://%s:%d\n", host.c_str(), bound);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}

// The HTTP side of the maker's server: an event-driven listener (Boost.Beast on Asio) that holds every
// connection to size limits and deadlines, so that slow or hostile clients cannot starve the others.
#pragma once

#include "common/result.h"
#include "server/site.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace aquine::server {

struct ServerLimits {
    // From the moment the server waits for a request until its head is complete; also the idle limit
    // of a kept-alive connection.
    std::chrono::milliseconds headerTimeout{std::chrono::seconds(10)};
    // For a body (at most one upload of 2 MB) and for writing a reply.
    std::chrono::milliseconds transferTimeout{std::chrono::seconds(60)};
    std::size_t maxHeaderBytes = 8 * 1024;
    std::size_t maxHeaderCount = 100;
    int backlog = 4096;
    std::size_t maxConnections = 8000;
    int threads = 2;
};

class HttpServer {
public:
    static Result<std::unique_ptr<HttpServer>> listen(Site& site, const std::string& host, unsigned short port,
                                                      ServerLimits limits);
    ~HttpServer();

    unsigned short port() const;
    // Serves until SIGINT or SIGTERM.
    void run();

private:
    struct State;
    explicit HttpServer(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace aquine::server

// Connections on Boost.Beast: a head is read under a byte, field-count and time limit, screened before
// any body is read, and refusals end with a lingering close so the client can read why.
#include "server/http_server.h"

#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace aquine::server {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

// What a refused client may still send before the connection is closed on it: read and dropped, so
// that it receives the refusal instead of a reset.
constexpr std::size_t kLingerBytes = 4 * 1024 * 1024;
constexpr auto kLingerTime = std::chrono::seconds(2);

std::mutex g_logMutex;

// Whether the head frames its body in the one way this server reads: by Content-Length alone, or by
// Transfer-Encoding naming exactly one coding, chunked. Anything else (an unknown or repeated
// coding, chunked before another, both fields, a coding in HTTP/1.0) is how a body is made to mean
// one thing here and another to a proxy in front, so the request is refused and the connection
// closed. Beast itself refuses only some of these ("Transfer-Encoding: xchunked" with a
// Content-Length it takes as a plain request with a body).
template <class Fields> bool framingIsClear(const http::request_header<Fields>& head) {
    std::size_t codings = 0, chunked = 0;
    bool lengthSeen = false;
    for (const auto& field : head) {
        if (field.name() == http::field::content_length)
            lengthSeen = true;
        if (field.name() != http::field::transfer_encoding)
            continue;
        beast::string_view value = field.value();
        while (!value.empty()) {
            const auto comma = value.find(',');
            auto coding = value.substr(0, comma);
            while (!coding.empty() && (coding.front() == ' ' || coding.front() == '\t'))
                coding.remove_prefix(1);
            while (!coding.empty() && (coding.back() == ' ' || coding.back() == '\t'))
                coding.remove_suffix(1);
            if (!coding.empty()) {
                ++codings;
                chunked += beast::iequals(coding, "chunked");
            }
            value.remove_prefix(comma == beast::string_view::npos ? value.size() : comma + 1);
        }
        if (codings == 0) // a field with no coding at all
            return false;
    }
    if (codings == 0)
        return true;
    return codings == 1 && chunked == 1 && !lengthSeen && head.version() >= 11;
}

// What "Expect" asks: nothing, "100-continue", or something this server cannot do.
enum class Expectation { None, Continue, Unknown };
template <class Fields> Expectation expectationOf(const http::request_header<Fields>& head) {
    const auto it = head.find(http::field::expect);
    if (it == head.end())
        return Expectation::None;
    return beast::iequals(it->value(), "100-continue") ? Expectation::Continue : Expectation::Unknown;
}

const std::string kContinue = "HTTP/1.1 100 Continue\r\n\r\n";

// One line a request; control bytes of the target are escaped so nobody can forge log lines.
void logRequest(const std::string& address, const std::string& method, const std::string& target, int status,
                unsigned long long bytes, std::chrono::steady_clock::duration took) {
    std::string line;
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    struct tm utc {};
    ::gmtime_r(&now, &utc);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    line += stamp;
    line += ' ' + address + " \"" + method + ' ';
    for (const char c : target.substr(0, 1024)) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '"' || c == '\\') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            line += hex;
        } else {
            line.push_back(c);
        }
    }
    char tail[96];
    std::snprintf(tail, sizeof tail, "\" %d %llu %.1fms\n", status, bytes,
                  std::chrono::duration<double, std::milli>(took).count());
    line += tail;
    std::lock_guard lock(g_logMutex);
    std::fwrite(line.data(), 1, line.size(), stderr);
}

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, Site& site, const ServerLimits& limits, std::atomic<std::size_t>& open)
        : m_stream(std::move(socket)), m_site(site), m_limits(limits), m_open(open) {
        beast::error_code ec;
        auto remote = m_stream.socket().remote_endpoint(ec).address();
        if (remote.is_v6() && remote.to_v6().is_v4_mapped())
            remote = remote.to_v6().to_v4();
        m_address = ec ? std::string("?") : remote.to_string();
        m_stream.socket().set_option(tcp::no_delay(true), ec);
    }
    ~Session() { --m_open; }

    void start() { readHead(); }

private:
    void readHead() {
        m_parser.emplace();
        m_parser->header_limit(static_cast<std::uint32_t>(m_limits.maxHeaderBytes));
        // The body's limit depends on the route, decided once the head is in; until then Beast must
        // not judge Content-Length by its own default. (No limit is the largest number: Boost 1.74
        // compares Content-Length against an empty optional as if it were below every length.)
        m_parser->body_limit(std::numeric_limits<std::uint64_t>::max());
        m_request = Request{};
        m_request.clientAddress = m_address;
        m_stream.expires_after(m_limits.headerTimeout);
        http::async_read_header(m_stream, m_buffer, *m_parser,
                                [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onHead(ec); });
    }

    void onHead(beast::error_code ec) {
        m_started = std::chrono::steady_clock::now();
        if (ec == http::error::header_limit)
            return refuse(messagePage(431, "请求头太大", "请求头超过8KB，服务器拒绝处理。"));
        if (ec == http::error::end_of_stream || ec == beast::error::timeout || ec == asio::error::eof ||
            ec == asio::error::connection_reset || ec == asio::error::operation_aborted)
            return close();
        if (ec)
            return refuse(messagePage(400, "请求无效", "无法理解这个请求。"));
        const auto& head = m_parser->get();
        m_request.method = std::string(head.method_string());
        m_request.target = std::string(head.target());
        std::size_t fields = 0;
        for (auto it = head.begin(); it != head.end(); ++it)
            ++fields;
        if (fields > m_limits.maxHeaderCount)
            return refuse(messagePage(431, "请求头太多", "请求头超过100个，服务器拒绝处理。"));
        if (!framingIsClear(head))
            return refuse(
                messagePage(400, "请求无效", "请求正文的长度无法确定（Transfer-Encoding 或 Content-Length 不对）。"));
        m_request.contentType = std::string(head[http::field::content_type]);
        if (const auto length = m_parser->content_length())
            m_request.contentLength = *length;
        m_request.chunked = m_parser->chunked();
        if (auto refusal = m_site.screen(m_request))
            return refuse(std::move(*refusal));
        const auto expectation = expectationOf(head);
        if (expectation == Expectation::Unknown)
            return refuse(messagePage(417, "请求无效", "服务器不支持这个 Expect 请求头。"));
        if (m_parser->is_done())
            return respond(m_site.handle(m_request), false);
        m_parser->body_limit(m_site.bodyLimit(m_request));
        m_stream.expires_after(m_limits.transferTimeout);
        // The head passed every check that needs no body, so a client waiting to hear that before it
        // sends (curl does, for a second) is told to go on.
        if (expectation == Expectation::Continue && head.version() >= 11)
            return asio::async_write(m_stream, asio::buffer(kContinue),
                                     [self = shared_from_this()](beast::error_code ec, std::size_t) {
                                         if (ec)
                                             return self->close();
                                         self->readBody();
                                     });
        readBody();
    }

    void readBody() {
        http::async_read(m_stream, m_buffer, *m_parser,
                         [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onBody(ec); });
    }

    void onBody(beast::error_code ec) {
        if (ec == http::error::body_limit)
            return refuse(messagePage(413, "文件太大", "最多上传2M的文档，这个文件太大了，没有上传。"));
        if (ec)
            return close();
        m_request.body = std::move(m_parser->get().body());
        respond(m_site.handle(m_request), false);
    }

    // A refusal: the rest of the request is never read, so the connection cannot be used again.
    void refuse(Response response) { respond(std::move(response), true); }

    void respond(Response response, bool refused) {
        const bool head = m_request.method == "HEAD";
        const bool keepAlive = !refused && m_parser && m_parser->get().keep_alive();
        const int status = response.status;
        unsigned long long bytes = 0;
        auto prepare = [&](auto& message) {
            message.result(static_cast<unsigned>(status));
            message.version(11);
            message.set(http::field::server, "aquine-server");
            for (const auto& [name, value] : response.headers)
                message.set(name, value);
            message.keep_alive(keepAlive);
        };
        if (response.file.fd() >= 0 && !head) {
            auto message = std::make_shared<http::response<http::file_body>>();
            prepare(*message);
            beast::file_posix file;
            file.native_handle(response.file.release());
            beast::error_code ec;
            message->body().reset(std::move(file), ec);
            message->prepare_payload();
            bytes = message->body().size();
            write(message, refused, status, bytes);
        } else {
            auto message = std::make_shared<http::response<http::string_body>>();
            prepare(*message);
            bytes = response.file.fd() >= 0 ? response.file.size() : response.body.size();
            if (head) {
                message->content_length(bytes);
            } else {
                message->body() = std::move(response.body);
                message->prepare_payload();
            }
            write(message, refused, status, bytes);
        }
    }

    template <class Message>
    void write(std::shared_ptr<Message> message, bool refused, int status, unsigned long long bytes) {
        logRequest(m_address, m_request.method.empty() ? std::string("-") : m_request.method, m_request.target, status,
                   bytes, std::chrono::steady_clock::now() - m_started);
        m_stream.expires_after(m_limits.transferTimeout);
        const bool keepAlive = message->keep_alive();
        http::async_write(m_stream, *message,
                          [self = shared_from_this(), message, refused, keepAlive](beast::error_code ec, std::size_t) {
                              self->afterWrite(ec, refused, keepAlive);
                          });
    }

    void afterWrite(beast::error_code ec, bool refused, bool keepAlive) {
        if (ec)
            return close();
        if (refused)
            return linger();
        if (!keepAlive)
            return close();
        readHead();
    }

    void linger() {
        beast::error_code ec;
        m_stream.socket().shutdown(tcp::socket::shutdown_send, ec);
        m_stream.expires_after(kLingerTime);
        drain();
    }

    void drain() {
        m_stream.async_read_some(asio::buffer(m_discard),
                                 [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                                     self->m_drained += n;
                                     if (ec || self->m_drained >= kLingerBytes)
                                         return self->close();
                                     self->drain();
                                 });
    }

    void close() {
        beast::error_code ec;
        m_stream.socket().shutdown(tcp::socket::shutdown_both, ec);
        m_stream.close();
    }

    beast::tcp_stream m_stream;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::string_body>> m_parser;
    Site& m_site;
    const ServerLimits& m_limits;
    std::atomic<std::size_t>& m_open;
    std::string m_address;
    Request m_request;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::array<char, 16 * 1024> m_discard{};
    std::size_t m_drained = 0;
};

} // namespace

struct HttpServer::State {
    State(Site& site, ServerLimits limits) : site(site), limits(limits), acceptor(io), retry(io) {}

    void accept() {
        acceptor.async_accept(asio::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
            if (ec == asio::error::operation_aborted)
                return;
            if (ec) {
                // Out of descriptors: wait a moment rather than spin; the backlog holds the clients.
                retry.expires_after(std::chrono::milliseconds(50));
                retry.async_wait([this](beast::error_code) { accept(); });
                return;
            }
            if (open.load() >= limits.maxConnections) {
                beast::error_code ignored;
                socket.close(ignored);
            } else {
                ++open;
                std::make_shared<Session>(std::move(socket), site, limits, open)->start();
            }
            accept();
        });
    }

    Site& site;
    ServerLimits limits;
    asio::io_context io;
    tcp::acceptor acceptor;
    asio::steady_timer retry;
    std::atomic<std::size_t> open{0};
};

HttpServer::HttpServer(std::unique_ptr<State> state) : m_state(std::move(state)) {}
HttpServer::~HttpServer() = default;

Result<std::unique_ptr<HttpServer>> HttpServer::listen(Site& site, const std::string& host, unsigned short port,
                                                       ServerLimits limits) {
    auto state = std::make_unique<State>(site, limits);
    beast::error_code ec;
    const auto address = asio::ip::make_address(host, ec);
    if (ec)
        return fail("无效的监听地址：" + host);
    const tcp::endpoint endpoint(address, port);
    state->acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        state->acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        state->acceptor.bind(endpoint, ec);
    if (!ec)
        state->acceptor.listen(limits.backlog, ec);
    if (ec)
        return fail("无法监听 " + host + ":" + std::to_string(port) + "：" + ec.message());
    return std::unique_ptr<HttpServer>(new HttpServer(std::move(state)));
}

unsigned short HttpServer::port() const {
    beast::error_code ec;
    return m_state->acceptor.local_endpoint(ec).port();
}

void HttpServer::run() {
    asio::signal_set signals(m_state->io, SIGINT, SIGTERM);
    signals.async_wait([this](beast::error_code, int) { m_state->io.stop(); });
    m_state->accept();
    std::vector<std::thread> helpers;
    for (int i = 1; i < m_state->limits.threads; ++i)
        helpers.emplace_back([this] { m_state->io.run(); });
    m_state->io.run();
    for (auto& t : helpers)
        t.join();
}

} // namespace aquine::server

// What the maker's server answers: update files, the sharing pages and upload service, the forum's
// calculator page, and static files of its folder. Free of the HTTP library, so it is tested directly.
#pragma once

#include "common/result.h"
#include "server/ban_list.h"
#include "server/root_files.h"
#include "server/share_store.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace aquine::server {

// The most a shared file may hold, as the sharing window's rules promise ("最多上传2M").
inline constexpr std::size_t kShareLimit = 2 * 1024 * 1024;
// Room for the form around the file: boundaries, part headers, the file name.
inline constexpr std::size_t kFormOverhead = 8 * 1024;

struct Request {
    std::string method;
    std::string target;
    std::string clientAddress;
    std::string host;
    std::string contentType;
    std::optional<unsigned long long> contentLength;
    bool chunked = false;
    std::string body;
};

struct Response {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // When open, the body is this file instead.
    OpenFile file;
};

struct SiteOptions {
    std::filesystem::path root;
    std::filesystem::path sharedFiles;
    std::filesystem::path banList;
    std::chrono::seconds shareLifetime{std::chrono::hours(24 * 7)};
    // Where links handed out point to; empty takes the Host the client asked for, else selfUrl.
    std::string publicUrl;
    std::string selfUrl;
};

class Site {
public:
    static Result<std::unique_ptr<Site>> create(SiteOptions options);

    // Decided from the head alone, before any of the body is read: a response here ends the exchange.
    std::optional<Response> screen(const Request& head);
    // The most body bytes this request may carry.
    std::size_t bodyLimit(const Request& head) const;
    Response handle(const Request& request);

    ShareStore& shares() { return m_shares; }
    void setSelfUrl(std::string url) { m_options.selfUrl = std::move(url); }

private:
    Site(SiteOptions options, RootFolder root);

    std::string baseUrl(const Request& request) const;
    Response serveFile(const std::vector<std::string>& names, bool trailingSlash, const std::string& path);
    Response upload(const Request& request);
    Response sharedFile(const std::string& id);

    SiteOptions m_options;
    RootFolder m_root;
    ShareStore m_shares;
    BanList m_bans;
};

// A small page in Chinese for refusals and results; the message is HTML-escaped here.
Response messagePage(int status, const std::string& title, const std::string& message);
std::string htmlEscape(std::string_view text);

} // namespace aquine::server

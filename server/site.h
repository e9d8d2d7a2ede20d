// What the maker's server answers: update files, the sharing pages and upload service, the forum's
// calculator page, and static files of its folder. Free of the HTTP library, so it is tested directly.
#pragma once

#include "common/result.h"
#include "server/ban_list.h"
#include "server/root_files.h"
#include "server/share_store.h"
#include "server/upload_budget.h"

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
    // Where links handed out point to (checked by parsePublicUrl); empty takes selfUrl, the address
    // the server listens on. Never the client's Host, which anyone can set.
    std::string publicUrl;
    std::string selfUrl;
    UploadAllowance uploads;
};

// A public address as links are built on: http or https, a host, an optional port and path prefix,
// nothing else (no user, query or fragment). Given back in lower case up to the path, without a
// trailing slash; a reason in Chinese when it is none.
Result<std::string> parsePublicUrl(std::string_view url);

// What a request path is for, decided on the path as normalised, so that no spelling of it reaches
// another route.
enum class Route { File, Share, Upload, UpdateAddress, ClientAddress, Forum };
struct RoutedPath {
    Route route = Route::File;
    RequestPath path;
};
// Empty when the path is malformed.
std::optional<RoutedPath> routeOf(std::string_view target);

class Site {
public:
    static Result<std::unique_ptr<Site>> create(SiteOptions options);

    // Decided from the head alone, before any of the body is read: a response here ends the exchange.
    std::optional<Response> screen(const Request& head);
    // The most body bytes this request may carry.
    std::size_t bodyLimit(const Request& head) const;
    Response handle(const Request& request);

    ShareStore& shares() { return m_shares; }
    BanList& bans() { return m_bans; }
    void setSelfUrl(std::string url) { m_options.selfUrl = std::move(url); }

private:
    Site(SiteOptions options, RootFolder root);

    std::string baseUrl() const;
    Response serveFile(const RequestPath& path);
    Response upload(const Request& request);
    Response sharedFile(const RequestPath& path);

    SiteOptions m_options;
    RootFolder m_root;
    ShareStore m_shares;
    BanList m_bans;
    UploadBudget m_uploads;
    // Where the shared files sit inside the served folder, if they do (no names: the folder itself):
    // never served as plain files.
    std::optional<std::vector<std::string>> m_sharedFolderNames;
};

// A small page in Chinese for refusals and results; the message is HTML-escaped here.
Response messagePage(int status, const std::string& title, const std::string& message);
std::string htmlEscape(std::string_view text);

} // namespace aquine::server

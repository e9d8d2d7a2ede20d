// The routes of the maker's server and the refusals that protect it.
#include "server/site.h"

#include "server/option_numbers.h"

#include <algorithm>
#include <arpa/inet.h>
#include <unistd.h>

namespace aquine::server {

namespace {

constexpr const char* kSharePrefix = "/notepad_share/files/";

std::string_view queryOf(std::string_view target) {
    const auto q = target.find('?');
    return q == std::string_view::npos ? std::string_view{} : target.substr(q + 1);
}

bool isNames(const std::vector<std::string>& names, std::initializer_list<std::string_view> expected) {
    return std::equal(names.begin(), names.end(), expected.begin(), expected.end());
}

bool startsWith(const std::vector<std::string>& names, const std::vector<std::string>& prefix) {
    return names.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), names.begin());
}

// A path for a Location header: the names percent-encoded again, so no byte of them can break it.
std::string encodedPath(const std::vector<std::string>& names) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const auto& name : names) {
        out.push_back('/');
        for (const char c : name) {
            const auto u = static_cast<unsigned char>(c);
            if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~') {
                out.push_back(c);
            } else {
                out.push_back('%');
                out.push_back(hex[u >> 4]);
                out.push_back(hex[u & 15]);
            }
        }
    }
    return out + "/";
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (auto& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isHostName(std::string_view host) {
    if (host.empty() || host.size() > 253 || host.front() == '.' || host.front() == '-')
        return false;
    return std::all_of(host.begin(), host.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-'; });
}

// Path characters of RFC 3986 that need no escaping inside an HTML attribute either.
bool isPathCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("-._~!$&'()*+,=:@/%").find(c) != std::string_view::npos;
}

std::string readAll(OpenFile& file) {
    std::string text(file.size(), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const auto n = ::pread(file.fd(), text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    return text;
}

} // namespace

std::string htmlEscape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

Response messagePage(int status, const std::string& title, const std::string& message) {
    Response r;
    r.status = status;
    r.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
    r.body = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head><meta charset=\"utf-8\"><title>" + htmlEscape(title) +
             "</title></head>\n<body>\n<h3>" + htmlEscape(title) + "</h3>\n<p>" + htmlEscape(message) +
             "</p>\n</body>\n</html>\n";
    return r;
}

Result<std::string> parsePublicUrl(std::string_view url) {
    const auto invalid = [&] {
        return fail("公开地址无效：" + std::string(url) +
                    "（应为 http:// 或 https:// 加主机名，可带端口和路径，如 https://example.com:8443/aquine）");
    };
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos)
        return invalid();
    const std::string scheme = lowered(url.substr(0, schemeEnd));
    if (scheme != "http" && scheme != "https")
        return invalid();
    auto rest = url.substr(schemeEnd + 3);
    const auto pathStart = rest.find('/');
    const auto authority = rest.substr(0, pathStart);
    auto path = pathStart == std::string_view::npos ? std::string_view{} : rest.substr(pathStart);
    if (url.find_first_of("?#@") != std::string_view::npos)
        return invalid();
    std::string_view host = authority, port;
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        if (close == std::string_view::npos)
            return invalid();
        const std::string inside(host.substr(1, close - 1));
        unsigned char bytes[16];
        if (::inet_pton(AF_INET6, inside.c_str(), bytes) != 1)
            return invalid();
        port = host.substr(close + 1);
        host = host.substr(0, close + 1);
        if (!port.empty() && !port.starts_with(':'))
            return invalid();
    } else {
        const auto colon = host.find(':');
        if (colon != std::string_view::npos) {
            port = host.substr(colon);
            host = host.substr(0, colon);
        }
        if (!isHostName(host))
            return invalid();
    }
    if (!port.empty() && !parseNumber<unsigned>(std::string(port.substr(1)), 1, 65535))
        return invalid();
    if (!std::all_of(path.begin(), path.end(), isPathCharacter) || path.find("//") != std::string_view::npos)
        return invalid();
    while (path.ends_with('/'))
        path.remove_suffix(1);
    return scheme + "://" + lowered(host) + std::string(port) + std::string(path);
}

std::optional<RoutedPath> routeOf(std::string_view target) {
    // A request may name the whole address ("GET http://host/x"); only its path chooses the route,
    // and its host is never used.
    const auto lower = lowered(target.substr(0, 8));
    if (lower.starts_with("http://") || lower.starts_with("https://")) {
        target.remove_prefix(target.find("//") + 2);
        const auto slash = target.find_first_of("/?");
        if (slash == std::string_view::npos || target[slash] != '/')
            target = "/";
        else
            target.remove_prefix(slash);
    }
    auto parsed = parseRequestPath(target.substr(0, target.find('?')));
    if (!parsed)
        return std::nullopt;
    auto& names = parsed->names;
    // Old links name every file under "server/"; the same files are served with or without it.
    if (!names.empty() && names.front() == "server" && (names.size() > 1 || parsed->trailingSlash))
        names.erase(names.begin());
    RoutedPath routed{Route::File, std::move(*parsed)};
    const auto& n = routed.path.names;
    if (n.size() >= 2 && n[0] == "notepad_share" && n[1] == "files")
        routed.route = Route::Share;
    else if (isNames(n, {"notepad_share", "upload.php"}))
        routed.route = Route::Upload;
    else if (isNames(n, {"notepad_share", "get_ip_server.php"}))
        routed.route = Route::ClientAddress;
    else if (isNames(n, {"url_notepad.txt"}))
        routed.route = Route::UpdateAddress;
    else if (isNames(n, {"forum.php"}))
        routed.route = Route::Forum;
    return routed;
}

Result<std::unique_ptr<Site>> Site::create(SiteOptions options) {
    auto root = RootFolder::open(options.root.string());
    if (!root)
        return fail(root.reason());
    return std::unique_ptr<Site>(new Site(std::move(options), std::move(*root)));
}

Site::Site(SiteOptions options, RootFolder root)
    : m_options(std::move(options)), m_root(std::move(root)), m_shares(m_options.sharedFiles, m_options.shareLifetime),
      m_bans(m_options.banList), m_uploads(m_options.uploads) {
    // The file route must not reach the shared files by their folder (their expiry, names and
    // download headers are the share route's). Where the folder lies is fixed now; it need not exist.
    std::error_code rootError, sharedError;
    const auto served = std::filesystem::weakly_canonical(m_options.root, rootError);
    const auto shared = std::filesystem::weakly_canonical(m_options.sharedFiles, sharedError);
    if (rootError || sharedError)
        return;
    const auto relative = shared.lexically_relative(served);
    if (relative.empty() || *relative.begin() == "..")
        return;
    m_sharedFolderNames.emplace();
    for (const auto& name : relative)
        if (name != ".")
            m_sharedFolderNames->push_back(name.string());
}

std::string Site::baseUrl() const { return m_options.publicUrl.empty() ? m_options.selfUrl : m_options.publicUrl; }

std::optional<Response> Site::screen(const Request& head) {
    if (m_bans.isBanned(head.clientAddress))
        return messagePage(403, "禁止访问", "你的IP已被禁止访问本服务器。");
    if (head.method != "GET" && head.method != "HEAD" && head.method != "POST")
        return messagePage(405, "不支持的请求", "本服务器只接受 GET、HEAD 和 POST 请求。");
    const auto routed = routeOf(head.target);
    const bool isUpload = head.method == "POST" && routed && routed->route == Route::Upload;
    if (head.method == "POST" && !isUpload)
        return messagePage(405, "不支持的请求", "这个地址不接受上传。");
    const auto limit = bodyLimit(head);
    const bool hasBody = head.chunked || head.contentLength.value_or(0) > 0;
    if (hasBody && head.contentLength.value_or(0) > limit) {
        if (limit == 0)
            return messagePage(413, "请求被拒绝", "这个地址不接受请求正文。");
        return messagePage(413, "文件太大", "最多上传2M的文档，这个文件太大了，没有上传。");
    }
    if (isUpload) {
        // A chunked body's size is known only once read: it is charged as the largest it may be.
        const auto bytes = head.chunked ? limit : head.contentLength.value_or(0);
        const auto wait = m_uploads.charge(head.clientAddress, bytes, UploadBudget::Clock::now());
        if (wait.count() > 0) {
            auto r =
                messagePage(429, "上传太频繁",
                            "你在一分钟内上传的次数或数据太多了，请" + std::to_string(wait.count()) + "秒后再试。");
            r.headers.emplace_back("Retry-After", std::to_string(wait.count()));
            return r;
        }
    }
    return std::nullopt;
}

std::size_t Site::bodyLimit(const Request& head) const {
    if (head.method != "POST")
        return 0;
    const auto routed = routeOf(head.target);
    return routed && routed->route == Route::Upload ? kShareLimit + kFormOverhead : 0;
}

Response Site::handle(const Request& request) {
    const auto routed = routeOf(request.target);
    if (!routed)
        return messagePage(400, "请求无效", "请求的地址无效。");
    switch (routed->route) {
    case Route::Upload:
        if (request.method == "POST")
            return upload(request);
        return messagePage(405, "不支持的请求", "请用上传页面的表单上传文件。");
    case Route::UpdateAddress: {
        // The package's address names this server as the world reaches it; the file holds
        // "{server}" in its place.
        OpenFile file;
        if (m_root.find({"url_notepad.txt"}, file) != Lookup::Found)
            return messagePage(404, "找不到文件", "服务器上没有这个文件。");
        std::string text = readAll(file);
        const std::string marker = "{server}", base = baseUrl();
        for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at + base.size()))
            text.replace(at, marker.size(), base);
        Response r;
        r.headers.emplace_back("Content-Type", "text/plain; charset=GBK");
        r.body = std::move(text);
        return r;
    }
    case Route::ClientAddress: {
        Response r;
        r.headers.emplace_back("Content-Type", "text/plain; charset=utf-8");
        r.headers.emplace_back("Cache-Control", "no-store");
        r.body = request.clientAddress;
        return r;
    }
    case Route::Share: return sharedFile(routed->path);
    case Route::Forum: {
        const auto query = queryOf(request.target);
        if (query.empty())
            return serveFile(RequestPath{{"forum", "index.html"}, false});
        if (queryValue(query, "mod") == "viewthread" && queryValue(query, "tid") == "269")
            return serveFile(RequestPath{{"forum", "calculator.html"}, false});
        return messagePage(404, "找不到帖子", "论坛里没有这个帖子。");
    }
    case Route::File: break;
    }
    return serveFile(routed->path);
}

Response Site::serveFile(const RequestPath& path) {
    const auto& names = path.names;
    if (m_sharedFolderNames && startsWith(names, *m_sharedFolderNames))
        return messagePage(404, "找不到文件", "服务器上没有这个文件。");
    OpenFile file;
    auto found = m_root.find(names, file);
    std::string name = names.empty() ? std::string() : names.back();
    if (found == Lookup::IsFolder) {
        if (!path.trailingSlash && !names.empty()) {
            // Relative links of the folder's page must resolve inside the folder.
            const auto location = encodedPath(names);
            Response r = messagePage(301, "已移动", "请访问 " + location);
            r.headers.emplace_back("Location", location);
            return r;
        }
        auto index = names;
        index.push_back("index.html");
        found = m_root.find(index, file);
        name = "index.html";
    }
    if (found != Lookup::Found)
        return messagePage(404, "找不到文件", "服务器上没有这个文件。");
    Response r;
    r.headers.emplace_back("Content-Type", contentTypeFor(name));
    r.headers.emplace_back("X-Content-Type-Options", "nosniff");
    r.file = std::move(file);
    return r;
}

Response Site::upload(const Request& request) {
    auto file = parseMultipartUpload(request.contentType, request.body);
    if (!file)
        return messagePage(400, "上传失败", file.reason());
    if (file->content.size() > kShareLimit)
        return messagePage(413, "文件太大", "最多上传2M的文档，这个文件太大了，没有上传。");
    file->name = cleanFileName(file->name);
    if (const auto extension = programExtension(file->name))
        return messagePage(415, "上传被拒绝", "不能上传程序或脚本文件（扩展名 " + *extension + "）。");
    if (looksExecutable(file->content))
        return messagePage(415, "上传被拒绝", "不能上传程序或脚本文件（无论扩展名是什么）。");
    auto id = m_shares.store(*file);
    if (!id)
        return messagePage(500, "上传失败", id.reason());
    const std::string link = baseUrl() + kSharePrefix + *id;
    Response r;
    r.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
    r.body = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head><meta charset=\"utf-8\"><title>上传成功</title></head>\n"
             "<body>\n<p>上传成功！你的分享地址：</p>\n<p><a id=\"share-link\" href=\"" +
             htmlEscape(link) + "\">" + htmlEscape(link) +
             "</a></p>\n<p>把这个地址发到论坛上吧。文件不能永久保存。</p>\n</body>\n</html>\n";
    return r;
}

Response Site::sharedFile(const RequestPath& path) {
    // The whole folder is this route's: a listing, a name file or anything else in it is no share.
    const auto& names = path.names;
    auto shared = names.size() == 3 && !path.trailingSlash ? m_shares.find(names[2]) : std::nullopt;
    if (!shared)
        return messagePage(404, "找不到文件", "分享的文件不存在或已过期。");
    Response r;
    r.headers.emplace_back("Content-Type", "application/octet-stream");
    r.headers.emplace_back("Content-Disposition", attachmentDisposition(shared->name));
    r.headers.emplace_back("X-Content-Type-Options", "nosniff");
    r.headers.emplace_back("Cache-Control", "no-store");
    r.file = std::move(shared->file);
    return r;
}

} // namespace aquine::server

// The routes of the maker's server and the refusals that protect it.
#include "server/site.h"

#include <algorithm>
#include <unistd.h>

namespace aquine::server {

namespace {

constexpr const char* kSharePrefix = "/notepad_share/files/";
constexpr const char* kUploadPath = "/notepad_share/upload.php";

std::string_view pathOf(std::string_view target) { return target.substr(0, target.find('?')); }

std::string_view queryOf(std::string_view target) {
    const auto q = target.find('?');
    return q == std::string_view::npos ? std::string_view{} : target.substr(q + 1);
}

// Old links name every file under "server/"; the same files are served with or without it.
std::string_view withoutServerPrefix(std::string_view path) {
    if (path.starts_with("/server/"))
        path.remove_prefix(7);
    return path;
}

bool isSafeHost(std::string_view host) {
    if (host.empty() || host.size() > 255)
        return false;
    return std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    });
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

Result<std::unique_ptr<Site>> Site::create(SiteOptions options) {
    auto root = RootFolder::open(options.root.string());
    if (!root)
        return fail(root.reason());
    return std::unique_ptr<Site>(new Site(std::move(options), std::move(*root)));
}

Site::Site(SiteOptions options, RootFolder root)
    : m_options(std::move(options)), m_root(std::move(root)), m_shares(m_options.sharedFiles, m_options.shareLifetime),
      m_bans(m_options.banList) {}

std::string Site::baseUrl(const Request& request) const {
    if (!m_options.publicUrl.empty())
        return m_options.publicUrl;
    if (isSafeHost(request.host))
        return "http://" + request.host;
    return m_options.selfUrl;
}

std::optional<Response> Site::screen(const Request& head) {
    if (m_bans.isBanned(head.clientAddress))
        return messagePage(403, "禁止访问", "你的IP已被禁止访问本服务器。");
    if (head.method != "GET" && head.method != "HEAD" && head.method != "POST")
        return messagePage(405, "不支持的请求", "本服务器只接受 GET、HEAD 和 POST 请求。");
    const auto limit = bodyLimit(head);
    const bool hasBody = head.chunked || head.contentLength.value_or(0) > 0;
    if (head.method == "POST" && withoutServerPrefix(pathOf(head.target)) != kUploadPath)
        return messagePage(405, "不支持的请求", "这个地址不接受上传。");
    if (hasBody && head.contentLength.value_or(0) > limit) {
        if (limit == 0)
            return messagePage(413, "请求被拒绝", "这个地址不接受请求正文。");
        return messagePage(413, "文件太大", "最多上传2M的文档，这个文件太大了，没有上传。");
    }
    return std::nullopt;
}

std::size_t Site::bodyLimit(const Request& head) const {
    if (head.method == "POST" && withoutServerPrefix(pathOf(head.target)) == kUploadPath)
        return kShareLimit + kFormOverhead;
    return 0;
}

Response Site::handle(const Request& request) {
    const std::string fullPath(pathOf(request.target));
    const auto path = withoutServerPrefix(fullPath);
    if (request.method == "POST")
        return upload(request);
    if (path == "/url_notepad.txt") {
        // The package's address names this server, which is only known per request; the file holds
        // "{server}" in its place.
        OpenFile file;
        if (m_root.find({"url_notepad.txt"}, file) != Lookup::Found)
            return messagePage(404, "找不到文件", "服务器上没有这个文件。");
        std::string text = readAll(file);
        const std::string marker = "{server}";
        for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at))
            text.replace(at, marker.size(), baseUrl(request));
        Response r;
        r.headers.emplace_back("Content-Type", "text/plain; charset=GBK");
        r.body = std::move(text);
        return r;
    }
    if (path == "/notepad_share/get_ip_server.php") {
        Response r;
        r.headers.emplace_back("Content-Type", "text/plain; charset=utf-8");
        r.headers.emplace_back("Cache-Control", "no-store");
        r.body = request.clientAddress;
        return r;
    }
    if (path.starts_with(kSharePrefix))
        return sharedFile(std::string(path.substr(std::string_view(kSharePrefix).size())));
    if (path == "/forum.php") {
        const auto query = queryOf(request.target);
        if (query.empty())
            return serveFile({"forum", "index.html"}, false, "/forum/index.html");
        if (queryValue(query, "mod") == "viewthread" && queryValue(query, "tid") == "269")
            return serveFile({"forum", "calculator.html"}, false, "/forum/calculator.html");
        return messagePage(404, "找不到帖子", "论坛里没有这个帖子。");
    }
    const auto parsed = parseRequestPath(path);
    if (!parsed)
        return messagePage(400, "请求无效", "请求的地址无效。");
    return serveFile(parsed->names, parsed->trailingSlash, std::string(path));
}

Response Site::serveFile(const std::vector<std::string>& names, bool trailingSlash, const std::string& path) {
    OpenFile file;
    auto found = m_root.find(names, file);
    std::string name = names.empty() ? std::string() : names.back();
    if (found == Lookup::IsFolder) {
        if (!trailingSlash && !names.empty()) {
            // Relative links of the folder's page must resolve inside the folder.
            Response r = messagePage(301, "已移动", "请访问 " + path + "/");
            r.headers.emplace_back("Location", path + "/");
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
    if (looksExecutable(file->content))
        return messagePage(415, "上传被拒绝", "不能上传程序或脚本文件（无论扩展名是什么）。");
    auto id = m_shares.store(*file);
    if (!id)
        return messagePage(500, "上传失败", id.reason());
    const std::string link = baseUrl(request) + kSharePrefix + *id;
    Response r;
    r.headers.emplace_back("Content-Type", "text/html; charset=utf-8");
    r.body = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head><meta charset=\"utf-8\"><title>上传成功</title></head>\n"
             "<body>\n<p>上传成功！你的分享地址：</p>\n<p><a id=\"share-link\" href=\"" +
             htmlEscape(link) + "\">" + htmlEscape(link) +
             "</a></p>\n<p>把这个地址发到论坛上吧。文件不能永久保存。</p>\n</body>\n</html>\n";
    return r;
}

Response Site::sharedFile(const std::string& id) {
    auto shared = m_shares.find(id);
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

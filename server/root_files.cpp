// Confined file lookup under the served folder: openat() one name at a time with O_NOFOLLOW.
#include "server/root_files.h"

#include "common/numbers.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace aquine::server {

namespace {

std::string_view extensionOf(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

} // namespace

std::optional<std::string> percentDecode(std::string_view text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = aquine::hexDigitValue(text[i + 1]), low = aquine::hexDigitValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::optional<RequestPath> parseRequestPath(std::string_view path) {
    if (path.empty() || path.front() != '/')
        return std::nullopt;
    const auto decoded = percentDecode(path);
    if (!decoded)
        return std::nullopt;
    // Checked after decoding, since "%00" and "%5c" are how these arrive.
    if (decoded->find('\0') != std::string::npos || decoded->find('\\') != std::string::npos)
        return std::nullopt;
    // Repeated slashes and dot segments go here, so that every spelling of a path reaches the same
    // route: "/a//b", "/a/./b" and "/a/x/../b" are all "/a/b", and nothing climbs above the root.
    RequestPath result;
    std::size_t start = 1;
    bool folder = false;
    while (start <= decoded->size()) {
        auto end = decoded->find('/', start);
        if (end == std::string::npos)
            end = decoded->size();
        const std::string_view name(decoded->data() + start, end - start);
        folder = name.empty() || name == "." || name == "..";
        if (name == "..") {
            if (!result.names.empty())
                result.names.pop_back();
        } else if (!folder) {
            result.names.emplace_back(name);
        }
        start = end + 1;
    }
    result.trailingSlash = folder;
    return result;
}

std::optional<std::string> queryValue(std::string_view query, std::string_view name) {
    while (!query.empty()) {
        const auto amp = query.find('&');
        const auto pair = query.substr(0, amp);
        const auto eq = pair.find('=');
        if (pair.substr(0, eq) == name)
            return percentDecode(eq == std::string_view::npos ? std::string_view{} : pair.substr(eq + 1), true);
        if (amp == std::string_view::npos)
            break;
        query.remove_prefix(amp + 1);
    }
    return std::nullopt;
}

OpenFile::OpenFile(OpenFile&& other) noexcept : m_fd(other.m_fd), m_size(other.m_size) { other.m_fd = -1; }

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        m_size = other.m_size;
        other.m_fd = -1;
    }
    return *this;
}

OpenFile::~OpenFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int OpenFile::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

bool isServableName(std::string_view name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string_view::npos;
}

Result<RootFolder> RootFolder::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail("无法打开网站目录：" + path);
    return RootFolder(fd);
}

RootFolder::RootFolder(RootFolder&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }

RootFolder::~RootFolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

Lookup RootFolder::find(const std::vector<std::string>& names, OpenFile& file) const {
    int dir = ::dup(m_fd);
    if (dir < 0)
        return Lookup::NotFound;
    for (const auto& name : names) {
        if (!isServableName(name)) {
            ::close(dir);
            return Lookup::NotFound;
        }
        // O_NOFOLLOW refuses a link as the last name; since every name is opened this way, no link is
        // followed anywhere along the path.
        const int next = ::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        ::close(dir);
        if (next < 0)
            return Lookup::NotFound;
        dir = next;
    }
    struct stat info {};
    if (::fstat(dir, &info) != 0) {
        ::close(dir);
        return Lookup::NotFound;
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(dir);
        return Lookup::IsFolder;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(dir);
        return Lookup::NotFound;
    }
    // Opened non-blocking only so that a FIFO could not hang the lookup; files are read normally.
    ::fcntl(dir, F_SETFL, ::fcntl(dir, F_GETFL) & ~O_NONBLOCK);
    file = OpenFile(dir, static_cast<unsigned long long>(info.st_size));
    return Lookup::Found;
}

std::string contentTypeFor(std::string_view name) {
    const auto ext = extensionOf(name);
    if (ext == "html" || ext == "htm")
        return "text/html; charset=utf-8";
    if (ext == "txt")
        return "text/plain; charset=GBK";
    if (ext == "js")
        return "text/javascript; charset=utf-8";
    if (ext == "css")
        return "text/css; charset=utf-8";
    if (ext == "png")
        return "image/png";
    if (ext == "ico")
        return "image/x-icon";
    if (ext == "svg")
        return "image/svg+xml";
    if (ext == "zip")
        return "application/zip";
    return "application/octet-stream";
}

} // namespace aquine::server

// Shared files live as <id> (the bytes) and <id>.name (the uploader's file name); the id is 128 random
// bits, so links cannot be guessed, and a file's age is its modification time.
#include "server/share_store.h"

#include <fcntl.h>
#include <fstream>
#include <sys/random.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace aquine::server {

namespace fs = std::filesystem;

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The value of `key=` inside a header value such as `form-data; name="f"; filename="a.txt"`.
std::optional<std::string> headerParameter(std::string_view value, std::string_view key) {
    std::size_t pos = 0;
    while ((pos = value.find(key, pos)) != std::string_view::npos) {
        const bool starts = pos == 0 || value[pos - 1] == ';' || value[pos - 1] == ' ';
        const auto after = pos + key.size();
        if (starts && after < value.size() && value[after] == '=') {
            auto rest = value.substr(after + 1);
            if (!rest.empty() && rest.front() == '"') {
                const auto close = rest.find('"', 1);
                if (close == std::string_view::npos)
                    return std::nullopt;
                return std::string(rest.substr(1, close - 1));
            }
            return std::string(trim(rest.substr(0, rest.find(';'))));
        }
        pos = after;
    }
    return std::nullopt;
}

} // namespace

Result<UploadedFile> parseMultipartUpload(std::string_view contentType, std::string_view body) {
    if (contentType.substr(0, 19) != "multipart/form-data")
        return fail("请用上传页面的表单上传文件。");
    const auto boundary = headerParameter(contentType, "boundary");
    if (!boundary || boundary->empty())
        return fail("上传的表单无效。");
    const std::string delimiter = "--" + *boundary;
    auto pos = body.find(delimiter);
    while (pos != std::string_view::npos) {
        pos += delimiter.size();
        if (body.substr(pos, 2) == "--")
            break;
        const auto headersStart = pos + 2;
        const auto headersEnd = body.find("\r\n\r\n", headersStart);
        if (headersEnd == std::string_view::npos)
            break;
        // A delimiter ends its line (or the form); the same bytes inside a file are just content.
        auto next = body.find("\r\n" + delimiter, headersEnd + 4);
        while (next != std::string_view::npos) {
            const auto after = body.substr(next + 2 + delimiter.size(), 2);
            if (after == "\r\n" || after == "--")
                break;
            next = body.find("\r\n" + delimiter, next + 2);
        }
        if (next == std::string_view::npos)
            break;
        const auto headers = body.substr(headersStart, headersEnd - headersStart);
        std::optional<std::string> fileName;
        for (std::size_t line = 0; line < headers.size();) {
            auto end = headers.find("\r\n", line);
            if (end == std::string_view::npos)
                end = headers.size();
            const auto text = headers.substr(line, end - line);
            const auto colon = text.find(':');
            if (colon != std::string_view::npos) {
                std::string key(trim(text.substr(0, colon)));
                for (auto& c : key)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                if (key == "content-disposition")
                    fileName = headerParameter(text.substr(colon + 1), "filename");
            }
            line = end + 2;
        }
        if (fileName) {
            if (fileName->empty())
                return fail("请先选择要上传的文件。");
            return UploadedFile{*fileName, std::string(body.substr(headersEnd + 4, next - headersEnd - 4))};
        }
        pos = next + 2;
    }
    return fail("请先选择要上传的文件。");
}

bool looksExecutable(std::string_view content) {
    return content.starts_with("\x7f"
                               "ELF") ||
           content.starts_with("MZ") || content.starts_with("#!");
}

std::string cleanFileName(std::string_view name) {
    // Browsers on Windows may send the whole path; only its last name is the file's.
    const auto slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '"' || c == ';')
            continue;
        out.push_back(c);
    }
    if (out.size() > 200)
        out.resize(200);
    while (!out.empty() && out.front() == '.')
        out.erase(out.begin());
    return out.empty() ? std::string("shared.txt") : out;
}

std::string attachmentDisposition(std::string_view name) {
    std::string ascii, encoded;
    static const char hex[] = "0123456789ABCDEF";
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        ascii.push_back(u < 0x80 ? c : '_');
        if (std::isalnum(u) || c == '.' || c == '-' || c == '_') {
            encoded.push_back(c);
        } else {
            encoded.push_back('%');
            encoded.push_back(hex[u >> 4]);
            encoded.push_back(hex[u & 15]);
        }
    }
    return "attachment; filename=\"" + ascii + "\"; filename*=UTF-8''" + encoded;
}

ShareStore::ShareStore(fs::path folder, std::chrono::seconds lifetime)
    : m_folder(std::move(folder)), m_lifetime(lifetime) {}

bool ShareStore::isValidId(std::string_view id) {
    if (id.size() != 32)
        return false;
    for (const char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

Result<std::string> ShareStore::store(const UploadedFile& file) {
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    unsigned char random[16];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
        return fail("服务器无法生成分享地址。");
    static const char hex[] = "0123456789abcdef";
    std::string id;
    for (const unsigned char b : random) {
        id.push_back(hex[b >> 4]);
        id.push_back(hex[b & 15]);
    }
    // The name first: a file without its name would be served under the fallback name, while the
    // bytes appear under their id only once complete (written aside, then renamed).
    std::ofstream(m_folder / (id + ".name"), std::ios::binary) << cleanFileName(file.name);
    const auto partial = m_folder / (".partial-" + id);
    {
        std::ofstream out(partial, std::ios::binary);
        out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
        out.flush();
        if (!out) {
            fs::remove(partial, ec);
            fs::remove(m_folder / (id + ".name"), ec);
            return fail("服务器无法保存上传的文件。");
        }
    }
    fs::rename(partial, m_folder / id, ec);
    if (ec)
        return fail("服务器无法保存上传的文件。");
    return id;
}

bool ShareStore::expired(const fs::path& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return true;
    const auto modified = std::chrono::system_clock::from_time_t(info.st_mtim.tv_sec);
    return std::chrono::system_clock::now() - modified >= m_lifetime;
}

std::optional<ShareStore::Shared> ShareStore::find(std::string_view id) {
    if (!isValidId(id))
        return std::nullopt;
    const auto path = m_folder / std::string(id);
    std::error_code ec;
    if (expired(path)) {
        fs::remove(path, ec);
        fs::remove(m_folder / (std::string(id) + ".name"), ec);
        return std::nullopt;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    Shared shared{OpenFile(fd, static_cast<unsigned long long>(info.st_size)), {}};
    std::ifstream nameFile(m_folder / (std::string(id) + ".name"), std::ios::binary);
    std::getline(nameFile, shared.name);
    shared.name = cleanFileName(shared.name);
    return shared;
}

int ShareStore::sweep() {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto name = it->path().filename().string();
        if (!isValidId(name) || !expired(it->path()))
            continue;
        fs::remove(it->path(), ec);
        fs::remove(m_folder / (name + ".name"), ec);
        ++removed;
    }
    // Names left by an upload that died halfway are swept with the rest.
    for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto name = it->path().filename().string();
        if (name.size() == 37 && name.ends_with(".name") && isValidId(name.substr(0, 32)) &&
            !fs::exists(m_folder / name.substr(0, 32)) && expired(it->path()))
            fs::remove(it->path(), ec);
    }
    return removed;
}

} // namespace aquine::server

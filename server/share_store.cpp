// Shared files live as <id> (the bytes) and <id>.name (the uploader's file name); the id is 128 random
// bits, so links cannot be guessed, and a file's age is its modification time.
#include "server/share_store.h"

#include "common/file_names.h"
#include "common/unicode.h"

#include <algorithm>
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
    // A byte-order mark does not stop a script's interpreter line from being read by people or by
    // tools that skip it, so it hides nothing.
    if (content.starts_with(kUtf8Bom))
        content.remove_prefix(kUtf8Bom.size());
    return content.starts_with("\x7f"
                               "ELF") ||
           content.starts_with("MZ") || content.starts_with("#!");
}

std::optional<std::string> programExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    std::string extension(name.substr(dot + 1));
    for (auto& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (std::find(kProgramExtensions.begin(), kProgramExtensions.end(), extension) == kProgramExtensions.end())
        return std::nullopt;
    return "." + extension;
}

namespace {

// Characters that change how a name reads without being seen: the bidirectional controls make
// "txt.exe" show as "exe.txt".
bool isInvisibleControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7f && cp <= 0x9f) || cp == 0x200e || cp == 0x200f || (cp >= 0x202a && cp <= 0x202e) ||
           (cp >= 0x2066 && cp <= 0x2069) || cp == 0xfeff;
}

// Windows drops trailing dots and spaces, so "a.exe. " would be saved as "a.exe".
void trimEnds(std::string& name) {
    const auto first = name.find_first_not_of(". ");
    if (first == std::string::npos) {
        name.clear();
        return;
    }
    name.erase(0, first);
    name.erase(name.find_last_not_of(". ") + 1);
}

// The longest prefix of valid UTF-8 text of at most `budget` bytes that ends between characters.
std::string_view cutAtCharacter(std::string_view text, std::size_t budget) {
    if (text.size() <= budget)
        return text;
    std::size_t cut = budget;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

// UTF-8 cut inside its last character, as names kept by earlier versions of this server may be (they
// were cut at 200 bytes; other lengths are not looked at, so a short GBK name is never taken for one).
bool isCutUtf8(std::string_view name) {
    if (name.size() < kMaxNameBytes - 3 || name.size() > kMaxNameBytes)
        return false;
    std::size_t i = 0;
    for (std::size_t len = 0; i < name.size(); i += len)
        if (unicode::readUtf8(name, i, len) == unicode::kIllFormed)
            break;
    const auto rest = name.size() - i;
    if (rest == 0 || rest > 3 || (static_cast<unsigned char>(name[i]) & 0xC0) != 0xC0)
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(i) + 1, name.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; });
}

} // namespace

std::string cleanFileName(std::string_view name) {
    std::string_view ownName = name;
    if (isCutUtf8(ownName)) {
        while ((static_cast<unsigned char>(ownName.back()) & 0xC0) == 0x80)
            ownName.remove_suffix(1);
        ownName.remove_suffix(1); // the lead byte of the cut character
    }
    // Read as people will see it: UTF-8 as it is, else GBK (the notepad's users' own names), so that
    // the cut below and the header see characters rather than bytes.
    const std::string text = displayFileName(ownName);
    std::string_view last = text;
    // Browsers on Windows may send the whole path; only its last name is the file's.
    const auto slash = last.find_last_of("/\\");
    if (slash != std::string_view::npos)
        last.remove_prefix(slash + 1);
    std::string out;
    for (std::size_t i = 0, len = 0; i < last.size(); i += len) {
        const char32_t cp = unicode::readUtf8(last, i, len);
        if (isInvisibleControl(cp) || cp == '"' || cp == ';')
            continue;
        // What Windows refuses in a name (':' would also name a hidden stream of the file).
        if (cp == '<' || cp == '>' || cp == ':' || cp == '|' || cp == '?' || cp == '*')
            out.push_back('_');
        else
            out.append(last.substr(i, len));
    }
    trimEnds(out);
    if (out.size() > kMaxNameBytes) {
        const auto dot = out.rfind('.');
        const std::size_t extension = dot == std::string::npos ? 0 : out.size() - dot;
        if (dot != std::string::npos && dot > 0 && extension <= kMaxExtensionBytes)
            out = std::string(cutAtCharacter(std::string_view(out).substr(0, dot), kMaxNameBytes - extension)) +
                  out.substr(dot);
        else
            out = std::string(cutAtCharacter(out, kMaxNameBytes));
        trimEnds(out);
    }
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

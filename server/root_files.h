// Turns a request path into a file under the served folder, so that no encoding, dot-file or symbolic
// link trick ever reaches anything outside it.
#pragma once

#include "common/result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace aquine::server {

// The path of a request target, percent-decoded, split into its names and with its dot segments and
// repeated slashes resolved ("/a/./x/../b//" is "a", "b" with a trailing slash). Empty when the path
// is malformed (bad escape, NUL, backslash, no leading slash).
struct RequestPath {
    std::vector<std::string> names;
    bool trailingSlash = false;
};
std::optional<RequestPath> parseRequestPath(std::string_view path);

// Decodes %XX escapes and, for query values, '+' as a space. Empty on a malformed escape.
std::optional<std::string> percentDecode(std::string_view text, bool plusIsSpace = false);

// The value of one query parameter ("a=1&b=2"), decoded; empty when absent.
std::optional<std::string> queryValue(std::string_view query, std::string_view name);

// An open file of the served folder, owned (closed on destruction).
class OpenFile {
public:
    OpenFile() = default;
    explicit OpenFile(int fd, unsigned long long size) : m_fd(fd), m_size(size) {}
    OpenFile(OpenFile&& other) noexcept;
    OpenFile& operator=(OpenFile&& other) noexcept;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile();

    int fd() const { return m_fd; }
    unsigned long long size() const { return m_size; }
    // Hands the descriptor to a new owner.
    int release();

private:
    int m_fd = -1;
    unsigned long long m_size = 0;
};

enum class Lookup { Found, NotFound, IsFolder };

// The served folder, opened once; files are opened relative to it one name at a time without following
// any symbolic link, and names beginning with a dot (".", "..", ".env") do not exist.
class RootFolder {
public:
    static Result<RootFolder> open(const std::string& path);
    RootFolder(RootFolder&& other) noexcept;
    RootFolder& operator=(RootFolder&&) = delete;
    RootFolder(const RootFolder&) = delete;
    ~RootFolder();

    // A regular file, or IsFolder for a folder (whose index the caller may then ask for).
    Lookup find(const std::vector<std::string>& names, OpenFile& file) const;

private:
    explicit RootFolder(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

// Whether a name may be served at all: not empty, no dot in front, no slash.
bool isServableName(std::string_view name);

// The MIME type sent for a file name; text files here are GBK.
std::string contentTypeFor(std::string_view name);

} // namespace aquine::server

// Decoding file names for display, and finding a file again from its displayed name.
#include "common/file_names.h"

#include "common/gbk_codec.h"
#include "common/unicode.h"

#include <filesystem>
#include <system_error>

namespace aquine {

namespace {

namespace fs = std::filesystem;

bool isUtf8(std::string_view s) {
    for (std::size_t i = 0, len = 0; i < s.size(); i += len)
        if (unicode::readUtf8(s, i, len) == unicode::kIllFormed)
            return false;
    return true;
}

bool exists(const std::string& native) {
    std::error_code ec;
    return fs::exists(fs::path(native), ec);
}

// The one entry of the folder shown as this name; none when no entry or several are.
std::optional<std::string> entryShownAs(const std::string& folder, std::string_view shown) {
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder.empty() ? std::string(".") : folder), ec);
    std::optional<std::string> found;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().native();
        if (displayFileName(name) != shown)
            continue;
        if (found)
            return std::nullopt;
        found = name;
    }
    return found;
}

// One part of a path: a folder's or the file's own name.
std::string displayPart(std::string_view native) {
    if (isUtf8(native))
        return std::string(native);
    const std::string decoded = codec::gbkToUtf8(native);
    std::string out;
    out.reserve(decoded.size());
    for (std::size_t i = 0, len = 0; i < decoded.size(); i += len) {
        const char32_t cp = unicode::readUtf8(decoded, i, len);
        const bool rawByte = cp >= codec::kRawByteBase + 0x80 && cp <= codec::kRawByteBase + 0xFF;
        if (rawByte)
            unicode::appendUtf8(unicode::kReplacement, out);
        else
            out.append(decoded, i, len);
    }
    return out;
}

} // namespace

// Part by part, so a GBK file in a UTF-8 folder reads right in both. '/' is never part of a GBK
// character (its second bytes are 0x40 and up), so cutting there is safe.
std::string displayFileName(std::string_view native) {
    std::string out;
    out.reserve(native.size());
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = native.find('/', start);
        out += displayPart(native.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos)
            return out;
        out.push_back('/');
        start = slash + 1;
    }
}

std::string absoluteFileName(std::string_view native) {
    if (native.empty())
        return {};
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(std::string(native)), ec);
    return ec ? std::string(native) : absolute.native();
}

std::optional<std::string> resolveDisplayedPath(std::string_view utf8Path) {
    const std::string whole(utf8Path);
    if (whole.empty())
        return std::nullopt;
    if (exists(whole))
        return whole;
    // Part by part: the parts that exist as typed stay as they are.
    std::string resolved;
    std::size_t start = 0;
    if (whole.front() == '/') {
        resolved = "/";
        start = 1;
    }
    while (start <= whole.size()) {
        const std::size_t slash = std::min(whole.find('/', start), whole.size());
        const std::string part = whole.substr(start, slash - start);
        start = slash + 1;
        if (part.empty())
            continue;
        const std::string folder = resolved;
        std::string candidate = folder.empty() || folder.back() == '/' ? folder + part : folder + '/' + part;
        if (!exists(candidate)) {
            const auto entry = entryShownAs(folder, part);
            if (!entry)
                return std::nullopt;
            candidate = folder.empty() || folder.back() == '/' ? folder + *entry : folder + '/' + *entry;
        }
        resolved = std::move(candidate);
    }
    return exists(resolved) ? std::optional<std::string>(resolved) : std::nullopt;
}

std::string readableReason(std::string reason, std::string_view native) {
    if (native.empty())
        return reason;
    const std::string shown = displayFileName(native);
    for (std::size_t at = reason.find(native); at != std::string::npos; at = reason.find(native, at + shown.size()))
        reason.replace(at, native.size(), shown);
    return reason;
}

} // namespace aquine

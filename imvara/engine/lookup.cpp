// Lookup primitives over the lookup text.
#include "imvara/engine/lookup.h"

#include "common/file_io.h"
#include "common/program_dir.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace imvara {

namespace {

constexpr std::size_t kEntryWindow = 200;     // bytes read behind a match
constexpr std::size_t kReverseLookBack = 100; // bytes searched back for a line's start

// memmem: glibc's two-way search, the floor of an index-free design.
std::size_t findBytes(std::string_view hay, std::string_view needle, std::size_t from) {
    if (from > hay.size())
        return std::string_view::npos;
    const void* at = ::memmem(hay.data() + from, hay.size() - from, needle.data(), needle.size());
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - hay.data()) : std::string_view::npos;
}

} // namespace

LookupText::LookupText(std::string_view codeTable, std::string_view userText) : m_codeTableSize(codeTable.size()) {
    m_text.reserve(codeTable.size() + userText.size() + 2);
    m_text.append(codeTable).append(userText).append("\r\n");
}

void LookupText::setUserText(std::string_view userText) {
    m_text.resize(m_codeTableSize);
    m_text.append(userText).append("\r\n");
}

aquine::Result<std::string> ReadUserWordFile(const std::filesystem::path& dir) {
    const std::filesystem::path file = aquine::systemFile(dir, kWordFileName);
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
        return std::string(); // nothing there: no user words yet
    return aquine::readFileBytes(file, aquine::kSettingsFileLimit);
}

LookupText LoadLookupText(std::string_view codeTable, const std::filesystem::path& dir) {
    const auto bytes = ReadUserWordFile(dir);
    return LookupText(codeTable, bytes ? std::string_view(*bytes) : std::string_view());
}

Position FindMatch(std::string_view lookupText, std::string_view composition, Position start) {
    if (start < 1)
        start = 1;
    // "CR LF + composition" without building a string on every key press.
    char needle[64];
    std::string built;
    std::string_view key;
    if (composition.size() + 2 <= sizeof needle) {
        needle[0] = '\r';
        needle[1] = '\n';
        std::memcpy(needle + 2, composition.data(), composition.size());
        key = std::string_view(needle, composition.size() + 2);
    } else {
        built = "\r\n" + std::string(composition);
        key = built;
    }
    const auto at = findBytes(lookupText, key, static_cast<std::size_t>(start - 1));
    return at == std::string_view::npos ? kNotFound : static_cast<Position>(at) + 1;
}

std::optional<Entry> ReadEntry(std::string_view lookupText, Position scanPosition) {
    if (scanPosition < 1)
        return std::nullopt;
    const auto lineStart = static_cast<std::size_t>(scanPosition - 1) + 2;
    if (lineStart > lookupText.size())
        return std::nullopt;
    const std::string_view window = lookupText.substr(lineStart, kEntryWindow);
    const auto end = window.find("\r\n");
    if (end == std::string_view::npos)
        return std::nullopt; // the line does not end within the window
    const std::string_view line = window.substr(0, end);
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = line.substr(blank + 1);
    const std::string_view word = rest.substr(0, rest.find(' '));
    if (word.empty())
        return std::nullopt; // nothing to type
    return Entry{std::string(line.substr(0, blank)), std::string(word)};
}

std::string CandidateText(std::string_view code, std::string_view word, std::string_view composition) {
    std::string text(word);
    if (composition.size() < code.size())
        text.append(code.substr(composition.size()));
    return text;
}

bool IsDuplicate(std::string_view candidateText, std::string_view candidateLine) {
    return candidateLine.find(candidateText) != std::string_view::npos;
}

std::string ReverseLookup(std::string_view lookupText, std::string_view text) {
    // An empty box asks nothing; without this, a user line ending in a blank would answer it.
    if (text.empty())
        return {};
    std::string key;
    key.reserve(text.size() + 3);
    key.append(" ").append(text).append("\r\n");
    std::string result;
    bool first = true;
    for (std::size_t at = findBytes(lookupText, key, 0); at != std::string_view::npos;
         at = findBytes(lookupText, key, at + 1)) {
        const std::size_t from = at > kReverseLookBack ? at - kReverseLookBack : 0;
        const std::string_view before = lookupText.substr(from, at - from);
        const auto crlf = before.rfind("\r\n");
        const std::string_view code = crlf == std::string_view::npos ? before : before.substr(crlf + 2);
        if (!first)
            result.append("\r\n");
        result.append(code);
        first = false;
    }
    return result;
}

} // namespace imvara

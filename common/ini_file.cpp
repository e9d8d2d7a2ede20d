// Private-profile files: a line scanner shared by the reader and the writer.
#include "common/ini_file.h"

#include "common/gbk_text.h"

#include <optional>
#include <vector>

namespace aquine::ini {

namespace {

// One physical line: where it starts, its text without the line break, and where the next line starts.
struct Line {
    std::size_t begin;
    std::string_view text;
    std::size_t next;
};

std::vector<Line> scanLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto nl = text.find_first_of("\r\n", at);
        if (nl == std::string_view::npos) {
            lines.push_back({at, text.substr(at), text.size()});
            break;
        }
        std::size_t next = nl + 1;
        if (text[nl] == '\r' && next < text.size() && text[next] == '\n')
            ++next;
        lines.push_back({at, text.substr(at, nl - at), next});
        at = next;
    }
    return lines;
}

// The section name of a header line, or nothing when the line is not a header.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = gbk::trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return gbk::trim(line.substr(1, close - 1));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> entryOf(std::string_view line) {
    const std::string_view trimmed = gbk::trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    const auto eq = trimmed.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return Entry{gbk::trim(trimmed.substr(0, eq)), gbk::trim(trimmed.substr(eq + 1))};
}

// Where section's lines are: [first, end) indexes into lines, first being the line after the header.
struct SectionSpan {
    std::size_t header;
    std::size_t first;
    std::size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!name || !gbk::equalsIgnoreAsciiCase(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end].text))
            ++end;
        return SectionSpan{i, i + 1, end};
    }
    return std::nullopt;
}

// A line break inside a name or value would end its line early, and what follows would be read as keys
// or sections of its own: a value pasted with line breaks could set any other setting.
std::string withoutLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            out.push_back(c);
    return out;
}

std::string unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

} // namespace

std::string readKeyFromText(std::string_view text, std::string_view section, std::string_view key) {
    const auto lines = scanLines(text);
    const auto span = findSection(lines, section);
    if (!span)
        return {};
    for (std::size_t i = span->first; i < span->end; ++i) {
        const auto entry = entryOf(lines[i].text);
        if (entry && gbk::equalsIgnoreAsciiCase(entry->key, key))
            return unquote(entry->value);
    }
    return {};
}

std::string writeKeyToText(std::string_view text, std::string_view sectionGiven, std::string_view key,
                           std::string_view value) {
    const std::string cleanSection = withoutLineBreaks(sectionGiven);
    const std::string_view section = cleanSection;
    const auto lines = scanLines(text);
    std::string entry = withoutLineBreaks(key) + "=" + withoutLineBreaks(value);
    std::string out;
    out.reserve(text.size() + entry.size() + section.size() + 8);

    const auto span = findSection(lines, section);
    if (!span) {
        out.append(text);
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out.append("\r\n");
        out.append("[").append(section).append("]\r\n").append(entry).append("\r\n");
        return out;
    }
    for (std::size_t i = span->first; i < span->end; ++i) {
        const auto e = entryOf(lines[i].text);
        if (e && gbk::equalsIgnoreAsciiCase(e->key, key)) {
            // Replace the line's text, keep its own line break.
            out.append(text.substr(0, lines[i].begin)).append(entry);
            out.append(text.substr(lines[i].begin + lines[i].text.size()));
            return out;
        }
    }
    // New key: after the last non-blank line of the section (the header when it is empty).
    std::size_t last = span->header;
    for (std::size_t i = span->first; i < span->end; ++i)
        if (!gbk::trim(lines[i].text).empty())
            last = i;
    const Line& after = lines[last];
    out.append(text.substr(0, after.next));
    if (after.next == after.begin + after.text.size())
        out.append("\r\n"); // that line was the last and had no line break
    out.append(entry).append("\r\n");
    out.append(text.substr(after.next));
    return out;
}

std::string readKey(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    const auto bytes = readFileBytes(file, kSettingsFileLimit);
    return bytes ? readKeyFromText(*bytes, section, key) : std::string();
}

Result<> writeKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  std::string_view value) {
    std::string old;
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        auto bytes = readFileBytes(file, kSettingsFileLimit);
        if (!bytes)
            return fail("无法读取 " + file.string());
        old = std::move(*bytes);
    }
    return writeFileAtomically(file, writeKeyToText(old, section, key, value));
}

} // namespace aquine::ini

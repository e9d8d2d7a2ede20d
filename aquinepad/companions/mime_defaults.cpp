// Line rules copied from xdg-mime's own awk (xdg-utils 1.1): a group starts at a line beginning "[",
// the defaults group at one beginning "[Default Applications]", a default at one beginning "type=".
#include "aquinepad/companions/mime_defaults.h"

#include <algorithm>
#include <vector>

namespace aquinepad {

namespace {

constexpr std::string_view kDefaultsGroup = "[Default Applications]";

// Split on '\n' so that joining with '\n' gives the text back byte for byte.
std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
        lines.emplace_back(text.substr(start, end - start));
    lines.emplace_back(text.substr(start));
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != 0)
            text += '\n';
        text += lines[i];
    }
    return text;
}

bool isGroup(std::string_view line) { return line.starts_with('['); }
bool isDefaultsGroup(std::string_view line) { return line.starts_with(kDefaultsGroup); }
bool isBlank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

struct Found {
    bool group = false;
    std::optional<std::size_t> line;
};

Found findDefault(const std::vector<std::string>& lines, std::string_view prefix) {
    Found found;
    bool inDefaults = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isDefaultsGroup(lines[i])) {
            inDefaults = found.group = true;
        } else if (isGroup(lines[i])) {
            inDefaults = false;
        } else if (inDefaults && lines[i].starts_with(prefix)) {
            found.line = i;
            return found;
        }
    }
    return found;
}

// After our line is gone: the group header xdg-mime added, when nothing else joined the group since,
// goes too, with the blank line xdg-mime puts before it.
void dropEmptyGroupAbove(std::vector<std::string>& lines, std::size_t removedAt) {
    std::size_t header = removedAt;
    while (header > 0 && !isGroup(lines[header - 1]))
        --header;
    if (header == 0 || !isDefaultsGroup(lines[--header]))
        return;
    for (std::size_t i = header + 1; i < lines.size() && !isGroup(lines[i]); ++i)
        if (!isBlank(lines[i]))
            return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header));
    if (header > 0 && lines[header - 1].empty())
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header - 1));
}

constexpr std::pair<UserDefault::Kind, std::string_view> kKindNames[] = {
    {UserDefault::Kind::NoFile, "no-file"},
    {UserDefault::Kind::NoGroup, "no-group"},
    {UserDefault::Kind::NoLine, "no-line"},
    {UserDefault::Kind::Line, "line"},
};

} // namespace

UserDefault readUserDefault(std::optional<std::string_view> listText, std::string_view mimeType) {
    if (!listText)
        return {};
    const auto lines = splitLines(*listText);
    const std::string prefix = std::string(mimeType) + '=';
    const Found found = findDefault(lines, prefix);
    if (found.line)
        return {UserDefault::Kind::Line, lines[*found.line].substr(prefix.size())};
    return {found.group ? UserDefault::Kind::NoLine : UserDefault::Kind::NoGroup, {}};
}

bool namesEntry(const UserDefault& current, std::string_view entry) {
    if (current.kind != UserDefault::Kind::Line)
        return false;
    const std::string_view value = current.value;
    return value.substr(0, value.find(';')) == entry;
}

std::optional<UserDefault> defaultToRemember(const UserDefault& current, const std::optional<UserDefault>& remembered,
                                             std::string_view entry) {
    if (!namesEntry(current, entry))
        return current;
    if (remembered)
        return std::nullopt;
    // Ours already, with nothing remembered (the file was deleted): giving it back means taking the line
    // away; pointing the user back at our own entry would point at nothing once it is removed.
    return UserDefault{UserDefault::Kind::NoLine, {}};
}

Restoration restoreUserDefault(std::string_view listText, std::string_view mimeType, std::string_view entry,
                               const UserDefault& before) {
    auto lines = splitLines(listText);
    const std::string prefix = std::string(mimeType) + '=';
    const Found found = findDefault(lines, prefix);
    if (!found.line || !namesEntry({UserDefault::Kind::Line, lines[*found.line].substr(prefix.size())}, entry))
        return {};

    const std::size_t at = *found.line;
    if (before.kind == UserDefault::Kind::Line) {
        lines[at] = prefix + before.value;
        return {Restoration::Action::Write, joinLines(lines)};
    }
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
    if (before.kind != UserDefault::Kind::NoLine)
        dropEmptyGroupAbove(lines, at);
    if (before.kind == UserDefault::Kind::NoFile && std::all_of(lines.begin(), lines.end(), isBlank))
        return {Restoration::Action::Remove, {}};
    return {Restoration::Action::Write, joinLines(lines)};
}

std::string rememberedText(const UserDefault& before, std::string_view reportedDefault) {
    std::string kind;
    for (const auto& [k, name] : kKindNames)
        if (k == before.kind)
            kind = name;
    std::string text = "# 关联.txt文件之前的默认程序，取消关联时恢复\n";
    text += "before=" + kind + '\n';
    if (before.kind == UserDefault::Kind::Line)
        text += "value=" + before.value + '\n';
    text += "reported=" + std::string(reportedDefault) + '\n';
    return text;
}

std::optional<UserDefault> parseRemembered(std::string_view text) {
    std::optional<UserDefault::Kind> kind;
    std::optional<std::string> value;
    for (const std::string& line : splitLines(text)) {
        const std::string_view l = line;
        if (l.starts_with("before=")) {
            for (const auto& [k, name] : kKindNames)
                if (l.substr(7) == name)
                    kind = k;
        } else if (l.starts_with("value=")) {
            value = std::string(l.substr(6));
        }
    }
    if (!kind || (*kind == UserDefault::Kind::Line) != value.has_value())
        return std::nullopt;
    return UserDefault{*kind, value.value_or(std::string())};
}

} // namespace aquinepad

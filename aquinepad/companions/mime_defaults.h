// The user's own default program for a file type, read and put back in the user's mimeapps.list the
// way xdg-mime reads and writes it, so that taking the notepad's association away leaves the list as
// it was before.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace aquinepad {

// What the user's own list says for a type. xdg-mime honours the first "type=" line of a
// [Default Applications] group and, when setting a default, replaces that line or adds one (and the
// group, and the file, when they are missing); each way of adding is undone differently.
struct UserDefault {
    enum class Kind { NoFile, NoGroup, NoLine, Line };
    Kind kind = Kind::NoFile;
    std::string value; // the line's value exactly as written, when kind is Line

    bool operator==(const UserDefault&) const = default;
};

// listText is the list's contents, or nothing when the file does not exist.
UserDefault readUserDefault(std::optional<std::string_view> listText, std::string_view mimeType);

// Whether the default names this entry first (a value may list several, separated by ';').
bool namesEntry(const UserDefault& current, std::string_view entry);

// What to remember before making entry the default, given what is remembered already: nothing (keep
// what is remembered) when the entry is the default already and something is remembered, so a second
// association never replaces the user's own earlier choice with our entry.
std::optional<UserDefault> defaultToRemember(const UserDefault& current, const std::optional<UserDefault>& remembered,
                                             std::string_view entry);

struct Restoration {
    enum class Action { Leave, Write, Remove };
    Action action = Action::Leave;
    std::string text; // the list's new contents, for Write

    bool operator==(const Restoration&) const = default;
};

// Puts back the default the user had before, provided the list still names our entry: a choice the
// user made since then belongs to the user and is left alone.
Restoration restoreUserDefault(std::string_view listText, std::string_view mimeType, std::string_view entry,
                               const UserDefault& before);

// The remembered default as a small text file, with the default the desktop reported at the time
// (for people reading the file; restoring needs only the list's own line).
std::string rememberedText(const UserDefault& before, std::string_view reportedDefault);
std::optional<UserDefault> parseRemembered(std::string_view text);

} // namespace aquinepad

// The desktop entry through which the notepad becomes the user's program for plain text, and the
// quoting its Exec key needs so that any program folder survives the trip through a launcher.
#pragma once

#include "common/result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace aquinepad {

// The entry's file name, in the user's applications folder. Our own name, so that neither an
// installed aquinepad.desktop nor another program's entry is ever overwritten or removed by us.
inline constexpr std::string_view kTxtEntryName = "aquinepad-txt.desktop";
inline constexpr std::string_view kNotepadProgram = "aquinepad";

// One argument of an Exec key, as it is written in the file: quoted when it holds a character a
// launcher would otherwise split or expand on, percent signs doubled (they introduce field codes),
// and backslashes doubled once more for the file's string escapes. Nothing when the argument cannot
// be written at all: text that is not UTF-8, or a control character (a line break would end the key
// and let a folder's name add keys of its own).
std::optional<std::string> execArgument(std::string_view argument);

// The whole entry: the notepad at this absolute path opens one file (%f), for text/plain, and the
// entry stays out of menus (the installed entry is the one people start the notepad from).
aquine::Result<std::string> txtEntryText(const std::filesystem::path& notepad);

} // namespace aquinepad

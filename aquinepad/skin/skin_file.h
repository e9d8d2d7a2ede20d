// Skin files ("\skinh.she" and its kind): our own small text format, read without Qt, and the look a
// skin gives at a given 色调. The format is described where it is parsed, in skin_file.cpp.
#pragma once

#include "aquinepad/skin/skin_colour.h"
#include "common/result.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace aquinepad {

// The colour roles of a toolkit palette that a skin can set; they colour what its style sheet leaves
// to the toolkit (message boxes' texts, disabled controls, the editor's selection).
enum class PaletteRole {
    Window,
    WindowText,
    Base,
    AlternateBase,
    Text,
    Button,
    ButtonText,
    BrightText,
    Highlight,
    HighlightedText,
    ToolTipBase,
    ToolTipText,
    PlaceholderText,
    Link,
    Light,
    Midlight,
    Mid,
    Dark,
    Shadow,
};

// The most a skin file may hold: a skin is a page of text, and a bound keeps a stray large file (or
// a device the setting happens to name) from being read at all.
inline constexpr std::size_t kMaxSkinFileBytes = 64 * 1024;

struct SkinFile {
    std::string name; // UTF-8
    std::vector<std::pair<std::string, SkinColour>> colours;
    // The style sheet, cut before each colour it names so that a turned hue only refills the gaps.
    // Lengths are written in already: they do not change with the hue.
    struct Piece {
        std::string text;
        int colour = -1; // the index in `colours` of the colour that follows the text, or -1
    };
    std::vector<Piece> style;
};

// A skin at one hue, ready for the toolkit.
struct SkinLook {
    std::string name;
    std::string styleSheet;
    std::vector<std::pair<PaletteRole, SkinColour>> palette;
    SkinColour shadow; // the colour of the translucent frame's drop shadow
};

aquine::Result<SkinFile> parseSkinFile(std::string_view bytes);

// The file's skin, or why there is none: absent, not a regular file, too large, unreadable, malformed.
aquine::Result<SkinFile> loadSkinFile(const std::filesystem::path& file);

// The skin's look with its colours turned by a 色调 value (any integer; see hueTurnDegrees).
SkinLook skinLook(const SkinFile& skin, int hueSetting);

} // namespace aquinepad

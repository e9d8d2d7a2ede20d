// What a save writes: the picture format and the final file name, from the name the user gave in the
// save dialog and the filter row chosen there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace shotvara {

enum class PictureFormat { Png, Gif, Jpeg };

// The save dialog's filter, one row per format in the order of PictureFormat.
inline constexpr std::string_view kSaveFilter =
    "可移植网络图形文件(png)(*.png)|*.png|GIF 文件(*.gif)|*.gif|JPEG 文件(*.jpg)|*.jpg";
inline constexpr std::string_view kSaveDialogTitle = "另存为";

// The format of a filter row; a row outside the filter (which a dialog should never give) means PNG.
PictureFormat formatOfRow(int row);
int rowOfFormat(PictureFormat format);
// The extension a name gets in that format, without the dot.
std::string_view extensionOf(PictureFormat format);

// The picture format a file name's own extension names (png, gif, jpg, jpeg in any case), if any.
std::optional<PictureFormat> formatOfName(std::string_view path);

struct SaveTarget {
    std::string path;
    PictureFormat format;
    friend bool operator==(const SaveTarget&, const SaveTarget&) = default;
};

// A name that already ends in a picture extension keeps it and is written in the format it names: the
// user typed it on purpose, and a file must not say .png and hold a GIF. Any other name is written in
// the row's format and gets the row's extension ("截图" -> "截图.png", "2024.05.01" -> "2024.05.01.png").
// Nothing when the path names no file (it ends with a slash or is empty).
std::optional<SaveTarget> saveTarget(std::string_view chosenPath, int filterRow);

} // namespace shotvara

// Save naming rules.
#include "shotvara/core/save_target.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace shotvara {

namespace {

constexpr std::array kRowFormats{PictureFormat::Png, PictureFormat::Gif, PictureFormat::Jpeg};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view fileNameOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

PictureFormat formatOfRow(int row) {
    if (row < 0 || row >= static_cast<int>(kRowFormats.size()))
        return PictureFormat::Png;
    return kRowFormats[static_cast<std::size_t>(row)];
}

int rowOfFormat(PictureFormat format) {
    return static_cast<int>(std::find(kRowFormats.begin(), kRowFormats.end(), format) - kRowFormats.begin());
}

std::string_view extensionOf(PictureFormat format) {
    switch (format) {
    case PictureFormat::Gif: return "gif";
    case PictureFormat::Jpeg: return "jpg";
    case PictureFormat::Png: break;
    }
    return "png";
}

std::optional<PictureFormat> formatOfName(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    const auto dot = name.find_last_of('.');
    // A leading dot starts a hidden file's name, not an extension.
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    const std::string_view ext = name.substr(dot + 1);
    if (equalsIgnoringCase(ext, "png"))
        return PictureFormat::Png;
    if (equalsIgnoringCase(ext, "gif"))
        return PictureFormat::Gif;
    if (equalsIgnoringCase(ext, "jpg") || equalsIgnoringCase(ext, "jpeg"))
        return PictureFormat::Jpeg;
    return std::nullopt;
}

std::optional<SaveTarget> saveTarget(std::string_view chosenPath, int filterRow) {
    const std::string_view name = fileNameOf(chosenPath);
    if (name.empty())
        return std::nullopt;
    if (const auto named = formatOfName(chosenPath))
        return SaveTarget{std::string(chosenPath), *named};
    const PictureFormat format = formatOfRow(filterRow);
    std::string path(chosenPath);
    if (path.back() != '.')
        path += '.';
    path += extensionOf(format);
    return SaveTarget{std::move(path), format};
}

} // namespace shotvara

// Which of the ten picture formats a destination name asks for, and what each format's fixed settings
// mean to the encoder. Qt-free and free of the image library, so the rule is tested on its own.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace aquinepad {

enum class ImageFormat { Jpeg, Sgi, Pict, Pbm, Pgm, Bmp, Tiff, Png, Ppm, Pcx };

// One row of the extension table: the extension, how many characters of the name it is compared with
// (from the last "."), and the format it selects.
struct ExtensionRow {
    std::string_view extension;
    std::size_t length;
    ImageFormat format;
};

// In the order they are tried; the first match wins.
const std::array<ExtensionRow, 10>& extensionRows();

// The format a destination path selects by its file name's extension (from the name's last "."), or
// nothing when no row matches. The comparison is exact and
// case-sensitive and counts bytes: the extensions are ASCII, so bytes and characters agree on every
// match. Rows of length 4 also match longer extensions (".jpgz" is JPEG); rows of length 5 hold a
// four-character extension, so the name must end right after it (".tiff" matches nothing).
std::optional<ImageFormat> formatForDestination(std::string_view path);

// The extensions of the table, in order, separated by blanks: ".jpg .sgi ... .pcx".
std::string extensionList();

// The picture the encoder is handed.
enum class PixelKind { Colour, Gray, BlackAndWhite };

struct EncoderOptions {
    std::string coder;     // the image library's name of the file format
    std::string shownName; // the format's name in messages
    PixelKind pixels = PixelKind::Colour;
    std::size_t quality = 0;                                       // 0: the coder's default
    bool compress = true;                                          // false: pixels stored uncompressed
    std::vector<std::pair<std::string, std::string>> coderOptions; // e.g. {"jpeg:optimize-coding", "true"}
};

// What each format's fixed settings ask of the encoder. Every format is written opaque in 8 bits per
// channel: the PNG row asks for 24-bit colour and the others hold no transparency worth keeping.
EncoderOptions encoderOptions(ImageFormat format);

} // namespace aquinepad

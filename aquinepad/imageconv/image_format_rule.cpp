// The extension table and the meaning of each row's fixed settings.
#include "aquinepad/imageconv/image_format_rule.h"

namespace aquinepad {

const std::array<ExtensionRow, 10>& extensionRows() {
    static const std::array<ExtensionRow, 10> rows{{
        {".jpg", 4, ImageFormat::Jpeg},
        {".sgi", 4, ImageFormat::Sgi},
        {".pic", 5, ImageFormat::Pict},
        {".pbm", 4, ImageFormat::Pbm},
        {".pgm", 4, ImageFormat::Pgm},
        {".bmp", 4, ImageFormat::Bmp},
        {".tif", 5, ImageFormat::Tiff},
        {".png", 4, ImageFormat::Png},
        {".ppm", 4, ImageFormat::Ppm},
        {".pcx", 4, ImageFormat::Pcx},
    }};
    return rows;
}

std::optional<ImageFormat> formatForDestination(std::string_view path) {
    // Only the file's own name has an extension: "photos.jpg/picture" is a file without one.
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const std::string_view tail = name.substr(dot);
    for (const ExtensionRow& row : extensionRows())
        if (tail.substr(0, row.length) == row.extension)
            return row.format;
    return std::nullopt;
}

std::string extensionList() {
    std::string out;
    for (const ExtensionRow& row : extensionRows()) {
        if (!out.empty())
            out += ' ';
        out += row.extension;
    }
    return out;
}

EncoderOptions encoderOptions(ImageFormat format) {
    switch (format) {
    case ImageFormat::Jpeg:
        // Settings (false, 100, true, 0): baseline rather than progressive, quality 100, optimised
        // Huffman tables, no smoothing. Full colour resolution too, since quality 100 asks for it.
        return {.coder = "JPEG",
                .shownName = "JPEG",
                .quality = 100,
                .coderOptions = {{"jpeg:optimize-coding", "true"}, {"jpeg:sampling-factor", "1x1,1x1,1x1"}}};
    case ImageFormat::Sgi: return {.coder = "SGI", .shownName = "SGI"};
    // ".pic" is written as an Apple QuickDraw PICT picture, for which .pic is a usual extension:
    // LibreOffice, Photoshop, IrfanView, XnView and ImageMagick open it, and it keeps every pixel.
    case ImageFormat::Pict: return {.coder = "PICT", .shownName = "PIC (PICT)"};
    // The image library writes the ASCII form of PBM/PGM/PPM only when told not to compress, so the
    // binary form (setting true for PGM and PPM) is its default; PBM is binary as well.
    case ImageFormat::Pbm: return {.coder = "PBM", .shownName = "PBM", .pixels = PixelKind::BlackAndWhite};
    case ImageFormat::Pgm: return {.coder = "PGM", .shownName = "PGM", .pixels = PixelKind::Gray};
    // The version 3 header: every reader of BMP files knows it.
    case ImageFormat::Bmp: return {.coder = "BMP3", .shownName = "BMP"};
    // Setting false: no compression.
    case ImageFormat::Tiff: return {.coder = "TIFF", .shownName = "TIFF", .compress = false};
    // Setting 24: 8-bit red, green and blue, no transparency.
    case ImageFormat::Png: return {.coder = "PNG24", .shownName = "PNG"};
    case ImageFormat::Ppm: return {.coder = "PPM", .shownName = "PPM"};
    case ImageFormat::Pcx: return {.coder = "PCX", .shownName = "PCX"};
    }
    return {};
}

} // namespace aquinepad

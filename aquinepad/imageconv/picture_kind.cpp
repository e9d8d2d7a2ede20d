// The magic numbers of the formats the converter reads, and the sizes their fixed headers hold.
#include "aquinepad/imageconv/picture_kind.h"

#include <cstdlib>

namespace aquinepad {

namespace {

std::uint32_t byteAt(std::string_view b, std::size_t i) { return static_cast<unsigned char>(b[i]); }
std::uint32_t big16(std::string_view b, std::size_t i) { return byteAt(b, i) << 8 | byteAt(b, i + 1); }
std::uint32_t little16(std::string_view b, std::size_t i) { return byteAt(b, i) | byteAt(b, i + 1) << 8; }
std::uint32_t big32(std::string_view b, std::size_t i) { return big16(b, i) << 16 | big16(b, i + 2); }
std::uint32_t little32(std::string_view b, std::size_t i) { return little16(b, i) | little16(b, i + 2) << 16; }

bool startsWith(std::string_view b, std::string_view magic) { return b.substr(0, magic.size()) == magic; }

std::optional<PictureSize> pngSize(std::string_view b) {
    if (b.size() < 24 || b.substr(12, 4) != "IHDR")
        return std::nullopt;
    return PictureSize{big32(b, 16), big32(b, 20)};
}

std::optional<PictureSize> bmpSize(std::string_view b) {
    if (b.size() < 26)
        return std::nullopt;
    if (little32(b, 14) == 12) // the old OS/2 header: 16-bit sides
        return PictureSize{little16(b, 18), little16(b, 20)};
    // A negative height stores the rows top down.
    const auto height = static_cast<std::int32_t>(little32(b, 22));
    const auto width = static_cast<std::int32_t>(little32(b, 18));
    return PictureSize{static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(width))),
                       static_cast<std::uint32_t>(std::abs(static_cast<std::int64_t>(height)))};
}

bool isPnm(std::string_view b) {
    return b.size() >= 3 && b[0] == 'P' && b[1] >= '1' && b[1] <= '7' &&
           (b[2] == ' ' || b[2] == '\t' || b[2] == '\n' || b[2] == '\r' || b[2] == '#');
}

bool isPcx(std::string_view b) {
    // Manufacturer 10, a known version, run-length or no encoding, and a sensible bit depth.
    if (b.size() < 128 || byteAt(b, 0) != 0x0A)
        return false;
    const std::uint32_t version = byteAt(b, 1);
    const std::uint32_t bits = byteAt(b, 3);
    return (version == 0 || version == 2 || version == 3 || version == 4 || version == 5) && byteAt(b, 2) <= 1 &&
           (bits == 1 || bits == 2 || bits == 4 || bits == 8);
}

// A QuickDraw picture: a 512-byte header for the Finder, the picture's size and frame, then the
// version opcode (0x11 0x01, or 0x0011 0x02FF followed by the extended header's 0x0C00).
bool isPict(std::string_view b) {
    return b.size() >= 528 && (b.substr(522, 6) == std::string_view("\x00\x11\x02\xFF\x0C\x00", 6) ||
                               b.substr(522, 2) == std::string_view("\x11\x01", 2));
}

// "1.2 亿", "6400 万": as Chinese counts large numbers.
std::string pixelCount(std::uint64_t pixels) {
    if (pixels >= 100'000'000) {
        const std::uint64_t tenths = (pixels + 5'000'000) / 10'000'000;
        return std::to_string(tenths / 10) + (tenths % 10 != 0 ? "." + std::to_string(tenths % 10) : "") + " 亿";
    }
    if (pixels >= 10'000)
        return std::to_string(pixels / 10'000) + " 万";
    return std::to_string(pixels) + " ";
}

} // namespace

std::optional<PictureKind> recognisePicture(std::string_view b) {
    if (startsWith(b, "\x89PNG\r\n\x1A\n"))
        return PictureKind{"PNG", pngSize(b)};
    if (startsWith(b, "\xFF\xD8\xFF"))
        return PictureKind{"JPEG", std::nullopt};
    if ((startsWith(b, "GIF87a") || startsWith(b, "GIF89a")) && b.size() >= 10)
        return PictureKind{"GIF", PictureSize{little16(b, 6), little16(b, 8)}};
    if (startsWith(b, "BM") && b.size() >= 26)
        return PictureKind{"BMP", bmpSize(b)};
    if (startsWith(b, std::string_view("II*\0", 4)) || startsWith(b, std::string_view("MM\0*", 4)) ||
        startsWith(b, std::string_view("II+\0", 4)) || startsWith(b, std::string_view("MM\0+", 4)))
        return PictureKind{"TIFF", std::nullopt};
    if (b.size() >= 16 && startsWith(b, "RIFF") && b.substr(8, 4) == "WEBP")
        return PictureKind{"WEBP", std::nullopt};
    if (isPnm(b))
        return PictureKind{"PNM", std::nullopt};
    if (isPcx(b)) {
        // The window's corners, both inclusive.
        std::optional<PictureSize> size;
        if (little16(b, 8) >= little16(b, 4) && little16(b, 10) >= little16(b, 6))
            size = PictureSize{little16(b, 8) - little16(b, 4) + 1, little16(b, 10) - little16(b, 6) + 1};
        return PictureKind{"PCX", size};
    }
    if (b.size() >= 12 && big16(b, 0) == 474 && byteAt(b, 2) <= 1)
        return PictureKind{"SGI", PictureSize{big16(b, 6), big16(b, 8)}};
    if (isPict(b)) {
        // The frame's top, left, bottom and right follow the 2-byte picture size.
        const auto top = static_cast<std::int16_t>(big16(b, 514)), left = static_cast<std::int16_t>(big16(b, 516));
        const auto bottom = static_cast<std::int16_t>(big16(b, 518)), right = static_cast<std::int16_t>(big16(b, 520));
        std::optional<PictureSize> size;
        if (bottom > top && right > left)
            size = PictureSize{static_cast<std::uint32_t>(right - left), static_cast<std::uint32_t>(bottom - top)};
        return PictureKind{"PICT", size};
    }
    if (startsWith(b, std::string_view("\0\0\1\0", 4)) && b.size() >= 22 && little16(b, 4) > 0)
        return PictureKind{"ICO", std::nullopt};
    return std::nullopt;
}

std::string readablePictureFormats() { return "PNG、JPEG、GIF、BMP、TIFF、WebP、PBM/PGM/PPM、PCX、SGI、PICT、ICO"; }

std::string sizeRefusal(PictureSize size, const PictureLimits& limits) {
    const std::string dimensions = std::to_string(size.width) + "×" + std::to_string(size.height) + " 像素";
    if (size.width == 0 || size.height == 0)
        return "图片已损坏：文件头记载的大小是 " + dimensions;
    if (size.width > limits.maxSide || size.height > limits.maxSide ||
        static_cast<std::uint64_t>(size.width) * size.height > limits.maxPixels)
        return "图片太大（" + dimensions + "）：最多可以读取每边 " + std::to_string(limits.maxSide) + " 像素、共 " +
               pixelCount(limits.maxPixels) + "像素的图片";
    return {};
}

} // namespace aquinepad

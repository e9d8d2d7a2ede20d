// One DirectBitsRect of 32-bit pixels stored as planes (red, green, blue, each row packed with
// PackBits), the layout of "Inside Macintosh: Imaging With QuickDraw", appendix A.
#include "aquinepad/imageconv/pict_encoder.h"

namespace aquinepad {

namespace {

class Writer {
public:
    void byte(unsigned value) { out.push_back(static_cast<char>(value & 0xFF)); }
    void word(unsigned value) {
        byte(value >> 8);
        byte(value);
    }
    void longWord(std::uint32_t value) {
        word(value >> 16);
        word(value);
    }
    void rect(std::uint32_t width, std::uint32_t height) {
        word(0);
        word(0);
        word(height);
        word(width);
    }
    std::string out;
};

// PackBits: a run of 2 to 128 equal bytes as (1 - n, byte), anything else as (n - 1, n bytes).
std::string packBits(std::string_view row) {
    std::string packed;
    std::size_t i = 0;
    while (i < row.size()) {
        std::size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i])
            ++run;
        if (run >= 2) {
            packed.push_back(static_cast<char>(257 - run));
            packed.push_back(row[i]);
            i += run;
            continue;
        }
        // Literal bytes up to the next run of two.
        std::size_t literal = 1;
        while (i + literal < row.size() && literal < 128 &&
               !(i + literal + 1 < row.size() && row[i + literal] == row[i + literal + 1]))
            ++literal;
        packed.push_back(static_cast<char>(literal - 1));
        packed.append(row.substr(i, literal));
        i += literal;
    }
    return packed;
}

} // namespace

aquine::Result<std::string> encodePict(std::uint32_t width, std::uint32_t height, std::string_view rgb) {
    if (width == 0 || height == 0 || width > 32767 || height > 32767)
        return aquine::fail("PICT 图片的宽和高须在 1 到 32767 像素之间");
    if (rgb.size() != static_cast<std::size_t>(width) * height * 3)
        return aquine::fail("PICT 编码收到的像素数与图片大小不符");

    // Readers disagree at the edges: QuickDraw stores a row unpacked when its row bytes (4 a pixel)
    // are fewer than 8 and counts a packed row in a word when they exceed 250; ImageMagick decides
    // both by the plane bytes (3 a pixel, or 4 with an alpha plane) against 8 and 200. An opaque
    // alpha plane brings the two together where three planes would not.
    const bool alphaPlane = width <= 2 || (width >= 63 && width <= 66);
    const std::uint32_t planes = alphaPlane ? 4 : 3;
    const std::uint32_t rowBytes = 4 * width;
    const bool packed = rowBytes >= 8;
    const bool wordCounts = rowBytes > 250;

    Writer w;
    w.out.assign(512, '\0'); // the Finder's header, unused
    w.word(0);               // the picture's size, filled in at the end
    w.rect(width, height);
    w.word(0x0011); // version 2
    w.word(0x02FF);
    w.word(0x0C00); // extended header: 72 dpi, the frame
    w.longWord(0xFFFE0000);
    w.longWord(0x00480000);
    w.longWord(0x00480000);
    w.rect(width, height);
    w.longWord(0);
    w.word(0x0001); // clip region: the frame
    w.word(10);
    w.rect(width, height);

    w.word(0x009A); // DirectBitsRect
    w.longWord(0x000000FF);
    w.word(rowBytes | 0x8000);
    w.rect(width, height);
    w.word(0);              // pixmap version
    w.word(4);              // pack type: planes, each packed
    w.longWord(0);          // pack size
    w.longWord(0x00480000); // 72 dpi
    w.longWord(0x00480000);
    w.word(16); // direct colour
    w.word(32); // bits a pixel
    w.word(planes);
    w.word(8); // bits a component
    w.longWord(0);
    w.longWord(0);
    w.longWord(0);
    w.rect(width, height); // source
    w.rect(width, height); // destination
    w.word(0);             // source copy

    std::string row(static_cast<std::size_t>(planes) * width, '\0');
    const std::size_t first = alphaPlane ? width : 0;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::string_view pixels = rgb.substr(static_cast<std::size_t>(y) * width * 3, width * 3);
        if (alphaPlane)
            row.replace(0, width, width, '\xFF');
        for (std::uint32_t x = 0; x < width; ++x)
            for (std::uint32_t c = 0; c < 3; ++c)
                row[first + c * width + x] = pixels[x * 3 + c];
        if (!packed) {
            w.out += row;
            continue;
        }
        const std::string bits = packBits(row);
        if (wordCounts)
            w.word(static_cast<unsigned>(bits.size()));
        else
            w.byte(static_cast<unsigned>(bits.size()));
        w.out += bits;
    }
    if (w.out.size() % 2 != 0) // opcodes start on even bytes
        w.byte(0);
    w.word(0x00FF); // end of picture
    const std::size_t size = w.out.size() - 512;
    w.out[512] = static_cast<char>((size >> 8) & 0xFF);
    w.out[513] = static_cast<char>(size & 0xFF);
    return std::move(w.out);
}

} // namespace aquinepad

// The encoder writes real PNG, GIF and JPEG files: checked by their magic bytes and by decoding them with
// Qt's own readers, a second implementation.
#include "shotvara/platform/picture_encoder.h"

#include <Magick++.h>
#include <QImage>
#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>

using namespace shotvara;

namespace {

// Every pixel a different colour: a shifted or mirrored copy cannot pass for the original.
QImage uniquePixels(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, ((x >> 8) << 4 | (y >> 8)) ^ 0x5A));
    return image;
}

// Flat blocks of a few colours, like a dialog or a text page.
QImage flatBlocks(int w, int h) {
    static const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 128, 0),    qRgb(0, 0, 255),    qRgb(255, 255, 255),
                                   qRgb(0, 0, 0),   qRgb(250, 200, 30), qRgb(128, 128, 128)};
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, colours[(x / 13 + 3 * (y / 9)) % 7]);
    return image;
}

std::string encoded(const QImage& image, PictureFormat format) {
    auto result = encodePicture(image, format);
    if (!result)
        ADD_FAILURE() << result.reason();
    return result ? *result : std::string();
}

QImage decoded(const std::string& bytes, const char* format) {
    QImage image;
    EXPECT_TRUE(
        image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), format));
    return image.convertToFormat(QImage::Format_RGB32);
}

// Largest and mean difference of any colour channel.
std::pair<int, double> difference(const QImage& a, const QImage& b) {
    int largest = 0;
    double total = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                largest = std::max(largest, std::abs(d));
                total += std::abs(d);
            }
        }
    return {largest, total / (3.0 * a.width() * a.height())};
}

} // namespace

TEST(PictureEncoder, PngKeepsEveryPixel) {
    for (const QImage& picture : {uniquePixels(300, 280), flatBlocks(97, 61), uniquePixels(1, 1)}) {
        const std::string png = encoded(picture, PictureFormat::Png);
        ASSERT_TRUE(png.starts_with("\x89PNG\r\n\x1a\n"));
        const QImage back = decoded(png, "PNG");
        ASSERT_EQ(back.size(), picture.size());
        EXPECT_EQ(back, picture);
    }
}

TEST(PictureEncoder, SamePictureGivesSameBytes) {
    const QImage picture = uniquePixels(64, 48);
    EXPECT_EQ(encoded(picture, PictureFormat::Png), encoded(picture, PictureFormat::Png));
    EXPECT_EQ(encoded(picture, PictureFormat::Gif), encoded(picture, PictureFormat::Gif));
}

TEST(PictureEncoder, GifOfFewColoursIsExact) {
    const QImage picture = flatBlocks(211, 133);
    const std::string gif = encoded(picture, PictureFormat::Gif);
    ASSERT_TRUE(gif.starts_with("GIF89a") || gif.starts_with("GIF87a"));
    const QImage back = decoded(gif, "GIF");
    ASSERT_EQ(back.size(), picture.size());
    EXPECT_EQ(back, picture);
}

TEST(PictureEncoder, GifOfManyColoursIsAFaithfulPalettePicture) {
    const QImage picture = uniquePixels(256, 200);
    const QImage back = decoded(encoded(picture, PictureFormat::Gif), "GIF");
    ASSERT_EQ(back.size(), picture.size());
    const auto [largest, mean] = difference(picture, back);
    EXPECT_LT(mean, 6.0);
    EXPECT_LT(largest, 64);
}

TEST(PictureEncoder, JpegIsCloseToThePicture) {
    for (const QImage& picture : {uniquePixels(320, 240), flatBlocks(160, 90)}) {
        const std::string jpeg = encoded(picture, PictureFormat::Jpeg);
        ASSERT_TRUE(jpeg.starts_with("\xFF\xD8\xFF"));
        const QImage back = decoded(jpeg, "JPEG");
        ASSERT_EQ(back.size(), picture.size());
        EXPECT_LT(difference(picture, back).second, 4.0);
    }
}

// A picture over the image library's limits fails with a reason the user can read, not the library's
// English text.
TEST(PictureEncoder, FailureGivesAChineseReason) {
    // Encode once first so the library is set up before its limits are changed.
    ASSERT_FALSE(encoded(uniquePixels(4, 4), PictureFormat::Png).empty());
    const auto width = Magick::ResourceLimits::width();
    const auto height = Magick::ResourceLimits::height();
    const auto area = Magick::ResourceLimits::area();
    Magick::ResourceLimits::width(64);
    Magick::ResourceLimits::height(64);
    Magick::ResourceLimits::area(64 * 64);
    for (PictureFormat format : {PictureFormat::Png, PictureFormat::Gif, PictureFormat::Jpeg}) {
        const auto result = encodePicture(uniquePixels(200, 100), format);
        ASSERT_FALSE(result);
        EXPECT_TRUE(result.reason().starts_with("无法编码图片：")) << result.reason();
        EXPECT_EQ(std::count_if(result.reason().begin(), result.reason().end(),
                                [](unsigned char c) { return std::isalpha(c); }),
                  0)
            << result.reason();
    }
    Magick::ResourceLimits::width(width);
    Magick::ResourceLimits::height(height);
    Magick::ResourceLimits::area(area);
    EXPECT_TRUE(encodePicture(uniquePixels(200, 100), PictureFormat::Png));
}

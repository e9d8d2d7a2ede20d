// One picture converted into each of the ten formats and read back with Magick++, and the reasons a
// conversion fails. The picture has a colour band, a gray band and a black-and-white band, so each
// format can be held to what it can keep.
#include "aquinepad/imageconv/picture_converter.h"

#include "common/file_io.h"

#include <Magick++.h>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

using namespace aquinepad;

namespace {

constexpr int kWidth = 64, kHeight = 48;

// Rows 0-15 colour, 16-31 gray, 32-47 black on the left half and white on the right.
std::vector<unsigned char> referencePixels() {
    std::vector<unsigned char> rgb;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (y < 16)
                rgb.insert(rgb.end(), {static_cast<unsigned char>(x * 4), static_cast<unsigned char>(y * 16),
                                       static_cast<unsigned char>((x * 7 + y * 5) % 256)});
            else if (y < 32)
                rgb.insert(rgb.end(), 3, static_cast<unsigned char>(x * 4 + (y - 16)));
            else
                rgb.insert(rgb.end(), 3, x < kWidth / 2 ? 0 : 255);
        }
    return rgb;
}

std::string encoded(Magick::Image image, const std::string& magick) {
    image.magick(magick);
    Magick::Blob blob;
    image.write(&blob);
    return {static_cast<const char*>(blob.data()), blob.length()};
}

std::string referencePng() {
    Magick::InitializeMagick(nullptr);
    const std::vector<unsigned char> rgb = referencePixels();
    return encoded(Magick::Image(kWidth, kHeight, "RGB", Magick::CharPixel, rgb.data()), "PNG");
}

struct ReadBack {
    std::string magick;
    std::vector<unsigned char> rgb;
    Magick::Image image;
};

ReadBack readBack(const std::filesystem::path& file) {
    Magick::Image image;
    image.read(file.string());
    std::vector<unsigned char> rgb(static_cast<std::size_t>(kWidth * kHeight * 3));
    EXPECT_EQ(image.columns(), static_cast<std::size_t>(kWidth));
    EXPECT_EQ(image.rows(), static_cast<std::size_t>(kHeight));
    image.write(0, 0, kWidth, kHeight, "RGB", Magick::CharPixel, rgb.data());
    return {image.magick(), rgb, image};
}

enum class Keeps { Everything, GrayPixels, BlackAndWhite, Approximately };

struct Case {
    const char* name;
    ImageFormat format;
    const char* magickReadBack;
    Keeps keeps;
};

class PictureConverterTest : public ::testing::Test {
protected:
    std::filesystem::path file(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    std::filesystem::path source() const {
        const auto path = file("源图.png");
        EXPECT_TRUE(aquine::writeFileAtomically(path, referencePng()).ok());
        return path;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(PictureConverterTest, EveryFormatReadsBackWithWhatItCanKeep) {
    const std::vector<unsigned char> want = referencePixels();
    const Case cases[] = {
        {"a.jpg", ImageFormat::Jpeg, "JPEG", Keeps::Approximately},
        {"a.sgi", ImageFormat::Sgi, "SGI", Keeps::Everything},
        {"a.pic", ImageFormat::Pict, "PICT", Keeps::Everything},
        {"a.pbm", ImageFormat::Pbm, "PBM", Keeps::BlackAndWhite},
        {"a.pgm", ImageFormat::Pgm, "PGM", Keeps::GrayPixels},
        {"a.bmp", ImageFormat::Bmp, "BMP3", Keeps::Everything},
        {"a.tif", ImageFormat::Tiff, "TIFF", Keeps::Everything},
        {"a.png", ImageFormat::Png, "PNG", Keeps::Everything},
        {"a.ppm", ImageFormat::Ppm, "PPM", Keeps::Everything},
        {"a.pcx", ImageFormat::Pcx, "PCX", Keeps::Everything},
    };
    const auto from = source();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto to = file(c.name);
        const aquine::Result<Converted> done = convertPicture(from, to, c.format);
        ASSERT_TRUE(done.ok()) << done.reason();
        const ReadBack got = readBack(to);
        EXPECT_EQ(got.magick, c.magickReadBack);
        int worst = 0;
        double total = 0;
        for (std::size_t i = 0; i < want.size(); ++i) {
            const std::size_t pixel = i / 3;
            const bool gray = pixel / kWidth >= 16;
            const bool blackOrWhite = pixel / kWidth >= 32;
            const int error = std::abs(int(got.rgb[i]) - int(want[i]));
            switch (c.keeps) {
            case Keeps::Everything: ASSERT_EQ(error, 0) << "byte " << i; break;
            case Keeps::GrayPixels:
                if (gray) {
                    ASSERT_EQ(error, 0) << "byte " << i;
                }
                break;
            case Keeps::BlackAndWhite:
                if (blackOrWhite) {
                    ASSERT_EQ(error, 0) << "byte " << i;
                } else {
                    ASSERT_TRUE(got.rgb[i] == 0 || got.rgb[i] == 255);
                }
                break;
            case Keeps::Approximately:
                worst = std::max(worst, error);
                total += error;
                break;
            }
        }
        if (c.keeps == Keeps::Approximately) {
            EXPECT_LE(worst, 12);
            EXPECT_LE(total / static_cast<double>(want.size()), 1.5);
        }
    }
}

TEST_F(PictureConverterTest, FixedSettingsShowInTheFiles) {
    const auto from = source();
    const auto header = [&](const std::string& name, ImageFormat format) {
        EXPECT_TRUE(convertPicture(from, file(name), format).ok());
        return aquine::readFileBytes(file(name), aquine::kSettingsFileLimit).value_or({}).substr(0, 2);
    };
    // Binary, not ASCII, PBM/PGM/PPM.
    EXPECT_EQ(header("b.pbm", ImageFormat::Pbm), "P4");
    EXPECT_EQ(header("b.pgm", ImageFormat::Pgm), "P5");
    EXPECT_EQ(header("b.ppm", ImageFormat::Ppm), "P6");
    EXPECT_EQ(header("b.jpg", ImageFormat::Jpeg), "\xFF\xD8");
    EXPECT_EQ(readBack(file("b.jpg")).image.quality(), 100u);
    ASSERT_TRUE(convertPicture(from, file("b.tif"), ImageFormat::Tiff).ok());
    EXPECT_EQ(readBack(file("b.tif")).image.compressType(), MagickCore::NoCompression);
    // 24-bit colour: red, green and blue without an alpha channel.
    ASSERT_TRUE(convertPicture(from, file("b.png"), ImageFormat::Png).ok());
    EXPECT_EQ(aquine::readFileBytes(file("b.png"), aquine::kSettingsFileLimit).value_or({})[25], 2)
        << "PNG colour type RGB";
}

TEST_F(PictureConverterTest, TransparencyBecomesWhite) {
    Magick::InitializeMagick(nullptr);
    Magick::Image clear(Magick::Geometry(8, 8), Magick::Color("transparent"));
    ASSERT_TRUE(aquine::writeFileAtomically(file("clear.png"), encoded(clear, "PNG")).ok());
    for (const auto& [name, format] : {std::pair{"c.jpg", ImageFormat::Jpeg}, std::pair{"c.png", ImageFormat::Png}}) {
        ASSERT_TRUE(convertPicture(file("clear.png"), file(name), format).ok());
        Magick::Image got;
        got.read(file(name).string());
        unsigned char rgb[3];
        got.write(4, 4, 1, 1, "RGB", Magick::CharPixel, rgb);
        EXPECT_GE(rgb[0], 250) << name;
        EXPECT_GE(rgb[2], 250) << name;
    }
}

TEST_F(PictureConverterTest, NamesTheLibraryWouldReadAsOptionsAreJustNames) {
    const auto odd = file("图[0]%d.png");
    ASSERT_TRUE(aquine::writeFileAtomically(odd, referencePng()).ok());
    const aquine::Result<Converted> done = convertPicture(odd, file("出[1].bmp"), ImageFormat::Bmp);
    ASSERT_TRUE(done.ok()) << done.reason();
    EXPECT_TRUE(std::filesystem::exists(file("出[1].bmp")));
}

TEST_F(PictureConverterTest, FailuresSayWhyAndLeaveTheDestinationAlone) {
    const auto kept = file("kept.jpg");
    ASSERT_TRUE(aquine::writeFileAtomically(kept, "old").ok());

    aquine::Result<Converted> done = convertPicture(file("gone.png"), kept, ImageFormat::Jpeg);
    ASSERT_FALSE(done.ok());
    EXPECT_NE(done.reason().find("无法读取"), std::string::npos) << done.reason();
    EXPECT_NE(done.reason().find("不存在"), std::string::npos) << done.reason();

    ASSERT_TRUE(aquine::writeFileAtomically(file("notes.png"), "这不是图片").ok());
    done = convertPicture(file("notes.png"), kept, ImageFormat::Jpeg);
    ASSERT_FALSE(done.ok());
    EXPECT_NE(done.reason().find("不是能识别的图片"), std::string::npos) << done.reason();
    EXPECT_EQ(aquine::readFileBytes(kept, aquine::kSettingsFileLimit).value_or({}), "old");

    done = convertPicture(source(), file("no-such-folder/a.png"), ImageFormat::Png);
    ASSERT_FALSE(done.ok());
    EXPECT_NE(done.reason().find("不存在"), std::string::npos) << done.reason();
}

TEST_F(PictureConverterTest, PreviewFitsItsBoxWithTheAspectRatioKept) {
    const aquine::Result<QImage> wide = decodePreview(referencePng(), QSize(32, 32));
    ASSERT_TRUE(wide.ok()) << wide.reason();
    EXPECT_EQ(wide->size(), QSize(32, 24));
    EXPECT_EQ(decodePreview(referencePng(), QSize(400, 200))->size(), QSize(kWidth, kHeight)) << "never enlarged";
    // Formats Qt cannot read come through the image library.
    ASSERT_TRUE(convertPicture(source(), file("p.pcx"), ImageFormat::Pcx).ok());
    const aquine::Result<QImage> pcx =
        decodePreview(aquine::readFileBytes(file("p.pcx"), aquine::kSettingsFileLimit).value_or({}), QSize(16, 16));
    ASSERT_TRUE(pcx.ok()) << pcx.reason();
    EXPECT_EQ(pcx->size(), QSize(16, 12));
    EXPECT_GE(qGray(pcx->pixel(15, 11)), 250) << "the white corner";
    const aquine::Result<QImage> text = decodePreview("这不是图片", QSize(16, 16));
    ASSERT_FALSE(text.ok());
    EXPECT_NE(text.reason().find("不是能识别的图片"), std::string::npos) << text.reason();
}

TEST_F(PictureConverterTest, LosslessFormatsKeepEveryPixelAtEveryWidth) {
    // Narrow pictures and the widths where PICT readers change how they count a row's bytes.
    const ImageFormat lossless[] = {ImageFormat::Sgi, ImageFormat::Pict, ImageFormat::Bmp, ImageFormat::Tiff,
                                    ImageFormat::Png, ImageFormat::Ppm,  ImageFormat::Pcx};
    std::uint32_t state = 7;
    for (const std::size_t width : {1, 2, 3, 7, 8, 50, 51, 62, 63, 66, 67, 201}) {
        for (const std::size_t height : {1, 3}) {
            std::string rgb(width * height * 3, '\0');
            for (std::size_t i = 0; i < rgb.size(); ++i) {
                state = state * 1103515245u + 12345u;
                // Runs and noise both, so that packed rows hold repeats and literals.
                rgb[i] = i % 9 < 4 ? '\x40' : static_cast<char>(state >> 24);
            }
            const std::string png = encoded(Magick::Image(width, height, "RGB", Magick::CharPixel, rgb.data()), "PNG");
            const auto from = file("窄.png");
            ASSERT_TRUE(aquine::writeFileAtomically(from, png).ok());
            for (const ImageFormat format : lossless) {
                const std::string name = "窄." + encoderOptions(format).coder;
                SCOPED_TRACE(name + " " + std::to_string(width) + "x" + std::to_string(height));
                const aquine::Result<Converted> done = convertPicture(from, file(name), format);
                ASSERT_TRUE(done.ok()) << done.reason();
                Magick::Image got;
                ASSERT_NO_THROW(got.read(file(name).string()));
                ASSERT_EQ(got.columns(), width);
                ASSERT_EQ(got.rows(), height);
                std::string back(rgb.size(), '\0');
                got.write(0, 0, width, height, "RGB", Magick::CharPixel, back.data());
                EXPECT_EQ(back, rgb);
            }
        }
    }
}

TEST_F(PictureConverterTest, DeepAndTranslucentPicturesComeOutAlikeInEveryLosslessFormat) {
    // 16 bits a channel with partial transparency: each writer used to round it its own way.
    std::vector<unsigned short> rgba;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 40; ++x)
            rgba.insert(rgba.end(),
                        {static_cast<unsigned short>(x * 1601 + y), static_cast<unsigned short>(y * 4099),
                         static_cast<unsigned short>(65535 - x * 997), static_cast<unsigned short>(x * 1500)});
    Magick::Image deep(40, 16, "RGBA", Magick::ShortPixel, rgba.data());
    deep.depth(16);
    ASSERT_TRUE(aquine::writeFileAtomically(file("深.png"), encoded(deep, "PNG")).ok());
    std::string first;
    for (const ImageFormat format : {ImageFormat::Ppm, ImageFormat::Png, ImageFormat::Sgi, ImageFormat::Pict,
                                     ImageFormat::Bmp, ImageFormat::Tiff, ImageFormat::Pcx}) {
        const std::string name = "深." + encoderOptions(format).coder;
        SCOPED_TRACE(name);
        ASSERT_TRUE(convertPicture(file("深.png"), file(name), format).ok());
        Magick::Image got;
        got.read(file(name).string());
        std::string rgb(40 * 16 * 3, '\0');
        got.write(0, 0, 40, 16, "RGB", Magick::CharPixel, rgb.data());
        if (first.empty())
            first = rgb;
        std::size_t differing = 0;
        for (std::size_t i = 0; i < rgb.size(); ++i)
            differing += rgb[i] != first[i];
        EXPECT_EQ(differing, 0u) << "bytes unlike the PPM's";
    }
}

// Pictures made to exhaust or mislead the converter: declared-huge, many-framed, vector files in
// disguise, broken and truncated ones, and reads called off half way. The whole test runs within
// 1.5 GiB of address space, so a picture that would take gigabytes fails the test instead of the machine.
#include "aquinepad/imageconv/picture_converter.h"
#include "aquinepad/imageconv/tests/made_pictures.h"

#include "common/file_io.h"

#include <Magick++.h>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace aquinepad;
using namespace aquinepad::testing;

namespace {

class BoundedAddressSpace : public ::testing::Environment {
public:
    void SetUp() override {
        const rlimit limit{1536ull << 20, 1536ull << 20};
        ASSERT_EQ(::setrlimit(RLIMIT_AS, &limit), 0);
    }
};
const auto* const kBounded = ::testing::AddGlobalTestEnvironment(new BoundedAddressSpace);

constexpr ImageFormat kAllFormats[] = {ImageFormat::Jpeg, ImageFormat::Sgi, ImageFormat::Pict, ImageFormat::Pbm,
                                       ImageFormat::Pgm,  ImageFormat::Bmp, ImageFormat::Tiff, ImageFormat::Png,
                                       ImageFormat::Ppm,  ImageFormat::Pcx};

std::string encodedAs(Magick::Image image, const std::string& magick) {
    image.magick(magick);
    Magick::Blob blob;
    image.write(&blob);
    return {static_cast<const char*>(blob.data()), blob.length()};
}

// Noise, so that no format compresses it to nothing and a decoder has rows to report.
std::string noisePicture(std::size_t width, std::size_t height, const std::string& magick) {
    Magick::InitializeMagick(nullptr);
    std::string rgb(width * height * 3, '\0');
    std::uint32_t state = 12345;
    for (char& c : rgb) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return encodedAs(Magick::Image(width, height, "RGB", Magick::CharPixel, rgb.data()), magick);
}

Magick::Image readBack(const std::filesystem::path& file) {
    Magick::Image image;
    image.read(file.string());
    return image;
}

// Asks to be called off after a number of progress reports, so that a test sees a decode stopped
// half way without racing a clock.
class CallOffAfter : public Cancellation {
public:
    explicit CallOffAfter(int reports) : m_reports(reports) {}
    bool cancelled() const override { return ++m_asked > m_reports; }
    int asked() const { return m_asked; }

private:
    int m_reports;
    mutable std::atomic<int> m_asked{0};
};

class HostilePictures : public ::testing::Test {
protected:
    std::filesystem::path file(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }
    std::filesystem::path write(const std::string& name, std::string_view bytes) const {
        EXPECT_TRUE(aquine::writeFileAtomically(file(name), bytes).ok());
        return file(name);
    }
    std::string contents(const std::filesystem::path& path) const {
        return aquine::readFileBytes(path, aquine::kSettingsFileLimit).value_or("(gone)");
    }
    // Every format refuses the source with a reason about it, and the old destination stays.
    void expectRefusedEverywhere(const std::filesystem::path& source, const std::string& because) {
        for (const ImageFormat format : kAllFormats) {
            const std::string name = "kept." + encoderOptions(format).coder;
            const std::filesystem::path kept = write(name, "an older picture");
            const aquine::Result<Converted> done = convertPicture(source, kept, format);
            ASSERT_FALSE(done.ok()) << name;
            EXPECT_NE(done.reason().find(because), std::string::npos) << name << ": " << done.reason();
            EXPECT_EQ(done.reason().find("无法写成"), std::string::npos) << name << ": " << done.reason();
            EXPECT_EQ(contents(kept), "an older picture") << name;
        }
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(HostilePictures, DeclaredHugePicturesAreRefusedBeforeAnyPixelIsHeld) {
    const auto huge = write("巨大.png", grayPng(100000, 100000, 1));
    EXPECT_LT(std::filesystem::file_size(huge), 1000u);
    expectRefusedEverywhere(huge, "图片太大（100000×100000 像素）");
    expectRefusedEverywhere(write("宽.png", grayPng(30000, 30000, 4)), "图片太大（30000×30000 像素）");
    // Within each side's limit, over the total: 16000 x 16000 is 256 million pixels.
    expectRefusedEverywhere(write("方.png", grayPng(16000, 16000, 1)), "图片太大");

    const aquine::Result<QImage> preview = decodePreview(contents(huge), QSize(408, 208));
    ASSERT_FALSE(preview.ok());
    EXPECT_NE(preview.reason().find("图片太大"), std::string::npos) << preview.reason();
    const PictureLimits limits = pictureLimits();
    EXPECT_LE(limits.maxSide, 20000u);
    EXPECT_LE(limits.maxPixels, 120'000'000u);
}

TEST_F(HostilePictures, OnlyTheFirstFrameOrPageIsRead) {
    // 2.3 MB of 100,000 one-pixel frames; a valid 300-frame 3000 x 3000 animation; 100,000 TIFF pages.
    // Read whole, the first and last take gigabytes each and the second is refused for lack of memory.
    struct Case {
        const char* name;
        std::string bytes;
        std::size_t width, height;
    };
    const Case cases[] = {
        {"帧.gif", uniformGif(1, 1, 100000), 1, 1},
        {"动画.gif", uniformGif(3000, 3000, 300), 3000, 3000},
        {"页.tif", manyPageTiff(100000), 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto source = write(c.name, c.bytes);
        const auto target = file(std::string(c.name) + ".png");
        const aquine::Result<Converted> done = convertPicture(source, target, ImageFormat::Png);
        ASSERT_TRUE(done.ok()) << done.reason();
        EXPECT_TRUE(done->notice.empty()) << done->notice;
        const Magick::Image got = readBack(target);
        EXPECT_EQ(got.columns(), c.width);
        EXPECT_EQ(got.rows(), c.height);
        EXPECT_TRUE(decodePreview(c.bytes, QSize(408, 208)).ok());
    }
}

TEST_F(HostilePictures, FilesThatWouldPullInOtherFilesAreNoPictures) {
    // A picture elsewhere on disk, and vector or script files that draw it into theirs.
    const auto secret = write("secret.png", noisePicture(2, 2, "PNG"));
    const std::string href = secret.string();
    const std::string disguised[] = {
        "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
        "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"2\" height=\"2\"><image xlink:href=\"" +
            href + "\" width=\"2\" height=\"2\"/></svg>\n",
        "<svg width=\"2\" height=\"2\"><image href=\"" + href + "\" width=\"2\" height=\"2\"/></svg>",
        "push graphic-context\nviewbox 0 0 2 2\nimage over 0,0 2,2 '" + href + "'\npop graphic-context\n",
        "<?xml version=\"1.0\"?><image><read filename=\"" + href + "\"/><write filename=\"" + href + ".x\"/></image>",
        "@" + href,
    };
    int n = 0;
    for (const std::string& text : disguised) {
        SCOPED_TRACE(text);
        const auto source = write("伪装" + std::to_string(n++) + ".png", text);
        const auto target = file("偷.bmp");
        const aquine::Result<Converted> done = convertPicture(source, target, ImageFormat::Bmp);
        ASSERT_FALSE(done.ok());
        EXPECT_NE(done.reason().find("不是能识别的图片"), std::string::npos) << done.reason();
        EXPECT_FALSE(std::filesystem::exists(target));
        EXPECT_FALSE(decodePreview(text, QSize(16, 16)).ok());
    }
    EXPECT_FALSE(std::filesystem::exists(href + ".x"));
}

TEST_F(HostilePictures, EmptyAndBrokenPicturesAreErrorsAboutTheSource) {
    const std::string good = noisePicture(40, 30, "PNG");
    std::string badCrc = good;
    badCrc[29] = static_cast<char>(badCrc[29] ^ 0x55); // the header chunk's checksum
    const std::string headerOnly = good.substr(0, 33) + pngChunk("IEND", "");
    std::string noPixels = good.substr(0, 33) + pngChunk("IDAT", std::string("\x78\x9C\x03\x00\x00\x00\x00\x01", 8)) +
                           pngChunk("IEND", "");
    expectRefusedEverywhere(write("坏校验.png", badCrc), "图片已损坏");
    expectRefusedEverywhere(write("只有头.png", headerOnly), "图片已损坏");
    expectRefusedEverywhere(write("无像素.png", noPixels), "图片已损坏");
    expectRefusedEverywhere(write("零宽.png", grayPng(0, 10, 0)), "图片已损坏");
    expectRefusedEverywhere(write("空.png", ""), "不是能识别的图片");
    expectRefusedEverywhere(write("半个头.png", good.substr(0, 20)), "图片已损坏");
}

TEST_F(HostilePictures, ATruncatedJpegConvertsAndSaysItWasIncomplete) {
    const std::string jpeg = noisePicture(200, 160, "JPEG");
    const auto source = write("截断.jpg", jpeg.substr(0, jpeg.size() / 2));
    const aquine::Result<Converted> done = convertPicture(source, file("截断.png"), ImageFormat::Png);
    ASSERT_TRUE(done.ok()) << done.reason();
    EXPECT_NE(done->notice.find("不完整"), std::string::npos) << done->notice;
    EXPECT_EQ(readBack(file("截断.png")).columns(), 200u);
    // A whole one says nothing.
    const aquine::Result<Converted> whole = convertPicture(write("完整.jpg", jpeg), file("完整.png"), ImageFormat::Png);
    ASSERT_TRUE(whole.ok()) << whole.reason();
    EXPECT_TRUE(whole->notice.empty()) << whole->notice;
}

TEST_F(HostilePictures, ACalledOffReadStopsHalfWayAndWritesNothing) {
    // 1500 rows: the decoder reports after each, and must stop at the fourth question.
    const std::string noise = noisePicture(1500, 1500, "PNG");
    CallOffAfter preview(3);
    const aquine::Result<QImage> shown = decodePreview(noise, QSize(408, 208), &preview);
    ASSERT_FALSE(shown.ok());
    EXPECT_EQ(shown.reason(), kCancelledReason);
    EXPECT_LT(preview.asked(), 20);

    const auto source = write("噪声.png", noise);
    for (const ImageFormat format : {ImageFormat::Png, ImageFormat::Jpeg, ImageFormat::Pict}) {
        CallOffAfter conversion(3);
        const auto kept = write("旧.out", "old");
        const aquine::Result<Converted> done = convertPicture(source, kept, format, &conversion);
        ASSERT_FALSE(done.ok());
        EXPECT_EQ(done.reason(), kCancelledReason);
        EXPECT_LT(conversion.asked(), 20);
        EXPECT_EQ(contents(kept), "old");
    }
    Cancellation already;
    already.cancel();
    EXPECT_EQ(decodePreview(noise, QSize(8, 8), &already).reason(), kCancelledReason);
}

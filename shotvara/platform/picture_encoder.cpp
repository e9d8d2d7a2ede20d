// Picture encoding with Magick++: one library writes all three formats (Qt cannot write GIF), so the
// three rows of the save dialog behave alike.
#include "shotvara/platform/picture_encoder.h"

#include <Magick++.h>
#include <mutex>
#include <new>
#include <string_view>
#include <vector>

namespace shotvara {

namespace {

constexpr std::size_t kJpegQuality = 92;

void initialiseMagick() {
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

// Tightly packed RGB bytes; QImage pads its lines to four bytes.
std::vector<unsigned char> packedRgb(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const auto lineBytes = static_cast<std::size_t>(rgb.width()) * 3;
    std::vector<unsigned char> out(lineBytes * static_cast<std::size_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(rgb.constScanLine(y), lineBytes, out.begin() + static_cast<std::ptrdiff_t>(lineBytes * y));
    return out;
}

std::string_view formatName(PictureFormat format) {
    switch (format) {
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Png: break;
    }
    return "PNG";
}

} // namespace

aquine::Result<std::string> encodePicture(const QImage& picture, PictureFormat format) {
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return aquine::fail("图片为空");
    initialiseMagick();
    // Over the library's limits (its policy file), building the image aborts the process instead of
    // throwing, so the size is checked first.
    const auto width = static_cast<MagickCore::MagickSizeType>(picture.width());
    const auto height = static_cast<MagickCore::MagickSizeType>(picture.height());
    if (width > Magick::ResourceLimits::width() || height > Magick::ResourceLimits::height() ||
        width * height > Magick::ResourceLimits::area())
        return aquine::fail("无法编码图片：图片太大");
    try {
        const std::vector<unsigned char> rgb = packedRgb(picture);
        Magick::Image image(static_cast<std::size_t>(picture.width()), static_cast<std::size_t>(picture.height()),
                            "RGB", Magick::CharPixel, rgb.data());
        image.depth(8);
        switch (format) {
        case PictureFormat::Png:
            image.magick("PNG");
            // Only the pixels: no time chunks (the same picture always gives the same bytes) and no
            // gamma or chromaticity chunks that would tempt a viewer to "correct" screen colours.
            image.defineValue("png", "exclude-chunks", "all");
            break;
        case PictureFormat::Gif:
            image.magick("GIF");
            if (image.totalColors() > 256) {
                image.quantizeColors(256);
                image.quantizeDitherMethod(MagickCore::FloydSteinbergDitherMethod);
                image.quantizeDither(true);
                image.quantize();
            }
            break;
        case PictureFormat::Jpeg:
            image.magick("JPEG");
            image.quality(kJpegQuality);
            image.defineValue("jpeg", "sampling-factor", "1x1,1x1,1x1");
            break;
        }
        Magick::Blob blob;
        image.write(&blob);
        return std::string(static_cast<const char*>(blob.data()), blob.length());
    } catch (const Magick::ErrorResourceLimit&) {
        return aquine::fail("无法编码图片：图片太大，内存或磁盘空间不足");
    } catch (const Magick::WarningResourceLimit&) {
        return aquine::fail("无法编码图片：图片太大，内存或磁盘空间不足");
    } catch (const Magick::Exception&) {
        // The library's own text is English and names its source files; it tells the user nothing.
        return aquine::fail(std::string("无法编码图片：图片库不能写出") + std::string(formatName(format)) + "格式");
    } catch (const std::bad_alloc&) {
        return aquine::fail("无法编码图片：内存不足");
    }
}

} // namespace shotvara

// Picture encoding with Magick++: one library writes all three formats (Qt cannot write GIF), so the
// three rows of the save dialog behave alike.
#include "shotvara/platform/picture_encoder.h"

#include <Magick++.h>
#include <mutex>
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

} // namespace

aquine::Result<std::string> encodePicture(const QImage& picture, PictureFormat format) {
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return aquine::fail("图片为空");
    initialiseMagick();
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
    } catch (const Magick::Exception& e) {
        return aquine::fail(std::string("无法编码图片：") + e.what());
    }
}

} // namespace shotvara

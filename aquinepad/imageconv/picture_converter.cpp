// Conversion with Magick++, which reads and writes all ten formats (Qt writes few of them). Pictures
// are read from bytes, never by name: the library would read "[0]" or "%d" in a file name as options.
#include "aquinepad/imageconv/picture_converter.h"

#include "common/file_io.h"

#include <Magick++.h>
#include <QBuffer>
#include <QImageReader>
#include <mutex>

namespace aquinepad {

namespace {

void initialiseMagick() {
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

// The first frame of the picture; an error when the bytes are no picture the library knows.
Magick::Image readPicture(std::string_view bytes) {
    Magick::Image image;
    image.quiet(true); // warnings (an unknown TIFF tag, say) are no reason to refuse a readable picture
    const Magick::Blob blob(bytes.data(), bytes.size());
    image.read(blob);
    return image;
}

void prepare(Magick::Image& image, const EncoderOptions& options) {
    // Flattening is a pass over every pixel: only for pictures that have transparency.
    if (image.matte()) {
        image.backgroundColor(Magick::Color("white"));
        image.alphaChannel(MagickCore::RemoveAlphaChannel);
    }
    image.depth(8);
    switch (options.pixels) {
    case PixelKind::Colour: image.type(MagickCore::TrueColorType); break;
    case PixelKind::Gray: image.type(MagickCore::GrayscaleType); break;
    case PixelKind::BlackAndWhite: image.type(MagickCore::BilevelType); break;
    }
    image.magick(options.coder);
    if (options.quality != 0)
        image.quality(options.quality);
    if (!options.compress)
        image.compressType(MagickCore::NoCompression);
    for (const auto& [key, value] : options.coderOptions) {
        const auto colon = key.find(':');
        image.defineValue(key.substr(0, colon), key.substr(colon + 1), value);
    }
}

} // namespace

aquine::Result<std::string> encodePictureAs(std::string_view pictureBytes, ImageFormat format) {
    initialiseMagick();
    const EncoderOptions options = encoderOptions(format);
    Magick::Image image;
    try {
        image = readPicture(pictureBytes);
    } catch (const Magick::Exception&) {
        return aquine::fail("这个文件不是能识别的图片，或者已经损坏");
    } catch (const std::bad_alloc&) {
        return aquine::fail("图片太大，内存不足");
    }
    try {
        prepare(image, options);
        Magick::Blob blob;
        image.write(&blob);
        return std::string(static_cast<const char*>(blob.data()), blob.length());
    } catch (const Magick::Exception&) {
        return aquine::fail("图片无法写成 " + options.shownName + " 格式");
    } catch (const std::bad_alloc&) {
        return aquine::fail("图片太大，内存不足");
    }
}

aquine::Result<> convertPicture(const std::filesystem::path& source, const std::filesystem::path& destination,
                                ImageFormat format) {
    const aquine::Result<std::string> bytes = aquine::readFileBytes(source, aquine::documentSizeLimit());
    if (!bytes)
        return aquine::fail(bytes.reason());
    const aquine::Result<std::string> encoded = encodePictureAs(*bytes, format);
    if (!encoded)
        return aquine::fail(encoded.reason() + "：" + source.string());
    return aquine::writeFileAtomically(destination, *encoded);
}

QImage decodePreview(const std::string& pictureBytes, QSize bounds) {
    QByteArray data = QByteArray::fromRawData(pictureBytes.data(), static_cast<qsizetype>(pictureBytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    // Large pictures are decoded straight to the preview's size where the format allows it (JPEG).
    if (reader.canRead()) {
        const QSize full = reader.size();
        if (full.isValid() && (full.width() > bounds.width() || full.height() > bounds.height()))
            reader.setScaledSize(full.scaled(bounds, Qt::KeepAspectRatio));
        QImage picture = reader.read();
        if (!picture.isNull())
            return picture.width() > bounds.width() || picture.height() > bounds.height()
                       ? picture.scaled(bounds, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                       : picture;
    }
    // Formats Qt cannot read (PCX, SGI, PICT, ...): through the image library, as 8-bit RGBA.
    initialiseMagick();
    try {
        Magick::Image image = readPicture(pictureBytes);
        if (image.columns() > static_cast<std::size_t>(bounds.width()) ||
            image.rows() > static_cast<std::size_t>(bounds.height())) {
            Magick::Geometry fit(static_cast<std::size_t>(bounds.width()), static_cast<std::size_t>(bounds.height()));
            image.resize(fit);
        }
        QImage picture(static_cast<int>(image.columns()), static_cast<int>(image.rows()), QImage::Format_RGBA8888);
        image.write(0, 0, image.columns(), image.rows(), "RGBA", Magick::CharPixel, picture.bits());
        return picture;
    } catch (const Magick::Exception&) {
        return {};
    }
}

} // namespace aquinepad

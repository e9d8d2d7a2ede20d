// Conversion with Magick++, which reads and writes all ten formats (Qt writes few of them). Pictures
// are read from bytes, never by name (the library would read "[0]" or "%d" in a file name as options),
// with the decoder named here from the bytes' magic number, so a file can never choose a vector or
// script format that reads other files. Each read is held to size limits before any pixel is held,
// takes only the first frame, and stops when it runs too long or the window calls it off.
#include "aquinepad/imageconv/picture_converter.h"

#include "aquinepad/imageconv/pict_encoder.h"
#include "common/file_io.h"

#include <Magick++.h>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>

namespace aquinepad {

namespace {

using Clock = std::chrono::steady_clock;

// A read that takes longer than this is given up: no picture within the limits needs it.
constexpr std::chrono::seconds kReadingBudget{120};

constexpr PictureLimits kOwnLimits{};
constexpr MagickCore::MagickSizeType kMiB = 1024 * 1024;

const std::string kBroken = "图片已损坏，读不出任何像素";
const std::string kDamaged = "源图片不完整或有损坏，只转换了能读出的部分";
const std::string kOutOfMemory = "图片太大，读取它所需的内存超出了限度";

void initialiseMagick() {
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        // The library only lets a program lower what a policy file set, so these can only tighten a
        // system's own limits. Memory beyond the first GiB goes to a mapped, then a disk cache.
        Magick::ResourceLimits::width(kOwnLimits.maxSide);
        Magick::ResourceLimits::height(kOwnLimits.maxSide);
        Magick::ResourceLimits::area(kOwnLimits.maxPixels);
        Magick::ResourceLimits::memory(1024 * kMiB);
        Magick::ResourceLimits::map(2048 * kMiB);
        Magick::ResourceLimits::disk(2048 * kMiB);
        // Only first frames are read; a decoder that ignores that still cannot pile up frames.
        Magick::ResourceLimits::listLength(16);
        // No time limit through the library: ImageMagick 6 counts it from the program's first picture
        // and then ends the whole program. Each read gets a deadline of its own instead (Watch).
    });
}

// The progress monitor of one read or conversion: stops it when it is called off or overruns. The
// library calls it from the working thread, once a row or so.
class Watch {
public:
    explicit Watch(const Cancellation* cancel) : m_cancel(cancel), m_deadline(Clock::now() + kReadingBudget) {}

    // Before a read: the decoder reports to the picture's settings.
    void attach(Magick::Image& image) {
        MagickCore::SetImageInfoProgressMonitor(image.imageInfo(), &Watch::monitor, this);
    }
    // Before a write: the encoder reports to the picture itself.
    void attachToPixels(Magick::Image& image) {
        image.modifyImage();
        MagickCore::SetImageProgressMonitor(image.image(), &Watch::monitor, this);
    }

    // Why the work must end, once it must.
    std::optional<std::string> stopped() const {
        if (m_cancel && m_cancel->cancelled())
            return std::string(kCancelledReason);
        if (m_overran || Clock::now() > m_deadline)
            return "读取图片超过 " + std::to_string(kReadingBudget.count() / 60) + " 分钟，已停止";
        return std::nullopt;
    }

private:
    static MagickCore::MagickBooleanType monitor(const char*, MagickCore::MagickOffsetType, MagickCore::MagickSizeType,
                                                 void* data) {
        auto* self = static_cast<Watch*>(data);
        if (Clock::now() > self->m_deadline)
            self->m_overran = true;
        return self->stopped() ? MagickCore::MagickFalse : MagickCore::MagickTrue;
    }

    const Cancellation* m_cancel;
    Clock::time_point m_deadline;
    bool m_overran = false;
};

struct Picture {
    Magick::Image image;
    std::string notice;
};

void firstFrameWith(Magick::Image& image, const std::string& coder) {
    image.magick(coder); // no guessing from the bytes: the decoder is the one named
    image.subImage(0);
    image.subRange(1);
}

// The first frame of the picture, or why there is none. Watch must outlive the picture returned.
aquine::Result<Picture> readPicture(std::string_view bytes, Watch& watch, const std::string& jpegScaleHint = {}) {
    const std::optional<PictureKind> kind = recognisePicture(bytes);
    if (!kind)
        return aquine::fail("这个文件不是能识别的图片（可以读取的格式：" + readablePictureFormats() + "）");
    const PictureLimits limits = pictureLimits();
    if (kind->declaredSize)
        if (std::string refusal = sizeRefusal(*kind->declaredSize, limits); !refusal.empty())
            return aquine::fail(refusal);

    const Magick::Blob blob(bytes.data(), bytes.size());
    try {
        // The header alone first, so that the size is judged before any pixel is held.
        Magick::Image header;
        firstFrameWith(header, kind->coder);
        watch.attach(header);
        try {
            header.ping(blob);
        } catch (const Magick::Warning&) {
            // judged by what was read
        }
        if (header.columns() == 0 || header.rows() == 0)
            return aquine::fail(kBroken);
        const PictureSize size{static_cast<std::uint32_t>(std::min<std::size_t>(header.columns(), UINT32_MAX)),
                               static_cast<std::uint32_t>(std::min<std::size_t>(header.rows(), UINT32_MAX))};
        if (std::string refusal = sizeRefusal(size, limits); !refusal.empty())
            return aquine::fail(refusal);

        Picture picture;
        firstFrameWith(picture.image, kind->coder);
        watch.attach(picture.image);
        if (!jpegScaleHint.empty())
            picture.image.defineValue("jpeg", "size", jpegScaleHint);
        try {
            picture.image.read(blob);
        } catch (const Magick::WarningCorruptImage&) {
            picture.notice = kDamaged;
        } catch (const Magick::Warning&) {
            // an unknown TIFF tag, an odd colour profile: no reason to refuse a readable picture
        }
        if (auto reason = watch.stopped())
            return aquine::fail(*reason);
        if (picture.image.columns() == 0 || picture.image.rows() == 0)
            return aquine::fail(kBroken);
        return picture;
    } catch (const Magick::ErrorResourceLimit&) {
        return aquine::fail(watch.stopped().value_or(kOutOfMemory));
    } catch (const Magick::Exception&) {
        return aquine::fail(watch.stopped().value_or(kBroken));
    } catch (const std::bad_alloc&) {
        return aquine::fail(kOutOfMemory);
    }
}

// The picture as the format holds it: on white, in colour, gray or black and white, and in 8 bits
// rounded once, here. Every writer is then handed the same pixels; left to themselves they reduce
// 16-bit, linear-gray and palette pictures each in their own way, a step apart.
Magick::Image eightBitPixels(Magick::Image image, const EncoderOptions& options) {
    // Flattening is a pass over every pixel: only for pictures that have transparency.
    if (image.matte()) {
        image.backgroundColor(Magick::Color("white"));
        image.alphaChannel(MagickCore::RemoveAlphaChannel);
    }
    switch (options.pixels) {
    case PixelKind::Colour: image.type(MagickCore::TrueColorType); break;
    case PixelKind::Gray: image.type(MagickCore::GrayscaleType); break;
    case PixelKind::BlackAndWhite: image.type(MagickCore::BilevelType); break;
    }
    const std::size_t width = image.columns(), height = image.rows();
    // A gray picture's red is its gray ("I" would weigh the channels again).
    const std::string map = options.pixels == PixelKind::Colour ? "RGB" : "R";
    std::string pixels(width * height * map.size(), '\0');
    image.write(0, 0, width, height, map, Magick::CharPixel, pixels.data());
    const Magick::Blob profile = image.iccColorProfile();
    const Magick::Geometry density = image.density();
    const MagickCore::ResolutionType units = image.resolutionUnits();
    image = Magick::Image(); // the library's copy goes before the new one is made

    Magick::Image reduced(width, height, options.pixels == PixelKind::Colour ? "RGB" : "I", Magick::CharPixel,
                          pixels.data());
    if (profile.length() > 0)
        reduced.iccColorProfile(profile);
    reduced.density(density);
    reduced.resolutionUnits(units);
    // Already black and white, or gray, pixel for pixel: marking it gray is enough for the writers, and
    // far cheaper than reducing it to black and white a second time.
    if (options.pixels != PixelKind::Colour)
        reduced.type(MagickCore::GrayscaleType);
    reduced.depth(8);
    return reduced;
}

void applySettings(Magick::Image& image, const EncoderOptions& options) {
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

aquine::Result<std::string> write(Magick::Image& image, ImageFormat format) {
    if (format == ImageFormat::Pict) {
        std::string rgb(image.columns() * image.rows() * 3, '\0');
        image.write(0, 0, image.columns(), image.rows(), "RGB", Magick::CharPixel, rgb.data());
        return encodePict(static_cast<std::uint32_t>(image.columns()), static_cast<std::uint32_t>(image.rows()), rgb);
    }
    Magick::Blob blob;
    try {
        image.write(&blob);
    } catch (const Magick::Warning&) {
        // the file is written all the same
    }
    return std::string(static_cast<const char*>(blob.data()), blob.length());
}

} // namespace

PictureLimits pictureLimits() {
    initialiseMagick();
    const auto side = std::min({static_cast<MagickCore::MagickSizeType>(kOwnLimits.maxSide),
                                Magick::ResourceLimits::width(), Magick::ResourceLimits::height()});
    const auto pixels = std::min<MagickCore::MagickSizeType>(kOwnLimits.maxPixels, Magick::ResourceLimits::area());
    return {static_cast<std::uint32_t>(side), static_cast<std::uint64_t>(pixels)};
}

aquine::Result<Encoded> encodePictureAs(std::string_view pictureBytes, ImageFormat format, const Cancellation* cancel) {
    initialiseMagick();
    const EncoderOptions options = encoderOptions(format);
    Watch watch(cancel);
    aquine::Result<Picture> picture = readPicture(pictureBytes, watch);
    if (!picture)
        return aquine::fail(picture.reason());
    const std::string cannotWrite = "图片无法写成 " + options.shownName + " 格式";
    try {
        Magick::Image reduced = eightBitPixels(std::move(picture->image), options);
        if (auto reason = watch.stopped())
            return aquine::fail(*reason);
        applySettings(reduced, options);
        watch.attachToPixels(reduced);
        aquine::Result<std::string> bytes = write(reduced, format);
        if (auto reason = watch.stopped())
            return aquine::fail(*reason);
        if (!bytes)
            return aquine::fail(bytes.reason());
        if (bytes->empty())
            return aquine::fail(cannotWrite);
        return Encoded{std::move(*bytes), picture->notice};
    } catch (const Magick::ErrorResourceLimit&) {
        return aquine::fail(watch.stopped().value_or(kOutOfMemory));
    } catch (const Magick::Exception&) {
        return aquine::fail(watch.stopped().value_or(cannotWrite));
    } catch (const std::bad_alloc&) {
        return aquine::fail(kOutOfMemory);
    }
}

aquine::Result<Converted> convertPicture(const std::filesystem::path& source, const std::filesystem::path& destination,
                                         ImageFormat format, const Cancellation* cancel) {
    const aquine::Result<std::string> bytes = aquine::readFileBytes(source, aquine::documentSizeLimit());
    if (!bytes)
        return aquine::fail(bytes.reason());
    aquine::Result<Encoded> encoded = encodePictureAs(*bytes, format, cancel);
    if (!encoded)
        return aquine::fail(encoded.reason() == kCancelledReason ? encoded.reason()
                                                                 : encoded.reason() + "：" + source.string());
    if (cancel && cancel->cancelled())
        return aquine::fail(std::string(kCancelledReason));
    if (aquine::Result<> written = aquine::writeFileAtomically(destination, encoded->bytes); !written)
        return aquine::fail(written.reason());
    return Converted{encoded->notice};
}

aquine::Result<QImage> decodePreview(std::string_view pictureBytes, QSize bounds, const Cancellation* cancel) {
    initialiseMagick();
    Watch watch(cancel);
    // JPEG decodes straight to a fraction of its size when told the size wanted.
    const std::string hint = std::to_string(bounds.width()) + "x" + std::to_string(bounds.height());
    aquine::Result<Picture> picture = readPicture(pictureBytes, watch, hint);
    if (!picture)
        return aquine::fail(picture.reason());
    Magick::Image& image = picture->image;
    try {
        if (image.colorSpace() != MagickCore::sRGBColorspace && image.colorSpace() != MagickCore::RGBColorspace &&
            image.colorSpace() != MagickCore::GRAYColorspace)
            image.colorSpace(MagickCore::sRGBColorspace);
        if (image.columns() > static_cast<std::size_t>(bounds.width()) ||
            image.rows() > static_cast<std::size_t>(bounds.height()))
            image.resize(
                Magick::Geometry(static_cast<std::size_t>(bounds.width()), static_cast<std::size_t>(bounds.height())));
        if (auto reason = watch.stopped())
            return aquine::fail(*reason);
        QImage preview(static_cast<int>(image.columns()), static_cast<int>(image.rows()), QImage::Format_RGBA8888);
        if (preview.isNull())
            return aquine::fail(kOutOfMemory);
        // In one piece: a QImage pads its rows to 4 bytes, which RGBA rows are already.
        image.write(0, 0, image.columns(), image.rows(), "RGBA", Magick::CharPixel, preview.bits());
        return preview;
    } catch (const Magick::Exception&) {
        return aquine::fail(kBroken);
    } catch (const std::bad_alloc&) {
        return aquine::fail(kOutOfMemory);
    }
}

} // namespace aquinepad

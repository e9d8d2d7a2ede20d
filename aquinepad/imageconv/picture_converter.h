// Reads a picture file and writes it in one of the ten formats, through Magick++; decodes pictures for
// the preview. Safe to call from a worker thread: each call works on pictures of its own, and another
// thread can call it off half way.
#pragma once

#include "aquinepad/imageconv/image_format_rule.h"
#include "aquinepad/imageconv/picture_kind.h"
#include "common/result.h"

#include <QImage>
#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>

namespace aquinepad {

// Set from another thread to stop a read or conversion at the library's next progress report; the
// work then fails with kCancelledReason. Virtual so that a test can decide when it is called off.
class Cancellation {
public:
    virtual ~Cancellation() = default;
    void cancel() { m_cancelled.store(true); }
    virtual bool cancelled() const { return m_cancelled.load(); }

private:
    std::atomic<bool> m_cancelled{false};
};

inline constexpr std::string_view kCancelledReason = "已取消";

// The limits every picture is read within: the converter's own, lowered to the image library's where
// a policy file of the system sets them lower.
PictureLimits pictureLimits();

// A picture the library read with a complaint about its data (a truncated JPEG): written as far as
// it could be read, and notice says so. Empty when the source read cleanly.
struct Encoded {
    std::string bytes;
    std::string notice;
};
struct Converted {
    std::string notice;
};

// The bytes of a picture file in the format, made from the bytes of a picture in a format
// recognisePicture knows; only its first frame or page. A transparent picture is laid on white first.
aquine::Result<Encoded> encodePictureAs(std::string_view pictureBytes, ImageFormat format,
                                        const Cancellation* cancel = nullptr);

// Reads source and replaces destination with the picture in the format. The destination is written
// only once the whole new file is in memory, and then safely: a failure leaves the old file as it was.
aquine::Result<Converted> convertPicture(const std::filesystem::path& source, const std::filesystem::path& destination,
                                         ImageFormat format, const Cancellation* cancel = nullptr);

// The picture in these bytes, scaled down (aspect ratio kept) to fit within bounds, or why there is
// none: the same reading, and the same reasons, as a conversion's.
aquine::Result<QImage> decodePreview(std::string_view pictureBytes, QSize bounds, const Cancellation* cancel = nullptr);

} // namespace aquinepad

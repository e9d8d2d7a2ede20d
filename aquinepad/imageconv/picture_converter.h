// Reads a picture file and writes it in one of the ten formats, through Magick++; decodes pictures for
// the preview. Safe to call from a worker thread: each call works on pictures of its own.
#pragma once

#include "aquinepad/imageconv/image_format_rule.h"
#include "common/result.h"

#include <QImage>
#include <filesystem>
#include <string>
#include <string_view>

namespace aquinepad {

// The bytes of a picture file in the format, made from the bytes of a picture in any format the image
// library reads. A transparent picture is laid on white first.
aquine::Result<std::string> encodePictureAs(std::string_view pictureBytes, ImageFormat format);

// Reads source and replaces destination with the picture in the format. The destination is written
// only once the whole new file is in memory, and then safely: a failure leaves the old file as it was.
aquine::Result<> convertPicture(const std::filesystem::path& source, const std::filesystem::path& destination,
                                ImageFormat format);

// The picture in these bytes, scaled down (aspect ratio kept) to fit within bounds; a null image when
// the bytes are no picture either Qt or the image library can read.
QImage decodePreview(const std::string& pictureBytes, QSize bounds);

} // namespace aquinepad

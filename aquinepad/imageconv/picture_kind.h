// Which picture format a file's first bytes announce, and the size its header declares, so that the
// image library is only ever handed a decoder chosen here. Qt-free and free of the image library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace aquinepad {

struct PictureSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

struct PictureKind {
    std::string coder; // the image library's decoder for it
    // Where the header states the size plainly; formats whose size needs parsing further are asked of
    // the library's header read instead.
    std::optional<PictureSize> declaredSize;
};

// The format of these bytes among the ten the window writes plus GIF, WebP and icons; nothing for
// anything else (SVG and other vector or script formats that could pull in other files among them).
std::optional<PictureKind> recognisePicture(std::string_view bytes);

// The formats recognisePicture knows, for messages: "PNG、JPEG、...".
std::string readablePictureFormats();

// How large a picture may be: each side, and all its pixels together (the library keeps 8 bytes a
// pixel while it works, so 120 million pixels are nearly 1 GB).
struct PictureLimits {
    std::uint32_t maxSide = 20000;
    std::uint64_t maxPixels = 120'000'000;
};

// Empty when the size is within the limits, else the reason for the user.
std::string sizeRefusal(PictureSize size, const PictureLimits& limits);

} // namespace aquinepad

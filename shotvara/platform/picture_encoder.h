// Encodes a picture as the bytes of a PNG, GIF or JPEG file.
#pragma once

#include "save_target.h"

#include <QImage>
#include <string>
#include <variant>

namespace shotvara {

struct EncodeError {
    std::string message; // UTF-8, for the message the user sees
};

// PNG is lossless; a picture of at most 256 colours becomes an exact GIF, a richer one a dithered
// 256-colour GIF; JPEG keeps full colour resolution (no chroma subsampling) so text stays sharp.
std::variant<std::string, EncodeError> encodePicture(const QImage& picture, PictureFormat format);

} // namespace shotvara

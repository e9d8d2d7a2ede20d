// Encodes a picture as the bytes of a PNG, GIF or JPEG file.
#pragma once

#include "common/result.h"
#include "shotvara/core/save_target.h"

#include <QImage>
#include <string>

namespace shotvara {

// PNG is lossless; a picture of at most 256 colours becomes an exact GIF, a richer one a dithered
// 256-colour GIF; JPEG keeps full colour resolution (no chroma subsampling) so text stays sharp.
aquine::Result<std::string> encodePicture(const QImage& picture, PictureFormat format);

} // namespace shotvara

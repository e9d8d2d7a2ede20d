// Writes an Apple QuickDraw PICT (version 2) picture of 8-bit RGB pixels. The image library's own
// writer packs rows that QuickDraw and its own reader expect unpacked, so pictures 1 or 2 pixels wide
// did not read back; this one follows both readers' rules for every width.
#pragma once

#include "common/result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace aquinepad {

// rgb holds width * height pixels of three bytes each, row after row.
aquine::Result<std::string> encodePict(std::uint32_t width, std::uint32_t height, std::string_view rgb);

} // namespace aquinepad

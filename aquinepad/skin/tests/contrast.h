// How legible one colour is on another, as the tests of the skins judge it (WCAG 2 contrast ratio).
#pragma once

#include "aquinepad/skin/skin_colour.h"

#include <algorithm>
#include <cmath>

namespace aquinepad::testing {

inline double relativeLuminance(SkinColour c) {
    const auto linear = [](std::uint8_t v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

// From 1 (the same) to 21 (black on white); 4.5 is the usual floor for body text.
inline double contrastRatio(SkinColour a, SkinColour b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace aquinepad::testing

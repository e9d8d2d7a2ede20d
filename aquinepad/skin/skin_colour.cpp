// Skin colours: reading and writing them, and the hue turn in OKLab (Björn Ottosson's perceptual
// colour space, 2020), whose lightness axis is what keeps contrasts as they were.
#include "aquinepad/skin/skin_colour.h"

#include "common/numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace aquinepad {

namespace {

double linearFromSrgb(std::uint8_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

std::uint8_t srgbFromLinear(double linear) {
    const double c = std::clamp(linear, 0.0, 1.0);
    const double encoded = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(encoded * 255.0));
}

struct Lab {
    double l, a, b;
};
using Linear = std::array<double, 3>;

Lab oklabFromLinear(const Linear& rgb) {
    const double l = std::cbrt(0.4122214708 * rgb[0] + 0.5363325363 * rgb[1] + 0.0514459929 * rgb[2]);
    const double m = std::cbrt(0.2119034982 * rgb[0] + 0.6806995451 * rgb[1] + 0.1073969566 * rgb[2]);
    const double s = std::cbrt(0.0883024619 * rgb[0] + 0.2817188376 * rgb[1] + 0.6299787005 * rgb[2]);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
            1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

Linear linearFromOklab(const Lab& lab) {
    const double l = std::pow(lab.l + 0.3963377774 * lab.a + 0.2158037573 * lab.b, 3);
    const double m = std::pow(lab.l - 0.1055613458 * lab.a - 0.0638541728 * lab.b, 3);
    const double s = std::pow(lab.l - 0.0894841775 * lab.a - 1.2914855480 * lab.b, 3);
    return {+4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s,
            -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s,
            -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s};
}

bool onScreen(const Linear& rgb) {
    // A little slack: the round trip through OKLab is not exact to the last bit.
    constexpr double slack = 1e-4;
    return std::all_of(rgb.begin(), rgb.end(), [](double c) { return c >= -slack && c <= 1 + slack; });
}

} // namespace

std::optional<SkinColour> parseSkinColour(std::string_view text) {
    if ((text.size() != 7 && text.size() != 9) || text[0] != '#')
        return std::nullopt;
    std::array<std::uint8_t, 4> channels{0, 0, 0, 255};
    for (std::size_t i = 1, k = 0; i < text.size(); i += 2, ++k) {
        const int high = aquine::hexDigitValue(text[i]);
        const int low = aquine::hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        channels[k] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return SkinColour{channels[0], channels[1], channels[2], channels[3]};
}

std::string styleSheetColour(SkinColour colour) {
    char text[32];
    if (colour.alpha == 255)
        std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
    else
        std::snprintf(text, sizeof text, "rgba(%d, %d, %d, %d)", colour.red, colour.green, colour.blue, colour.alpha);
    return text;
}

int hueTurnDegrees(int hueSetting) {
    const int step = ((hueSetting % 180) + 180) % 180;
    return step * 2;
}

SkinColour turnHue(SkinColour colour, int degrees) {
    degrees = ((degrees % 360) + 360) % 360;
    if (degrees == 0 || (colour.red == colour.green && colour.green == colour.blue))
        return colour;
    const Lab lab =
        oklabFromLinear({linearFromSrgb(colour.red), linearFromSrgb(colour.green), linearFromSrgb(colour.blue)});
    const double angle = std::atan2(lab.b, lab.a) + degrees * std::numbers::pi / 180.0;
    const auto at = [&](double chroma) {
        return linearFromOklab({lab.l, chroma * std::cos(angle), chroma * std::sin(angle)});
    };
    double chroma = std::hypot(lab.a, lab.b);
    Linear rgb = at(chroma);
    if (!onScreen(rgb)) {
        // The greatest chroma that still shows, to well below what 8 bits can tell apart.
        double low = 0, high = chroma;
        for (int i = 0; i < 24; ++i) {
            const double mid = (low + high) / 2;
            (onScreen(at(mid)) ? low : high) = mid;
        }
        rgb = at(low);
    }
    return {srgbFromLinear(rgb[0]), srgbFromLinear(rgb[1]), srgbFromLinear(rgb[2]), colour.alpha};
}

} // namespace aquinepad

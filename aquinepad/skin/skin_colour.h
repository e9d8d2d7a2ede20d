// The colours of a skin and the turn of the 色调 slider, kept free of Qt so the engine only hands
// finished colours to the toolkit and the colour rules are tested on their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace aquinepad {

struct SkinColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
    bool operator==(const SkinColour&) const = default;
};

// "#rrggbb", or "#rrggbbaa" with the alpha last as CSS writes it (not Qt's "#aarrggbb"): skin files
// follow the web's order so that nobody has to remember Qt's.
std::optional<SkinColour> parseSkinColour(std::string_view text);

// As a Qt style sheet takes it: "#rrggbb" when opaque, else "rgba(r, g, b, a)" with a from 0 to 255.
std::string styleSheetColour(SkinColour colour);

// The turn, in degrees, that a 色调 value stands for. The slider's 0..180 covers the whole wheel at
// two degrees a step, so every hue can be reached and both ends give the skin's own colours; values
// from outside the range (a hand-edited file) wrap round the same way.
int hueTurnDegrees(int hueSetting);

// The colour turned round the hue circle at constant perceived lightness and chroma (OKLCh). Turning
// at constant lightness keeps every text legible on its background whatever the hue: a plain HSV turn
// would make white text on a blue bar unreadable once the bar turned yellow. A turned colour that a
// screen cannot show loses chroma, never lightness or hue. Greys and the alpha stay as they are.
SkinColour turnHue(SkinColour colour, int degrees);

} // namespace aquinepad

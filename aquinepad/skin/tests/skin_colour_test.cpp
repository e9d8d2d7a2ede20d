// Skin colours: how they are written, how the 色调 value wraps, and what the hue turn keeps.
#include "aquinepad/skin/skin_colour.h"
#include "aquinepad/skin/tests/contrast.h"

#include <climits>
#include <gtest/gtest.h>
#include <random>

using namespace aquinepad;
using aquinepad::testing::contrastRatio;

TEST(SkinColour, ReadsAndWritesTheWebsForms) {
    EXPECT_EQ(parseSkinColour("#1a2B3c"), (SkinColour{0x1a, 0x2b, 0x3c, 255}));
    EXPECT_EQ(parseSkinColour("#11223344"), (SkinColour{0x11, 0x22, 0x33, 0x44})); // alpha last
    for (const char* bad : {"", "#", "#123", "#12345", "#1234567", "#12345g", "123456", " #123456", "#123456 "})
        EXPECT_FALSE(parseSkinColour(bad)) << bad;
    EXPECT_EQ(styleSheetColour({0x0a, 0xbc, 0xff, 255}), "#0abcff");
    EXPECT_EQ(styleSheetColour({1, 2, 3, 0}), "rgba(1, 2, 3, 0)");
}

TEST(SkinColour, TheHueSettingGoesRoundTheWholeWheelAndWraps) {
    EXPECT_EQ(hueTurnDegrees(0), 0);
    EXPECT_EQ(hueTurnDegrees(1), 2);
    EXPECT_EQ(hueTurnDegrees(90), 180);
    EXPECT_EQ(hueTurnDegrees(179), 358);
    EXPECT_EQ(hueTurnDegrees(180), 0); // the slider's far end is the skin's own colours again
    EXPECT_EQ(hueTurnDegrees(200), 40);
    EXPECT_EQ(hueTurnDegrees(-10), 340);
    for (int extreme : {INT_MIN, INT_MAX}) {
        const int degrees = hueTurnDegrees(extreme);
        EXPECT_TRUE(degrees >= 0 && degrees < 360 && degrees % 2 == 0) << extreme;
    }
}

TEST(SkinColour, NoTurnGreysAndAlphaStayExactlyAsWritten) {
    const SkinColour blue{0x2b, 0x64, 0xa8, 255};
    EXPECT_EQ(turnHue(blue, 0), blue);
    EXPECT_EQ(turnHue(blue, 360), blue);
    EXPECT_EQ(turnHue(blue, -360), blue);
    for (int degrees : {2, 90, 180, 358})
        for (std::uint8_t grey : {0, 1, 128, 254, 255})
            EXPECT_EQ(turnHue({grey, grey, grey, 7}, degrees), (SkinColour{grey, grey, grey, 7}));
    EXPECT_EQ(turnHue({0x2b, 0x64, 0xa8, 0x80}, 120).alpha, 0x80);
}

TEST(SkinColour, TurnsGoWhereTheWheelSays) {
    const SkinColour blue{0x2b, 0x64, 0xa8, 255};
    const SkinColour opposite = turnHue(blue, 180);
    EXPECT_GT(opposite.red, opposite.blue); // blue's opposite is an orange
    const SkinColour red{0xc0, 0x30, 0x30, 255};
    const SkinColour third = turnHue(red, 120);
    EXPECT_GT(third.green, third.red); // a third of the way round from red lies green
    EXPECT_GT(third.green, third.blue);
    EXPECT_NE(turnHue(blue, 2), blue); // the smallest step still shows
    // Turning there and back lands where it started (to the rounding of 8 bits).
    const SkinColour back = turnHue(turnHue(blue, 100), 260);
    EXPECT_NEAR(back.red, blue.red, 2);
    EXPECT_NEAR(back.green, blue.green, 2);
    EXPECT_NEAR(back.blue, blue.blue, 2);
}

TEST(SkinColour, TurnedColoursKeepTheirLightnessSoTextStaysLegible) {
    // Across many colours and every step of the slider, white and black text keep nearly the
    // contrast they had, even where the turned colour lies beyond the screen and loses chroma.
    std::mt19937 random(11);
    std::uniform_int_distribution<int> channel(0, 255);
    double worst = 1;
    for (int i = 0; i < 300; ++i) {
        const SkinColour colour{static_cast<std::uint8_t>(channel(random)), static_cast<std::uint8_t>(channel(random)),
                                static_cast<std::uint8_t>(channel(random)), 255};
        const double onWhite = contrastRatio(colour, {255, 255, 255, 255});
        for (int step = 1; step < 180; ++step) {
            const double turned = contrastRatio(turnHue(colour, hueTurnDegrees(step)), {255, 255, 255, 255});
            worst = std::max(worst, std::max(turned / onWhite, onWhite / turned));
        }
    }
    EXPECT_LT(worst, 1.6);
}

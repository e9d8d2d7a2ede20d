// Rubber-band rules: normalised drags, clicks that select nothing, clipping to the picture.
#include "shotvara/core/selection.h"

#include <gtest/gtest.h>

using namespace shotvara;

namespace {
constexpr Size kScreen{1024, 768};
}

TEST(RubberBand, DragInAnyDirectionSelectsTheSamePixels) {
    const Rect expected{100, 50, 200, 150};
    const std::pair<Point, Point> drags[] = {
        {{100, 50}, {300, 200}}, {{300, 200}, {100, 50}}, {{300, 50}, {100, 200}}, {{100, 200}, {300, 50}}};
    for (const auto& [from, to] : drags) {
        RubberBand band(kScreen);
        band.press(from);
        EXPECT_TRUE(band.move({from.x + 7, from.y + 3}));
        EXPECT_TRUE(band.move(to));
        EXPECT_EQ(band.current(), expected);
        EXPECT_EQ(band.release(to), expected);
        EXPECT_FALSE(band.selecting());
    }
}

TEST(RubberBand, TheReleasePointEndsTheSelection) {
    // A release can arrive without a move at its own position (a fast flick).
    RubberBand band(kScreen);
    band.press({10, 10});
    band.move({20, 20});
    EXPECT_EQ(band.release({40, 30}), (Rect{10, 10, 30, 20}));
}

TEST(RubberBand, ClicksAndFlatDragsSelectNothing) {
    RubberBand band(kScreen);
    band.press({10, 10});
    band.move({200, 200});
    ASSERT_TRUE(band.release({200, 200}));

    // A click after a drag must not reuse the earlier drag's end.
    band.press({50, 50});
    EXPECT_EQ(band.current(), (Rect{50, 50, 0, 0}));
    EXPECT_FALSE(band.release({50, 50}));

    band.press({50, 50});
    band.move({300, 50});
    EXPECT_FALSE(band.release({300, 50})) << "zero height";
    band.press({50, 50});
    EXPECT_FALSE(band.release({50, 400})) << "zero width";
}

TEST(RubberBand, MovesAndReleasesWithoutAPressDoNothing) {
    RubberBand band(kScreen);
    EXPECT_FALSE(band.move({100, 100}));
    EXPECT_EQ(band.current(), Rect{});
    EXPECT_FALSE(band.release({100, 100}));

    band.press({10, 10});
    band.cancel();
    EXPECT_FALSE(band.move({100, 100}));
    EXPECT_FALSE(band.release({100, 100}));
}

TEST(RubberBand, SelectionStaysInsideThePicture) {
    RubberBand band(kScreen);
    band.press({1000, 700});
    band.move({1100, 800});
    EXPECT_EQ(band.release({1100, 800}), (Rect{1000, 700, 24, 68}));
    band.press({5, 5});
    EXPECT_EQ(band.release({-20, -30}), (Rect{0, 0, 5, 5}));
    band.press({0, 0});
    EXPECT_EQ(band.release({1024, 768}), (Rect{0, 0, 1024, 768})) << "the whole screen";
    // Entirely off the picture: nothing.
    band.press({-50, -50});
    EXPECT_FALSE(band.release({-10, -10}));
}

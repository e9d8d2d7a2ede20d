// The turtle's geometry and pen: positions after moves and turns, home, pen and eraser, the shapes'
// placement, the caption's form of a position, and what of a stroke lands in the view.
#include "aquinepad/logo/tests/fake_canvas.h"
#include "aquinepad/logo/turtle.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace aquinepad::logo;
using aquinepad::logo::testing::FakeCanvas;
using Strokes = std::vector<std::string>;

namespace {

struct TurtleTest : ::testing::Test {
    FakeCanvas canvas;
    Turtle turtle{canvas};
    std::string where() const { return positionText(turtle.position()); }
};

TEST_F(TurtleTest, MovesAndTurnsFromTheCentreHeadingUp) {
    EXPECT_EQ(where(), "[0,0]");
    turtle.forward(12.5);
    EXPECT_EQ(turtle.state().position, (TurtlePoint{0, 12.5})); // kept as given, not rounded
    turtle.right(90);
    turtle.forward(100);
    EXPECT_EQ(turtle.state().position, (TurtlePoint{100, 12.5})); // a quarter turn is exact
    turtle.left(180);
    turtle.back(-30); // back a negative distance goes forward
    EXPECT_EQ(where(), "[70,12.5]");
    turtle.left(45);
    turtle.forward(10);
    EXPECT_EQ(where(), "[62.93,5.43]");
    EXPECT_DOUBLE_EQ(turtle.state().heading, 225);
    turtle.right(-765); // whole turns drop away, headings stay in [0, 360)
    EXPECT_DOUBLE_EQ(turtle.state().heading, 180);
    EXPECT_EQ(canvas.strokes, (Strokes{"line (0,0) (0,12.5)", "line (0,12.5) (100,12.5)", "line (100,12.5) (70,12.5)",
                                       "line (70,12.5) (62.93,5.43)"}));
}

TEST_F(TurtleTest, HomeReturnsHeadingUpAndDrawsOnlyWithThePenDown) {
    turtle.right(30);
    turtle.forward(20);
    turtle.penUp();
    turtle.home();
    EXPECT_EQ(turtle.state(), (TurtleState{.penDown = false}));
    EXPECT_EQ(canvas.strokes.size(), 1u);
    turtle.penDown();
    turtle.forward(5);
    turtle.home();
    EXPECT_EQ(canvas.strokes.back(), "line (0,5) (0,0)");
}

TEST_F(TurtleTest, PenUpDrawsNothingAndTheEraserPaintsWithTheBackground) {
    turtle.penUp();
    turtle.forward(10);
    turtle.drawCircle(5);
    turtle.drawRectangle(4, 4);
    turtle.writeText("abc");
    EXPECT_TRUE(canvas.strokes.empty());
    turtle.penDown();
    turtle.setEraser(true);
    EXPECT_TRUE(turtle.state().eraser);
    turtle.forward(10);
    turtle.drawCircle(3);
    turtle.setEraser(false);
    turtle.forward(1);
    EXPECT_EQ(canvas.strokes, (Strokes{"erase line (0,10) (0,20)", "erase ellipse (0,20) 3x3", "line (0,20) (0,21)"}));
}

TEST_F(TurtleTest, ShapesSitOnTheTurtleAndLeaveItWhereItWas) {
    turtle.right(90);
    turtle.forward(10);
    canvas.strokes.clear();
    const TurtleState before = turtle.state();
    turtle.drawEllipse(30, -12.5); // a radius has no sign
    turtle.drawRectangle(40, 20);  // length along the heading (right), width to the turtle's right (down)
    turtle.writeText("\xC4\xE3\xBA\xC3\r\nLogo");
    turtle.drawEllipse(0, 0);
    EXPECT_EQ(turtle.state(), before);
    EXPECT_EQ(canvas.strokes,
              (Strokes{"ellipse (10,0) 30x12.5", "line (10,0) (50,0)", "line (50,0) (50,-20)", "line (50,-20) (10,-20)",
                       "line (10,-20) (10,0)", "text (10,0) \xC4\xE3\xBA\xC3\r\nLogo", "ellipse (10,0) 0x0"}));
}

TEST_F(TurtleTest, ClearScreenWipesTheDrawingButNotTheTurtle) {
    turtle.forward(30);
    turtle.right(90);
    turtle.clearScreen();
    EXPECT_EQ(canvas.strokes.back(), "clear");
    EXPECT_EQ(where(), "[0,30]");
    EXPECT_DOUBLE_EQ(turtle.state().heading, 90);
}

TEST_F(TurtleTest, NonsenseNumbersLeaveTheTurtleUsable) {
    turtle.forward(std::numeric_limits<double>::quiet_NaN());
    turtle.right(std::numeric_limits<double>::infinity());
    EXPECT_EQ(turtle.state(), TurtleState{});
    EXPECT_TRUE(canvas.strokes.empty());
}

TEST(PositionText, ShowsAtMostTwoDecimalsAndNoNegativeZero) {
    EXPECT_EQ(positionText({0, 0}), "[0,0]");
    EXPECT_EQ(positionText({0, 12.5}), "[0,12.5]");
    EXPECT_EQ(positionText({-7.0710678, 1e-14}), "[-7.07,0]");
    EXPECT_EQ(positionText({-0.001, 100}), "[0,100]");
    EXPECT_EQ(positionText({2.999, -3.1}), "[3,-3.1]");
}

// The arcs are checked against the outline itself: a point of it well inside the view (the view
// widened by 2 px for the pen) lies on an arc, one well outside on none.
TEST(TurtleView, VisibleArcsAreThePartsOfTheOutlineInTheView) {
    const TurtleView view; // 776 x 328: |x| <= 390, |y| <= 166 once widened
    const struct {
        TurtlePoint centre;
        double rx, ry;
        bool all, none;
    } cases[] = {
        {{0, 0}, 100, 100, true, false},     {{0, 0}, 1e6, 1e6, false, true},    {{1e6, 0}, 1e6, 1e6, false, false},
        {{0, 0}, 300, 300, false, false},    {{380, 160}, 50, 20, false, false}, {{2000, 0}, 100, 100, false, true},
        {{0, 0}, 1e6, 1, false, false},      {{0, -500}, 0, 400, false, false},  {{-390, 0}, 1e5, 100, false, false},
        {{800, 500}, 500, 500, false, true}, {{0, 0}, 420, 420, false, false},
    };
    for (const auto& c : cases) {
        const auto arcs = visibleArcs(c.centre, c.rx, c.ry, view);
        EXPECT_EQ(arcs.size() == 1 && arcs[0].first == 0 && arcs[0].second == 2 * std::numbers::pi, c.all) << c.rx;
        EXPECT_EQ(arcs.empty(), c.none) << c.rx;
        for (std::size_t i = 0; i + 1 < arcs.size(); ++i)
            EXPECT_LT(arcs[i].second, arcs[i + 1].first);
        constexpr int kSamples = 200'000;
        for (int k = 0; k < kSamples; ++k) {
            const double t = 2 * std::numbers::pi * (k + 0.5) / kSamples;
            const double x = c.centre.x + c.rx * std::cos(t), y = c.centre.y + c.ry * std::sin(t);
            const double inside = std::min(390 - std::fabs(x), 166 - std::fabs(y)); // < 0 outside
            if (std::fabs(inside) < 0.01)
                continue;
            bool onArc = false;
            for (const auto& [a, b] : arcs)
                onArc = onArc || (t >= a && t <= b);
            ASSERT_EQ(onArc, inside > 0) << "rx " << c.rx << " t " << t;
        }
    }
}

TEST(TurtleView, VisibleLengthIsTheSegmentInsideTheView) {
    const TurtleView view;
    EXPECT_DOUBLE_EQ(visibleLength({0, 0}, {0, 100}, view), 100);
    EXPECT_DOUBLE_EQ(visibleLength({0, 0}, {0, 1e9}, view), 166);
    EXPECT_NEAR(visibleLength({-1e9, 0}, {1e9, 0}, view), 780, 1e-6);
    EXPECT_DOUBLE_EQ(visibleLength({0, 1000}, {100, 1000}, view), 0);
    EXPECT_DOUBLE_EQ(visibleLength({-1000, -1000}, {1000, 1000}, view), 166 * 2 * std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(visibleLength({700, 0}, {0, 700}, view), 0); // passes the corner outside
    EXPECT_DOUBLE_EQ(visibleLength({0, 0}, {NAN, 0}, view), 0);
    EXPECT_NEAR(ellipsePerimeter(100, 100), 200 * std::numbers::pi, 1e-9);
    EXPECT_NEAR(ellipsePerimeter(1, 0), 4, 0.01);
}

} // namespace

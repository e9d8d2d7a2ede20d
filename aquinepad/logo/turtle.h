// The turtle of the Logo window: where it stands, where it heads and what its pen does, free of Qt.
// It turns each operation into strokes on an abstract canvas, so the panel, a recording and tests share it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace aquinepad::logo {

// Turtle space: the origin is the centre of the drawing, x grows to the right and y upward, as in Logo.
struct TurtlePoint {
    double x = 0;
    double y = 0;
    bool operator==(const TurtlePoint&) const = default;
};

// The part of turtle space a canvas shows: a rectangle of this size centred on the origin, in pixels.
// Strokes beyond it leave nothing, so they cost nothing to draw and the interpreter charges only for
// what falls inside.
struct TurtleView {
    double width = 776;
    double height = 328;
};

// How much of a segment lies within the view (widened by the eraser's width), in pixels.
double visibleLength(TurtlePoint from, TurtlePoint to, TurtleView view);

// The stretches of an ellipse's outline (x = cx + rx·cos t, y = cy + ry·sin t) that lie within the
// view, widened as above, as intervals of t in [0, 2π], in order; {{0, 2π}} when the whole outline
// shows, none when nothing does. A stretch across t = 0 comes as two intervals.
std::vector<std::pair<double, double>> visibleArcs(TurtlePoint centre, double rx, double ry, TurtleView view);

// The length of an ellipse's outline (Ramanujan's approximation, within 0.01 % for any shape).
double ellipsePerimeter(double rx, double ry);

// What a stroke leaves: the pen's black, or the background (the eraser).
enum class Ink { Pen, Eraser };

// Where the turtle's strokes go. Coordinates are in turtle space; the canvas maps them to its pixels.
class TurtleCanvas {
public:
    virtual ~TurtleCanvas() = default;
    virtual void drawLine(TurtlePoint from, TurtlePoint to, Ink ink) = 0;
    // An ellipse whose axes are those of the screen: rx across, ry up and down.
    virtual void drawEllipse(TurtlePoint centre, double rx, double ry, Ink ink) = 0;
    // GBK text, upright, its first line's baseline starting at the point; further lines go below.
    virtual void drawText(TurtlePoint at, const std::string& gbkText, Ink ink) = 0;
    virtual void clear() = 0;
};

struct TurtleState {
    TurtlePoint position;
    double heading = 0; // degrees clockwise from straight up, kept in [0, 360)
    bool penDown = true;
    bool eraser = false;
    bool operator==(const TurtleState&) const = default;
};

// The drawing model, chosen for the window and kept the same by the command line:
// - Every stroke needs the pen down; with the pen up the turtle moves and draws nothing, shapes included.
// - With the eraser on, the same strokes paint with the background instead of black.
// - Circles and ellipses are centred on the turtle; a rectangle has the turtle at one corner, its length
//   along the heading and its width to the turtle's right; text starts at the turtle. None of them
//   moves the turtle.
// - "回家" goes back to the centre heading up and, like a move, draws on its way when the pen is down.
// - "清屏" wipes the drawing and leaves the turtle where it is, so the position caption stays true.
class Turtle {
public:
    explicit Turtle(TurtleCanvas& canvas) : m_canvas(&canvas) {}

    const TurtleState& state() const { return m_state; }
    // Takes over a state worked out elsewhere (the command line's trial run) without drawing anything.
    void setState(const TurtleState& state) { m_state = state; }
    TurtleCanvas& canvas() { return *m_canvas; }

    void forward(double distance);
    void back(double distance) { forward(-distance); }
    void right(double degrees);
    void left(double degrees) { right(-degrees); }
    void penDown() { m_state.penDown = true; }
    void penUp() { m_state.penDown = false; }
    void clearScreen() { m_canvas->clear(); }
    void home();
    void setEraser(bool on) { m_state.eraser = on; }
    void drawCircle(double radius) { drawEllipse(radius, radius); }
    void drawEllipse(double horizontalRadius, double verticalRadius);
    void drawRectangle(double length, double width);
    void writeText(const std::string& gbkText);

    // The position as Logo lists it: x then y.
    std::vector<double> position() const { return {m_state.position.x, m_state.position.y}; }

private:
    void strokeTo(TurtlePoint to);

    TurtleCanvas* m_canvas;
    TurtleState m_state;
};

// A position list as the window's caption shows it: "[0,0]", "[0,12.5]", "[-7.07,7.07]"; at most two
// decimals, so a turn's rounding noise never shows as "1.2e-14".
std::string positionText(const std::vector<double>& position);

} // namespace aquinepad::logo

// The turtle's geometry. Headings that are whole multiples of 90° use exact sines, so a square drawn
// with right turns closes on whole pixels instead of drifting by rounding noise.
#include "aquinepad/logo/turtle.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace aquinepad::logo {

namespace {

struct Direction {
    double dx; // sin(heading): Logo's heading 0 is up, 90 is to the right
    double dy; // cos(heading)
};

Direction directionOf(double heading) {
    const double quarter = heading / 90.0;
    if (quarter == std::floor(quarter)) {
        switch (static_cast<int>(quarter) % 4) {
        case 0: return {0, 1};
        case 1: return {1, 0};
        case 2: return {0, -1};
        default: return {-1, 0};
        }
    }
    const double radians = heading * std::numbers::pi / 180.0;
    return {std::sin(radians), std::cos(radians)};
}

double normalised(double degrees) {
    if (!std::isfinite(degrees))
        return 0;
    double h = std::fmod(degrees, 360.0);
    if (h < 0)
        h += 360.0;
    return h >= 360.0 ? 0 : h;
}

} // namespace

void Turtle::forward(double distance) {
    if (!std::isfinite(distance))
        return;
    const Direction d = directionOf(m_state.heading);
    strokeTo({m_state.position.x + distance * d.dx, m_state.position.y + distance * d.dy});
}

void Turtle::right(double degrees) { m_state.heading = normalised(m_state.heading + normalised(degrees)); }

void Turtle::home() {
    strokeTo({0, 0});
    m_state.heading = 0;
}

void Turtle::strokeTo(TurtlePoint to) {
    if (m_state.penDown)
        m_canvas->drawLine(m_state.position, to, m_state.eraser ? Ink::Eraser : Ink::Pen);
    m_state.position = to;
}

void Turtle::drawEllipse(double horizontalRadius, double verticalRadius) {
    if (m_state.penDown)
        m_canvas->drawEllipse(m_state.position, std::fabs(horizontalRadius), std::fabs(verticalRadius),
                              m_state.eraser ? Ink::Eraser : Ink::Pen);
}

void Turtle::drawRectangle(double length, double width) {
    if (!m_state.penDown)
        return;
    const Direction along = directionOf(m_state.heading);
    const Direction across = directionOf(normalised(m_state.heading + 90));
    const TurtlePoint a = m_state.position;
    const TurtlePoint b{a.x + length * along.dx, a.y + length * along.dy};
    const TurtlePoint c{b.x + width * across.dx, b.y + width * across.dy};
    const TurtlePoint d{a.x + width * across.dx, a.y + width * across.dy};
    const Ink ink = m_state.eraser ? Ink::Eraser : Ink::Pen;
    m_canvas->drawLine(a, b, ink);
    m_canvas->drawLine(b, c, ink);
    m_canvas->drawLine(c, d, ink);
    m_canvas->drawLine(d, a, ink);
}

void Turtle::writeText(const std::string& gbkText) {
    if (m_state.penDown && !gbkText.empty())
        m_canvas->drawText(m_state.position, gbkText, m_state.eraser ? Ink::Eraser : Ink::Pen);
}

std::string positionText(const std::vector<double>& position) {
    std::string out = "[";
    for (std::size_t i = 0; i < position.size(); ++i) {
        double v = std::round(position[i] * 100.0) / 100.0;
        if (v == 0 || !std::isfinite(v))
            v = 0; // no "-0" after a trip back to the centre
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.2f", v);
        std::string text = buffer;
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
        if (i > 0)
            out += ',';
        out += text;
    }
    return out + "]";
}

} // namespace aquinepad::logo

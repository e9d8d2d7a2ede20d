// The turtle's geometry. Headings that are whole multiples of 90° use exact sines, so a square drawn
// with right turns closes on whole pixels instead of drifting by rounding noise.
#include "aquinepad/logo/turtle.h"

#include <algorithm>
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

// The view's half sizes, widened by 2 px: the eraser is 3 px wide, and a line on the edge still shows.
struct Bounds {
    double x, y;
    bool contains(double px, double py) const { return std::fabs(px) <= x && std::fabs(py) <= y; }
};
Bounds boundsOf(TurtleView view) { return {view.width / 2 + 2, view.height / 2 + 2}; }

} // namespace

// Liang–Barsky: the part of the segment within the bounds, by its parameter range [t0, t1].
double visibleLength(TurtlePoint from, TurtlePoint to, TurtleView view) {
    const Bounds b = boundsOf(view);
    const double dx = to.x - from.x, dy = to.y - from.y;
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return 0;
    double t0 = 0, t1 = 1;
    const auto clip = [&](double p, double q) { // p·t ≤ q
        if (p == 0)
            return q >= 0;
        const double r = q / p;
        if (p < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        return t0 <= t1;
    };
    if (!(clip(-dx, from.x + b.x) && clip(dx, b.x - from.x) && clip(-dy, from.y + b.y) && clip(dy, b.y - from.y)))
        return 0;
    return (t1 - t0) * std::hypot(dx, dy);
}

// The outline can only enter or leave the view where it crosses one of the lines x = ±X, y = ±Y; between
// two crossings it is wholly in or wholly out, which its middle point tells.
std::vector<std::pair<double, double>> visibleArcs(TurtlePoint centre, double rx, double ry, TurtleView view) {
    constexpr double kTurn = 2 * std::numbers::pi;
    const Bounds b = boundsOf(view);
    if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(rx) || !std::isfinite(ry))
        return {};
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    // Quick answers: the outline's box misses the view, or lies inside it.
    if (std::fabs(centre.x) - rx > b.x || std::fabs(centre.y) - ry > b.y)
        return {};
    if (std::fabs(centre.x) + rx <= b.x && std::fabs(centre.y) + ry <= b.y)
        return {{0, kTurn}};
    // The view inside the outline: all four corners within it (both being convex), as round a huge circle.
    if (rx > 0 && ry > 0) {
        const auto within = [&](double x, double y) {
            const double u = (x - centre.x) / rx, v = (y - centre.y) / ry;
            return u * u + v * v < 1;
        };
        if (within(-b.x, -b.y) && within(b.x, -b.y) && within(-b.x, b.y) && within(b.x, b.y))
            return {};
    }

    std::vector<double> cuts{0, kTurn};
    const auto wrapped = [&](double t) { return t < 0 ? t + kTurn : t; };
    for (const double edge : {-b.x, b.x})
        if (rx > 0)
            if (const double u = (edge - centre.x) / rx; std::fabs(u) <= 1) {
                const double t = std::acos(u);
                cuts.push_back(t);
                cuts.push_back(kTurn - t);
            }
    for (const double edge : {-b.y, b.y})
        if (ry > 0)
            if (const double v = (edge - centre.y) / ry; std::fabs(v) <= 1) {
                const double t = std::asin(v);
                cuts.push_back(wrapped(t));
                cuts.push_back(std::numbers::pi - t);
            }
    std::sort(cuts.begin(), cuts.end());

    std::vector<std::pair<double, double>> arcs;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const double a = cuts[i], z = cuts[i + 1];
        if (z - a <= 0)
            continue;
        const double mid = (a + z) / 2;
        if (!b.contains(centre.x + rx * std::cos(mid), centre.y + ry * std::sin(mid)))
            continue;
        if (!arcs.empty() && arcs.back().second == a)
            arcs.back().second = z;
        else
            arcs.emplace_back(a, z);
    }
    return arcs;
}

double ellipsePerimeter(double rx, double ry) {
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    if (rx + ry == 0)
        return 0;
    const double h = (rx - ry) * (rx - ry) / ((rx + ry) * (rx + ry));
    return std::numbers::pi * (rx + ry) * (1 + 3 * h / (10 + std::sqrt(4 - 3 * h)));
}

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

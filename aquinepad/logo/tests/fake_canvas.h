// A canvas for the core's tests: every stroke written down as text, in turtle space with whole numbers.
#pragma once

#include "aquinepad/logo/turtle.h"

#include <cmath>
#include <string>
#include <vector>

namespace aquinepad::logo::testing {

class FakeCanvas : public TurtleCanvas {
public:
    void drawLine(TurtlePoint from, TurtlePoint to, Ink ink) override {
        strokes.push_back(ink_(ink) + "line " + pt(from) + " " + pt(to));
    }
    void drawEllipse(TurtlePoint centre, double rx, double ry, Ink ink) override {
        strokes.push_back(ink_(ink) + "ellipse " + pt(centre) + " " + num(rx) + "x" + num(ry));
    }
    void drawText(TurtlePoint at, const std::string& gbkText, Ink ink) override {
        strokes.push_back(ink_(ink) + "text " + pt(at) + " " + gbkText);
    }
    void clear() override { strokes.push_back("clear"); }

    std::vector<std::string> strokes;

private:
    static std::string ink_(Ink ink) { return ink == Ink::Eraser ? "erase " : ""; }
    static std::string num(double v) {
        const double r = std::round(v * 100) / 100;
        std::string s = std::to_string(r == 0 ? 0.0 : r);
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.')
            s.pop_back();
        return s;
    }
    static std::string pt(TurtlePoint p) { return "(" + num(p.x) + "," + num(p.y) + ")"; }
};

} // namespace aquinepad::logo::testing

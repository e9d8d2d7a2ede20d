// Plain pixel geometry shared by the screenshot tool's core: points, sizes and rectangles in whole
// pixels, free of Qt so the selection and layout rules can be tested on their own.
#pragma once

namespace shotvara {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Half-open: covers columns x .. x+width-1 and rows y .. y+height-1.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool isEmpty() const { return width <= 0 || height <= 0; }
    Size size() const { return {width, height}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace shotvara

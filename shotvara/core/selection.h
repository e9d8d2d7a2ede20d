// The rubber band on the frozen screen: a left-button press starts it, moves stretch it, the release
// yields the selected rectangle. Coordinates are picture pixels (physical screen pixels).
#pragma once

#include "shotvara/core/geometry.h"

#include <optional>

namespace shotvara {

// The rectangle between two corners, whichever corner the drag started from: a drag up or to the
// left selects the same pixels as the same drag the other way.
Rect rectBetween(Point a, Point b);

// The part of r inside a picture of the given size.
Rect clipped(Rect r, Size bounds);

class RubberBand {
public:
    explicit RubberBand(Size bounds) : m_bounds(bounds) {}

    // The end point starts at the press, so a click never reuses the end of an earlier drag.
    void press(Point at);
    // False (nothing to redraw) unless a drag is under way.
    bool move(Point to);
    // The selected rectangle, or nothing for a click without a drag, a zero-size selection or a release
    // that did not follow a press.
    std::optional<Rect> release(Point at);
    void cancel() { m_selecting = false; }

    bool selecting() const { return m_selecting; }
    // The rectangle the outline shows now (empty when not selecting).
    Rect current() const;

private:
    Size m_bounds;
    bool m_selecting = false;
    Point m_start;
    Point m_end;
};

} // namespace shotvara

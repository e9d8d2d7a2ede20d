// Rubber-band selection rules.
#include "shotvara/core/selection.h"

#include <algorithm>
#include <cstdlib>

namespace shotvara {

Rect rectBetween(Point a, Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

Rect clipped(Rect r, Size bounds) {
    const int left = std::clamp(r.x, 0, bounds.width);
    const int top = std::clamp(r.y, 0, bounds.height);
    const int right = std::clamp(r.x + std::max(r.width, 0), 0, bounds.width);
    const int bottom = std::clamp(r.y + std::max(r.height, 0), 0, bounds.height);
    return {left, top, right - left, bottom - top};
}

void RubberBand::press(Point at) {
    m_selecting = true;
    m_start = at;
    m_end = at;
}

bool RubberBand::move(Point to) {
    if (!m_selecting)
        return false;
    m_end = to;
    return true;
}

std::optional<Rect> RubberBand::release(Point at) {
    if (!m_selecting)
        return std::nullopt;
    m_end = at;
    m_selecting = false;
    const Rect r = clipped(rectBetween(m_start, m_end), m_bounds);
    if (r.isEmpty())
        return std::nullopt;
    return r;
}

Rect RubberBand::current() const {
    if (!m_selecting)
        return {};
    return clipped(rectBetween(m_start, m_end), m_bounds);
}

} // namespace shotvara

// The Earth's VSOP87D series (see vsop87_earth.cpp for their source and truncation).
#pragma once

#include <array>
#include <span>

namespace aquine::lunar::vsop87 {

struct Term {
    double amplitude;
    double phase;     // radians
    double frequency; // radians per Julian millennium
};
using Series = std::span<const Term>;

// Series n is multiplied by t^n, t in Julian millennia of TT from J2000.0. Radians, and au for the radius.
extern const std::array<Series, 5> earthLongitude;
extern const std::array<Series, 1> earthLatitude;
extern const std::array<Series, 4> earthRadius;

} // namespace aquine::lunar::vsop87

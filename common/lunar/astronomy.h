// The astronomy under the calendar: the Sun's apparent longitude, the moments of new moon, ΔT and
// Julian days. Times are Julian days; "JDE" is in Terrestrial Time, the others in Universal Time.
#pragma once

#include "common/lunar/lunar_calendar.h"

namespace aquine::lunar::astro {

inline constexpr double j2000 = 2451545.0;
inline constexpr double chinaOffsetDays = 8.0 / 24.0; // China Standard Time is UTC+8, all year round

// The Julian day at 0h of a Gregorian date, and the date holding a moment.
double julianDay(const SolarDate& date);
SolarDate dateOf(double julianDay);

// TT - UT in seconds for a decimal year: the polynomials of Espenak and Meeus (NASA's Five Millennium
// Canon of Solar Eclipses), fitted to the observed values up to 2005 and extrapolated after.
double deltaTSeconds(double year);
double universalTime(double jde);

// Nutation in longitude, IAU 1980 (all 63 terms of Meeus' Astronomical Algorithms, table 22.A). Radians.
double nutationInLongitude(double jde);

// The Sun's apparent geocentric longitude, referred to the true equinox of the date: VSOP87D, then FK5,
// nutation and annual aberration. Radians in [0, 2π).
double sunApparentLongitude(double jde);

// The moment the apparent longitude of the Sun reaches `degrees`, searched from `guess` (which must lie
// within a few days of it).
double whenSunReaches(double degrees, double guess);

// The moment of the new moon number k, counted from the one of 2000-01-06 (Meeus' Astronomical
// Algorithms, chapter 49, with the planetary corrections; Meeus finds it within 20 seconds of ELP-2000/82
// over 1980-2020). JDE.
double newMoon(int k);

} // namespace aquine::lunar::astro

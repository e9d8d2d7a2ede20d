// Meeus' Astronomical Algorithms (2nd ed.) is the reference for the formulas: chapter 25 for the Sun
// from VSOP87 (with the FK5 correction and the aberration -20.4898"/R), 22 for nutation and 49 for the
// phases of the Moon.
#include "common/lunar/astronomy.h"

#include "common/lunar/vsop87_earth.h"

#include <array>
#include <chrono>
#include <cmath>
#include <numbers>

namespace aquine::lunar::astro {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double degree = pi / 180.0;
constexpr double arcsecond = degree / 3600.0;
constexpr double unixEpoch = 2440587.5; // 1970-01-01 0h

double wrap(double radians) { // into [0, 2π)
    const double r = std::fmod(radians, 2 * pi);
    return r < 0 ? r + 2 * pi : r;
}

double wrapSigned(double radians) { // into [-π, π)
    return wrap(radians + pi) - pi;
}

double evaluate(std::span<const vsop87::Series> series, double t) {
    double sum = 0, power = 1;
    for (const vsop87::Series& s : series) {
        double part = 0;
        for (const vsop87::Term& term : s)
            part += term.amplitude * std::cos(term.phase + term.frequency * t);
        sum += part * power;
        power *= t;
    }
    return sum;
}

struct NutationTerm {
    signed char d, m, mp, f, omega; // multiples of the fundamental arguments
    double sine, sinePerCentury;    // 0.0001 seconds of arc
};
// clang-format off
constexpr NutationTerm nutation[] = {
    {0, 0, 0, 0, 1, -171996, -174.2}, {-2, 0, 0, 2, 2, -13187, -1.6}, {0, 0, 0, 2, 2, -2274, -0.2},
    {0, 0, 0, 0, 2, 2062, 0.2}, {0, 1, 0, 0, 0, 1426, -3.4}, {0, 0, 1, 0, 0, 712, 0.1},
    {-2, 1, 0, 2, 2, -517, 1.2}, {0, 0, 0, 2, 1, -386, -0.4}, {0, 0, 1, 2, 2, -301, 0},
    {-2, -1, 0, 2, 2, 217, -0.5}, {-2, 0, 1, 0, 0, -158, 0}, {-2, 0, 0, 2, 1, 129, 0.1},
    {0, 0, -1, 2, 2, 123, 0}, {2, 0, 0, 0, 0, 63, 0}, {0, 0, 1, 0, 1, 63, 0.1},
    {2, 0, -1, 2, 2, -59, 0}, {0, 0, -1, 0, 1, -58, -0.1}, {0, 0, 1, 2, 1, -51, 0},
    {-2, 0, 2, 0, 0, 48, 0}, {0, 0, -2, 2, 1, 46, 0}, {2, 0, 0, 2, 2, -38, 0},
    {0, 0, 2, 2, 2, -31, 0}, {0, 0, 2, 0, 0, 29, 0}, {-2, 0, 1, 2, 2, 29, 0},
    {0, 0, 0, 2, 0, 26, 0}, {-2, 0, 0, 2, 0, -22, 0}, {0, 0, -1, 2, 1, 21, 0},
    {0, 2, 0, 0, 0, 17, -0.1}, {2, 0, -1, 0, 1, 16, 0}, {-2, 2, 0, 2, 2, -16, 0.1},
    {0, 1, 0, 0, 1, -15, 0}, {-2, 0, 1, 0, 1, -13, 0}, {0, -1, 0, 0, 1, -12, 0},
    {0, 0, 2, -2, 0, 11, 0}, {2, 0, -1, 2, 1, -10, 0}, {2, 0, 1, 2, 2, -8, 0},
    {0, 1, 0, 2, 2, 7, 0}, {-2, 1, 1, 0, 0, -7, 0}, {0, -1, 0, 2, 2, -7, 0},
    {2, 0, 0, 2, 1, -7, 0}, {2, 0, 1, 0, 0, 6, 0}, {-2, 0, 2, 2, 2, 6, 0},
    {-2, 0, 1, 2, 1, 6, 0}, {2, 0, -2, 0, 1, -6, 0}, {2, 0, 0, 0, 1, -6, 0},
    {0, -1, 1, 0, 0, 5, 0}, {-2, -1, 0, 2, 1, -5, 0}, {-2, 0, 0, 0, 1, -5, 0},
    {0, 0, 2, 2, 1, -5, 0}, {-2, 0, 2, 0, 1, 4, 0}, {-2, 1, 0, 2, 1, 4, 0},
    {0, 0, 1, -2, 0, 4, 0}, {-1, 0, 1, 0, 0, -4, 0}, {-2, 1, 0, 0, 0, -4, 0},
    {1, 0, 0, 0, 0, -4, 0}, {0, 0, 1, 2, 0, 3, 0}, {0, 0, -2, 2, 2, -3, 0},
    {-1, -1, 1, 0, 0, -3, 0}, {0, 1, 1, 0, 0, -3, 0}, {0, -1, 1, 2, 2, -3, 0},
    {2, -1, -1, 2, 2, -3, 0}, {0, 0, 3, 2, 2, -3, 0}, {2, -1, 0, 2, 2, -3, 0},
};

// New moon: the sine terms of the Moon's and the Sun's anomalies (M', M), the Moon's argument of
// latitude F and the node Ω; `e` is the power of the eccentricity factor E.
struct PhaseTerm {
    double coefficient;
    signed char e, mp, m, f, omega;
};
constexpr PhaseTerm newMoonTerms[] = {
    {-0.40720, 0, 1, 0, 0, 0}, {0.17241, 1, 0, 1, 0, 0}, {0.01608, 0, 2, 0, 0, 0}, {0.01039, 0, 0, 0, 2, 0},
    {0.00739, 1, 1, -1, 0, 0}, {-0.00514, 1, 1, 1, 0, 0}, {0.00208, 2, 0, 2, 0, 0}, {-0.00111, 0, 1, 0, -2, 0},
    {-0.00057, 0, 1, 0, 2, 0}, {0.00056, 1, 2, 1, 0, 0}, {-0.00042, 0, 3, 0, 0, 0}, {0.00042, 1, 0, 1, 2, 0},
    {0.00038, 1, 0, 1, -2, 0}, {-0.00024, 1, 2, -1, 0, 0}, {-0.00017, 0, 0, 0, 0, 1}, {-0.00007, 0, 1, 2, 0, 0},
    {0.00004, 0, 2, 0, -2, 0}, {0.00004, 0, 0, 3, 0, 0}, {0.00003, 0, 1, 1, -2, 0}, {0.00003, 0, 2, 0, 2, 0},
    {-0.00003, 0, 1, 1, 2, 0}, {0.00003, 0, 1, -1, 2, 0}, {-0.00002, 0, 1, -1, -2, 0}, {-0.00002, 0, 3, 1, 0, 0},
    {0.00002, 0, 4, 0, 0, 0},
};

// The planetary arguments A1-A14: degrees at k = 0, degrees per lunation, and the coefficient in days.
struct PlanetaryTerm {
    double start, perLunation, coefficient;
};
constexpr PlanetaryTerm planetaryTerms[] = {
    {299.77, 0.107408, 0.000325}, {251.88, 0.016321, 0.000165}, {251.83, 26.651886, 0.000164},
    {349.42, 36.412478, 0.000126}, {84.66, 18.206239, 0.000110}, {141.74, 53.303771, 0.000062},
    {207.14, 2.453732, 0.000060}, {154.84, 7.306860, 0.000056}, {34.52, 27.261239, 0.000047},
    {207.19, 0.121824, 0.000042}, {291.34, 1.844379, 0.000040}, {161.72, 24.198154, 0.000037},
    {239.56, 25.513099, 0.000035}, {331.55, 3.592518, 0.000023},
};
// clang-format on

} // namespace

double julianDay(const SolarDate& date) {
    const std::chrono::sys_days day{std::chrono::year{date.year} / date.month / date.day};
    return unixEpoch + day.time_since_epoch().count();
}

SolarDate dateOf(double julianDay) {
    const auto days = static_cast<int>(std::floor(julianDay - unixEpoch));
    const std::chrono::year_month_day ymd{std::chrono::sys_days{std::chrono::days{days}}};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

double deltaTSeconds(double y) {
    if (y < 1920) {
        const double t = y - 1900;
        return -2.79 + t * (1.494119 + t * (-0.0598939 + t * (0.0061966 - t * 0.000197)));
    }
    if (y < 1941) {
        const double t = y - 1920;
        return 21.20 + t * (0.84493 + t * (-0.076100 + t * 0.0020936));
    }
    if (y < 1961) {
        const double t = y - 1950;
        return 29.07 + 0.407 * t - t * t / 233 + t * t * t / 2547;
    }
    if (y < 1986) {
        const double t = y - 1975;
        return 45.45 + 1.067 * t - t * t / 260 - t * t * t / 718;
    }
    if (y < 2005) {
        const double t = y - 2000;
        return 63.86 + t * (0.3345 + t * (-0.060374 + t * (0.0017275 + t * (0.000651814 + t * 0.00002373599))));
    }
    if (y < 2050) {
        const double t = y - 2000;
        return 62.92 + t * (0.32217 + t * 0.005589);
    }
    const double u = (y - 1820) / 100;
    return -20 + 32 * u * u - 0.5628 * (2150 - y);
}

double universalTime(double jde) {
    const double year = 2000 + (jde - j2000) / 365.25;
    return jde - deltaTSeconds(year) / 86400;
}

double nutationInLongitude(double jde) {
    const double t = (jde - j2000) / 36525;
    const auto polynomial = [t](double a, double b, double c, double d) {
        return wrap((a + t * (b + t * (c + t / d))) * degree);
    };
    const double d = polynomial(297.85036, 445267.111480, -0.0019142, 189474);
    const double m = polynomial(357.52772, 35999.050340, -0.0001603, -300000);
    const double mp = polynomial(134.96298, 477198.867398, 0.0086972, 56250);
    const double f = polynomial(93.27191, 483202.017538, -0.0036825, 327270);
    const double omega = polynomial(125.04452, -1934.136261, 0.0020708, 450000);
    double sum = 0;
    for (const NutationTerm& n : nutation)
        sum += (n.sine + n.sinePerCentury * t) * std::sin(n.d * d + n.m * m + n.mp * mp + n.f * f + n.omega * omega);
    return sum * 0.0001 * arcsecond;
}

double sunApparentLongitude(double jde) {
    const double tau = (jde - j2000) / 365250; // Julian millennia
    const double earthLongitude = evaluate(vsop87::earthLongitude, tau);
    const double earthLatitude = evaluate(vsop87::earthLatitude, tau);
    const double radius = evaluate(vsop87::earthRadius, tau);
    // Geocentric: the Sun is seen opposite the Earth. Then from the dynamical frame of VSOP87 to FK5.
    const double longitude = earthLongitude + pi;
    const double latitude = -earthLatitude;
    const double t = tau * 10;
    const double shifted = longitude - (1.397 * t + 0.00031 * t * t) * degree;
    const double fk5 = (-0.09033 + 0.03916 * (std::cos(shifted) + std::sin(shifted)) * std::tan(latitude)) * arcsecond;
    const double aberration = -20.4898 * arcsecond / radius;
    return wrap(longitude + fk5 + nutationInLongitude(jde) + aberration);
}

double whenSunReaches(double degrees, double guess) {
    const double target = degrees * degree;
    const auto offset = [target](double jde) { return wrapSigned(sunApparentLongitude(jde) - target); };
    constexpr double meanRate = 2 * pi / 365.2422; // radians a day
    // Secant steps from a first step at the mean rate; the longitude is smooth over a few days.
    double x0 = guess, f0 = offset(x0);
    double x1 = x0 - f0 / meanRate, f1 = offset(x1);
    for (int i = 0; i < 20 && f1 != f0 && std::abs(x1 - x0) > 1e-7; ++i) {
        const double x2 = x1 - f1 * (x1 - x0) / (f1 - f0);
        x0 = x1, f0 = f1;
        x1 = x2, f1 = offset(x1);
    }
    return x1;
}

double newMoon(int k) {
    const double t = k / 1236.85;
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    double jde = 2451550.09766 + 29.530588861 * k + 0.00015437 * t2 - 0.000000150 * t3 + 0.00000000073 * t4;
    const double e = 1 - 0.002516 * t - 0.0000074 * t2;
    const double m = wrap((2.5534 + 29.10535670 * k - 0.0000014 * t2 - 0.00000011 * t3) * degree);
    const double mp =
        wrap((201.5643 + 385.81693528 * k + 0.0107582 * t2 + 0.00001238 * t3 - 0.000000058 * t4) * degree);
    const double f = wrap((160.7108 + 390.67050284 * k - 0.0016118 * t2 - 0.00000227 * t3 + 0.000000011 * t4) * degree);
    const double omega = wrap((124.7746 - 1.56375588 * k + 0.0020672 * t2 + 0.00000215 * t3) * degree);
    for (const PhaseTerm& p : newMoonTerms)
        jde += p.coefficient * std::pow(e, p.e) * std::sin(p.mp * mp + p.m * m + p.f * f + p.omega * omega);
    for (size_t i = 0; i < std::size(planetaryTerms); ++i) {
        const PlanetaryTerm& a = planetaryTerms[i];
        const double argument = a.start + a.perLunation * k - (i == 0 ? 0.009173 * t2 : 0);
        jde += a.coefficient * std::sin(wrap(argument * degree));
    }
    return jde;
}

} // namespace aquine::lunar::astro

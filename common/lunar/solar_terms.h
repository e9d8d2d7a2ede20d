// The 24 solar terms, computed: a term begins at the moment the Sun's apparent longitude reaches a
// multiple of 15°, and its day is the date in China Standard Time at that moment, as the calendar
// published in China counts it.
#pragma once

#include "common/lunar/lunar_calendar.h"

#include <array>
#include <string_view>

namespace aquine::lunar {

inline constexpr int solarTermCount = 24;

// In the order they fall in a Gregorian year: 小寒 (285°) first, 冬至 (270°) last.
std::string_view solarTermName(int index);
double solarTermLongitude(int index); // degrees

// The moment of a year's term as a Julian day in China Standard Time (its integer part changes at
// noon, as Julian days do). Any year of 1901-2100.
double solarTermMoment(int year, int index);

// The days of a year's 24 terms, 小寒 first. Computed once for each year of 1901-2100 and kept; other
// years are computed on every call.
const std::array<SolarDate, solarTermCount>& solarTermDates(int year);

// The term that begins on a date, or an empty text.
std::string_view solarTermOn(const SolarDate& date);

} // namespace aquine::lunar

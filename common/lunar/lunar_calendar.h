// The Chinese lunar calendar for 1901-2100: lunar dates, leap months, 干支 years, zodiac animals, the 24
// solar terms and the traditional festivals. Qt-free; every name is UTF-8.
#pragma once

#include "common/result.h"

#include <string>
#include <string_view>
#include <vector>

namespace aquine::lunar {

inline constexpr int firstYear = 1901;
inline constexpr int lastYear = 2100;

struct SolarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const SolarDate&, const SolarDate&) = default;
};

struct LunarDay {
    SolarDate solar;
    int year = 0;  // the Gregorian number of the year whose 正月初一 began this lunar year
    int month = 0; // 1-12
    bool leap = false;
    int day = 0;           // 1-30
    std::string solarTerm; // empty on the days without one
    std::vector<std::string> festivals;

    std::string monthName() const;  // 正月 ... 腊月, 闰四月
    std::string dayName() const;    // 初一 ... 三十
    std::string ganzhiYear() const; // 甲辰
    std::string zodiac() const;     // 龙
};

// What a calendar's cell shows under a date: a festival before a solar term before the month's name on
// its first day, else the lunar day.
enum class LabelKind { Day, MonthStart, SolarTerm, Festival };
struct DayLabel {
    std::string text;
    LabelKind kind = LabelKind::Day;
};
DayLabel dayLabel(const LunarDay& day);

bool inRange(const SolarDate& date);
bool isValid(const SolarDate& date);
int daysInMonth(int year, int month);
int weekday(const SolarDate& date); // 0 is Sunday
SolarDate addDays(const SolarDate& date, int days);

// "2024-02-10" (the month and day may have one digit) into a date of the supported range.
Result<SolarDate> parseDate(std::string_view text);

Result<LunarDay> lunarDay(const SolarDate& date);

std::string ganzhiOfYear(int lunarYear);
std::string zodiacOfYear(int lunarYear);
std::string weekdayName(int weekday); // 日, 一 ... 六

} // namespace aquine::lunar

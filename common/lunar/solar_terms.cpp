// Each term is searched from its mean date; a year's days are computed once (about 1.3 ms) and kept, so
// drawing a month costs a lookup.
#include "common/lunar/solar_terms.h"

#include "common/lunar/astronomy.h"

#include <mutex>

namespace aquine::lunar {

namespace {

constexpr std::array<std::string_view, solarTermCount> names{
    "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至",
    "小暑", "大暑", "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至"};

constexpr int yearCount = lastYear - firstYear + 1;

} // namespace

std::string_view solarTermName(int index) { return names.at(static_cast<size_t>(index)); }

double solarTermLongitude(int index) { return (285 + 15 * index) % 360; }

double solarTermMoment(int year, int index) {
    // The terms are about 15.2 days apart, 小寒 near 6 January; the search needs no closer a start.
    const double guess = astro::julianDay({year, 1, 6}) + index * 365.2422 / solarTermCount;
    const double jde = astro::whenSunReaches(solarTermLongitude(index), guess);
    return astro::universalTime(jde) + astro::chinaOffsetDays;
}

const std::array<SolarDate, solarTermCount>& solarTermDates(int year) {
    const auto compute = [year](std::array<SolarDate, solarTermCount>& dates) {
        for (int i = 0; i < solarTermCount; ++i)
            dates[static_cast<size_t>(i)] = astro::dateOf(solarTermMoment(year, i));
    };
    if (year < firstYear || year > lastYear) { // not kept; the answer lasts until this thread's next such call
        thread_local std::array<SolarDate, solarTermCount> elsewhere;
        compute(elsewhere);
        return elsewhere;
    }
    static std::array<std::once_flag, yearCount> computed;
    static std::array<std::array<SolarDate, solarTermCount>, yearCount> dates;
    const auto slot = static_cast<size_t>(year - firstYear);
    std::call_once(computed[slot], [&] { compute(dates[slot]); });
    return dates[slot];
}

std::string_view solarTermOn(const SolarDate& date) {
    if (!inRange(date))
        return {};
    const auto& dates = solarTermDates(date.year);
    for (size_t i = 0; i < dates.size(); ++i)
        if (dates[i] == date)
            return names[i];
    return {};
}

} // namespace aquine::lunar

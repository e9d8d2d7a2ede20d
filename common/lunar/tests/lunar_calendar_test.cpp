// Lunar dates checked against the published tables (Hong Kong Observatory, Purple Mountain
// Observatory), and the rules every day of 1901-2100 must keep.
#include "common/lunar/lunar_calendar.h"

#include <gtest/gtest.h>

#include <map>

namespace aquine::lunar {
namespace {

LunarDay at(int y, int m, int d) {
    auto day = lunarDay({y, m, d});
    EXPECT_TRUE(day.ok()) << y << "-" << m << "-" << d << ": " << day.reason();
    return day.ok() ? *day : LunarDay{};
}

std::string lunarName(const LunarDay& day) { return day.monthName() + day.dayName(); }

bool hasFestival(const LunarDay& day, const std::string& name) {
    return std::find(day.festivals.begin(), day.festivals.end(), name) != day.festivals.end();
}

TEST(LunarCalendar, SpringFestivalsAcrossTheRangeWithTheirYearsAndEves) {
    struct Case {
        SolarDate date;
        int lunarYear;
        const char* ganzhi;
        const char* zodiac;
    };
    // 1954, 2027 and 2030 begin with a new moon minutes from midnight: a coarse calculation gets them wrong.
    for (const Case& c : {Case{{1901, 2, 19}, 1901, "辛丑", "牛"}, Case{{1949, 1, 29}, 1949, "己丑", "牛"},
                          Case{{1954, 2, 3}, 1954, "甲午", "马"}, Case{{2000, 2, 5}, 2000, "庚辰", "龙"},
                          Case{{2024, 2, 10}, 2024, "甲辰", "龙"}, Case{{2027, 2, 6}, 2027, "丁未", "羊"},
                          Case{{2030, 2, 3}, 2030, "庚戌", "狗"}, Case{{2100, 2, 9}, 2100, "庚申", "猴"}}) {
        SCOPED_TRACE(c.ganzhi);
        const LunarDay day = at(c.date.year, c.date.month, c.date.day);
        EXPECT_EQ(lunarName(day), "正月初一");
        EXPECT_EQ(day.year, c.lunarYear);
        EXPECT_EQ(day.ganzhiYear(), c.ganzhi);
        EXPECT_EQ(day.zodiac(), c.zodiac);
        EXPECT_TRUE(hasFestival(day, "春节"));

        const SolarDate eveDate = addDays(c.date, -1);
        const LunarDay eve = at(eveDate.year, eveDate.month, eveDate.day);
        EXPECT_EQ(eve.year, c.lunarYear - 1);
        EXPECT_EQ(eve.monthName(), "腊月");
        EXPECT_TRUE(hasFestival(eve, "除夕"));
    }
}

TEST(LunarCalendar, LeapMonthsFollowTheirNamesakes) {
    EXPECT_EQ(lunarName(at(2020, 5, 22)), "四月三十");
    EXPECT_EQ(lunarName(at(2020, 5, 23)), "闰四月初一");
    EXPECT_EQ(lunarName(at(2020, 6, 21)), "五月初一");
    EXPECT_EQ(lunarName(at(2023, 3, 21)), "二月三十");
    EXPECT_EQ(lunarName(at(2023, 3, 22)), "闰二月初一");
    EXPECT_EQ(lunarName(at(2023, 4, 20)), "三月初一");
    EXPECT_EQ(lunarName(at(2017, 7, 23)), "闰六月初一");
    EXPECT_EQ(lunarName(at(1987, 7, 26)), "闰六月初一");
    EXPECT_EQ(lunarName(at(1917, 3, 23)), "闰二月初一");
    EXPECT_EQ(lunarName(at(2033, 12, 22)), "闰冬月初一");
    EXPECT_TRUE(at(2020, 5, 23).leap);
    // Leap months hold no festivals: the second 五月初五 of a year with 闰五月 is an ordinary day.
    EXPECT_TRUE(at(2009, 5, 28).festivals == std::vector<std::string>{"端午节"});
    EXPECT_EQ(lunarName(at(2009, 6, 27)), "闰五月初五");
    EXPECT_TRUE(at(2009, 6, 27).festivals.empty());
}

// Months liblunar-date begins a day off, as the Hong Kong Observatory's tables and Wang Jianmin's 新编万年历
// give them; the new moons fall between 00:03 and 20:30 China time. The neighbouring months keep 29 or 30 days.
TEST(LunarCalendar, MonthStartsTheLibraryHasADayOff) {
    EXPECT_EQ(lunarName(at(1933, 7, 22)), "闰五月三十");
    EXPECT_EQ(lunarName(at(1933, 7, 23)), "六月初一");
    EXPECT_EQ(lunarName(at(1933, 8, 20)), "六月廿九");
    EXPECT_EQ(lunarName(at(1954, 11, 24)), "十月廿九");
    EXPECT_EQ(lunarName(at(1954, 11, 25)), "冬月初一");
    EXPECT_EQ(lunarName(at(1954, 12, 24)), "冬月三十");
    EXPECT_EQ(lunarName(at(1956, 12, 2)), "冬月初一");
    EXPECT_EQ(lunarName(at(1956, 12, 31)), "冬月三十");
    EXPECT_EQ(lunarName(at(1978, 9, 2)), "七月三十");
    EXPECT_EQ(lunarName(at(1978, 9, 3)), "八月初一");
    EXPECT_EQ(lunarName(at(1978, 10, 1)), "八月廿九");
    EXPECT_EQ(lunarName(at(2060, 4, 29)), "三月廿九");
    EXPECT_EQ(lunarName(at(2060, 4, 30)), "四月初一");
    EXPECT_EQ(lunarName(at(2060, 5, 29)), "四月三十");
    EXPECT_EQ(lunarName(at(2060, 5, 30)), "五月初一");
}

TEST(LunarCalendar, SolarTermsOnTheirPublishedDays) {
    EXPECT_EQ(at(2024, 2, 4).solarTerm, "立春");
    EXPECT_EQ(at(2024, 2, 5).solarTerm, "");
    EXPECT_EQ(at(2024, 4, 4).solarTerm, "清明");
    EXPECT_EQ(at(2023, 4, 5).solarTerm, "清明");
    EXPECT_EQ(at(2020, 6, 21).solarTerm, "夏至");
    EXPECT_EQ(at(2024, 12, 21).solarTerm, "冬至");
    EXPECT_EQ(at(2024, 1, 6).solarTerm, "小寒");
    EXPECT_EQ(at(2024, 3, 5).solarTerm, "惊蛰");
    EXPECT_EQ(at(2000, 3, 20).solarTerm, "春分");
    EXPECT_EQ(at(1901, 2, 19).solarTerm, "雨水");
    // Near midnight: 2024 处暑 at 22:55, 2018 春分 at 00:15 China time.
    EXPECT_EQ(at(2024, 8, 22).solarTerm, "处暑");
    EXPECT_EQ(at(2024, 8, 23).solarTerm, "");
    EXPECT_EQ(at(2018, 3, 21).solarTerm, "春分");
    EXPECT_EQ(at(2018, 3, 20).solarTerm, "");
}

TEST(LunarCalendar, TraditionalFestivals) {
    EXPECT_EQ(at(2024, 2, 24).festivals, std::vector<std::string>{"元宵节"});
    EXPECT_EQ(at(2024, 6, 10).festivals, std::vector<std::string>{"端午节"});
    EXPECT_EQ(at(2024, 8, 10).festivals, std::vector<std::string>{"七夕节"});
    EXPECT_EQ(at(2024, 9, 17).festivals, std::vector<std::string>{"中秋节"});
    EXPECT_EQ(at(2024, 10, 11).festivals, std::vector<std::string>{"重阳节"});
    EXPECT_EQ(at(2024, 1, 18).festivals, std::vector<std::string>{"腊八节"});
    // A 腊月 of 29 days: 除夕 on its 廿九.
    EXPECT_EQ(lunarName(at(2025, 1, 28)), "腊月廿九");
    EXPECT_TRUE(hasFestival(at(2025, 1, 28), "除夕"));
    EXPECT_TRUE(at(2024, 3, 1).festivals.empty());
}

// Every day of the range: days count up within a month of 29 or 30, months follow in order with at most
// one leap month a year, 春节 lies between 21 January and 20 February, and each Gregorian month holds
// two solar terms, one in each half.
TEST(LunarCalendar, EveryDayOfTheRangeKeepsTheCalendarsRules) {
    LunarDay previous = at(1901, 1, 1);
    int monthLength = previous.day;
    std::map<int, int> leapMonths;
    std::map<std::pair<int, int>, std::pair<int, int>> termsByMonth; // first half, second half
    int checked = 1;
    for (SolarDate d = addDays({1901, 1, 1}, 1); d.year <= 2100; d = addDays(d, 1), ++checked) {
        const auto result = lunarDay(d);
        ASSERT_TRUE(result.ok()) << d.year << "-" << d.month << "-" << d.day;
        const LunarDay& day = *result;
        if (day.day == 1) {
            ASSERT_TRUE(monthLength == 29 || monthLength == 30) << d.year << "-" << d.month << "-" << d.day;
            if (day.leap) {
                ASSERT_EQ(day.month, previous.month) << d.year;
                ASSERT_FALSE(previous.leap);
                ASSERT_EQ(leapMonths.count(day.year), 0u) << d.year;
                leapMonths[day.year] = day.month;
            } else if (day.month == 1) {
                ASSERT_EQ(previous.month, 12);
                ASSERT_EQ(day.year, previous.year + 1);
                ASSERT_TRUE((d.month == 1 && d.day >= 21) || (d.month == 2 && d.day <= 20));
            } else {
                ASSERT_EQ(day.month, previous.month + 1) << d.year << "-" << d.month << "-" << d.day;
            }
            monthLength = 1;
        } else {
            ASSERT_EQ(day.day, previous.day + 1) << d.year << "-" << d.month << "-" << d.day;
            ASSERT_EQ(day.month, previous.month);
            ASSERT_EQ(day.leap, previous.leap);
            ++monthLength;
        }
        if (!day.solarTerm.empty()) {
            auto& halves = termsByMonth[{d.year, d.month}];
            ++(d.day < 15 ? halves.first : halves.second);
        }
        previous = day;
    }
    EXPECT_EQ(checked, 73049);
    EXPECT_EQ(termsByMonth.size(), 200u * 12);
    for (const auto& [month, halves] : termsByMonth)
        ASSERT_EQ(halves, std::make_pair(1, 1)) << month.first << "-" << month.second;
    // Leap years of the published table at both ends of the range and in between.
    EXPECT_EQ(leapMonths.at(1903), 5);
    EXPECT_EQ(leapMonths.at(2020), 4);
    EXPECT_EQ(leapMonths.at(2023), 2);
    EXPECT_EQ(leapMonths.at(1984), 10);
    EXPECT_EQ(leapMonths.at(2033), 11);
    EXPECT_EQ(leapMonths.at(2099), 2);
    EXPECT_EQ(leapMonths.size(), 73u);
}

TEST(LunarCalendar, CellLabelsPreferFestivalsThenTermsThenTheMonthsName) {
    EXPECT_EQ(dayLabel(at(2024, 2, 10)).text, "春节");
    EXPECT_EQ(dayLabel(at(2024, 2, 10)).kind, LabelKind::Festival);
    EXPECT_EQ(dayLabel(at(2024, 4, 4)).text, "清明");
    EXPECT_EQ(dayLabel(at(2024, 4, 4)).kind, LabelKind::SolarTerm);
    EXPECT_EQ(dayLabel(at(2020, 5, 23)).text, "闰四月");
    EXPECT_EQ(dayLabel(at(2020, 5, 23)).kind, LabelKind::MonthStart);
    EXPECT_EQ(dayLabel(at(2024, 3, 1)).text, "廿一");
    EXPECT_EQ(dayLabel(at(2024, 3, 1)).kind, LabelKind::Day);
}

TEST(LunarCalendar, DatesAreParsedStrictlyAndKeptInRange) {
    EXPECT_EQ(*parseDate("2024-02-10"), (SolarDate{2024, 2, 10}));
    EXPECT_EQ(*parseDate("2024-2-1"), (SolarDate{2024, 2, 1}));
    EXPECT_EQ(*parseDate("1901-01-01"), (SolarDate{1901, 1, 1}));
    EXPECT_EQ(*parseDate("2100-12-31"), (SolarDate{2100, 12, 31}));
    for (const char* bad : {"", "2024", "2024-02", "2024/02/10", "2024-02-10x", "2024--02-10", "+2024-02-10",
                            "2024-002-10", "20240-02-10", "二〇二四-02-10", "2024-02-1 "}) {
        const auto result = parseDate(bad);
        EXPECT_FALSE(result.ok()) << bad;
        EXPECT_NE(result.reason().find("日期格式不对"), std::string::npos) << bad;
    }
    EXPECT_NE(parseDate("2023-02-29").reason().find("没有这一天"), std::string::npos);
    EXPECT_NE(parseDate("2024-13-01").reason().find("没有这一天"), std::string::npos);
    EXPECT_TRUE(parseDate("2024-02-29").ok());
    EXPECT_NE(parseDate("1900-12-31").reason().find("超出范围"), std::string::npos);
    EXPECT_NE(parseDate("2101-01-01").reason().find("超出范围"), std::string::npos);
    EXPECT_FALSE(lunarDay({2101, 1, 1}).ok());
}

} // namespace
} // namespace aquine::lunar

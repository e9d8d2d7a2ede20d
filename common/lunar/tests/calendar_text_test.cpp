// The terminal layouts: lunar days stand under their dates, column for column.
#include "common/lunar/calendar_text.h"

#include <gtest/gtest.h>

#include <sstream>

namespace aquine::lunar {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The display column at which `word` ends on `line`, or -1.
int endColumn(const std::string& line, const std::string& word) {
    const auto at = line.find(word);
    return at == std::string::npos ? -1 : displayWidth(line.substr(0, at + word.size()));
}

TEST(CalendarText, MonthShowsEachLunarDayUnderItsDate) {
    const auto text = monthText(2024, 2);
    ASSERT_TRUE(text.ok());
    const auto rows = lines(*text);
    ASSERT_GE(rows.size(), 4u);
    EXPECT_NE(rows[0].find("2024年2月"), std::string::npos);
    // 春节 falls in this month, so both lunar years are named.
    EXPECT_NE(rows[1].find("农历癸卯兔年，甲辰龙年"), std::string::npos);
    EXPECT_EQ(endColumn(rows[2], "日"), 7);
    EXPECT_EQ(endColumn(rows[2], "六"), 49);
    // 1 February 2024 is a Thursday (腊月廿二); the 10th is 正月初一 and shows the month's name.
    const auto week = [&](const std::string& date) {
        for (size_t i = 3; i + 1 < rows.size(); i += 2)
            if (rows[i].find(" " + date + " ") != std::string::npos || rows[i].ends_with(" " + date))
                return i;
        return size_t(0);
    };
    const size_t first = week("1");
    ASSERT_NE(first, 0u);
    EXPECT_EQ(endColumn(rows[first], " 1"), 5 * 7);
    EXPECT_EQ(endColumn(rows[first + 1], "廿二"), 5 * 7);
    const size_t tenth = week("10");
    ASSERT_NE(tenth, 0u);
    EXPECT_EQ(endColumn(rows[tenth + 1], "正月"), endColumn(rows[tenth], "10"));
    EXPECT_EQ(endColumn(rows[tenth + 1], "初二"), endColumn(rows[tenth], "11"));
    EXPECT_EQ(rows.size(), 3u + 2 * 5);
}

TEST(CalendarText, MonthsOutsideTheRangeAreRefused) {
    EXPECT_FALSE(monthText(1900, 12).ok());
    EXPECT_FALSE(monthText(2101, 1).ok());
    EXPECT_FALSE(monthText(2024, 13).ok());
    EXPECT_TRUE(monthText(1901, 1).ok());
    EXPECT_TRUE(monthText(2100, 12).ok());
}

TEST(CalendarText, DayNamesItsLunarDateYearZodiacTermAndFestival) {
    EXPECT_EQ(dayText(*lunarDay({2024, 2, 10})), "公历：2024年2月10日 星期六\n"
                                                 "农历：甲辰年正月初一\n"
                                                 "干支：甲辰年\n"
                                                 "生肖：龙\n"
                                                 "节日：春节\n");
    const std::string qingming = dayText(*lunarDay({2024, 4, 4}));
    EXPECT_NE(qingming.find("节气：清明\n"), std::string::npos);
    EXPECT_EQ(qingming.find("节日"), std::string::npos);
    EXPECT_NE(dayText(*lunarDay({2020, 5, 23})).find("农历：庚子年闰四月初一\n"), std::string::npos);
}

} // namespace
} // namespace aquine::lunar

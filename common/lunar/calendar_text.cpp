// Terminal layouts of the lunar calendar. Columns are counted by display width, since every lunar name
// is two or three Chinese characters wide.
#include "common/lunar/calendar_text.h"

namespace aquine::lunar {

namespace {

constexpr int columnWidth = 7;

std::string padLeft(const std::string& text, int width) {
    const int missing = width - displayWidth(text);
    return std::string(static_cast<size_t>(missing > 0 ? missing : 0), ' ') + text;
}

// What stands under a date: its lunar day, or the month's name on its first day.
std::string lunarLabel(const LunarDay& day) { return day.day == 1 ? day.monthName() : day.dayName(); }

std::string yearLine(const LunarDay& first, const LunarDay& last) {
    const auto year = [](const LunarDay& d) { return d.ganzhiYear() + d.zodiac() + "年"; };
    return first.year == last.year ? "农历" + year(first) : "农历" + year(first) + "，" + year(last);
}

} // namespace

int displayWidth(std::string_view text) {
    int width = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            ++width;
        else if (byte >= 0xC0)
            width += 2; // the lead byte of a character outside ASCII: East Asian wide
    }
    return width;
}

Result<std::string> monthText(int year, int month) {
    const SolarDate first{year, month, 1};
    if (month < 1 || month > 12 || !inRange(first))
        return fail("月份超出范围：只能查 1901 年 1 月至 2100 年 12 月。");
    const int days = daysInMonth(year, month);
    std::vector<LunarDay> lunar;
    for (int d = 1; d <= days; ++d) {
        auto day = lunarDay({year, month, d});
        if (!day)
            return fail(day.reason());
        lunar.push_back(std::move(*day));
    }
    const int lineWidth = columnWidth * 7;
    const auto centred = [lineWidth](const std::string& text) {
        return padLeft(text, (lineWidth + displayWidth(text)) / 2) + "\n";
    };
    std::string out = centred(std::to_string(year) + "年" + std::to_string(month) + "月");
    out += centred(yearLine(lunar.front(), lunar.back()));
    for (int w = 0; w < 7; ++w)
        out += padLeft(weekdayName(w), columnWidth);
    out += "\n";
    const int offset = weekday(first);
    for (int row = 0; row * 7 < offset + days; ++row) {
        std::string dates, labels;
        for (int col = 0; col < 7; ++col) {
            const int d = row * 7 + col - offset + 1;
            const bool inMonth = d >= 1 && d <= days;
            dates += padLeft(inMonth ? std::to_string(d) : "", columnWidth);
            labels += padLeft(inMonth ? lunarLabel(lunar[static_cast<size_t>(d - 1)]) : "", columnWidth);
        }
        const auto trimmed = [](std::string line) { return line.erase(line.find_last_not_of(' ') + 1); };
        out += trimmed(dates) + "\n" + trimmed(labels) + "\n";
    }
    return out;
}

std::string dayText(const LunarDay& day) {
    const SolarDate& s = day.solar;
    std::string out = "公历：" + std::to_string(s.year) + "年" + std::to_string(s.month) + "月" +
                      std::to_string(s.day) + "日 星期" + weekdayName(weekday(s)) + "\n";
    out += "农历：" + day.ganzhiYear() + "年" + day.monthName() + day.dayName() + "\n";
    out += "干支：" + day.ganzhiYear() + "年\n";
    out += "生肖：" + day.zodiac() + "\n";
    if (!day.solarTerm.empty())
        out += "节气：" + day.solarTerm + "\n";
    if (!day.festivals.empty()) {
        out += "节日：";
        for (size_t i = 0; i < day.festivals.size(); ++i)
            out += (i ? "、" : "") + day.festivals[i];
        out += "\n";
    }
    return out;
}

} // namespace aquine::lunar

// Lunar dates come from liblunar-date, kept behind this file so that no GLib type leaks out. The library's
// texts depend on the process's message locale, so only its numbers are used: the names are ours. Its
// solar terms put those near midnight on the wrong day, so the terms are computed (solar_terms.h).
#include "common/lunar/lunar_calendar.h"

#include "common/lunar/solar_terms.h"

#include <lunar-date/lunar-date.h>

#include <array>
#include <charconv>
#include <chrono>
#include <clocale>
#include <locale.h>
#include <memory>

namespace aquine::lunar {

namespace {

constexpr std::array<std::string_view, 10> stems{"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
constexpr std::array<std::string_view, 12> branches{"子", "丑", "寅", "卯", "辰", "巳",
                                                    "午", "未", "申", "酉", "戌", "亥"};
constexpr std::array<std::string_view, 12> animals{"鼠", "牛", "虎", "兔", "龙", "蛇",
                                                   "马", "羊", "猴", "鸡", "狗", "猪"};
constexpr std::array<std::string_view, 12> monthNames{"正月", "二月", "三月", "四月", "五月", "六月",
                                                      "七月", "八月", "九月", "十月", "冬月", "腊月"};
constexpr std::array<std::string_view, 10> digits{"一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};
struct LunarFestival {
    int month;
    int day;
    std::string_view name;
};
// Leap months carry no festivals; 除夕, the last day of 腊月, is found from the day after it.
constexpr std::array<LunarFestival, 10> festivals{{{1, 1, "春节"},
                                                   {1, 15, "元宵节"},
                                                   {2, 2, "龙抬头"},
                                                   {5, 5, "端午节"},
                                                   {7, 7, "七夕节"},
                                                   {7, 15, "中元节"},
                                                   {8, 15, "中秋节"},
                                                   {9, 9, "重阳节"},
                                                   {12, 8, "腊八节"},
                                                   {12, 23, "小年"}}};

std::chrono::year_month_day ymd(const SolarDate& d) {
    return std::chrono::year{d.year} / std::chrono::month{static_cast<unsigned>(d.month)} /
           std::chrono::day{static_cast<unsigned>(d.day)};
}

struct GFreeDeleter {
    void operator()(char* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

// The library keeps one object per date; one per thread is reused since it is made afresh slowly.
LunarDate* libraryDate() {
    struct Holder {
        LunarDate* date = lunar_date_new();
        ~Holder() { lunar_date_free(date); }
    };
    thread_local Holder holder;
    return holder.date;
}

// Runs `body` with this thread's messages untranslated, whatever locale the program set, so that the
// library's numbers come out as plain digits.
template <class F> auto untranslated(F body) {
    static const locale_t plain = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const locale_t previous = uselocale(plain);
    auto result = body();
    uselocale(previous);
    return result;
}

struct LibraryAnswer {
    bool ok = false;
    int year = 0, month = 0, day = 0;
    bool leap = false;
};

LibraryAnswer askLibrary(const SolarDate& d) {
    return untranslated([&] {
        LibraryAnswer answer;
        LunarDate* date = libraryDate();
        GError* error = nullptr;
        // Noon, so that the day's own solar term counts whatever hour it falls at.
        lunar_date_set_solar_date(date, static_cast<GDateYear>(d.year), static_cast<GDateMonth>(d.month),
                                  static_cast<GDateDay>(d.day), 12, &error);
        if (error) {
            g_error_free(error);
            return answer;
        }
        const GText numbers(lunar_date_strftime(date, "%(nian) %(yue) %(ri)"));
        std::string_view text(numbers.get());
        const auto number = [&text](int& out) {
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
            text.remove_prefix(static_cast<size_t>(end - text.data()));
            if (!text.empty() && text.front() == ' ')
                text.remove_prefix(1);
            return ec == std::errc();
        };
        bool parsed = number(answer.year);
        answer.leap = text.starts_with('*'); // the library marks a leap month with a star
        if (answer.leap)
            text.remove_prefix(1);
        parsed = parsed && number(answer.month) && number(answer.day);
        answer.ok = parsed;
        return answer;
    });
}

// Month starts the library puts a day off. Each is the day of the new moon in China time, hours or minutes
// from midnight, and the day the published tables give (Hong Kong Observatory; Wang Jianmin's 新编万年历,
// which the tables of Calendrical Calculations match): 1933 六月, 1954 冬月, 1956 冬月, 1978 八月 and
// 2060 四月. The months on either side change length with them.
constexpr std::array<SolarDate, 5> correctedMonthStarts{
    {{1933, 7, 23}, {1954, 11, 25}, {1956, 12, 2}, {1978, 9, 3}, {2060, 4, 30}}};

int daysFrom(const SolarDate& from, const SolarDate& to) {
    return static_cast<int>((std::chrono::sys_days(ymd(to)) - std::chrono::sys_days(ymd(from))).count());
}

bool sameMonth(const LibraryAnswer& a, const LibraryAnswer& b) {
    return a.year == b.year && a.month == b.month && a.leap == b.leap;
}

LibraryAnswer lunarNumbers(const SolarDate& d) {
    LibraryAnswer answer = askLibrary(d);
    for (const SolarDate& start : correctedMonthStarts) {
        const int offset = daysFrom(start, d);
        if (offset < -1 || offset > 30 || !answer.ok)
            continue;
        const LibraryAnswer month = askLibrary(addDays(start, 2)); // inside the month either way
        if (offset >= 0 && (offset == 0 || sameMonth(answer, month))) {
            answer.year = month.year;
            answer.month = month.month;
            answer.leap = month.leap;
            answer.day = offset + 1;
        } else if (offset == -1 && sameMonth(answer, month)) { // the library begins the month a day early
            answer = askLibrary(addDays(d, -1));
            ++answer.day;
        }
    }
    return answer;
}

std::string numberName(int n) { // 1-30 as in lunar day names, without the 初 prefix
    if (n <= 10)
        return std::string(digits[static_cast<size_t>(n - 1)]);
    if (n < 20)
        return "十" + std::string(digits[static_cast<size_t>(n - 11)]);
    if (n == 20)
        return "二十";
    if (n < 30)
        return "廿" + std::string(digits[static_cast<size_t>(n - 21)]);
    return "三十";
}

size_t cycle(int year, int length) { return static_cast<size_t>(((year - 4) % length + length) % length); }

} // namespace

std::string LunarDay::monthName() const {
    return (leap ? "闰" : "") + std::string(monthNames[static_cast<size_t>(month - 1)]);
}

std::string LunarDay::dayName() const { return day <= 10 ? "初" + numberName(day) : numberName(day); }

std::string LunarDay::ganzhiYear() const { return ganzhiOfYear(year); }

std::string LunarDay::zodiac() const { return zodiacOfYear(year); }

DayLabel dayLabel(const LunarDay& day) {
    if (!day.festivals.empty())
        return {day.festivals.front(), LabelKind::Festival};
    if (!day.solarTerm.empty())
        return {day.solarTerm, LabelKind::SolarTerm};
    if (day.day == 1)
        return {day.monthName(), LabelKind::MonthStart};
    return {day.dayName(), LabelKind::Day};
}

std::string ganzhiOfYear(int lunarYear) {
    return std::string(stems[cycle(lunarYear, 10)]) + std::string(branches[cycle(lunarYear, 12)]);
}

std::string zodiacOfYear(int lunarYear) { return std::string(animals[cycle(lunarYear, 12)]); }

std::string weekdayName(int weekday) {
    return weekday == 0 ? "日" : std::string(digits[static_cast<size_t>(weekday - 1)]);
}

bool isValid(const SolarDate& date) { return ymd(date).ok(); }

bool inRange(const SolarDate& date) { return isValid(date) && date.year >= firstYear && date.year <= lastYear; }

int daysInMonth(int year, int month) {
    const auto last = std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} / std::chrono::last;
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

int weekday(const SolarDate& date) {
    return static_cast<int>(std::chrono::weekday(std::chrono::sys_days(ymd(date))).c_encoding());
}

SolarDate addDays(const SolarDate& date, int days) {
    const std::chrono::year_month_day r{std::chrono::sys_days(ymd(date)) + std::chrono::days{days}};
    return {static_cast<int>(r.year()), static_cast<int>(static_cast<unsigned>(r.month())),
            static_cast<int>(static_cast<unsigned>(r.day()))};
}

Result<SolarDate> parseDate(std::string_view text) {
    const std::string shown(text);
    const auto malformed = [&] { return fail("日期格式不对：“" + shown + "”。请写成 年-月-日，例如 2024-02-10。"); };
    SolarDate date;
    int* const parts[3] = {&date.year, &date.month, &date.day};
    const char* p = text.data();
    const char* const end = text.data() + text.size();
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (p == end || *p != '-')
                return malformed();
            ++p;
        }
        const char* start = p;
        const auto [next, ec] = std::from_chars(p, end, *parts[i]);
        if (ec != std::errc() || *start == '+' || next - start > (i == 0 ? 4 : 2))
            return malformed();
        p = next;
    }
    if (p != end)
        return malformed();
    if (!isValid(date))
        return fail("没有这一天：“" + shown + "”。");
    if (!inRange(date))
        return fail("日期超出范围：“" + shown + "”。只能查 1901-01-01 至 2100-12-31。");
    return date;
}

Result<LunarDay> lunarDay(const SolarDate& date) {
    if (!inRange(date))
        return fail("日期超出范围：只能查 1901-01-01 至 2100-12-31。");
    const LibraryAnswer answer = lunarNumbers(date);
    if (!answer.ok)
        return fail("农历计算失败。");
    LunarDay day;
    day.solar = date;
    day.year = answer.year;
    day.month = answer.month;
    day.leap = answer.leap;
    day.day = answer.day;
    day.solarTerm = std::string(solarTermOn(date));
    if (!day.leap) {
        for (const auto& f : festivals)
            if (f.month == day.month && f.day == day.day)
                day.festivals.emplace_back(f.name);
        if (day.month == 12 && day.day >= 29) {
            const SolarDate next = addDays(date, 1);
            const LibraryAnswer after = lunarNumbers(next);
            if (after.ok && after.month == 1 && after.day == 1 && !after.leap)
                day.festivals.emplace_back("除夕");
        }
    }
    return day;
}

} // namespace aquine::lunar

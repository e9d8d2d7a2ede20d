// aquine-cal: the lunar calendar on the command line. No argument prints this month; YYYY-MM prints that
// month; YYYY-MM-DD prints that day's lunar date, 干支 year, zodiac, solar term and festivals.
#include "common/lunar/calendar_text.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

namespace {

int failWith(const std::string& reason) {
    std::fprintf(stderr, "aquine-cal：%s\n", reason.c_str());
    return 1;
}

int printMonth(int year, int month) {
    const auto text = aquine::lunar::monthText(year, month);
    if (!text)
        return failWith(text.reason());
    std::fputs(text->c_str(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using namespace aquine::lunar;
    if (argc > 2 || (argc == 2 && (std::string_view(argv[1]) == "-h" || std::string_view(argv[1]) == "--help"))) {
        std::fputs("用法：aquine-cal [年-月 | 年-月-日]，例如 aquine-cal 2024-02-10\n", argc > 2 ? stderr : stdout);
        return argc > 2 ? 2 : 0;
    }
    if (argc == 1) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return printMonth(local.tm_year + 1900, local.tm_mon + 1);
    }
    const std::string_view arg = argv[1];
    // A month alone: the same parser with its first day added.
    if (std::count(arg.begin(), arg.end(), '-') == 1) {
        const auto first = parseDate(std::string(arg) + "-01");
        if (!first)
            return failWith("月份格式不对或超出范围：“" + std::string(arg) + "”。请写成 年-月，例如 2024-02。");
        return printMonth(first->year, first->month);
    }
    const auto date = parseDate(arg);
    if (!date)
        return failWith(date.reason());
    const auto day = lunarDay(*date);
    if (!day)
        return failWith(day.reason());
    std::fputs(dayText(*day).c_str(), stdout);
    return 0;
}

// What aquine-cal prints: a month laid out like cal(1) with the lunar day under each date, and one
// day's lunar facts. UTF-8 text for a terminal.
#pragma once

#include "common/lunar/lunar_calendar.h"

#include <string>

namespace aquine::lunar {

Result<std::string> monthText(int year, int month);
std::string dayText(const LunarDay& day);

// Columns a UTF-8 text takes on a terminal: Chinese characters take two.
int displayWidth(std::string_view text);

} // namespace aquine::lunar

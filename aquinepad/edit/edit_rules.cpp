// Insertion texts.
#include "aquinepad/edit/edit_rules.h"

#include <cstdio>

namespace aquinepad {

std::string separatorText() { return "\r\n" + std::string(37, '-') + "\r\n"; }

std::string dateText(const std::tm& local) {
    char text[32];
    std::snprintf(text, sizeof text, "%d/%d/%d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return text;
}

std::string timeText(const std::tm& local) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

} // namespace aquinepad

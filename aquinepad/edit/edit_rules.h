// What the 编辑 and 扩展 menus put into the document or onto it: the separator, the date and time
// texts, and the colour of each colour item.
#pragma once

#include "aquinepad/editor/text_editor.h"
#include "aquinepad/feature/command.h"

#include <array>
#include <ctime>
#include <string>

namespace aquinepad {

// A line break, 37 hyphens and another line break: 41 characters.
std::string separatorText();

// The local date and time the way Chinese Windows shows them: "2026/12/8" and "9:05:03".
std::string dateText(const std::tm& local);
std::string timeText(const std::tm& local);

// The items of "编辑框背景(&B)" (the paper) and "文字颜色(&C)" (the text).
struct ColourCommand {
    Command command;
    bool background;
    Rgb colour;
};

inline constexpr std::array kColourCommands = {
    ColourCommand{Command::BackgroundWhite, true, {255, 255, 255}},
    ColourCommand{Command::BackgroundBlack, true, {0, 0, 0}},
    ColourCommand{Command::BackgroundGreen, true, {0, 255, 0}},
    ColourCommand{Command::BackgroundYellow, true, {255, 255, 0}},
    ColourCommand{Command::BackgroundBlue, true, {0, 0, 255}},
    ColourCommand{Command::BackgroundRed, true, {255, 0, 0}},
    ColourCommand{Command::BackgroundPurple, true, {128, 0, 128}},
    ColourCommand{Command::BackgroundOrange, true, {255, 128, 0}},
    ColourCommand{Command::BackgroundPink, true, {255, 168, 255}},
    ColourCommand{Command::TextBlack, false, {0, 0, 0}},
    ColourCommand{Command::TextWhite, false, {255, 255, 255}},
    ColourCommand{Command::TextGreen, false, {0, 255, 0}},
    ColourCommand{Command::TextYellow, false, {255, 255, 0}},
    ColourCommand{Command::TextBlue, false, {0, 0, 255}},
    ColourCommand{Command::TextPurple, false, {128, 0, 128}},
    ColourCommand{Command::TextOrange, false, {255, 128, 0}},
    ColourCommand{Command::TextPink, false, {255, 168, 255}},
};

} // namespace aquinepad

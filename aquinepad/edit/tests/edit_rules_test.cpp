// The texts the edit commands insert and the colour items' table.
#include "aquinepad/edit/edit_rules.h"

#include <gtest/gtest.h>
#include <set>

using namespace aquinepad;

TEST(EditRules, SeparatorIsALineOf37HyphensBetweenTwoCrLf) {
    const std::string s = separatorText();
    EXPECT_EQ(s.size(), 41u);
    EXPECT_EQ(s, "\r\n-------------------------------------\r\n");
}

TEST(EditRules, DateAndTimeTextsCarryTheirPartsOnly) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 3;
    EXPECT_EQ(dateText(t), "2026/1/5");
    EXPECT_EQ(timeText(t), "9:05:03");
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 59;
    EXPECT_EQ(dateText(t), "2026/12/31");
    EXPECT_EQ(timeText(t), "23:59:59");
}

TEST(EditRules, EveryColourItemHasOneRowWithItsColour) {
    std::set<Command> seen;
    int backgrounds = 0;
    for (const ColourCommand& item : kColourCommands) {
        EXPECT_TRUE(seen.insert(item.command).second) << static_cast<int>(item.command);
        backgrounds += item.background;
    }
    EXPECT_EQ(backgrounds, 9);
    EXPECT_EQ(seen.size(), 17u);
    const auto find = [](Command c) {
        for (const ColourCommand& item : kColourCommands)
            if (item.command == c)
                return item.colour;
        return Rgb{1, 2, 3};
    };
    EXPECT_EQ(find(Command::BackgroundBlue), (Rgb{0, 0, 255}));
    EXPECT_EQ(find(Command::BackgroundPink), (Rgb{255, 168, 255}));
    EXPECT_EQ(find(Command::TextOrange), (Rgb{255, 128, 0}));
    EXPECT_EQ(find(Command::TextPurple), (Rgb{128, 0, 128}));
}

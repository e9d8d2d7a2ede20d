// Commands run the handler their feature registered; a command has one owner.
#include "aquinepad/feature/command_table.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace aquinepad;

TEST(CommandTable, RunsTheRegisteredHandlerAndReportsCommandsWithNone) {
    CommandTable commands;
    int saves = 0;
    commands.add(Command::Save, [&] { ++saves; });
    EXPECT_TRUE(commands.has(Command::Save));
    EXPECT_TRUE(commands.run(Command::Save));
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(commands.has(Command::Print));
    EXPECT_FALSE(commands.run(Command::Print));
}

TEST(CommandTable, ACommandRegisteredTwiceOrWithoutAHandlerIsRefused) {
    CommandTable commands;
    int first = 0;
    commands.add(Command::Find, [&] { ++first; });
    EXPECT_THROW(commands.add(Command::Find, [] {}), std::logic_error);
    EXPECT_THROW(commands.add(Command::FindNext, CommandTable::Handler()), std::logic_error);
    commands.run(Command::Find);
    EXPECT_EQ(first, 1); // the first registration stands
}

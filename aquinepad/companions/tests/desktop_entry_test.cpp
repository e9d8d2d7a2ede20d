// The Exec argument of the notepad's desktop entry, for what a launcher cannot show: percent signs,
// and the folder names that must be refused rather than written. GIO reads real entries in
// txt_association_test.cpp.
#include "aquinepad/companions/desktop_entry.h"

#include <gtest/gtest.h>

using namespace aquinepad;

TEST(ExecArgument, QuotesOnlyWhatALauncherWouldSplitAndDoublesPercentSigns) {
    EXPECT_EQ(execArgument("/home/张三/记事本/aquinepad"), "/home/张三/记事本/aquinepad");
    EXPECT_EQ(execArgument("/a%f/aquinepad"), "/a%%f/aquinepad");
    // Quoting escapes \ to \\, the file's string rule doubles it again.
    EXPECT_EQ(execArgument(R"(/a b%\"/aquinepad)"), R"("/a b%%\\\\\\"/aquinepad")");
}

TEST(ExecArgument, RefusesNamesThatWouldAddKeysOrAreNotText) {
    EXPECT_EQ(execArgument("/a\nExec=/bin/false/aquinepad"), std::nullopt);
    EXPECT_EQ(execArgument("/a\rb"), std::nullopt);
    EXPECT_EQ(execArgument("/gbk\xd6\xd0/aquinepad"), std::nullopt); // GBK bytes, not UTF-8
    EXPECT_FALSE(txtEntryText("aquinepad").ok());                    // not absolute
}

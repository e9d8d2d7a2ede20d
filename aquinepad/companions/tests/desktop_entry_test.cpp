// The Exec argument of the notepad's desktop entry: which folder names need quoting, the escapes the
// two rules stack up, and the names that cannot be written without letting the name add keys.
#include "aquinepad/companions/desktop_entry.h"

#include <gtest/gtest.h>

using namespace aquinepad;

TEST(ExecArgument, IsQuotedOnlyWhenALauncherWouldSplitOrExpandIt) {
    EXPECT_EQ(execArgument("/opt/aquine/aquinepad"), "/opt/aquine/aquinepad");
    EXPECT_EQ(execArgument("/home/张三/记事本/aquinepad"), "/home/张三/记事本/aquinepad");
    EXPECT_EQ(execArgument("/home/me/my apps/aquinepad"), "\"/home/me/my apps/aquinepad\"");
    EXPECT_EQ(execArgument("/home/me/it's/aquinepad"), "\"/home/me/it's/aquinepad\"");
    EXPECT_EQ(execArgument("/a/~b/(c)/d;e|f&g*h?#i<j>k"), "\"/a/~b/(c)/d;e|f&g*h?#i<j>k\"");
}

TEST(ExecArgument, EscapesForQuotingThenForTheFilesStrings) {
    // Quoting gives \" \` \$ \\ ; the string rule then doubles every backslash.
    EXPECT_EQ(execArgument(R"(/a "b"/aquinepad)"), R"("/a \\"b\\"/aquinepad")");
    EXPECT_EQ(execArgument("/a `b`/$HOME/aquinepad"), R"("/a \\`b\\`/\\$HOME/aquinepad")");
    EXPECT_EQ(execArgument(R"(/a\b/aquinepad)"), R"("/a\\\\b/aquinepad")");
}

TEST(ExecArgument, DoublesPercentSignsSoTheyAreNoFieldCodes) {
    EXPECT_EQ(execArgument("/a%f/aquinepad"), "/a%%f/aquinepad");
    EXPECT_EQ(execArgument("/a b%/aquinepad"), "\"/a b%%/aquinepad\"");
}

TEST(ExecArgument, RefusesWhatTheFileCannotHold) {
    EXPECT_EQ(execArgument(""), std::nullopt);
    EXPECT_EQ(execArgument("/a\nExec=/bin/false/aquinepad"), std::nullopt);
    EXPECT_EQ(execArgument("/a\rb"), std::nullopt);
    EXPECT_EQ(execArgument("/a\tb"), std::nullopt);
    EXPECT_EQ(execArgument("/gbk\xd6\xd0/aquinepad"), std::nullopt); // GBK bytes, not UTF-8
}

TEST(TxtEntry, OpensOneFileForPlainTextFromAnAbsolutePath) {
    const auto entry = txtEntryText("/opt/my apps/aquinepad");
    ASSERT_TRUE(entry.ok());
    EXPECT_TRUE(entry->starts_with("[Desktop Entry]\n"));
    EXPECT_NE(entry->find("\nExec=\"/opt/my apps/aquinepad\" %f\n"), std::string::npos);
    EXPECT_NE(entry->find("\nMimeType=text/plain;\n"), std::string::npos);
    EXPECT_FALSE(txtEntryText("aquinepad").ok());
    EXPECT_FALSE(txtEntryText("/a\n[Desktop Entry]/aquinepad").ok());
}

// The version comparison is byte for byte, replies that cannot be a version are refused with their
// reason, and the progress line never divides by an unknown total.
#include "aquinepad/update/update_rules.h"
#include "common/tests/gbk_literal.h"

#include <gtest/gtest.h>

using namespace aquinepad;

TEST(UpdateRules, OnlyTheExactOwnVersionIsCurrent) {
    EXPECT_EQ(judgeVersion(""), VersionVerdict::NoReply);
    EXPECT_EQ(judgeVersion("v1.0"), VersionVerdict::Current);
    for (const char* other : {"v1.0\r\n", "v1.0\n", "v1.0\r", " v1.0", "V1.0", "v1.1", "\xEF\xBB\xBFv1.0", "v1",
                              "\xB0\xE6\xB1\xBE"
                              "2"})
        EXPECT_EQ(judgeVersion(other), VersionVerdict::Newer) << other;
    EXPECT_EQ(judgeVersion(std::string(kVersionLimit, 'v')), VersionVerdict::Newer);
}

// What could not be a line of the question is a failure with its reason, never a question.
TEST(UpdateRules, RepliesThatAreNoVersionSayWhy) {
    const std::string tooLong(kVersionLimit + 1, 'v');
    const std::pair<std::string, std::string> cases[] = {
        {tooLong, "超过 100 字节"},
        {std::string(10 << 20, 'v'), "超过 100 字节"},
        {std::string("v1.0\0", 5), "控制字符（0）"},
        {"v1\t0", "控制字符（9）"},
        {"v1.0\x7F", "控制字符（127）"},
        {"v1.0\x1B[2J", "控制字符（27）"},
        {"v1.0\r\n\r\n", "不止一行"},
        {"v1.1\nv1.2", "不止一行"},
        {"\n\n", "不止一行"},
    };
    for (const auto& [reply, reason] : cases) {
        EXPECT_EQ(judgeVersion(reply), VersionVerdict::NotAVersion) << reply.substr(0, 20);
        EXPECT_NE(notAVersionReason(reply).find(reason), std::string::npos) << notAVersionReason(reply);
    }
    EXPECT_EQ(notAVersionReason("v1.0\r\n"), "");
    // Cut off on its announced length, before a byte of it arrived.
    EXPECT_EQ(judgeVersion("", true), VersionVerdict::NotAVersion);
    EXPECT_EQ(notAVersionReason("", true), "服务器发来的版本号超过 100 字节，不是版本号");
}

TEST(UpdateRules, NotesCutOffSayTheRestIsMissing) {
    EXPECT_EQ(shownNotes("1. 修正", false), "1. 修正");
    const std::string longNotes(kNotesLimit + 1, 'x');
    const std::string shown = shownNotes(longNotes, true);
    EXPECT_EQ(shown.substr(0, kNotesLimit), longNotes.substr(0, kNotesLimit));
    EXPECT_EQ(shown.substr(kNotesLimit), G("……\r\n（更新说明超过 16 KB，其余部分没有显示）"));
    // A character the limit splits is left out whole.
    std::string split(kNotesLimit - 1, 'x');
    split += G("字");
    EXPECT_EQ(shownNotes(split, true),
              std::string(kNotesLimit - 1, 'x') + G("……\r\n（更新说明超过 16 KB，其余部分没有显示）"));
}

TEST(UpdateRules, PackageDeadlineGrowsWithTheSizeUpToItsLongest) {
    const UpdateTimeouts timeouts;
    using std::chrono::milliseconds;
    EXPECT_EQ(packageDeadline(timeouts, 0), milliseconds(30000));
    EXPECT_EQ(packageDeadline(timeouts, 128 * 1024 * 10), milliseconds(40000));
    EXPECT_EQ(packageDeadline(timeouts, std::uint64_t(512) << 20), timeouts.packageLongest);
    const UpdateTimeouts fixed{.packageBase = milliseconds(1500), .packageRate = 0};
    EXPECT_EQ(packageDeadline(fixed, 1 << 20), milliseconds(1500));
}

TEST(UpdateRules, QuestionCarriesTheVersionAsReceived) {
    EXPECT_EQ(updateQuestion("v1.1"), G("程序已有更新，最新版本：v1.1。 是否立即升级？"));
    EXPECT_EQ(updateQuestion("v1.0\r\n"), G("程序已有更新，最新版本：v1.0\r\n。 是否立即升级？"));
}

TEST(UpdateRules, ProgressInBytesAndPercent) {
    EXPECT_EQ(downloadProgress(512, 1024), G("已下载 0.5 KB / 1.0 KB（50%）"));
    EXPECT_EQ(downloadProgress(3 * 1024 * 1024, 4 * 1024 * 1024), G("已下载 3.0 MB / 4.0 MB（75%）"));
    EXPECT_EQ(downloadProgress(2048, -1), G("已下载 2.0 KB"));
    EXPECT_EQ(downloadPercent(0, 0), -1);
    EXPECT_EQ(downloadPercent(10, 5), 100); // a server that under-states its length
    EXPECT_EQ(downloadPercent(std::int64_t(3) << 40, std::int64_t(4) << 40), 75);
}

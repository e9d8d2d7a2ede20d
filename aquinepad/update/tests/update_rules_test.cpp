// The version comparison is byte for byte, and the progress line never divides by an unknown total.
#include "aquinepad/update/update_rules.h"
#include "common/tests/gbk_literal.h"

#include <gtest/gtest.h>

using namespace aquinepad;

TEST(UpdateRules, OnlyTheExactOwnVersionIsCurrent) {
    EXPECT_EQ(judgeVersion(""), VersionVerdict::NoReply);
    EXPECT_EQ(judgeVersion("v1.0"), VersionVerdict::Current);
    for (const char* other : {"v1.0\r\n", "v1.0\n", " v1.0", "V1.0", "v1.1", "\xEF\xBB\xBFv1.0", "v1"})
        EXPECT_EQ(judgeVersion(other), VersionVerdict::Newer) << other;
    EXPECT_EQ(judgeVersion(std::string_view("v1.0\0", 5)), VersionVerdict::Newer);
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

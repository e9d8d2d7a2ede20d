// Whole-file writes replace the file atomically and report failures.
#include "common/file_io.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path makeTempDir() {
    std::string tmpl = (fs::temp_directory_path() / "aquine-io-XXXXXX").string();
    return ::mkdtemp(tmpl.data());
}

std::string contents(const fs::path& file) {
    const auto bytes = aquine::readFileBytes(file, aquine::kSettingsFileLimit);
    return bytes ? *bytes : "<" + bytes.reason() + ">";
}

} // namespace

TEST(FileIo, WritesExactBytesAndKeepsPermissions) {
    const fs::path dir = makeTempDir();
    const fs::path file = dir / "doc.txt";
    const std::string bytes("a\r\nb\0\xFF\x80\n", 8);
    ASSERT_TRUE(aquine::writeFileAtomically(file, bytes));
    EXPECT_EQ(contents(file), bytes);

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(aquine::writeFileAtomically(file, ""));
    EXPECT_EQ(contents(file), "");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(FileIo, MissingFilesAndFoldersAreReported) {
    const auto missing = aquine::readFileBytes("/nonexistent/aquine/file", aquine::kSettingsFileLimit);
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.reason(), "无法读取 /nonexistent/aquine/file：文件或文件夹不存在");
    const auto folder = aquine::readFileBytes(fs::temp_directory_path(), aquine::kSettingsFileLimit);
    EXPECT_FALSE(folder.ok());
    EXPECT_NE(folder.reason().find("这是一个文件夹"), std::string::npos) << folder.reason();
    const auto result = aquine::writeFileAtomically("/nonexistent/aquine/file", "x");
    EXPECT_FALSE(result);
    EXPECT_NE(result.reason().find("/nonexistent/aquine/file"), std::string::npos);
}

// Whatever the system answers, the reason a user reads has no English in it.
TEST(FileIo, EveryErrorNumberHasAChineseReason) {
    for (int error = 1; error < 134; ++error) {
        const std::string reason = aquine::fileFailureReason("无法写入", "/a", error);
        const std::string cause = reason.substr(reason.find("：") + std::string("：").size());
        EXPECT_FALSE(cause.empty()) << error;
        for (const char c : cause)
            EXPECT_FALSE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) << error << ": " << reason;
    }
    EXPECT_EQ(aquine::fileFailureReason("无法写入", "/a", EINVAL),
              "无法写入 /a：文件名含有这个磁盘不允许的字符，或磁盘不支持这个操作");
}

TEST(FileIo, FailedReplaceKeepsTheOldContentAndLeavesNoTemporary) {
    const fs::path dir = makeTempDir();
    // A non-empty folder cannot be replaced by a file: the rename fails after the data was written.
    fs::create_directory(dir / "target");
    ASSERT_TRUE(aquine::writeFileAtomically(dir / "target" / "inside", "old"));
    EXPECT_FALSE(aquine::writeFileAtomically(dir / "target", "new"));
    EXPECT_EQ(contents(dir / "target" / "inside"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

// What a user may write decides, as when a file is opened for writing: a read-only file is refused
// even in a folder that would let us replace it, and a writable file in a folder we may not create
// files in is still saved. Checked as an unprivileged user, since root may write anything.
TEST(FileIo, PermissionsDecideAsForOpeningForWriting) {
    const fs::path dir = makeTempDir();
    fs::permissions(dir, fs::perms::all);
    ASSERT_TRUE(aquine::writeFileAtomically(dir / "read-only.txt", "old"));
    fs::permissions(dir / "read-only.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directory(dir / "locked");
    ASSERT_TRUE(aquine::writeFileAtomically(dir / "locked" / "writable.txt", "old"));
    fs::permissions(dir / "locked" / "writable.txt", fs::perms::all);
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);

    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(10);
        int failures = 0;
        if (aquine::writeFileAtomically(dir / "read-only.txt", "new") || contents(dir / "read-only.txt") != "old")
            failures |= 1;
        if (!aquine::writeFileAtomically(dir / "locked" / "writable.txt", "new") ||
            contents(dir / "locked" / "writable.txt") != "new")
            failures |= 2;
        ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a read-only file was replaced; 2: a writable file was not saved";
    fs::permissions(dir / "locked", fs::perms::owner_all);
    fs::remove_all(dir);
}

TEST(FileIo, ReadsFilesThatCannotSeek) {
    // /proc files report size 0 but have content.
    const auto bytes = aquine::readFileBytes("/proc/self/stat", aquine::kSettingsFileLimit);
    ASSERT_TRUE(bytes.ok()) << bytes.reason();
    EXPECT_FALSE(bytes->empty());
}

// Reading whole files takes regular files only, up to a limit: a device would never end and a FIFO
// without a writer would never answer.
TEST(FileIo, ReadsOnlyRegularFilesUpToALimit) {
    const auto device = aquine::readFileBytes("/dev/zero", aquine::kSettingsFileLimit);
    EXPECT_NE(device.reason().find("这不是普通文件"), std::string::npos) << device.reason();

    const fs::path dir = makeTempDir();
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const auto fifo = aquine::readFileBytes(dir / "pipe", aquine::kSettingsFileLimit);
    EXPECT_NE(fifo.reason().find("这不是普通文件"), std::string::npos) << fifo.reason();

    ASSERT_TRUE(aquine::writeFileAtomically(dir / "big", std::string(3 << 20, 'x')));
    const auto big = aquine::readFileBytes(dir / "big", 2 << 20);
    EXPECT_EQ(big.reason(), "无法读取 " + (dir / "big").string() + "：文件太大，最多能读取 2 MB");
    EXPECT_EQ(aquine::readFileBytes(dir / "big", 3 << 20).value_or({}).size(), 3u << 20);
    EXPECT_GT(aquine::documentSizeLimit(), 16u << 20);
    fs::remove_all(dir);
}

// Whole-file writes replace the file atomically and report failures.
#include "file_io.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path makeTempDir() {
    std::string tmpl = (fs::temp_directory_path() / "aquine-io-XXXXXX").string();
    return ::mkdtemp(tmpl.data());
}

} // namespace

TEST(FileIo, WritesExactBytesAndKeepsPermissions) {
    const fs::path dir = makeTempDir();
    const fs::path file = dir / "doc.txt";
    const std::string bytes("a\r\nb\0\xFF\x80\n", 8);
    ASSERT_TRUE(aquine::writeFileAtomically(file, bytes));
    EXPECT_EQ(aquine::readFileBytes(file), bytes);

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(aquine::writeFileAtomically(file, ""));
    EXPECT_EQ(aquine::readFileBytes(file), "");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(FileIo, MissingFilesAndFoldersAreReported) {
    EXPECT_FALSE(aquine::readFileBytes("/nonexistent/aquine/file").has_value());
    EXPECT_FALSE(aquine::readFileBytes(fs::temp_directory_path()).has_value());
    const auto result = aquine::writeFileAtomically("/nonexistent/aquine/file", "x");
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("/nonexistent/aquine/file"), std::string::npos);
}

TEST(FileIo, FailedReplaceKeepsTheOldContentAndLeavesNoTemporary) {
    const fs::path dir = makeTempDir();
    // A non-empty folder cannot be replaced by a file: the rename fails after the data was written.
    fs::create_directory(dir / "target");
    ASSERT_TRUE(aquine::writeFileAtomically(dir / "target" / "inside", "old"));
    EXPECT_FALSE(aquine::writeFileAtomically(dir / "target", "new"));
    EXPECT_EQ(aquine::readFileBytes(dir / "target" / "inside"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(FileIo, ReadsFilesThatCannotSeek) {
    // /proc files report size 0 but have content.
    const auto bytes = aquine::readFileBytes("/proc/self/stat");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_FALSE(bytes->empty());
}

// The safe write with real files: links, folders we may not create files in, full disks, killed
// saves, and what each leaves beside the document.
#include "common/file_io.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace aquine::testing {
void useNamelessTemporaries(bool use);
}

namespace {

class SafeWrite : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "aquine-save-XXXXXX").string();
        dir = ::mkdtemp(tmpl.data());
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }
    std::string contents(const fs::path& file) const {
        const auto bytes = aquine::readFileBytes(file, 1 << 30);
        return bytes ? *bytes : "<" + bytes.reason() + ">";
    }
    // Every name in a folder, sorted, so that a stray temporary shows in the failure message.
    static std::vector<std::string> namesIn(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    void write(const fs::path& file, std::string_view bytes) {
        const auto written = aquine::writeFileAtomically(file, bytes);
        ASSERT_TRUE(written.ok()) << written.reason();
    }
    fs::path dir;
};

using Names = std::vector<std::string>;

// Runs body in a child process (limits, another user) and returns its exit code.
template <class Body> int inChild(Body body) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

TEST_F(SafeWrite, SymbolicLinksAreFollowedAndStay) {
    write(dir / "real.txt", "old");
    fs::create_directory(dir / "sub");
    fs::create_symlink("../real.txt", dir / "sub" / "link.txt"); // relative to the link's folder
    fs::create_symlink(dir / "sub" / "link.txt", dir / "chain.txt");
    write(dir / "chain.txt", "new");
    EXPECT_TRUE(fs::is_symlink(dir / "chain.txt"));
    EXPECT_TRUE(fs::is_symlink(dir / "sub" / "link.txt"));
    EXPECT_EQ(contents(dir / "real.txt"), "new");

    // A dangling link creates the file it points to, as opening it for writing would.
    fs::create_symlink("made.txt", dir / "dangling.txt");
    write(dir / "dangling.txt", "made");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.txt"));
    EXPECT_EQ(contents(dir / "made.txt"), "made");

    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    const auto looped = aquine::writeFileAtomically(dir / "loop-a", "x");
    EXPECT_NE(looped.reason().find("符号链接太多或成环"), std::string::npos) << looped.reason();
    EXPECT_EQ(namesIn(dir), (Names{"chain.txt", "dangling.txt", "loop-a", "loop-b", "made.txt", "real.txt", "sub"}));
    EXPECT_EQ(namesIn(dir / "sub"), Names{"link.txt"});
}

TEST_F(SafeWrite, FilesWithSeveralNamesAreWrittenInPlace) {
    write(dir / "a.txt", "the old text");
    fs::create_hard_link(dir / "a.txt", dir / "b.txt");
    fs::permissions(dir / "a.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    struct stat before {};
    ASSERT_EQ(::stat((dir / "a.txt").c_str(), &before), 0);

    write(dir / "a.txt", "shorter");
    EXPECT_EQ(contents(dir / "b.txt"), "shorter");
    write(dir / "b.txt", std::string(100000, 'x') + "longer");
    EXPECT_EQ(contents(dir / "a.txt"), std::string(100000, 'x') + "longer");

    struct stat after {};
    ASSERT_EQ(::stat((dir / "a.txt").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(namesIn(dir), (Names{"a.txt", "b.txt"}));
}

TEST_F(SafeWrite, ReplacingKeepsPermissionsAndLeavesNothingBeside) {
    write(dir / "doc.txt", "old");
    fs::permissions(dir / "doc.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    write(dir / "doc.txt", "new");
    EXPECT_EQ(fs::status(dir / "doc.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(namesIn(dir), Names{"doc.txt"});
}

TEST_F(SafeWrite, SpecialFilesAreRefused) {
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const auto written = aquine::writeFileAtomically(dir / "pipe", "x");
    EXPECT_NE(written.reason().find("这不是普通文件"), std::string::npos) << written.reason();
    EXPECT_EQ(fs::status(dir / "pipe").type(), fs::file_type::fifo);
}

// What earlier saves left when killed is removed by the next save of the same document, but nothing
// of another document, nothing a user named, and nothing a running save still holds.
TEST_F(SafeWrite, TheNextSaveRemovesWhatKilledSavesLeft) {
    write(dir / "doc.txt", "old");
    for (const char* name :
         {".doc.txt.aquine-save-AbC123", ".doc.txt.aquine-save-zzzzzz", ".doc.txt.aquine-save-held12",
          ".other.txt.aquine-save-AbC123", ".doc.txt.backup", ".doc.txt.aquine-save-toolong1"})
        write(dir / name, "left");
    const int held = ::open((dir / ".doc.txt.aquine-save-held12").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    write(dir / "doc.txt", "new");
    ::close(held);
    EXPECT_EQ(namesIn(dir), (Names{".doc.txt.aquine-save-held12", ".doc.txt.aquine-save-toolong1", ".doc.txt.backup",
                                   ".other.txt.aquine-save-AbC123", "doc.txt"}));
}

// A folder we may not create files in: the file is rewritten where it is, growing and shrinking, and
// nothing else appears. Run as an unprivileged user, since root may create files anywhere.
TEST_F(SafeWrite, FolderWithoutRoomForATemporaryIsWrittenInPlace) {
    fs::permissions(dir, fs::perms::all);
    write(dir / "doc.txt", "old text");
    fs::permissions(dir / "doc.txt", fs::perms::all);
    fs::permissions(dir,
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    const int failures = inChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        int failed = 0;
        if (!aquine::writeFileAtomically(dir / "doc.txt", std::string(70000, 'g')) ||
            contents(dir / "doc.txt") != std::string(70000, 'g'))
            failed |= 1;
        if (!aquine::writeFileAtomically(dir / "doc.txt", "s") || contents(dir / "doc.txt") != "s")
            failed |= 2;
        return failed;
    });
    EXPECT_EQ(failures, 0) << "1: growing failed; 2: shrinking failed";
    EXPECT_EQ(namesIn(dir), Names{"doc.txt"});
}

// A save larger than the file size limit fails before anything is touched, both ways of writing.
TEST_F(SafeWrite, FileSizeLimitLeavesTheOldText) {
    const std::string old(20000, 'o');
    write(dir / "doc.txt", old);
    write(dir / "linked.txt", old);
    fs::create_hard_link(dir / "linked.txt", dir / "second.txt");
    const int failures = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{32 << 10, 32 << 10};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        int failed = 0;
        const auto replaced = aquine::writeFileAtomically(dir / "doc.txt", std::string(65536, 'n'));
        if (replaced || replaced.reason().find("文件太大") == std::string::npos)
            failed |= 1;
        if (aquine::writeFileAtomically(dir / "linked.txt", std::string(65536, 'n')))
            failed |= 2;
        return failed;
    });
    EXPECT_EQ(failures, 0) << "1: replacing succeeded or said the wrong reason; 2: writing in place succeeded";
    EXPECT_EQ(contents(dir / "doc.txt"), old);
    EXPECT_EQ(contents(dir / "linked.txt"), old);
    EXPECT_EQ(namesIn(dir), (Names{"doc.txt", "linked.txt", "second.txt"}));
}

// A really full disk: a small tmpfs. Mounting needs root (as in CI); elsewhere the size limit above
// stands in.
TEST_F(SafeWrite, FullDiskLeavesTheOldText) {
    const fs::path disk = dir / "disk";
    fs::create_directory(disk);
    if (::mount("aquine-test", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a 64 KB tmpfs here (needs root): the full-disk case is left to the "
                        "file size limit test";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{disk};
    const std::string old(20000, 'o');
    write(disk / "doc.txt", old);
    write(disk / "linked.txt", old);
    fs::create_hard_link(disk / "linked.txt", disk / "second.txt");
    const auto replaced = aquine::writeFileAtomically(disk / "doc.txt", std::string(65536, 'n'));
    EXPECT_NE(replaced.reason().find("磁盘空间不足"), std::string::npos) << replaced.reason();
    const auto inPlace = aquine::writeFileAtomically(disk / "linked.txt", std::string(65536, 'n'));
    EXPECT_NE(inPlace.reason().find("磁盘空间不足"), std::string::npos) << inPlace.reason();
    EXPECT_EQ(contents(disk / "doc.txt"), old);
    EXPECT_EQ(contents(disk / "linked.txt"), old);
    EXPECT_EQ(namesIn(disk), (Names{"doc.txt", "linked.txt", "second.txt"}));
    // And once there is room again, both save.
    fs::remove(disk / "second.txt");
    write(disk / "doc.txt", "small");
    EXPECT_EQ(contents(disk / "doc.txt"), "small");
}

// kill -9 at random moments of large saves: the document is always the whole old text or the whole
// new one, and after the next save nothing else is left in the folder. With nameless temporaries a kill
// leaves nothing even before that; with named ones (file systems without nameless files) the next save
// clears what kills left.
class KilledSaves : public SafeWrite, public ::testing::WithParamInterface<bool> {};

TEST_P(KilledSaves, NeverLeaveAMixOrStrayFiles) {
    aquine::testing::useNamelessTemporaries(GetParam());
    constexpr std::size_t kSize = 8 << 20;
    constexpr int kKills = 12;
    const fs::path doc = dir / "big.txt";
    write(doc, std::string(kSize, 'A'));
    std::mt19937 random(7);
    int strayAfterKills = 0;
    for (int round = 0; round < kKills; ++round) {
        const char fill = round % 2 ? 'A' : 'B';
        const pid_t child = ::fork();
        if (child == 0) {
            const std::string bytes(kSize, fill);
            for (;;)
                if (!aquine::writeFileAtomically(doc, bytes))
                    ::_exit(1);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(5000, 60000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = contents(doc);
        ASSERT_EQ(now.size(), kSize) << "round " << round;
        ASSERT_TRUE(now == std::string(kSize, 'A') || now == std::string(kSize, 'B')) << "round " << round;
        strayAfterKills += static_cast<int>(namesIn(dir).size()) - 1;
    }
    std::cout << kKills << " kills, " << strayAfterKills << " stray files right after them\n";
    write(doc, "done");
    EXPECT_EQ(namesIn(dir), Names{"big.txt"});
    aquine::testing::useNamelessTemporaries(true);
}
INSTANTIATE_TEST_SUITE_P(Temporaries, KilledSaves, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Nameless" : "Named"; });

// A copy from an open file (a download kept in a temporary) replaces the target whole, both ways; a
// source that cannot be read leaves the old text and nothing beside it.
TEST_F(SafeWrite, CopiesFromAnOpenFileOrLeavesTheOldText) {
    std::string big(3 * 1024 * 1024 + 17, '\0');
    std::mt19937 random(5);
    std::generate(big.begin(), big.end(), [&] { return static_cast<char>(random()); });
    write(dir / "source.part", big);
    const int source = ::open((dir / "source.part").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(source, 0);
    ::lseek(source, 5, SEEK_SET); // where the source happens to stand does not matter

    write(dir / "package.zip", "old");
    ASSERT_TRUE(aquine::copyFileAtomically(dir / "package.zip", source).ok());
    EXPECT_EQ(contents(dir / "package.zip"), big);
    fs::create_hard_link(dir / "package.zip", dir / "other-name.zip");
    write(dir / "package.zip", "old");
    ASSERT_TRUE(aquine::copyFileAtomically(dir / "package.zip", source).ok());
    EXPECT_EQ(contents(dir / "other-name.zip"), big);
    ::close(source);

    const int unreadable = ::open((dir / "source.part").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(unreadable, 0);
    write(dir / "kept.zip", "old");
    write(dir / "other-name.zip", "old");
    EXPECT_FALSE(aquine::copyFileAtomically(dir / "kept.zip", unreadable).ok());
    EXPECT_FALSE(aquine::copyFileAtomically(dir / "other-name.zip", unreadable).ok());
    ::close(unreadable);
    EXPECT_EQ(contents(dir / "kept.zip"), "old");
    EXPECT_EQ(contents(dir / "other-name.zip"), "old");
    EXPECT_EQ(namesIn(dir), (Names{"kept.zip", "other-name.zip", "package.zip", "source.part"}));
}

// Where the user's files live: beside a writable program, else in the XDG folders, seeded once from
// the shipped copies. Real folders throughout; the writability of the program's folder is decided by
// a check the tests hand in (root may write anywhere), and the real check is tried as another user.
#include "common/file_io.h"
#include "common/user_files.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using aquine::UserEnvironment;
using aquine::userFile;
using aquine::UserFolder;

namespace {

struct Folders {
    Folders() {
        std::string tmpl = (fs::temp_directory_path() / "aquine-user-XXXXXX").string();
        root = ::mkdtemp(tmpl.data());
        program = root / "opt";
        home = root / "home";
        fs::create_directories(program);
        fs::create_directories(home);
        put(program / "配置.ini", "[配置信息]\r\n启动窗口_宽度=640\r\n");
    }
    ~Folders() {
        fs::permissions(program, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(root);
    }
    static void put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    static std::string get(const fs::path& file) {
        const auto bytes = aquine::readFileBytes(file, aquine::kSettingsFileLimit);
        return bytes ? *bytes : "<absent>";
    }
    UserEnvironment env() const { return {home.native(), "", ""}; }

    fs::path root, program, home;
};

bool never(const fs::path&) { return false; }
bool always(const fs::path&) { return true; }

} // namespace

TEST(UserFiles, PortableFolderKeepsItsFilesBesideTheProgram) {
    Folders f;
    EXPECT_EQ(userFile(f.program, "\\配置.ini", UserFolder::Config, f.env(), always), f.program / "配置.ini");
    EXPECT_EQ(userFile(f.program, "\\word.bin", UserFolder::Data, f.env(), always), f.program / "word.bin");
    EXPECT_FALSE(fs::exists(f.home / ".config"));
}

TEST(UserFiles, InstalledCopyStartsFromTheShippedFileThenKeepsTheUsersOwn) {
    Folders f;
    const fs::path own = f.home / ".config/aquine/配置.ini";
    EXPECT_EQ(userFile(f.program, "\\配置.ini", UserFolder::Config, f.env(), never), own);
    EXPECT_EQ(Folders::get(own), "[配置信息]\r\n启动窗口_宽度=640\r\n");

    // The user's changes stay, whatever a later install ships.
    Folders::put(own, "mine");
    Folders::put(f.program / "配置.ini", "new release");
    EXPECT_EQ(userFile(f.program, "\\配置.ini", UserFolder::Config, f.env(), never), own);
    EXPECT_EQ(Folders::get(own), "mine");

    // Nothing shipped: the user's file appears when the program first writes it.
    const fs::path words = f.home / ".local/share/aquine/word.bin";
    EXPECT_EQ(userFile(f.program, "\\word.bin", UserFolder::Data, f.env(), never), words);
    EXPECT_TRUE(fs::is_directory(words.parent_path()));
    EXPECT_FALSE(fs::exists(words));
}

TEST(UserFiles, OtherWritesGoToTheUsersDataFolderWhenTheProgramsIsReadOnly) {
    Folders f;
    EXPECT_EQ(aquine::writableFolder(f.program, f.env(), always), f.program);
    EXPECT_EQ(aquine::writableFolder(f.program, f.env(), never), f.home / ".local/share/aquine");
    EXPECT_TRUE(fs::is_directory(f.home / ".local/share/aquine"));
    EXPECT_EQ(aquine::writableFolder(f.program, UserEnvironment{}, never), f.program);
}

TEST(UserFiles, XdgFoldersWhenSetAndAbsolute) {
    Folders f;
    const UserEnvironment xdg{f.home.native(), (f.root / "cfg").native(), (f.root / "data").native()};
    EXPECT_EQ(userFile(f.program, "\\配置.ini", UserFolder::Config, xdg, never), f.root / "cfg/aquine/配置.ini");
    EXPECT_EQ(userFile(f.program, "\\word.bin", UserFolder::Data, xdg, never), f.root / "data/aquine/word.bin");
    // A relative value is no XDG folder at all.
    const UserEnvironment relative{f.home.native(), "cfg", "data"};
    EXPECT_EQ(aquine::userFolder(UserFolder::Config, relative), f.home / ".config/aquine");
    EXPECT_EQ(aquine::userFolder(UserFolder::Data, relative), f.home / ".local/share/aquine");
}

TEST(UserFiles, NoUserFolderFallsBackToTheShippedFile) {
    Folders f;
    EXPECT_EQ(userFile(f.program, "\\配置.ini", UserFolder::Config, UserEnvironment{}, never), f.program / "配置.ini");
    // HOME is a file: no folder can be made in it.
    Folders::put(f.root / "plain", "x");
    const UserEnvironment blocked{(f.root / "plain").native(), "", ""};
    EXPECT_EQ(userFile(f.program, "\\配置.ini", UserFolder::Config, blocked, never), f.program / "配置.ini");
}

TEST(UserFiles, RealCheckSeesAReadOnlyFolderAsAnotherUser) {
    Folders f;
    const auto readable = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(f.root, readable | fs::perms::owner_write);
    fs::permissions(f.program, readable);
    const fs::path open = f.root / "open";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::all);
    // Root writes anywhere, so the check runs in a child that has become "nobody".
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        const bool right = !aquine::folderWritable(f.program) && aquine::folderWritable(open);
        ::_exit(right ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

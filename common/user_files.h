// Where a program keeps the files its user changes (配置.ini, word.bin). A portable folder (the
// program's own folder is writable) keeps them beside the program; an installed copy the user cannot
// write keeps them in the user's XDG folders, starting from the copies shipped beside the program.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace aquine {

enum class UserFolder {
    Config, // $XDG_CONFIG_HOME/aquine, else ~/.config/aquine
    Data,   // $XDG_DATA_HOME/aquine, else ~/.local/share/aquine
};

// The variables the choice depends on; tests give their own.
struct UserEnvironment {
    std::string home;
    std::string xdgConfigHome;
    std::string xdgDataHome;
    static UserEnvironment fromProcess();
};

// Whether this process may create files in the folder (access(2) with W_OK). Root passes it for any
// folder not on a read-only file system, so tests that run as root hand in a check of their own.
bool folderWritable(const std::filesystem::path& dir);
using WritableCheck = std::function<bool(const std::filesystem::path&)>;

// The folder of the user's own files of this kind; empty when neither HOME nor the XDG variable says.
std::filesystem::path userFolder(UserFolder kind, const UserEnvironment& env);

// The file to read and write for "\name" of the program in programDir: the one beside the program
// while that folder is writable; otherwise the user's copy, made from the shipped file the first time
// (a later call keeps the user's copy as it is). Where the user's folder cannot be made, the shipped
// file, so that reading still works and a write fails where it can be reported.
std::filesystem::path userFile(const std::filesystem::path& programDir, std::string_view backslashName, UserFolder kind,
                               const UserEnvironment& env = UserEnvironment::fromProcess(),
                               const WritableCheck& writable = folderWritable);

// The folder for other files written for the user (a downloaded update package): the program's own
// folder while it is writable, else the user's data folder, made if needed (the program's folder
// when there is none, so that the failed write can be reported).
std::filesystem::path writableFolder(const std::filesystem::path& programDir,
                                     const UserEnvironment& env = UserEnvironment::fromProcess(),
                                     const WritableCheck& writable = folderWritable);

} // namespace aquine

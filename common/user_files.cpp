// The portable folder or the XDG folders, and the first copy of a shipped file.
#include "common/user_files.h"

#include "common/file_io.h"
#include "common/program_dir.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace aquine {

namespace fs = std::filesystem;

namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The XDG rules: an empty or relative value counts as unset.
fs::path baseFolder(const std::string& xdgValue, const std::string& home, const char* fallback) {
    if (!xdgValue.empty() && xdgValue.front() == '/')
        return fs::path(xdgValue);
    if (home.empty())
        return {};
    return fs::path(home) / fallback;
}

} // namespace

UserEnvironment UserEnvironment::fromProcess() {
    return {variable("HOME"), variable("XDG_CONFIG_HOME"), variable("XDG_DATA_HOME")};
}

bool folderWritable(const fs::path& dir) { return ::access(dir.c_str(), W_OK) == 0; }

fs::path userFolder(UserFolder kind, const UserEnvironment& env) {
    const fs::path base = kind == UserFolder::Config ? baseFolder(env.xdgConfigHome, env.home, ".config")
                                                     : baseFolder(env.xdgDataHome, env.home, ".local/share");
    return base.empty() ? base : base / "aquine";
}

fs::path userFile(const fs::path& programDir, std::string_view backslashName, UserFolder kind,
                  const UserEnvironment& env, const WritableCheck& writable) {
    const fs::path shipped = systemFile(programDir, backslashName);
    if (writable(programDir))
        return shipped;
    const fs::path folder = userFolder(kind, env);
    if (folder.empty())
        return shipped;
    const fs::path own = systemFile(folder, backslashName);
    std::error_code ec;
    if (fs::exists(own, ec))
        return own;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec))
        return shipped;
    if (!fs::exists(shipped, ec))
        return own; // nothing shipped: the user's file starts when the program first writes it
    const auto bytes = readFileBytes(shipped, kSettingsFileLimit);
    if (!bytes || !writeFileAtomically(own, *bytes))
        return shipped;
    return own;
}

fs::path writableFolder(const fs::path& programDir, const UserEnvironment& env, const WritableCheck& writable) {
    if (writable(programDir))
        return programDir;
    const fs::path folder = userFolder(UserFolder::Data, env);
    std::error_code ec;
    if (folder.empty() || (fs::create_directories(folder, ec), !fs::is_directory(folder, ec)))
        return programDir;
    return folder;
}

} // namespace aquine

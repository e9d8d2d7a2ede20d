// Program folder and the system's backslash file names, on Linux.
#include "common/program_dir.h"

#include "common/gbk_codec.h"

#include <system_error>

namespace aquine {

std::filesystem::path programDirectory() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec);
    return exe.parent_path();
}

std::filesystem::path systemFile(const std::filesystem::path& dir, std::string_view backslashName) {
    std::string relative;
    relative.reserve(backslashName.size());
    for (char c : backslashName)
        relative.push_back(c == '\\' ? '/' : c);
    const auto first = relative.find_first_not_of('/');
    relative.erase(0, first == std::string::npos ? relative.size() : first);
    return dir / relative;
}

std::filesystem::path pathFromGbk(std::string_view gbkPath) { return std::filesystem::path(codec::gbkToUtf8(gbkPath)); }

std::string gbkFromPath(const std::filesystem::path& path) { return codec::utf8ToGbk(path.native()); }

} // namespace aquine

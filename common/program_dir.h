// Where a program keeps its files: the folder that holds the running program, and names in it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace aquine {

// The folder holding the running executable (symbolic links resolved).
std::filesystem::path programDirectory();

// The folder joined with a name written the system's way, "\配置.ini" or "\sub\name": the backslashes
// become the native separator. The name is UTF-8, as the names in our sources are.
std::filesystem::path systemFile(const std::filesystem::path& dir, std::string_view backslashName);

// File names the programs hold as GBK text (a document path typed or chosen by the user) become native
// paths here, and native paths become GBK text; any GBK text, and any UTF-8 name, survives the trip.
std::filesystem::path pathFromGbk(std::string_view gbkPath);
std::string gbkFromPath(const std::filesystem::path& path);

} // namespace aquine

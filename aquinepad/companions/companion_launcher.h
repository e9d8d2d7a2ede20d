// Starts the suite's companion programs that live beside the notepad.
#pragma once

#include <filesystem>
#include <string_view>

namespace aquinepad {

// Starts programDir/name with no arguments and does not wait for it. A missing or unstartable
// program is not an error the user can act on here: false, and nothing else happens.
bool startCompanion(const std::filesystem::path& programDir, std::string_view name);

inline constexpr std::string_view kInputMethodProgram = "imvara";

} // namespace aquinepad

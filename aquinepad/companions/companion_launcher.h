// Starts the suite's companion programs that live beside the notepad.
#pragma once

#include <filesystem>
#include <string_view>

namespace aquinepad {

// Starts programDir/name with no arguments and does not wait for it. A missing or unstartable
// program is not an error the user can act on here: false, and nothing else happens.
//
// The program is run directly (no shell, so any folder name is safe), in a session of its own, with
// the default signal handling, and with only standard input, output and error of the notepad's open
// files. It is not the notepad's child, so it never lingers as a zombie, and it lives on when the
// notepad ends.
bool startCompanion(const std::filesystem::path& programDir, std::string_view name);

inline constexpr std::string_view kInputMethodProgram = "imvara";
inline constexpr std::string_view kScreenshotProgram = "shotvara";

} // namespace aquinepad

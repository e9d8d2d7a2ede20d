// Whole-file reads and safe whole-file writes. A write that replaces user data goes to a temporary
// file beside the target, is flushed to disk, then renamed over the target: a crash or a full disk
// leaves either the old file or the new one, never a truncated mix.
#pragma once

#include "common/result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace aquine {

// Why a system call on a file failed, in words for the user: what was being done, the file, and the
// cause, e.g. "无法写入 /home/a/b.txt：磁盘空间不足".
std::string fileFailureReason(std::string_view doing, const std::filesystem::path& file, int error);

// The file's bytes, or why they cannot be read (absent, a folder, no permission, a read error).
Result<std::string> readFileBytes(const std::filesystem::path& file);

// Replaces (or creates) the file with exactly these bytes. An existing file keeps its permissions (and,
// where the system allows, its owner); a file we may not write is refused even where the folder would
// let us replace it; in a folder we may not create files in, a writable file is rewritten in place.
Result<> writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

} // namespace aquine

// Whole-file reads and safe whole-file writes. A write that replaces user data goes to a temporary
// file beside the target, is flushed to disk, then renamed over the target: a crash or a full disk
// leaves either the old file or the new one, never a truncated mix.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace aquine {

// The outcome of a write: ok, or the reason it failed (for the message the user sees).
struct IoResult {
    bool ok = true;
    std::string error; // system message, UTF-8; empty when ok

    explicit operator bool() const { return ok; }
    static IoResult success() { return {}; }
    static IoResult failure(std::string why) { return {false, std::move(why)}; }
};

// The file's bytes, or nothing when it is absent or unreadable.
std::optional<std::string> readFileBytes(const std::filesystem::path& file);

// Replaces (or creates) the file with exactly these bytes. An existing file keeps its permissions (and,
// where the system allows, its owner); a file we may not write is refused even where the folder would
// let us replace it; in a folder we may not create files in, a writable file is rewritten in place.
IoResult writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

} // namespace aquine

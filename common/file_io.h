// Whole-file reads with a size limit, and the one safe write every program uses to replace user data.
#pragma once

#include "common/result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace aquine {

// Why a system call on a file failed, in words for the user: what was being done, the file, and the
// cause, e.g. "无法写入 /home/a/b.txt：磁盘空间不足".
std::string fileFailureReason(std::string_view doing, const std::filesystem::path& file, int error);

// How much a whole-file read may take. Small files the programs keep for themselves (word.bin,
// 配置.ini, the association memory) are far below kSettingsFileLimit; documents and pictures may take
// what memory allows.
inline constexpr std::uint64_t kSettingsFileLimit = 32ull << 20;
std::uint64_t documentSizeLimit();

// An open regular file for reading. Opening never blocks: a FIFO, a device, a socket or a folder is
// refused with a reason instead of hanging or reading without end, as is a file larger than limit.
class ReadableFile {
public:
    static Result<ReadableFile> open(const std::filesystem::path& file, std::uint64_t limit);
    ReadableFile(ReadableFile&& other) noexcept : m_fd(other.m_fd), m_size(other.m_size) { other.m_fd = -1; }
    ReadableFile& operator=(ReadableFile&&) = delete;
    ~ReadableFile();

    int fd() const { return m_fd; }
    // The size when opened: a hint only, since /proc files say 0 and a file may grow while read.
    std::uint64_t size() const { return m_size; }

private:
    ReadableFile(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    int m_fd;
    std::uint64_t m_size;
};

// The reason given when a file is, or grows, larger than limit.
std::string tooLargeReason(const std::filesystem::path& file, std::uint64_t limit);

// The bytes of a regular file of at most limit bytes, or why they cannot be read (absent, a folder, not
// a regular file, too large, no permission, a read error).
Result<std::string> readFileBytes(const std::filesystem::path& file, std::uint64_t limit);

// Replaces (or creates) the file with exactly these bytes, and says only after the bytes are on disk.
// A symbolic link is followed: its target is replaced and the link stays. An existing file keeps its
// permissions (and, where the system allows, its owner); a file we may not write is refused even where
// the folder would let us replace it; anything but a regular file is refused.
//
// What each way of writing guarantees:
// - Replacing (the usual way): the bytes go to a file without a name (O_TMPFILE) in the same folder, are
//   flushed, get a temporary name and are renamed over the target, then the folder is flushed. A crash,
//   a kill or a full disk leaves the old file or the new one, never a mix. Where the file system has no
//   nameless files the temporary is named from the start; a kill can then leave it behind, and the next
//   save of the same document removes it. The named moment of a nameless file lasts from the link to
//   the rename, and is cleaned up the same way.
// - In place, for a file with more than one name (so that every name sees the new text) or in a folder
//   where no file can be created: the new size is reserved before any byte changes, so a full disk or a
//   quota fails with the old text intact; then the bytes are written, the file cut to size and flushed.
//   A crash or kill during the write itself can leave a mix of old and new text.
Result<> writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// The same, for bytes made piece by piece so that a large file never needs a second whole copy in
// memory: next() gives the following piece each time it is called, and an empty piece after the last.
// It is called once through, except on the in-place way, which gathers every piece before it starts.
using ByteSource = std::function<std::string_view()>;
Result<> writeFileAtomically(const std::filesystem::path& file, const ByteSource& next);

// The same, with what the open file `sourceFd` holds, read from its start (a download kept in a temporary
// file). A read error abandons the write, so a short copy never replaces the target.
Result<> copyFileAtomically(const std::filesystem::path& file, int sourceFd);

} // namespace aquine

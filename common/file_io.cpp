// Whole-file reads and temporary-file-and-rename writes (POSIX).
#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace aquine {

namespace {

IoResult failWithErrno(const std::string& what, const std::filesystem::path& file) {
    return IoResult::failure(what + " " + file.string() + ": " + std::strerror(errno));
}

// umask can only be read by setting it; the programs are single-threaded where they write files.
mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

std::optional<std::string> readFileBytes(const std::filesystem::path& file) {
    // A folder opens as a stream whose "size" is no size at all.
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        in.seekg(0);
        in.read(bytes.data(), size);
        if (!in)
            return std::nullopt;
    } else {
        // Not seekable (a pipe, /proc): read to the end.
        in.clear();
        in.seekg(0);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return bytes;
}

namespace {

// Writes all bytes to fd and flushes them to the disk.
bool writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

// The file rewritten where it is: for a folder we may not create files in, where the file itself is
// writable. Less safe than a rename, but the only way the user's save can happen at all.
IoResult writeInPlace(const std::filesystem::path& file, std::string_view bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return failWithErrno("cannot open", file);
    const bool written = writeAll(fd, bytes);
    const IoResult r = written ? IoResult::success() : failWithErrno("cannot write", file);
    if (::close(fd) != 0 && written)
        return failWithErrno("cannot close", file);
    return r;
}

} // namespace

IoResult writeFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    struct stat old {};
    const bool exists = ::stat(file.c_str(), &old) == 0;
    // A file we may not write stays as it is, even where the folder would let us replace it.
    if (exists && ::access(file.c_str(), W_OK) != 0)
        return failWithErrno("cannot write", file);

    const auto dir = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::string tmpl = (dir / ("." + file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        if (exists && S_ISREG(old.st_mode) && (errno == EACCES || errno == EPERM || errno == EROFS))
            return writeInPlace(file, bytes);
        return failWithErrno("cannot create a temporary file for", file);
    }
    const std::filesystem::path tmp = tmpl;
    const auto abandon = [&](const char* what) {
        const IoResult r = failWithErrno(what, file);
        ::close(fd);
        ::unlink(tmp.c_str());
        return r;
    };

    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0)
        return abandon("cannot set the permissions of");
    if (exists) {
        // Keep the owner and group where we may (root saving a user's file); otherwise ours is all we
        // can give, as any editor that saves by renaming.
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
    if (!writeAll(fd, bytes))
        return abandon("cannot write");
    if (::close(fd) != 0) {
        const IoResult r = failWithErrno("cannot close", file);
        ::unlink(tmp.c_str());
        return r;
    }
    if (::rename(tmp.c_str(), file.c_str()) != 0) {
        const IoResult r = failWithErrno("cannot replace", file);
        ::unlink(tmp.c_str());
        return r;
    }
    return IoResult::success();
}

} // namespace aquine

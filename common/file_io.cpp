// Whole-file reads and temporary-file-and-rename writes (POSIX).
#include "common/file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace aquine {

namespace {

// The causes a user can do something about, in the user's words; the system's text for the rest.
std::string causeOf(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT: return "磁盘空间不足";
    case EACCES:
    case EPERM: return "没有权限";
    case EROFS: return "磁盘是只读的";
    case ENOENT: return "文件或文件夹不存在";
    case ENOTDIR: return "路径中有一段不是文件夹";
    case EISDIR: return "这是一个文件夹";
    case ENAMETOOLONG: return "文件名太长";
    case EIO: return "读写磁盘出错";
    case EFBIG: return "文件太大";
    case ETXTBSY:
    case EBUSY: return "文件正被使用";
    default: return std::strerror(error);
    }
}

Result<> failWithErrno(std::string_view doing, const std::filesystem::path& file) {
    return fail(fileFailureReason(doing, file, errno));
}

// umask can only be read by setting it; the programs are single-threaded where they write files.
mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

std::string fileFailureReason(std::string_view doing, const std::filesystem::path& file, int error) {
    return std::string(doing) + " " + file.string() + "：" + causeOf(error);
}

Result<std::string> readFileBytes(const std::filesystem::path& file) {
    const auto failed = [&](int error) { return fail(fileFailureReason("无法读取", file, error)); };
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return failed(errno);
    if (S_ISDIR(st.st_mode))
        return failed(EISDIR);
    std::string bytes;
    // The size is a hint only: /proc files say 0 and have content, and a file may grow while read.
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 << 10];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failed(errno);
        }
        if (n == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
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
Result<> writeInPlace(const std::filesystem::path& file, std::string_view bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return failWithErrno("无法打开", file);
    const bool written = writeAll(fd, bytes);
    const Result<> r = written ? Result<>() : failWithErrno("无法写入", file);
    if (::close(fd) != 0 && written)
        return failWithErrno("无法写完", file);
    return r;
}

} // namespace

Result<> writeFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    struct stat old {};
    const bool exists = ::stat(file.c_str(), &old) == 0;
    // A file we may not write stays as it is, even where the folder would let us replace it.
    if (exists && ::access(file.c_str(), W_OK) != 0)
        return failWithErrno("无法写入", file);

    const auto dir = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::string tmpl = (dir / ("." + file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        if (exists && S_ISREG(old.st_mode) && (errno == EACCES || errno == EPERM || errno == EROFS))
            return writeInPlace(file, bytes);
        return failWithErrno("无法在文件夹中建立临时文件以保存", file);
    }
    const std::filesystem::path tmp = tmpl;
    const auto abandon = [&](std::string_view what) {
        const Result<> r = failWithErrno(what, file);
        ::close(fd);
        ::unlink(tmp.c_str());
        return r;
    };

    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    if (::fchmod(fd, mode) != 0)
        return abandon("无法设置权限");
    if (exists) {
        // Keep the owner and group where we may (root saving a user's file); otherwise ours is all we
        // can give, as any editor that saves by renaming.
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
    if (!writeAll(fd, bytes))
        return abandon("无法写入");
    if (::close(fd) != 0) {
        const Result<> r = failWithErrno("无法写完", file);
        ::unlink(tmp.c_str());
        return r;
    }
    if (::rename(tmp.c_str(), file.c_str()) != 0) {
        const Result<> r = failWithErrno("无法替换", file);
        ::unlink(tmp.c_str());
        return r;
    }
    return {};
}

} // namespace aquine

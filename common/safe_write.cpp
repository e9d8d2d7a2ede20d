// The safe whole-file write (Linux): a nameless temporary renamed over the target, or a reserved
// in-place rewrite where renaming cannot keep what the user expects.
#include "common/file_io.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace aquine {

namespace {

namespace fs = std::filesystem;

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes and says whether the close reported no error (NFS reports late write errors there).
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

Failure failWith(std::string_view doing, const fs::path& file, int error = errno) {
    return fail(fileFailureReason(doing, file, error));
}

// The file a path names once symbolic links are followed; a dangling link gives the path it points to,
// so that saving through it creates the file there, as opening it for writing would.
Result<fs::path> followLinks(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return failWith("无法读取链接", path);
        target.resize(static_cast<std::size_t>(n));
        const fs::path next(target);
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return failWith("无法保存", path, ELOOP);
}

bool writeAllAt(int fd, const char* p, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// Claims the disk blocks for size bytes without changing what the file holds or its length, so that a
// full disk shows before anything is written. False only when the disk has no room; file systems that
// cannot reserve say nothing here and fail at the write instead.
bool reserve(int fd, std::size_t size) {
    if (size == 0)
        return true;
    while (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0) {
        if (errno == EINTR)
            continue;
        return errno != ENOSPC && errno != EDQUOT && errno != EFBIG;
    }
    return true;
}

// The temporary names of one document: ".NAME.aquine-save-XXXXXX" beside it. A name too long for the
// folder is shortened, consistently, so that the clean-up finds what an earlier save left.
std::string temporaryPrefix(const fs::path& file) {
    std::string name = file.filename().string();
    constexpr std::size_t kRoom = NAME_MAX - 32;
    if (name.size() > kRoom)
        name.resize(kRoom);
    return "." + name + ".aquine-save-";
}

std::string randomSuffix() {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937_64 random{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
    std::string s(6, 'x');
    for (char& c : s)
        c = kChars[random() % (sizeof kChars - 1)];
    return s;
}

// Removes what killed saves of this document left: our temporaries, owned by us, not locked by a save
// still running (a live save holds a lock on its temporary until it is renamed).
void removeStaleTemporaries(int dirFd, const fs::path& file) {
    const std::string prefix = temporaryPrefix(file);
    const int scanFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (scanFd < 0)
        return;
    DIR* dir = ::fdopendir(scanFd);
    if (!dir) {
        ::close(scanFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix)
            continue;
        Descriptor fd(::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            st.st_nlink != 1 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// A locked temporary in the folder: nameless where the file system allows (name stays empty), else
// named. errno tells why there is none.
struct Temporary {
    Descriptor fd;
    std::string name;
};

bool g_namelessTemporaries = true;

bool openTemporary(int dirFd, const fs::path& file, mode_t mode, Temporary& tmp) {
    if (g_namelessTemporaries)
        tmp.fd.reset(::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    else
        errno = EOPNOTSUPP;
    if (!tmp.fd && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return false;
    if (tmp.fd) {
        ::flock(tmp.fd.get(), LOCK_EX);
        return true;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp.name = temporaryPrefix(file) + randomSuffix();
        tmp.fd.reset(::openat(dirFd, tmp.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!tmp.fd && errno != EEXIST)
            return false;
        if (!tmp.fd)
            continue;
        // Another save of the same document may have taken it for a stale one before we held the lock:
        // it is ours only if the name still leads to it.
        ::flock(tmp.fd.get(), LOCK_EX);
        struct stat opened {};
        struct stat named {};
        if (::fstat(tmp.fd.get(), &opened) == 0 &&
            ::fstatat(dirFd, tmp.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && opened.st_ino == named.st_ino &&
            opened.st_dev == named.st_dev)
            return true;
        tmp.fd.reset();
    }
    errno = EEXIST;
    return false;
}

// Gives a nameless temporary a name in the folder.
bool nameTemporary(int dirFd, const fs::path& file, Temporary& tmp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryPrefix(file) + randomSuffix();
        // AT_EMPTY_PATH needs a privilege; the /proc link works for everyone where /proc is mounted.
        int linked = ::linkat(tmp.fd.get(), "", dirFd, name.c_str(), AT_EMPTY_PATH);
        if (linked != 0 && errno != EEXIST) {
            const std::string self = "/proc/self/fd/" + std::to_string(tmp.fd.get());
            linked = ::linkat(AT_FDCWD, self.c_str(), dirFd, name.c_str(), AT_SYMLINK_FOLLOW);
        }
        if (linked == 0) {
            tmp.name = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

Result<> writeInPlace(const fs::path& file, std::string_view bytes) {
    Descriptor fd(::open(file.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return failWith("无法打开", file);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return failWith("无法写入", file);
    if (!reserve(fd.get(), bytes.size()))
        return failWith("无法写入", file);
    // What goes beyond the old end is written first: where the file system could not reserve, a full
    // disk then stops us before a single old byte is overwritten.
    const auto oldSize = static_cast<std::size_t>(st.st_size);
    if (bytes.size() > oldSize &&
        !writeAllAt(fd.get(), bytes.data() + oldSize, bytes.size() - oldSize, static_cast<off_t>(oldSize))) {
        const int error = errno;
        [[maybe_unused]] const int ignored = ::ftruncate(fd.get(), static_cast<off_t>(oldSize));
        return failWith("无法写入", file, error);
    }
    if (!writeAllAt(fd.get(), bytes.data(), std::min(oldSize, bytes.size()), 0))
        return failWith("无法写入", file);
    if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd.get()) != 0)
        return failWith("无法写完", file);
    if (!fd.close())
        return failWith("无法写完", file);
    return {};
}

} // namespace

namespace testing {
// For tests of the way taken on file systems without nameless files (FAT, some network and FUSE
// file systems), which those of the test machines all have.
void useNamelessTemporaries(bool use) { g_namelessTemporaries = use; }
} // namespace testing

namespace {

// Writes what the file gets into the descriptor at offset 0; false with errno set on failure.
using Filler = std::function<bool(int fd)>;
// Writes the file in place, for the way that needs every byte before it starts.
using InPlace = std::function<Result<>(const fs::path& file)>;

Result<> writeFile(const fs::path& given, const Filler& fill, const InPlace& writeWhole) {
    const Result<fs::path> followed = followLinks(given);
    if (!followed)
        return fail(followed.reason());
    const fs::path& file = *followed;

    struct stat old {};
    const bool exists = ::stat(file.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        return failWith("无法保存", file, EISDIR);
    if (exists && !S_ISREG(old.st_mode))
        return fail("无法保存 " + file.string() + "：这不是普通文件（是设备、管道或套接字）");
    // A file we may not write stays as it is, even where the folder would let us replace it.
    if (exists && ::access(file.c_str(), W_OK) != 0)
        return failWith("无法写入", file);
    const auto inPlace = [&] { return writeWhole(file); };
    // Every name of a file with several must see the new text: replacing would split them.
    if (exists && old.st_nlink > 1)
        return inPlace();

    const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
    Descriptor dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dirFd)
        return failWith("无法保存", file);
    removeStaleTemporaries(dirFd.get(), file);

    Temporary tmp;
    if (!openTemporary(dirFd.get(), file, 0666, tmp)) {
        if (exists && (errno == EACCES || errno == EPERM || errno == EROFS))
            return inPlace();
        return failWith("无法在文件夹中建立临时文件以保存", file);
    }
    const auto abandon = [&](std::string_view what, int error) {
        tmp.fd.reset();
        if (!tmp.name.empty())
            ::unlinkat(dirFd.get(), tmp.name.c_str(), 0);
        return failWith(what, file, error);
    };

    if (exists) {
        // Owner and group first (changing them clears the set-id bits), then the permissions. The owner
        // is kept where we may (root saving a user's file); otherwise ours is what any editor that saves
        // by renaming gives.
        [[maybe_unused]] const int ignored = ::fchown(tmp.fd.get(), old.st_uid, old.st_gid);
        if (::fchmod(tmp.fd.get(), old.st_mode & 07777) != 0)
            return abandon("无法设置权限", errno);
    }
    if (!fill(tmp.fd.get()) || ::fsync(tmp.fd.get()) != 0)
        return abandon("无法写入", errno);
    if (tmp.name.empty() && !nameTemporary(dirFd.get(), file, tmp))
        return abandon("无法写入", errno);
    if (::renameat(dirFd.get(), tmp.name.c_str(), dirFd.get(), file.filename().c_str()) != 0)
        return abandon("无法替换", errno);
    tmp.name.clear();
    // The rename is only lasting once the folder is on disk too.
    if (::fsync(dirFd.get()) != 0 && errno != EINVAL)
        return failWith("无法写完", file);
    if (!tmp.fd.close())
        return failWith("无法写完", file);
    return {};
}

} // namespace

Result<> writeFileAtomically(const fs::path& file, std::string_view bytes) {
    return writeFile(
        file, [bytes](int fd) { return reserve(fd, bytes.size()) && writeAllAt(fd, bytes.data(), bytes.size(), 0); },
        [bytes](const fs::path& target) { return writeInPlace(target, bytes); });
}

Result<> writeFileAtomically(const fs::path& file, const ByteSource& next) {
    const auto fill = [&next](int fd) {
        off_t offset = 0;
        for (std::string_view piece = next(); !piece.empty(); piece = next()) {
            if (!writeAllAt(fd, piece.data(), piece.size(), offset))
                return false;
            offset += static_cast<off_t>(piece.size());
        }
        return true;
    };
    const auto whole = [&next](const fs::path& target) -> Result<> {
        std::string bytes;
        try {
            for (std::string_view piece = next(); !piece.empty(); piece = next())
                bytes.append(piece);
        } catch (const std::bad_alloc&) {
            return failWith("无法写入", target, ENOMEM);
        }
        return writeInPlace(target, bytes);
    };
    return writeFile(file, fill, whole);
}

Result<> copyFileAtomically(const fs::path& file, int sourceFd) {
    // Each piece is read at its own offset, so the source's file position does not matter.
    const auto copyTo = [sourceFd](const std::function<bool(std::string_view, off_t)>& put) {
        std::string buffer(1 << 20, '\0');
        for (off_t offset = 0;;) {
            const ssize_t got = ::pread(sourceFd, buffer.data(), buffer.size(), offset);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return got == 0;
            if (!put(std::string_view(buffer.data(), static_cast<std::size_t>(got)), offset))
                return false;
            offset += got;
        }
    };
    const auto fill = [&copyTo](int fd) {
        return copyTo(
            [fd](std::string_view piece, off_t at) { return writeAllAt(fd, piece.data(), piece.size(), at); });
    };
    const auto whole = [&copyTo](const fs::path& target) -> Result<> {
        std::string bytes;
        try {
            if (!copyTo([&bytes](std::string_view piece, off_t) { return bytes.append(piece), true; }))
                return failWith("无法读取要写入的内容", target);
        } catch (const std::bad_alloc&) {
            return failWith("无法写入", target, ENOMEM);
        }
        return writeInPlace(target, bytes);
    };
    return writeFile(file, fill, whole);
}

} // namespace aquine

// Failure reasons and whole-file reads (POSIX).
#include "common/file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace aquine {

namespace {

// Every cause in the user's words; the rare rest by the system's error number, never in English.
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
    case ELOOP: return "符号链接太多或成环";
    case ENOMEM: return "内存不足";
    case EINVAL: return "文件名含有这个磁盘不允许的字符，或磁盘不支持这个操作";
    case EMFILE:
    case ENFILE: return "打开的文件太多";
    case ENXIO:
    case ENODEV: return "设备不存在或未连接";
    case EOVERFLOW: return "文件太大，无法处理";
    case EAGAIN: return "文件暂时无法使用，请稍后再试";
    case EEXIST: return "文件已存在";
    case EXDEV: return "不能跨磁盘移动文件";
    case ESTALE:
    case ETIMEDOUT:
    case ENOTCONN:
    case EHOSTDOWN:
    case EHOSTUNREACH: return "网络磁盘无法访问";
    case EINTR: return "操作被中断";
    default: return "系统错误（错误号 " + std::to_string(error) + "）";
    }
}

std::string sizeText(std::uint64_t bytes) {
    if (bytes >= (1ull << 30))
        return std::to_string(bytes >> 30) + " GB";
    if (bytes >= (1ull << 20))
        return std::to_string(bytes >> 20) + " MB";
    return std::to_string(bytes >> 10) + " KB";
}

} // namespace

std::string fileFailureReason(std::string_view doing, const std::filesystem::path& file, int error) {
    return std::string(doing) + " " + file.string() + "：" + causeOf(error);
}

std::string tooLargeReason(const std::filesystem::path& file, std::uint64_t limit) {
    return "无法读取 " + file.string() + "：文件太大，最多能读取 " + sizeText(limit);
}

std::uint64_t documentSizeLimit() {
    // The editor holds the text as UTF-8 (half as large again as GBK) beside its undo history and
    // styling: a third of the memory, and of the address space a limit allows, is what one document
    // may take without the program being killed or failing an allocation half way.
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    std::uint64_t memory = pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) * pageSize : 1ull << 32;
    struct rlimit as {};
    if (::getrlimit(RLIMIT_AS, &as) == 0 && as.rlim_cur != RLIM_INFINITY && as.rlim_cur < memory)
        memory = as.rlim_cur;
    return memory / 3;
}

Result<ReadableFile> ReadableFile::open(const std::filesystem::path& file, std::uint64_t limit) {
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for ever.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(fileFailureReason("无法读取", file, errno));
    ReadableFile opened(fd, 0);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(fileFailureReason("无法读取", file, errno));
    if (S_ISDIR(st.st_mode))
        return fail(fileFailureReason("无法读取", file, EISDIR));
    if (!S_ISREG(st.st_mode))
        return fail("无法读取 " + file.string() + "：这不是普通文件（是设备、管道或套接字）");
    if (static_cast<std::uint64_t>(st.st_size) > limit)
        return fail(tooLargeReason(file, limit));
    // Reads of a regular file never wait; clear the flag so that nothing later depends on it.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    opened.m_size = static_cast<std::uint64_t>(st.st_size);
    return opened;
}

ReadableFile::~ReadableFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

Result<std::string> readFileBytes(const std::filesystem::path& file, std::uint64_t limit) {
    auto opened = ReadableFile::open(file, limit);
    if (!opened)
        return fail(opened.reason());
    std::string bytes;
    try {
        if (opened->size() > 0)
            bytes.reserve(static_cast<std::size_t>(opened->size()));
        char buffer[64 << 10];
        for (;;) {
            const ssize_t n = ::read(opened->fd(), buffer, sizeof buffer);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return fail(fileFailureReason("无法读取", file, errno));
            }
            if (n == 0)
                return bytes;
            if (bytes.size() + static_cast<std::size_t>(n) > limit)
                return fail(tooLargeReason(file, limit));
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        return fail(fileFailureReason("无法读取", file, ENOMEM));
    }
}

} // namespace aquine

// Streaming document reads (POSIX) and safe document writes.
#include "aquinepad/document/document_file.h"

#include "aquinepad/document/gbk_stream_decoder.h"
#include "common/gbk_codec.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace aquinepad {

namespace {

constexpr std::size_t kPieceSize = 4 << 20;

struct FileCloser {
    int fd;
    ~FileCloser() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

aquine::Result<> readDocumentFile(const std::filesystem::path& file, TextEditor& text) {
    const auto failed = [&](int error) { return aquine::fail(aquine::fileFailureReason("无法读取", file, error)); };
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    FileCloser closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return failed(errno);
    if (S_ISDIR(st.st_mode))
        return failed(EISDIR);
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
        // Chinese text grows by half from GBK to UTF-8; ASCII does not grow.
        const auto size = static_cast<std::size_t>(st.st_size);
        text.reserveText(size + size / 2);
    }

    const auto buffer = std::make_unique<char[]>(kPieceSize);
    GbkStreamDecoder decoder;
    std::string utf8;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.get(), kPieceSize);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failed(errno);
        }
        if (n == 0)
            break;
        utf8.clear();
        decoder.feed(std::string_view(buffer.get(), static_cast<std::size_t>(n)), utf8);
        if (!utf8.empty())
            text.appendText(utf8);
    }
    utf8.clear();
    decoder.finish(utf8);
    if (!utf8.empty())
        text.appendText(utf8);
    return {};
}

aquine::Result<> writeDocumentFile(const std::filesystem::path& file, std::string_view utf8) {
    std::filesystem::path target = file;
    std::error_code ec;
    if (std::filesystem::is_symlink(file, ec)) {
        const auto resolved = std::filesystem::weakly_canonical(file, ec);
        if (!ec)
            target = resolved;
    }
    return aquine::writeFileAtomically(target, aquine::codec::utf8ToGbk(utf8));
}

} // namespace aquinepad

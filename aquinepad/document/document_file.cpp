// Streaming document reads (POSIX) and safe document writes.
#include "aquinepad/document/document_file.h"

#include "aquinepad/document/gbk_stream_decoder.h"
#include "common/gbk_codec.h"

#include <cerrno>
#include <memory>
#include <unistd.h>

namespace aquinepad {

namespace {

constexpr std::size_t kPieceSize = 4 << 20;

} // namespace

aquine::Result<> readDocumentFile(const std::filesystem::path& file, TextEditor& text) {
    const auto failed = [&](int error) { return aquine::fail(aquine::fileFailureReason("无法读取", file, error)); };
    const std::uint64_t limit = aquine::documentSizeLimit();
    auto opened = aquine::ReadableFile::open(file, limit);
    if (!opened)
        return aquine::fail(opened.reason());
    const int fd = opened->fd();
    if (opened->size() > 0) {
        // Chinese text grows by half from GBK to UTF-8; ASCII does not grow.
        const auto size = static_cast<std::size_t>(opened->size());
        text.reserveText(size + size / 2);
    }

    const auto buffer = std::make_unique<char[]>(kPieceSize);
    GbkStreamDecoder decoder;
    std::string utf8;
    std::uint64_t read = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.get(), kPieceSize);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failed(errno);
        }
        if (n == 0)
            break;
        read += static_cast<std::uint64_t>(n);
        if (read > limit)
            return aquine::fail(aquine::tooLargeReason(file, limit));
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
    return aquine::writeFileAtomically(file, aquine::codec::utf8ToGbk(utf8));
}

} // namespace aquinepad

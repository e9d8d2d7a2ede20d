// Streaming document reads (POSIX) and safe document writes.
#include "aquinepad/document/document_file.h"

#include "aquinepad/document/gbk_stream_decoder.h"
#include "common/gbk_codec.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace aquinepad {

namespace {

// Each piece is held three times while it passes (the bytes, their UTF-8, the editor's copy): small
// pieces keep that next to nothing beside the document.
constexpr std::size_t kPieceSize = 1 << 20;

// Bytes 0x80 and up, eight at a time.
std::size_t highBytes(std::string_view bytes) {
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        count += static_cast<std::size_t>(std::popcount(word & 0x8080808080808080u));
    }
    for (; i < bytes.size(); ++i)
        count += static_cast<unsigned char>(bytes[i]) >= 0x80;
    return count;
}

// What the editor reserves for the file's text, from a first pass over its bytes: ASCII keeps its one
// byte, a character of two or four bytes takes at most half as much again. The editor holds all it
// reserves, so the bound is tight (Chinese text is exact, ASCII is its own size), with a little room
// over for typing: once full, the editor grows by copying the whole document. Bytes that form no
// character take three each; the editor grows for a file full of them.
std::size_t reserveForText(int fd, char* buffer) {
    std::size_t total = 0;
    std::size_t high = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, kPieceSize, static_cast<off_t>(total));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // a read error shows in the real pass
        high += highBytes(std::string_view(buffer, static_cast<std::size_t>(n)));
        total += static_cast<std::size_t>(n);
    }
    const std::size_t bound = total + high / 2 + 1;
    return bound + bound / 128;
}

} // namespace

aquine::Result<> readDocumentFile(const std::filesystem::path& file, TextEditor& text) {
    const auto failed = [&](int error) { return aquine::fail(aquine::fileFailureReason("无法读取", file, error)); };
    const std::uint64_t limit = aquine::documentSizeLimit();
    auto opened = aquine::ReadableFile::open(file, limit);
    if (!opened)
        return aquine::fail(opened.reason());
    const int fd = opened->fd();
    const auto buffer = std::make_unique<char[]>(kPieceSize);
    if (opened->size() > 0)
        text.reserveText(reserveForText(fd, buffer.get()));

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

namespace {

std::size_t utf8PieceEnd(std::string_view utf8, std::size_t begin, std::size_t size) {
    if (utf8.size() - begin <= size)
        return utf8.size();
    // Cut just before a byte that starts a character (or is ASCII): the bytes on each side then encode
    // as they would together. A piece always starts at such a byte, so one is found.
    std::size_t end = begin + size;
    while (end > begin + 4 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        --end;
    return end;
}

} // namespace

aquine::Result<> writeDocumentFile(const std::filesystem::path& file, std::string_view utf8) {
    // Encoded a piece at a time, so a large document is never held a second time in full.
    std::size_t done = 0;
    std::string gbk;
    return aquine::writeFileAtomically(file, [&]() -> std::string_view {
        if (done == utf8.size())
            return {};
        const std::size_t end = utf8PieceEnd(utf8, done, kPieceSize);
        gbk = aquine::codec::utf8ToGbk(utf8.substr(done, end - done));
        done = end;
        return gbk;
    });
}

} // namespace aquinepad

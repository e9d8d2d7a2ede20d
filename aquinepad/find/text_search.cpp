// The scan is glibc's memmem, straight over the text or, when letters fold, over blocks of the text
// folded to lower case. No library has a memmem from the right, so a backward search takes blocks
// from its starting point towards the beginning and keeps the last occurrence of the first block that
// has one.
#include "aquinepad/find/text_search.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace aquinepad {

namespace {

// Large enough that memmem's set-up per call vanishes in the scan, small enough to stay in the cache
// and to keep the work proportional to the distance when the occurrence is near.
constexpr std::size_t kBlock = 64 * 1024;

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLetter(char c) { return isUpper(c) || (c >= 'a' && c <= 'z'); }
char foldLetter(char c) { return isUpper(c) ? static_cast<char>(c + ('a' - 'A')) : c; }

// Sixteen bytes at a time with the compiler's generic vectors (SSE2 on x86-64, NEON on ARM, plain code
// elsewhere): a byte loop would cost three times the scan it feeds.
using Lanes = unsigned char __attribute__((vector_size(16)));

void foldLetters(const char* from, std::size_t length, char* to) {
    std::size_t i = 0;
    for (; i + sizeof(Lanes) <= length; i += sizeof(Lanes)) {
        Lanes bytes;
        std::memcpy(&bytes, from + i, sizeof bytes);
        // Lanes of A-Z are all ones, the rest zero; only those gain the lower-case bit.
        const auto upper = reinterpret_cast<Lanes>(static_cast<Lanes>(bytes - static_cast<unsigned char>('A')) <
                                                   static_cast<unsigned char>(26));
        bytes |= upper & static_cast<unsigned char>(0x20);
        std::memcpy(to + i, &bytes, sizeof bytes);
    }
    for (; i < length; ++i)
        to[i] = foldLetter(from[i]);
}

class Scanner {
public:
    Scanner(std::string_view text, const SearchRequest& request) : m_text(text), m_needle(request.needle) {
        // Folding changes nothing when the needle has no letter to fold: the plain scan finds the same.
        m_fold = !request.matchCase && std::any_of(m_needle.begin(), m_needle.end(), isLetter);
        if (m_fold) {
            m_foldedNeedle.resize(m_needle.size());
            foldLetters(m_needle.data(), m_needle.size(), m_foldedNeedle.data());
            m_needle = m_foldedNeedle;
        }
    }

    std::optional<std::size_t> forward(std::size_t from) {
        const std::size_t n = m_text.size(), m = m_needle.size();
        if (!m_fold)
            return firstIn(from, n);
        // Each block holds every occurrence that begins in its first kBlock bytes.
        for (std::size_t start = from; start < n && n - start >= m; start += kBlock) {
            const std::size_t end = std::min(n, start + kBlock + m - 1);
            if (auto at = firstIn(start, end))
                return at;
        }
        return std::nullopt;
    }

    std::optional<std::size_t> backward(std::size_t before) {
        const std::size_t n = m_text.size(), m = m_needle.size();
        if (n < m)
            return std::nullopt;
        // Occurrences that begin in [low, high), nearest blocks first.
        for (std::size_t high = std::min(before, n - m + 1); high > 0;) {
            const std::size_t low = high > kBlock ? high - kBlock : 0;
            if (auto at = lastIn(low, high - 1 + m))
                return at;
            high = low;
        }
        return std::nullopt;
    }

private:
    // A UTF-8 character never begins with a continuation byte (10xxxxxx).
    bool isBoundary(std::size_t at) const {
        return at == 0 || at >= m_text.size() || (static_cast<unsigned char>(m_text[at]) & 0xC0) != 0x80;
    }
    bool isWholeCharacters(std::size_t at) const { return isBoundary(at) && isBoundary(at + m_needle.size()); }

    // The bytes of text[start, end) as the scan compares them.
    std::string_view bytes(std::size_t start, std::size_t end) {
        if (!m_fold)
            return m_text.substr(start, end - start);
        m_block.resize(end - start);
        foldLetters(m_text.data() + start, end - start, m_block.data());
        return m_block;
    }

    // The first occurrence in `view` that begins at or after its position p.
    const char* next(std::string_view view, std::size_t p) const {
        if (p > view.size())
            return nullptr;
        return static_cast<const char*>(::memmem(view.data() + p, view.size() - p, m_needle.data(), m_needle.size()));
    }

    static std::size_t offsetIn(std::string_view view, const char* p) {
        return static_cast<std::size_t>(p - view.data());
    }

    // The first occurrence lying wholly in text[start, end).
    std::optional<std::size_t> firstIn(std::size_t start, std::size_t end) {
        if (start >= end)
            return std::nullopt;
        const std::string_view view = bytes(start, end);
        for (const char* hit = next(view, 0); hit; hit = next(view, offsetIn(view, hit) + 1)) {
            const std::size_t at = start + offsetIn(view, hit);
            if (isWholeCharacters(at))
                return at;
        }
        return std::nullopt;
    }

    // The last occurrence lying wholly in text[start, end).
    std::optional<std::size_t> lastIn(std::size_t start, std::size_t end) {
        const std::string_view view = bytes(start, end);
        std::optional<std::size_t> last;
        for (const char* hit = next(view, 0); hit; hit = next(view, offsetIn(view, hit) + 1)) {
            const std::size_t at = start + offsetIn(view, hit);
            if (isWholeCharacters(at))
                last = at;
        }
        return last;
    }

    std::string_view m_text;
    std::string_view m_needle;
    bool m_fold = false;
    std::string m_foldedNeedle;
    std::string m_block;
};

} // namespace

std::optional<std::size_t> findOccurrence(std::string_view text, const SearchRequest& request, std::size_t from,
                                          SearchDirection direction) {
    if (request.needle.empty())
        return std::nullopt;
    Scanner scanner(text, request);
    return direction == SearchDirection::Forward ? scanner.forward(from) : scanner.backward(from);
}

} // namespace aquinepad

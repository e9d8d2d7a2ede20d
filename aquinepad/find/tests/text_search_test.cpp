// The search on its own: where each direction starts, which letters fold, whole characters only, and a
// comparison with a plain byte-by-byte search over long texts, so occurrences that straddle the blocks
// a search works in are found too.
#include "aquinepad/find/text_search.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace aquinepad;

namespace {

constexpr auto kForward = SearchDirection::Forward;
constexpr auto kBackward = SearchDirection::Backward;

std::optional<std::size_t> find(std::string_view text, std::string_view needle, std::size_t from,
                                SearchDirection direction, bool matchCase = true) {
    return findOccurrence(text, {needle, matchCase}, from, direction);
}

} // namespace

TEST(TextSearch, ForwardBeginsAtFromAndBackwardBeforeIt) {
    const std::string text = "abc abc abc";
    EXPECT_EQ(find(text, "abc", 0, kForward), 0u);
    EXPECT_EQ(find(text, "abc", 1, kForward), 4u);
    EXPECT_EQ(find(text, "abc", 4, kForward), 4u);
    EXPECT_EQ(find(text, "abc", 9, kForward), std::nullopt);
    EXPECT_EQ(find(text, "abc", 100, kForward), std::nullopt);

    EXPECT_EQ(find(text, "abc", 11, kBackward), 8u);
    EXPECT_EQ(find(text, "abc", 8, kBackward), 4u);
    EXPECT_EQ(find(text, "abc", 5, kBackward), 4u); // begins before from, ends after it
    EXPECT_EQ(find(text, "abc", 0, kBackward), std::nullopt);
    EXPECT_EQ(find(text, "abc", 100, kBackward), 8u);
}

TEST(TextSearch, NothingToFind) {
    EXPECT_EQ(find("abc", "", 0, kForward), std::nullopt);
    EXPECT_EQ(find("abc", "", 3, kBackward), std::nullopt);
    EXPECT_EQ(find("", "a", 0, kForward), std::nullopt);
    EXPECT_EQ(find("ab", "abc", 0, kForward, false), std::nullopt);
    EXPECT_EQ(find("ab", "abc", 2, kBackward, false), std::nullopt);
    EXPECT_EQ(find("xyz", "abc", 0, kForward, false), std::nullopt);
}

TEST(TextSearch, OnlyAsciiLettersFoldAndOnlyWhenAsked) {
    EXPECT_EQ(find("xx ABC", "abc", 0, kForward, false), 3u);
    EXPECT_EQ(find("xx abc", "ABC", 0, kForward, false), 3u);
    EXPECT_EQ(find("xx aBc", "AbC", 6, kBackward, false), 3u);
    EXPECT_EQ(find("xx ABC", "abc", 0, kForward, true), std::nullopt);
    EXPECT_EQ(find("xx ABC", "abc", 6, kBackward, true), std::nullopt);
    // Bytes one bit away from a letter's other case are not letters: '[' is not '{', '@' is not '`'.
    EXPECT_EQ(find("{x}", "[X]", 0, kForward, false), std::nullopt);
    EXPECT_EQ(find("`a", "@A", 0, kForward, false), std::nullopt);
    const std::string padding(40, '.'); // long enough to be folded many bytes at a time
    EXPECT_EQ(find(padding + "{x}`a" + padding, "[X]", 0, kForward, false), std::nullopt);
    EXPECT_EQ(find(padding + "{x}`a" + padding, "@A", 100, kBackward, false), std::nullopt);
    EXPECT_EQ(find(padding + "[x]@a" + padding, "[X]@A", 0, kForward, false), 40u);
    // Letters outside ASCII keep their case: É/é, full-width Ａ/ａ, Greek Σ/σ.
    EXPECT_EQ(find("café", "CAFÉ", 0, kForward, false), std::nullopt);
    EXPECT_EQ(find("ａｂ", "ＡＢ", 0, kForward, false), std::nullopt);
    EXPECT_EQ(find("σ", "Σ", 0, kForward, false), std::nullopt);
    // Chinese next to folded letters.
    EXPECT_EQ(find("中文Qt设置", "qT设置", 0, kForward, false), 6u);
}

TEST(TextSearch, NeverMatchesPartOfACharacter) {
    const std::string text = "中文";                               // E4 B8 AD E6 96 87
    EXPECT_EQ(find(text, "\xB8\xAD", 0, kForward), std::nullopt);  // the tail of 中
    EXPECT_EQ(find(text, "\xE4\xB8", 0, kForward), std::nullopt);  // the head of 中
    EXPECT_EQ(find(text, "\xAD\xE6", 6, kBackward), std::nullopt); // across the two
    EXPECT_EQ(find(text, "\xB8\xAD", 0, kForward, false), std::nullopt);
    // A part that is rejected does not hide a whole occurrence after it.
    EXPECT_EQ(find(text + "\xB8\xAD", "\xB8\xAD", 0, kForward), std::nullopt);
    EXPECT_EQ(find("中中", "中", 1, kForward), 3u);
    EXPECT_EQ(find("中中", "中", 5, kBackward), 3u);
}

namespace {

// The plain definition, one position at a time.
bool matchesAt(std::string_view text, std::string_view needle, std::size_t at, bool matchCase) {
    const auto fold = [matchCase](char c) { return !matchCase && c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    for (std::size_t i = 0; i < needle.size(); ++i)
        if (fold(text[at + i]) != fold(needle[i]))
            return false;
    const auto boundary = [&](std::size_t p) { return p >= text.size() || (text[p] & 0xC0) != 0x80; };
    return boundary(at) && boundary(at + needle.size());
}

std::optional<std::size_t> reference(std::string_view text, std::string_view needle, std::size_t from,
                                     SearchDirection direction, bool matchCase) {
    if (needle.empty() || needle.size() > text.size())
        return std::nullopt;
    const std::size_t lastStart = text.size() - needle.size();
    if (direction == kForward) {
        for (std::size_t at = from; at <= lastStart; ++at)
            if (matchesAt(text, needle, at, matchCase))
                return at;
    } else {
        for (std::size_t at = std::min(from, lastStart + 1); at-- > 0;)
            if (matchesAt(text, needle, at, matchCase))
                return at;
    }
    return std::nullopt;
}

class Random {
public:
    std::uint64_t next() {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return m_state >> 33;
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t m_state = 12345;
};

} // namespace

TEST(TextSearch, AgreesWithAPlainSearchOverLongTexts) {
    Random random;
    // Few distinct pieces, so needles of several pieces recur now and then across the text.
    const std::vector<std::string> pieces = {"a", "B", "ab", "中", "文", "x", " ", "\r\n", "Ab", "文中"};
    for (int round = 0; round < 6; ++round) {
        std::string text;
        std::vector<std::size_t> starts; // every position between characters
        while (text.size() < 300'000) {
            starts.push_back(text.size());
            text += pieces[random.below(pieces.size())];
        }
        for (int trial = 0; trial < 40; ++trial) {
            // A needle taken from the text, some of its letters in the other case, or one made up.
            const std::size_t first = random.below(starts.size() - 8);
            std::string needle = text.substr(starts[first], starts[first + 1 + random.below(6)] - starts[first]);
            for (char& c : needle)
                if (((c | 0x20) == 'a' || (c | 0x20) == 'b') && random.below(2))
                    c ^= 0x20;
            if (trial % 8 == 0)
                needle = "ab中x中Ba文";
            const std::size_t from = starts[random.below(starts.size())];
            for (const bool matchCase : {true, false})
                for (const auto direction : {kForward, kBackward})
                    ASSERT_EQ(find(text, needle, from, direction, matchCase),
                              reference(text, needle, from, direction, matchCase))
                        << "round " << round << " trial " << trial << " needle '" << needle << "' from " << from
                        << (matchCase ? " matching case" : " folding")
                        << (direction == kForward ? " forward" : " backward");
        }
    }
}

TEST(TextSearch, OccurrencesFarFromTheStartAndAcrossAnyBlock) {
    // One occurrence in a long text without letters elsewhere, placed near the start, the end, and
    // across every multiple of 16 KiB, whatever block size the search works in.
    const std::size_t size = 300'000;
    std::vector<std::size_t> places = {0, 1, size - 5, size - 4};
    for (std::size_t edge = 16384; edge < size; edge += 16384)
        for (std::size_t at = edge - 6; at <= edge + 2; ++at)
            places.push_back(at);
    std::string text(size, '.');
    for (const std::size_t at : places) {
        text.replace(at, 4, "AbCd");
        EXPECT_EQ(find(text, "abcd", 0, kForward, false), at);
        EXPECT_EQ(find(text, "abcd", size, kBackward, false), at);
        EXPECT_EQ(find(text, "AbCd", 0, kForward, true), at);
        EXPECT_EQ(find(text, "AbCd", size, kBackward, true), at);
        EXPECT_EQ(find(text, "AbCd", at + 1, kForward, false), std::nullopt);
        EXPECT_EQ(find(text, "AbCd", at, kBackward, false), std::nullopt);
        text.replace(at, 4, "....");
    }
}

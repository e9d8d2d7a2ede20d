// From an engine's character positions back to the editor's bytes, for Chinese, ASCII and mixed text,
// characters beyond the basic plane, line breaks, and bytes that are no characters at all.
#include "aquinepad/speech/spoken_text.h"

#include <gtest/gtest.h>

using aquinepad::SpokenText;
using aquinepad::TextRange;
using namespace std::string_literals;

namespace {

std::string word(const SpokenText& text, std::size_t position, std::size_t length) {
    const TextRange r = text.bytesOf(position, length);
    return text.forEngine().substr(r.start, r.end - r.start);
}

} // namespace

TEST(SpokenText, PositionsCountCharactersOfChineseAsciiMixedAndFourByteText) {
    // The words espeak-ng reports for this text, as (position, length) from 0.
    const SpokenText mixed("我的abc电脑 is 好的");
    const std::vector<std::pair<std::size_t, std::size_t>> events{{0, 1}, {1, 1}, {2, 3},  {5, 1},
                                                                  {6, 1}, {8, 2}, {11, 1}, {12, 1}};
    std::vector<std::string> words;
    for (const auto& [position, length] : events)
        words.push_back(word(mixed, position, length));
    EXPECT_EQ(words, (std::vector<std::string>{"我", "的", "abc", "电", "脑", "is", "好", "的"}));
    EXPECT_EQ(mixed.bytesOf(5, 1), (TextRange{9, 12}));

    // Characters beyond the basic plane, each half of a line break, a combining accent: one each.
    const SpokenText text("a😀b\r\n𠀀c é");
    EXPECT_EQ(word(text, 1, 1), "😀");
    EXPECT_EQ(word(text, 5, 1), "𠀀");
    EXPECT_EQ(word(text, 6, 1), "c");
    EXPECT_EQ(word(text, 8, 2), "é");
}

TEST(SpokenText, NulAndMalformedBytesBecomeSpacesOneForOne) {
    // A NUL would end the engine's text; \xFF, a cut-off lead byte, an encoded surrogate and an
    // overlong slash are no characters.
    const std::string bytes = "a\0b\xFF\xE4中\xED\xA0\x80\xC0\xAF好"s;
    const SpokenText text(bytes);
    EXPECT_EQ(text.forEngine(), "a b  中     好");
    EXPECT_EQ(text.forEngine().size(), bytes.size());
    EXPECT_EQ(text.bytesOf(5, 1), (TextRange{5, 8}));
    EXPECT_EQ(text.bytesOf(11, 1), (TextRange{13, 16}));
}

TEST(SpokenText, PositionsPastTheEndStayInsideTheText) {
    const SpokenText text("中文");
    EXPECT_EQ(text.bytesOf(1, 5), (TextRange{3, 6}));
    EXPECT_EQ(text.bytesOf(7, 1), (TextRange{6, 6}));
    EXPECT_EQ(text.bytesOf(0, static_cast<std::size_t>(-1)), (TextRange{0, 6}));
    EXPECT_EQ(SpokenText("").bytesOf(0, 1), (TextRange{0, 0}));
}

TEST(SpokenText, LongTextsMapEveryPositionAsAShortOneDoes) {
    std::string utf8;
    for (int i = 0; i < 3000; ++i)
        utf8 += i % 3 == 0 ? "中" : i % 3 == 1 ? "a" : "😀";
    const SpokenText text(utf8);
    std::size_t byte = 0;
    for (std::size_t character = 0; character < 3000; ++character) {
        const std::size_t size = character % 3 == 0 ? 3 : character % 3 == 1 ? 1 : 4;
        ASSERT_EQ(text.bytesOf(character, 1), (TextRange{byte, byte + size})) << character;
        byte += size;
    }
    EXPECT_EQ(text.bytesOf(3000, 1), (TextRange{byte, byte}));
}

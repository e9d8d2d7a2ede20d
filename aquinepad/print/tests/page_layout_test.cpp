// Printed lines and pages: line ends, wrapping at character boundaries (never inside a UTF-8 sequence,
// never before a combining mark), tabs, pages, and one measurement per character however long the text.
#include "aquinepad/print/page_layout.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using namespace aquinepad;

namespace {

// A monospaced printer in miniature: ASCII 1 wide, CJK and emoji 2 wide, combining marks 0.
double width(char32_t cp) {
    if (cp >= 0x0300 && cp <= 0x036F)
        return 0;
    return cp < 0x1100 ? 1 : 2;
}

std::vector<std::vector<std::string>> pages(std::string_view text, double lineWidth, int linesPerPage = 1000,
                                            double tabWidth = 8) {
    PageBreaker breaker(text, {lineWidth, tabWidth, linesPerPage}, width);
    std::vector<std::vector<std::string>> out;
    std::vector<PrintedLine> lines;
    while (breaker.nextPage(lines)) {
        auto& page = out.emplace_back();
        for (const PrintedLine& line : lines)
            page.emplace_back(text.substr(line.start, line.end - line.start));
    }
    return out;
}

std::vector<std::string> lines(std::string_view text, double lineWidth, double tabWidth = 8) {
    auto all = pages(text, lineWidth, 1000, tabWidth);
    EXPECT_EQ(all.size(), 1u) << "expected one page";
    return all.empty() ? std::vector<std::string>{} : all.front();
}

using Lines = std::vector<std::string>;

} // namespace

TEST(PageLayout, EveryKindOfLineEndBreaksTheLineOnce) {
    EXPECT_EQ(lines("a\r\nb\nc\rd", 80), (Lines{"a", "b", "c", "d"}));
    // CR CR LF is a CR and then a CR LF; LF CR is two line ends, not one.
    EXPECT_EQ(lines("a\r\r\nb", 80), (Lines{"a", "", "b"}));
    EXPECT_EQ(lines("a\n\rb", 80), (Lines{"a", "", "b"}));
    EXPECT_EQ(lines("\r\n\r\n", 80), (Lines{"", ""}));
}

TEST(PageLayout, AFinalLineEndStartsNoLineAndAnEmptyTextIsOneBlankPage) {
    EXPECT_EQ(lines("中文\r\n", 80), (Lines{"中文"}));
    EXPECT_EQ(lines("\r\n", 80), (Lines{""}));

    PageBreaker breaker("", {80, 8, 10}, width);
    std::vector<PrintedLine> page{{1, 2}};
    EXPECT_TRUE(breaker.nextPage(page));
    EXPECT_TRUE(page.empty());
    EXPECT_FALSE(breaker.nextPage(page));
}

TEST(PageLayout, LongLinesWrapAtCharacterBoundariesAndAnythingWiderStandsAlone) {
    EXPECT_EQ(lines("0123456789abc", 10), (Lines{"0123456789", "abc"}));
    // Two-wide characters on an odd width: the one that would stick out starts the next line.
    EXPECT_EQ(lines("中文字体", 5), (Lines{"中文", "字体"}));
    EXPECT_EQ(lines("a中文", 4), (Lines{"a中", "文"}));
    // A character outside the BMP (a surrogate pair on the printer's side) moves as a whole.
    EXPECT_EQ(lines("ab\U0001F600c", 3), (Lines{"ab", "\U0001F600c"}));
    // A combining mark stays with its letter, even where the line is full.
    EXPECT_EQ(lines("ae\u0301b", 2), (Lines{"ae\u0301", "b"}));
    // Wrapping and a line end at the same place give one break, not an empty line.
    EXPECT_EQ(lines("0123456789\r\nab", 10), (Lines{"0123456789", "ab"}));
    // A character wider than the line gets a line of its own rather than stopping the print.
    EXPECT_EQ(lines("a中b", 1), (Lines{"a", "中", "b"}));
    EXPECT_EQ(lines("中文", 0), (Lines{"中", "文"}));
}

TEST(PageLayout, TabsAdvanceToTheNextStopOfThePrintedLine) {
    EXPECT_EQ(lines("a\tb", 5, 4), (Lines{"a\tb"}));
    // The tab fills to 4; b would end at 5: it wraps, and a tab that starts a line takes a whole stop.
    EXPECT_EQ(lines("a\tb", 4, 4), (Lines{"a\t", "b"}));
    EXPECT_EQ(lines("abc\t\tx", 5, 4), (Lines{"abc\t", "\tx"}));

    const std::string text = "ab\tc\t\t中";
    const auto runs = splitAtTabs(text, {0, text.size()}, 4, width);
    EXPECT_EQ(runs, (std::vector<TextRun>{{0, 2, 0}, {3, 4, 4}, {6, text.size(), 12}}));
    EXPECT_EQ(nextTabStop(4, 4), 8); // a tab on a stop goes to the next one
    EXPECT_EQ(nextTabStop(4.5, 4), 8);
}

TEST(PageLayout, LinesFillPagesWithoutATrailingBlankPage) {
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += "line" + std::to_string(i) + "\r\n";
    const auto got = pages(text, 80, 3);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0], (Lines{"line0", "line1", "line2"}));
    EXPECT_EQ(got[3], (Lines{"line9"}));
    EXPECT_EQ(pages(text, 80, 5).size(), 2u);  // ten lines exactly fill two pages
    EXPECT_EQ(pages(text, 80, 0).size(), 10u); // a page holds at least one line
}

TEST(PageLayout, ThousandsOfPagesMeasureEachCharacterOnceAndCoverTheText) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "第" + std::to_string(i) + "行：很长的一行文字会折成几行。\tEnd\n";
    std::size_t measured = 0;
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto ch = decodeUtf8At(text, pos);
        characters += ch.codePoint != U'\n' && ch.codePoint != U'\t';
        pos += ch.length;
    }
    PageBreaker breaker(text, {20, 8, 50}, [&](char32_t cp) {
        ++measured;
        return width(cp);
    });
    std::vector<PrintedLine> lines;
    std::size_t pageCount = 0, lineCount = 0, last = 0;
    while (breaker.nextPage(lines)) {
        ++pageCount;
        lineCount += lines.size();
        EXPECT_GE(breaker.position(), last);
        last = breaker.position();
    }
    EXPECT_EQ(measured, characters);
    EXPECT_EQ(breaker.position(), text.size());
    EXPECT_GT(lineCount, 20000u * 2);
    EXPECT_EQ(pageCount, (lineCount + 49) / 50);
}

TEST(PageLayout, RandomTextIsCutOnlyBetweenCharactersAndComesBackWhole) {
    const std::vector<std::string> pieces = {"a",      "Z",  " ",    "中", "文", "\U0001F600",  "\U00020000",
                                             "\u0301", "\t", "\r\n", "\n", "\r", "\xef\x9e\x80" /* a kept raw byte */};
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i)
            text += pieces[random() % pieces.size()];
        const double lineWidth = static_cast<double>(random() % 12);
        PageBreaker breaker(text, {lineWidth, 4, 1 + static_cast<int>(random() % 5)}, width);
        std::vector<PrintedLine> page;
        std::string rebuilt;
        std::size_t next = 0;
        while (breaker.nextPage(page)) {
            for (const PrintedLine& line : page) {
                ASSERT_GE(line.start, next);
                // Between two printed lines there is nothing, or exactly one line end.
                const std::string between = text.substr(next, line.start - next);
                ASSERT_TRUE(between.empty() || between == "\r\n" || between == "\n" || between == "\r");
                for (const std::size_t cut : {line.start, line.end})
                    ASSERT_TRUE(cut == text.size() || (static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80)
                        << "cut inside a character at " << cut;
                ASSERT_TRUE(line.end == text.size() || text.compare(line.end, 2, "\xcc\x81") != 0)
                    << "a combining mark was parted from its letter";
                double x = 0;
                int visible = 0; // characters that take room
                for (std::size_t pos = line.start; pos < line.end;) {
                    const auto ch = decodeUtf8At(text, pos);
                    const double after = ch.codePoint == U'\t' ? nextTabStop(x, 4) : x + width(ch.codePoint);
                    visible += after > x;
                    x = after;
                    pos += ch.length;
                }
                ASSERT_TRUE(x <= lineWidth || visible == 1) << "line too wide: " << x;
                rebuilt += between + text.substr(line.start, line.end - line.start);
                next = line.end;
            }
        }
        const std::string rest = text.substr(next);
        ASSERT_TRUE(rest.empty() || rest == "\r\n" || rest == "\n" || rest == "\r");
        ASSERT_EQ(rebuilt + rest, text);
    }
}

TEST(PageLayout, BytesThatAreNotUtf8CountAsOneCharacterEach) {
    EXPECT_EQ(decodeUtf8At("\xe4\xb8\xad", 0).codePoint, U'中');
    EXPECT_EQ(decodeUtf8At("\xe4\xb8\xad", 0).length, 3u);
    for (const std::string bad : {"\xff", "\xe4\xb8", "\xc0\x80", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\x80"}) {
        const auto ch = decodeUtf8At(bad, 0);
        EXPECT_EQ(ch.codePoint, 0xFFFDu) << bad;
        EXPECT_EQ(ch.length, 1u) << bad;
    }
    EXPECT_EQ(lines("\xff\xfe\xe4\xb8", 4), (Lines{"\xff\xfe", "\xe4\xb8"})); // U+FFFD is 2 wide here
}

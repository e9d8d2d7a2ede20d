// How a plain text falls onto printed pages: its lines, wrapped at character boundaries where they are
// wider than the paper, and gathered into pages. Pure logic on the editor's UTF-8 text; the printer
// hands in how wide each character is.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace aquinepad {

// The advance width of one character (a Unicode code point), in the units of PageGeometry. A character
// of width 0 (a combining mark, a joiner) always stays on the line of the character before it.
using MeasureCharacter = std::function<double(char32_t)>;

struct PageGeometry {
    double lineWidth = 0; // the width a printed line may fill
    double tabWidth = 0;  // distance between tab stops, counted from each printed line's left edge
    int linesPerPage = 1; // taken as 1 when smaller: a page always holds a line
};

// One printed line: bytes [start, end) of the text, without the line end.
struct PrintedLine {
    std::size_t start = 0;
    std::size_t end = 0;
    bool operator==(const PrintedLine&) const = default;
};

// One piece of a printed line between tabs, and where it starts on the line.
struct TextRun {
    std::size_t start = 0;
    std::size_t end = 0;
    double x = 0;
    bool operator==(const TextRun&) const = default;
};

// Gives the pages one at a time, so printing a long text keeps only one page of line positions and
// reads each character once. The text must outlive the breaker and stay unchanged.
//
// Line ends are CR LF, LF or CR. A line end at the very end of the text ends the last line without
// starting another, so a text ending in a line end prints no blank page. Bytes that are not UTF-8 count
// as one character each, so a damaged text still prints and the breaker never stalls.
class PageBreaker {
public:
    PageBreaker(std::string_view utf8, PageGeometry geometry, MeasureCharacter measure);

    // Fills `lines` with the next page's lines and returns true, or returns false when every page has
    // been given. An empty text gives one page without lines: the job still has its page.
    bool nextPage(std::vector<PrintedLine>& lines);
    // How many bytes of the text the pages given so far cover.
    std::size_t position() const { return m_pos; }

private:
    PrintedLine nextLine();

    std::string_view m_text;
    PageGeometry m_geometry;
    MeasureCharacter m_measure;
    std::size_t m_pos = 0;
    // The character that did not fit on the last line was measured already; it starts the next one.
    double m_carriedWidth = -1;
    bool m_moreLines;
    bool m_pageGiven = false;
};

// The next code point of the text at `pos` and its length in bytes (at least 1). A byte that does not
// start a well-formed UTF-8 sequence is U+FFFD of length 1.
struct DecodedCharacter {
    char32_t codePoint;
    std::size_t length;
};
DecodedCharacter decodeUtf8At(std::string_view text, std::size_t pos);

// The first tab stop after x.
double nextTabStop(double x, double tabWidth);

// Splits a printed line at its tabs into the runs to draw, each with its place on the line, measured
// the way PageBreaker measured the line. Tabs themselves are not part of any run.
std::vector<TextRun> splitAtTabs(std::string_view utf8, PrintedLine line, double tabWidth,
                                 const MeasureCharacter& measure);

} // namespace aquinepad

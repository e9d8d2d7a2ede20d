// Line wrapping and page breaking for printing.
#include "aquinepad/print/page_layout.h"

#include <cmath>
#include <utility>

namespace aquinepad {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Widths are sums of many floating-point advances: a line that fits exactly must not wrap because of
// the last bits of a rounding error.
bool exceeds(double x, double limit) { return x > limit + 1e-6 * (1.0 + std::fabs(limit)); }

} // namespace

DecodedCharacter decodeUtf8At(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80, high = 0xBF; // the range the second byte must fall in
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates are not characters
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90; // overlong
        if (lead == 0xF4)
            high = 0x8F; // beyond U+10FFFF
    } else {
        return {kReplacement, 1};
    }
    if (pos + length > text.size() || byte(1) < low || byte(1) > high)
        return {kReplacement, 1};
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(byte(i)))
            return {kReplacement, 1};
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    return {cp, length};
}

double nextTabStop(double x, double tabWidth) {
    if (!(tabWidth > 0))
        return x;
    // The stop strictly after x, allowing for a rounding error when x is already on a stop.
    const double stops = std::floor(x / tabWidth + 1e-9) + 1;
    return stops * tabWidth;
}

PageBreaker::PageBreaker(std::string_view utf8, PageGeometry geometry, MeasureCharacter measure)
    : m_text(utf8), m_geometry(geometry), m_measure(std::move(measure)), m_moreLines(!utf8.empty()) {
    if (m_geometry.linesPerPage < 1)
        m_geometry.linesPerPage = 1;
}

bool PageBreaker::nextPage(std::vector<PrintedLine>& lines) {
    lines.clear();
    if (m_pageGiven && !m_moreLines)
        return false;
    while (m_moreLines && lines.size() < static_cast<std::size_t>(m_geometry.linesPerPage))
        lines.push_back(nextLine());
    m_pageGiven = true;
    return true;
}

PrintedLine PageBreaker::nextLine() {
    const std::size_t start = m_pos;
    double x = 0;
    PrintedLine line{start, m_text.size()};
    while (m_pos < m_text.size()) {
        const char c = m_text[m_pos];
        if (c == '\n' || c == '\r') {
            line.end = m_pos;
            m_pos += (c == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n') ? 2 : 1;
            break;
        }
        const DecodedCharacter ch = decodeUtf8At(m_text, m_pos);
        double width = 0;
        if (ch.codePoint == U'\t')
            width = nextTabStop(x, m_geometry.tabWidth) - x;
        else if (m_carriedWidth >= 0)
            width = m_carriedWidth;
        else
            width = m_measure(ch.codePoint);
        m_carriedWidth = -1;
        // Wrap before a character that does not fit, unless it is the line's first: a character wider
        // than the paper still gets a line of its own rather than stopping the print.
        if (width > 0 && m_pos > start && exceeds(x + width, m_geometry.lineWidth)) {
            if (ch.codePoint != U'\t')
                m_carriedWidth = width;
            line.end = m_pos;
            break;
        }
        x += width;
        m_pos += ch.length;
    }
    m_moreLines = m_pos < m_text.size();
    return line;
}

std::vector<TextRun> splitAtTabs(std::string_view utf8, PrintedLine line, double tabWidth,
                                 const MeasureCharacter& measure) {
    std::vector<TextRun> runs;
    TextRun run{line.start, line.start, 0};
    double x = 0;
    for (std::size_t pos = line.start; pos < line.end;) {
        const DecodedCharacter ch = decodeUtf8At(utf8, pos);
        if (ch.codePoint == U'\t') {
            if (run.end > run.start)
                runs.push_back(run);
            x = nextTabStop(x, tabWidth);
            run = TextRun{pos + 1, pos + 1, x};
        } else {
            x += measure(ch.codePoint);
            run.end = pos + ch.length;
        }
        pos += ch.length;
    }
    if (run.end > run.start)
        runs.push_back(run);
    return runs;
}

} // namespace aquinepad

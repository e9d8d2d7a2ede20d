// Drawing the laid-out pages with QPainter on a QPrinter (CUPS or a PDF file).
#include "aquinepad/print/text_printer.h"

#include "aquinepad/editor/plain_editor.h"
#include "aquinepad/print/page_layout.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <unordered_map>
#include <vector>

namespace aquinepad {

namespace {

// The editor keeps tab stops every eight spaces; paper does the same.
constexpr int kTabColumns = 8;

QString qText(std::string_view utf8, std::size_t start, std::size_t end) {
    return QString::fromUtf8(utf8.data() + start, static_cast<qsizetype>(end - start));
}

// Advance widths on the printer's own resolution, each character measured once: a long document
// repeats a few thousand characters millions of times.
class CharacterWidths {
public:
    CharacterWidths(const QFont& font, QPaintDevice* device) : m_metrics(font, device) {}

    double operator()(char32_t cp) {
        const auto [it, added] = m_widths.try_emplace(cp, 0.0);
        if (added)
            it->second = m_metrics.horizontalAdvance(QString::fromUcs4(&cp, 1));
        return it->second;
    }
    const QFontMetricsF& metrics() const { return m_metrics; }

private:
    QFontMetricsF m_metrics;
    std::unordered_map<char32_t, double> m_widths;
};

} // namespace

QFont printFont() {
    QFont font(PlainEditor::fontFamily());
    // The design's 16 px are screen pixels at 96 dpi: 12 points on paper, whatever the printer's
    // resolution.
    font.setPointSizeF(16 * 72.0 / 96);
    font.setWeight(QFont::Normal);
    return font;
}

void setEqualMargins(QPrinter& printer) {
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF least = layout.minimumMargins();
    const double margin = std::max({kPrintMarginMm, least.left(), least.top(), least.right(), least.bottom()});
    printer.setPageMargins(QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
}

aquine::Result<> printText(QPrinter& printer, std::string_view utf8, const PrintProgress& progress) {
    // A printer that prints copies itself is given the document once; for one that does not (a PDF
    // file), each copy is printed in turn.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const int firstPage = printer.fromPage(); // 0: the whole document
    const int lastPage = printer.toPage();

    QPainter painter;
    if (!painter.begin(&printer))
        return aquine::fail("无法开始打印作业：打印机或输出文件不可用。");
    const QFont font = printFont();
    painter.setFont(font);
    CharacterWidths widths(font, &printer);
    const QFontMetricsF& metrics = widths.metrics();
    // The painter's origin is the top-left corner inside the margins.
    const QRectF area = printer.pageRect(QPrinter::DevicePixel);
    const PageGeometry geometry{
        .lineWidth = area.width(),
        .tabWidth = kTabColumns * widths(U' '),
        .linesPerPage = static_cast<int>(area.height() / std::max(1.0, metrics.lineSpacing())),
    };
    const MeasureCharacter measure = std::ref(widths);

    bool pageOpen = true; // begin() opened the first page
    std::vector<PrintedLine> lines;
    for (int copy = 0; copy < copies; ++copy) {
        PageBreaker breaker(utf8, geometry, measure);
        for (int page = 1; breaker.nextPage(lines); ++page) {
            if (page < firstPage)
                continue;
            if (lastPage > 0 && page > lastPage)
                break;
            if (!pageOpen && !printer.newPage())
                return aquine::fail("打印机报告了错误，打印没有完成。");
            pageOpen = false;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const double baseline = static_cast<double>(i) * metrics.lineSpacing() + metrics.ascent();
                for (const TextRun& run : splitAtTabs(utf8, lines[i], geometry.tabWidth, measure))
                    painter.drawText(QPointF(run.x, baseline), qText(utf8, run.start, run.end));
            }
            const std::size_t total = utf8.size() * static_cast<std::size_t>(copies);
            if (progress)
                progress(utf8.size() * static_cast<std::size_t>(copy) + breaker.position(), total);
        }
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return aquine::fail("打印机报告了错误，打印没有完成。");
    return {};
}

} // namespace aquinepad

// Turtle space to pixels, the layer's painter, and the panel's repaint: page, layer, turtle.
#include "aquinepad/logo/turtle_panel.h"

#include "common/qt/gbk_qt.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace aquinepad {

using logo::Ink;
using logo::TurtlePoint;

namespace {

// Far beyond any screen, but small enough for the rasteriser: a turtle sent a million steps away still
// draws its line off the edge instead of an overflow.
double bounded(double v) { return std::isfinite(v) ? std::clamp(v, -1.0e6, 1.0e6) : 0.0; }

} // namespace

TurtlePanel::TurtlePanel(QSize size, QWidget* parent)
    : QWidget(parent), m_layer(size, QImage::Format_ARGB32_Premultiplied) {
    setFixedSize(size);
    m_layer.fill(Qt::transparent);
    QFont f = font();
    f.setPixelSize(14);
    setFont(f);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TurtlePanel::~TurtlePanel() { endPainting(); }

QPainter& TurtlePanel::painter(Ink ink) {
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_layer);
        m_painter->setRenderHint(QPainter::Antialiasing, false);
        m_painter->setBrush(Qt::NoBrush);
        m_painter->setFont(font());
        m_painterInk = ink == Ink::Pen ? Ink::Eraser : Ink::Pen; // forces the set-up below
    }
    if (m_painterInk != ink) {
        m_painterInk = ink;
        if (ink == Ink::Pen) {
            m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
            m_painter->setPen(QPen(Qt::black, 1));
        } else {
            m_painter->setCompositionMode(QPainter::CompositionMode_Clear);
            m_painter->setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
    }
    return *m_painter;
}

void TurtlePanel::endPainting() {
    if (m_painter) {
        m_painter->end();
        m_painter.reset();
    }
}

QPointF TurtlePanel::toPixel(TurtlePoint point) const {
    return {m_layer.width() / 2 + bounded(point.x), m_layer.height() / 2 - bounded(point.y)};
}

void TurtlePanel::drawLine(TurtlePoint from, TurtlePoint to, Ink ink) {
    painter(ink).drawLine(toPixel(from), toPixel(to));
    update();
}

// An outline that fits the view goes to QPainter whole. A larger one is drawn only where it crosses the
// view, as short chords about 2 px long: QPainter would trace all of a circle a million pixels round
// (11 ms) to show the few hundred pixels of it that land on the panel.
void TurtlePanel::drawEllipse(TurtlePoint centre, double rx, double ry, Ink ink) {
    const auto arcs = logo::visibleArcs(centre, rx, ry, view());
    if (arcs.empty())
        return;
    if (arcs.size() == 1 && arcs.front().first == 0 && arcs.front().second == 2 * std::numbers::pi &&
        std::max(std::fabs(rx), std::fabs(ry)) < 2 * std::max(m_layer.width(), m_layer.height())) {
        painter(ink).drawEllipse(toPixel(centre), std::fabs(rx), std::fabs(ry));
    } else {
        QPainter& p = painter(ink);
        const double reach = std::max(std::fabs(rx), std::fabs(ry));
        for (const auto& [from, to] : arcs) {
            const int chords = std::clamp(static_cast<int>(std::ceil((to - from) * reach / 2)), 1, 8192);
            QPolygonF line;
            line.reserve(chords + 1);
            for (int i = 0; i <= chords; ++i) {
                const double t = from + (to - from) * i / chords;
                line << toPixel({centre.x + rx * std::cos(t), centre.y + ry * std::sin(t)});
            }
            p.drawPolyline(line);
        }
    }
    update();
}

void TurtlePanel::drawText(TurtlePoint at, const std::string& gbkText, Ink ink) {
    QPainter& p = painter(ink);
    const QPointF origin = toPixel(at);
    const QStringList lines = aquine::qFromGbk(gbkText).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    const qreal step = p.fontMetrics().lineSpacing();
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(origin + QPointF(0, i * step), lines.at(i));
    update();
}

void TurtlePanel::clear() {
    endPainting();
    m_layer.fill(Qt::transparent);
    update();
}

void TurtlePanel::setBackgroundPicture(const QByteArray& bytes) {
    m_background = QImage::fromData(bytes);
    update();
}

void TurtlePanel::paintBackground(QPainter& p) const {
    p.fillRect(QRect(QPoint(0, 0), m_layer.size()), Qt::white);
    if (m_background.isNull())
        return;
    const QSize fitted = m_background.size().scaled(m_layer.size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((m_layer.width() - fitted.width()) / 2, (m_layer.height() - fitted.height()) / 2),
                       fitted);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, m_background);
}

QImage TurtlePanel::strokes() {
    endPainting();
    return m_layer;
}

void TurtlePanel::restoreStrokes(const QImage& strokes) {
    endPainting();
    if (strokes.size() == m_layer.size())
        m_layer = strokes.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    update();
}

QImage TurtlePanel::picture() {
    endPainting();
    QImage out(m_layer.size(), QImage::Format_RGB32);
    QPainter p(&out);
    paintBackground(p);
    p.drawImage(0, 0, m_layer);
    return out;
}

// A small arrowhead at the turtle's place, pointing where it heads; green, so it never reads as ink.
void TurtlePanel::paintTurtle(QPainter& p) const {
    const auto& state = m_turtle.state();
    const QPointF at = toPixel(state.position);
    const double a = state.heading * std::numbers::pi / 180.0;
    const auto offset = [&](double along, double across) {
        return at + QPointF(along * std::sin(a) + across * std::cos(a), -along * std::cos(a) + across * std::sin(a));
    };
    QPainterPath arrow;
    arrow.moveTo(offset(10, 0));
    arrow.lineTo(offset(-5, 6));
    arrow.lineTo(offset(-2, 0));
    arrow.lineTo(offset(-5, -6));
    arrow.closeSubpath();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 110, 0), 1));
    p.setBrush(QColor(60, 190, 60, 200));
    p.drawPath(arrow);
}

void TurtlePanel::setTurtleShown(bool shown) {
    m_turtleShown = shown;
    update();
}

void TurtlePanel::paintEvent(QPaintEvent*) {
    endPainting();
    QPainter p(this);
    paintBackground(p);
    p.drawImage(0, 0, m_layer);
    if (m_turtleShown)
        paintTurtle(p);
}

} // namespace aquinepad

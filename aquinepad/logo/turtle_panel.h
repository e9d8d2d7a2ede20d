// The drawing panel of the Logo window: the turtle's strokes kept in an image layer over a white page
// or a background picture, with the turtle drawn on top.
#pragma once

#include "aquinepad/logo/turtle.h"

#include <QImage>
#include <QWidget>
#include <memory>

class QPainter;

namespace aquinepad {

// Pixels: the origin of turtle space is the centre of the panel, y grows upward. The pen is black and
// 1 px wide, drawn without smoothing so a line lands on whole pixels. Strokes go into a transparent
// layer as large as the panel, so a repaint never replays the history; the eraser clears the layer
// (3 px wide, enough to take away a 1 px line retraced with rounding) and so shows whatever lies below:
// the white page, or the background picture scaled to fit the panel with its proportions kept, centred.
class TurtlePanel : public QWidget, public logo::TurtleCanvas {
public:
    // The panel keeps the size it is made with, and its layer with it.
    explicit TurtlePanel(QSize size, QWidget* parent = nullptr);
    ~TurtlePanel() override;

    logo::Turtle& turtle() { return m_turtle; }

    // Bytes of a picture file; bytes that are no picture Qt can read leave the panel without one.
    void setBackgroundPicture(const QByteArray& bytes);
    bool hasBackgroundPicture() const { return !m_background.isNull(); }

    // What the user sees of the drawing, without the turtle: the page or picture with the strokes on it.
    QImage picture();
    // The strokes alone, to be put back later (a command line that fails takes back what it drew).
    QImage strokes();
    void restoreStrokes(const QImage& strokes);
    logo::TurtleView view() const { return {double(m_layer.width()), double(m_layer.height())}; }
    // The arrow is hidden while a command line runs elsewhere, since the turtle it shows has not moved yet.
    void setTurtleShown(bool shown);

    void drawLine(logo::TurtlePoint from, logo::TurtlePoint to, logo::Ink ink) override;
    void drawEllipse(logo::TurtlePoint centre, double rx, double ry, logo::Ink ink) override;
    void drawText(logo::TurtlePoint at, const std::string& gbkText, logo::Ink ink) override;
    void clear() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // One painter stays open on the layer between strokes, since opening one per stroke costs more than
    // the stroke; it is closed before the layer is read or replaced.
    QPainter& painter(logo::Ink ink);
    void endPainting();
    QPointF toPixel(logo::TurtlePoint point) const;
    void paintBackground(QPainter& painter) const;
    void paintTurtle(QPainter& painter) const;

    QImage m_layer;
    QImage m_background;
    std::unique_ptr<QPainter> m_painter;
    logo::Ink m_painterInk = logo::Ink::Pen;
    bool m_turtleShown = true;
    logo::Turtle m_turtle{*this};
};

} // namespace aquinepad

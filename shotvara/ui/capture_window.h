// The borderless window over the whole screen that shows the frozen picture and the rubber band.
#pragma once

#include "shotvara/core/selection.h"
#include "shotvara/platform/screen_grab.h"

#include <QRect>
#include <QWidget>

namespace shotvara {

class CaptureWindow : public QWidget {
    Q_OBJECT

public:
    // Sized to the screen it will cover; nothing is shown yet.
    explicit CaptureWindow(const QRect& screenGeometry, QWidget* parent = nullptr);

    void setPicture(ScreenPicture picture);

    const QImage& picture() const { return m_picture.image; }
    // Shows the frozen picture over the whole screen again, without an outline.
    void showCapture();

signals:
    // A rectangle of the picture in its own (physical) pixels was selected.
    void selected(const QRect& pixels);
    // The user left without selecting (Escape).
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void leave();
    double pixelRatio() const;
    Point toPixels(const QPointF& logical) const;
    QRectF toLogical(const Rect& pixels) const;
    // The area the outline and the size label of this selection cover, for partial repaints.
    QRect decorationBounds(const Rect& pixels) const;
    QRect sizeLabelRect(const Rect& pixels, const QString& text) const;

    ScreenPicture m_picture;
    RubberBand m_band{Size{}};
};

} // namespace shotvara

// Capture window: frozen screen, rubber band with its live size, Escape to leave.
#include "shotvara/ui/capture_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace shotvara {

namespace {

constexpr int kLabelPadding = 4;
constexpr int kLabelGap = 4;

QString sizeText(const Rect& r) { return QStringLiteral("%1 × %2").arg(r.width).arg(r.height); }

} // namespace

CaptureWindow::CaptureWindow(const QRect& screenGeometry, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    // Every pixel is painted from the picture: no background fill to flicker through first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    m_picture.geometry = screenGeometry;
    setGeometry(screenGeometry);
}

void CaptureWindow::setPicture(ScreenPicture picture) {
    m_picture = std::move(picture);
    m_band = RubberBand(Size{m_picture.image.width(), m_picture.image.height()});
    update();
}

void CaptureWindow::showCapture() {
    m_band.cancel();
    setGeometry(m_picture.geometry);
    showFullScreen();
    raise();
    activateWindow();
    update();
}

double CaptureWindow::pixelRatio() const { return m_picture.image.isNull() ? 1.0 : m_picture.image.devicePixelRatio(); }

Point CaptureWindow::toPixels(const QPointF& logical) const {
    const double ratio = pixelRatio();
    return {qRound(logical.x() * ratio), qRound(logical.y() * ratio)};
}

QRectF CaptureWindow::toLogical(const Rect& pixels) const {
    const double ratio = pixelRatio();
    return {pixels.x / ratio, pixels.y / ratio, pixels.width / ratio, pixels.height / ratio};
}

QRect CaptureWindow::sizeLabelRect(const Rect& pixels, const QString& text) const {
    const QRect area = toLogical(pixels).toAlignedRect();
    const QSize textSize = fontMetrics().size(Qt::TextSingleLine, text);
    QRect label(0, 0, textSize.width() + 2 * kLabelPadding, textSize.height() + 2 * kLabelPadding);
    // Above the top-left corner; inside the selection when the screen's top edge leaves no room.
    label.moveTopLeft({area.left(), area.top() - label.height() - kLabelGap});
    if (label.top() < 0)
        label.moveTop(area.top() + kLabelGap);
    if (label.right() >= width())
        label.moveRight(width() - 1);
    return label;
}

QRect CaptureWindow::decorationBounds(const Rect& pixels) const {
    if (pixels.isEmpty() && !m_band.selecting())
        return {};
    const QRect outline = toLogical(pixels).toAlignedRect().adjusted(-2, -2, 2, 2);
    return outline.united(sizeLabelRect(pixels, sizeText(pixels)).adjusted(-1, -1, 1, 1));
}

void CaptureWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect target = event->rect();
    const double ratio = pixelRatio();
    const QRectF source(target.x() * ratio, target.y() * ratio, target.width() * ratio, target.height() * ratio);
    painter.drawImage(QRectF(target), m_picture.image, source);
    if (!m_band.selecting())
        return;

    const Rect pixels = m_band.current();
    // White under black dashes: the outline shows on any background. It lies just outside the selected
    // pixels, so the user sees exactly what will be copied.
    const QRectF outline = toLogical(pixels).adjusted(-0.5, -0.5, 0.5, 0.5);
    QPen pen(Qt::white, 0);
    painter.setPen(pen);
    painter.drawRect(outline);
    pen.setColor(QColor(0, 90, 200));
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawRect(outline);

    const QString text = sizeText(pixels);
    const QRect label = sizeLabelRect(pixels, text);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 170));
    painter.drawRect(label);
    painter.setPen(Qt::white);
    painter.drawText(label, Qt::AlignCenter, text);
}

void CaptureWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QRect before = decorationBounds(m_band.current());
    m_band.press(toPixels(event->position()));
    update(before.united(decorationBounds(m_band.current())));
}

void CaptureWindow::mouseMoveEvent(QMouseEvent* event) {
    const QRect before = decorationBounds(m_band.current());
    if (m_band.move(toPixels(event->position())))
        update(before.united(decorationBounds(m_band.current())));
}

void CaptureWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    update(decorationBounds(m_band.current()));
    if (const auto chosen = m_band.release(toPixels(event->position())))
        emit selected(QRect(chosen->x, chosen->y, chosen->width, chosen->height));
}

void CaptureWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    leave();
}

void CaptureWindow::closeEvent(QCloseEvent* event) {
    // Closed by the window manager (Alt+F4): leave as with Escape, or the program would go on with no
    // window at all.
    event->ignore();
    leave();
}

void CaptureWindow::leave() {
    update(decorationBounds(m_band.current()));
    m_band.cancel();
    emit dismissed();
}

} // namespace shotvara

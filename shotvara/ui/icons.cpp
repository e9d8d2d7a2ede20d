// Scissors and floppy disk on a 24 x 24 grid, rendered for 1x and 2x screens.
#include "shotvara/ui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace shotvara {

namespace {

QIcon render(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(24 * scale, 24 * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon scissorsIcon() {
    return render([](QPainter& p) {
        // Two blades crossing at the pivot, handles as rings below.
        p.setPen(QPen(QColor(90, 90, 100), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7.5, 2.5), QPointF(15.0, 15.5));
        p.drawLine(QPointF(16.5, 2.5), QPointF(9.0, 15.5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 60, 70));
        p.drawEllipse(QPointF(12.0, 10.3), 1.2, 1.2);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(200, 40, 40), 2.2));
        p.drawEllipse(QPointF(7.0, 18.5), 3.3, 3.3);
        p.drawEllipse(QPointF(17.0, 18.5), 3.3, 3.3);
    });
}

QIcon floppyIcon() {
    return render([](QPainter& p) {
        QPainterPath body;
        body.moveTo(3, 3);
        body.lineTo(18, 3);
        body.lineTo(21, 6);
        body.lineTo(21, 21);
        body.lineTo(3, 21);
        body.closeSubpath();
        p.setPen(QPen(QColor(20, 50, 110), 1.2));
        p.setBrush(QColor(50, 100, 190));
        p.drawPath(body);
        // Metal shutter at the top, with its slot.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(215, 220, 228));
        p.drawRect(QRectF(7, 3.6, 9, 6));
        p.setBrush(QColor(50, 100, 190));
        p.drawRect(QRectF(12.5, 4.6, 2, 4));
        // Paper label at the bottom.
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 13, 12, 7.4));
        p.setPen(QPen(QColor(150, 160, 175), 0.8));
        p.drawLine(QPointF(8, 15.5), QPointF(16, 15.5));
        p.drawLine(QPointF(8, 17.8), QPointF(16, 17.8));
    });
}

} // namespace shotvara

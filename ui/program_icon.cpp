#include "ui/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velmora {

namespace {

// Draws on a 48-unit square and lets the painter scale it, so every size
// shows the same picture: two sight lines from a station point with the arc
// of the angle between them, on a dark blue plate.
QPixmap PaintIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 48.0, size / 48.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x4e, 0x79));
    painter.drawRoundedRect(QRectF(1, 1, 46, 46), 8, 8);

    const QPointF station(10, 38);
    const QPointF east(42, 38);
    const QPointF sight(34, 10);
    painter.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(station, east);
    painter.drawLine(station, sight);

    // The arc from the base line up to the sight line (about 49 degrees).
    painter.setPen(QPen(QColor(0xff, 0xc8, 0x3d), 3, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(station.x() - 18, station.y() - 18, 36, 36), 0, 49 * 16);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xff, 0xc8, 0x3d));
    painter.drawEllipse(station, 3.5, 3.5);
    return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        icon.addPixmap(PaintIcon(size));
    }
    return icon;
}

}  // namespace velmora

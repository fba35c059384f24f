#include "uNewVersionCheck/UpdateIcon.h"

#include <QPainter>
#include <QPainterPath>

QPixmap UpdatePicture(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 128.0, size / 128.0);

    QLinearGradient badge(0, 4, 0, 124);
    badge.setColorAt(0, QColor(0x3a, 0x9a, 0x4a));
    badge.setColorAt(1, QColor(0x1f, 0x6b, 0x2e));
    painter.setPen(Qt::NoPen);
    painter.setBrush(badge);
    painter.drawEllipse(QRectF(4, 4, 120, 120));

    painter.setBrush(Qt::white);
    QPainterPath arrow;
    arrow.moveTo(54, 24);
    arrow.lineTo(74, 24);
    arrow.lineTo(74, 60);
    arrow.lineTo(90, 60);
    arrow.lineTo(64, 88);
    arrow.lineTo(38, 60);
    arrow.lineTo(54, 60);
    arrow.closeSubpath();
    painter.drawPath(arrow);

    QPen tray(Qt::white, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(tray);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF({{32, 84}, {32, 100}, {96, 100}, {96, 84}}));
    return picture;
}

#include "uMainForm/ScanIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {

// A 7 by 7 pattern; 1 is a dark cell.
constexpr const char* Pattern[7] = {
    "1110101", "1010011", "1110110", "0001010", "1101101", "0110001", "1011111",
};

QPixmap DrawScanPicture(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 64.0;

    // Viewfinder corners.
    QPen corner(QColor(0x1f, 0x5f, 0xa8), 4 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(corner);
    const qreal a = 4 * unit, b = 60 * unit, arm = 14 * unit;
    painter.drawPolyline(QPolygonF({{a, a + arm}, {a, a}, {a + arm, a}}));
    painter.drawPolyline(QPolygonF({{b - arm, a}, {b, a}, {b, a + arm}}));
    painter.drawPolyline(QPolygonF({{a, b - arm}, {a, b}, {a + arm, b}}));
    painter.drawPolyline(QPolygonF({{b - arm, b}, {b, b}, {b, b - arm}}));

    // The code's cells.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x26, 0x2a, 0x33));
    const qreal cell = 5 * unit, origin = 14.5 * unit;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            if (Pattern[y][x] == '1')
                painter.drawRect(QRectF(origin + x * cell, origin + y * cell, cell, cell));

    // The scan line.
    painter.setBrush(QColor(0xe0, 0x3c, 0x31, 220));
    painter.drawRoundedRect(QRectF(8 * unit, 30.5 * unit, 48 * unit, 3 * unit), unit, unit);
    return picture;
}

}  // namespace

QIcon ScanButtonIcon() {
    QIcon icon;
    icon.addPixmap(DrawScanPicture(64));
    return icon;
}

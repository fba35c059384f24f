#include "uMainForm/ProgramIcon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon ProgramIcon() {
    // Rendered at the sizes title bars, task bars and boxes ask for, so none is scaled from
    // a far larger or smaller picture.
    QSvgRenderer renderer(QStringLiteral(":/twinseek/twinseek.svg"));
    QIcon icon;
    if (!renderer.isValid())
        return icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(picture));
    }
    return icon;
}

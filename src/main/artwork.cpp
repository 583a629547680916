#include "main/artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace artwork {

QPixmap boxPicture(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = side / 32.0;
    p.scale(s, s);

    // The tin box, seen from the front, with its lid slightly open.
    p.setPen(QPen(QColor(0x5a, 0x3a, 0x10), 1.2));
    p.setBrush(QColor(0xc8, 0x8a, 0x2c));
    p.drawRoundedRect(QRectF(3, 16, 22, 13), 2, 2);
    p.setBrush(QColor(0xe0, 0xa8, 0x48));
    QPolygonF lid;
    lid << QPointF(2, 16) << QPointF(26, 16) << QPointF(24, 11) << QPointF(4, 12);
    p.drawPolygon(lid);

    // A thought rising from the box.
    p.setPen(QPen(QColor(0x30, 0x30, 0x60), 1.0));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 2, 16, 10));
    p.drawEllipse(QRectF(12, 11.5, 3, 3));
    p.setPen(QPen(QColor(0x30, 0x30, 0x60), 1.3));
    p.drawLine(QPointF(17.5, 6), QPointF(26.5, 6));
    p.drawLine(QPointF(17.5, 8.5), QPointF(24, 8.5));
    return pixmap;
}

QIcon windowIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64})
        icon.addPixmap(boxPicture(side));
    return icon;
}

} // namespace artwork

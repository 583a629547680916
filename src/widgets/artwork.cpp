// SPDX-License-Identifier: LicenseRef-Tankedosan
#include "widgets/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tankedosan::widgets {

namespace {

const QColor kOutline(0x3a, 0x1c, 0x10);
const QColor kInk(0x2c, 0x3e, 0x70);

// A thought: a cloud of overlapping rounds, drawn as one outline.
QPainterPath cloud()
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addEllipse(QRectF(14.5, 3.5, 8, 7));
    path.addEllipse(QRectF(19, 1, 9, 8));
    path.addEllipse(QRectF(23.5, 3.5, 7.5, 7));
    path.addEllipse(QRectF(17, 5.5, 11, 7));
    return path.simplified();
}

// The tin: a round box with a gold band, seen a little from above, and its dark opening.
void drawTin(QPainter &p, qreal line)
{
    QLinearGradient body(3, 0, 23, 0);
    body.setColorAt(0, QColor(0x8e, 0x24, 0x18));
    body.setColorAt(0.35, QColor(0xd8, 0x4a, 0x32));
    body.setColorAt(1, QColor(0x7a, 0x1e, 0x14));
    QPainterPath tin;
    tin.moveTo(3, 19);
    tin.lineTo(3, 27);
    tin.arcTo(QRectF(3, 24.5, 20, 5), 180, 180);
    tin.lineTo(23, 19);
    tin.closeSubpath();
    p.setPen(QPen(kOutline, line));
    p.setBrush(body);
    p.drawPath(tin);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xc0, 0x40));
    QPainterPath band;
    band.moveTo(3.5, 22.5);
    band.arcTo(QRectF(3.5, 20, 19, 5), 180, 180);
    band.lineTo(22.5, 24);
    band.arcTo(QRectF(3.5, 21.5, 19, 5), 0, -180);
    band.closeSubpath();
    p.drawPath(band);
    // The opening, dark inside.
    p.setPen(QPen(kOutline, line));
    p.setBrush(QColor(0x40, 0x14, 0x0c));
    p.drawEllipse(QRectF(3, 16.5, 20, 5));
}

// The lid, lifted and tipped back by the thought that escapes.
void drawLid(QPainter &p)
{
    p.save();
    p.translate(3, 19);
    p.rotate(-40);
    p.setBrush(QColor(0xa8, 0x30, 0x20));
    p.drawEllipse(QRectF(0, -4.2, 20, 6));
    p.setBrush(QColor(0xe8, 0x64, 0x44));
    p.drawEllipse(QRectF(0, -6, 20, 6));
    p.setPen(QPen(QColor(0xf0, 0xc0, 0x40), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3.5, -4.7, 13, 3.4));
    p.restore();
}

// The thought, rising from the tin: in a small icon without the bubbles and the lines of text.
void drawThought(QPainter &p, int side, qreal line)
{
    p.setPen(QPen(kInk, line));
    p.setBrush(Qt::white);
    if (side > 16) {
        p.drawEllipse(QRectF(13.2, 14.2, 2.4, 2.4));
        p.drawEllipse(QRectF(14.8, 10.6, 3.2, 3.2));
    }
    p.drawPath(cloud());
    if (side >= 24) {
        p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 6), QPointF(27, 6));
        p.drawLine(QPointF(19.5, 8.8), QPointF(25, 8.8));
    }
}

} // namespace

QPixmap boxPicture(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = side / 32.0;
    p.scale(s, s);
    // Thin lines vanish in a small icon; thicken them as the picture shrinks.
    const qreal line = side <= 16 ? 1.6 : side <= 24 ? 1.3 : 1.0;

    drawTin(p, line);
    drawLid(p);
    drawThought(p, side, line);
    return pixmap;
}

QIcon windowIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(boxPicture(side));
    return icon;
}

} // namespace tankedosan::widgets

#include "common/comIcone.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <initializer_list>

namespace comIcone {

namespace {

// One box of the program icon, drawn on a 64-unit square.
void drawBox(QPainter &p, const QRectF &box)
{
    p.setPen(QPen(QColor(0x6b, 0x42, 0x16), 2));
    p.setBrush(QColor(0xe8, 0xa3, 0x3d));
    p.drawRect(box);
    // The tape across the lid.
    p.setPen(QPen(QColor(0xf6, 0xe2, 0xb8), 3));
    p.drawLine(QPointF(box.center().x(), box.top() + 2), QPointF(box.center().x(), box.bottom() - 2));
}

QPixmap programPixmap(int pixels)
{
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels / 64.0, pixels / 64.0);

    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, QColor(0x3a, 0x6e, 0xb5));
    tile.setColorAt(1, QColor(0x1f, 0x45, 0x7e));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    drawBox(p, QRectF(10, 34, 21, 20));
    drawBox(p, QRectF(33, 34, 21, 20));
    drawBox(p, QRectF(21.5, 12, 21, 20));
    return pixmap;
}

} // namespace

QIcon Programma()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(programPixmap(size));
    return icon;
}

QPixmap Lampadina(int pixels)
{
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels / 64.0, pixels / 64.0);

    // The glass: a round top narrowing into a neck.
    QPainterPath glass;
    glass.moveTo(24, 44);
    glass.cubicTo(24, 36, 14, 32, 14, 22);
    glass.arcTo(QRectF(14, 4, 36, 36), 180, -180);
    glass.cubicTo(50, 32, 40, 36, 40, 44);
    glass.closeSubpath();
    QLinearGradient light(20, 8, 44, 40);
    light.setColorAt(0, QColor(0xff, 0xf6, 0xb0));
    light.setColorAt(1, QColor(0xff, 0xc8, 0x20));
    p.setPen(QPen(QColor(0x9a, 0x74, 0x00), 2));
    p.setBrush(light);
    p.drawPath(glass);

    // The screw base.
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.5));
    p.setBrush(QColor(0xb0, 0xb0, 0xb0));
    p.drawRoundedRect(QRectF(23, 45, 18, 5), 2, 2);
    p.drawRoundedRect(QRectF(23, 51, 18, 5), 2, 2);
    p.setBrush(QColor(0x60, 0x60, 0x60));
    p.drawRoundedRect(QRectF(27, 57, 10, 4), 2, 2);

    // The filament.
    p.setPen(QPen(QColor(0xc0, 0x60, 0x00), 1.5));
    p.setBrush(Qt::NoBrush);
    QPainterPath filament;
    filament.moveTo(27, 43);
    filament.lineTo(28, 26);
    filament.lineTo(31, 30);
    filament.lineTo(33, 26);
    filament.lineTo(36, 30);
    filament.lineTo(37, 43);
    p.drawPath(filament);
    return pixmap;
}

} // namespace comIcone

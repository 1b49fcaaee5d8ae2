#include "printing/IconeStampa.h"

#include <QPainter>
#include <QPixmap>

namespace IconeStampa {

namespace {

// A transparent picture of the size asked for, with a painter that draws
// on a 32-pixel grid.
struct Tela {
    QPixmap pixmap;
    QPainter p;
    explicit Tela(int pixels) : pixmap(pixels, pixels)
    {
        pixmap.fill(Qt::transparent);
        p.begin(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(pixels / 32.0, pixels / 32.0);
    }
    QPixmap fine()
    {
        p.end();
        return pixmap;
    }
};

// The sheet on a 32-pixel grid, scaled to the size asked for.
QPixmap sheet(int pixels)
{
    Tela tela(pixels);
    QPainter &p = tela.p;

    // The page with a folded corner.
    QPolygonF page;
    page << QPointF(6.5, 2.5) << QPointF(21.5, 2.5) << QPointF(26.5, 7.5) << QPointF(26.5, 29.5)
         << QPointF(6.5, 29.5);
    p.setPen(QPen(QColor(0x5a, 0x6b, 0x7d), 1.0));
    p.setBrush(Qt::white);
    p.drawPolygon(page);
    p.setBrush(QColor(0xdd, 0xe4, 0xec));
    p.drawPolygon(QPolygonF() << QPointF(21.5, 2.5) << QPointF(21.5, 7.5) << QPointF(26.5, 7.5));

    // A heading bar, then the rows of the list.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x6d, 0xb5));
    p.drawRect(QRectF(9, 6, 10, 2.5));
    p.setBrush(QColor(0x8a, 0x97, 0xa6));
    for (int row = 0; row < 6; ++row) {
        const double y = 12 + row * 2.8;
        p.drawRect(QRectF(9, y, 4, 1.4));
        p.drawRect(QRectF(14.5, y, row % 2 ? 7.5 : 9.5, 1.4));
    }
    return tela.fine();
}

// The sheet with two boxes stacked in its lower right corner.
QPixmap boxes(int pixels)
{
    QPixmap pixmap = sheet(pixels);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(pixels / 32.0, pixels / 32.0);
    p.setPen(QPen(QColor(0x7a, 0x4e, 0x1d), 1.0));
    p.setBrush(QColor(0xd9, 0xa4, 0x5b));
    for (const QRectF &box : {QRectF(15.5, 22.5, 9, 7), QRectF(19.5, 15.5, 9, 7)}) {
        p.drawRect(box);
        p.drawLine(QPointF(box.center().x(), box.top()), QPointF(box.center().x(), box.top() + 3));
    }
    return pixmap;
}

// A sheet of labels: two columns of labels, each with bars and a line of text.
QPixmap labels(int pixels)
{
    Tela tela(pixels);
    QPainter &p = tela.p;
    p.setPen(QPen(QColor(0x5a, 0x6b, 0x7d), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 2.5, 23, 27));
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 2; ++col) {
            const QRectF label(6.5 + col * 10.5, 4.5 + row * 8.2, 9, 7);
            p.setPen(QPen(QColor(0x2f, 0x6d, 0xb5), 0.8));
            p.setBrush(QColor(0xf4, 0xf7, 0xfb));
            p.drawRoundedRect(label, 1.2, 1.2);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x20, 0x20, 0x20));
            for (const double x : {1.2, 2.4, 3.0, 4.4, 5.2, 6.6, 7.3})
                p.drawRect(QRectF(label.left() + x, label.top() + 1.2, 0.6, 3.2));
            p.setBrush(QColor(0x8a, 0x97, 0xa6));
            p.drawRect(QRectF(label.left() + 1.2, label.top() + 5, 6.6, 0.9));
        }
    }
    return tela.fine();
}

QIcon icona(QPixmap (*draw)(int))
{
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(draw(size));
    return icon;
}

} // namespace

QIcon Elenco()
{
    return icona(&sheet);
}

QIcon Magazzino()
{
    return icona(&boxes);
}

QIcon Etichette()
{
    return icona(&labels);
}

} // namespace IconeStampa

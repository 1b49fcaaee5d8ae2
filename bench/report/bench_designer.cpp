// Benchmark of the layout designer control on a label of 50 items (texts,
// fields and barcodes): the time to attach and draw it the first time, and
// the time of one move of an item with a redraw of the whole canvas
// (median of 50; the canvas itself redraws only what changed).
// Usage: QT_QPA_PLATFORM=offscreen bench_designer
#include "Stopwatch.h"

#include "platform/report/LayoutDesigner.h"
#include "platform/report/ReportLayout.h"

#include <QApplication>

#include <cstdio>
#include <vector>

using namespace platform::report;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ReportLayout layout;
    layout.setPrintWidth(3402);
    ReportSection &label = layout.detail();
    label.name = QStringLiteral("Etichetta");
    label.height = 1701;
    for (int i = 0; i < 50; ++i) {
        const double x = (i % 5) * 650;
        const double y = (i / 5) * 160;
        if (i % 10 == 9)
            label.addBarcode(QStringLiteral("Barcode%1").arg(i), BarcodeStyle::Ean13, QStringLiteral("Codice"), x, y,
                             600, 150);
        else if (i % 2)
            label.addField(QStringLiteral("Field%1").arg(i), QStringLiteral("Descrizione"), x, y, 600, 150).text =
                QStringLiteral("txtDescrizione_articolo");
        else
            label.addLabel(QStringLiteral("Label%1").arg(i), QStringLiteral("Prezzo"), x, y, 600, 150);
    }

    Stopwatch open;
    LayoutDesigner designer;
    designer.resize(1000, 700);
    designer.attach(&layout, QStringLiteral("Etichetta"));
    designer.show();
    (void)designer.viewport()->grab();
    const double openMs = open.milliseconds();

    designer.select(label.controls()[12].get());
    std::vector<double> moves;
    for (int i = 0; i < 50; ++i) {
        Stopwatch move;
        designer.moveSelection(i % 2 ? -1 : 1, 0);
        (void)designer.viewport()->grab();
        moves.push_back(move.milliseconds());
    }
    std::printf("designer, 50 items: open and first draw %.1f ms; one move with its redraw %.2f ms (median of 50)\n",
                openMs, Stopwatch::median(moves));
    return 0;
}

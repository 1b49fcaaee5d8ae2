// Benchmark of label printing: 1,000 labels (42 lines of 24 copies less
// eight) with an EAN-13 barcode of the code, the description, the price
// and the supplier's name, three labels a row, eight rows a page (42
// pages). Measures building the label records, laying out the pages and
// writing them to PDF, as the median of five runs.
// Usage: bench_etichette [folder to keep the PDF in]
#include "Stopwatch.h"

#include "platform/data/Recordset.h"
#include "platform/report/ReportDocument.h"
#include "printing/LayoutEtichetta.h"
#include "printing/NewLabel.h"
#include "printing/frmPrintLabels.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

using namespace platform::report;
using platform::DataType;
using platform::Variant;

namespace {

// An EAN-13 code with its check digit, from a 12-digit number.
QString ean13(long long n)
{
    const QString digits = QStringLiteral("%1").arg(n, 12, 10, QLatin1Char('0'));
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += digits[i].digitValue() * (i % 2 ? 3 : 1);
    return digits + QString::number((10 - sum % 10) % 10);
}

// The dialog's line table: 42 lines, 24 labels each but the last (16).
std::unique_ptr<platform::Recordset> righe()
{
    auto rs = std::make_unique<platform::Recordset>();
    for (const char *name : {"Codice", "Descrizione", "CodiceFornitore", "Fornitore", "CodArtFornitore", "Prezzo",
                             "Aliquota", "PrezzoIvato", "Etichette"})
        rs->appendField(QString::fromLatin1(name), DataType::adVariant);
    rs->open();
    for (int i = 0; i < 42; ++i) {
        rs->addNew();
        const Variant values[] = {ean13(800000000000LL + i), QStringLiteral("Articolo di prova numero %1").arg(i),
                                  Variant(std::int32_t(7)), QStringLiteral("Rossi Srl"), QString(),
                                  Variant(12.5 + i), Variant(2.75), Variant(15.25 + i), Variant(i < 41 ? 24.0 : 16.0)};
        for (int k = 0; k < 9; ++k)
            rs->setValue(k, values[k]);
        rs->update();
    }
    return rs;
}

FontSpec font(double size)
{
    FontSpec f;
    f.family = QStringLiteral("DejaVu Sans");
    f.size = size;
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir temp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    const QString pdf = folder + QStringLiteral("/etichette.pdf");

    NewLabel layout;
    ReportSection &e = layout.section(LayoutEtichetta::NomeSezione);
    e.addBarcode(QStringLiteral("bcCodice"), BarcodeStyle::Ean13, QStringLiteral("Codice"), 100, 60, 3000, 900).font =
        font(7);
    e.addField(QStringLiteral("txtDescrizione"), QStringLiteral("Descrizione"), 100, 1000, 3100, 250).font = font(8);
    ReportControl &prezzo = e.addField(QStringLiteral("txtPrezzo"), QStringLiteral("PrezzoIvato"), 100, 1270, 1500, 250);
    prezzo.font = font(9);
    prezzo.outputFormat = QStringLiteral("#,#.00");
    e.addField(QStringLiteral("txtFornitore"), QStringLiteral("Fornitore"), 1700, 1270, 1500, 250).font = font(8);
    // Three labels of 63.5 × 33.9 mm a row, eight rows on an A4 sheet.
    LayoutEtichetta::FormaArchiviata(layout, LayoutEtichetta::Foglio{72, 72, 130, 25, 3, 339, 635, 0});

    const auto lines = righe();
    std::vector<double> build;
    std::vector<double> run;
    std::vector<double> write;
    int labels = 0;
    int pages = 0;
    for (int i = 0; i < 5; ++i) {
        Stopwatch watch;
        const auto records = frmPrintLabels::RecordEtichette(*lines);
        build.push_back(watch.milliseconds());
        labels = records->recordCount();
        watch.restart();
        layout.setRecordset(records);
        layout.run();
        run.push_back(watch.milliseconds());
        pages = layout.document()->pageCount();
        watch.restart();
        layout.exportPdf(pdf);
        write.push_back(watch.milliseconds());
    }
    const double total = Stopwatch::median(build) + Stopwatch::median(run) + Stopwatch::median(write);
    std::printf("labels: %d on %d pages\n", labels, pages);
    std::printf("label records: %.1f ms, layout: %.1f ms, PDF: %.1f ms, total %.1f ms (median of 5)\n",
                Stopwatch::median(build), Stopwatch::median(run), Stopwatch::median(write), total);
    return 0;
}

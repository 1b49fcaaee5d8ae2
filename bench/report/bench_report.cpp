// Benchmark of the report engine. Makes a synthetic database (5,000
// articles, 50,000 movement lines), then measures:
//  - a 5,000-row article list grouped by category, with group sums, page
//    sums and page n of m, run and written to PDF: pages per second and
//    the process's peak memory;
//  - a 50,000-row movement list run and written to Excel.
// Usage: bench_report [folder to keep the database and the files in]
#include "Stopwatch.h"
#include "SyntheticDatabase.h"

#include "platform/base/RuntimeError.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportLayout.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace platform::report;

namespace {

// Peak resident memory of this process, in MB (VmHWM).
double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return -1;
}

FontSpec font(double size, bool bold = false)
{
    FontSpec f;
    f.family = QStringLiteral("DejaVu Sans");
    f.size = size;
    f.bold = bold;
    return f;
}

void addCaptions(ReportSection &header, const QList<std::pair<QString, double>> &captions)
{
    header.height = 380;
    for (const auto &[caption, left] : captions)
        header.addLabel(QStringLiteral("lbl") + caption, caption, left, 0, 1400, 260).font = font(8, true);
    header.addLine(QStringLiteral("LineHeader"), 0, 320, 9026, 320);
}

ReportControl &addNumber(ReportSection &section, const QString &name, const QString &field, double left)
{
    ReportControl &c = section.addField(name, field, left, 0, 1300, 250);
    c.font = font(8);
    c.alignment = TextAlign::Right;
    c.outputFormat = QStringLiteral("#,##0.00");
    return c;
}

void buildArticleList(ReportLayout &layout)
{
    layout.setDocumentName(QStringLiteral("Articoli per categoria"));
    layout.reportHeader().height = 600;
    layout.reportHeader().addLabel(QStringLiteral("lblTitle"), QStringLiteral("Articoli per categoria"), 0, 0, 9000, 450).font = font(14, true);
    addCaptions(layout.pageHeader(), {{QStringLiteral("Codice"), 0},
                                      {QStringLiteral("Descrizione"), 1500},
                                      {QStringLiteral("UM"), 4700},
                                      {QStringLiteral("Prezzo"), 5300},
                                      {QStringLiteral("Ivato"), 6600},
                                      {QStringLiteral("Data"), 8100}});
    ReportSection &gh = layout.addGroup(QStringLiteral("catHead"), QStringLiteral("catFooter"), QStringLiteral("Categoria"));
    gh.height = 320;
    gh.keepTogether = true;
    gh.addField(QStringLiteral("txtCategoria"), QStringLiteral("='Categoria: ' & Categoria"), 0, 0, 5000, 260).font = font(8, true);
    for (const auto &[name, field, left] : {std::tuple{"txtPcat", "Prezzo", 5300.0}, std::tuple{"txtIcat", "PrezzoIvato", 6600.0}}) {
        ReportControl &sum = addNumber(gh, QString::fromLatin1(name), QString::fromLatin1(field), left);
        sum.summaryFunction = SummaryFunction::Sum;
        sum.summaryScope = SummaryScope::Group;
        sum.font.bold = true;
    }
    ReportSection &d = layout.detail();
    d.height = 260;
    d.addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 0, 0, 1400, 250).font = font(8);
    d.addField(QStringLiteral("txtDescrizione"), QStringLiteral("Descrizione"), 1500, 0, 3100, 250).font = font(8);
    d.addField(QStringLiteral("txtUM"), QStringLiteral("UM"), 4700, 0, 500, 250).font = font(8);
    addNumber(d, QStringLiteral("txtPrezzo"), QStringLiteral("Prezzo"), 5300);
    addNumber(d, QStringLiteral("txtIvato"), QStringLiteral("PrezzoIvato"), 6600);
    d.addField(QStringLiteral("txtData"), QStringLiteral("DataIns"), 8100, 0, 1000, 250).font = font(8);
    ReportSection &gf = layout.groupFooter(0);
    gf.height = 120;
    gf.addLine(QStringLiteral("LineGroup"), 0, 60, 9026, 60);
    ReportSection &pf = layout.pageFooter();
    pf.height = 300;
    ReportControl &pageSum = addNumber(pf, QStringLiteral("txtPpagina"), QStringLiteral("Prezzo"), 5300);
    pageSum.summaryFunction = SummaryFunction::Sum;
    pageSum.summaryScope = SummaryScope::Page;
    ReportControl &page = pf.addField(QStringLiteral("p1"), QStringLiteral("=PageNumber & ' / ' & PageCount"), 7500, 0, 1500, 250);
    page.font = font(8);
    page.alignment = TextAlign::Right;
    ReportSection &rf = layout.reportFooter();
    rf.height = 300;
    ReportControl &total = addNumber(rf, QStringLiteral("txtPtot"), QStringLiteral("Prezzo"), 5300);
    total.summaryFunction = SummaryFunction::Sum;
    layout.setSql(QStringLiteral("SELECT Categoria, Codice, Descrizione, UM, Prezzo, PrezzoIvato, DataIns FROM Articoli "
                                 "ORDER BY Categoria, Codice"));
}

void buildMovementList(ReportLayout &layout)
{
    layout.setDocumentName(QStringLiteral("Movimenti"));
    addCaptions(layout.pageHeader(), {{QStringLiteral("Data"), 0},
                                      {QStringLiteral("Progressivo"), 1300},
                                      {QStringLiteral("Articolo"), 2600},
                                      {QStringLiteral("Quantità"), 4300},
                                      {QStringLiteral("Costo"), 5600},
                                      {QStringLiteral("Valore"), 6900}});
    ReportSection &d = layout.detail();
    d.height = 260;
    d.addField(QStringLiteral("txtData"), QStringLiteral("DataIns"), 0, 0, 1200, 250).outputFormat = QStringLiteral("dd/mm/yy");
    d.addField(QStringLiteral("txtProgressivo"), QStringLiteral("Progressivo"), 1300, 0, 1200, 250).outputFormat = QStringLiteral("000000");
    d.addField(QStringLiteral("txtArticolo"), QStringLiteral("CodiceArticolo"), 2600, 0, 1600, 250);
    addNumber(d, QStringLiteral("txtQ"), QStringLiteral("Q"), 4300);
    addNumber(d, QStringLiteral("txtCosto"), QStringLiteral("Costo"), 5600);
    addNumber(d, QStringLiteral("txtV"), QStringLiteral("V"), 6900);
    layout.setSql(QStringLiteral(
        "SELECT MagazRegMain.DataIns, MagazRegMain.Progressivo, MagazRegDetail.CodiceArticolo, "
        "[Segno]*[Quantità] AS Q, MagazRegDetail.Costo, [Segno]*[Quantità]*[MagazRegDetail].[Costo] AS V "
        "FROM MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg "
        "ORDER BY MagazRegMain.Progressivo"));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    QDir().mkpath(folder);
    const QString database = folder + QStringLiteral("/bench_report.mdb");
    const QString templatePath = QCoreApplication::applicationDirPath() + QStringLiteral("/master.gen");

    SyntheticOptions options;
    options.articles = 5000;
    options.customers = 50;
    options.suppliers = 20;
    options.movementsPerYear = 2000;
    options.linesPerMovement = 5;
    options.years = 5;
    Stopwatch watch;
    try {
        const SyntheticSummary made = SyntheticDatabase::generate(templatePath, database, options);
        std::printf("database: %lld articles, %lld movement lines (%.1f s to generate)\n", made.articles, made.lines,
                    watch.seconds());
        const QString connection = SyntheticDatabase::connectionString(database);

        // 5,000-row grouped list to PDF.
        ReportLayout list;
        buildArticleList(list);
        list.setConnectionString(connection);
        watch.restart();
        list.run();
        const double runSeconds = watch.seconds();
        const QString pdf = folder + QStringLiteral("/articoli.pdf");
        watch.restart();
        list.exportPdf(pdf);
        const double pdfSeconds = watch.seconds();
        const int pages = list.document()->pageCount();
        const double peak = peakMegabytes();
        std::printf("PDF, 5,000-row grouped list: %d pages; run %.3f s, PDF %.3f s (%.1f MB)\n", pages, runSeconds,
                    pdfSeconds, QFileInfo(pdf).size() / 1048576.0);
        std::printf("  pages per second: %.0f (target >= 100)\n", pages / (runSeconds + pdfSeconds));
        std::printf("  peak memory: %.0f MB (target < 300)\n", peak);

        // 50,000 rows to Excel.
        ReportLayout movements;
        buildMovementList(movements);
        movements.setConnectionString(connection);
        watch.restart();
        movements.run();
        const double runXlsx = watch.seconds();
        const QString xlsx = folder + QStringLiteral("/movimenti.xlsx");
        watch.restart();
        movements.exportXlsx(xlsx);
        const double writeXlsx = watch.seconds();
        int rows = 0;
        for (int p = 0; p < movements.document()->pageCount(); ++p) {
            for (const RenderedBand &b : movements.document()->page(p).bands)
                rows += b.kind == SectionKind::Detail ? 1 : 0;
        }
        std::printf("Excel, %d rows (%d pages): query and run %.3f s, write %.3f s, total %.3f s (target < 3 s)\n", rows,
                    movements.document()->pageCount(), runXlsx, writeXlsx, runXlsx + writeXlsx);
        std::printf("peak memory at the end: %.0f MB\n", peakMegabytes());
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "bench_report: %s\n", e.what());
        return 1;
    }
    return 0;
}

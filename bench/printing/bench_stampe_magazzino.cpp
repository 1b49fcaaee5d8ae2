// Benchmark of the stock reports. On a database made by the synthetic
// generator (velmora_gen), with the working date at the end of its last
// year, it drives the dialog of the stock reports as a user would and
// measures, each the median of several runs:
//  - the journal of the year: from "Anteprima" until the preview is shown
//    (the first page can be seen), and to PDF (pages per second);
//  - the inventory of the year at last cost and at average cost, to PDF;
//  - the below-minimum list, to PDF;
// each beside its query run straight through sqlite3, and the peak memory.
// It runs offscreen with a scripted desktop.
// Usage: bench_stampe_magazzino <database made by velmora_gen> [runs]
#include "DirectQuery.h"
#include "Stopwatch.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/JetTranslator.h"
#include "platform/data/Recordset.h"
#include "platform/data/Session.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "printing/IstanzeReport.h"
#include "printing/StampeMagazzino.h"
#include "printing/arpGiornaleMagazzino.h"
#include "printing/frmPrintReportMov.h"
#include "shell/MainModule.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Misura {
    const char *nome;
    double target; // ms, 0 when none
    std::vector<double> ms;
    std::vector<double> floorMs;
    QString note;
};

void Stampa(const Misura &m)
{
    const double median = Stopwatch::median(m.ms);
    std::printf("%-44s median %8.1f ms", m.nome, median);
    if (!m.floorMs.empty())
        std::printf("  (sqlite3 query alone %7.1f ms)", Stopwatch::median(m.floorMs));
    if (m.target > 0)
        std::printf("  target < %.0f ms: %s", m.target, median < m.target ? "met" : "MISSED");
    if (!m.note.isEmpty())
        std::printf("  %s", qPrintable(m.note));
    std::printf("\n");
}

// The query straight through sqlite3: translated by the data layer once,
// then prepared, bound and read to its last row.
double Floor(const QString &path, const StampeMagazzino::Query &query)
{
    platform::Connection connection(MainModule::ConnString);
    const platform::jet::Translation t = connection.openSession().translate(query.sql);
    if (qEnvironmentVariableIsSet("VELMORA_BENCH_SQL"))
        std::printf("%s\n  parameters: %s\n", qPrintable(t.sql), qPrintable(t.parameterNames.join(u", ")));
    Stopwatch clock;
    DirectQuery direct(path);
    direct.run(t.sql, t.parameterNames, query.parametri);
    return clock.milliseconds();
}

double PicoMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    if (args.isEmpty() || args.size() > 2) {
        std::fprintf(stderr, "Usage: bench_stampe_magazzino <database made by velmora_gen> [runs]\n");
        return 2;
    }
    const int runs = args.size() == 2 ? std::max(1, args[1].toInt()) : 3;
    const QString path = QFileInfo(args[0]).absoluteFilePath();
    MainModule::ConnString = MainModule::CostruisciConnString(QFileInfo(path).absolutePath(), QFileInfo(path).fileName());
    MainModule::QtyFormat = MainModule::FormatoNumero(2);
    MainModule::ValueFormat = MainModule::FormatoNumero(2);
    platform::ScopedScriptedDesktop desk;
    desk->setPrinters({{QStringLiteral("Ufficio"), QStringLiteral("PDF")}});
    desk->setDefaultPrinter(QStringLiteral("Ufficio"));
    MainModule::InstalledPrinters = {QStringLiteral("Ufficio")};
    MainModule::InstalledPrinterCount = 1;
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/velmora-bench-stampe-XXXXXX"));

    long long lines = 0;
    try {
        platform::Connection connection(MainModule::ConnString);
        const auto last = connection.executeQuery(QStringLiteral("SELECT MAX(DataIns) AS Ultima FROM MagazRegMain"));
        const int anno = last->value(0).toDate().year();
        MainModule::WorkDate = platform::DateTime(anno, 12, 31);
        MainModule::WorkYear = static_cast<std::int16_t>(anno);
        lines = connection
                    .executeQuery(QStringLiteral("SELECT Count(*) AS N FROM MagazRegDetail INNER JOIN MagazRegMain ON "
                                                 "MagazRegMain.IdReg = MagazRegDetail.IdReg WHERE Year(DataIns) = ?"),
                                  {platform::Variant(anno)})
                    ->value(0)
                    .toInt32();
        std::printf("Database: %s (%.0f MB); the year %d has %lld lines; %d runs each\n\n", qPrintable(path),
                    QFileInfo(path).size() / 1048576.0, anno, lines, runs);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }

    frmPrintReportMov::Apri(QStringLiteral("Ufficio"));
    frmPrintReportMov &dialog = frmPrintReportMov::Istanza();
    const auto choose = [&](int row, int view) {
        dialog.GridEX1->setRow(row);
        dialog.cmbView->setCurrentIndex(view);
        dialog.cmbGroup->setCurrentIndex(0);
    };
    int file = 0;
    const auto toPdf = [&] {
        const QString pdf = folder.path() + QStringLiteral("/r%1.pdf").arg(++file);
        desk->queueSaveFile(pdf);
        Stopwatch clock;
        dialog.mnuexp(frmPrintReport::EsportaPdf)->trigger();
        const double ms = clock.milliseconds();
        if (QFileInfo(pdf).size() == 0) {
            std::fprintf(stderr, "No PDF was written: %s\n", qPrintable(desk->prompts().join(u" | ")));
            std::exit(1);
        }
        QFile::remove(pdf);
        return ms;
    };

    const StampeMagazzino::Filtro filtro = dialog.Filtro();
    Misura anteprima{"Journal of the year, until the preview shows", 1000, {}, {}, {}};
    Misura giornale{"Journal of the year, to PDF", 0, {}, {}, {}};
    Misura lettura{"Journal of the year, its rows read by the layer", 0, {}, {}, {}};
    Misura ultimo{"Inventory at last cost, to PDF", 2000, {}, {}, {}};
    Misura medio{"Inventory at average cost, to PDF", 2000, {}, {}, {}};
    Misura sotto{"Below-minimum list, to PDF", 1000, {}, {}, {}};
    int pages = 0;
    for (int run = 0; run < runs; ++run) {
        choose(1, 0);
        Stopwatch clock;
        dialog.cmdPreview->click();
        anteprima.ms.push_back(clock.milliseconds());
        pages = IstanzeReport::Istanza<arpGiornaleMagazzino>()->document()->pageCount();
        IstanzeReport::Scarica<arpGiornaleMagazzino>();
        giornale.ms.push_back(toPdf());
        giornale.floorMs.push_back(Floor(path, StampeMagazzino::Giornale(filtro, false)));
        {
            Stopwatch read;
            platform::Connection connection(MainModule::ConnString);
            StampeMagazzino::Esegui(connection, StampeMagazzino::Giornale(filtro, false));
            lettura.ms.push_back(read.milliseconds());
        }
        choose(2, 0);
        ultimo.ms.push_back(toPdf());
        ultimo.floorMs.push_back(
            Floor(path, StampeMagazzino::Inventario(filtro, StampeMagazzino::Raggruppamento::Nessuno, false)));
        choose(2, 1);
        medio.ms.push_back(toPdf());
        medio.floorMs.push_back(
            Floor(path, StampeMagazzino::Inventario(filtro, StampeMagazzino::Raggruppamento::Nessuno, true)));
        choose(3, 0);
        sotto.ms.push_back(toPdf());
        sotto.floorMs.push_back(Floor(path, StampeMagazzino::Sottoscorta(filtro.dal, filtro.al)));
    }
    if (!desk->msgBoxes().empty()) {
        std::fprintf(stderr, "A message was shown: %s\n", qPrintable(desk->prompts().join(u" | ")));
        return 1;
    }
    const double perSecond = pages / (Stopwatch::median(giornale.ms) / 1000.0);
    giornale.note = QStringLiteral("%1 pages, %2 pages/s (target >= 100): %3")
                        .arg(pages)
                        .arg(perSecond, 0, 'f', 0)
                        .arg(perSecond >= 100 ? QStringLiteral("met") : QStringLiteral("MISSED"));
    for (const Misura *m : {&anteprima, &lettura, &giornale, &ultimo, &medio, &sotto})
        Stampa(*m);
    const double peak = PicoMB();
    std::printf("Peak memory %.0f MB (target < 500 MB): %s\n", peak, peak < 500 ? "met" : "MISSED");
    delete frmPrintReportMov::Aperto();
    IstanzeReport::ScaricaTutte();
    return 0;
}

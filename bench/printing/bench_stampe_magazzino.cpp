// Benchmark of the stock reports. On a database made by the synthetic
// generator (velmora_gen) it drives the dialog of the stock reports as a
// user would, at three working dates: today's day and month in the last
// year of the data, the same day a year before, and the last year's
// 31 December (the period runs from 1 January to the working date, as the
// dialog proposes it). At each it measures, each the median of several
// runs, beside its target:
//  - the journal of the period: from "Anteprima" until the preview is shown
//    (its page count is known and the first page can be seen), and to PDF;
//  - the inventory at last cost and at average cost, to PDF;
//  - the below-minimum list, to PDF;
// each beside its query run straight through sqlite3. The peak memory of
// the journal's preview is measured in a process of its own, which runs
// nothing else; the peak of the other cases is this process's.
// It runs offscreen with a scripted desktop.
// Usage: bench_stampe_magazzino <database made by velmora_gen> [runs]
//            [--date=yyyy-mm-dd] [--only=CASE] [--keep=FOLDER]
//   --date   one working date instead of the three;
//   --only   one case: preview, journal, last, average, below, memory
//            (for profiling);
//   --keep   keeps the PDF files written (the last run's) in FOLDER.
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
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

// The targets, in milliseconds and MB.
constexpr double PreviewTarget = 1000;
constexpr double InventoryTarget = 2000;
constexpr double BelowMinimumTarget = 1000;
constexpr double PagesPerSecondTarget = 100;
constexpr double PreviewMemoryTarget = 500;

const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

struct Misura {
    const char *nome;
    double target; // ms, 0 when none
    std::vector<double> ms;
    std::vector<double> floorMs;
    QString note;
};

void Stampa(const Misura &m)
{
    if (m.ms.empty())
        return;
    const double median = Stopwatch::median(m.ms);
    std::printf("  %-38s median %8.1f ms", m.nome, median);
    if (!m.floorMs.empty())
        std::printf("  (sqlite3 query alone %7.1f ms)", Stopwatch::median(m.floorMs));
    if (m.target > 0)
        std::printf("  target < %.0f ms: %s", m.target, verdict(median < m.target));
    else if (m.note.isEmpty())
        std::printf("  no target of its own");
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

// Peak and current resident memory of this process, in MB (VmHWM, VmRSS).
double Memoria(const char *voce)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(voce))
            return line.mid(static_cast<int>(qstrlen(voce))).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return -1;
}

// Today's day and month in the last year of the data, the same day a year
// before, and the last year's 31 December.
QList<QDate> DateDiLavoro(int anno)
{
    const QDate today = QDate::currentDate();
    QDate inside(anno, today.month(), today.day());
    if (!inside.isValid()) // 29 February
        inside = QDate(anno, 2, 28);
    return {inside, inside.addYears(-1), QDate(anno, 12, 31)};
}

struct Opzioni {
    QString path;
    int runs = 3;
    QDate data;      // one working date; null for the three
    QString solo;    // one case; empty for all
    QString cartella; // where to keep the PDFs; empty: not kept
    bool memoria = false; // the journal preview's memory, in this process
};

class Banco
{
public:
    explicit Banco(const Opzioni &o) : m_o(o), m_folder(QDir::tempPath() + QStringLiteral("/velmora-bench-stampe-XXXXXX"))
    {
        m_desk->setPrinters({{QStringLiteral("Ufficio"), QStringLiteral("PDF")}});
        m_desk->setDefaultPrinter(QStringLiteral("Ufficio"));
        MainModule::InstalledPrinters = {QStringLiteral("Ufficio")};
        MainModule::InstalledPrinterCount = 1;
    }
    ~Banco()
    {
        delete frmPrintReportMov::Aperto();
        IstanzeReport::ScaricaTutte();
    }

    // Opens the dialog at the working date: the period is 1 January to it.
    frmPrintReportMov &Dialogo(const QDate &day)
    {
        MainModule::WorkDate = platform::DateTime(day);
        MainModule::WorkYear = static_cast<std::int16_t>(day.year());
        frmPrintReportMov::Apri(QStringLiteral("Ufficio"));
        frmPrintReportMov &dialog = frmPrintReportMov::Istanza();
        dialog.Dat1->setDate(QDate(day.year(), 1, 1));
        dialog.Dat2->setDate(day);
        return dialog;
    }

    static void Scegli(frmPrintReportMov &dialog, int row, int view)
    {
        dialog.GridEX1->setRow(row);
        dialog.cmbView->setCurrentIndex(view);
        dialog.cmbGroup->setCurrentIndex(0);
    }

    // The journal's preview, from the click until it shows; answers the
    // time and leaves the layout loaded with its pages.
    static double Anteprima(frmPrintReportMov &dialog, int *pages)
    {
        Scegli(dialog, 1, 0);
        Stopwatch clock;
        dialog.cmdPreview->click();
        const double ms = clock.milliseconds();
        const auto &layout = IstanzeReport::Istanza<arpGiornaleMagazzino>();
        if (!layout || !layout->previewWindow() || !layout->previewWindow()->isVisible()) {
            std::fprintf(stderr, "The preview did not show\n");
            std::exit(1);
        }
        *pages = layout->document()->pageCount();
        return ms;
    }

    double Pdf(frmPrintReportMov &dialog, const QString &nome)
    {
        const QString pdf = m_folder.path() + QStringLiteral("/%1.pdf").arg(nome);
        m_desk->queueSaveFile(pdf);
        Stopwatch clock;
        dialog.mnuexp(frmPrintReport::EsportaPdf)->trigger();
        const double ms = clock.milliseconds();
        if (QFileInfo(pdf).size() == 0) {
            std::fprintf(stderr, "No PDF was written: %s\n", qPrintable(m_desk->prompts().join(u" | ")));
            std::exit(1);
        }
        if (!m_o.cartella.isEmpty()) {
            const QString kept = m_o.cartella + u'/' + QFileInfo(pdf).fileName();
            QFile::remove(kept);
            QFile::rename(pdf, kept);
        }
        QFile::remove(pdf);
        return ms;
    }

    bool Vuoi(const char *caso) const { return m_o.solo.isEmpty() || m_o.solo == QLatin1String(caso); }

    // The cases at one working date.
    void MisuraAlla(const QDate &day)
    {
        frmPrintReportMov &dialog = Dialogo(day);
        const StampeMagazzino::Filtro filtro = dialog.Filtro();
        const QString tag = day.toString(QStringLiteral("yyyyMMdd"));
        Misura anteprima{"Journal, until the preview shows", PreviewTarget, {}, {}, {}};
        Misura lettura{"Journal, its rows read by the layer", 0, {}, {},
                       QStringLiteral("(part of the preview; no target of its own)")};
        Misura giornale{"Journal, to PDF", 0, {}, {}, {}};
        Misura ultimo{"Inventory at last cost, to PDF", InventoryTarget, {}, {}, {}};
        Misura medio{"Inventory at average cost, to PDF", InventoryTarget, {}, {}, {}};
        Misura sotto{"Below-minimum list, to PDF", BelowMinimumTarget, {}, {}, {}};
        int pages = 0;
        for (int run = 0; run < m_o.runs; ++run) {
            if (Vuoi("preview")) {
                anteprima.ms.push_back(Anteprima(dialog, &pages));
                anteprima.floorMs.push_back(Floor(m_o.path, StampeMagazzino::Giornale(filtro, false)));
                IstanzeReport::Scarica<arpGiornaleMagazzino>();
                Stopwatch read;
                platform::Connection connection(MainModule::ConnString);
                StampeMagazzino::Esegui(connection, StampeMagazzino::Giornale(filtro, false));
                lettura.ms.push_back(read.milliseconds());
            }
            if (Vuoi("journal")) {
                Scegli(dialog, 1, 0);
                giornale.ms.push_back(Pdf(dialog, QStringLiteral("giornale-") + tag));
                giornale.floorMs.push_back(Floor(m_o.path, StampeMagazzino::Giornale(filtro, false)));
                if (pages == 0) {
                    Anteprima(dialog, &pages);
                    IstanzeReport::Scarica<arpGiornaleMagazzino>();
                }
            }
            if (Vuoi("last")) {
                Scegli(dialog, 2, 0);
                ultimo.ms.push_back(Pdf(dialog, QStringLiteral("inventario-ultimo-") + tag));
                ultimo.floorMs.push_back(
                    Floor(m_o.path, StampeMagazzino::Inventario(filtro, StampeMagazzino::Raggruppamento::Nessuno, false)));
            }
            if (Vuoi("average")) {
                Scegli(dialog, 2, 1);
                medio.ms.push_back(Pdf(dialog, QStringLiteral("inventario-medio-") + tag));
                medio.floorMs.push_back(
                    Floor(m_o.path, StampeMagazzino::Inventario(filtro, StampeMagazzino::Raggruppamento::Nessuno, true)));
            }
            if (Vuoi("below")) {
                Scegli(dialog, 3, 0);
                sotto.ms.push_back(Pdf(dialog, QStringLiteral("sottoscorta-") + tag));
                sotto.floorMs.push_back(Floor(m_o.path, StampeMagazzino::Sottoscorta(filtro.dal, filtro.al)));
            }
        }
        if (!m_desk->msgBoxes().empty()) {
            std::fprintf(stderr, "A message was shown: %s\n", qPrintable(m_desk->prompts().join(u" | ")));
            std::exit(1);
        }
        if (!giornale.ms.empty()) {
            const double perSecond = pages / (Stopwatch::median(giornale.ms) / 1000.0);
            giornale.note = QStringLiteral("%1 pages, %2 pages/s (target >= %3): %4")
                                .arg(pages)
                                .arg(perSecond, 0, 'f', 0)
                                .arg(PagesPerSecondTarget, 0, 'f', 0)
                                .arg(QLatin1String(verdict(perSecond >= PagesPerSecondTarget)));
        } else if (!anteprima.ms.empty()) {
            anteprima.note = QStringLiteral("%1 pages").arg(pages);
        }
        for (const Misura *m : {&anteprima, &lettura, &giornale, &ultimo, &medio, &sotto})
            Stampa(*m);
        delete frmPrintReportMov::Aperto();
    }

    // The journal's preview once, in this process, which has done nothing
    // else: prints its peak memory for the parent to read.
    int MemoriaAnteprima(const QDate &day)
    {
        frmPrintReportMov &dialog = Dialogo(day);
        const double before = Memoria("VmRSS:");
        int pages = 0;
        const double ms = Anteprima(dialog, &pages);
        std::printf("memory %.1f %.1f %d %.1f %.1f\n", Memoria("VmHWM:"), before, pages, ms, Memoria("VmRSS:"));
        return 0;
    }

private:
    const Opzioni &m_o;
    platform::ScopedScriptedDesktop m_desk;
    QTemporaryDir m_folder;
};

// The journal's preview at the working date, measured in a process of its
// own, so that nothing run before it counts in its peak.
void MemoriaInProprio(const Opzioni &o, const QDate &day)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {o.path, QStringLiteral("--memory"), QStringLiteral("--date=") + day.toString(Qt::ISODate)});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::printf("  Journal preview, peak memory: the measuring process failed\n");
        return;
    }
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("memory "))
            continue;
        const QList<QByteArray> v = line.mid(7).split(' ');
        if (v.size() < 5)
            break;
        const double peak = v[0].toDouble();
        std::printf("  %-38s peak %6.0f MB (%.0f MB before it, %.0f MB while it shows; %d pages, shown in %.0f ms)  "
                    "target < %.0f MB: %s\n",
                    "Journal preview, in its own process", peak, v[1].toDouble(), v[4].toDouble(), v[2].toInt(),
                    v[3].toDouble(), PreviewMemoryTarget, verdict(peak < PreviewMemoryTarget));
        return;
    }
    std::printf("  Journal preview, peak memory: no figure from the measuring process\n");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Opzioni o;
    QStringList positional;
    for (const QString &arg : QApplication::arguments().mid(1)) {
        if (arg.startsWith(QLatin1String("--date=")))
            o.data = QDate::fromString(arg.mid(7), Qt::ISODate);
        else if (arg.startsWith(QLatin1String("--only=")))
            o.solo = arg.mid(7);
        else if (arg.startsWith(QLatin1String("--keep=")))
            o.cartella = QFileInfo(arg.mid(7)).absoluteFilePath();
        else if (arg == QLatin1String("--memory"))
            o.memoria = true;
        else
            positional << arg;
    }
    if (positional.isEmpty() || positional.size() > 2 || (o.memoria && !o.data.isValid())) {
        std::fprintf(stderr, "Usage: bench_stampe_magazzino <database made by velmora_gen> [runs] [--date=yyyy-mm-dd] "
                             "[--only=preview|journal|last|average|below|memory] [--keep=folder]\n");
        return 2;
    }
    if (positional.size() == 2)
        o.runs = std::max(1, positional[1].toInt());
    o.path = QFileInfo(positional[0]).absoluteFilePath();
    MainModule::ConnString =
        MainModule::CostruisciConnString(QFileInfo(o.path).absolutePath(), QFileInfo(o.path).fileName());
    MainModule::QtyFormat = MainModule::FormatoNumero(2);
    MainModule::ValueFormat = MainModule::FormatoNumero(2);
    if (!o.cartella.isEmpty())
        QDir().mkpath(o.cartella);

    try {
        Banco banco(o);
        if (o.memoria)
            return banco.MemoriaAnteprima(o.data);

        DirectQuery direct(o.path);
        const int anno = static_cast<int>(
            direct.scalar(QStringLiteral("SELECT CAST(substr(max(DataIns), 1, 4) AS INTEGER) FROM MagazRegMain")));
        std::printf("Database: %s (%.0f MB), last year %d; %d runs each\n", qPrintable(o.path),
                    QFileInfo(o.path).size() / 1048576.0, anno, o.runs);
        const QList<QDate> days = o.data.isValid() ? QList<QDate>{o.data} : DateDiLavoro(anno);
        for (const QDate &day : days) {
            const long long lines = direct.scalar(
                QStringLiteral("SELECT count(*) FROM MagazRegDetail INNER JOIN MagazRegMain ON MagazRegMain.IdReg = "
                               "MagazRegDetail.IdReg WHERE DataIns >= '%1' AND DataIns < '%2'")
                    .arg(QDate(day.year(), 1, 1).toString(Qt::ISODate), day.addDays(1).toString(Qt::ISODate)));
            std::printf("\nWorking date %s: period %s to %s, %lld movement lines\n",
                        qPrintable(day.toString(QStringLiteral("dd/MM/yyyy"))),
                        qPrintable(QDate(day.year(), 1, 1).toString(QStringLiteral("dd/MM/yyyy"))),
                        qPrintable(day.toString(QStringLiteral("dd/MM/yyyy"))), lines);
            if (o.solo.isEmpty() || o.solo == QLatin1String("memory"))
                MemoriaInProprio(o, day);
            if (o.solo != QLatin1String("memory"))
                banco.MisuraAlla(day);
        }
        if (o.solo != QLatin1String("memory")) {
            const double peak = Memoria("VmHWM:");
            std::printf("\nPeak memory of the other cases (this process, the journal to PDF the largest): %.0f MB  "
                        "target < %.0f MB: %s\n",
                        peak, PreviewMemoryTarget, verdict(peak < PreviewMemoryTarget));
        }
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}

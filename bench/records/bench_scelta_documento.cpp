// Benchmark of the movement chooser and the movement document. On a copy
// of a database made by the synthetic generator (velmora_gen), to which it
// adds 500 movements of one article and one movement of 200 lines in the
// last year, it measures, each the median of several runs:
//  - the chooser of that article, from the call until it is shown;
//  - the document of the 200-line movement, from the call until its
//    preview's PDF export is written;
// against their targets. It runs offscreen with a scripted desktop.
// Usage: bench_scelta_documento <database made by velmora_gen>
#include "BenchCopy.h"
#include "Stopwatch.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "records/ardVendita.h"
#include "records/frmChooseMov.h"
#include "shell/MainModule.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 9;
constexpr int Movimenti = 500;
constexpr int Righe = 200;
constexpr double ChooserTarget = 100; // ms
constexpr double DocumentTarget = 500; // ms

// Adds a movement header in the year; answers its IdReg.
std::int32_t AggiungiTestata(platform::Connection &connection, const platform::DateTime &data, int numero)
{
    connection.execute(QStringLiteral("INSERT INTO MagazRegMain (DataIns, Progressivo, Causale, Descrizione, "
                                      "TipoContropartita) VALUES (?, ?, 'Carico', ?, 'Deposito')"),
                       {data, numero, QStringLiteral("Prova %1").arg(numero)});
    return connection.executeQuery(QStringLiteral("SELECT MAX(IdReg) AS Ultimo FROM MagazRegMain"))->value(0).toInt32();
}

void AggiungiRiga(platform::Connection &connection, std::int32_t idReg, int riga, const platform::Variant &codice,
                  int quantita)
{
    connection.execute(QStringLiteral("INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, [Quantità], Segno, "
                                      "Costo, Prezzo) VALUES (?, ?, ?, ?, 1, ?, ?)"),
                       {idReg, riga, codice, quantita, 1.25 * riga, 2.5 * riga});
}

// Adds the article's 500 movements and a movement of 200 lines, in the
// year; answers the IdReg of the long one.
std::int32_t AggiungiMovimenti(const QString &codice, int anno)
{
    platform::Connection connection(MainModule::ConnString);
    connection.beginTrans();
    for (int i = 0; i < Movimenti; ++i)
        AggiungiRiga(connection, AggiungiTestata(connection, platform::DateTime(anno, 1 + i % 12, 1 + i % 28), 900000 + i),
                     10, codice, 1 + i % 7);
    const std::int32_t lungo = AggiungiTestata(connection, platform::DateTime(anno, 6, 30), 999999);
    const auto codici =
        connection.executeQuery(QStringLiteral("SELECT TOP %1 Codice FROM Articoli ORDER BY Codice").arg(Righe));
    for (int i = 1; !codici->isEOF(); ++i, codici->moveNext())
        AggiungiRiga(connection, lungo, 10 * i, codici->value(0), 1 + i % 9);
    connection.commitTrans();
    return lungo;
}

// The chooser of the article, timed until it is shown; it is closed then.
double Scelta(const QString &codice, int *rows)
{
    frmChooseMov chooser;
    Stopwatch watch;
    double ms = 0;
    QTimer::singleShot(0, &chooser, [&] {
        QApplication::processEvents();
        ms = watch.milliseconds();
        *rows = chooser.gex->rowCount();
        chooser.reject();
    });
    chooser.Apri(codice);
    return ms;
}

// The document of the movement, timed until its PDF is written.
double Documento(std::int32_t idReg, const QString &pdf, platform::ScriptedDesktop &desk, int *pages)
{
    Stopwatch watch;
    ardVendita::Stampa(idReg, 1, QStringLiteral("12.345,67 €"), nullptr);
    platform::report::PreviewWindow *preview = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *shown = qobject_cast<platform::report::PreviewWindow *>(widget); shown && shown->isVisible())
            preview = shown;
    if (!preview) {
        std::fprintf(stderr, "The document was not shown: %s\n", qPrintable(desk.prompts().join(u" | ")));
        std::exit(1);
    }
    desk.queueSaveFile(pdf);
    preview->findChild<QAction *>(QStringLiteral("mnuexp12"))->trigger();
    const double ms = watch.milliseconds();
    *pages = preview->document()->pageCount();
    preview->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (QFileInfo(pdf).size() == 0) {
        std::fprintf(stderr, "The PDF was not written.\n");
        std::exit(1);
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const BenchCopy copy("bench_scelta_documento");
    MainModule::ConnString = copy.connectionString();
    platform::ScopedScriptedDesktop desk;

    QString codice;
    std::int32_t lungo = 0;
    try {
        platform::Connection connection(MainModule::ConnString);
        codice = connection.executeQuery(QStringLiteral("SELECT MIN(Codice) AS Primo FROM Articoli"))->value(0).toString();
        const auto last = connection.executeQuery(QStringLiteral("SELECT MAX(DataIns) AS Ultima FROM MagazRegMain"));
        const int anno = last->value(0).toDate().year();
        MainModule::WorkDate = platform::DateTime(anno, 12, 31);
        MainModule::WorkYear = static_cast<std::int16_t>(anno);
        lungo = AggiungiMovimenti(codice, anno);
        std::printf("Working date 31/12/%d; article %s; the long movement %d\n", anno, qPrintable(codice), lungo);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }

    int rows = 0;
    int pages = 0;
    Scelta(codice, &rows);
    Documento(lungo, copy.folder() + QStringLiteral("/warm.pdf"), *desk, &pages);
    std::vector<double> sceltaMs, documentoMs;
    for (int run = 0; run < Runs; ++run) {
        sceltaMs.push_back(Scelta(codice, &rows));
        documentoMs.push_back(Documento(lungo, copy.folder() + QStringLiteral("/doc%1.pdf").arg(run), *desk, &pages));
    }
    if (!desk->msgBoxes().empty()) {
        std::fprintf(stderr, "A message was shown: %s\n", qPrintable(desk->prompts().join(u" | ")));
        return 1;
    }

    std::printf("The chooser lists %d rows; the document has %d pages (%.0f kB).\n\n", rows, pages,
                QFileInfo(copy.folder() + QStringLiteral("/doc0.pdf")).size() / 1024.0);
    Stopwatch::printMedian("Chooser of an article, until shown", sceltaMs, ChooserTarget);
    Stopwatch::printMedian("Document of 200 lines, to PDF", documentoMs, DocumentTarget);
    return 0;
}

// Benchmark of the movement window. On a copy of a database made by the
// synthetic generator (velmora_gen), measures, each the median of several
// runs against its target:
//  - opening a stored 50-line movement in the window, until it is shown
//    and drawn with its lines;
//  - the article drop-down (the working year's stock of every article),
//    read once the window shows: the time from the start of the opening
//    until it is ready;
//  - looking up an article code typed into a line's code cell;
//  - storing 10 lines one after another, as they are typed;
//  - saving a new 50-line movement through the window.
// The window runs offscreen with a scripted desktop; a message box stops
// the run with its text.
// Usage: bench_movimenti <database made by velmora_gen>
#include "BenchCopy.h"
#include "Stopwatch.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridModel.h"
#include "records/frm_io_MovMag_01.h"
#include "records/frm_io_MovMag_01_Righe.h"
#include "shell/MainModule.h"

#include <QApplication>
#include <QPointer>

#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int Runs = 9;
constexpr int Lines = 50;
using Col = frm_io_MovMag_01_Righe::Colonna;

void Attendi()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Ferma(const platform::ScopedScriptedDesktop &desk)
{
    if (!desk->msgBoxes().empty()) {
        std::fprintf(stderr, "Message: %s\n", qPrintable(desk->msgBoxes().front().prompt));
        std::exit(1);
    }
}

// Types `count` lines of random articles into a window in new mode.
void Righe(frm_io_MovMag_01 &w, const QStringList &codici, std::mt19937 &rng, int count)
{
    platform::GridModel *model = w.gexDet->model();
    for (int i = 0; i < count; ++i) {
        const int row = model->newRecordRow();
        model->setCellText(row, Col::Codice, codici[static_cast<int>(rng() % codici.size())]);
        model->setCellText(row, Col::Quantita, QString::number(1 + rng() % 20));
        model->commitRow();
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const BenchCopy copy("bench_movimenti");
    MainModule::ConnString = copy.connectionString();
    MainModule::WorkDate = platform::DateTime::today();
    MainModule::WorkYear = static_cast<std::int16_t>(MainModule::WorkDate.year());
    MainModule::QtyFormat = QStringLiteral("#,#");
    MainModule::ValueFormat = QStringLiteral("#,#.00");
    platform::ScopedScriptedDesktop desk;

    QStringList codici;
    try {
        platform::Connection connection(MainModule::ConnString);
        const auto rs = connection.executeQuery(QStringLiteral("SELECT Codice FROM Articoli"));
        for (int row = 0; row < rs->rowCount(); ++row)
            codici << rs->valueAt(row, 0).toString();
        std::printf("Articles: %lld; movement lines: %s\n", static_cast<long long>(codici.size()),
                    qPrintable(connection.executeQuery(QStringLiteral("SELECT COUNT(*) FROM MagazRegDetail"))
                                   ->value(0)
                                   .toString()));
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    std::mt19937 rng(42);

    std::vector<double> saveMs, openMs, listMs, lookupMs, storeMs;
    for (int run = 0; run <= Runs; ++run) {
        // A new movement typed into the window, then saved.
        QPointer<frm_io_MovMag_01> w = new frm_io_MovMag_01;
        w->Nuovo();
        // The stock list is read once the window shows.
        QApplication::processEvents();
        Stopwatch watch;
        Righe(*w, codici, rng, 10);
        const double store = watch.milliseconds();
        Righe(*w, codici, rng, Lines - 10);
        watch.restart();
        const bool saved = w->cmdSalva_Click();
        const double save = watch.milliseconds();
        Ferma(desk);
        if (!saved || w->Mov().Righe().rowCount() != Lines)
            return 1;
        const std::int32_t idReg = w->Mov().IdReg();

        // A code typed into a new line: looked up, the line filled.
        platform::GridModel *model = w->gexDet->model();
        w->cmdModifica_Click();
        // The user types once the window has drawn its lines.
        QApplication::processEvents();
        w->repaint();
        const QString codice = codici[static_cast<int>(rng() % codici.size())].toLower();
        watch.restart();
        model->setCellText(model->newRecordRow(), Col::Codice, codice);
        const double lookup = watch.milliseconds();
        Ferma(desk);
        w->gexDet->cancelRow();
        w->close();
        Attendi();

        // The stored movement opened in a window of its own.
        watch.restart();
        QPointer<frm_io_MovMag_01> opened = new frm_io_MovMag_01;
        opened->Apri(idReg);
        opened->repaint();
        const double open = watch.milliseconds();
        QApplication::processEvents();
        const double list = watch.milliseconds();
        Ferma(desk);
        if (!opened || opened->gexDet->recordCount() != Lines || opened->gexArt(0)->recordCount() != codici.size())
            return 1;
        opened->close();
        Attendi();
        if (run == 0)
            continue; // the first run warms the caches
        saveMs.push_back(save);
        listMs.push_back(list);
        lookupMs.push_back(lookup);
        storeMs.push_back(store);
        openMs.push_back(open);
    }
    std::printf("\n");
    Stopwatch::printMedian("Open a 50-line movement", openMs, 150);
    Stopwatch::printMedian("Article drop-down ready", listMs, 300);
    Stopwatch::printMedian("Look up a typed article code", lookupMs, 5);
    Stopwatch::printMedian("Store 10 lines one after another", storeMs, 50);
    Stopwatch::printMedian("Save a new 50-line movement", saveMs, 30);
    return 0;
}

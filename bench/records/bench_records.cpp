// Benchmark of the article window. On a database made by the synthetic
// generator (velmora_gen), measures, each the median of several runs:
//  - opening the window on an existing article, its four look-up lists
//    filled, until it is shown;
//  - saving an article whose description was edited;
//  - opening the window on a new article, until it is shown;
// against their targets. The window runs offscreen with a scripted desktop
// (a message box stops the run with its text) on a copy of the database.
// Usage: bench_records <database made by velmora_gen>
#include "BenchCopy.h"
#include "Stopwatch.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "records/frm_io_Articoli_02.h"
#include "shell/MainModule.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 9;
constexpr double OpenTarget = 100;   // ms
constexpr double SaveTarget = 20;    // ms

// Ends a window that is still open and lets it go.
void Chiudi(frm_io_Articoli_02 *window)
{
    if (window && window->isVisible())
        window->cmdAnnulla_Click();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One run of `open` (which makes and shows a window) timed until the
// window is shown and its first events are handled; `after` acts on it.
double Apertura(const std::function<frm_io_Articoli_02 *()> &open)
{
    Stopwatch watch;
    QPointer<frm_io_Articoli_02> window = open();
    QApplication::processEvents();
    const double ms = watch.milliseconds();
    if (!window || !window->isVisible()) {
        std::fprintf(stderr, "The article window did not open.\n");
        std::exit(1);
    }
    Chiudi(window);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const BenchCopy copy("bench_records");
    MainModule::ConnString = copy.connectionString();
    MainModule::NumDecV = 2;
    MainModule::WorkDate = platform::DateTime::today();

    platform::ScopedScriptedDesktop desk;
    QString codice;
    try {
        platform::Connection connection(MainModule::ConnString);
        const auto rs = connection.executeQuery(QStringLiteral("SELECT MIN(Codice) AS Primo FROM Articoli"));
        codice = rs->value(0).toString();
        const auto count = connection.executeQuery(QStringLiteral("SELECT COUNT(*) FROM Articoli"));
        std::printf("Articles: %s; the one opened: %s\n", qPrintable(count->value(0).toString()), qPrintable(codice));
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }

    const auto esistente = [&codice] {
        auto *window = new frm_io_Articoli_02;
        window->Apri(codice, 0);
        return window;
    };
    const auto nuovo = [] {
        auto *window = new frm_io_Articoli_02;
        window->Nuovo(0);
        return window;
    };

    // One run of each before the measured ones warms the caches.
    Apertura(esistente);
    Apertura(nuovo);
    std::vector<double> openMs, saveMs, newMs;
    for (int run = 0; run < Runs; ++run) {
        openMs.push_back(Apertura(esistente));
        newMs.push_back(Apertura(nuovo));

        QPointer<frm_io_Articoli_02> window = esistente();
        QApplication::processEvents();
        window->txtData[1]->setText(QStringLiteral("Articolo di prova %1").arg(run));
        Stopwatch watch;
        const bool saved = window->cmdSalva_Click();
        saveMs.push_back(watch.milliseconds());
        if (!saved) {
            std::fprintf(stderr, "The save failed: %s\n", qPrintable(desk->prompts().join(QStringLiteral(" | "))));
            return 1;
        }
        Chiudi(window);
    }
    if (!desk->msgBoxes().empty()) {
        std::fprintf(stderr, "A message was shown: %s\n", qPrintable(desk->prompts().join(QStringLiteral(" | "))));
        return 1;
    }

    std::printf("\n");
    Stopwatch::printMedian("Open an existing article", openMs, OpenTarget);
    Stopwatch::printMedian("Save an edited article", saveMs, SaveTarget);
    Stopwatch::printMedian("Open a new article", newMs, OpenTarget);
    return 0;
}

// Benchmark of the program's start-up. On a database made by the synthetic
// generator (velmora_gen), measures:
//  - the start from MainModule::Main() to the main window shown (frmMain
//    made, Visualizza done, the window visible), with the splash's minimum
//    time taken out;
//  - SetLay on the stock node ("gia"), chosen as the button bar does;
// each the median of five runs, against their targets, and the process's
// peak memory.
// The program runs offscreen with a temporary HOME whose registry points
// at a copy of the database (the schema upgrades of the start may write to
// it, so the original is left alone).
// Usage: bench_startup <database>  |  bench_startup --quick [folder]
#include "Stopwatch.h"
#include "SyntheticDatabase.h"

#include "common/comDataBase.h"
#include "common/comRegistry.h"
#include "common/comfrmAbout.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Variant.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "platform/registry/RegistryStore.h"
#include "shell/MainModule.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int Runs = 5;
constexpr double StartTarget = 0.3;   // seconds
constexpr double StockTarget = 0.6;   // seconds
constexpr int StockNode = 1;          // "gia"

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

void printResult(const char *what, const std::vector<double> &seconds, double target)
{
    const double median = Stopwatch::median(seconds);
    std::printf("%-34s median %.3f s  (runs:", what, median);
    for (double s : seconds)
        std::printf(" %.3f", s);
    std::printf(")  target < %.1f s: %s\n", target, median < target ? "met" : "MISSED");
}

// A message box would wait for an answer nobody gives offscreen: the run
// is stopped with its text instead (the temporary HOME removed first).
void watchForModalWindows(const QString &home)
{
    auto *watchdog = new QTimer(qApp);
    QObject::connect(watchdog, &QTimer::timeout, [home] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            QStringList texts;
            for (const QLabel *label : modal->findChildren<QLabel *>())
                if (!label->text().isEmpty())
                    texts << label->text();
            std::fprintf(stderr, "A window waits for an answer: %s: %s\n", qPrintable(modal->windowTitle()),
                         qPrintable(texts.join(QStringLiteral(" | "))));
            QDir(home).removeRecursively();
            std::exit(3);
        }
    });
    watchdog->start(200);
}

// The two database reads SetLay makes on the stock node, timed alone (as
// the window makes them) so that the figure shows where its time goes:
// the stock list itself, and the status bar's "any article below its
// minimum stock" check.
void breakDownStockRefresh(double setLaySeconds)
{
    using platform::Variant;
    const QString from = comDataBase::SqlDate(platform::DateTime(MainModule::WorkYear, 1, 1));
    const QString to = comDataBase::SqlDate(MainModule::WorkDate);
    std::vector<double> listSeconds;
    std::vector<double> belowSeconds;
    for (int run = 0; run < Runs; ++run) {
        Stopwatch watch;
        {
            platform::Connection connection(MainModule::ConnString);
            platform::Recordset rs;
            rs.open(QStringLiteral("Execute RepGiacenze ") + from + QStringLiteral(", ") + to, connection,
                    platform::CursorType::Static, platform::LockType::ReadOnly, platform::CommandType::Text);
            rs.setActiveConnection(nullptr);
        }
        listSeconds.push_back(watch.seconds());
        watch.restart();
        {
            const platform::DateTime first(MainModule::WorkDate.year(), 1, 1);
            platform::Connection connection(MainModule::ConnString);
            platform::Recordset below;
            below.open(QStringLiteral("SELECT Giacenza FROM RepGiacenze WHERE ScortaMinima>Giacenza"), connection,
                       platform::CursorType::ForwardOnly, platform::LockType::ReadOnly,
                       platform::CommandType::Text, {Variant(first), Variant(MainModule::WorkDate.dateOnly())});
            (void)below.isEOF();
        }
        belowSeconds.push_back(watch.seconds());
    }
    const double list = Stopwatch::median(listSeconds);
    const double below = Stopwatch::median(belowSeconds);
    std::printf("  of which: stock query (RepGiacenze, static cursor)  %.3f s\n", list);
    std::printf("            below-minimum check (status bar)          %.3f s\n", below);
    std::printf("            the rest (grid binding, columns, widgets) %.3f s\n",
                std::max(0.0, setLaySeconds - list - below));
}

} // namespace

int main(int argc, char **argv)
{
    // Offscreen, with a HOME of its own, set before Qt reads either.
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/velmora-bench-startup-XXXXXX"));
    if (!home.isValid()) {
        std::fprintf(stderr, "Cannot make a temporary folder.\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/.local/share")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path() + QStringLiteral("/.cache")));
    QDir(home.path()).mkpath(QStringLiteral("Documents"));

    QApplication app(argc, argv);
    QApplication::setApplicationName(MainModule::ApplicationTitle);
    QApplication::setOrganizationName(QStringLiteral("Korvane"));

    const QStringList args = QApplication::arguments().mid(1);
    const bool quick = args.value(0) == QLatin1String("--quick");
    if (args.isEmpty() || (!quick && args.size() != 1) || args.size() > 2) {
        std::fprintf(stderr, "Usage: bench_startup <database made by velmora_gen>\n"
                             "       bench_startup --quick [folder to keep the database in]\n");
        return 2;
    }

    const QString workFolder = home.path() + QStringLiteral("/db");
    QDir().mkpath(workFolder);
    const QString database = workFolder + QStringLiteral("/bench.mdb");
    try {
        if (quick) {
            QString output = database;
            if (args.size() == 2) {
                QDir().mkpath(args[1]);
                output = QDir(args[1]).absoluteFilePath(QStringLiteral("startup-quick.mdb"));
            }
            std::printf("Making a small database...\n");
            const SyntheticSummary made = SyntheticDatabase::generate(
                QCoreApplication::applicationDirPath() + QStringLiteral("/master.gen"), output,
                SyntheticOptions::quick());
            std::printf("  %lld articles, %lld movements, %lld lines in %.1f s\n", made.articles, made.movements,
                        made.lines, made.seconds);
            if (output != database && !QFile::copy(output, database)) {
                std::fprintf(stderr, "Cannot copy %s.\n", qPrintable(output));
                return 1;
            }
        } else {
            const QString source = QFileInfo(args[0]).absoluteFilePath();
            if (!QFileInfo::exists(source) || !QFile::copy(source, database)) {
                std::fprintf(stderr, "Cannot read or copy %s.\n", qPrintable(source));
                return 1;
            }
            std::printf("Database: %s (%.0f MB, copied to the temporary HOME)\n", qPrintable(source),
                        QFileInfo(source).size() / 1048576.0);
        }
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }

    // The registry of the temporary HOME names the database.
    platform::RegistryStore::setDefaultFileName(home.path() + QStringLiteral("/registry.ini"));
    const QString settingsKey = QStringLiteral("Software\\Korvane\\") + MainModule::ApplicationTitle
                                + QStringLiteral("\\Settings");
    try {
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, settingsKey, comRegistry::REG_SZ,
                                   QStringLiteral("dbPath"), platform::Variant(workFolder));
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, settingsKey, comRegistry::REG_SZ,
                                   QStringLiteral("dbName"), platform::Variant(QStringLiteral("bench.mdb")));
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "Cannot write the registry: %s\n", qPrintable(e.description()));
        return 1;
    }

    // The splash's minimum time passes at once: its clock only moves by
    // the waits it asks for.
    qint64 splashClock = 0;
    comfrmAbout::Default().Timer1.setClock([&splashClock] { return splashClock; });
    comfrmAbout::Default().Timer1.setWait([&splashClock](qint64 ms) { splashClock += ms; });
    watchForModalWindows(home.path());

    // The start asks the desktop for its printers and stops at a message
    // box when there are none; a machine without printers gets one
    // scripted printer (the rest of the desktop then answers from the script
    // too, and any message box the start shows is reported).
    std::unique_ptr<platform::ScopedScriptedDesktop> scripted;
    if (platform::desktop().installedPrinters().isEmpty()) {
        scripted = std::make_unique<platform::ScopedScriptedDesktop>();
        (*scripted)->setDocumentsFolder(home.path() + QStringLiteral("/Documents"));
        (*scripted)->setPrinters({{QStringLiteral("BenchPrinter"), QStringLiteral("BenchPrinter,winspool,Ne00:")}});
        (*scripted)->setDefaultPrinter(QStringLiteral("BenchPrinter"));
        std::printf("No printer installed: the desktop services are scripted with one printer.\n");
    }
    const auto reportMessages = [&scripted] {
        if (!scripted || scripted->get().msgBoxes().empty())
            return false;
        std::fprintf(stderr, "The start showed a message: %s\n",
                     qPrintable(scripted->get().prompts().join(QStringLiteral(" | "))));
        return true;
    };

    // One start before the measured ones: it applies any schema upgrade
    // still due (a one-time cost) and warms the file cache.
    std::vector<double> startSeconds;
    std::vector<double> stockSeconds;
    for (int run = 0; run <= Runs; ++run) {
        Stopwatch watch;
        if (!MainModule::Main()) {
            reportMessages();
            std::fprintf(stderr, "MainModule::Main() refused to start.\n");
            return 1;
        }
        auto window = std::make_unique<frmMain>();
        window->Visualizza();
        const bool shown = window->isVisible();
        const double seconds = watch.seconds();
        if (!shown) {
            std::fprintf(stderr, "The main window is not visible after Visualizza.\n");
            return 1;
        }
        QApplication::processEvents();
        if (reportMessages())
            return 1;
        if (run > 0)
            startSeconds.push_back(seconds);
        else
            std::printf("Warm-up start: %.3f s (not counted)\n", seconds);

        // The stock node, chosen from the start panel (no node) each time.
        if (run > 0) {
            window->MostraNodo(-1);
            QApplication::processEvents();
            watch.restart();
            window->MostraNodo(StockNode);
            stockSeconds.push_back(watch.seconds());
            QApplication::processEvents();
            if (reportMessages())
                return 1;
            if (run == 1)
                std::printf("Stock list: %s, %d rows\n", qPrintable(window->lblTitle()->text()),
                            window->gexView()->rowCount());
        }
        window.reset();
        QApplication::processEvents();
    }

    std::printf("\n");
    printResult("Start (Main to main window shown)", startSeconds, StartTarget);
    printResult("SetLay on the stock node", stockSeconds, StockTarget);
    if (Stopwatch::median(stockSeconds) >= StockTarget)
        breakDownStockRefresh(Stopwatch::median(stockSeconds));
    std::printf("Peak memory: %.0f MB\n", peakMegabytes());

    scripted.reset();
    comfrmAbout::Default().Timer1.setClock({});
    comfrmAbout::Default().Timer1.setWait({});
    return 0;
}

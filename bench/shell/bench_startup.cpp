// Benchmark of the program's start-up. On a database made by the synthetic
// generator (velmora_gen), measures:
//  - the start from MainModule::Main() to the main window shown (frmMain
//    made, Visualizza done, the window visible), with the splash's minimum
//    time taken out;
//  - at three working dates (today, as the program starts; the same day a
//    year before; 31 December of the data's last year): the stock node
//    ("gia") chosen as the button bar does, and a refresh (SetLay) of the
//    movements list, as every save in a movement window makes it;
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
constexpr double StockTarget = 1.0;   // seconds
constexpr double RefreshTarget = 0.4; // seconds
constexpr int MovementsNode = 0;      // "mag"
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

// The stock list's own query, timed alone as the window runs it, so that
// the figure shows where the stock node's time goes (the below-minimum
// warning is read from the list's rows there).
double stockQuerySeconds()
{
    const QString from = comDataBase::SqlDate(platform::DateTime(MainModule::WorkYear, 1, 1));
    const QString to = comDataBase::SqlEndOfDay(MainModule::WorkDate);
    std::vector<double> seconds;
    for (int run = 0; run < Runs; ++run) {
        Stopwatch watch;
        platform::Connection connection(MainModule::ConnString);
        platform::Recordset rs;
        rs.open(QStringLiteral("Execute RepGiacenze ") + from + QStringLiteral(", ") + to, connection,
                platform::CursorType::Static, platform::LockType::ReadOnly, platform::CommandType::Text);
        rs.setActiveConnection(nullptr);
        seconds.push_back(watch.seconds());
    }
    return Stopwatch::median(seconds);
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

    // The working dates: today (the program's own at its start), the same
    // day a year before, and 31 December of the data's last year.
    struct AtDate {
        platform::DateTime date;
        std::vector<double> stock;
        std::vector<double> refresh;
    };
    std::vector<AtDate> dates;
    {
        const platform::DateTime today = platform::DateTime::today();
        platform::Connection connection(MainModule::CostruisciConnString(workFolder, QStringLiteral("bench.mdb")));
        const auto last = connection.executeQuery(QStringLiteral("SELECT Max(DataIns) AS Ultima FROM MagazRegMain"));
        const int lastYear = last->isEOF() || last->value(0).isNull() ? today.year() : last->value(0).toDate().year();
        dates.push_back({today, {}, {}});
        dates.push_back({platform::DateTime(today.date().addYears(-1)), {}, {}});
        dates.push_back({platform::DateTime(lastYear, 12, 31), {}, {}});
    }
    const auto setWorkDate = [](const platform::DateTime &date) {
        MainModule::WorkDate = date;
        MainModule::WorkYear = static_cast<std::int16_t>(date.year());
    };

    // One start before the measured ones: it applies any schema upgrade
    // still due (a one-time cost) and warms the file cache.
    std::vector<double> startSeconds;
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
        if (run == 0) {
            std::printf("Warm-up start: %.3f s (not counted)\n", seconds);
        } else {
            startSeconds.push_back(seconds);
            for (AtDate &at : dates) {
                setWorkDate(at.date);
                // The stock node, chosen from the start panel (no node).
                window->MostraNodo(-1);
                QApplication::processEvents();
                watch.restart();
                window->MostraNodo(StockNode);
                at.stock.push_back(watch.seconds());
                QApplication::processEvents();
                if (run == 1 && &at == &dates.front())
                    std::printf("Stock list: %s, %d rows\n", qPrintable(window->lblTitle()->text()),
                                window->gexView()->rowCount());
                // The movements list refreshed, as after a save.
                window->MostraNodo(MovementsNode);
                QApplication::processEvents();
                watch.restart();
                window->SetLay();
                at.refresh.push_back(watch.seconds());
                QApplication::processEvents();
                if (reportMessages())
                    return 1;
            }
        }
        window.reset();
        QApplication::processEvents();
    }

    std::printf("\n");
    printResult("Start (Main to main window shown)", startSeconds, StartTarget);
    for (AtDate &at : dates) {
        setWorkDate(at.date);
        const QByteArray day = at.date.date().toString(QStringLiteral("dd/MM/yyyy")).toUtf8();
        std::printf("Working date %s:\n", day.constData());
        printResult("  stock node chosen", at.stock, StockTarget);
        std::printf("    of which the stock query alone: %.3f s\n", stockQuerySeconds());
        printResult("  movements list refreshed", at.refresh, RefreshTarget);
    }
    std::printf("Peak memory: %.0f MB\n", peakMegabytes());

    scripted.reset();
    comfrmAbout::Default().Timer1.setClock({});
    comfrmAbout::Default().Timer1.setWait({});
    return 0;
}

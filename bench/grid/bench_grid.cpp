// Times the grid on 200,000 movements, offscreen: binding and showing the
// movement list, sorting it on another column, grouping it on two columns
// with caption sums, a begins-with find near the end, and dropping the rows;
// then the peak memory of the process.
//
//   bench_grid [movements] [database file]
//
// A database file that already exists is used as it is.

#include "GridBenchDatabase.h"

#include "platform/base/Format.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridRowFormat.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTableView>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

using platform::FindCondition;
using platform::FindDirection;
using platform::Grid;
using platform::SortOrder;

namespace {

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// With BENCH_GRID_MEMORY set, the resident and peak memory after a step.
void memoryAfter(const char *step)
{
    if (!qEnvironmentVariableIsSet("BENCH_GRID_MEMORY"))
        return;
    QFile status(QStringLiteral("/proc/self/status"));
    long rss = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss = line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
        }
    }
    std::printf("  memory after %s: %ld MB resident, %ld MB peak\n", step, rss, peakMegabytes());
}

// Lets the grid lay itself out and paint what it shows.
void settle(Grid &grid)
{
    QApplication::processEvents();
    grid.view()->viewport()->repaint();
    QApplication::processEvents();
}

void report(const char *what, double ms, double target)
{
    std::printf("%-44s %9.1f ms   (target < %.0f ms)%s\n", what, ms, target, ms < target ? "" : "   OVER");
}

double elapsed(const QElapsedTimer &t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QApplication app(argc, argv);
    memoryAfter("starting");

    gridbench::Sizes sizes;
    if (argc > 1)
        sizes.movements = std::max(1000, QString::fromLocal8Bit(argv[1]).toInt());
    QTemporaryDir folder;
    const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2]) : folder.filePath(QStringLiteral("bench.mdb"));

    QElapsedTimer t;
    t.start();
    if (QFileInfo::exists(path)) {
        std::printf("database: %s as it is\n\n", qPrintable(path));
    } else {
        gridbench::createDatabase(path, sizes);
        std::printf("database: %d movements generated in %.0f ms\n\n", sizes.movements, elapsed(t));
    }

    Grid grid;
    grid.resize(1280, 800);
    grid.setConnectionString(QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + path
                             + QStringLiteral(";Persist Security Info=False"));
    const QString yy = QString::number(sizes.year % 100).rightJustified(2, u'0');
    grid.setRecordSource(QStringLiteral("Execute ViewMagazzino #01/01/%1#, #12/31/%1#").arg(yy));

    // Group captions show the sums of the number of lines and of the
    // numbers, as the stock list shows its totals.
    QObject::connect(&grid, &Grid::rowFormat, [](platform::GridRowFormat &row) {
        if (!row.isGroupCaption())
            return;
        row.caption += QStringLiteral("     [") + platform::formatValue(row.groupSum(9), QStringLiteral("#,#.00"))
            + QStringLiteral("]  [") + platform::formatValue(row.groupSum(3), QStringLiteral("#,#.00"))
            + QStringLiteral("]");
    });

    // Bind and show: the movement list as the main window lays it out.
    t.restart();
    grid.rebind();
    const double fetched = elapsed(t);
    memoryAfter("binding");
    static const int widths[] = {0, 1400, 1400, 3000, 1400, 1400, 0, 0, 0, 2000};
    for (int i = 1; i <= grid.columns().count() && i <= 10; ++i)
        grid.column(i)->setWidth(widths[i - 1]);
    grid.column(2)->setCaption(QStringLiteral("Data"));
    grid.groups().clear();
    grid.sortKeys().clear();
    grid.sortKeys().add(3, SortOrder::Ascending);
    grid.show();
    settle(grid);
    const double bindShow = elapsed(t);
    std::printf("rows: %d records, %d columns\n", grid.recordCount(), grid.columns().count());
    report("bind and show", bindShow, 350);
    std::printf("  of which the query and reading its rows       %9.1f ms\n", fetched);

    // Sort on another column.
    t.restart();
    grid.sortKeys().clear();
    grid.sortKeys().add(4, SortOrder::Ascending);
    grid.reSort();
    settle(grid);
    report("sort on Descrizione", elapsed(t), 300);
    memoryAfter("sorting");

    // Group on two columns, caption rows with sums.
    t.restart();
    grid.groups().add(5, SortOrder::Ascending);
    grid.groups().add(10, SortOrder::Ascending);
    grid.reSort();
    settle(grid);
    report("group on Causale, Contropartita with sums", elapsed(t), 300);
    memoryAfter("grouping");
    int captions = 0;
    t.restart();
    for (int row = 1; row <= grid.rowCount(); ++row) {
        if (grid.isGroupCaption(row)) {
            ++captions;
            grid.groupSum(row, 9);
            grid.groupSum(row, 3);
        }
    }
    std::printf("  %d rows with %d captions; every group's sums %9.1f ms\n", grid.rowCount(), captions, elapsed(t));
    t.restart();
    grid.collapseAll();
    settle(grid);
    std::printf("  collapse all                                  %9.1f ms\n", elapsed(t));
    t.restart();
    grid.groups().clear();
    grid.reSort();
    settle(grid);
    std::printf("  ungroup                                       %9.1f ms\n", elapsed(t));

    // Find a begins-with text near the end, on the sorted column, as the
    // find box does; the time includes showing the row found.
    const QString wanted = QStringLiteral("documento %1").arg(sizes.movements - 9).left(15);
    t.restart();
    int found = grid.find(4, FindCondition::BeginsWith, wanted);
    settle(grid);
    report("find begins-with near the end", elapsed(t), 20);
    std::printf("  \"%s\" found on row %d of %d\n", qPrintable(wanted), found, grid.rowCount());
    grid.setRow(1);
    settle(grid);
    t.restart();
    found = grid.find(4, FindCondition::BeginsWith, wanted + u'9');
    const double searching = elapsed(t);
    settle(grid);
    report("find begins-with near the end, next letter", elapsed(t), 20);
    std::printf("  of which the search itself                    %9.1f ms\n", searching);
    // Sorted descending, the find box searches backwards from after the
    // last row, to find the first match in ascending order.
    grid.sortKeys().clear();
    grid.sortKeys().add(4, SortOrder::Descending);
    grid.reSort();
    settle(grid);
    t.restart();
    found = grid.find(4, FindCondition::BeginsWith, QStringLiteral("documento 00001"), grid.rowCount() + 1,
                      FindDirection::Backward);
    settle(grid);
    report("find begins-with backwards, sorted descending", elapsed(t), 20);
    std::printf("  found on row %d\n", found);
    // Not the sort column: every row is compared (its texts read first).
    t.restart();
    found = grid.find(10, FindCondition::BeginsWith, QStringLiteral("controparte 0399"));
    settle(grid);
    std::printf("  find on a column that is not sorted         %9.1f ms (row %d)\n", elapsed(t), found);
    t.restart();
    found = grid.find(10, FindCondition::BeginsWith, QStringLiteral("controparte 0398"));
    settle(grid);
    std::printf("  the same once its texts are read             %9.1f ms (row %d)\n", elapsed(t), found);
    memoryAfter("finding");

    // An empty record source leaves the grid without rows: their memory is freed.
    t.restart();
    grid.setRecordSource(QString());
    grid.rebind();
    std::printf("  dropping the rows                            %9.1f ms\n", elapsed(t));

    const long peak = peakMegabytes();
    std::printf("%-44s %9ld MB   (target < 120 MB)%s\n", "peak memory (ru_maxrss)", peak, peak < 120 ? "" : "   OVER");
    return 0;
}

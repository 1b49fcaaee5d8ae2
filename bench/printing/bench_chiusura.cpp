// Benchmark of the year-end closing and of the renumbering. On copies of a
// database made by the synthetic generator (velmora_gen), measures, each
// the median of three runs on a fresh copy, beside the same statements run
// straight through sqlite3:
//  - the closing of the last year of the database from the valuation
//    choice to the success message (negative-stock check, counter, header,
//    lines, the articles left without a cost, commit), at the last and at
//    the average load cost;
//  - the closing of the year before at the last cost, where most articles
//    were loaded again after it and their loads must be searched;
//  - the renumbering of that year's movements, all of them renumbered.
// Usage: bench_chiusura <database made by velmora_gen>
#include "Ammanchi.h"
#include "DirectQuery.h"
#include "Stopwatch.h"
#include "SyntheticDatabase.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/data/Session.h"
#include "printing/ChiusuraMagazzino.h"
#include "printing/RicalcolaProgressivi.h"
#include "printing/frmValorizzazione.h"
#include "shell/MainModule.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <vector>

using platform::DateTime;
using platform::Variant;

namespace {

constexpr int Runs = 3;
constexpr double ClosingTarget = 3000; // ms
constexpr double RenumberTarget = 2000;

QString g_original;
QString g_copy;

void freshCopy()
{
    QFile::remove(g_copy);
    QFile::remove(g_copy + QStringLiteral("-journal"));
    if (!QFile::copy(g_original, g_copy))
        throw platform::RuntimeError(1, QStringLiteral("cannot copy the database to %1").arg(g_copy));
}

// Runs `prepare` untimed then `timed`, Runs times, and answers the median.
double median(const std::function<void()> &prepare, const std::function<void()> &timed)
{
    std::vector<double> ms;
    for (int i = 0; i < Runs; ++i) {
        prepare();
        Stopwatch clock;
        timed();
        ms.push_back(clock.milliseconds());
    }
    return Stopwatch::median(ms);
}

void report(const QString &what, double layer, double floor, double target, const QString &note)
{
    std::printf("%-40s %8.1f ms   sqlite3 %8.1f ms   target < %.0f ms: %s   %s\n", qPrintable(what), layer, floor,
                target, layer < target ? "met" : "MISSED", qPrintable(note));
}

// A Jet statement translated for sqlite3.
struct Direct
{
    QString sql;
    QStringList names;
};
Direct translated(const QString &jetSql)
{
    platform::Connection c(MainModule::ConnString);
    const platform::jet::Translation t = c.openSession().translate(jetSql);
    return {t.sql, t.parameterNames};
}

// A fresh copy whose year has no article of negative stock, so that the
// closing writes its lines.
void freshCopyWithoutShortfalls(int year)
{
    freshCopy();
    ColmaAmmanchi(g_copy, year);
}

void closing(std::int32_t valorizzazione, int year)
{
    const DateTime work(year + 1, 1, 15);
    const auto periodo = ChiusuraMagazzino::PeriodoChiusura(work);
    const auto prepare = [year] { freshCopyWithoutShortfalls(year); };
    ChiusuraMagazzino::Esito esito;
    const double layer = median(prepare, [&] {
        ChiusuraMagazzino::GiacenzeNegative(periodo);
        esito = ChiusuraMagazzino::Scrivi(valorizzazione, work);
    });
    long long floorLines = 0;
    const Direct negative = translated(ChiusuraMagazzino::SqlGiacenzeNegative());
    const Direct lines = translated(ChiusuraMagazzino::SqlRighe(valorizzazione));
    const Direct missing = translated(ChiusuraMagazzino::SqlSenzaCosto());
    const Direct remove = translated(ChiusuraMagazzino::SqlTogliSenzaCosto());
    const double floor = median(prepare, [&] {
        DirectQuery d(g_copy);
        d.run(negative.sql, negative.names, {periodo.dal, periodo.fine});
        d.exec("BEGIN IMMEDIATE");
        d.run(negative.sql, negative.names, {periodo.dal, periodo.fine});
        d.run(QStringLiteral("INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', :y, 1)"), {QStringLiteral("y")},
              {year + 1});
        d.run(QStringLiteral("INSERT INTO MagazRegMain (DataIns, Progressivo, Descrizione, Causale, "
                             "TipoContropartita) VALUES (:d, 1, 'Giacenze iniziali', 'Carico', 'Deposito')"),
              {QStringLiteral("d")}, {work});
        const Variant id = Variant::fromInt64(sqlite3_last_insert_rowid(d.handle()));
        d.run(lines.sql, lines.names, {periodo.dal, periodo.fine, id});
        floorLines = d.changes();
        floorLines -= d.run(missing.sql, missing.names, {id});
        d.run(remove.sql, remove.names, {id});
        d.exec("COMMIT");
    });
    report(QStringLiteral("closing of %1 at %2").arg(year).arg(valorizzazione == frmValorizzazione::CostoMedio
                                                                    ? QStringLiteral("average cost")
                                                                    : QStringLiteral("last cost")),
           layer, floor, ClosingTarget,
           QStringLiteral("%1 lines (sqlite3 %2), %3 without a cost")
               .arg(esito.righe)
               .arg(floorLines)
               .arg(esito.senzaCosto.size()));
}

// Every movement of the year gets a new number: they are zeroed first.
void renumbering(int year)
{
    auto scrambled = [year] {
        freshCopy();
        DirectQuery d(g_copy);
        d.run(QStringLiteral("UPDATE MagazRegMain SET Progressivo = 0 WHERE DataIns >= :a AND DataIns < :b"),
              {QStringLiteral("a"), QStringLiteral("b")}, {DateTime(year, 1, 1), DateTime(year + 1, 1, 1)});
    };
    int movements = 0;
    const double layer = median(scrambled, [&] { movements = RicalcolaProgressivi::Rinumera(year); });
    const double floor = median(scrambled, [&] {
        DirectQuery d(g_copy);
        d.exec("BEGIN IMMEDIATE");
        d.run(QStringLiteral("UPDATE MagazRegMain SET Progressivo = r.n FROM (SELECT IdReg AS i, "
                             "ROW_NUMBER() OVER (ORDER BY DataIns, IdReg) AS n FROM MagazRegMain "
                             "WHERE DataIns >= :a AND DataIns < :b) AS r WHERE MagazRegMain.IdReg = r.i"),
              {QStringLiteral("a"), QStringLiteral("b")}, {DateTime(year, 1, 1), DateTime(year + 1, 1, 1)});
        d.exec("COMMIT");
    });
    report(QStringLiteral("renumbering of %1").arg(year), layer, floor, RenumberTarget,
           QStringLiteral("%1 movements").arg(movements));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || !QFileInfo::exists(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: bench_chiusura <database made by velmora_gen>\n");
        return 2;
    }
    QTemporaryDir work;
    g_original = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    g_copy = work.path() + QStringLiteral("/chiusura.mdb");
    MainModule::ConnString = SyntheticDatabase::connectionString(g_copy);
    try {
        freshCopy();
        const int year = static_cast<int>(DirectQuery(g_copy).scalar(
            QStringLiteral("SELECT CAST(substr(Max(DataIns), 1, 4) AS INTEGER) FROM MagazRegMain")));
        closing(frmValorizzazione::CostoUltimo, year);
        closing(frmValorizzazione::CostoMedio, year);
        closing(frmValorizzazione::CostoUltimo, year - 1);
        renumbering(year);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "bench_chiusura: %s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}

// Times the database layer on a synthetic database and compares each
// operation with the same SQL run straight through sqlite3 (the floor).
//
//   bench_data [--runs N] [--work-dir DIR] [--show-sql] [--trace] [database]
//   bench_data --quick        (makes a small database first)
//
// The database given is never changed: the benchmark works on a copy in
// the work folder (a temporary folder unless told). The year-end closing is
// timed by bench_chiusura, which runs the program's own closing.

#include "DirectQuery.h"
#include "Stopwatch.h"
#include "SyntheticDatabase.h"

#include "common/comDataBase.h"
#include "common/comDateLib.h"
#include "platform/base/Currency.h"
#include "platform/base/DateTime.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Variant.h"
#include "platform/data/Command.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/data/Session.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "shell/MainModule.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

using platform::Connection;
using platform::Currency;
using platform::DateTime;
using platform::Recordset;
using platform::Variant;

namespace {

// ---- statement trace (--trace) --------------------------------------------

// Counts the statements every connection of the process runs, and prints
// them while `print` is set: shows what one operation costs in statements.
struct StatementTrace {
    static inline long long count = 0;
    static inline bool print = false;

    static int onStatement(unsigned, void *, void *statement, void *)
    {
        ++count;
        if (print)
            std::printf("      | %s\n", sqlite3_sql(static_cast<sqlite3_stmt *>(statement)));
        return 0;
    }
    static int install(sqlite3 *db, const char **, const void *)
    {
        sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &StatementTrace::onStatement, nullptr);
        return SQLITE_OK;
    }
    static void enable()
    {
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&StatementTrace::install));
    }
};

// ---- results ---------------------------------------------------------------

// One line of the printed table.
struct Result {
    QString operation;
    long long rows = -1;
    double layerMs = 0;
    double floorMs = -1;   // < 0: no floor
    QString target;        // "< 500 ms", ...
    std::optional<bool> met;
    QString note;
};

QString jetDate(const QDate &d)
{
    return QStringLiteral("#%1/%2/%3#")
        .arg(d.month(), 2, 10, QChar(u'0'))
        .arg(d.day(), 2, 10, QChar(u'0'))
        .arg(d.year() % 100, 2, 10, QChar(u'0'));
}

QString formatMs(double ms)
{
    if (ms < 0)
        return QStringLiteral("-");
    if (ms < 10)
        return QString::number(ms, 'f', 3) + QStringLiteral(" ms");
    if (ms < 1000)
        return QString::number(ms, 'f', 1) + QStringLiteral(" ms");
    return QString::number(ms / 1000.0, 'f', 2) + QStringLiteral(" s");
}

bool copyFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    QFile::remove(to + QStringLiteral("-journal"));
    return QFile::copy(from, to);
}

// ---- the benchmark ---------------------------------------------------------

// Runs every measured operation on a work copy of the database and keeps
// the results for the table.
class DataBenchmark
{
public:
    DataBenchmark(QString original, QString workFolder, int runs, bool showSql, bool trace)
        : m_original(std::move(original))
        , m_work(std::move(workFolder))
        , m_runs(runs)
        , m_showSql(showSql)
        , m_trace(trace)
    {
        m_path = m_work + QStringLiteral("/bench.mdb");
        if (!copyFile(m_original, m_path))
            throw platform::RuntimeError(1, QStringLiteral("cannot copy %1 to %2").arg(m_original, m_path));
        m_cs = SyntheticDatabase::connectionString(m_path);

        DirectQuery d(m_path);
        m_articles = d.scalar(QStringLiteral("SELECT count(*) FROM Articoli"));
        m_movements = d.scalar(QStringLiteral("SELECT count(*) FROM MagazRegMain"));
        m_lines = d.scalar(QStringLiteral("SELECT count(*) FROM MagazRegDetail"));
        m_workYear = static_cast<int>(d.scalar(QStringLiteral("SELECT CAST(substr(max(DataIns), 1, 4) AS INTEGER) FROM MagazRegMain")));
        if (m_workYear == 0)
            m_workYear = QDate::currentDate().year();
        m_firstYear = static_cast<int>(d.scalar(QStringLiteral("SELECT CAST(substr(min(DataIns), 1, 4) AS INTEGER) FROM MagazRegMain")));
        m_workDate = QDate(m_workYear, 12, 31);
    }

    // Today's day of the year in the last year of the data, the same day a
    // year before, and the last year's 31 December.
    QList<QDate> workingDates() const
    {
        const QDate today = QDate::currentDate();
        QDate inside(m_workYear, today.month(), today.day());
        if (!inside.isValid()) // 29 February
            inside = QDate(m_workYear, 2, 28);
        return {inside, inside.addYears(-1), QDate(m_workYear, 12, 31)};
    }

    void describe() const
    {
        std::printf("database   %s (%.1f MB)\n", qPrintable(m_original),
                    static_cast<double>(QFileInfo(m_original).size()) / 1e6);
        std::printf("contents   %lld articles, %lld movements, %lld lines, years %d-%d\n", m_articles, m_movements,
                    m_lines, m_firstYear, m_workYear);
        std::printf("work copy  %s\n", qPrintable(m_path));
        std::printf("settings   working year %d, working dates %s, %s and %s, SQLite %s, median of %d runs unless "
                    "told\n\n",
                    m_workYear, qPrintable(workingDates()[0].toString(Qt::ISODate)),
                    qPrintable(workingDates()[1].toString(Qt::ISODate)),
                    qPrintable(workingDates()[2].toString(Qt::ISODate)), sqlite3_libversion(), m_runs);
    }

    void runAll()
    {
        const QDate yearStart(m_workYear, 1, 1);
        const QDate yearEnd(m_workYear, 12, 31);

        // The stock queries at three working dates: today's day of the year
        // in the last year of the data (the program's working date when the
        // data reaches this year), the same day a year before, and the last
        // year's 31 December. Each period runs from 1 January to the working
        // date, its last day whole.
        for (const QDate &day : workingDates()) {
            const QString at = day.toString(QStringLiteral("dd/MM/yyyy"));
            const QDate first(day.year(), 1, 1);
            const QString range =
                comDataBase::SqlDate(DateTime(first)) + QStringLiteral(", ") + comDataBase::SqlEndOfDay(DateTime(day));
            step(QStringLiteral("stock list ") + at, [&] {
                query(QStringLiteral("RepGiacenze (stock list) at %1").arg(at), QStringLiteral("Execute RepGiacenze ") + range,
                      {}, 1000, -1);
            });
            step(QStringLiteral("below-minimum check ") + at, [&] {
                query(QStringLiteral("below-minimum check at %1").arg(at),
                      QStringLiteral("SELECT Giacenza FROM RepGiacenze WHERE ScortaMinima>Giacenza"),
                      {Variant(DateTime(first)), Variant(comDateLib::EndOfDay(DateTime(day)))}, 300, -1);
            });
            step(QStringLiteral("ViewGiacenze ") + at, [&] {
                query(QStringLiteral("ViewGiacenze (article drop-down) at %1").arg(at),
                      QStringLiteral("Execute ViewGiacenze ") + range, {}, 300, -1);
            });
        }
        step(QStringLiteral("invCU"), [&] {
            query(QStringLiteral("invCU, up to the end of a year"),
                  QStringLiteral("Execute invCU ") + jetDate(yearEnd), {}, -1, -1);
        });
        step(QStringLiteral("invCM"), [&] {
            query(QStringLiteral("invCM, a year"),
                  QStringLiteral("Execute invCM ") + jetDate(yearEnd) + QStringLiteral(", ") + jetDate(yearStart), {},
                  -1, -1);
        });
        step(QStringLiteral("ProssimoProgressivo"), [&] { counter(); });
        step(QStringLiteral("movement save"), [&] { movementSave(); });
        step(QStringLiteral("upgrades"), [&] { upgrades(); });
    }

    void printTable() const
    {
        std::printf("\n%-44s %9s %11s %11s %7s  %-16s %s\n", "operation", "rows", "layer", "sqlite3", "ratio",
                    "target", "met");
        std::printf("%s\n", QString(112, u'-').toUtf8().constData());
        for (const Result &r : m_results) {
            const QString ratio = r.floorMs > 0 ? QString::number(r.layerMs / r.floorMs, 'f', 2) : QStringLiteral("-");
            const QString met = !r.met ? QString() : *r.met ? QStringLiteral("yes") : QStringLiteral("NO");
            std::printf("%-44s %9s %11s %11s %7s  %-16s %s\n", qPrintable(r.operation),
                        r.rows >= 0 ? qPrintable(QString::number(r.rows)) : "", qPrintable(formatMs(r.layerMs)),
                        qPrintable(formatMs(r.floorMs)), qPrintable(ratio), qPrintable(r.target), qPrintable(met));
            if (!r.note.isEmpty())
                std::printf("%-44s %s\n", "", qPrintable(r.note));
        }
    }

    bool allMet() const
    {
        for (const Result &r : m_results) {
            if (r.met && !*r.met)
                return false;
        }
        return true;
    }

private:
    // Runs one operation; a failure is reported in the table, the rest go on.
    void step(const QString &name, const std::function<void()> &body)
    {
        std::printf("running: %s\n", qPrintable(name));
        std::fflush(stdout);
        try {
            body();
        } catch (const platform::RuntimeError &e) {
            Result r;
            r.operation = name;
            r.met = false;
            r.note = QStringLiteral("FAILED: ") + QString::fromUtf8(e.what());
            m_results.push_back(r);
        }
    }

    platform::jet::Translation translate(const QString &path, const QString &jetSql)
    {
        Connection c(SyntheticDatabase::connectionString(path));
        platform::jet::Translation t = c.openSession().translate(jetSql);
        if (m_showSql && !m_shown.contains(t.sql)) {
            m_shown.insert(t.sql);
            std::printf("    %s\n    -> %s\n       parameters: %s\n", qPrintable(jetSql), qPrintable(t.sql),
                        qPrintable(t.parameterNames.join(u", ")));
        }
        return t;
    }

    // A query the program opens into a static, read-only recordset on a
    // new connection; the floor prepares the translated text on a new
    // sqlite3 connection and reads every column of every row.
    void query(const QString &name, const QString &jetSql, const QList<Variant> &parameters, double targetMs,
               double targetRatio)
    {
        const platform::jet::Translation t = translate(m_path, jetSql);
        const QList<Variant> values = t.executeArguments.isEmpty() ? parameters : t.executeArguments;

        long long layerRows = 0;
        long long floorRows = 0;
        auto layer = [&] {
            Stopwatch clock;
            Connection c(m_cs);
            platform::Command command(c, jetSql);
            for (const Variant &p : parameters)
                command.appendParameter(p);
            std::unique_ptr<Recordset> rs = command.execute(platform::CursorType::Static, platform::LockType::ReadOnly);
            layerRows = rs->recordCount();
            rs->close();
            c.close();
            return clock.milliseconds();
        };
        auto floor = [&] {
            Stopwatch clock;
            DirectQuery d(m_path);
            floorRows = d.run(t.sql, t.parameterNames, values);
            return clock.milliseconds();
        };
        layer(); // warm the page cache and both code paths
        floor();
        std::vector<double> layerTimes, floorTimes;
        for (int i = 0; i < m_runs; ++i) {
            layerTimes.push_back(layer());
            floorTimes.push_back(floor());
        }
        Result r;
        r.operation = name;
        r.rows = layerRows;
        r.layerMs = Stopwatch::median(layerTimes);
        r.floorMs = Stopwatch::median(floorTimes);
        if (targetMs > 0) {
            r.target = QStringLiteral("< %1 ms").arg(targetMs);
            if (targetRatio > 0)
                r.target += QStringLiteral(", <= %1x").arg(targetRatio);
            r.met = r.layerMs < targetMs && (targetRatio <= 0 || r.layerMs <= targetRatio * r.floorMs);
        }
        if (layerRows != floorRows)
            r.note = QStringLiteral("row counts differ: layer %1, sqlite3 %2").arg(layerRows).arg(floorRows);
        m_results.push_back(r);
    }

    // The counter: MainModule::ProssimoProgressivo 1000 times; the floor
    // opens a connection and runs the same read and compare-and-set update
    // in a write transaction.
    void counter()
    {
        const int calls = 1000;
        MainModule::ConnString = m_cs;
        const auto year = static_cast<std::int16_t>(m_workYear);
        if (m_trace)
            traced(QStringLiteral("ProssimoProgressivo"), [&] { MainModule::ProssimoProgressivo(year); });

        std::vector<double> layerTimes, floorTimes;
        std::int32_t last = 0;
        for (int i = 0; i < calls; ++i) {
            Stopwatch clock;
            last = MainModule::ProssimoProgressivo(year);
            layerTimes.push_back(clock.milliseconds());
        }
        const QString select =
            QStringLiteral("SELECT rowid, * FROM _Pars WHERE k01='maga' AND l01=") + QString::number(m_workYear);
        for (int i = 0; i < calls; ++i) {
            Stopwatch clock;
            DirectQuery d(m_path);
            d.exec("BEGIN IMMEDIATE");
            sqlite3_stmt *read = d.prepare(select);
            if (sqlite3_step(read) != SQLITE_ROW)
                throw platform::RuntimeError(1, QStringLiteral("no counter row"));
            const long long rowid = sqlite3_column_int64(read, 0);
            const long long n = sqlite3_column_int64(read, 4);
            sqlite3_finalize(read);
            sqlite3_stmt *write = d.prepare(QStringLiteral("UPDATE _Pars SET l02 = ?1 WHERE rowid = ?2 AND l02 IS ?3"));
            sqlite3_bind_double(write, 1, static_cast<double>(n + 1));
            sqlite3_bind_int64(write, 2, rowid);
            sqlite3_bind_double(write, 3, static_cast<double>(n));
            d.stepAll(write);
            sqlite3_finalize(write);
            d.exec("COMMIT");
            floorTimes.push_back(clock.milliseconds());
        }
        double total = 0;
        for (double t : layerTimes)
            total += t;
        std::vector<double> sorted = layerTimes;
        std::sort(sorted.begin(), sorted.end());
        Result r;
        r.operation = QStringLiteral("ProssimoProgressivo, per call (x%1)").arg(calls);
        r.layerMs = Stopwatch::median(layerTimes);
        r.floorMs = Stopwatch::median(floorTimes);
        r.target = QStringLiteral("< 5 ms each");
        r.met = sorted[static_cast<size_t>(calls * 95 / 100)] < 5.0;
        r.note = QStringLiteral("layer: mean %1, 95th pct %2, max %3, total %4; last number %5")
                     .arg(formatMs(total / calls), formatMs(sorted[static_cast<size_t>(calls * 95 / 100)]),
                          formatMs(sorted.back()), formatMs(total))
                     .arg(last + 1);
        m_results.push_back(r);
    }

    // A new movement of 20 lines held in disconnected batch recordsets, as
    // the movement window holds it before the save.
    struct Movement {
        std::unique_ptr<Recordset> header;
        std::unique_ptr<Recordset> lines;
    };

    Movement newMovement(const QStringList &codes)
    {
        Connection c(m_cs);
        Movement m;
        m.header = std::make_unique<Recordset>();
        m.header->open(QStringLiteral("MagazRegMain"), c, platform::CursorType::Static,
                       platform::LockType::BatchOptimistic, platform::CommandType::Table);
        m.header->addNew();
        m.header->setValue(QStringLiteral("DataIns"), Variant(DateTime(m_workDate)));
        m.header->setValue(QStringLiteral("Causale"), Variant("Vendita"));
        m.header->setValue(QStringLiteral("Descrizione"), Variant("Vendita al banco"));
        m.header->setValue(QStringLiteral("IdContropartita"), Variant(std::int32_t(m_customer)));
        m.header->update();
        m.lines = std::make_unique<Recordset>();
        m.lines->open(QStringLiteral("SELECT * FROM MagazRegDetail WHERE IdReg=0 ORDER BY Riga"), c,
                      platform::CursorType::Static, platform::LockType::BatchOptimistic);
        for (int i = 0; i < codes.size(); ++i) {
            m.lines->addNew();
            m.lines->setValue(QStringLiteral("Riga"), Variant(std::int32_t(10 * (i + 1))));
            m.lines->setValue(QStringLiteral("CodiceArticolo"), Variant(codes[i]));
            m.lines->setValue(QStringLiteral("Quantità"), Variant(Currency::fromInt(i % 5 + 1)));
            m.lines->setValue(QStringLiteral("Costo"), Variant(1.25 * (i + 1)));
            m.lines->setValue(QStringLiteral("Prezzo"), Variant(2.5 * (i + 1)));
            m.lines->update();
        }
        m.header->setActiveConnection(nullptr);
        m.lines->setActiveConnection(nullptr);
        c.close();
        return m;
    }

    // The save: stamp the lines, a new connection, one transaction with the
    // counter row, the header (batch update of the current record) and the
    // lines (batch update of all records), commit, detach.
    void saveWithLayer(Movement &m)
    {
        const std::int32_t sign = -1; // "Vendita"
        m.lines->moveFirst();
        while (!m.lines->isEOF()) {
            m.lines->setValue(QStringLiteral("Segno"), Variant(std::int16_t(sign)));
            m.lines->update();
            m.lines->moveNext();
        }
        Connection c(m_cs);
        m.header->setActiveConnection(c);
        m.lines->setActiveConnection(c);
        c.beginTrans();
        std::int32_t n = 0;
        {
            Recordset counter;
            counter.open(QStringLiteral("SELECT * FROM _Pars WHERE k01='maga' AND l01=") + QString::number(m_workYear), c,
                         platform::CursorType::Static, platform::LockType::Optimistic);
            if (counter.isEOF()) {
                counter.addNew();
                counter.setValue(QStringLiteral("k01"), Variant("maga"));
                counter.setValue(QStringLiteral("l01"), Variant(std::int32_t(m_workYear)));
            } else {
                const Variant last = counter.value(QStringLiteral("l02"));
                n = last.isNull() ? 0 : last.toInt32();
            }
            counter.setValue(QStringLiteral("l02"), Variant(n + 1));
            counter.update();
            counter.close();
        }
        m.header->setValue(QStringLiteral("Progressivo"), Variant(n + 1));
        m.header->setValue(QStringLiteral("TipoContropartita"), Variant("Cliente"));
        m.header->updateBatch(platform::AffectRecords::Current);
        const Variant idReg = m.header->value(QStringLiteral("IdReg"));
        m.lines->moveFirst();
        while (!m.lines->isEOF()) {
            m.lines->setValue(QStringLiteral("IdReg"), idReg);
            m.lines->update();
            m.lines->moveNext();
        }
        m.lines->updateBatch(platform::AffectRecords::All);
        c.commitTrans();
        m.header->setActiveConnection(nullptr);
        m.lines->setActiveConnection(nullptr);
        c.close();
    }

    // The same writes straight through sqlite3.
    void saveDirect(const QStringList &codes)
    {
        DirectQuery d(m_path);
        d.exec("BEGIN IMMEDIATE");
        sqlite3_stmt *read = d.prepare(QStringLiteral("SELECT rowid, * FROM _Pars WHERE k01='maga' AND l01=")
                                       + QString::number(m_workYear));
        if (sqlite3_step(read) != SQLITE_ROW)
            throw platform::RuntimeError(1, QStringLiteral("no counter row"));
        const long long rowid = sqlite3_column_int64(read, 0);
        const long long n = sqlite3_column_int64(read, 4);
        sqlite3_finalize(read);
        sqlite3_stmt *counter = d.prepare(QStringLiteral("UPDATE _Pars SET l02 = ?1 WHERE rowid = ?2 AND l02 IS ?3"));
        sqlite3_bind_double(counter, 1, static_cast<double>(n + 1));
        sqlite3_bind_int64(counter, 2, rowid);
        sqlite3_bind_double(counter, 3, static_cast<double>(n));
        d.stepAll(counter);
        sqlite3_finalize(counter);

        sqlite3_stmt *header = d.prepare(QStringLiteral(
            "INSERT INTO MagazRegMain (DataIns, Progressivo, Causale, Descrizione, TipoContropartita, IdContropartita) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
        DirectQuery::bind(header, 1, Variant(DateTime(m_workDate)));
        sqlite3_bind_int64(header, 2, n + 1);
        DirectQuery::bind(header, 3, Variant("Vendita"));
        DirectQuery::bind(header, 4, Variant("Vendita al banco"));
        DirectQuery::bind(header, 5, Variant("Cliente"));
        sqlite3_bind_int64(header, 6, m_customer);
        d.stepAll(header);
        sqlite3_finalize(header);
        const long long idReg = sqlite3_last_insert_rowid(d.handle());

        sqlite3_stmt *line = d.prepare(QStringLiteral(
            "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo, Prezzo) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
        for (int i = 0; i < codes.size(); ++i) {
            sqlite3_bind_int64(line, 1, idReg);
            sqlite3_bind_int64(line, 2, 10 * (i + 1));
            DirectQuery::bind(line, 3, Variant(codes[i]));
            sqlite3_bind_double(line, 4, i % 5 + 1);
            sqlite3_bind_int64(line, 5, -1);
            sqlite3_bind_double(line, 6, 1.25 * (i + 1));
            sqlite3_bind_double(line, 7, 2.5 * (i + 1));
            d.stepAll(line);
        }
        sqlite3_finalize(line);
        d.exec("COMMIT");
    }

    void movementSave()
    {
        QStringList codes;
        {
            DirectQuery d(m_path);
            sqlite3_stmt *st = d.prepare(QStringLiteral("SELECT Codice FROM Articoli ORDER BY Codice LIMIT 20"));
            while (sqlite3_step(st) == SQLITE_ROW)
                codes.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
            sqlite3_finalize(st);
            m_customer = d.scalar(QStringLiteral("SELECT min(IdCliFor) FROM CliFor WHERE Tipo='Cliente'"));
        }
        if (m_trace) {
            Movement m = newMovement(codes);
            traced(QStringLiteral("movement save"), [&] { saveWithLayer(m); });
        }
        const int runs = std::max(m_runs, 30);
        std::vector<double> layerTimes, floorTimes, prepareTimes;
        for (int i = 0; i < runs; ++i) {
            Stopwatch prepare;
            Movement m = newMovement(codes);
            prepareTimes.push_back(prepare.milliseconds());
            Stopwatch clock;
            saveWithLayer(m);
            layerTimes.push_back(clock.milliseconds());
            if (m.lines->recordCount() != codes.size())
                throw platform::RuntimeError(1, QStringLiteral("the lines were not all saved"));
            clock.restart();
            saveDirect(codes);
            floorTimes.push_back(clock.milliseconds());
        }
        Result r;
        r.operation = QStringLiteral("save a new 20-line movement");
        r.rows = codes.size();
        r.layerMs = Stopwatch::median(layerTimes);
        r.floorMs = Stopwatch::median(floorTimes);
        r.target = QStringLiteral("< 20 ms");
        r.met = r.layerMs < 20;
        r.note = QStringLiteral("median of %1 saves; building the disconnected recordsets beforehand: %2")
                     .arg(runs)
                     .arg(formatMs(Stopwatch::median(prepareTimes)));
        m_results.push_back(r);
    }

    // The eight start-up upgrades on a database that needs none of them;
    // the floor runs on new sqlite3 connections the few reads that prove
    // there is nothing to do.
    void upgrades()
    {
        MainModule::ConnString = m_cs;
        platform::ScopedScriptedDesktop desktop;
        if (m_trace)
            traced(QStringLiteral("AggiornaDatabase"), [&] { MainModule::AggiornaDatabase(); });
        const int runs = std::max(m_runs, 20);
        std::vector<double> layerTimes, floorTimes;
        bool ok = true;
        for (int i = 0; i < runs; ++i) {
            Stopwatch clock;
            ok = MainModule::AggiornaDatabase() && ok;
            layerTimes.push_back(clock.milliseconds());
            clock.restart();
            upgradesDirect();
            floorTimes.push_back(clock.milliseconds());
        }
        Result r;
        r.operation = QStringLiteral("the start-up upgrades (AggiornaDatabase)");
        r.layerMs = Stopwatch::median(layerTimes);
        r.floorMs = Stopwatch::median(floorTimes);
        r.target = QStringLiteral("< 50 ms in all");
        r.met = ok && desktop->msgBoxes().empty() && r.layerMs < 50;
        if (!ok || !desktop->msgBoxes().empty())
            r.note = QStringLiteral("an upgrade failed: ") + desktop->prompts().join(u" / ");
        m_results.push_back(r);
    }

    void upgradesDirect()
    {
        auto ignoring = [&](const char *sql) {
            DirectQuery d(m_path);
            sqlite3_exec(d.handle(), sql, nullptr, nullptr, nullptr); // fails: the column is there
        };
        auto columnsOf = [&](DirectQuery &d, const QString &table) {
            d.run(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
        };
        ignoring("ALTER TABLE Articoli ADD COLUMN ScortaMinima FLOAT DEFAULT 0");
        {
            DirectQuery d(m_path);
            d.exec("BEGIN IMMEDIATE");
            d.run(QStringLiteral("UPDATE Articoli SET ScortaMinima = 0 WHERE ScortaMinima IS NULL"));
            d.exec("COMMIT");
        }
        {
            DirectQuery d(m_path);
            d.exec("BEGIN IMMEDIATE");
            d.run(QStringLiteral("SELECT IdReg FROM MagazRegMain WHERE Causale='Carico iniziale' OR Causale='Rettifica'"));
            d.exec("COMMIT");
        }
        for (const char *table : {"Articoli", "MagazRegDetail"}) {
            DirectQuery d(m_path);
            d.exec("BEGIN IMMEDIATE");
            columnsOf(d, QString::fromLatin1(table));
            d.exec("COMMIT");
            if (QByteArray(table) == "Articoli") {
                // the two stored queries exist already
                DirectQuery q(m_path);
                q.run(QStringLiteral("SELECT 1 FROM _jet_queries WHERE name = 'invCM'"));
                DirectQuery u(m_path);
                u.run(QStringLiteral("SELECT 1 FROM _jet_queries WHERE name = 'invCU'"));
            }
        }
        ignoring("ALTER TABLE Articoli ADD COLUMN Ubicazione TEXT(50)");
        {
            DirectQuery d(m_path);
            QStringList tables;
            sqlite3_stmt *st = d.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
            while (sqlite3_step(st) == SQLITE_ROW)
                tables.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
            sqlite3_finalize(st);
            for (const QString &t : tables)
                columnsOf(d, t);
        }
    }

    // Runs one operation once, printing every statement the engine ran for it.
    void traced(const QString &name, const std::function<void()> &body)
    {
        std::printf("    statements of one %s:\n", qPrintable(name));
        const long long before = StatementTrace::count;
        StatementTrace::print = true;
        body();
        StatementTrace::print = false;
        std::printf("    (%lld statements)\n", StatementTrace::count - before);
    }

    QString m_original;
    QString m_work;
    QString m_path;
    QString m_cs;
    int m_runs;
    bool m_showSql;
    bool m_trace;
    long long m_articles = 0, m_movements = 0, m_lines = 0;
    int m_workYear = 0;
    int m_firstYear = 0;
    QDate m_workDate;
    long long m_customer = 0;
    std::vector<Result> m_results;
    QSet<QString> m_shown; // statements already printed by --show-sql
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the database layer against sqlite3 on a synthetic database."));
    parser.addHelpOption();
    const QCommandLineOption quick(QStringLiteral("quick"), QStringLiteral("make a small database first and use it"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("runs per query (median)"), QStringLiteral("n"),
                                  QStringLiteral("5"));
    const QCommandLineOption workDir(QStringLiteral("work-dir"), QStringLiteral("folder for the work copies"),
                                     QStringLiteral("dir"));
    const QCommandLineOption showSql(QStringLiteral("show-sql"), QStringLiteral("print the translated statements"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("print the statements one counter call, save and upgrade run"));
    const QCommandLineOption templ(QStringLiteral("template"), QStringLiteral("template database for --quick"),
                                   QStringLiteral("file"),
                                   QCoreApplication::applicationDirPath() + QStringLiteral("/master.gen"));
    parser.addOptions({quick, runs, workDir, showSql, trace, templ});
    parser.addPositionalArgument(QStringLiteral("database"), QStringLiteral("a database made by velmora_gen"));
    parser.process(app);

    if (parser.isSet(trace))
        StatementTrace::enable();

    QTemporaryDir temporary;
    const QString work = parser.isSet(workDir) ? parser.value(workDir) : temporary.path();
    QDir().mkpath(work);
    bool ok = false;
    const int runCount = parser.value(runs).toInt(&ok);
    if (!ok || runCount < 1) {
        std::fprintf(stderr, "bench_data: --runs needs a positive number\n");
        return 2;
    }

    try {
        QString database;
        if (!parser.positionalArguments().isEmpty() && !parser.isSet(quick)) {
            database = parser.positionalArguments().first();
            if (!QFileInfo::exists(database)) {
                std::fprintf(stderr, "bench_data: %s does not exist\n", qPrintable(database));
                return 2;
            }
        } else {
            database = work + QStringLiteral("/quick.mdb");
            const SyntheticOptions o = SyntheticOptions::quick();
            std::printf("making a small database (%lld lines) in %s\n", o.totalLines(), qPrintable(database));
            const SyntheticSummary s = SyntheticDatabase::generate(parser.value(templ), database, o);
            std::printf("made in %.1f s\n\n", s.seconds);
        }
        DataBenchmark bench(database, work, runCount, parser.isSet(showSql), parser.isSet(trace));
        bench.describe();
        bench.runAll();
        bench.printTable();
        return bench.allMet() ? 0 : 1;
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "bench_data: %s\n", e.what());
        return 1;
    }
}

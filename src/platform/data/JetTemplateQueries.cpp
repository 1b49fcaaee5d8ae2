#include "platform/data/JetTemplateQueries.h"

#include "platform/data/Connection.h"
#include "platform/data/QueryCatalogue.h"
#include "platform/data/Session.h"
#include "platform/data/SqlValue.h"
#include "platform/data/Statement.h"
#include "platform/data/WriteScope.h"

namespace platform::jet::templatequeries {

namespace {

// A line's stock movement in ten-thousandths of a unit, an exact whole
// number: quantities are currency amounts of four decimals at most. A line
// without a quantity or a sign moves nothing, as in a plain sum.
QString units(const QString &line)
{
    return QStringLiteral("IFNULL(round(%1.\"Quantità\" * 10000), 0) * IFNULL(%1.Segno, 0)").arg(line);
}

// Adds `factor` times the stock movement of the lines `lines` (a FROM and
// WHERE naming the line as D and its movement as M) to _Saldi, by article
// and year of the movement. Lines without a movement, a date or an article
// count in no year, as they count in no period.
QString addToBalances(const QString &lines, int factor)
{
    return QStringLiteral(
               "INSERT INTO _Saldi (CodiceArticolo, Anno, Q) "
               "SELECT D.CodiceArticolo, CAST(substr(M.DataIns, 1, 4) AS INTEGER), %1 * Sum(%2) %3 "
               "AND M.DataIns IS NOT NULL AND D.CodiceArticolo IS NOT NULL "
               "GROUP BY D.CodiceArticolo, CAST(substr(M.DataIns, 1, 4) AS INTEGER) "
               "ON CONFLICT (CodiceArticolo, Anno) DO UPDATE SET Q = Q + excluded.Q;\n")
        .arg(factor)
        .arg(units(QStringLiteral("D")), lines);
}

// Writes into _Carichi the load lines `lines` names (D the line, M its
// movement).
QString addLoads(const QString &lines)
{
    return QStringLiteral("INSERT OR REPLACE INTO _Carichi (IdDet, CodiceArticolo, DataIns, IdReg, Riga, Costo) "
                          "SELECT D.IdDet, D.CodiceArticolo, M.DataIns, M.IdReg, D.Riga, D.Costo %1 "
                          "AND D.Segno = 1;\n")
        .arg(lines);
}

// The line NEW (or OLD) with its movement.
QString oneLine(const char *line)
{
    return QStringLiteral("FROM (SELECT %1.IdDet AS IdDet, %1.IdReg AS IdReg, %1.Riga AS Riga, "
                          "%1.CodiceArticolo AS CodiceArticolo, %1.\"Quantità\" AS \"Quantità\", "
                          "%1.Segno AS Segno, %1.Costo AS Costo) AS D "
                          "JOIN MagazRegMain AS M ON M.IdReg = D.IdReg WHERE 1")
        .arg(QLatin1String(line));
}

// The lines of movement NEW (or OLD), with that row's date.
QString linesOf(const char *movement)
{
    return QStringLiteral("FROM MagazRegDetail AS D JOIN (SELECT %1.IdReg AS IdReg, %1.DataIns AS DataIns) AS M "
                          "ON M.IdReg = D.IdReg WHERE 1")
        .arg(QLatin1String(movement));
}

struct Trigger {
    const char *name;
    const char *event;
    QString body;
};

QList<Trigger> triggers()
{
    const QString dropLoad = QStringLiteral("DELETE FROM _Carichi WHERE IdDet = OLD.IdDet;\n");
    return {
        {"_Giacenze_InsRiga", "AFTER INSERT ON MagazRegDetail",
         addToBalances(oneLine("NEW"), 1) + addLoads(oneLine("NEW"))},
        {"_Giacenze_DelRiga", "AFTER DELETE ON MagazRegDetail", addToBalances(oneLine("OLD"), -1) + dropLoad},
        {"_Giacenze_UpdRiga",
         "AFTER UPDATE OF IdDet, IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo ON MagazRegDetail",
         addToBalances(oneLine("OLD"), -1) + dropLoad + addToBalances(oneLine("NEW"), 1)
             + addLoads(oneLine("NEW"))},
        {"_Giacenze_InsMov", "AFTER INSERT ON MagazRegMain", addToBalances(linesOf("NEW"), 1) + addLoads(linesOf("NEW"))},
        {"_Giacenze_DelMov", "AFTER DELETE ON MagazRegMain",
         addToBalances(linesOf("OLD"), -1) + QStringLiteral("DELETE FROM _Carichi WHERE IdReg = OLD.IdReg;\n")},
        {"_Giacenze_UpdMov", "AFTER UPDATE OF IdReg, DataIns ON MagazRegMain",
         addToBalances(linesOf("OLD"), -1) + QStringLiteral("DELETE FROM _Carichi WHERE IdReg = OLD.IdReg;\n")
             + addToBalances(linesOf("NEW"), 1) + addLoads(linesOf("NEW"))},
    };
}

// What databases of the program's earlier versions kept instead: each
// article's latest load line only.
const char *const FormerTable = "_UltimoCarico";
const char *const FormerTriggers[] = {"_UltimoCarico_InsRiga", "_UltimoCarico_InsRigaNull", "_UltimoCarico_DelRiga",
                                      "_UltimoCarico_UpdRiga", "_UltimoCarico_InsMov",      "_UltimoCarico_DelMov",
                                      "_UltimoCarico_UpdMov"};

// The stored queries that read the tables.
const TemplateQuery Readers[] = {ViewGiacenze, RepGiacenze, invCU};

} // namespace

QString stockTablesSchema()
{
    QString script = QStringLiteral(
        "CREATE TABLE IF NOT EXISTS _Carichi (\n"
        "    IdDet INTEGER PRIMARY KEY, CodiceArticolo VARCHAR(40) COLLATE NOCASE,\n"
        "    DataIns DATETIME, IdReg INTEGER, Riga INTEGER, Costo DOUBLE);\n"
        "CREATE INDEX IF NOT EXISTS _Carichi_Articolo ON _Carichi (CodiceArticolo, DataIns, IdReg, Riga, IdDet, Costo);\n"
        "CREATE INDEX IF NOT EXISTS _Carichi_IdReg ON _Carichi (IdReg);\n"
        "CREATE TABLE IF NOT EXISTS _Saldi (\n"
        "    CodiceArticolo VARCHAR(40) COLLATE NOCASE, Anno INTEGER, Q INTEGER NOT NULL,\n"
        "    PRIMARY KEY (CodiceArticolo, Anno)) WITHOUT ROWID;\n");
    for (const Trigger &t : triggers()) {
        script += QStringLiteral("DROP TRIGGER IF EXISTS %1;\nCREATE TRIGGER %1 %2 FOR EACH ROW BEGIN\n")
                      .arg(QString::fromLatin1(t.name), QString::fromUtf8(t.event))
            + t.body + QStringLiteral("END;\n");
    }
    return script;
}

QString stockTablesFill()
{
    const QString all = QStringLiteral("FROM MagazRegDetail AS D JOIN MagazRegMain AS M ON M.IdReg = D.IdReg WHERE 1");
    return QStringLiteral("DELETE FROM _Carichi;\nDELETE FROM _Saldi;\n") + addToBalances(all, 1) + addLoads(all);
}

QStringList stockTablesTriggers()
{
    QStringList names;
    for (const Trigger &t : triggers())
        names << QString::fromLatin1(t.name);
    return names;
}

bool installStockTables(Connection &connection)
{
    sqlite::Session &session = connection.openSession();
    const QStringList names = QStringList{QString::fromLatin1(LoadsTable), QString::fromLatin1(BalancesTable)}
        + stockTablesTriggers();
    int present = 0;
    bool former = false;
    {
        sqlite::Statement objects = session.prepare(QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type IN ('table', 'trigger')"));
        while (objects.step()) {
            const QString name = objects.value(0).toText();
            present += names.contains(name, Qt::CaseInsensitive) ? 1 : 0;
            former = former || name.startsWith(QLatin1String(FormerTable), Qt::CaseInsensitive);
        }
    }
    QList<const TemplateQuery *> stale;
    {
        sqlite::Statement body = session.prepare(
            QStringLiteral("SELECT body FROM _jet_queries WHERE name = ?1 COLLATE NOCASE"));
        for (const TemplateQuery &q : Readers) {
            body.reset();
            body.bind(1, sqlite::SqlValue::text(QString::fromUtf8(q.name)));
            if (!body.step() || body.value(0).toText() != QString::fromUtf8(q.body))
                stale.append(&q);
        }
    }
    if (present == names.size() && !former && stale.isEmpty())
        return false;

    sqlite::WriteScope scope(session);
    if (present != names.size()) {
        // A table or a trigger missing: what the tables hold can no longer
        // be trusted, so they are filled again from the movements.
        session.exec(stockTablesSchema() + stockTablesFill());
    }
    if (former) {
        QString drop;
        for (const char *trigger : FormerTriggers)
            drop += QStringLiteral("DROP TRIGGER IF EXISTS %1;\n").arg(QLatin1String(trigger));
        session.exec(drop + QStringLiteral("DROP TABLE IF EXISTS %1;\n").arg(QLatin1String(FormerTable)));
    }
    session.exec(sqlite::QueryCatalogue::createStatement());
    sqlite::Statement update = session.prepare(
        QStringLiteral("INSERT OR REPLACE INTO _jet_queries (name, params, body) VALUES (?3, ?1, ?2)"));
    for (const TemplateQuery *q : stale) {
        QStringList parameterNames, parameterTypes;
        sqlite::QueryCatalogue::parseParameters(QString::fromUtf8(q->parameters), parameterNames, parameterTypes);
        update.reset();
        update.bind(1, sqlite::SqlValue::text(sqlite::QueryCatalogue::formatParameters(parameterNames, parameterTypes)));
        update.bind(2, sqlite::SqlValue::text(QString::fromUtf8(q->body)));
        update.bind(3, sqlite::SqlValue::text(QString::fromUtf8(q->name)));
        update.step();
    }
    scope.commit();
    session.invalidateCaches();
    return true;
}

} // namespace platform::jet::templatequeries

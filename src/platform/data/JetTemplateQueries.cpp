#include "platform/data/JetTemplateQueries.h"

#include "platform/data/Connection.h"
#include "platform/data/QueryCatalogue.h"
#include "platform/data/Session.h"
#include "platform/data/SqlValue.h"
#include "platform/data/Statement.h"
#include "platform/data/WriteScope.h"

namespace platform::jet::templatequeries {

namespace {

// Writes into _UltimoCarico the latest load line of each article that
// `articles` (a SELECT of one column named CodiceArticolo) lists.
QString insertLatest(const QString &articles)
{
    return QStringLiteral(
               "INSERT OR REPLACE INTO _UltimoCarico (CodiceArticolo, DataIns, IdReg, Riga, IdDet, Costo) "
               "SELECT D.CodiceArticolo, M.DataIns, M.IdReg, D.Riga, D.IdDet, D.Costo "
               "FROM MagazRegDetail AS D JOIN MagazRegMain AS M ON M.IdReg = D.IdReg "
               "WHERE D.IdDet IN (SELECT (SELECT D2.IdDet FROM MagazRegMain AS M2 "
               "JOIN MagazRegDetail AS D2 ON M2.IdReg = D2.IdReg "
               "WHERE D2.CodiceArticolo = A.CodiceArticolo AND D2.Segno = 1 "
               "ORDER BY M2.DataIns DESC, M2.IdReg DESC, D2.Riga DESC, D2.IdDet DESC LIMIT 1) "
               "FROM (%1) AS A);\n")
        .arg(articles);
}

// Replaces, in _UltimoCarico, the rows of the articles that `articles`
// lists with their latest load line; an article left without loads loses
// its row.
QString refresh(const QString &articles)
{
    return QStringLiteral("DELETE FROM _UltimoCarico WHERE CodiceArticolo IN (SELECT CodiceArticolo FROM (%1));\n")
               .arg(articles)
        + insertLatest(articles);
}

// The new load line NEW becomes its article's latest when its key (date,
// movement, line, row) is above the stored one; keys with a Null are left
// to the full refresh.
QString newLineOnly()
{
    return QStringLiteral(
        "INSERT OR REPLACE INTO _UltimoCarico (CodiceArticolo, DataIns, IdReg, Riga, IdDet, Costo) "
        "SELECT NEW.CodiceArticolo, M.DataIns, M.IdReg, NEW.Riga, NEW.IdDet, NEW.Costo "
        "FROM MagazRegMain AS M WHERE M.IdReg = NEW.IdReg AND M.DataIns IS NOT NULL "
        "AND NOT EXISTS (SELECT 1 FROM _UltimoCarico AS U WHERE U.CodiceArticolo = NEW.CodiceArticolo "
        "AND (U.DataIns IS NULL OR U.Riga IS NULL "
        "OR (U.DataIns, U.IdReg, U.Riga, U.IdDet) > (M.DataIns, M.IdReg, NEW.Riga, NEW.IdDet)));\n");
}

// The articles with load lines in the movements `ids` names.
QString articlesOfMovements(const QString &ids)
{
    return QStringLiteral("SELECT DISTINCT CodiceArticolo FROM MagazRegDetail WHERE IdReg IN (%1) AND Segno = 1")
        .arg(ids);
}

struct Trigger {
    const char *name;
    const char *event;
    const char *when; // may be empty
    QString body;
};

QList<Trigger> triggers()
{
    const QString oldArticle = QStringLiteral("SELECT OLD.CodiceArticolo AS CodiceArticolo");
    const QString newArticle = QStringLiteral("SELECT NEW.CodiceArticolo AS CodiceArticolo");
    return {
        // A new load line can only take the place of the article's latest:
        // one comparison, so bulk inserts (the year-end opening movement)
        // cost no search. Keys with a Null, which sort apart, and lines
        // whose movement is not there yet go the long way.
        {"_UltimoCarico_InsRiga", "AFTER INSERT ON MagazRegDetail",
         "NEW.Segno = 1 AND NEW.Riga IS NOT NULL", newLineOnly()},
        {"_UltimoCarico_InsRigaNull", "AFTER INSERT ON MagazRegDetail",
         "NEW.Segno = 1 AND (NEW.Riga IS NULL OR "
         "(SELECT DataIns FROM MagazRegMain WHERE IdReg = NEW.IdReg) IS NULL OR "
         "EXISTS (SELECT 1 FROM _UltimoCarico WHERE CodiceArticolo = NEW.CodiceArticolo "
         "AND (DataIns IS NULL OR Riga IS NULL)))",
         refresh(newArticle)},
        {"_UltimoCarico_DelRiga", "AFTER DELETE ON MagazRegDetail", "OLD.Segno = 1", refresh(oldArticle)},
        {"_UltimoCarico_UpdRiga",
         "AFTER UPDATE OF IdDet, IdReg, Riga, CodiceArticolo, Segno, Costo ON MagazRegDetail",
         "OLD.Segno = 1 OR NEW.Segno = 1", refresh(oldArticle + QStringLiteral(" UNION ") + newArticle)},
        {"_UltimoCarico_InsMov", "AFTER INSERT ON MagazRegMain", "",
         refresh(articlesOfMovements(QStringLiteral("NEW.IdReg")))},
        {"_UltimoCarico_DelMov", "AFTER DELETE ON MagazRegMain", "",
         refresh(articlesOfMovements(QStringLiteral("OLD.IdReg")))},
        {"_UltimoCarico_UpdMov", "AFTER UPDATE OF IdReg, DataIns ON MagazRegMain", "",
         refresh(articlesOfMovements(QStringLiteral("OLD.IdReg, NEW.IdReg")))},
    };
}

} // namespace

QString lastLoadSchema()
{
    QString script = QStringLiteral(
        "CREATE TABLE IF NOT EXISTS _UltimoCarico (\n"
        "    CodiceArticolo VARCHAR(40) COLLATE NOCASE PRIMARY KEY,\n"
        "    DataIns DATETIME, IdReg INTEGER, Riga INTEGER, IdDet INTEGER, Costo DOUBLE);\n");
    for (const Trigger &t : triggers()) {
        script += QStringLiteral("DROP TRIGGER IF EXISTS %1;\nCREATE TRIGGER %1 %2 FOR EACH ROW ")
                      .arg(QString::fromLatin1(t.name), QString::fromLatin1(t.event));
        if (*t.when)
            script += QStringLiteral("WHEN ") + QString::fromLatin1(t.when) + u' ';
        script += QStringLiteral("BEGIN\n") + t.body + QStringLiteral("END;\n");
    }
    return script;
}

QString lastLoadFill()
{
    return QStringLiteral("DELETE FROM _UltimoCarico;\n")
        + insertLatest(QStringLiteral("SELECT DISTINCT CodiceArticolo FROM MagazRegDetail WHERE Segno = 1"));
}

QStringList lastLoadTriggers()
{
    QStringList names;
    for (const Trigger &t : triggers())
        names << QString::fromLatin1(t.name);
    return names;
}

bool installLastLoad(Connection &connection)
{
    sqlite::Session &session = connection.openSession();
    const QStringList names = QStringList(QString::fromLatin1(LastLoadTable)) + lastLoadTriggers();
    int present = 0;
    {
        sqlite::Statement objects = session.prepare(QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type IN ('table', 'trigger')"));
        while (objects.step())
            present += names.contains(objects.value(0).toText(), Qt::CaseInsensitive) ? 1 : 0;
    }
    if (present == names.size())
        return false;

    sqlite::WriteScope scope(session);
    session.exec(lastLoadSchema() + lastLoadFill());
    session.exec(sqlite::QueryCatalogue::createStatement());
    sqlite::Statement update = session.prepare(
        QStringLiteral("UPDATE _jet_queries SET params = ?1, body = ?2 WHERE name = ?3 COLLATE NOCASE"));
    QStringList parameterNames, parameterTypes;
    sqlite::QueryCatalogue::parseParameters(QString::fromUtf8(RepGiacenze.parameters), parameterNames,
                                            parameterTypes);
    update.bind(1, sqlite::SqlValue::text(sqlite::QueryCatalogue::formatParameters(parameterNames, parameterTypes)));
    update.bind(2, sqlite::SqlValue::text(QString::fromUtf8(RepGiacenze.body)));
    update.bind(3, sqlite::SqlValue::text(QString::fromUtf8(RepGiacenze.name)));
    update.step();
    scope.commit();
    session.invalidateCaches();
    return true;
}

} // namespace platform::jet::templatequeries

// The table of each article's latest load line: its triggers keep it equal
// to what a full search of the movements gives through any mix of inserts,
// updates and deletes; the stock list's last load cost reads it without
// changing any answer; older databases get it once; a column rebuild keeps
// its triggers. The last and average load costs of a year whose last day
// has loads.
#include "DataFixture.h"

#include "platform/data/Command.h"
#include "platform/data/Connection.h"
#include "platform/data/JetTemplateQueries.h"
#include "platform/data/Recordset.h"

#include <random>

#include <gtest/gtest.h>

using namespace platform;
using namespace Qt::StringLiterals;
using testsupport::DataFixture;

namespace {

namespace tq = jet::templatequeries;

// Every article's latest load line found from scratch, as "code:IdDet".
QStringList expectedLastLoads(const QString &path)
{
    return DataFixture::queryColumn(
        path, u"SELECT upper(A.c) || ':' || A.d FROM (SELECT X.c AS c, "
              "(SELECT D.IdDet FROM MagazRegMain AS M JOIN MagazRegDetail AS D ON M.IdReg = D.IdReg "
              " WHERE D.CodiceArticolo = X.c AND D.Segno = 1 "
              " ORDER BY M.DataIns DESC, M.IdReg DESC, D.Riga DESC, D.IdDet DESC LIMIT 1) AS d "
              "FROM (SELECT DISTINCT CodiceArticolo AS c FROM MagazRegDetail WHERE Segno = 1) AS X) AS A "
              "WHERE A.d IS NOT NULL ORDER BY 1"_s);
}

QStringList storedLastLoads(const QString &path)
{
    return DataFixture::queryColumn(path, u"SELECT upper(CodiceArticolo) || ':' || IdDet FROM _UltimoCarico "
                                          "ORDER BY 1"_s);
}

// The stock list's last load cost of every article up to `last`, next to
// the cost a plain search of the loads gives.
void expectStockListCosts(const QString &path, const QString &last)
{
    Connection connection(DataFixture::connectionString(path));
    Recordset list;
    list.open(u"Execute RepGiacenze #01/01/2020#, "_s + last, connection);
    Recordset plain;
    plain.open(u"SELECT Articoli.Codice, (SELECT TOP 1 D.Costo FROM MagazRegMain AS M INNER JOIN MagazRegDetail "
               "AS D ON M.IdReg = D.IdReg WHERE D.CodiceArticolo = Articoli.Codice AND D.Segno = 1 AND "
               "M.DataIns <= "_s + last +
               u" ORDER BY M.DataIns DESC, M.IdReg DESC, D.Riga DESC, D.IdDet DESC) AS C FROM Articoli "
               "ORDER BY Articoli.Codice"_s,
               connection);
    ASSERT_EQ(list.rowCount(), plain.rowCount());
    const int listCost = list.fieldIndex(u"CostoUltimo"_s);
    for (int row = 0; row < list.rowCount(); ++row)
        EXPECT_EQ(list.valueAt(row, listCost).debugString(), plain.valueAt(row, 1).debugString())
            << "article " << plain.valueAt(row, 0).toString().toStdString() << " up to " << last.toStdString();
}

} // namespace

TEST(LastLoad, TriggersKeepTheTableExactThroughAnyChange)
{
    const QString path = DataFixture::createDatabase();
    DataFixture::runSql(path, u"INSERT INTO Articoli (Codice, Descrizione) VALUES "
                              "('A1', 'Uno'), ('A2', 'Due'), ('A3', 'Tre'), ('A4', 'Senza carichi')"_s);
    std::mt19937 random(20261206);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const QStringList codes{u"A1"_s, u"a1"_s, u"A2"_s, u"A3"_s};
    auto date = [&] { return u"'2026-%1-%2'"_s.arg(1 + pick(3), 2, 10, QChar(u'0')).arg(1 + pick(3), 2, 10, QChar(u'0')); };
    auto someMovement = [&] { return QString::number(1 + pick(12)); };
    auto someLine = [&] { return u"(SELECT IdDet FROM MagazRegDetail ORDER BY IdDet LIMIT 1 OFFSET %1)"_s.arg(pick(30)); };

    for (int step = 0; step < 300; ++step) {
        QString sql;
        switch (pick(9)) {
        case 0: // a movement, possibly with a number its lines already use
            sql = u"INSERT OR IGNORE INTO MagazRegMain (IdReg, DataIns, Causale) VALUES (%1, %2, 'Carico')"_s.arg(
                someMovement(), date());
            break;
        case 1:
        case 2: // a line, sometimes of a movement not written yet
            sql = u"INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) "
                  "VALUES (%1, %2, '%3', 1, %4, %5)"_s.arg(someMovement(),
                                                          pick(8) ? QString::number(10 * (1 + pick(3))) : u"NULL"_s,
                                                          codes[pick(codes.size())], pick(3) ? u"1"_s : u"-1"_s,
                                                          QString::number(1 + pick(50)));
            break;
        case 3:
            sql = u"UPDATE MagazRegDetail SET Costo = %1 WHERE IdDet = %2"_s.arg(QString::number(pick(90)), someLine());
            break;
        case 4:
            sql = u"UPDATE MagazRegDetail SET Segno = -Segno, CodiceArticolo = '%1' WHERE IdDet = %2"_s.arg(
                codes[pick(codes.size())], someLine());
            break;
        case 5:
            sql = u"UPDATE MagazRegDetail SET IdReg = %1, Riga = %2 WHERE IdDet = %3"_s.arg(
                someMovement(), QString::number(10 * pick(4)), someLine());
            break;
        case 6:
            sql = u"DELETE FROM MagazRegDetail WHERE IdDet = %1"_s.arg(someLine());
            break;
        case 7:
            sql = u"UPDATE MagazRegMain SET DataIns = %1 WHERE IdReg = %2"_s.arg(date(), someMovement());
            break;
        case 8: // a movement goes, its lines sometimes left behind
            sql = pick(2) ? u"DELETE FROM MagazRegMain WHERE IdReg = %1"_s.arg(someMovement())
                          : u"UPDATE OR IGNORE MagazRegMain SET IdReg = IdReg + 20 WHERE IdReg = %1"_s.arg(someMovement());
            break;
        }
        DataFixture::runSql(path, sql);
        ASSERT_EQ(storedLastLoads(path), expectedLastLoads(path)) << "after step " << step << ": "
                                                                  << sql.toStdString();
    }
    EXPECT_FALSE(expectedLastLoads(path).isEmpty());

    // The stock list answers as a plain search would, also for a last date
    // before some articles' latest load.
    for (const QString &last : {u"#12/31/2026#"_s, u"#02/02/2026#"_s, u"#01/01/2026#"_s})
        expectStockListCosts(path, last);
}

TEST(LastLoad, OlderDatabasesGetItOnceAndAColumnRebuildKeepsIt)
{
    const QString path = DataFixture::createDatabase();
    DataFixture::runSql(path, u"INSERT INTO Articoli (Codice) VALUES ('A1'), ('A2');"
                              "INSERT INTO MagazRegMain (IdReg, DataIns) VALUES (1, '2026-03-01'), (2, '2026-02-01');"
                              "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, Segno, Costo) VALUES "
                              "(1, 10, 'A1', 1, 5), (2, 10, 'A1', 1, 7), (2, 20, 'A2', -1, 9)"_s);
    // As a database made before it: no table, no triggers, the former list.
    QString drop = u"DROP TABLE _UltimoCarico;"_s;
    for (const QString &trigger : tq::lastLoadTriggers())
        drop += u"DROP TRIGGER "_s + trigger + u';';
    DataFixture::runSql(path, drop + u"UPDATE _jet_queries SET body = 'SELECT 1 AS Codice' WHERE name = 'RepGiacenze'"_s);

    Connection connection(DataFixture::connectionString(path));
    EXPECT_TRUE(tq::installLastLoad(connection));
    EXPECT_EQ(storedLastLoads(path), QStringList{u"A1:1"_s});
    EXPECT_EQ(DataFixture::queryValue(path, u"SELECT body FROM _jet_queries WHERE name = 'RepGiacenze'"_s),
              QString::fromUtf8(tq::RepGiacenze.body));
    EXPECT_FALSE(tq::installLastLoad(connection));
    expectStockListCosts(path, u"#12/31/2026#"_s);

    // Rebuilding the line table keeps every trigger working.
    connection.execute(u"ALTER TABLE MagazRegDetail ALTER COLUMN Quantità CURRENCY"_s);
    EXPECT_FALSE(tq::installLastLoad(connection));
    connection.execute(u"INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, Segno, Costo) "
                       "VALUES (1, 20, 'A2', 1, 3)"_s);
    EXPECT_EQ(storedLastLoads(path), (QStringList{u"A1:1"_s, u"A2:4"_s}));
    // The movement's own rows changed count, not the trigger's.
    EXPECT_EQ(connection.execute(u"DELETE FROM MagazRegMain WHERE IdReg = 1"_s), 1);
    EXPECT_EQ(storedLastLoads(path), QStringList{u"A1:2"_s});
}

TEST(LastLoad, CostsOfAYearTakeTheLoadsOfItsLastDay)
{
    // A1: loads in June and on 31 December, a sale that day, a load after
    // the year; A2: its only load on 31 December; A3: a load in June only.
    const QString path = DataFixture::createDatabase();
    DataFixture::runSql(path, u"INSERT INTO Articoli (Codice) VALUES ('A1'), ('A2'), ('A3');"
                              "INSERT INTO MagazRegMain (IdReg, DataIns) VALUES "
                              "(1, '2025-06-01'), (2, '2025-12-31'), (3, '2026-01-05');"
                              "INSERT INTO MagazRegDetail (IdDet, IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) "
                              "VALUES (1, 1, 10, 'A1', 10, 1, 4), (2, 2, 10, 'A1', 30, 1, 6), (3, 2, 20, 'A1', 5, -1, 100), "
                              "(4, 3, 10, 'A1', 1, 1, 9), (5, 2, 30, 'A2', 2, 1, 2), (6, 1, 20, 'A3', 4, 1, 3)"_s);
    EXPECT_EQ(storedLastLoads(path), (QStringList{u"A1:4"_s, u"A2:5"_s, u"A3:6"_s}));

    Connection connection(DataFixture::connectionString(path));
    const auto costs = [](Recordset &rs, const QString &cost) {
        QStringList list;
        for (int row = 0; row < rs.rowCount(); ++row)
            list.append(rs.valueAt(row, 0).toString() + u'=' + rs.valueAt(row, rs.fieldIndex(cost)).toString());
        list.sort();
        return list;
    };
    const QStringList lastCosts{u"A1=6"_s, u"A2=2"_s, u"A3=3"_s};
    auto lastLoad = connection.executeQuery(u"Execute invCU #12/31/25#"_s);
    EXPECT_EQ(costs(*lastLoad, u"CC"_s), lastCosts);

    Command stockList(connection, u"SELECT Codice, CostoUltimo, ValoreCU FROM RepGiacenze"_s);
    stockList.appendParameter(Variant(DateTime(2025, 1, 1)));
    stockList.appendParameter(Variant(DateTime(2025, 12, 31)));
    auto stock = stockList.execute();
    EXPECT_EQ(costs(*stock, u"CostoUltimo"_s), lastCosts);
    EXPECT_EQ(costs(*stock, u"ValoreCU"_s), (QStringList{u"A1=210"_s, u"A2=4"_s, u"A3=12"_s}));

    // The average of the year's loads, weighed by their quantities; d2 comes first.
    Command average(connection, u"invCM"_s, CommandType::StoredProc);
    average.appendParameter(Variant(DateTime(2025, 12, 31)));
    average.appendParameter(Variant(DateTime(2025, 1, 1)));
    auto averages = average.execute();
    EXPECT_EQ(costs(*averages, u"CC"_s), (QStringList{u"A1=5,5"_s, u"A2=2"_s, u"A3=3"_s}));
}

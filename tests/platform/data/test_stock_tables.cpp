// The stock tables: the load lines with their dates and each article's
// stock per year, kept by triggers equal to what the movements give through
// any mix of inserts, updates and deletes; the stock list and the article
// drop-down read them without changing any answer, over any period; older
// databases get them once; a column rebuild keeps their triggers. The last
// and average load costs of a year whose last day has loads.
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

// Each article's latest load line, as "code:IdDet", read from _Carichi.
QStringList latestLoads(const QString &path)
{
    return DataFixture::queryColumn(
        path, u"SELECT upper(X.c) || ':' || (SELECT K.IdDet FROM _Carichi AS K WHERE K.CodiceArticolo = X.c "
              "ORDER BY K.DataIns DESC, K.IdReg DESC, K.Riga DESC, K.IdDet DESC LIMIT 1) "
              "FROM (SELECT DISTINCT CodiceArticolo AS c FROM _Carichi) AS X ORDER BY 1"_s);
}

// The stock list and the article drop-down over the period first..last,
// next to a plain search of the loads for the last cost and a plain sum of
// the period's lines for the stock.
void expectStockList(const QString &path, const QString &first, const QString &last)
{
    Connection connection(DataFixture::connectionString(path));
    Recordset list;
    list.open(u"Execute RepGiacenze "_s + first + u", "_s + last, connection);
    Recordset dropDown;
    dropDown.open(u"Execute ViewGiacenze "_s + first + u", "_s + last, connection);
    Recordset plain;
    plain.open(u"SELECT Articoli.Codice, (SELECT TOP 1 D.Costo FROM MagazRegMain AS M INNER JOIN MagazRegDetail "
               "AS D ON M.IdReg = D.IdReg WHERE D.CodiceArticolo = Articoli.Codice AND D.Segno = 1 AND "
               "M.DataIns <= "_s + last +
               u" ORDER BY M.DataIns DESC, M.IdReg DESC, D.Riga DESC, D.IdDet DESC) AS C, "
               "Nz((SELECT Sum(D.[Quantità]*D.Segno) FROM MagazRegMain AS M INNER JOIN MagazRegDetail AS D "
               "ON M.IdReg = D.IdReg WHERE D.CodiceArticolo = Articoli.Codice AND M.DataIns Between "_s
                   + first + u" And "_s + last + u"), 0) AS Q FROM Articoli ORDER BY Articoli.Codice"_s,
               connection);
    ASSERT_EQ(list.rowCount(), plain.rowCount());
    ASSERT_EQ(dropDown.rowCount(), plain.rowCount());
    const int listCost = list.fieldIndex(u"CostoUltimo"_s);
    const int listStock = list.fieldIndex(u"Giacenza"_s);
    const int dropDownStock = dropDown.fieldIndex(u"Giacenza"_s);
    for (int row = 0; row < list.rowCount(); ++row) {
        const std::string where = "article " + plain.valueAt(row, 0).toString().toStdString() + " from "
            + first.toStdString() + " to " + last.toStdString();
        EXPECT_EQ(list.valueAt(row, listCost).debugString(), plain.valueAt(row, 1).debugString()) << where;
        EXPECT_DOUBLE_EQ(list.valueAt(row, listStock).toDouble(), plain.valueAt(row, 2).toDouble()) << where;
        EXPECT_DOUBLE_EQ(dropDown.valueAt(row, dropDownStock).toDouble(), plain.valueAt(row, 2).toDouble()) << where;
    }
}

} // namespace

TEST(StockTables, TriggersKeepThemExactThroughAnyChange)
{
    const QString path = DataFixture::createDatabase();
    DataFixture::runSql(path, u"INSERT INTO Articoli (Codice, Descrizione) VALUES "
                              "('A1', 'Uno'), ('A2', 'Due'), ('A3', 'Tre'), ('A4', 'Senza carichi')"_s);
    std::mt19937 random(20261206);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const QStringList codes{u"A1"_s, u"a1"_s, u"A2"_s, u"A3"_s};
    // Two years, a day of each sometimes with a time of day.
    auto date = [&] {
        return u"'%1-%2-%3%4'"_s.arg(2025 + pick(2))
            .arg(1 + pick(3) * 5, 2, 10, QChar(u'0'))
            .arg(1 + pick(3) * 14, 2, 10, QChar(u'0'))
            .arg(pick(4) ? QString() : u" 10:30:00"_s);
    };
    auto quantity = [&] {
        static const QStringList quantities{u"1"_s, u"2.5"_s, u"0.0001"_s, u"12.3456"_s, u"-3"_s, u"NULL"_s};
        return quantities[pick(quantities.size())];
    };
    auto someMovement = [&] { return QString::number(1 + pick(12)); };
    auto someLine = [&] { return u"(SELECT IdDet FROM MagazRegDetail ORDER BY IdDet LIMIT 1 OFFSET %1)"_s.arg(pick(30)); };

    for (int step = 0; step < 400; ++step) {
        QString sql;
        switch (pick(10)) {
        case 0: // a movement, possibly with a number its lines already use
            sql = u"INSERT OR IGNORE INTO MagazRegMain (IdReg, DataIns, Causale) VALUES (%1, %2, 'Carico')"_s.arg(
                someMovement(), pick(10) ? date() : u"NULL"_s);
            break;
        case 1:
        case 2: // a line, sometimes of a movement not written yet
            sql = u"INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) "
                  "VALUES (%1, %2, '%3', %4, %5, %6)"_s.arg(someMovement(),
                                                           pick(8) ? QString::number(10 * (1 + pick(3))) : u"NULL"_s,
                                                           codes[pick(codes.size())], quantity(),
                                                           pick(3) ? u"1"_s : u"-1"_s, QString::number(1 + pick(50)));
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
        case 9:
            sql = u"UPDATE MagazRegDetail SET \"Quantità\" = %1 WHERE IdDet = %2"_s.arg(quantity(), someLine());
            break;
        }
        DataFixture::runSql(path, sql);
        ASSERT_EQ(DataFixture::storedStockTables(path), DataFixture::expectedStockTables(path))
            << "after step " << step << ": " << sql.toStdString();
    }
    const QStringList rows = DataFixture::expectedStockTables(path);
    EXPECT_TRUE(rows.first().startsWith(u"load "_s) && rows.last().startsWith(u"stock "_s));

    // The stock list and the drop-down answer as plain searches and sums
    // would: over whole years, from 1 January to a day inside the year
    // (the last day whole), and over periods that do not start on 1 January.
    const QStringList periods{u"#01/01/2025# #12/31/2025 23:59:59#"_s, u"#01/01/2026# #12/31/2026#"_s,
                              u"#01/01/2026# #06/15/2026 23:59:59#"_s, u"#01/01/2026# #01/01/2026#"_s,
                              u"#02/02/2026# #12/31/2026 23:59:59#"_s, u"#01/01/2025# #06/15/2026#"_s};
    for (const QString &period : periods)
        expectStockList(path, period.section(u' ', 0, 0), period.section(u' ', 1));
}

TEST(StockTables, OlderDatabasesGetThemOnceAndAColumnRebuildKeepsThem)
{
    const QString path = DataFixture::createDatabase();
    DataFixture::runSql(path, u"INSERT INTO Articoli (Codice) VALUES ('A1'), ('A2');"
                              "INSERT INTO MagazRegMain (IdReg, DataIns) VALUES (1, '2026-03-01'), (2, '2026-02-01');"
                              "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) "
                              "VALUES (1, 10, 'A1', 2, 1, 5), (2, 10, 'A1', 3, 1, 7), (2, 20, 'A2', 1, -1, 9)"_s);
    // As a database made before them: no tables, no triggers, the table of
    // each article's latest load that earlier versions kept and its
    // trigger, the former stock list.
    QString drop = u"DROP TABLE _Carichi; DROP TABLE _Saldi;"_s;
    for (const QString &trigger : tq::stockTablesTriggers())
        drop += u"DROP TRIGGER "_s + trigger + u';';
    DataFixture::runSql(path, drop + u"CREATE TABLE _UltimoCarico (CodiceArticolo TEXT PRIMARY KEY, IdDet INTEGER);"
                                      "CREATE TRIGGER _UltimoCarico_DelRiga AFTER DELETE ON MagazRegDetail BEGIN "
                                      "DELETE FROM _UltimoCarico; END;"
                                      "UPDATE _jet_queries SET body = 'SELECT 1 AS Codice' WHERE name = 'RepGiacenze'"_s);

    Connection connection(DataFixture::connectionString(path));
    EXPECT_TRUE(tq::installStockTables(connection));
    EXPECT_EQ(latestLoads(path), QStringList{u"A1:1"_s});
    EXPECT_TRUE(DataFixture::storedStockTables(path).contains(u"stock A2 2026 -1.0000"_s));
    EXPECT_EQ(DataFixture::storedStockTables(path), DataFixture::expectedStockTables(path));
    EXPECT_EQ(DataFixture::queryValue(path, u"SELECT body FROM _jet_queries WHERE name = 'RepGiacenze'"_s),
              QString::fromUtf8(tq::RepGiacenze.body));
    EXPECT_EQ(DataFixture::queryValue(path, u"SELECT count(*) FROM sqlite_master WHERE name LIKE '_UltimoCarico%'"_s),
              u"0"_s);
    EXPECT_FALSE(tq::installStockTables(connection));
    expectStockList(path, u"#01/01/2026#"_s, u"#12/31/2026#"_s);

    // Rebuilding the line table keeps every trigger working.
    connection.execute(u"ALTER TABLE MagazRegDetail ALTER COLUMN Quantità CURRENCY"_s);
    EXPECT_FALSE(tq::installStockTables(connection));
    connection.execute(u"INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, Quantità, Segno, Costo) "
                       "VALUES (1, 20, 'A2', 4, 1, 3)"_s);
    EXPECT_EQ(latestLoads(path), (QStringList{u"A1:1"_s, u"A2:4"_s}));
    EXPECT_EQ(DataFixture::storedStockTables(path), DataFixture::expectedStockTables(path));
    // The movement's own rows changed count, not the triggers'.
    EXPECT_EQ(connection.execute(u"DELETE FROM MagazRegMain WHERE IdReg = 1"_s), 1);
    EXPECT_EQ(latestLoads(path), QStringList{u"A1:2"_s});
    EXPECT_TRUE(DataFixture::storedStockTables(path).contains(u"stock A1 2026 3.0000"_s));
    EXPECT_EQ(DataFixture::storedStockTables(path), DataFixture::expectedStockTables(path));
}

TEST(StockTables, CostsOfAYearTakeTheLoadsOfItsLastDay)
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
    EXPECT_EQ(latestLoads(path), (QStringList{u"A1:4"_s, u"A2:5"_s, u"A3:6"_s}));

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

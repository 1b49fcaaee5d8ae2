// Statements the program runs, written in the Jet dialect as its windows
// write them, run through the layer on a small database with results
// checked: schema upgrades, counters, the closing's INSERT ... SELECT over
// the cost queries, the inventory with its filter, renumbering, layouts.
#include "DataFixture.h"

#include "platform/data/Catalog.h"
#include "platform/data/Command.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"

#include <gtest/gtest.h>

using namespace platform;
using testsupport::DataFixture;
using testsupport::databaseErrorOf;

namespace {

class JetStatements : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = DataFixture::createSampleDatabase();
        // A second load of A001 at another cost, and a transfer between
        // stores whose quantities cancel out.
        DataFixture::runSql(path, QStringLiteral(
            "INSERT INTO MagazRegMain (IdReg, DataIns, Causale, TipoContropartita, IdContropartita) VALUES "
            "(4, '2024-06-01', 'Carico', 'Fornitore', 1), (5, '2024-07-01', 'Trasferimento', 'Deposito', NULL);"
            "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) VALUES "
            "(4, 10, 'A001', 50, 1, 0.2), (5, 10, 'B001', 0.1, 1, 0.02), (5, 20, 'B001', 0.2, 1, 0.02),"
            "(5, 30, 'B001', 0.3, -1, 0.02);"));
        connection.open(DataFixture::connectionString(path));
    }

    QStringList rows(Recordset &rs)
    {
        QStringList list;
        for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
            QStringList values;
            for (int i = 0; i < rs.fieldCount(); ++i) {
                const Variant v = rs.value(i);
                values.append(v.isNull() ? QStringLiteral("Null")
                              : v.isDate() ? v.get<DateTime>()->toIso()
                                           : v.toString(QLocale::c()));
            }
            list.append(values.join(u'|'));
        }
        return list;
    }
    QStringList column(const QString &sql) { return DataFixture::queryColumn(path, sql); }

    QString path;
    Connection connection;
};

const QString closingLines = QStringLiteral(
    "INSERT INTO MagazRegDetail ( CodiceArticolo, Quantità, Costo, Segno, Riga, IdReg ) SELECT "
    "MagazRegDetail.CodiceArticolo, Sum([Quantità]*[Segno]) AS Q, Avg(%1.CC) AS C, 1 AS S, 10 AS R, 9 AS I "
    "FROM MagazRegMain INNER JOIN (%1 INNER JOIN MagazRegDetail ON %1.CodiceArticolo = MagazRegDetail.CodiceArticolo) "
    "ON MagazRegMain.IdReg = MagazRegDetail.IdReg WHERE (((MagazRegMain.DataIns) Between #01/01/24# And #12/31/24#)) "
    "GROUP BY MagazRegDetail.CodiceArticolo, 1, 10, 9 HAVING (((Sum([Quantità]*[Segno]))>0))");

} // namespace

TEST_F(JetStatements, UpgradesRunOnAnOlderDatabaseAndDoNothingOnACurrentOne)
{
    // Already there: adding the columns fails, as the start expects.
    EXPECT_TRUE(databaseErrorOf([&] {
        connection.execute(QStringLiteral("ALTER TABLE Articoli ADD COLUMN ScortaMinima FLOAT DEFAULT 0"));
    }));
    EXPECT_TRUE(databaseErrorOf([&] { connection.execute(QStringLiteral("ALTER TABLE Articoli ADD COLUMN Ubicazione TEXT(50)")); }));
    const auto exists = databaseErrorOf([&] {
        connection.execute(QStringLiteral(
            "CREATE PROCEDURE invCU AS PARAMETERS d2 DateTime; SELECT MagazRegDetail.CodiceArticolo, "
            "Last(MagazRegDetail.Costo) AS CC FROM MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = "
            "MagazRegDetail.IdReg WHERE (((MagazRegDetail.Segno)=1) AND ((MagazRegMain.DataIns)<=[d2])) "
            "GROUP BY MagazRegDetail.CodiceArticolo"));
    });
    ASSERT_TRUE(exists);
    EXPECT_FALSE(column(QStringLiteral("SELECT body FROM _jet_queries WHERE name = 'invCU'")).front().contains(QStringLiteral("Last(")));

    // An older shape: the minimum stock and location columns missing,
    // a short description, quantities as plain numbers.
    DataFixture::runSql(path, QStringLiteral("DROP VIEW ViewArticoli; ALTER TABLE Articoli DROP COLUMN ScortaMinima;"
                                             "ALTER TABLE Articoli DROP COLUMN Ubicazione;"));
    connection.execute(QStringLiteral("ALTER TABLE Articoli ALTER COLUMN Descrizione TEXT(50)"));
    connection.execute(QStringLiteral("ALTER TABLE MagazRegDetail ALTER COLUMN Quantità DOUBLE"));
    DataFixture::runSql(path, QStringLiteral("UPDATE MagazRegMain SET Causale = 'Rettifica' WHERE IdReg = 2;"
                                             "UPDATE MagazRegMain SET Causale = 'Carico iniziale' WHERE IdReg = 1;"));

    connection.execute(QStringLiteral("ALTER TABLE Articoli ADD COLUMN ScortaMinima FLOAT DEFAULT 0"));
    DataFixture::runSql(path, QStringLiteral("UPDATE Articoli SET ScortaMinima = NULL WHERE Codice = 'B001'"));
    connection.execute(QStringLiteral("UPDATE Articoli SET Articoli.ScortaMinima = 0 WHERE Articoli.ScortaMinima Is Null"));
    auto old = connection.executeQuery(QStringLiteral(
        "SELECT IdReg FROM MagazRegMain WHERE Causale='Carico iniziale' OR Causale='Rettifica'"));
    EXPECT_EQ(old->recordCount(), 2);
    connection.beginTrans();
    connection.execute(QStringLiteral("UPDATE MagazRegMain SET MagazRegMain.Causale = 'Scarico' WHERE (((MagazRegMain.Causale)='Rettifica'))"));
    connection.execute(QStringLiteral("UPDATE MagazRegMain SET MagazRegMain.Causale = 'Carico' WHERE (((MagazRegMain.Causale)='Carico iniziale'))"));
    connection.commitTrans();
    Catalog catalog(connection);
    if (catalog.table(QStringLiteral("Articoli")).column(QStringLiteral("Descrizione")).definedSize() == 50)
        connection.execute(QStringLiteral("ALTER TABLE Articoli ALTER COLUMN Descrizione TEXT(255)"));
    if (catalog.table(QStringLiteral("MagazRegDetail")).column(QStringLiteral("Quantità")).type() == DataType::adDouble)
        connection.execute(QStringLiteral("ALTER TABLE MagazRegDetail ALTER COLUMN Quantità CURRENCY"));
    connection.execute(QStringLiteral("ALTER TABLE Articoli ADD COLUMN Ubicazione TEXT(50)"));

    EXPECT_EQ(column(QStringLiteral("SELECT ScortaMinima FROM Articoli ORDER BY Codice")),
              (QStringList{QStringLiteral("0.0"), QStringLiteral("0.0"), QStringLiteral("0.0")}));
    EXPECT_EQ(column(QStringLiteral("SELECT Causale FROM MagazRegMain WHERE IdReg <= 2 ORDER BY IdReg")),
              (QStringList{QStringLiteral("Carico"), QStringLiteral("Scarico")}));
    const CatalogTable articoli = catalog.table(QStringLiteral("Articoli"));
    EXPECT_EQ(articoli.column(QStringLiteral("Descrizione")).definedSize(), 255);
    EXPECT_EQ(articoli.column(QStringLiteral("Ubicazione")).type(), DataType::adVarWChar);
    EXPECT_EQ(articoli.column(QStringLiteral("Ubicazione")).definedSize(), 50);
    EXPECT_EQ(catalog.table(QStringLiteral("MagazRegDetail")).column(QStringLiteral("Quantità")).type(), DataType::adCurrency);
}

TEST_F(JetStatements, ClosingCopiesPositiveStockValuedByTheCostQueries)
{
    Command lastCost(connection, closingLines.arg(QStringLiteral("invCU")));
    lastCost.appendParameter(Variant(DateTime(2024, 12, 31))); // invCU's d2
    EXPECT_EQ(lastCost.executeNonQuery(), 2);
    EXPECT_EQ(column(QStringLiteral("SELECT CodiceArticolo || ' ' || \"Quantità\" || ' ' || Costo || ' ' || Segno || ' ' || Riga "
                                    "FROM MagazRegDetail WHERE IdReg = 9 ORDER BY CodiceArticolo")),
              (QStringList{QStringLiteral("A001 140 0.2 1 10"), QStringLiteral("A002 12.5 0.05 1 10")}));

    DataFixture::runSql(path, QStringLiteral("DELETE FROM MagazRegDetail WHERE IdReg = 9"));
    Command averageCost(connection, closingLines.arg(QStringLiteral("invCM")));
    averageCost.appendParameter(Variant(DateTime(2024, 12, 31))); // d2 first
    averageCost.appendParameter(Variant(DateTime(2024, 1, 1)));
    EXPECT_EQ(averageCost.executeNonQuery(), 2);
    EXPECT_EQ(column(QStringLiteral("SELECT Costo FROM MagazRegDetail WHERE IdReg = 9 ORDER BY CodiceArticolo")),
              (QStringList{QStringLiteral("0.125"), QStringLiteral("0.05")}));
}

TEST_F(JetStatements, InventoryByCounterpartHidesWhatNetsToZero)
{
    const QString sql = QStringLiteral(
        "PARAMETERS d1 DateTime, d2 DateTime; "
        "SELECT [Nome] & ' (' & [TipoContropartita] & ')' AS Contropartita, MagazRegDetail.CodiceArticolo, "
        "Sum([Quantità]*[Segno]) AS Q, Avg(invCU.CC) AS C, Sum([Quantità]*[Segno])*Avg([invCU].[CC]) AS V "
        "FROM (MagazRegMain INNER JOIN (Articoli INNER JOIN (MagazRegDetail LEFT JOIN invCU ON "
        "MagazRegDetail.CodiceArticolo = invCU.CodiceArticolo) ON Articoli.Codice = MagazRegDetail.CodiceArticolo) "
        "ON MagazRegMain.IdReg = MagazRegDetail.IdReg) LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor "
        "WHERE ( MagazRegMain.DataIns Between [d1] And [d2]  ) "
        "GROUP BY [Nome] & ' (' & [TipoContropartita] & ')', MagazRegDetail.CodiceArticolo "
        "ORDER BY [Nome] & ' (' & [TipoContropartita] & ')', MagazRegDetail.CodiceArticolo ");
    Command command(connection, sql);
    command.appendParameter(Variant(DateTime(2024, 1, 1)));
    command.appendParameter(Variant(DateTime(2024, 12, 31)));
    auto rs = command.execute();
    EXPECT_EQ(rs->recordCount(), 4);
    rs->setFilter(QStringLiteral("Q<>0"));
    EXPECT_EQ(rows(*rs), (QStringList{QStringLiteral("Bianchi Mario (Cliente)|A001|-60|0.2|-12"),
                                      QStringLiteral("Rossi Srl (Fornitore)|A001|200|0.2|40"),
                                      QStringLiteral("Rossi Srl (Fornitore)|A002|12.5|0.05|0.625")}));
    rs->setFilter(QStringLiteral("Q=0"));
    EXPECT_EQ(rows(*rs), QStringList{QStringLiteral(" (Deposito)|B001|0|0.02|0")});
}

TEST_F(JetStatements, StatementsOfTheWindowsReadAndWriteWhatTheyShould)
{
    EXPECT_EQ(rows(*connection.executeQuery(QStringLiteral("SELECT CodiceIVA FROM CodiciIVA WHERE CodiciIVA.Predefinito = True"))),
              QStringList{QStringLiteral("22")});
    EXPECT_EQ(rows(*connection.executeQuery(QStringLiteral("SELECT Codice FROM Articoli WHERE Codice='a002'"))),
              QStringList{QStringLiteral("A002")});
    EXPECT_EQ(connection.execute(QStringLiteral("UPDATE CodiciIVA SET CodiciIVA.Predefinito = False WHERE CodiciIVA.CodiceIVA<>'10'")), 1);
    EXPECT_EQ(column(QStringLiteral("SELECT Predefinito FROM CodiciIVA ORDER BY CodiceIVA")),
              (QStringList{QStringLiteral("0"), QStringLiteral("0")}));

    DataFixture::runSql(path, QStringLiteral("UPDATE Articoli SET Ubicazione = 'S1' WHERE Codice = 'A001'"));
    EXPECT_EQ(rows(*connection.executeQuery(QStringLiteral(
                  "SELECT DataIns,  iif(NOT IsNull(Ubicazione), Codice & ' [' & Ubicazione & ']', Codice) AS Codice, "
                  "Descrizione From Articoli WHERE Codice <> 'B001' ORDER BY Descrizione"))),
              (QStringList{QStringLiteral("2024-01-02|A002|Dado M3"), QStringLiteral("2024-01-02|A001 [S1]|Vite 3x20")}));

    EXPECT_EQ(rows(*connection.executeQuery(QStringLiteral("SELECT Max(Riga) AS MaxRiga FROM MagazRegDetail WHERE IdReg=5"))),
              QStringList{QStringLiteral("30")});

    DataFixture::runSql(path, QStringLiteral("INSERT INTO _Pars (k01, k02) VALUES ('gridlayout', 'x')"));
    connection.beginTrans();
    EXPECT_EQ(connection.execute(QStringLiteral("DELETE * FROM _Pars WHERE k01='gridlayout'")), 1);
    connection.commitTrans();

    auto movements = connection.executeQuery(QStringLiteral("Execute ViewMagazzino #01/01/24#, #06/30/24#"));
    EXPECT_EQ(rows(*movements).size(), 3);
}

TEST_F(JetStatements, RenumberingAYearInOneTransaction)
{
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM MagazRegMain WHERE Year(DataIns)=2024 ORDER BY DataIns, IdReg"), connection,
            CursorType::Static, LockType::Optimistic);
    connection.beginTrans();
    int number = 0;
    for (rs.moveFirst(); !rs.isEOF(); rs.moveNext()) {
        rs.setValue(QStringLiteral("Progressivo"), Variant(std::int32_t(++number)));
        rs.update();
    }
    connection.commitTrans();
    EXPECT_EQ(column(QStringLiteral("SELECT IdReg || ':' || Progressivo FROM MagazRegMain ORDER BY IdReg")),
              (QStringList{QStringLiteral("1:1"), QStringLiteral("2:2"), QStringLiteral("3:1"), QStringLiteral("4:3"),
                           QStringLiteral("5:4")}));
}

TEST_F(JetStatements, GridLayoutIsStoredAsBytesInTheSettingsTable)
{
    const QString layout = QStringLiteral("{\"colonne\": \"Quantità\"}");
    const QByteArray bytes(reinterpret_cast<const char *>(layout.utf16()), layout.size() * 2);
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM _Pars WHERE k01='gridlayout' AND k02='gex_art'"), connection,
            CursorType::Static, LockType::Optimistic);
    ASSERT_TRUE(rs.isEOF());
    rs.addNew();
    rs.setValue(QStringLiteral("k01"), Variant("gridlayout"));
    rs.setValue(QStringLiteral("k02"), Variant("gex_art"));
    rs.update();
    rs.setValue(QStringLiteral("m01"), Variant(bytes));
    rs.update();

    auto read = connection.executeQuery(QStringLiteral("SELECT m01 FROM _Pars WHERE k01='gridlayout'"));
    EXPECT_EQ(read->value(0), Variant(bytes));
    EXPECT_EQ(column(QStringLiteral("SELECT typeof(m01) FROM _Pars WHERE k01='gridlayout'")), QStringList{QStringLiteral("blob")});
}

// The catalogue's answers (tables and their kinds, columns with type code,
// size and properties, stored queries) and ALTER COLUMN by table rebuild.
#include "DataFixture.h"

#include "platform/data/Catalog.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/data/TableRebuild.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace platform;
using testsupport::DataFixture;
using testsupport::databaseErrorOf;

namespace {

class CatalogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = DataFixture::createSampleDatabase();
        connection.open(DataFixture::connectionString(path));
    }

    QString path;
    Connection connection;
};

QStringList namesOfType(const QList<CatalogTable> &tables, const QString &type)
{
    QStringList names;
    for (const CatalogTable &t : tables) {
        if (t.type() == type)
            names.append(t.name());
    }
    return names;
}

} // namespace

TEST_F(CatalogTest, TablesViewsAndSystemTablesAreToldApart)
{
    const QList<CatalogTable> tables = Catalog(connection).tables();
    EXPECT_EQ(namesOfType(tables, QStringLiteral("TABLE")),
              (QStringList{QStringLiteral("_Pars"), QStringLiteral("Articoli"), QStringLiteral("CliFor"),
                           QStringLiteral("CodiciIVA"), QStringLiteral("Liste"), QStringLiteral("MagazRegDetail"),
                           QStringLiteral("MagazRegMain")}));
    EXPECT_EQ(namesOfType(tables, QStringLiteral("VIEW")),
              (QStringList{QStringLiteral("ViewArticoli"), QStringLiteral("ViewClienti"), QStringLiteral("ViewFornitori")}));
    EXPECT_EQ(namesOfType(tables, QStringLiteral("SYSTEM TABLE")),
              (QStringList{QStringLiteral("_jet_queries"), QStringLiteral("sqlite_sequence")}));
}

TEST_F(CatalogTest, ColumnsReportTypeCodeSizeAndProperties)
{
    const Catalog catalog(connection);
    const CatalogTable articoli = catalog.table(QStringLiteral("articoli"));
    EXPECT_EQ(articoli.column(QStringLiteral("Descrizione")).type(), DataType::adVarWChar);
    EXPECT_EQ(articoli.column(QStringLiteral("Descrizione")).definedSize(), 255);
    EXPECT_EQ(articoli.column(QStringLiteral("Note")).type(), DataType::adLongVarWChar);
    EXPECT_EQ(articoli.column(QStringLiteral("ScortaMinima")).property(QStringLiteral("Default")), Variant("0"));
    const CatalogTable detail = catalog.table(QStringLiteral("MagazRegDetail"));
    EXPECT_EQ(detail.column(QStringLiteral("Quantità")).type(), DataType::adCurrency);
    EXPECT_EQ(detail.column(QStringLiteral("IdDet")).property(QStringLiteral("Autoincrement")), Variant(true));
    EXPECT_EQ(detail.column(QStringLiteral("IdReg")).property(QStringLiteral("Autoincrement")), Variant(false));
    const auto missing = databaseErrorOf([&] { catalog.table(QStringLiteral("Nessuna")); });
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->number(), 3265);
}

TEST_F(CatalogTest, AllowZeroLengthIsAcceptedOnEveryTextColumn)
{
    for (CatalogTable table : Catalog(connection).tables()) {
        if (table.type() != QStringLiteral("TABLE"))
            continue;
        for (CatalogColumn column : table.columns()) {
            if (column.type() != DataType::adVarWChar && column.type() != DataType::adLongVarWChar)
                continue;
            column.setProperty(QStringLiteral("Jet OLEDB:Allow Zero Length"), Variant(true));
            EXPECT_EQ(column.property(QStringLiteral("Jet OLEDB:Allow Zero Length")), Variant(true));
        }
    }
    CatalogColumn code = Catalog(connection).table(QStringLiteral("Articoli")).column(QStringLiteral("Codice"));
    EXPECT_EQ(databaseErrorOf([&] { code.setProperty(QStringLiteral("Nullable"), Variant(true)); })->number(), 3251);
    EXPECT_EQ(databaseErrorOf([&] { code.setProperty(QStringLiteral("Colore"), Variant(true)); })->number(), 3265);
}

TEST_F(CatalogTest, ProceduresAreTheStoredQueries)
{
    QStringList names;
    for (const CatalogProcedure &p : Catalog(connection).procedures())
        names.append(p.name());
    EXPECT_EQ(names, (QStringList{QStringLiteral("invCM"), QStringLiteral("invCU"), QStringLiteral("RepGiacenze"),
                                  QStringLiteral("ViewGiacenze"), QStringLiteral("ViewMagazzino")}));
    const CatalogProcedure invCM = Catalog(connection).procedure(QStringLiteral("INVCM"));
    EXPECT_EQ(invCM.parameterNames(), (QStringList{QStringLiteral("d2"), QStringLiteral("d1")}));
    EXPECT_EQ(invCM.parameterTypes(), (QStringList{QStringLiteral("DateTime"), QStringLiteral("DateTime")}));
}

TEST_F(CatalogTest, AlterColumnRebuildsTheTableKeepingRowsIndexesViewsAndCounter)
{
    // An older database: a shorter description, quantities as plain numbers.
    connection.execute(QStringLiteral("ALTER TABLE Articoli ALTER COLUMN Descrizione TEXT(50)"));
    connection.execute(QStringLiteral("ALTER TABLE MagazRegDetail ALTER COLUMN Quantità DOUBLE"));
    DataFixture::runSql(path, QStringLiteral("UPDATE MagazRegDetail SET \"Quantità\" = 1.234567 WHERE IdDet = 2; "
                                             "DELETE FROM MagazRegDetail WHERE IdDet = 4"));
    const Catalog catalog(connection);
    EXPECT_EQ(catalog.table(QStringLiteral("Articoli")).column(QStringLiteral("Descrizione")).definedSize(), 50);
    EXPECT_EQ(catalog.table(QStringLiteral("MagazRegDetail")).column(QStringLiteral("Quantità")).type(),
              DataType::adDouble);

    connection.execute(QStringLiteral("ALTER TABLE Articoli ALTER COLUMN Descrizione TEXT(255)"));
    connection.execute(QStringLiteral("ALTER TABLE MagazRegDetail ALTER COLUMN Quantità CURRENCY"));

    EXPECT_EQ(catalog.table(QStringLiteral("Articoli")).column(QStringLiteral("Descrizione")).definedSize(), 255);
    EXPECT_EQ(catalog.table(QStringLiteral("MagazRegDetail")).column(QStringLiteral("Quantità")).type(),
              DataType::adCurrency);
    EXPECT_EQ(DataFixture::queryColumn(path, QStringLiteral("SELECT \"Quantità\" FROM MagazRegDetail ORDER BY IdDet")),
              (QStringList{QStringLiteral("150"), QStringLiteral("1.2346"), QStringLiteral("60")}));
    EXPECT_EQ(DataFixture::queryValue(path, QStringLiteral("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                                                           "WHERE type = 'index' AND tbl_name = 'MagazRegDetail' ORDER BY name)")),
              QStringLiteral("MagazRegDetail_CodiceArticolo,MagazRegDetail_IdReg"));
    EXPECT_EQ(connection.executeQuery(QStringLiteral("SELECT Descrizione FROM ViewArticoli WHERE Codice = 'A001'"))->value(0),
              Variant("Vite 3x20"));
    EXPECT_EQ(DataFixture::queryValue(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    // Codes stay unique without regard to case after the rebuild.
    EXPECT_TRUE(databaseErrorOf([&] { connection.execute(QStringLiteral("INSERT INTO Articoli (Codice) VALUES ('a001')")); }));

    // The AutoNumber does not hand out the number of the deleted line again.
    Recordset line;
    line.open(QStringLiteral("MagazRegDetail"), connection, CursorType::Static, LockType::Optimistic, CommandType::Table);
    line.addNew();
    line.setValue(QStringLiteral("IdReg"), Variant(std::int32_t(3)));
    line.update();
    EXPECT_EQ(line.value(QStringLiteral("IdDet")), Variant(std::int32_t(5)));
}

TEST_F(CatalogTest, AlterColumnOfATableWithoutKeyKeepsItsRowIds)
{
    const QStringList before = DataFixture::queryColumn(path, QStringLiteral("SELECT rowid || k01 FROM _Pars ORDER BY rowid"));
    connection.execute(QStringLiteral("ALTER TABLE _Pars ALTER COLUMN l02 CURRENCY"));
    EXPECT_EQ(DataFixture::queryColumn(path, QStringLiteral("SELECT rowid || k01 FROM _Pars ORDER BY rowid")), before);
    const auto error = databaseErrorOf([&] { connection.execute(QStringLiteral("ALTER TABLE _Pars ALTER COLUMN x01 DOUBLE")); });
    ASSERT_TRUE(error);
    EXPECT_EQ(Catalog(connection).table(QStringLiteral("_Pars")).columns().size(), 5);
}

TEST(TableRebuildText, ReplacesOnlyTheTypeOfTheColumn)
{
    const QString create = QStringLiteral(
        "CREATE TABLE Articoli (Codice VARCHAR(40) NOT NULL COLLATE NOCASE PRIMARY KEY, "
        "Descrizione VARCHAR ( 50 ) COLLATE NOCASE, Costo DOUBLE, CHECK (Costo >= 0))");
    EXPECT_EQ(sqlite::TableRebuild::rewriteCreateStatement(create, QStringLiteral("t2"), QStringLiteral("descrizione"),
                                                           QStringLiteral("VARCHAR(255) COLLATE NOCASE")),
              QStringLiteral("CREATE TABLE \"t2\" (Codice VARCHAR(40) NOT NULL COLLATE NOCASE PRIMARY KEY, "
                             "Descrizione VARCHAR(255) COLLATE NOCASE, Costo DOUBLE, CHECK (Costo >= 0))"));
    EXPECT_EQ(sqlite::TableRebuild::rewriteCreateStatement(create, QStringLiteral("t2"), QStringLiteral("Codice"),
                                                           QStringLiteral("TEXT(50)")),
              QStringLiteral("CREATE TABLE \"t2\" (Codice TEXT(50) NOT NULL COLLATE NOCASE PRIMARY KEY, "
                             "Descrizione VARCHAR ( 50 ) COLLATE NOCASE, Costo DOUBLE, CHECK (Costo >= 0))"));
    EXPECT_EQ(sqlite::TableRebuild::rewriteCreateStatement(create, QStringLiteral("t2"), QStringLiteral("Prezzo"),
                                                           QStringLiteral("DOUBLE")),
              QString());
}

// The catalogue's answers (tables and their kinds, columns with type code,
// size and properties, stored queries) and ALTER COLUMN by table rebuild.
#include "SampleDbFixture.h"

#include "platform/data/Catalog.h"
#include "platform/data/TableRebuild.h"

#include <QMap>

using namespace platform;
using namespace Qt::StringLiterals;
using testsupport::databaseErrorNumber;
using testsupport::databaseErrorOf;

using CatalogTest = testsupport::SampleDbTest;

TEST_F(CatalogTest, TablesColumnsAndStoredQueries)
{
    const Catalog catalog(connection);
    QMap<QString, QStringList> names;
    for (const CatalogTable &t : catalog.tables())
        names[t.type()].append(t.name());
    EXPECT_EQ(names.value(u"TABLE"_s), (QStringList{u"_Pars"_s, u"Articoli"_s, u"CliFor"_s, u"CodiciIVA"_s, u"Liste"_s,
                                                    u"MagazRegDetail"_s, u"MagazRegMain"_s}));
    EXPECT_EQ(names.value(u"VIEW"_s), (QStringList{u"ViewArticoli"_s, u"ViewClienti"_s, u"ViewFornitori"_s}));
    EXPECT_EQ(names.value(u"SYSTEM TABLE"_s), (QStringList{u"_Carichi"_s, u"_jet_queries"_s, u"_Saldi"_s, u"sqlite_sequence"_s}));

    // Columns with their type code, size and properties.
    const CatalogTable articoli = catalog.table(u"articoli"_s);
    EXPECT_EQ(articoli.column(u"Descrizione"_s).type(), DataType::adVarWChar);
    EXPECT_EQ(articoli.column(u"Descrizione"_s).definedSize(), 255);
    EXPECT_EQ(articoli.column(u"Note"_s).type(), DataType::adLongVarWChar);
    EXPECT_EQ(articoli.column(u"ScortaMinima"_s).property(u"Default"_s), Variant("0"));
    const CatalogTable detail = catalog.table(u"MagazRegDetail"_s);
    EXPECT_EQ(detail.column(u"Quantità"_s).type(), DataType::adCurrency);
    EXPECT_EQ(detail.column(u"IdDet"_s).property(u"Autoincrement"_s), Variant(true));
    EXPECT_EQ(detail.column(u"IdReg"_s).property(u"Autoincrement"_s), Variant(false));
    EXPECT_EQ(databaseErrorNumber([&] { catalog.table(u"Nessuna"_s); }), 3265);
    // Of the properties only Allow Zero Length may be set, as the start-up
    // upgrades do on every text column (tests/shell/test_upgrades.cpp).
    CatalogColumn code = articoli.column(u"Codice"_s);
    EXPECT_EQ(code.property(u"Jet OLEDB:Allow Zero Length"_s), Variant(true));
    code.setProperty(u"Jet OLEDB:Allow Zero Length"_s, Variant(true));
    EXPECT_EQ(databaseErrorNumber([&] { code.setProperty(u"Nullable"_s, Variant(true)); }), 3251);
    EXPECT_EQ(databaseErrorNumber([&] { code.setProperty(u"Colore"_s, Variant(true)); }), 3265);

    // The stored queries are the procedures.
    QStringList procedures;
    for (const CatalogProcedure &p : catalog.procedures())
        procedures.append(p.name());
    EXPECT_EQ(procedures, (QStringList{u"invCM"_s, u"invCU"_s, u"RepGiacenze"_s, u"ViewGiacenze"_s, u"ViewMagazzino"_s}));
    const CatalogProcedure invCM = catalog.procedure(u"INVCM"_s);
    EXPECT_EQ(invCM.parameterNames(), (QStringList{u"d2"_s, u"d1"_s}));
    EXPECT_EQ(invCM.parameterTypes(), (QStringList{u"DateTime"_s, u"DateTime"_s}));
}

TEST_F(CatalogTest, AlterColumnRebuildsTheTableFromItsTextKeepingRowsIndexesViewsCounterAndRowIds)
{
    // An older database: a shorter description, quantities as plain numbers.
    connection.execute(u"ALTER TABLE Articoli ALTER COLUMN Descrizione TEXT(50)"_s);
    connection.execute(u"ALTER TABLE MagazRegDetail ALTER COLUMN Quantità DOUBLE"_s);
    testsupport::DataFixture::runSql(
        path, u"UPDATE MagazRegDetail SET \"Quantità\" = 1.234567 WHERE IdDet = 2; DELETE FROM MagazRegDetail WHERE IdDet = 4"_s);
    const Catalog catalog(connection);
    EXPECT_EQ(catalog.table(u"Articoli"_s).column(u"Descrizione"_s).definedSize(), 50);
    EXPECT_EQ(catalog.table(u"MagazRegDetail"_s).column(u"Quantità"_s).type(), DataType::adDouble);

    connection.execute(u"ALTER TABLE Articoli ALTER COLUMN Descrizione TEXT(255)"_s);
    connection.execute(u"ALTER TABLE MagazRegDetail ALTER COLUMN Quantità CURRENCY"_s);

    EXPECT_EQ(catalog.table(u"Articoli"_s).column(u"Descrizione"_s).definedSize(), 255);
    EXPECT_EQ(catalog.table(u"MagazRegDetail"_s).column(u"Quantità"_s).type(), DataType::adCurrency);
    EXPECT_EQ(column(u"SELECT \"Quantità\" FROM MagazRegDetail ORDER BY IdDet"_s),
              (QStringList{u"150"_s, u"1.2346"_s, u"60"_s}));
    EXPECT_EQ(stored(u"SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                     u"WHERE type = 'index' AND tbl_name = 'MagazRegDetail' ORDER BY name)"_s),
              u"MagazRegDetail_CodiceArticolo,MagazRegDetail_IdReg"_s);
    EXPECT_EQ(connection.executeQuery(u"SELECT Descrizione FROM ViewArticoli WHERE Codice = 'A001'"_s)->value(0),
              Variant("Vite 3x20"));
    EXPECT_EQ(stored(u"PRAGMA integrity_check"_s), u"ok"_s);
    // Codes stay unique without regard to case after the rebuild.
    EXPECT_TRUE(databaseErrorOf([&] { connection.execute(u"INSERT INTO Articoli (Codice) VALUES ('a001')"_s); }));

    // The AutoNumber does not hand out the number of the deleted line again.
    auto line = open(u"MagazRegDetail"_s, LockType::Optimistic, CommandType::Table);
    line->addNew();
    line->setValue(u"IdReg"_s, Variant(std::int32_t(3)));
    line->update();
    EXPECT_EQ(line->value(u"IdDet"_s), Variant(std::int32_t(5)));

    // A table without a key keeps its row ids.
    const QStringList before = column(u"SELECT rowid || k01 FROM _Pars ORDER BY rowid"_s);
    connection.execute(u"ALTER TABLE _Pars ALTER COLUMN l02 CURRENCY"_s);
    EXPECT_EQ(column(u"SELECT rowid || k01 FROM _Pars ORDER BY rowid"_s), before);
    EXPECT_TRUE(databaseErrorOf([&] { connection.execute(u"ALTER TABLE _Pars ALTER COLUMN x01 DOUBLE"_s); }));
    EXPECT_EQ(Catalog(connection).table(u"_Pars"_s).columns().size(), 5);

    // The rebuilt table's text replaces only the type of the column.
    const QString create = u"CREATE TABLE Articoli (Codice VARCHAR(40) NOT NULL COLLATE NOCASE PRIMARY KEY, "
                           u"Descrizione VARCHAR ( 50 ) COLLATE NOCASE, Costo DOUBLE, CHECK (Costo >= 0))"_s;
    const auto rewrite = [&](const char *column, const char *type) {
        return sqlite::TableRebuild::rewriteCreateStatement(create, u"t2"_s, QString::fromUtf8(column),
                                                            QString::fromUtf8(type));
    };
    EXPECT_EQ(rewrite("descrizione", "VARCHAR(255) COLLATE NOCASE"),
              u"CREATE TABLE \"t2\" (Codice VARCHAR(40) NOT NULL COLLATE NOCASE PRIMARY KEY, "
              u"Descrizione VARCHAR(255) COLLATE NOCASE, Costo DOUBLE, CHECK (Costo >= 0))"_s);
    EXPECT_EQ(rewrite("Codice", "TEXT(50)"), u"CREATE TABLE \"t2\" (Codice TEXT(50) NOT NULL COLLATE NOCASE PRIMARY KEY, "
                                             u"Descrizione VARCHAR ( 50 ) COLLATE NOCASE, Costo DOUBLE, CHECK (Costo >= 0))"_s);
    EXPECT_EQ(rewrite("Prezzo", "DOUBLE"), QString());
}

// The schema upgrades on a database made by an older version, and on one
// that another copy holds or that refuses one of the changes.
#include "ShellFixture.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Catalog.h"
#include "platform/data/Recordset.h"

#include <QDir>
#include <QMap>

#include <cmath>

using namespace shelltest;
using namespace Qt::StringLiterals;
using platform::DataType;

namespace {

// gest01.mdb in `folder` (a fresh one by default) with the tables as an older
// version made them: a 50-character Descrizione (or `descrizioneWidth`),
// quantities as doubles, no ScortaMinima, no Ubicazione, no stored queries,
// and the causali of that version.
QString createOldDatabase(QString folder = QString(), int descrizioneWidth = 50)
{
    if (folder.isEmpty())
        folder = testsupport::freshDir(u"vecchio"_s);
    const QString path = folder + u"/gest01.mdb"_s;
    writeFile(path, QByteArray());
    runSql(path, QStringLiteral(R"(
        PRAGMA journal_mode = DELETE;
        CREATE TABLE Articoli (
            Codice VARCHAR(40) NOT NULL COLLATE NOCASE PRIMARY KEY,
            Descrizione VARCHAR(%1) COLLATE NOCASE,
            UM VARCHAR(10) COLLATE NOCASE,
            Categoria VARCHAR(50) COLLATE NOCASE,
            IdFornitore INTEGER,
            CodiceArtFor VARCHAR(40) COLLATE NOCASE,
            CodiceIVA VARCHAR(10) COLLATE NOCASE,
            Costo DOUBLE, Ricarico DOUBLE, Prezzo DOUBLE, Aliquota DOUBLE, PrezzoIvato DOUBLE,
            Note LONGTEXT,
            DataIns DATETIME);
        CREATE TABLE MagazRegMain (IdReg INTEGER PRIMARY KEY AUTOINCREMENT, DataIns DATETIME,
            Progressivo INTEGER, Causale VARCHAR(50) COLLATE NOCASE, Descrizione VARCHAR(255) COLLATE NOCASE,
            TipoContropartita VARCHAR(50) COLLATE NOCASE, IdContropartita INTEGER);
        CREATE TABLE MagazRegDetail (IdDet INTEGER PRIMARY KEY AUTOINCREMENT, IdReg INTEGER, Riga INTEGER,
            CodiceArticolo VARCHAR(40) COLLATE NOCASE, "Quantità" DOUBLE, Segno SMALLINT, Costo DOUBLE,
            Prezzo DOUBLE);
        CREATE TABLE _Pars (k01 VARCHAR(50) COLLATE NOCASE, k02 VARCHAR(50) COLLATE NOCASE, l01 DOUBLE,
            l02 DOUBLE, m01 BLOB);
        CREATE INDEX MagazRegDetail_IdReg ON MagazRegDetail (IdReg);
        CREATE VIEW ViewArticoli AS SELECT Codice, Descrizione, Costo FROM Articoli;

        INSERT INTO Articoli (Codice, Descrizione, Costo) VALUES ('A1', 'Vite a testa piana', 5), ('A2', 'Dado M6', 1);
        INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES
            (1, '2024-03-01', 1, 'Rettifica'), (2, '2024-01-02', 2, 'Carico iniziale'), (3, '2024-02-01', 3, 'Carico');
        INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo) VALUES
            (1, 10, 'A1', 1.23456789, 1, 5), (2, 10, 'A1', 2.5, 1, 7), (3, 10, 'A2', 5, 1, 2), (3, 20, 'A2', -5, 1, 2);
        INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', 2024, 3);
    )").arg(descrizioneWidth));
    return path;
}

platform::CatalogColumn catalogColumn(const QString &table, const QString &column)
{
    platform::Connection connection(MainModule::ConnString);
    return platform::Catalog(connection).table(table).column(column);
}

// The column CC of a stored cost query's rows, by article.
QMap<QString, platform::Variant> costs(platform::Connection &connection, const QString &statement)
{
    QMap<QString, platform::Variant> byArticle;
    for (auto rs = connection.executeQuery(statement); !rs->isEOF(); rs->moveNext())
        byArticle.insert(rs->value(u"CodiceArticolo"_s).toString(), rs->value(u"CC"_s));
    return byArticle;
}

} // namespace

using Upgrades = ShellTest;

TEST_F(Upgrades, BringAnOldDatabaseToTheCurrentShapeOnceAndForAllButLeaveAWiderDescription)
{
    const QString path = createOldDatabase();
    useDatabase(path);
    // A copy that added the column but never zeroed it left a Null behind.
    MainModule::AggiungiScortaMinima();
    runSql(path, u"INSERT INTO Articoli (Codice, Descrizione, ScortaMinima) VALUES ('A3', 'Rondella', NULL)"_s);

    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_EQ(desk->prompts(), QStringList());

    const platform::CatalogColumn descrizione = catalogColumn(u"Articoli"_s, u"Descrizione"_s);
    EXPECT_EQ(descrizione.type(), DataType::adVarWChar);
    EXPECT_EQ(descrizione.definedSize(), 255);
    EXPECT_EQ(catalogColumn(u"Articoli"_s, u"ScortaMinima"_s).type(), DataType::adDouble);
    const platform::CatalogColumn ubicazione = catalogColumn(u"Articoli"_s, u"Ubicazione"_s);
    EXPECT_EQ(ubicazione.type(), DataType::adVarWChar);
    EXPECT_EQ(ubicazione.definedSize(), 50);
    EXPECT_EQ(catalogColumn(u"MagazRegDetail"_s, u"Quantità"_s).type(), DataType::adCurrency);

    EXPECT_EQ(queryColumn(path, u"SELECT Codice || '=' || quote(ScortaMinima) FROM Articoli ORDER BY Codice"_s),
              (QStringList{u"A1=0.0"_s, u"A2=0.0"_s, u"A3=0.0"_s}));
    EXPECT_EQ(queryValue(path, u"SELECT Descrizione FROM Articoli WHERE Codice='A1'"_s), u"Vite a testa piana"_s);
    EXPECT_EQ(queryColumn(path, u"SELECT Causale FROM MagazRegMain ORDER BY IdReg"_s),
              (QStringList{u"Scarico"_s, u"Carico"_s, u"Carico"_s}));
    const QStringList quantities = queryColumn(path, u"SELECT \"Quantità\" FROM MagazRegDetail ORDER BY IdDet"_s);
    ASSERT_EQ(quantities.size(), 4);
    EXPECT_NEAR(quantities[0].toDouble(), 1.2346, 1e-12);
    EXPECT_NEAR(quantities[1].toDouble(), 2.5, 1e-12);
    for (const QString &q : quantities)
        EXPECT_NEAR(q.toDouble() * 10000, std::round(q.toDouble() * 10000), 1e-6) << q.toStdString();

    {
        platform::Connection connection(MainModule::ConnString);
        const platform::Catalog catalog(connection);
        EXPECT_EQ(catalog.procedure(u"invCM"_s).parameterNames(), (QStringList{u"d2"_s, u"d1"_s}));
        EXPECT_EQ(catalog.procedure(u"invCU"_s).parameterNames(), QStringList{u"d2"_s});
        // The view that names the rebuilt table still works.
        EXPECT_EQ(connection.executeQuery(u"SELECT Descrizione FROM ViewArticoli WHERE Codice='A2'"_s)->value(0),
                  platform::Variant(u"Dado M6"_s));

        // The cost queries answer like the template's. The last load of A1 is
        // the one of 1 March (cost 5), although its line was written before
        // the January one.
        const auto lastCost = costs(connection, u"Execute invCU #12/31/2024#"_s);
        EXPECT_EQ(lastCost.value(u"A1"_s).toDouble(), 5.0);
        EXPECT_EQ(lastCost.value(u"A2"_s).toDouble(), 2.0);
        // A2 was bought and sent back in full: no average cost, and no error.
        const auto averageCost = costs(connection, u"Execute invCM #12/31/2024#, #01/01/2024#"_s);
        EXPECT_TRUE(averageCost.value(u"A2"_s).isNull()) << averageCost.value(u"A2"_s).debugString().toStdString();
        EXPECT_NEAR(averageCost.value(u"A1"_s).toDouble(), (1.2346 * 5 + 2.5 * 7) / (1.2346 + 2.5), 1e-9);
    }

    // Nothing records that an upgrade ran: the next start changes nothing.
    const QByteArray bytes = fileBytes(path);
    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_EQ(fileBytes(path), bytes);
    EXPECT_EQ(desk->prompts(), QStringList());

    // A description already wider is left alone.
    useDatabase(createOldDatabase(QString(), 100));
    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_EQ(catalogColumn(u"Articoli"_s, u"Descrizione"_s).definedSize(), 100);
    EXPECT_EQ(desk->prompts(), QStringList());
}

// Another copy holds the database while this one starts: the upgrade is
// reported and rolled back, the start goes on, and the next start finishes.
TEST_F(Upgrades, LockedDatabaseIsReportedRolledBackAndTheStartGoesOnEvenUpgradesThatIgnoreErrorsStop)
{
    const QString folder = documents + u"/BrevelDB"_s;
    QDir().mkpath(folder);
    const QString path = createOldDatabase(folder);
    const QStringList before = dumpDatabase(path);
    platform::Connection::setDefaultBusyTimeout(100);
    {
        const AltroProgramma writing(path, false);
        EXPECT_TRUE(MainModule::Main());
    }
    const QString prompt = criticalBox(false).prompt;
    EXPECT_TRUE(prompt.startsWith(u"Aggiornamento del database non riuscito.\r\n"_s)) << prompt.toStdString();
    EXPECT_EQ(dumpDatabase(path), before);
    EXPECT_EQ(MainModule::DbPath, folder);
    EXPECT_TRUE(settingsText(u"prgrel"_s));

    // The next start, with nobody holding the file, finishes the work.
    desk->clear();
    EXPECT_TRUE(MainModule::Main());
    EXPECT_EQ(desk->prompts(), QStringList());
    EXPECT_EQ(catalogColumn(u"Articoli"_s, u"Descrizione"_s).definedSize(), 255);
    EXPECT_EQ(MainModule::ProssimoProgressivo(2024), 3);

    // Upgrades that ignore errors still report a lock: only "the change is
    // already there" is quietly ignored.
    const QString old = createOldDatabase();
    useDatabase(old);
    {
        const AltroProgramma writing(old, false);
        EXPECT_THROW(MainModule::AggiungiScortaMinima(), platform::RuntimeError);
        EXPECT_THROW(MainModule::AggiungiUbicazione(), platform::RuntimeError);
        EXPECT_THROW(MainModule::CreaQueryInventario(), platform::RuntimeError);
    }

    platform::Connection connection(MainModule::ConnString);
    EXPECT_THROW(platform::Catalog(connection).procedure(u"invCU"_s), platform::RuntimeError);
    MainModule::AggiungiUbicazione();
    EXPECT_EQ(catalogColumn(u"Articoli"_s, u"Ubicazione"_s).definedSize(), 50);
}

TEST_F(Upgrades, FailedCausaliConversionRewritesNeither)
{
    const QString path = createOldDatabase();
    // Something in the database refuses the second of the two rewrites.
    runSql(path, QStringLiteral("CREATE TRIGGER NoCarico BEFORE UPDATE OF Causale ON MagazRegMain "
                                "WHEN NEW.Causale = 'Carico' BEGIN SELECT RAISE(ABORT, 'rifiutato'); END"));
    useDatabase(path);

    EXPECT_THROW(MainModule::ConvertiCausali(), platform::RuntimeError);
    EXPECT_EQ(queryColumn(path, u"SELECT Causale FROM MagazRegMain ORDER BY IdReg"_s),
              (QStringList{u"Rettifica"_s, u"Carico iniziale"_s, u"Carico"_s}));

    // At start the failure is reported and the database stays in use.
    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_TRUE(criticalBox(false).prompt.contains(u"L'operazione sul database non è riuscita."_s));
    EXPECT_EQ(queryValue(path, u"SELECT Causale FROM MagazRegMain WHERE IdReg = 1"_s), u"Rettifica"_s);
}

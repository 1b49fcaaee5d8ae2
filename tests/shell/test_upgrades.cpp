// The schema upgrades on a database made by an older version, and on one
// that another copy holds or that refuses one of the changes.
#include "ShellFixture.h"

#include "support/TestEnv.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Catalog.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "shell/MainModule.h"

#include <QDir>
#include <QMap>

#include <cmath>

using namespace shelltest;
using platform::DataType;

namespace {

// gest01.mdb in `folder` (a fresh one by default) with the tables as an older
// version made them: a 50-character Descrizione (or `descrizioneWidth`),
// quantities as doubles, no ScortaMinima, no Ubicazione, no stored queries,
// and the causali of that version.
QString createOldDatabase(QString folder = QString(), int descrizioneWidth = 50)
{
    if (folder.isEmpty())
        folder = testsupport::freshDir(QStringLiteral("vecchio"));
    const QString path = folder + QStringLiteral("/gest01.mdb");
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
        byArticle.insert(rs->value(QStringLiteral("CodiceArticolo")).toString(), rs->value(QStringLiteral("CC")));
    return byArticle;
}

} // namespace

using Upgrades = ShellTest;

TEST_F(Upgrades, BringAnOldDatabaseToTheCurrentShapeOnceAndForAll)
{
    const QString path = createOldDatabase();
    useDatabase(path);
    // A copy that added the column but never zeroed it left a Null behind.
    MainModule::AggiungiScortaMinima();
    runSql(path, QStringLiteral("INSERT INTO Articoli (Codice, Descrizione, ScortaMinima) VALUES ('A3', 'Rondella', NULL)"));

    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_EQ(desk->prompts(), QStringList());

    const platform::CatalogColumn descrizione = catalogColumn(QStringLiteral("Articoli"), QStringLiteral("Descrizione"));
    EXPECT_EQ(descrizione.type(), DataType::adVarWChar);
    EXPECT_EQ(descrizione.definedSize(), 255);
    EXPECT_EQ(catalogColumn(QStringLiteral("Articoli"), QStringLiteral("ScortaMinima")).type(), DataType::adDouble);
    const platform::CatalogColumn ubicazione = catalogColumn(QStringLiteral("Articoli"), QStringLiteral("Ubicazione"));
    EXPECT_EQ(ubicazione.type(), DataType::adVarWChar);
    EXPECT_EQ(ubicazione.definedSize(), 50);
    EXPECT_EQ(catalogColumn(QStringLiteral("MagazRegDetail"), QStringLiteral("Quantità")).type(), DataType::adCurrency);

    EXPECT_EQ(queryColumn(path, QStringLiteral("SELECT Codice || '=' || quote(ScortaMinima) FROM Articoli ORDER BY Codice")),
              (QStringList{QStringLiteral("A1=0.0"), QStringLiteral("A2=0.0"), QStringLiteral("A3=0.0")}));
    EXPECT_EQ(queryValue(path, QStringLiteral("SELECT Descrizione FROM Articoli WHERE Codice='A1'")),
              QStringLiteral("Vite a testa piana"));
    EXPECT_EQ(queryColumn(path, QStringLiteral("SELECT Causale FROM MagazRegMain ORDER BY IdReg")),
              (QStringList{QStringLiteral("Scarico"), QStringLiteral("Carico"), QStringLiteral("Carico")}));
    const QStringList quantities = queryColumn(path, QStringLiteral("SELECT \"Quantità\" FROM MagazRegDetail ORDER BY IdDet"));
    ASSERT_EQ(quantities.size(), 4);
    EXPECT_NEAR(quantities[0].toDouble(), 1.2346, 1e-12);
    EXPECT_NEAR(quantities[1].toDouble(), 2.5, 1e-12);
    for (const QString &q : quantities)
        EXPECT_NEAR(q.toDouble() * 10000, std::round(q.toDouble() * 10000), 1e-6) << q.toStdString();

    {
        platform::Connection connection(MainModule::ConnString);
        const platform::Catalog catalog(connection);
        EXPECT_EQ(catalog.procedure(QStringLiteral("invCM")).parameterNames(), (QStringList{QStringLiteral("d2"), QStringLiteral("d1")}));
        EXPECT_EQ(catalog.procedure(QStringLiteral("invCU")).parameterNames(), QStringList{QStringLiteral("d2")});
        // The view that names the rebuilt table still works.
        EXPECT_EQ(connection.executeQuery(QStringLiteral("SELECT Descrizione FROM ViewArticoli WHERE Codice='A2'"))->value(0),
                  platform::Variant(QStringLiteral("Dado M6")));

        // The cost queries answer like the template's. The last load of A1 is
        // the one of 1 March (cost 5), although its line was written before
        // the January one.
        const auto lastCost = costs(connection, QStringLiteral("Execute invCU #12/31/2024#"));
        EXPECT_EQ(lastCost.value(QStringLiteral("A1")).toDouble(), 5.0);
        EXPECT_EQ(lastCost.value(QStringLiteral("A2")).toDouble(), 2.0);
        // A2 was bought and sent back in full: no average cost, and no error.
        const auto averageCost = costs(connection, QStringLiteral("Execute invCM #12/31/2024#, #01/01/2024#"));
        EXPECT_TRUE(averageCost.value(QStringLiteral("A2")).isNull()) << averageCost.value(QStringLiteral("A2")).debugString().toStdString();
        EXPECT_NEAR(averageCost.value(QStringLiteral("A1")).toDouble(), (1.2346 * 5 + 2.5 * 7) / (1.2346 + 2.5), 1e-9);
    }

    // Nothing records that an upgrade ran: the next start changes nothing.
    const QByteArray bytes = fileBytes(path);
    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_EQ(fileBytes(path), bytes);
    EXPECT_EQ(desk->prompts(), QStringList());
}

TEST_F(Upgrades, WiderDescriptionIsLeftAlone)
{
    useDatabase(createOldDatabase(QString(), 100));
    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_EQ(catalogColumn(QStringLiteral("Articoli"), QStringLiteral("Descrizione")).definedSize(), 100);
    EXPECT_EQ(desk->prompts(), QStringList());
}

// Another copy holds the database while this one starts: the upgrade is
// reported and rolled back, the start goes on, and the next start finishes.
TEST_F(Upgrades, LockedDatabaseIsReportedRolledBackAndTheStartGoesOn)
{
    const QString folder = documents + QStringLiteral("/BrevelDB");
    QDir().mkpath(folder);
    const QString path = createOldDatabase(folder);
    const QStringList before = dumpDatabase(path);
    platform::Connection::setDefaultBusyTimeout(100);
    {
        platform::Connection holder(MainModule::CostruisciConnString(folder, QStringLiteral("gest01.mdb")));
        holder.beginTrans();
        holder.execute(QStringLiteral("UPDATE _Pars SET l02 = 4 WHERE k01 = 'maga'"));

        EXPECT_TRUE(MainModule::Main());
        holder.rollbackTrans();
    }
    const QString prompt = criticalBox(false).prompt;
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("Aggiornamento del database non riuscito.\r\n"))) << prompt.toStdString();
    EXPECT_EQ(dumpDatabase(path), before);
    EXPECT_EQ(MainModule::DbPath, folder);
    EXPECT_TRUE(settingsText(QStringLiteral("prgrel")));

    // The next start, with nobody holding the file, finishes the work.
    desk->clear();
    EXPECT_TRUE(MainModule::Main());
    EXPECT_EQ(desk->prompts(), QStringList());
    EXPECT_EQ(catalogColumn(QStringLiteral("Articoli"), QStringLiteral("Descrizione")).definedSize(), 255);
    EXPECT_EQ(MainModule::ProssimoProgressivo(2024), 3);
}

TEST_F(Upgrades, UpgradesThatIgnoreErrorsStillReportALock)
{
    useDatabase(createOldDatabase());
    platform::Connection::setDefaultBusyTimeout(100);
    platform::Connection holder(MainModule::ConnString);
    holder.beginTrans();
    holder.execute(QStringLiteral("UPDATE _Pars SET l02 = 4 WHERE k01 = 'maga'"));

    // Only "the change is already there" is quietly ignored.
    EXPECT_THROW(MainModule::AggiungiScortaMinima(), platform::RuntimeError);
    EXPECT_THROW(MainModule::AggiungiUbicazione(), platform::RuntimeError);
    EXPECT_THROW(MainModule::CreaQueryInventario(), platform::RuntimeError);
    holder.rollbackTrans();
    holder.close();

    platform::Connection connection(MainModule::ConnString);
    EXPECT_THROW(platform::Catalog(connection).procedure(QStringLiteral("invCU")), platform::RuntimeError);
    MainModule::AggiungiUbicazione();
    EXPECT_EQ(catalogColumn(QStringLiteral("Articoli"), QStringLiteral("Ubicazione")).definedSize(), 50);
}

TEST_F(Upgrades, FailedCausaliConversionRewritesNeither)
{
    const QString path = createOldDatabase();
    // Something in the database refuses the second of the two rewrites.
    runSql(path, QStringLiteral("CREATE TRIGGER NoCarico BEFORE UPDATE OF Causale ON MagazRegMain "
                                "WHEN NEW.Causale = 'Carico' BEGIN SELECT RAISE(ABORT, 'rifiutato'); END"));
    useDatabase(path);

    EXPECT_THROW(MainModule::ConvertiCausali(), platform::RuntimeError);
    EXPECT_EQ(queryColumn(path, QStringLiteral("SELECT Causale FROM MagazRegMain ORDER BY IdReg")),
              (QStringList{QStringLiteral("Rettifica"), QStringLiteral("Carico iniziale"), QStringLiteral("Carico")}));

    // At start the failure is reported and the database stays in use.
    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_TRUE(criticalBox(false).prompt.contains(QStringLiteral("L'operazione sul database non è riuscita."))) << desk->prompts().join(u'|').toStdString();
    EXPECT_EQ(queryValue(path, QStringLiteral("SELECT Causale FROM MagazRegMain WHERE IdReg = 1")), QStringLiteral("Rettifica"));
}

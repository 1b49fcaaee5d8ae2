// The schema upgrades on a database made by an older version, on the
// current template, and on a database that another copy holds or that
// refuses one of the changes.
#include "ShellFixture.h"

#include "support/TestEnv.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Catalog.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "shell/MainModule.h"

#include <QFile>

#include <cmath>

using namespace shelltest;
using platform::DataType;

namespace {

// The tables as an older version made them: a 50-character Descrizione
// (or `descrizioneWidth`), quantities as doubles, no ScortaMinima, no
// Ubicazione, no stored queries, and the causali of that version.
QString createOldDatabase(int descrizioneWidth = 50)
{
    const QString path = testsupport::freshDir(QStringLiteral("vecchio")) + QStringLiteral("/gest01.mdb");
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
        CREATE TABLE CliFor (IdCliFor INTEGER PRIMARY KEY AUTOINCREMENT, Tipo VARCHAR(10) COLLATE NOCASE,
            Nome VARCHAR(100) COLLATE NOCASE);
        CREATE TABLE CodiciIVA (CodiceIVA VARCHAR(10) NOT NULL COLLATE NOCASE PRIMARY KEY,
            Descrizione VARCHAR(50) COLLATE NOCASE, Aliquota DOUBLE, Esenzione YESNO NOT NULL DEFAULT 0,
            Predefinito YESNO NOT NULL DEFAULT 0);
        CREATE TABLE Liste (Id INTEGER PRIMARY KEY AUTOINCREMENT, Chiave VARCHAR(10) COLLATE NOCASE,
            Codice VARCHAR(10) COLLATE NOCASE, Descrizione VARCHAR(50) COLLATE NOCASE,
            Predefinito YESNO NOT NULL DEFAULT 0);
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

        INSERT INTO Articoli (Codice, Descrizione, Costo) VALUES ('A1', 'Vite a testa piana', 5);
        INSERT INTO Articoli (Codice, Descrizione, Costo) VALUES ('A2', 'Dado M6', 1);
        INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES (1, '2024-03-01', 1, 'Rettifica');
        INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES (2, '2024-01-02', 2, 'Carico iniziale');
        INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES (3, '2024-02-01', 3, 'Carico');
        INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo)
            VALUES (1, 10, 'A1', 1.23456789, 1, 5);
        INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo)
            VALUES (2, 10, 'A1', 2.5, 1, 7);
        INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo)
            VALUES (3, 10, 'A2', 5, 1, 2);
        INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, "Quantità", Segno, Costo)
            VALUES (3, 20, 'A2', -5, 1, 2);
        INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', 2024, 3);
    )").arg(descrizioneWidth));
    return path;
}

platform::CatalogColumn catalogColumn(const QString &table, const QString &column)
{
    platform::Connection connection(MainModule::ConnString);
    return platform::Catalog(connection).table(table).column(column);
}

QStringList procedureNames()
{
    platform::Connection connection(MainModule::ConnString);
    QStringList names;
    for (const platform::CatalogProcedure &p : platform::Catalog(connection).procedures())
        names.append(p.name());
    return names;
}

} // namespace

class Upgrades : public ShellTest
{
};

TEST_F(Upgrades, BringAnOldDatabaseToTheCurrentShape)
{
    const QString path = createOldDatabase();
    useDatabase(path);
    // A copy that added the column but never zeroed it left a Null behind.
    MainModule::AggiungiScortaMinima();
    runSql(path, QStringLiteral("INSERT INTO Articoli (Codice, Descrizione, ScortaMinima) VALUES ('A3', 'Rondella', NULL)"));

    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_TRUE(desk->msgBoxes().empty()) << desk->prompts().join(u'|').toStdString();

    const platform::CatalogColumn descrizione = catalogColumn(QStringLiteral("Articoli"), QStringLiteral("Descrizione"));
    EXPECT_EQ(descrizione.type(), DataType::adVarWChar);
    EXPECT_EQ(descrizione.definedSize(), 255);
    const platform::CatalogColumn scorta = catalogColumn(QStringLiteral("Articoli"), QStringLiteral("ScortaMinima"));
    EXPECT_EQ(scorta.type(), DataType::adDouble);
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
    for (const QString &q : quantities) {
        const double scaled = q.toDouble() * 10000;
        EXPECT_NEAR(scaled, std::round(scaled), 1e-6) << q.toStdString();
    }

    const QStringList procedures = procedureNames();
    EXPECT_TRUE(procedures.contains(QStringLiteral("invCM"))) << procedures.join(u',').toStdString();
    EXPECT_TRUE(procedures.contains(QStringLiteral("invCU"))) << procedures.join(u',').toStdString();
    platform::Connection connection(MainModule::ConnString);
    const platform::Catalog catalog(connection);
    EXPECT_EQ(catalog.procedure(QStringLiteral("invCM")).parameterNames(), (QStringList{QStringLiteral("d2"), QStringLiteral("d1")}));
    EXPECT_EQ(catalog.procedure(QStringLiteral("invCU")).parameterNames(), QStringList{QStringLiteral("d2")});
    // The view that names the rebuilt table still works.
    EXPECT_EQ(connection.executeQuery(QStringLiteral("SELECT Descrizione FROM ViewArticoli WHERE Codice='A2'"))->value(0),
              platform::Variant(QStringLiteral("Dado M6")));
}

TEST_F(Upgrades, CostQueriesOfAnUpgradedDatabaseAnswerLikeTheTemplates)
{
    const QString path = createOldDatabase();
    useDatabase(path);
    ASSERT_TRUE(MainModule::AggiornaDatabase());

    platform::Connection connection(MainModule::ConnString);
    // The last load of A1 is the one of 1 March (cost 5), although its line
    // was written before the January one.
    auto last = connection.executeQuery(QStringLiteral("Execute invCU #12/31/2024#"));
    QMap<QString, platform::Variant> lastCost;
    for (; !last->isEOF(); last->moveNext())
        lastCost.insert(last->value(QStringLiteral("CodiceArticolo")).toString(), last->value(QStringLiteral("CC")));
    EXPECT_EQ(lastCost.value(QStringLiteral("A1")).toDouble(), 5.0);
    EXPECT_EQ(lastCost.value(QStringLiteral("A2")).toDouble(), 2.0);

    // A2 was bought and sent back in full: no average cost, and no error.
    auto average = connection.executeQuery(QStringLiteral("Execute invCM #12/31/2024#, #01/01/2024#"));
    QMap<QString, platform::Variant> averageCost;
    for (; !average->isEOF(); average->moveNext())
        averageCost.insert(average->value(QStringLiteral("CodiceArticolo")).toString(), average->value(QStringLiteral("CC")));
    EXPECT_TRUE(averageCost.value(QStringLiteral("A2")).isNull()) << averageCost.value(QStringLiteral("A2")).debugString().toStdString();
    EXPECT_NEAR(averageCost.value(QStringLiteral("A1")).toDouble(), (1.2346 * 5 + 2.5 * 7) / (1.2346 + 2.5), 1e-9);
}

TEST_F(Upgrades, WiderDescriptionIsLeftAlone)
{
    const QString path = createOldDatabase(100);
    useDatabase(path);
    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_EQ(catalogColumn(QStringLiteral("Articoli"), QStringLiteral("Descrizione")).definedSize(), 100);
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(Upgrades, SecondRunChangesNothing)
{
    const QString path = createOldDatabase();
    useDatabase(path);
    ASSERT_TRUE(MainModule::AggiornaDatabase());
    const QStringList afterFirst = dumpDatabase(path);
    const QByteArray bytes = fileBytes(path);

    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_EQ(dumpDatabase(path), afterFirst);
    EXPECT_EQ(fileBytes(path), bytes);
    EXPECT_TRUE(desk->msgBoxes().empty()) << desk->prompts().join(u'|').toStdString();
}

TEST_F(Upgrades, CurrentTemplateIsLeftAsItIs)
{
    const QString path = copyTemplate(testsupport::freshDir(QStringLiteral("corrente")));
    const QByteArray before = fileBytes(path);
    useDatabase(path);

    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_TRUE(desk->msgBoxes().empty()) << desk->prompts().join(u'|').toStdString();
    EXPECT_EQ(fileBytes(path), before);
}

TEST_F(Upgrades, LockedDatabaseIsReportedRolledBackAndUsable)
{
    const QString path = createOldDatabase();
    useDatabase(path);
    const QStringList before = dumpDatabase(path);
    platform::Connection::setDefaultBusyTimeout(100);
    {
        platform::Connection holder(MainModule::ConnString);
        holder.beginTrans();
        holder.execute(QStringLiteral("UPDATE _Pars SET l02 = 4 WHERE k01 = 'maga'"));

        EXPECT_TRUE(MainModule::AggiornaDatabase());
        holder.rollbackTrans();
    }
    const auto boxes = desk->msgBoxes();
    ASSERT_EQ(boxes.size(), 1u) << desk->prompts().join(u'|').toStdString();
    EXPECT_TRUE(boxes[0].prompt.startsWith(QStringLiteral("Aggiornamento del database non riuscito.\r\n")));
    EXPECT_FALSE(boxes[0].prompt.contains(NotStarted));
    EXPECT_EQ(boxes[0].style, platform::vbCritical | platform::vbOKOnly);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Velmora"));
    EXPECT_EQ(dumpDatabase(path), before);

    // The next start, with nobody holding the file, finishes the work.
    desk->clear();
    EXPECT_TRUE(MainModule::AggiornaDatabase());
    EXPECT_TRUE(desk->msgBoxes().empty());
    EXPECT_EQ(catalogColumn(QStringLiteral("Articoli"), QStringLiteral("Descrizione")).definedSize(), 255);
}

TEST_F(Upgrades, UpgradesThatIgnoreErrorsStillReportALock)
{
    const QString path = createOldDatabase();
    useDatabase(path);
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

    EXPECT_FALSE(procedureNames().contains(QStringLiteral("invCU")));
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
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_TRUE(desk->msgBoxes()[0].prompt.contains(QStringLiteral("rifiutato"))) << desk->msgBoxes()[0].prompt.toStdString();
    EXPECT_EQ(queryValue(path, QStringLiteral("SELECT Causale FROM MagazRegMain WHERE IdReg = 1")), QStringLiteral("Rettifica"));
}

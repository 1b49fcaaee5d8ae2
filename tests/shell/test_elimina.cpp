// Deleting the selected record of the main window's list: the question,
// the checks that keep records still in use, the deletes and their errors.
#include "ShellFixture.h"

#include "shell/EliminaRecord.h"

#include <sqlite3.h>

#include <chrono>
#include <future>
#include <thread>

using namespace shelltest;
using namespace Qt::StringLiterals;
using platform::Variant;

// The sample database with a few records that nothing refers to: VAT code
// "04", the category "Articoli per l'ufficio" (Id 4), the supplier 4 named
// only by article B001 and the supplier 5 named by nothing.
class Elimina : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        database = testsupport::DataFixture::createSampleDatabase(testsupport::freshDir(u"elimina"_s));
        runSql(database, u"INSERT INTO CodiciIVA VALUES ('04', 'Minima', 4, 0, 0);"
                         "INSERT INTO Liste (Id, Chiave, Codice, Descrizione) "
                         "VALUES (4, 'cat', NULL, 'Articoli per l''ufficio');"
                         "INSERT INTO CliFor (IdCliFor, Tipo, Nome) "
                         "VALUES (4, 'Fornitore', 'Neri Spa'), (5, 'Fornitore', 'Gialli Snc');"
                         "UPDATE Articoli SET IdFornitore = 4 WHERE Codice = 'B001';"_s);
        useDatabase(database);
    }

    // Answers Yes to the question and deletes.
    bool eliminaConSi(const char *nodo, const Variant &chiave, const Variant &colonna2 = Variant())
    {
        desk->queueMsgBox(platform::vbYes);
        return Eliminazione::EliminaRecord(QString::fromLatin1(nodo), chiave, colonna2);
    }

    // The refusal or error box that followed the question: OK alone, no icon.
    void expectNotice(const QString &prompt) const
    {
        const auto boxes = desk->msgBoxes();
        ASSERT_EQ(boxes.size(), 2u) << desk->prompts().join(u'|').toStdString();
        EXPECT_EQ(boxes[1].prompt, prompt);
        EXPECT_EQ(boxes[1].style, platform::vbOKOnly);
        EXPECT_EQ(boxes[1].title, u"Velmora"_s);
    }

    QStringList column(const QString &sql) const { return queryColumn(database, sql); }

    QString database;
};

// Each node asks its question: No keeps the record, Yes deletes it and
// nothing else.
TEST_F(Elimina, EveryNodeAsksItsQuestionAndOnlyYesDeletes)
{
    // An article code with a quote, pasted or imported, is deleted as well.
    runSql(database, u"INSERT INTO Articoli (Codice, Descrizione) VALUES ('L''X', 'Apice')"_s);
    struct Case
    {
        const char *nodo;
        const char *domanda;
        Variant chiave;
        Variant colonna2;
    };
    const Case cases[] = {
        {"iva", "Eliminare il Codice IVA selezionato?", Variant("04"), Variant()},
        {"umi", "Eliminare l'Unità di misura selezionata?", Variant(2), Variant("KG")},
        {"cat", "Eliminare la Categoria selezionata?", Variant(4), Variant("Articoli per l'ufficio")},
        {"art", "Eliminare l'Articolo selezionato?", Variant("B001"), Variant("Rondella")},
        {"art", "Eliminare l'Articolo selezionato?", Variant("L'X"), Variant("Apice")},
        {"cli", "Eliminare il Cliente selezionato?", Variant(3), Variant("anna verdi")},
        {"for", "Eliminare il Fornitore selezionato?", Variant(5), Variant("Gialli Snc")},
        // A movement goes with all its lines.
        {"mag", "Eliminare il movimento selezionato?", Variant(1), Variant("10/01/2024")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.chiave.toString().toStdString());
        const QStringList before = dumpDatabase(database);
        desk->clear();
        desk->queueMsgBox(platform::vbNo);
        EXPECT_FALSE(Eliminazione::EliminaRecord(QString::fromLatin1(c.nodo), c.chiave, c.colonna2));
        EXPECT_EQ(dumpDatabase(database), before);
        EXPECT_TRUE(eliminaConSi(c.nodo, c.chiave, c.colonna2));
        const auto boxes = desk->msgBoxes();
        ASSERT_EQ(boxes.size(), 2u) << desk->prompts().join(u'|').toStdString();
        EXPECT_EQ(boxes[0].prompt, QString::fromUtf8(c.domanda));
        EXPECT_EQ(boxes[0].style, platform::vbYesNo | platform::vbQuestion | platform::vbDefaultButton2);
        EXPECT_EQ(boxes[0].title, u"Velmora"_s);
    }
    EXPECT_EQ(column(u"SELECT CodiceIVA FROM CodiciIVA ORDER BY 1"_s), (QStringList{u"10"_s, u"22"_s}));
    EXPECT_EQ(column(u"SELECT Id FROM Liste ORDER BY 1"_s), (QStringList{u"1"_s, u"3"_s}));
    EXPECT_EQ(column(u"SELECT Codice FROM Articoli ORDER BY 1"_s), (QStringList{u"A001"_s, u"A002"_s}));
    EXPECT_EQ(column(u"SELECT IdCliFor FROM CliFor ORDER BY 1"_s), (QStringList{u"1"_s, u"2"_s, u"4"_s}));
    EXPECT_EQ(column(u"SELECT IdReg FROM MagazRegMain ORDER BY 1"_s), (QStringList{u"2"_s, u"3"_s}));
    EXPECT_EQ(column(u"SELECT IdDet FROM MagazRegDetail ORDER BY 1"_s), (QStringList{u"3"_s, u"4"_s}));

    // The stock node and unknown nodes ask nothing.
    desk->clear();
    for (const char *nodo : {"gia", "xyz", ""})
        EXPECT_FALSE(Eliminazione::EliminaRecord(QString::fromLatin1(nodo), Variant("A001"), Variant()));
    EXPECT_TRUE(desk->calls().empty());
}

TEST_F(Elimina, RecordsInUseAreRefusedAndKept)
{
    runSql(database, u"UPDATE Articoli SET Categoria = 'Articoli per l''ufficio' WHERE Codice = 'A002'"_s);
    struct Case
    {
        const char *nodo;
        Variant chiave;
        Variant colonna2;
        const char *rifiuto;
    };
    const Case cases[] = {
        {"iva", Variant("22"), Variant(), "Il Codice IVA ha Articoli associati, quindi non verrà eliminato."},
        // The unit is found by its code, whatever its description says.
        {"umi", Variant(1), Variant("PZ"), "L'unità di misura ha Articoli associati, quindi non verrà eliminata."},
        {"cat", Variant(3), Variant("Ferramenta"), "La categoria ha Articoli associati, quindi non verrà eliminata."},
        {"cat", Variant(4), Variant("Articoli per l'ufficio"),
         "La categoria ha Articoli associati, quindi non verrà eliminata."},
        {"art", Variant("A002"), Variant("Dado M3"), "L'Articolo ha delle Registrazioni associate, quindi non verrà eliminato."},
        {"cli", Variant(2), Variant("Bianchi Mario"), "Il Cliente ha delle registrazioni associate, quindi non verrà eliminato."},
        {"for", Variant(1), Variant("Rossi Srl"), "Il Fornitore ha delle registrazioni associate, quindi non verrà eliminato."},
        // A supplier on no movement but still named by an article.
        {"for", Variant(4), Variant("Neri Spa"), "Il Fornitore ha Articoli associati, quindi non verrà eliminato."},
    };
    const QStringList before = dumpDatabase(database);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.nodo);
        desk->clear();
        EXPECT_FALSE(eliminaConSi(c.nodo, c.chiave, c.colonna2));
        expectNotice(QString::fromUtf8(c.rifiuto));
    }
    EXPECT_EQ(dumpDatabase(database), before);
}

TEST_F(Elimina, TheLinesOfAMovementGoBeforeItsHeaderInOneTransaction)
{
    // A header cannot go while it has lines: deleting the lines first passes.
    runSql(database, u"CREATE TRIGGER righe_prima BEFORE DELETE ON MagazRegMain "
                     "WHEN EXISTS (SELECT 1 FROM MagazRegDetail WHERE IdReg = OLD.IdReg) "
                     "BEGIN SELECT RAISE(ABORT, 'righe presenti'); END;"_s);
    EXPECT_TRUE(eliminaConSi("mag", Variant(2)));
    EXPECT_EQ(column(u"SELECT IdReg FROM MagazRegMain WHERE IdReg = 2 UNION ALL "
                     "SELECT IdReg FROM MagazRegDetail WHERE IdReg = 2"_s),
              QStringList());

    // A header that refuses to go brings its lines back.
    runSql(database, u"CREATE TRIGGER protetto BEFORE DELETE ON MagazRegMain "
                     "BEGIN SELECT RAISE(ABORT, 'movimento protetto'); END;"_s);
    const QStringList before = dumpDatabase(database);
    desk->clear();
    EXPECT_FALSE(eliminaConSi("mag", Variant(1)));
    ASSERT_EQ(desk->msgBoxes().size(), 2u);
    EXPECT_TRUE(desk->msgBoxes()[1].prompt.contains(u"L'operazione sul database non è riuscita."_s));
    EXPECT_EQ(dumpDatabase(database), before);
}

// Another copy of the program writing: while it holds the database the
// delete is refused with the data layer's words for the lock; a reference
// it adds while the delete waits for its write is seen by the checks.
TEST_F(Elimina, AnotherCopyWritingStopsTheDeleteOrIsWaitedFor)
{
    platform::Connection::setDefaultBusyTimeout(100);
    const QStringList before = dumpDatabase(database);
    {
        const AltroProgramma writing(database, false);
        EXPECT_FALSE(eliminaConSi("iva", Variant("04")));
        const auto lockError =
            testsupport::databaseErrorOf([] { platform::Connection(MainModule::ConnString).beginTrans(); });
        ASSERT_TRUE(lockError.has_value());
        EXPECT_EQ(lockError->kind(), platform::DatabaseError::Kind::Busy);
        expectNotice(lockError->description());
    }
    EXPECT_EQ(dumpDatabase(database), before);

    platform::Connection::setDefaultBusyTimeout(defaultBusyTimeout);
    desk->clear();
    std::promise<void> writing;
    std::thread otherCopy([&] {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "BEGIN IMMEDIATE; INSERT INTO Articoli (Codice, Descrizione, CodiceIVA) "
                         "VALUES ('N001', 'Nuovo', '04')", nullptr, nullptr, nullptr);
        writing.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
    writing.get_future().wait();
    const bool deleted = eliminaConSi("iva", Variant("04"));
    otherCopy.join();
    EXPECT_FALSE(deleted);
    expectNotice(u"Il Codice IVA ha Articoli associati, quindi non verrà eliminato."_s);
    EXPECT_EQ(column(u"SELECT CodiceIVA FROM CodiciIVA WHERE CodiceIVA = '04'"_s), QStringList{u"04"_s});
}

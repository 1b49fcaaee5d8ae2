// The year-end closing and the renumbering of movements, run as the Tools
// menu runs them, with the desktop scripted and the valuation dialog driven
// through its buttons.
#include "PrintingFixture.h"

#include "DataFixture.h"
#include "common/ModalCall.h"
#include "platform/data/Recordset.h"
#include "printing/ChiusuraMagazzino.h"
#include "printing/RegistraStampe.h"
#include "printing/frmValorizzazione.h"
#include "records/RegolaCausale.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"
#include "support/HelperProcess.h"

#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <tuple>

using platform::DateTime;
using testsupport::DataFixture;

namespace {

const QString Domanda = QStringLiteral("Procedere con la chiusura di magazzino per l'anno 2030?");
// What the data layer says of a statement the database refuses.
const QString Rifiuto = QStringLiteral("L'operazione sul database non è riuscita.");

// The year 2030 closed in 2031: C1 bought and sold to nothing, C2 loaded
// twice (the second load on 31 December with a time of day), C3 loaded
// only in 2029 and returned by a customer in 2030; a load of 2031 that no
// cost may come from.
class Chiusura : public PrintingFixture
{
protected:
    void SetUp() override
    {
        PrintingFixture::SetUp();
        RegistraFinestreStampa();
        WindowRegistry::ImpostaAggiornaPrincipale([this] { ++aggiornamenti; });
        MainModule::WorkDate = DateTime(2031, 2, 10);
        MainModule::WorkYear = 2031;
        DataFixture::runSql(database, QStringLiteral(
            "INSERT INTO Articoli (Codice, Descrizione, UM, ScortaMinima) VALUES"
            " ('C1', 'Uno', 'PZ', 0), ('C2', 'Due', 'PZ', 3), ('C3', 'Tre', 'KG', 0);"
            "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES"
            " (10, '2029-06-01', 1, 'Carico'), (11, '2030-03-01', 1, 'Acquisto'), (12, '2030-06-30', 2, 'Vendita'),"
            " (13, '2030-08-01', 3, 'Reso da Cliente'), (14, '2030-12-31 18:00:00', 4, 'Carico'),"
            " (15, '2031-01-05', 1, 'Carico');"
            "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) VALUES"
            " (10, 10, 'C3', 8, 1, 4), (11, 10, 'C1', 10, 1, 1), (11, 20, 'C2', 3, 1, 2), (12, 10, 'C1', 10, -1, 1),"
            " (13, 10, 'C3', -5, -1, 4), (14, 10, 'C2', 2, 1, 3), (15, 10, 'C2', 1, 1, 9);"
            "INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', 2031, 4);"));
    }
    void TearDown() override
    {
        ChiusuraMagazzino::ImpostaAnteprima({});
        WindowRegistry::ImpostaAggiornaPrincipale({});
        WindowRegistry::Rimuovi();
        PrintingFixture::TearDown();
    }

    // Runs the closing, choosing `scelta` in the valuation dialog
    // (frmValorizzazione::Annulla: Esc); `intanto` runs while the dialog is
    // open, as another copy of the program would.
    void chiudi(std::int32_t scelta, const std::function<void()> &intanto = {})
    {
        desktop->queueMsgBox(platform::vbYes);
        testsupport::callModal<frmValorizzazione>(
            [] { WindowRegistry::Nuovo(QStringLiteral("ChiusuraMagazzino")); },
            [scelta, &intanto](frmValorizzazione *dialog) {
                if (intanto)
                    intanto();
                if (scelta == frmValorizzazione::Annulla) {
                    QTest::keyClick(dialog, Qt::Key_Escape);
                    return;
                }
                QTest::mouseClick(dialog->optval[scelta - 1], Qt::LeftButton);
                QTest::keyClick(dialog, Qt::Key_Return);
                EXPECT_TRUE(dialog->isVisible()) << "Enter takes no button";
                QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
            });
    }

    // Each preview of negative stock the closing offers is recorded by its
    // first row, as "field=value" texts, instead of being shown.
    static void registraAnteprime(std::vector<QStringList> &anteprime)
    {
        ChiusuraMagazzino::ImpostaAnteprima([&anteprime](std::unique_ptr<platform::Recordset> rows, QWidget *) {
            QStringList riga;
            for (int f = 0; f < rows->fieldCount(); ++f)
                riga << rows->fieldInfo(f).name + '=' + rows->valueAt(0, f).toString();
            anteprime.push_back(riga);
        });
    }

    QStringList col(const QString &sql) const { return DataFixture::queryColumn(database, sql); }
    QString contatore() const { return DataFixture::queryValue(database, "SELECT CAST(l02 AS INTEGER) FROM _Pars WHERE l01=2031"); }
    QStringList aperture() const
    {
        return col(QStringLiteral("SELECT printf('%s %d %s %s %s %s', DataIns, Progressivo, Descrizione, Causale,"
                                  " TipoContropartita, IFNULL(IdContropartita, '-')) FROM MagazRegMain"
                                  " WHERE Descrizione LIKE 'Giacenze%' ORDER BY IdReg"));
    }
    QStringList righe() const
    {
        return col(QStringLiteral("SELECT printf('%s %g %g %d %d', CodiceArticolo, \"Quantità\", Costo, Segno, Riga)"
                                  " FROM MagazRegDetail D JOIN MagazRegMain M ON M.IdReg = D.IdReg"
                                  " WHERE M.Descrizione LIKE 'Giacenze%' ORDER BY D.IdReg, CodiceArticolo"));
    }

    int aggiornamenti = 0;
};

TEST_F(Chiusura, CarriesThePositiveStockOfTheYearAtTheChosenCost)
{
    const struct {
        std::int32_t scelta;
        QStringList righe;
        QString messaggio;
    } casi[] = {
        {frmValorizzazione::CostoUltimo, {"C2 5 3 1 10", "C3 5 4 1 10"}, ChiusuraMagazzino::MsgSuccesso},
        {frmValorizzazione::CostoMedio, {"C2 5 2.4 1 10"},
         ChiusuraMagazzino::MsgSuccesso + "\r\n\r\nArticoli con giacenza positiva non riportati per mancanza del"
                                          " costo di carico (da caricare a mano):\r\nC3"},
    };
    for (const auto &caso : casi) {
        SCOPED_TRACE(caso.scelta);
        DataFixture::runSql(database, "DELETE FROM MagazRegDetail WHERE IdReg > 15; DELETE FROM MagazRegMain"
                                      " WHERE IdReg > 15; UPDATE _Pars SET l02 = 4 WHERE l01 = 2031;");
        desktop->clear();
        chiudi(caso.scelta);
        EXPECT_EQ(desktop->prompts(), QStringList({Domanda, caso.messaggio}));
        EXPECT_EQ(desktop->msgBoxes()[0].style, platform::vbYesNo | platform::vbCritical | platform::vbDefaultButton2);
        EXPECT_EQ(aperture(), QStringList{"2031-02-10 5 Giacenze iniziali anno 2031 Carico Deposito -"});
        EXPECT_EQ(righe(), caso.righe);
        EXPECT_EQ(contatore(), "5");
    }
    EXPECT_EQ(aggiornamenti, 2);
}

TEST_F(Chiusura, NegativeStockOrAnAnswerOtherThanYesWritesNothing)
{
    DataFixture::runSql(database, "INSERT INTO MagazRegMain (IdReg, DataIns, Causale) VALUES (16, '2030-07-01', 'Scarico');"
                                  "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno)"
                                  " VALUES (16, 10, 'C1', 1, -1);");
    std::vector<QStringList> anteprime;
    registraAnteprime(anteprime);
    const QString stampare = QStringLiteral("Sono presenti giacenze negative.\r\nStampare?");
    for (const int risposta : {platform::vbYes, platform::vbNo}) {
        desktop->clear();
        desktop->queueMsgBox(platform::vbYes);
        desktop->queueMsgBox(risposta);
        WindowRegistry::Nuovo(QStringLiteral("ChiusuraMagazzino"));
        EXPECT_EQ(desktop->prompts(), QStringList({Domanda, stampare}));
        EXPECT_EQ(desktop->msgBoxes()[1].style, platform::vbYesNo | platform::vbDefaultButton1);
    }
    ASSERT_EQ(anteprime.size(), 1u);
    EXPECT_EQ(anteprime[0], QStringList({"Codice=C1", "Descrizione=Uno", "UM=PZ", "ScortaMinima=0", "Giacenza=-1"}));

    // No to the question, Esc in the valuation dialog.
    DataFixture::runSql(database, "DELETE FROM MagazRegDetail WHERE IdReg = 16;");
    desktop->queueMsgBox(platform::vbNo);
    WindowRegistry::Nuovo(QStringLiteral("ChiusuraMagazzino"));
    chiudi(frmValorizzazione::Annulla);
    EXPECT_TRUE(aperture().isEmpty());
    EXPECT_EQ(contatore(), "4");
    EXPECT_EQ(aggiornamenti, 0);
}

TEST_F(Chiusura, AFailureMidwayRollsEverythingBackAndTheNextRunSucceeds)
{
    DataFixture::runSql(database, "CREATE TRIGGER guasto BEFORE INSERT ON MagazRegDetail WHEN NEW.CodiceArticolo = 'C3'"
                                  " BEGIN SELECT RAISE(ABORT, 'guasto'); END;");
    chiudi(frmValorizzazione::CostoUltimo);
    EXPECT_EQ(desktop->prompts(),
              QStringList({Domanda, "Chiusura di magazzino non effettuata: nessuna modifica è stata salvata.\r\n"
                                        + Rifiuto}));
    EXPECT_EQ(desktop->msgBoxes()[1].style, platform::vbCritical);
    EXPECT_TRUE(aperture().isEmpty());
    EXPECT_TRUE(righe().isEmpty());
    EXPECT_EQ(contatore(), "4");

    DataFixture::runSql(database, "DROP TRIGGER guasto;");
    chiudi(frmValorizzazione::CostoUltimo);
    EXPECT_EQ(desktop->prompts().last(), ChiusuraMagazzino::MsgSuccesso);
    EXPECT_EQ(aperture(), QStringList{"2031-02-10 5 Giacenze iniziali anno 2031 Carico Deposito -"});
}

// A closing that would write an opening movement without lines writes
// nothing and uses up no number, and says why: the year has no movement, or
// its only stock has no cost.
TEST_F(Chiusura, NothingToCarryWritesNoMovementAndUsesNoNumber)
{
    const QString nessuna = QStringLiteral("Nessuna giacenza da riportare nell'anno %1: la chiusura di magazzino"
                                           " non ha registrato alcun movimento.");
    MainModule::WorkDate = DateTime(2041, 2, 10);
    MainModule::WorkYear = 2041;
    chiudi(frmValorizzazione::CostoUltimo);
    EXPECT_EQ(desktop->prompts(), QStringList({"Procedere con la chiusura di magazzino per l'anno 2040?",
                                               nessuna.arg(2041)}));
    EXPECT_EQ(desktop->msgBoxes()[1].style, platform::vbExclamation | platform::vbOKOnly);
    EXPECT_EQ(DataFixture::queryValue(database, "SELECT COUNT(*) FROM _Pars WHERE l01 = 2041"), "0");

    // 2030 at the average cost: C2's lines taken away, C3 was loaded only in 2029.
    MainModule::WorkDate = DateTime(2031, 2, 10);
    MainModule::WorkYear = 2031;
    DataFixture::runSql(database, "DELETE FROM MagazRegDetail WHERE CodiceArticolo = 'C2';");
    desktop->clear();
    chiudi(frmValorizzazione::CostoMedio);
    EXPECT_EQ(desktop->prompts(),
              QStringList({Domanda, nessuna.arg(2031) + "\r\n\r\nArticoli con giacenza positiva non riportati per"
                                                        " mancanza del costo di carico (da caricare a mano):\r\nC3"}));
    EXPECT_TRUE(aperture().isEmpty());
    EXPECT_EQ(DataFixture::queryValue(database, "SELECT COUNT(*) FROM MagazRegDetail WHERE IdReg > 15"), "0");
    EXPECT_EQ(contatore(), "4");
    EXPECT_EQ(aggiornamenti, 0);
}

// The stock is checked again when the closing writes: a sale saved by
// another copy while the valuation was being chosen stops the closing, which
// offers the articles now short.
TEST_F(Chiusura, StockGoneNegativeWhileTheValuationIsChosenWritesNothing)
{
    std::vector<QStringList> anteprime;
    registraAnteprime(anteprime);
    desktop->queueMsgBox(platform::vbYes); // the question after the question of chiudi
    chiudi(frmValorizzazione::CostoUltimo, [this] {
        DataFixture::runSql(database, "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES"
                                      " (16, '2030-09-01', 5, 'Vendita');"
                                      "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno)"
                                      " VALUES (16, 10, 'C2', 9, -1);");
    });
    EXPECT_EQ(desktop->prompts(),
              QStringList({Domanda, "Chiusura di magazzino non effettuata: nel frattempo sono state registrate"
                                    " giacenze negative.\r\nStampare?"}));
    EXPECT_EQ(desktop->msgBoxes()[1].style, platform::vbYesNo | platform::vbDefaultButton1);
    ASSERT_EQ(anteprime.size(), 1u);
    EXPECT_EQ(anteprime[0], QStringList({"Codice=C2", "Descrizione=Due", "UM=PZ", "ScortaMinima=3", "Giacenza=-4"}));
    EXPECT_TRUE(aperture().isEmpty());
    EXPECT_EQ(contatore(), "4");
    EXPECT_EQ(aggiornamenti, 0);
}

// The closed year begins on its 1 January and ends before the next one: a
// load of 1 January 2030 is carried, a load and a sale of 1 January 2031
// count neither in the stock nor in the last cost.
TEST_F(Chiusura, TheClosedYearRunsFromItsFirstDayUpToTheNextYearsFirstDay)
{
    DataFixture::runSql(database, "INSERT INTO Articoli (Codice, Descrizione, UM, ScortaMinima) VALUES ('C4', 'Quattro', 'PZ', 0);"
                                  "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES"
                                  " (9, '2030-01-01', 9, 'Carico'), (16, '2031-01-01', 2, 'Vendita');"
                                  "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo)"
                                  " VALUES (9, 10, 'C4', 2, 1, 7), (16, 10, 'C1', 1, -1, 1);"
                                  "UPDATE MagazRegMain SET DataIns = '2031-01-01' WHERE IdReg = 15;");
    const std::pair<std::int32_t, QStringList> casi[] = {
        {frmValorizzazione::CostoUltimo, {"C2 5 3 1 10", "C3 5 4 1 10", "C4 2 7 1 10"}},
        {frmValorizzazione::CostoMedio, {"C2 5 2.4 1 10", "C4 2 7 1 10"}},
    };
    for (const auto &[scelta, attese] : casi) {
        SCOPED_TRACE(scelta);
        DataFixture::runSql(database, "DELETE FROM MagazRegDetail WHERE IdReg > 16; DELETE FROM MagazRegMain"
                                      " WHERE IdReg > 16;");
        desktop->clear();
        chiudi(scelta);
        EXPECT_EQ(desktop->prompts().size(), 2) << desktop->prompts().join('|').toStdString();
        EXPECT_TRUE(desktop->prompts().last().startsWith(ChiusuraMagazzino::MsgSuccesso));
        EXPECT_EQ(righe(), attese);
    }
}

TEST(ChiusuraMessaggio, ListsTwentyCodesThenCountsTheRest)
{
    QStringList codici;
    for (int i = 1; i <= 23; ++i)
        codici << QStringLiteral("A%1").arg(i, 2, 10, QChar(u'0'));
    const QString venti = codici.mid(0, 20).join(", ");
    const QString testa = ChiusuraMagazzino::MsgSuccesso
        + "\r\n\r\nArticoli con giacenza positiva non riportati per mancanza del costo di carico (da caricare a mano):\r\n";
    EXPECT_EQ(ChiusuraMagazzino::MessaggioSuccesso(codici.mid(0, 20)), testa + venti);
    EXPECT_EQ(ChiusuraMagazzino::MessaggioSuccesso(codici.mid(0, 21)), testa + venti + "\r\ne un altro articolo.");
    EXPECT_EQ(ChiusuraMagazzino::MessaggioSuccesso(codici), testa + venti + "\r\ne altri 3 articoli.");
}

// Movements of 2031 numbered 7, 3, 9 dated 2 March, 1 March, 1 March, in
// that order of creation.
TEST_F(Chiusura, RenumbersTheWorkingYearByDateThenCreation)
{
    DataFixture::runSql(database, "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES"
                                  " (20, '2031-03-02', 7, 'Carico'), (21, '2031-03-01', 3, 'Carico'),"
                                  " (22, '2031-03-01', 9, 'Carico');");
    const QString numeri = QStringLiteral("SELECT IdReg || ':' || Progressivo FROM MagazRegMain"
                                          " WHERE IdReg >= 11 ORDER BY IdReg");
    const QString domanda = QStringLiteral("Confermare il ricalcolo dei progressivi per l'anno 2031?");

    DataFixture::runSql(database, "CREATE TRIGGER guasto BEFORE UPDATE ON MagazRegMain WHEN NEW.IdReg = 22"
                                  " BEGIN SELECT RAISE(ABORT, 'guasto'); END;");
    desktop->queueMsgBox(platform::vbYes);
    WindowRegistry::Nuovo(QStringLiteral("RicalcolaProgressivi"));
    EXPECT_EQ(desktop->prompts(),
              QStringList({domanda, "Ricalcolo dei progressivi non effettuato: nessun numero è stato cambiato.\r\n"
                                        + Rifiuto}));
    const QStringList prima{"11:1", "12:2", "13:3", "14:4", "15:1", "20:7", "21:3", "22:9"};
    EXPECT_EQ(col(numeri), prima);

    DataFixture::runSql(database, "DROP TRIGGER guasto;");
    desktop->clear();
    desktop->queueMsgBox(platform::vbNo);
    WindowRegistry::Nuovo(QStringLiteral("RicalcolaProgressivi"));
    EXPECT_EQ(col(numeri), prima);
    desktop->queueMsgBox(platform::vbYes);
    WindowRegistry::Nuovo(QStringLiteral("RicalcolaProgressivi"));
    EXPECT_EQ(desktop->prompts(), QStringList({domanda, domanda, "Ricalcolo terminato con successo."}));
    EXPECT_EQ(desktop->msgBoxes()[0].style, platform::vbYesNo | platform::vbDefaultButton2);
    EXPECT_EQ(col(numeri), QStringList({"11:1", "12:2", "13:3", "14:4", "15:1", "20:4", "21:2", "22:3"}));
    EXPECT_EQ(contatore(), "4");
    EXPECT_EQ(aggiornamenti, 1);

    MainModule::WorkYear = 2040;
    desktop->queueMsgBox(platform::vbYes);
    WindowRegistry::Nuovo(QStringLiteral("RicalcolaProgressivi"));
    EXPECT_EQ(desktop->prompts().last(), "Nessun movimento presente");
}

// The year renumbered is the working year from its 1 January up to the
// next one, in one transaction however many statements it takes: sixty
// movements whose numbers all change, the statement that fails on the
// 55th update, then the run that succeeds.
TEST_F(Chiusura, RenumberingTakesTheYearUpToTheNextYearsFirstDayAllOrNothing)
{
    struct Movimento
    {
        QString data;
        int idReg;
    };
    std::vector<Movimento> anno{{"2031-01-05", 15}};
    QString sql = QStringLiteral("INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES"
                                 " (300, '2032-01-01', 7, 'Carico');");
    for (int i = 0; i < 60; ++i) {
        // Ids out of date order; 2031-01-01 is the year's first day.
        const Movimento m{QStringLiteral("2031-%1-%2").arg(1 + i * 7 % 12, 2, 10, QChar(u'0'))
                              .arg(1 + i % 5 * 3, 2, 10, QChar(u'0')),
                          200 + i * 37 % 60};
        sql += QStringLiteral("INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES (%1, '%2', %3,"
                              " 'Carico');").arg(m.idReg).arg(m.data).arg(1000 + i);
        anno.push_back(m);
    }
    DataFixture::runSql(database, sql);
    std::sort(anno.begin(), anno.end(),
              [](const Movimento &a, const Movimento &b) { return std::tie(a.data, a.idReg) < std::tie(b.data, b.idReg); });
    const QString numeri =
        QStringLiteral("SELECT IdReg || ':' || Progressivo FROM MagazRegMain WHERE IdReg >= 10 ORDER BY IdReg");
    const QStringList prima = col(numeri);

    DataFixture::runSql(database, "CREATE TABLE conta (n INTEGER); INSERT INTO conta VALUES (0);"
                                  "CREATE TRIGGER guasto AFTER UPDATE OF Progressivo ON MagazRegMain BEGIN"
                                  " UPDATE conta SET n = n + 1;"
                                  " SELECT RAISE(ABORT, 'guasto') WHERE (SELECT n FROM conta) >= 55; END;");
    desktop->queueMsgBox(platform::vbYes);
    WindowRegistry::Nuovo(QStringLiteral("RicalcolaProgressivi"));
    EXPECT_EQ(desktop->prompts().last(),
              "Ricalcolo dei progressivi non effettuato: nessun numero è stato cambiato.\r\n" + Rifiuto);
    EXPECT_EQ(col(numeri), prima);

    DataFixture::runSql(database, "DROP TRIGGER guasto;");
    desktop->queueMsgBox(platform::vbYes);
    WindowRegistry::Nuovo(QStringLiteral("RicalcolaProgressivi"));
    EXPECT_EQ(desktop->prompts().last(), "Ricalcolo terminato con successo.");
    std::map<int, int> atteso{{10, 1}, {11, 1}, {12, 2}, {13, 3}, {14, 4}, {300, 7}};
    for (int i = 0; i < static_cast<int>(anno.size()); ++i)
        atteso[anno[static_cast<size_t>(i)].idReg] = i + 1;
    QStringList dopo;
    for (const auto &[idReg, numero] : atteso)
        dopo << QStringLiteral("%1:%2").arg(idReg).arg(numero);
    EXPECT_EQ(col(numeri), dopo);
}

// A copy of the program killed while its closing writes the opening lines
// leaves neither the header nor a line nor a number behind.
TEST_F(Chiusura, KilledInsideItsTransactionTheClosingLeavesNothingAndRunsAgain)
{
    const QString tutteLeRighe = QStringLiteral("SELECT COUNT(*) || '/' || COUNT(DISTINCT IdReg) FROM MagazRegDetail");
    const QString prima = DataFixture::queryValue(database, tutteLeRighe);
    QProcess killed;
    testsupport::startHelper(killed, QStringLiteral("chiusura_helper"), {QStringLiteral("chiudi"), database, "2031"});
    ASSERT_EQ(testsupport::helperLine(killed), QByteArray("dentro"));
    killed.kill();
    ASSERT_TRUE(killed.waitForFinished(30000));

    EXPECT_EQ(DataFixture::queryValue(database, "PRAGMA integrity_check"), "ok");
    EXPECT_TRUE(aperture().isEmpty());
    EXPECT_EQ(DataFixture::queryValue(database, tutteLeRighe), prima);
    EXPECT_EQ(contatore(), "4");

    chiudi(frmValorizzazione::CostoUltimo);
    EXPECT_EQ(desktop->prompts(), QStringList({Domanda, ChiusuraMagazzino::MsgSuccesso}));
    EXPECT_EQ(aperture(), QStringList{"2031-02-10 5 Giacenze iniziali anno 2031 Carico Deposito -"});
    EXPECT_EQ(righe(), QStringList({"C2 5 3 1 10", "C3 5 4 1 10"}));
}

// One copy renumbers 2031 over and over while another saves forty new
// movements of it: each ends well or says the database is busy, and the
// year's numbers stay 1 to n, each once.
TEST_F(Chiusura, RenumberingBesideSavesKeepsTheYearsNumbersUnique)
{
    // Thirty movements of 2031 numbered against their dates.
    QString sql = QStringLiteral("DELETE FROM MagazRegDetail WHERE IdReg = 15; DELETE FROM MagazRegMain WHERE IdReg = 15; UPDATE _Pars SET l02 = 30 WHERE l01 = 2031;"
                                 "INSERT INTO Articoli (Codice) VALUES ('A1');");
    for (int i = 0; i < 30; ++i)
        sql += QStringLiteral("INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES"
                              " (%1, '2031-%2-10', %3, 'Carico');"
                              "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo)"
                              " VALUES (%1, 10, 'C1', 1, 1, 1);")
                   .arg(100 + i).arg(1 + (i * 7) % 12, 2, 10, QChar(u'0')).arg(30 - i);
    DataFixture::runSql(database, sql);

    QProcess rinumera, salva;
    testsupport::startHelper(rinumera, QStringLiteral("chiusura_helper"), {QStringLiteral("rinumera"), database, "2031", "15"});
    testsupport::startHelper(salva, QStringLiteral("movimento_helper"), {QStringLiteral("salva"), database, "2031", "40", "3"});
    ASSERT_EQ(testsupport::helperLine(rinumera), QByteArray("pronto"));
    ASSERT_EQ(testsupport::helperLine(salva), QByteArray("pronto"));
    QProcess *const both[] = {&rinumera, &salva};
    ASSERT_TRUE(testsupport::goAndWait(both, 2));
    for (QProcess *helper : both) {
        const QString errore = QString::fromUtf8(helper->readAllStandardError());
        EXPECT_TRUE(helper->exitCode() == 0
                    || (helper->exitCode() == 2 && errore.contains(QStringLiteral("Il database è in uso"))))
            << helper->exitCode() << " " << errore.toStdString();
    }
    // The year's movements: the thirty above and the ones saved after them.
    const QString anno = QStringLiteral(" FROM MagazRegMain WHERE IdReg >= 100");
    const int n = DataFixture::queryValue(database, "SELECT COUNT(*)" + anno).toInt();
    EXPECT_GE(n, 30);
    EXPECT_EQ(DataFixture::queryValue(database, "SELECT COUNT(DISTINCT Progressivo) || '/' || MIN(Progressivo) || '/' ||"
                                                " MAX(Progressivo)" + anno),
              QStringLiteral("%1/1/%1").arg(n));
    EXPECT_EQ(contatore(), QString::number(n));
    EXPECT_EQ(DataFixture::queryValue(database, "SELECT COUNT(*) FROM MagazRegDetail WHERE CodiceArticolo = 'A1'"),
              QString::number(3 * (n - 30)));
    // Whatever copy wrote, the stock tables kept up.
    EXPECT_EQ(DataFixture::storedStockTables(database), DataFixture::expectedStockTables(database));
}

// A random history of 2029 to 2031 over every causale: the opening lines of
// each valuation are, article by article, the stock of 2030 summed here
// from the lines written, at the cost worked out here; the articles left
// without a cost are the ones the message names. R09 and R10 are loaded
// only in 2029 and come back from customers in 2030; R11 is never loaded.
TEST_F(Chiusura, TheOpeningLinesAreTheYearsStockRecomputedArticleByArticle)
{
    struct Riga
    {
        QString data, articolo;
        int idReg, riga, idDet, segno;
        double quantita;
        std::optional<double> costo;
    };
    std::vector<Riga> storia;
    std::mt19937 rng(2030);
    const auto caso = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::map<QString, double> giacenza2030;
    QString sql = QStringLiteral("DELETE FROM MagazRegDetail; DELETE FROM MagazRegMain; UPDATE _Pars SET l02 = 0;"
                                 "INSERT INTO Articoli (Codice) VALUES ('R01'),('R02'),('R03'),('R04'),('R05'),"
                                 "('R06'),('R07'),('R08'),('R09'),('R10'),('R11');");
    int idDet = 1000;
    for (int m = 0; m < 160; ++m) {
        const int idReg = m < 157 ? 500 - m * 3 % 157 : 600 + m; // ids out of date order
        const int anno = 2029 + caso(3);
        const QString data = caso(8) == 0 ? QStringLiteral("%1-12-31 18:00:00").arg(anno)
                                          : QStringLiteral("%1-%2-%3").arg(anno).arg(1 + caso(12), 2, 10, QChar(u'0'))
                                                .arg(caso(2) ? 1 : 15, 2, 10, QChar(u'0'));
        // The last movements give R09, R10 and R11 back in 2030.
        const RegolaCausale regola =
            RegolaCausale::Di(m >= 157 ? QStringLiteral("Reso da Cliente") : RegolaCausale::Causali[caso(6)]);
        const QString data2030 = m >= 157 ? QStringLiteral("2030-05-01") : data;
        sql += QStringLiteral("INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES (%1, '%2', 1, '%3');")
                   .arg(idReg).arg(data2030, regola.causale);
        QList<int> numeri{10, 20, 30, 40};
        std::shuffle(numeri.begin(), numeri.end(), rng);
        for (int l = 0; l < 1 + caso(4); ++l) {
            QString articolo = m >= 157 ? QStringLiteral("R%1").arg(9 + m - 157, 2, 10, QChar(u'0'))
                                        : QStringLiteral("R%1").arg(1 + caso(8), 2, 10, QChar(u'0'));
            if (m < 157 && anno == 2029 && regola.segno == 1 && caso(3) == 0)
                articolo = caso(2) ? QStringLiteral("R09") : QStringLiteral("R10");
            // Stock effect: loads and customer returns add, the others take away.
            const int verso = regola.segno == 1 ? (regola.reso ? -1 : 1) : (regola.reso ? 1 : -1);
            double q = 1 + caso(20);
            if (data2030.startsWith(QStringLiteral("2030")) && verso < 0) {
                q = std::min(q, giacenza2030[articolo]); // never below zero: the closing would refuse
                if (q <= 0)
                    continue;
            }
            Riga r{data2030, articolo, idReg, numeri[l], ++idDet, regola.segno, regola.reso ? -q : q, std::nullopt};
            if (caso(20) > 0)
                r.costo = 0.25 * (1 + caso(16));
            if (data2030.startsWith(QStringLiteral("2030")))
                giacenza2030[articolo] += r.quantita * r.segno;
            sql += QStringLiteral("INSERT INTO MagazRegDetail (IdDet, IdReg, Riga, CodiceArticolo, \"Quantità\", Segno,"
                                  " Costo) VALUES (%1, %2, %3, '%4', %5, %6, %7);")
                       .arg(r.idDet).arg(r.idReg).arg(r.riga).arg(r.articolo).arg(r.quantita).arg(r.segno)
                       .arg(r.costo ? QString::number(*r.costo) : QStringLiteral("NULL"));
            storia.push_back(r);
        }
    }
    DataFixture::runSql(database, sql);

    for (const std::int32_t scelta : {frmValorizzazione::CostoUltimo, frmValorizzazione::CostoMedio}) {
        SCOPED_TRACE(scelta);
        QStringList attese, senzaCosto;
        for (const auto &[articolo, q] : giacenza2030) {
            if (q <= 0)
                continue;
            std::optional<double> costo;
            if (scelta == frmValorizzazione::CostoUltimo) {
                const Riga *ultima = nullptr;
                for (const Riga &r : storia)
                    if (r.articolo == articolo && r.segno == 1 && r.data < QStringLiteral("2031")
                        && (!ultima || std::tie(r.data, r.idReg, r.riga, r.idDet)
                                           > std::tie(ultima->data, ultima->idReg, ultima->riga, ultima->idDet)))
                        ultima = &r;
                if (ultima)
                    costo = ultima->costo;
            } else {
                double valore = 0, quantita = 0;
                for (const Riga &r : storia)
                    if (r.articolo == articolo && r.segno == 1 && r.data.startsWith(QStringLiteral("2030"))) {
                        quantita += r.quantita;
                        valore += r.costo.value_or(0) * r.quantita;
                    }
                if (quantita != 0)
                    costo = valore / quantita;
            }
            if (costo)
                attese << QString::asprintf("%s %.6f %.6f", qPrintable(articolo), q, *costo);
            else
                senzaCosto << articolo;
        }
        ASSERT_TRUE(senzaCosto.contains(QStringLiteral("R11")));
        ASSERT_EQ(senzaCosto.contains(QStringLiteral("R09")), scelta == frmValorizzazione::CostoMedio);

        DataFixture::runSql(database, "DELETE FROM MagazRegDetail WHERE IdReg IN (SELECT IdReg FROM MagazRegMain WHERE"
                                      " Descrizione LIKE 'Giacenze%'); DELETE FROM MagazRegMain WHERE Descrizione LIKE 'Giacenze%'");
        desktop->clear();
        chiudi(scelta);
        EXPECT_EQ(desktop->prompts(), QStringList({Domanda, ChiusuraMagazzino::MessaggioSuccesso(senzaCosto)}));
        EXPECT_EQ(col(QStringLiteral("SELECT printf('%s %.6f %.6f', CodiceArticolo, \"Quantità\", Costo) FROM MagazRegDetail"
                                     " D JOIN MagazRegMain M ON M.IdReg = D.IdReg WHERE M.Descrizione LIKE 'Giacenze%'"
                                     " ORDER BY CodiceArticolo")),
                  attese);
        // The opening movement is in the stock tables as any other.
        EXPECT_EQ(DataFixture::storedStockTables(database), DataFixture::expectedStockTables(database));
    }
}

} // namespace

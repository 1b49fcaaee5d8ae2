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
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

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
    // (frmValorizzazione::Annulla: Esc).
    void chiudi(std::int32_t scelta)
    {
        desktop->queueMsgBox(platform::vbYes);
        testsupport::callModal<frmValorizzazione>(
            [] { WindowRegistry::Nuovo(QStringLiteral("ChiusuraMagazzino")); },
            [scelta](frmValorizzazione *dialog) {
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
    ChiusuraMagazzino::ImpostaAnteprima([&](std::unique_ptr<platform::Recordset> rows, QWidget *) {
        QStringList riga;
        for (int f = 0; f < rows->fieldCount(); ++f)
            riga << rows->fieldInfo(f).name + '=' + rows->valueAt(0, f).toString();
        anteprime.push_back(riga);
    });
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

} // namespace

// The movement window driven through its widgets as the main window opens
// it: new movements of each kind typed by keyboard and saved with their
// number, lines and counter; codes that name no article refused in the
// cell; the finder; the conflict, busy and read-only saves; cancelling,
// deleting, reopening and the label question.
#include "RecordsFixture.h"

#include "common/comfrmFindRecord.h"
#include "common/comfrmSendError.h"
#include "platform/data/Recordset.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridDelegate.h"
#include "platform/grid/GridModel.h"
#include "records/FinestraCliFor.h"
#include "records/frm_io_Articoli_02.h"
#include "records/frm_io_MovMag_01.h"
#include "records/frm_io_MovMag_01_Righe.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTableView>
#include <qtestspontaneevent.h>

using namespace recordstest;
using namespace Qt::StringLiterals;
using Col = frm_io_MovMag_01_Righe::Colonna;

namespace {

const QString Nome = u"frm_io_MovMag_01"_s;
const QString Errore = frm_io_MovMag_01_Righe::MsgErroreDati;

class MovWindowTest : public SampleRowsTest
{
protected:
    void SetUp() override
    {
        SampleRowsTest::SetUp();
        MainModule::WorkDate = platform::DateTime(2031, 3, 15);
        MainModule::WorkYear = 2031;
        MainModule::QtyFormat = u"#,#"_s;
        MainModule::ValueFormat = u"#,#.00"_s;
        MainModule::SettingsKey = SettingsPath;
        runSql(database, u"INSERT INTO Articoli (Codice, Descrizione, Costo, Ricarico, Prezzo, Aliquota, PrezzoIvato, "
                         "CodiceIVA, ScortaMinima) VALUES ('A1', 'Vite', 2, 0, 4.1, 0.9, 5, '22', 0), "
                         "('B2', 'Dado', 1.5, 0, 2.46, 0.54, 3, '22', 0);"
                         "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, TipoContropartita, "
                         "IdContropartita) VALUES (7, '2031-03-01', 4, 'Vendita', 'Cliente', 1);"
                         "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo, Prezzo) "
                         "VALUES (7, 10, 'A1', 2, -1, 2, 5), (7, 30, 'B2', 1, -1, 1.5, 3);"
                         "INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', 2031, 4);"_s);
    }
    void TearDown() override
    {
        while (frm_io_MovMag_01 *w = finestra())
            w->close();
        settle();
        SampleRowsTest::TearDown();
    }

    static frm_io_MovMag_01 *finestra()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *w = qobject_cast<frm_io_MovMag_01 *>(widget); w && w->isVisible()) {
                activate(w);
                return w;
            }
        return nullptr;
    }
    static frm_io_MovMag_01 *nuovo()
    {
        WindowRegistry::Nuovo(Nome);
        return finestra();
    }
    static frm_io_MovMag_01 *apri(int idReg)
    {
        WindowRegistry::Apri(Nome, platform::Variant(idReg));
        return finestra();
    }
    static void tasto(Qt::Key key)
    {
        if (QWidget *target = QApplication::focusWidget())
            QTest::keyClick(target, key);
        QApplication::processEvents();
    }
    static void scrivi(const QString &text)
    {
        for (const QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        QApplication::processEvents();
    }
    // Types a line into the grid: code, Tab, quantity, Tab, past the value.
    static void riga(frm_io_MovMag_01 *w, const QString &codice, const QString &quantita)
    {
        if (!w->gexDet->isAncestorOf(QApplication::focusWidget()))
            w->gexDet->view()->setFocus();
        QApplication::processEvents();
        scrivi(codice);
        tasto(Qt::Key_Tab);
        scrivi(quantita);
        tasto(Qt::Key_Tab);
        tasto(Qt::Key_Tab);
    }
    // Picks the causale and the first counterpart of its kind, as a user does.
    static void testata(frm_io_MovMag_01 *w, const QString &causale, const QString &riferimenti)
    {
        w->cmbData->setFocus();
        w->cmbData->setCurrentIndex(w->cmbData->findText(causale));
        tasto(Qt::Key_Tab);
        if (w->dtcData0->isVisible()) {
            EXPECT_EQ(QApplication::focusWidget(), w->dtcData0);
            tasto(Qt::Key_Down);
        }
        w->txtData0->setFocus();
        scrivi(riferimenti);
        tasto(Qt::Key_Return);
    }
    QStringList righe(int idReg) const
    {
        return queryColumn(database, u"SELECT Riga || ' ' || CodiceArticolo || printf(' %g %d %g %g', \"Quantità\", "
                                     "Segno, Costo, Prezzo) FROM MagazRegDetail WHERE IdReg=%1 ORDER BY Riga"_s
                                         .arg(idReg));
    }
    // The text of the cell editor open in the grid.
    static QString inEditing(const frm_io_MovMag_01 *w)
    {
        const QWidget *editor = w->gexDet->delegate()->editor();
        return editor ? platform::GridDelegate::editorText(editor) : u"(none)"_s;
    }
    // True when the focus is in the grid, in the cell of the current line in `column`.
    static bool inCell(const frm_io_MovMag_01 *w, int column)
    {
        return w->gexDet->isAncestorOf(QApplication::focusWidget()) && w->gexDet->col() == column;
    }
    // The close button of the title bar, or Alt+F4: the window manager's close.
    static void chiudiDallaBarra(QWidget *w)
    {
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::instance()->notify(w, &close);
        settle();
    }
    QString contatore() const { return cell(u"SELECT printf('%d', l02) FROM _Pars WHERE k01='maga' AND l01=2031"_s); }
    QStringList messaggi() const
    {
        QStringList texts;
        for (const auto &call : desk->msgBoxes())
            texts << call.prompt;
        return texts;
    }
};

} // namespace

TEST_F(MovWindowTest, NewMovementsTypedByKeyboardAreSavedWithNumberLinesSignAndCounter)
{
    struct Caso {
        QString causale, label, tipo, controparte, quantita, segno, totale;
    };
    const QList<Caso> casi{
        {u"Acquisto"_s, u"Fornitore:"_s, u"Fornitore"_s, u"2"_s, u"3"_s, u"1"_s, u"9,00\u00a0€"_s},
        {u"Vendita"_s, u"Cliente:"_s, u"Cliente"_s, u"1"_s, u"3"_s, u"-1"_s, u"21,00\u00a0€"_s},
        {u"Reso a Fornitore"_s, u"Fornitore:"_s, u"Fornitore"_s, u"2"_s, u"-3"_s, u"1"_s, u"9,00\u00a0€"_s},
        {u"Reso da Cliente"_s, u"Cliente:"_s, u"Cliente"_s, u"1"_s, u"-3"_s, u"-1"_s, u"21,00\u00a0€"_s},
        {u"Carico"_s, QString(), u"Deposito"_s, QString(), u"3"_s, u"1"_s, u"9,00\u00a0€"_s},
    };
    int numero = 4;
    for (const Caso &c : casi) {
        SCOPED_TRACE(c.causale.toStdString());
        frm_io_MovMag_01 *w = nuovo();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->Stato(), frm_io_MovMag_01::StatoNuovo);
        EXPECT_EQ(w->lblProg->text(), QString::number(numero + 1));
        testata(w, c.causale, u"DDT 5"_s);
        EXPECT_EQ(w->lblData[1]->text(), c.label);
        EXPECT_FALSE(w->cmbData->isEnabled());
        riga(w, u"a1"_s, u"3"_s); // codes are taken as the article has them
        riga(w, u"B2"_s, u"2"_s);
        EXPECT_EQ(w->gexDet->textAt(1, Col::Descrizione), u"Vite"_s);
        EXPECT_EQ(w->lblTotale[1]->text(), c.totale);
        // Enter on the empty new line ends the lines; F8 saves.
        tasto(Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), w->cmdSalva);
        tasto(Qt::Key_F8);
        ++numero;
        EXPECT_EQ(w->Stato(), frm_io_MovMag_01::StatoVista);
        EXPECT_EQ(w->lblProg->text(), QString::number(numero));
        EXPECT_EQ(w->lblTotale[1]->text(), c.totale); // returns read the same once stored
        const QString id = QString::number(w->Mov().IdReg());
        EXPECT_EQ(queryColumn(database, u"SELECT Progressivo || ' ' || Causale || ' ' || TipoContropartita || ' ' || "
                                        "IFNULL(IdContropartita, '-') || ' ' || Descrizione || ' ' || DataIns "
                                        "FROM MagazRegMain WHERE IdReg="_s + id),
                  QStringList{u"%1 %2 %3 %4 DDT 5 2031-03-15"_s.arg(numero).arg(c.causale, c.tipo,
                                                                             c.controparte.isEmpty() ? u"-"_s : c.controparte)});
        const QString q2 = c.quantita.startsWith(u'-') ? u"-2"_s : u"2"_s;
        EXPECT_EQ(righe(id.toInt()), (QStringList{u"10 A1 %1 %2 2 5"_s.arg(c.quantita, c.segno),
                                                 u"20 B2 %1 %2 1.5 3"_s.arg(q2, c.segno)}));
        EXPECT_EQ(contatore(), QString::number(numero));
        w->cmdChiudi_Click();
        settle();
    }
    EXPECT_EQ(refreshes, 5);
    EXPECT_TRUE(messaggi().isEmpty());
}

TEST_F(MovWindowTest, ACodeOfNoArticleIsRefusedInItsCellAndNoMinusIsTyped)
{
    frm_io_MovMag_01 *w = nuovo();
    ASSERT_NE(w, nullptr);
    testata(w, u"Carico"_s, u"x"_s);
    w->gexDet->view()->setFocus();
    scrivi(u"ZZ"_s);
    tasto(Qt::Key_Tab);
    EXPECT_EQ(messaggi(), QStringList{Errore});
    EXPECT_EQ(w->gexDet->col(), Col::Codice);
    EXPECT_TRUE(w->gexDet->isEditing());
    EXPECT_EQ(w->Mov().Righe().rowCount(), 0);
    // The code corrected, the quantity typed with a minus that is dropped.
    tasto(Qt::Key_Backspace);
    tasto(Qt::Key_Backspace);
    scrivi(u"A1"_s);
    tasto(Qt::Key_Tab);
    scrivi(u"-4"_s);
    tasto(Qt::Key_Tab);
    tasto(Qt::Key_Tab);
    EXPECT_EQ(messaggi(), QStringList{Errore});
    ASSERT_TRUE(w->cmdSalva_Click());
    EXPECT_EQ(righe(w->Mov().IdReg()), QStringList{u"10 A1 4 1 2 5"_s});
}

// The counterpart is found by the whole beginning typed, blanks included,
// and the references typed next stay theirs; of two counterparts of one
// name the one chosen is stored.
TEST_F(MovWindowTest, TheCounterpartIsFoundByItsTypedBeginningAndTheRowChosenIsStored)
{
    runSql(database, u"INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (5, 'Fornitore', 'Rossi & Figli'), "
                     "(6, 'Fornitore', 'Roma Spa'), (9, 'Fornitore', 'Rossi Srl')"_s);
    for (const bool typed : {true, false}) {
        SCOPED_TRACE(typed ? "typed" : "list");
        frm_io_MovMag_01 *w = nuovo();
        ASSERT_NE(w, nullptr);
        w->cmbData->setFocus();
        tasto(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), w->dtcData0);
        if (typed) {
            scrivi(u"rossi &"_s);
        } else {
            // F4, then down to the last of the list, the second Rossi Srl.
            tasto(Qt::Key_F4);
            for (int i = 0; i < w->dtcData0->count(); ++i)
                QTest::keyClick(w->dtcData0->view(), Qt::Key_Down);
            QTest::keyClick(w->dtcData0->view(), Qt::Key_Return);
        }
        tasto(Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), w->txtData0);
        scrivi(u"Fattura 12"_s);
        EXPECT_EQ(w->txtData0->text(), u"Fattura 12"_s);
        riga(w, u"A1"_s, u"1"_s);
        ASSERT_TRUE(w->cmdSalva_Click());
        EXPECT_EQ(cell(u"SELECT IdContropartita || ' ' || Descrizione FROM MagazRegMain WHERE IdReg=%1"_s
                           .arg(w->Mov().IdReg())),
                  typed ? u"5 Fattura 12"_s : u"9 Fattura 12"_s);
        w->close();
        settle();
    }
    EXPECT_TRUE(messaggi().isEmpty());
}

// A typed number is read as everywhere and refused beyond the currency range.
TEST_F(MovWindowTest, ACostBeyondTheCurrencyRangeIsRefusedInItsCell)
{
    frm_io_MovMag_01 *w = nuovo();
    ASSERT_NE(w, nullptr);
    testata(w, u"Carico"_s, u"x"_s);
    w->gexDet->view()->setFocus();
    scrivi(u"A1"_s);
    tasto(Qt::Key_Tab);
    scrivi(u"2"_s);
    tasto(Qt::Key_Tab);
    for (int i = 0; i < 4; ++i)
        tasto(Qt::Key_Backspace);
    scrivi(u"1e308"_s);
    tasto(Qt::Key_Tab);
    EXPECT_EQ(messaggi(), QStringList{Errore});
    // The line keeps the article's cost.
    const platform::Recordset &righe = w->Mov().Righe();
    ASSERT_EQ(righe.rowCount(), 1);
    EXPECT_EQ(righe.valueAt(0, righe.fieldIndex(u"Costo"_s)), platform::Variant(2.0));
}

TEST_F(MovWindowTest, ACausaleOfAnotherKindClearsTheCounterpartAndRightLeavesTheCode)
{
    // A supplier picked while the causale is still open, then a sale chosen.
    frm_io_MovMag_01 *w = nuovo();
    ASSERT_NE(w, nullptr);
    w->dtcData0->setCurrentIndex(w->dtcData0->findText(u"Rossi Srl"_s));
    w->cmbData->setCurrentIndex(w->cmbData->findText(u"Vendita"_s));
    tasto(Qt::Key_Tab);
    EXPECT_EQ(w->lblData[1]->text(), u"Cliente:"_s);
    EXPECT_EQ(w->dtcData0->currentIndex(), -1);
    // Right on the code moves on to the quantity as Tab does.
    w->gexDet->view()->setFocus();
    QApplication::processEvents();
    scrivi(u"b2"_s);
    tasto(Qt::Key_Right);
    EXPECT_EQ(w->gexDet->col(), Col::Quantita);
    EXPECT_EQ(w->gexDet->textAt(1, Col::Descrizione), u"Dado"_s);
    scrivi(u"4"_s);
    tasto(Qt::Key_Tab);
    tasto(Qt::Key_Tab);
    ASSERT_TRUE(w->cmdSalva_Click());
    EXPECT_EQ(righe(w->Mov().IdReg()), QStringList{u"10 B2 4 -1 1.5 3"_s});
    EXPECT_EQ(cell(u"SELECT TipoContropartita || ' ' || IFNULL(IdContropartita, '-') FROM MagazRegMain WHERE IdReg=%1"_s
                       .arg(w->Mov().IdReg())),
              u"Cliente -"_s);
}

TEST_F(MovWindowTest, TheStockListIsReadWhenOpenedAndCodesCreatedMeanwhileAreFound)
{
    frm_io_MovMag_01 *w = nuovo();
    ASSERT_NE(w, nullptr);
    testata(w, u"Carico"_s, u"x"_s);
    riga(w, u"A1"_s, u"1"_s);
    // Another user adds an article and loads some A1 after the lists were read.
    runSql(database, u"INSERT INTO Articoli (Codice, Descrizione, Costo, Ricarico, Prezzo, Aliquota, PrezzoIvato, "
                     "CodiceIVA, ScortaMinima) VALUES ('D4', 'Rondella', 3, 0, 3, 0, 3, '22', 0);"
                     "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo, Prezzo) "
                     "VALUES (7, 20, 'A1', 6, 1, 2, 5);"_s);
    const int articoli = w->gexArt(0)->recordCount();
    // The code is found and described although no list has it yet.
    riga(w, u"d4"_s, u"2"_s);
    EXPECT_EQ(w->gexDet->textAt(2, Col::Descrizione), u"Rondella"_s);
    EXPECT_EQ(w->gexArt(0)->recordCount(), articoli);
    // Opening the code's list reads the stock again; what is typed stays.
    scrivi(u"Z"_s);
    auto *combo = qobject_cast<QComboBox *>(w->gexDet->delegate()->editor());
    ASSERT_NE(combo, nullptr);
    combo->showPopup();
    EXPECT_EQ(combo->currentText(), u"Z"_s);
    combo->hidePopup();
    platform::GridModel *lista = w->gexArt(0);
    ASSERT_EQ(lista->recordCount(), articoli + 1);
    EXPECT_EQ(lista->textAt(lista->find(1, platform::FindCondition::EqualTo, platform::Variant("A1")), 3), u"4"_s);
}

TEST_F(MovWindowTest, F5CreatesACounterpartAndAnArticleF6FindsOneF7OpensIt)
{
    frm_io_MovMag_01 *w = nuovo();
    ASSERT_NE(w, nullptr);
    testata(w, u"Acquisto"_s, u"x"_s);
    // F5 on the counterpart: a new supplier, chosen at once.
    w->dtcData0->setFocus();
    onModal<frm_io_Fornitori_01>([] { tasto(Qt::Key_F5); }, [](frm_io_Fornitori_01 *f) {
        typeAndLeave(f->txtData[0], u"Verdi Spa"_s);
        QTest::mouseClick(f->cmdSalva(), Qt::LeftButton);
    });
    EXPECT_EQ(w->dtcData0->currentText(), u"Verdi Spa"_s);
    const QString verdi = cell(u"SELECT IdCliFor FROM CliFor WHERE Nome='Verdi Spa'"_s);

    // F5 on the code: a new article of the movement's supplier.
    activate(w);
    w->gexDet->view()->setFocus();
    QApplication::processEvents();
    onModal<frm_io_Articoli_02>([] { tasto(Qt::Key_F5); }, [](frm_io_Articoli_02 *a) {
        EXPECT_EQ(a->dtcData[frm_io_Articoli_02::ListaFornitori]->currentText(), u"Verdi Spa"_s);
        typeAndLeave(a->txtData[0], u"c3"_s);
        typeAndLeave(a->txtData[2], u"7"_s);
        QTest::mouseClick(a->cmdSalva(), Qt::LeftButton);
    });
    EXPECT_EQ(w->gexDet->value(Col::Codice), platform::Variant("C3"));
    EXPECT_EQ(w->gexDet->textAt(1, Col::Costo), u"7,00"_s);

    // F6 in the quantity column replaces the code of the line.
    activate(w);
    w->gexDet->setCol(Col::Quantita);
    onModal<comfrmFindRecord>([] { tasto(Qt::Key_F6); }, [](comfrmFindRecord *finder) {
        EXPECT_EQ(finder->windowTitle(), u"Articoli"_s);
        EXPECT_FALSE(finder->cmdNew->isEnabled());
        QTest::keyClicks(finder->txtFind, u"Dad"_s);
        finder->cmdInsert->click();
    });
    EXPECT_EQ(w->gexDet->value(Col::Codice), platform::Variant("B2"));
    EXPECT_EQ(w->gexDet->textAt(1, Col::Costo), u"1,50"_s);

    // A cost typed by hand; F7 on the code, confirmed, puts the article's back.
    activate(w);
    w->gexDet->setCol(Col::Costo);
    scrivi(u"9"_s);
    tasto(Qt::Key_Tab);
    EXPECT_EQ(w->gexDet->textAt(1, Col::Costo), u"9,00"_s);
    w->gexDet->setRow(1);
    w->gexDet->setCol(Col::Codice);
    onModal<frm_io_Articoli_02>([] { tasto(Qt::Key_F7); }, [](frm_io_Articoli_02 *a) {
        EXPECT_EQ(a->txtData[0]->text(), u"B2"_s);
        QTest::mouseClick(a->cmdSalva(), Qt::LeftButton);
    });
    EXPECT_EQ(w->gexDet->textAt(1, Col::Costo), u"1,50"_s);
    ASSERT_TRUE(w->cmdSalva_Click());
    EXPECT_EQ(righe(w->Mov().IdReg()), QStringList{u"10 B2 1 1 1.5 3"_s});
    EXPECT_EQ(cell(u"SELECT IdContropartita FROM MagazRegMain WHERE IdReg=%1"_s.arg(w->Mov().IdReg())), verdi);
}

TEST_F(MovWindowTest, OpenedMovementShowsItsKindNumbersNewLinesAfterTheHighestAndSavesChanges)
{
    frm_io_MovMag_01 *w = apri(7);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Stato(), frm_io_MovMag_01::StatoVista);
    EXPECT_EQ((QStringList{w->lblProg->text(), w->lblData[1]->text(), w->dtcData0->currentText(), w->cmbData->currentText()}),
              (QStringList{u"4"_s, u"Cliente:"_s, u"Bianchi Mario"_s, u"Vendita"_s}));
    EXPECT_FALSE(w->gexDet->column(Col::Costo)->visible());
    EXPECT_FALSE(w->cmdLabels->isEnabled());
    EXPECT_FALSE(w->gexDet->allowEdit());
    w->cmdModifica->click();
    riga(w, u"B2"_s, u"5"_s);
    tasto(Qt::Key_F8);
    EXPECT_EQ(righe(7), (QStringList{u"10 A1 2 -1 2 5"_s, u"30 B2 1 -1 1.5 3"_s, u"40 B2 5 -1 1.5 3"_s}));
    EXPECT_EQ(cell(u"SELECT Progressivo FROM MagazRegMain WHERE IdReg=7"_s), u"4"_s);
    EXPECT_EQ(contatore(), u"4"_s);
    // Esc in view mode closes the window.
    tasto(Qt::Key_Escape);
    settle();
    EXPECT_EQ(finestra(), nullptr);

    // A movement deleted meanwhile does not open.
    runSql(database, u"DELETE FROM MagazRegDetail; DELETE FROM MagazRegMain;"_s);
    EXPECT_EQ(apri(7), nullptr);
    EXPECT_EQ(messaggi(), QStringList{frm_io_MovMag_01::MsgModificata});
}

TEST_F(MovWindowTest, AConflictClosesTheWindowAndKeepsTheOtherUsersChange)
{
    frm_io_MovMag_01 *w = apri(7);
    ASSERT_NE(w, nullptr);
    w->cmdModifica->click();
    riga(w, u"A1"_s, u"1"_s);
    w->txtData0->setFocus();
    scrivi(u"mio"_s);
    runSql(database, u"UPDATE MagazRegMain SET Descrizione='altro' WHERE IdReg=7"_s);
    tasto(Qt::Key_F8);
    settle();
    EXPECT_EQ(messaggi(), QStringList{frm_io_MovMag_01::MsgModificata + u"\r\n"_s + frm_io_MovMag_01::MsgNonSalvate});
    EXPECT_EQ(finestra(), nullptr);
    EXPECT_EQ(righe(7).size(), 2);
    EXPECT_EQ(cell(u"SELECT Descrizione FROM MagazRegMain WHERE IdReg=7"_s), u"altro"_s);
    EXPECT_EQ(refreshes, 1);
}

// A database in use by another program or read-only is told plainly, as the
// record windows tell it; an unexpected error goes to the error report.
// Either way nothing is stored and the window keeps what was typed.
TEST_F(MovWindowTest, ADatabaseInUseOrReadOnlyIsToldOtherErrorsAreReportedAndTheEditsStay)
{
    const QStringList detti{u"Il database è in uso da un altro utente. Riprovare più tardi."_s,
                            u"Il database è di sola lettura: le modifiche non possono essere salvate."_s};
    for (int caso = 0; caso < 3; ++caso) {
        SCOPED_TRACE(caso);
        desk->clear();
        frm_io_MovMag_01 *w = nuovo();
        ASSERT_NE(w, nullptr);
        testata(w, u"Carico"_s, u"x"_s);
        riga(w, u"A1"_s, u"3"_s);
        if (caso == 2) {
            runSql(database, u"ALTER TABLE _Pars RENAME TO Pars0"_s);
            onModal<comfrmSendError>([w] { EXPECT_FALSE(w->cmdSalva_Click()); }, [](comfrmSendError *report) {
                EXPECT_EQ(report->windowTitle(), u" Errore"_s);
                EXPECT_EQ(report->lblValue[4]->text(), u"Rec_Save"_s);
                report->cmdNoSend->click();
            });
            EXPECT_TRUE(messaggi().isEmpty());
            runSql(database, u"ALTER TABLE Pars0 RENAME TO _Pars"_s);
        } else {
            std::unique_ptr<AltroProgramma> altro;
            std::unique_ptr<ReadOnlyFile> sola;
            if (caso == 1)
                sola = std::make_unique<ReadOnlyFile>(database);
            else
                altro = std::make_unique<AltroProgramma>(database);
            if (sola && !sola->holds())
                GTEST_SKIP() << "the file cannot be made read-only here";
            EXPECT_FALSE(w->cmdSalva_Click());
            ASSERT_EQ(messaggi(), QStringList{detti[caso]});
            EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbCritical);
        }
        EXPECT_EQ(w->Stato(), frm_io_MovMag_01::StatoNuovo);
        EXPECT_EQ(w->gexDet->textAt(1, Col::Codice), u"A1"_s);
        EXPECT_EQ(cell(u"SELECT COUNT(*) FROM MagazRegMain"_s), u"1"_s);
        EXPECT_EQ(contatore(), u"4"_s);
        // Once the database can be written the same save goes through.
        ASSERT_TRUE(w->cmdSalva_Click());
        EXPECT_EQ(w->lblProg->text(), u"5"_s);
        EXPECT_EQ(righe(w->Mov().IdReg()), QStringList{u"10 A1 3 1 2 5"_s});
        runSql(database, u"DELETE FROM MagazRegDetail WHERE IdReg<>7; DELETE FROM MagazRegMain WHERE IdReg<>7; "
                         "UPDATE _Pars SET l02=4"_s);
        w->cmdChiudi_Click();
        settle();
    }
}

TEST_F(MovWindowTest, CancelDeleteAndTheLabelQuestion)
{
    // A new movement without lines cancelled with Esc: nothing stored.
    frm_io_MovMag_01 *w = nuovo();
    ASSERT_NE(w, nullptr);
    tasto(Qt::Key_Escape);
    settle();
    EXPECT_EQ(finestra(), nullptr);
    EXPECT_EQ(cell(u"SELECT COUNT(*) FROM MagazRegMain"_s), u"1"_s);
    // With lines the question comes first; No keeps the lines.
    w = nuovo();
    riga(w, u"A1"_s, u"1"_s);
    desk->queueMsgBox(platform::vbNo);
    tasto(Qt::Key_Escape);
    EXPECT_EQ(messaggi(), QStringList{frm_io_MovMag_01::MsgAbbandona});
    EXPECT_EQ(w->Mov().Righe().rowCount(), 1);

    // No question about labels until the labels window exists.
    setSettingsNumber(u"regAskLabelPrint"_s, 1);
    ASSERT_TRUE(w->cmdSalva_Click());
    EXPECT_EQ(messaggi().size(), 1);
    QList<int> etichette;
    WindowRegistry::Voce labels;
    labels.Apri = [&etichette](const platform::Variant &key) { etichette << key.toInt32(); };
    WindowRegistry::Registra(frm_io_MovMag_01::FinestraEtichette, labels);
    tasto(Qt::Key_F5);
    EXPECT_EQ(w->cmbData->currentText(), u"Acquisto"_s);
    riga(w, u"A1"_s, u"1"_s);
    desk->queueMsgBox(platform::vbYes);
    ASSERT_TRUE(w->cmdSalva_Click());
    EXPECT_EQ(messaggi().last(), frm_io_MovMag_01::MsgEtichette);
    EXPECT_EQ(etichette, QList<int>{w->Mov().IdReg()});
    EXPECT_TRUE(w->cmdLabels->isEnabled());

    // Delete: No keeps the movement, Yes removes it and starts a new one.
    const int id = w->Mov().IdReg();
    desk->queueMsgBox(platform::vbNo);
    w->cmdElimina->click();
    EXPECT_EQ(righe(id).size(), 1);
    desk->queueMsgBox(platform::vbYes);
    w->cmdElimina->click();
    EXPECT_EQ(messaggi().last(), frm_io_MovMag_01::MsgElimina);
    EXPECT_EQ(cell(u"SELECT COUNT(*) FROM MagazRegMain WHERE IdReg=%1"_s.arg(id)), u"0"_s);
    EXPECT_TRUE(righe(id).isEmpty());
    EXPECT_EQ(w->Stato(), frm_io_MovMag_01::StatoNuovo);
    EXPECT_EQ(w->windowTitle(), u"<Nuovo Movimento>"_s);
}

TEST_F(MovWindowTest, TheCausaleIsChosenFromItsListWithTheMouseOrF4AndFixedWhenLeft)
{
    // The arrow opens the list and a click chooses (a list opened by the
    // mouse ignores clicks for a double-click time: none here); the
    // causale is fixed only once another control has the focus.
    frm_io_MovMag_01 *w = nuovo();
    ASSERT_NE(w, nullptr);
    QComboBox *causale = w->cmbData;
    const int doppio = QApplication::doubleClickInterval();
    QApplication::setDoubleClickInterval(0);
    QTest::mouseClick(causale, Qt::LeftButton, {}, QPoint(causale->width() - 6, causale->height() / 2));
    QApplication::processEvents();
    QAbstractItemView *lista = causale->view();
    ASSERT_TRUE(lista->isVisible());
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, {}, lista->visualRect(causale->model()->index(5, 0)).center());
    QApplication::processEvents();
    QApplication::setDoubleClickInterval(doppio);
    EXPECT_TRUE(causale->isEnabled());
    tasto(Qt::Key_Tab);
    EXPECT_FALSE(causale->isEnabled());
    EXPECT_EQ((QStringList{causale->currentText(), w->lblData[1]->text()}), (QStringList{u"Vendita"_s, u"Cliente:"_s}));
    tasto(Qt::Key_Escape);
    settle();

    // F4, which the status bar offers, opens it as well; the keys choose.
    w = nuovo();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->sbPanel[1]->text(), u"F4-Lista"_s);
    tasto(Qt::Key_F4);
    ASSERT_TRUE(w->cmbData->view()->isVisible());
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
        tasto(key);
    EXPECT_TRUE(w->cmbData->isEnabled());
    tasto(Qt::Key_Tab);
    EXPECT_FALSE(w->cmbData->isEnabled());
    EXPECT_EQ((QStringList{w->cmbData->currentText(), w->lblData[1]->text()}), (QStringList{u"Scarico"_s, QString()}));
}

// Back from the finder or the new-article window the focus is in the line
// again, never in the date: a quantity typed next is the line's.
TEST_F(MovWindowTest, AfterF5OrF6TheFocusIsBackInTheLine)
{
    frm_io_MovMag_01 *w = nuovo();
    ASSERT_NE(w, nullptr);
    testata(w, u"Carico"_s, u"x"_s);
    w->gexDet->view()->setFocus();
    QApplication::processEvents();
    // An article chosen with F6: on to the quantity of its line.
    onModal<comfrmFindRecord>([] { tasto(Qt::Key_F6); }, [](comfrmFindRecord *finder) {
        QTest::keyClicks(finder->txtFind, u"Dad"_s);
        finder->cmdInsert->click();
    });
    activate(w); // the window manager gives the window the activation back
    EXPECT_TRUE(inCell(w, Col::Quantita));
    scrivi(u"3"_s);
    tasto(Qt::Key_Tab);
    tasto(Qt::Key_Tab);
    // A new article made with F5: back in the code cell of the line.
    onModal<frm_io_Articoli_02>([] { tasto(Qt::Key_F5); }, [](frm_io_Articoli_02 *a) {
        typeAndLeave(a->txtData[0], u"c3"_s);
        typeAndLeave(a->txtData[2], u"7"_s);
        QTest::mouseClick(a->cmdSalva(), Qt::LeftButton);
    });
    activate(w);
    EXPECT_TRUE(inCell(w, Col::Codice));
    tasto(Qt::Key_Tab);
    scrivi(u"2"_s);
    tasto(Qt::Key_Tab);
    tasto(Qt::Key_Tab);
    ASSERT_TRUE(w->cmdSalva_Click());
    EXPECT_EQ(righe(w->Mov().IdReg()), (QStringList{u"10 B2 3 1 1.5 3"_s, u"20 C3 2 1 7 8.54"_s}));
    EXPECT_EQ(cell(u"SELECT DataIns FROM MagazRegMain WHERE IdReg=%1"_s.arg(w->Mov().IdReg())), u"2031-03-15"_s);
}

// Esc, and the window manager's close (its button, Alt+F4), ask whenever
// the grid holds a line, stored or being typed, and No leaves the line as
// it was typed; Enter on the empty new line and Enter on "Salva (F8)" save.
TEST_F(MovWindowTest, EscAndTheTitleBarsCloseAskBeforeDroppingALineBeingTyped)
{
    QPointer<frm_io_MovMag_01> w = nuovo();
    ASSERT_NE(w, nullptr);
    testata(w, u"Carico"_s, u"x"_s);
    w->gexDet->view()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(w->gexDet->recordNavigatorText(), u"Record: 1 di 1"_s);
    scrivi(u"A1"_s);
    tasto(Qt::Key_Tab);
    scrivi(u"4"_s);
    desk->queueMsgBox(platform::vbNo);
    tasto(Qt::Key_Escape);
    desk->queueMsgBox(platform::vbNo);
    chiudiDallaBarra(w);
    ASSERT_EQ(finestra(), w);
    EXPECT_EQ(messaggi(), (QStringList{frm_io_MovMag_01::MsgAbbandona, frm_io_MovMag_01::MsgAbbandona}));
    EXPECT_TRUE(inCell(w, Col::Quantita));
    EXPECT_EQ(inEditing(w), u"4"_s);
    tasto(Qt::Key_Tab);
    tasto(Qt::Key_Tab);
    tasto(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), w->cmdSalva);
    tasto(Qt::Key_Return);
    EXPECT_EQ(w->Stato(), frm_io_MovMag_01::StatoVista);
    EXPECT_EQ(righe(w->Mov().IdReg()), QStringList{u"10 A1 4 1 2 5"_s});

    // Yes drops what is not saved and closes; without lines, or in view
    // mode, the window just closes.
    w->cmdModifica->click();
    scrivi(u"B2"_s);
    desk->queueMsgBox(platform::vbYes);
    chiudiDallaBarra(w);
    EXPECT_TRUE(w.isNull());
    for (const bool vista : {false, true}) {
        w = vista ? apri(7) : nuovo();
        ASSERT_NE(w, nullptr);
        chiudiDallaBarra(w);
        EXPECT_TRUE(w.isNull());
    }
    EXPECT_EQ(messaggi().size(), 3);
    EXPECT_EQ(cell(u"SELECT COUNT(*) FROM MagazRegDetail"_s), u"3"_s);
}

// A click on a row's header closes the cell editor that the next line's
// code opened, selects the row, and Delete deletes it.
TEST_F(MovWindowTest, ARowHeaderClickSelectsTheLineForDelete)
{
    frm_io_MovMag_01 *w = apri(7);
    ASSERT_NE(w, nullptr);
    w->cmdModifica->click();
    riga(w, u"B2"_s, u"5"_s);
    ASSERT_TRUE(w->gexDet->isEditing());
    EXPECT_EQ(w->gexDet->recordNavigatorText(), u"Record: 4 di 4"_s);
    QHeaderView *header = w->gexDet->view()->verticalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->width() / 2, header->sectionViewportPosition(0) + header->sectionSize(0) / 2));
    EXPECT_FALSE(w->gexDet->isEditing());
    EXPECT_TRUE(w->gexDet->view()->selectionModel()->isRowSelected(0, {}));
    tasto(Qt::Key_Delete);
    EXPECT_EQ(w->lblTotale[1]->text(), u"18,00\u00a0€"_s);
    tasto(Qt::Key_F8);
    EXPECT_EQ(righe(7), (QStringList{u"30 B2 1 -1 1.5 3"_s, u"40 B2 5 -1 1.5 3"_s}));
}

// The article window: the price arithmetic, the prices following the box
// left and the VAT code, the checks of code and numbers, the defaults of a
// new article, the value format and the F5 of its lists.
#include "RecordsFixture.h"

#include "platform/data/Recordset.h"
#include "records/CalcoloPrezzi.h"
#include "records/FinestraCliFor.h"
#include "records/FinestraListe.h"
#include "records/frm_io_Articoli_02.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QPointer>

using namespace recordstest;
using namespace Qt::StringLiterals;
using CalcoloPrezzi::Prezzi;
using platform::Currency;
using platform::Variant;

namespace {

std::optional<Prezzi> CambioIVA(Prezzi prezzi, Currency rate)
{
    return CalcoloPrezzi::DopoCambioIVA(prezzi, rate);
}

TEST(PriceArithmeticTest, AmountsFollowTheBoxLeftOrTheVatRate)
{
    using namespace CalcoloPrezzi;
    // {costo, ricarico, prezzo, aliquota (VAT amount), prezzoIvato}
    const struct
    {
        const char *nome;
        std::optional<Prezzi> (*passo)(Prezzi, Currency);
        Prezzi prima;
        double aliquota;
        std::optional<Prezzi> dopo;
    } casi[] = {
        {"cost and mark-up", DopoCosto, {10, 50, 0, 0, 0}, 22, Prezzi{10, 50, 15, 3.3, 18.3}},
        {"gross price, no cost", DopoPrezzoIvato, {0, 0, 0, 0, 122}, 22, Prezzi{100, 0, 100, 22, 122}},
        {"gross price with cost", DopoPrezzoIvato, {80, 0, 0, 0, 122}, 22, Prezzi{80, 25, 100, 22, 122}},
        {"net price with cost", DopoPrezzo, {80, 0, 100, 0, 0}, 22, Prezzi{80, 25, 100, 22, 122}},
        {"net price, no cost", DopoPrezzo, {0, 25, 100, 0, 0}, 22, Prezzi{80, 25, 100, 22, 122}},
        {"VAT code of 10%", CambioIVA, {80, 25, 100, 22, 122}, 10, Prezzi{80, 25, 100, 10, 110}},
        {"exempt VAT code", CambioIVA, {80, 25, 100, 22, 122}, 0, Prezzi{80, 25, 100, 0, 100}},
        {"VAT rounded to 4 decimals", DopoCosto, {15.55555, 0, 0, 0, 0}, 22,
         Prezzi{15.55555, 0, 15.55555, 3.4222, 18.97775}},
        {"a tie goes to the even digit, down", DopoPrezzo, {1, 0, 0.5, 0, 0}, 0.01, Prezzi{1, -50, 0.5, 0, 0.5}},
        {"a tie goes to the even digit, up", DopoPrezzo, {1, 0, 1.5, 0, 0}, 0.01, Prezzi{1, 50, 1.5, 0.0002, 1.5002}},
        {"VAT of a new code is not rounded", CambioIVA, {0, 0, 15.55555, 0, 0}, 22,
         Prezzi{0, 0, 15.55555, 3.422221, 18.977771}},
        {"mark-up -100 without cost, gross price", DopoPrezzoIvato, {0, -100, 0, 0, 122}, 22,
         Prezzi{0, -100, 100, 22, 122}},
        {"mark-up -100 without cost, net price", DopoPrezzo, {0, -100, 100, 0, 0}, 22, Prezzi{0, -100, 100, 22, 122}},
        {"a mark-up beyond the currency range", DopoPrezzo, {0.0001, 0, 1e12, 0, 0}, 22, std::nullopt},
        {"an amount beyond the currency range", DopoCosto, {1e20, 0, 0, 0, 0}, 22, std::nullopt},
    };
    for (const auto &caso : casi) {
        SCOPED_TRACE(caso.nome);
        const std::optional<Prezzi> dopo = caso.passo(caso.prima, Currency::fromDouble(caso.aliquota));
        ASSERT_EQ(dopo.has_value(), caso.dopo.has_value());
        if (!dopo)
            continue;
        EXPECT_DOUBLE_EQ(dopo->costo, caso.dopo->costo);
        EXPECT_DOUBLE_EQ(dopo->ricarico, caso.dopo->ricarico);
        EXPECT_DOUBLE_EQ(dopo->prezzo, caso.dopo->prezzo);
        EXPECT_DOUBLE_EQ(dopo->aliquota, caso.dopo->aliquota);
        EXPECT_DOUBLE_EQ(dopo->prezzoIvato, caso.dopo->prezzoIvato);
    }
}

// VAT codes 22%, 10% and exempt, a unit, a category, supplier 7 and the
// article A1 (VAT 22%, cost 10, mark-up 50, prices still 0).
class ArticleWindowTest : public RecordWindowTest
{
protected:
    void SetUp() override
    {
        RecordWindowTest::SetUp();
        MainModule::NumDecV = 2;
        MainModule::WorkDate = platform::DateTime(2024, 3, 15);
        runSql(database, u"INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota) VALUES "
                         "('22', 'Ordinaria', 22), ('10', 'Ridotta', 10), ('ES', 'Esente', 0);"
                         "INSERT INTO Liste (Chiave, Codice, Descrizione) VALUES ('um', 'PZ', 'Pezzi'), "
                         "('cat', NULL, 'Colle');"
                         "INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (7, 'Fornitore', 'Rossi');"
                         "INSERT INTO Articoli (Codice, Descrizione, CodiceIVA, Costo, Ricarico, Prezzo, Aliquota, "
                         "PrezzoIvato, ScortaMinima) VALUES ('A1', 'Vite', '22', 10, 50, 0, 0, 0, 0);"_s);
    }

    // The window on an article, or on a new one when no code is given.
    static QPointer<frm_io_Articoli_02> apri(const QString &codice = {}, std::int32_t idFornitore = 0)
    {
        QPointer<frm_io_Articoli_02> window = new frm_io_Articoli_02;
        codice.isEmpty() ? window->Nuovo(0, idFornitore) : window->Apri(codice, 0);
        activate(window);
        return window;
    }
    static double numero(const frm_io_Articoli_02 *window, const QString &field)
    {
        return window->rs()->value(field).toDouble();
    }
    static void scegli(QComboBox *combo, const QString &text)
    {
        combo->setFocus(Qt::OtherFocusReason);
        combo->setCurrentIndex(combo->findText(text));
    }
    // The window holds the focus in `control` and showed no message.
    void trattiene(QWidget *control) const
    {
        EXPECT_EQ(QApplication::focusWidget(), control) << control->objectName().toStdString();
        EXPECT_TRUE(desk->msgBoxes().empty()) << desk->prompts().join(u'|').toStdString();
    }
};

TEST_F(ArticleWindowTest, PricesFollowTheBoxLeftAndTheVatCode)
{
    QPointer<frm_io_Articoli_02> window = apri(u"A1"_s);
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_FALSE(window->txtData[0]->isEnabled());
    // The rate comes with the article's VAT code: the combo is not touched.
    EXPECT_EQ(window->AliquotaCorrente(), Currency::fromInt(22));

    // Leaving the cost unchanged still works the prices out.
    typeAndLeave(window->txtData[2], {}, false);
    EXPECT_DOUBLE_EQ(numero(window, u"Prezzo"_s), 15);
    EXPECT_DOUBLE_EQ(numero(window, u"Aliquota"_s), 3.3);
    EXPECT_EQ(window->txtData[5]->text(), u"18,30"_s);

    // A gross price on an article with a cost gives its mark-up.
    typeAndLeave(window->txtData[5], u"122"_s);
    EXPECT_DOUBLE_EQ(numero(window, u"Prezzo"_s), 100);
    EXPECT_EQ(window->txtData[3]->text(), u"900,00"_s);

    // Another VAT code keeps the net price.
    scegli(window->dtcData[3], u"Ridotta"_s);
    EXPECT_DOUBLE_EQ(numero(window, u"PrezzoIvato"_s), 110);

    QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(cell(u"SELECT CodiceIVA || '|' || Costo || '|' || Ricarico || '|' || Prezzo || '|' || Aliquota || '|' "
                   "|| PrezzoIvato FROM Articoli WHERE Codice='A1'"_s),
              u"10|10.0|900.0|100.0|10.0|110.0"_s);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(ArticleWindowTest, CodeAndNumberChecksKeepTheFocusAndTheInput)
{
    runSql(database, u"INSERT INTO Articoli (Codice, Descrizione) VALUES ('abc', 'Altro')"_s);
    QPointer<frm_io_Articoli_02> window = apri();
    QLineEdit *codice = window->txtData[0];

    // Empty code, negative or non-numeric minimum stock, empty VAT code.
    typeAndLeave(codice, QString());
    trattiene(codice);
    typeAndLeave(codice, u"NEW"_s);
    for (const QString &text : {u"-5"_s, u"x"_s}) {
        typeAndLeave(window->txtData[9], text);
        trattiene(window->txtData[9]);
    }
    typeAndLeave(window->txtData[9], u"5"_s);
    window->dtcData[3]->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(window->dtcData[3], Qt::Key_Tab);
    QApplication::processEvents();
    trattiene(window->dtcData[3]);
    scegli(window->dtcData[3], u"Esente"_s);

    // A code that exists in another case of letters.
    typeAndLeave(codice, u"abc"_s);
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(desk->msgBoxes()[0].prompt, frm_io_Articoli_02::MsgCodiceEsistente);
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbOKOnly);
    EXPECT_EQ(QApplication::focusWidget(), codice);

    // A code another program takes between the check and the save.
    typeAndLeave(codice, u"NEW"_s);
    typeAndLeave(window->txtData[1], u"Mia"_s);
    runSql(database, u"INSERT INTO Articoli (Codice, Descrizione) VALUES ('new', 'Altrui')"_s);
    QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(desk->prompts(), QStringList(2, frm_io_Articoli_02::MsgCodiceEsistente));
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(codice->text() + window->txtData[1]->text(), u"NEWMia"_s);
    EXPECT_EQ(cell(u"SELECT Descrizione FROM Articoli WHERE Codice='NEW'"_s), u"Altrui"_s);
    window->cmdAnnulla_Click();
}

TEST_F(ArticleWindowTest, ANewArticleTakesTheDefaultsAndTheSupplierItWasOpenedFor)
{
    MainModule::DefaultCodiceIVA = u"22"_s;
    MainModule::DefaultUM = u"PZ"_s;
    MainModule::DefaultCategoria = u"Colle"_s;
    QPointer<frm_io_Articoli_02> window = apri({}, 7);
    EXPECT_EQ(window->dtcData[2]->currentText(), u"Rossi"_s);
    EXPECT_EQ(window->AliquotaCorrente(), Currency::fromInt(22));
    typeAndLeave(window->txtData[0], u"T1"_s);
    QTest::keyClicks(window->txtNote, u"riga"_s);
    QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(cell(u"SELECT IdFornitore || '|' || CodiceIVA || '|' || UM || '|' || Categoria || '|' || DataIns || '|' "
                   "|| Costo || Ricarico || Prezzo || Aliquota || PrezzoIvato || ScortaMinima || '|' || Note "
                   "FROM Articoli WHERE Codice='T1'"_s),
              u"7|22|PZ|Colle|2024-03-15|0.00.00.00.00.00.0|riga"_s);

    // No defaults, no supplier: those columns stay empty.
    MainModule::DefaultCodiceIVA = MainModule::DefaultUM = MainModule::DefaultCategoria = QString();
    window = apri();
    for (const QString &field : {u"IdFornitore"_s, u"CodiceIVA"_s, u"UM"_s, u"Categoria"_s})
        EXPECT_EQ(window->rs()->value(field), Variant()) << field.toStdString();
    window->cmdAnnulla_Click();
}

TEST_F(ArticleWindowTest, ValueFormatFollowsTheDecimalsOfValues)
{
    runSql(database, u"UPDATE Articoli SET Costo = 1234.5, ScortaMinima = 0 WHERE Codice = 'A1'"_s);
    const std::tuple<int, QString, QString> casi[] = {{3, u"1.234,500"_s, u",000"_s}, {0, u"1.235"_s, QString()}};
    for (const auto &[decimals, cost, zero] : casi) {
        MainModule::NumDecV = static_cast<std::int16_t>(decimals);
        QPointer<frm_io_Articoli_02> window = apri(u"A1"_s);
        EXPECT_EQ(window->txtData[2]->text(), cost);
        EXPECT_EQ(window->txtData[6]->text(), zero);
        EXPECT_EQ(window->txtData[3]->text(), u"50,00"_s);
        EXPECT_EQ(window->txtData[9]->text(), u"0"_s);
        // A zero the format hides is still a number: the box can be left.
        typeAndLeave(window->txtData[6], {}, false);
        EXPECT_EQ(QApplication::focusWidget(), window->txtData[5]);
        window->cmdAnnulla_Click();
    }
}

TEST_F(ArticleWindowTest, F5CreatesAMissingEntryOrChangesNothing)
{
    QPointer<frm_io_Articoli_02> window = apri();
    runSql(database, u"INSERT INTO Liste (Chiave, Codice, Descrizione) VALUES ('um', 'KG', 'Chili')"_s);
    QComboBox *unita = window->dtcData[1];
    unita->setFocus(Qt::OtherFocusReason);
    onModal<frm_io_UM>([&] { QTest::keyClick(unita, Qt::Key_F5); },
                       [](frm_io_UM *w) { QTest::mouseClick(w->cmdAnnulla(), Qt::LeftButton); });
    EXPECT_EQ(unita->count(), 1);
    EXPECT_EQ(window->rs()->value(u"UM"_s), Variant());

    QComboBox *fornitori = window->dtcData[2];
    fornitori->setFocus(Qt::OtherFocusReason);
    onModal<frm_io_Fornitori_01>([&] { QTest::keyClick(fornitori, Qt::Key_F5); }, [](frm_io_Fornitori_01 *w) {
        typeAndLeave(w->txtData[0], u"Bianchi"_s);
        QTest::mouseClick(w->cmdSalva(), Qt::LeftButton);
    });
    EXPECT_EQ(fornitori->count(), 2);
    EXPECT_EQ(fornitori->currentText(), u"Bianchi"_s);
    EXPECT_EQ(window->rs()->value(u"IdFornitore"_s),
              Variant(cell(u"SELECT IdCliFor FROM CliFor WHERE Nome='Bianchi'"_s).toInt()));
    window->cmdAnnulla_Click();
}

// Entries that show the same text stay apart: the row chosen is stored,
// by the list (F4), by the arrows, and a combo left alone writes nothing.
TEST_F(ArticleWindowTest, CombosStoreTheRowChosenAndNothingWhileUntouched)
{
    runSql(database, u"INSERT INTO CliFor (IdCliFor, Tipo, Nome, Località) VALUES (8, 'Fornitore', 'Rossi', 'Torino');"
                     "INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota) VALUES ('R4', 'Ridotta', 4);"
                     "INSERT INTO Liste (Chiave, Codice, Descrizione) VALUES ('um', 'NR', 'Pezzi');"_s);
    MainModule::DefaultCodiceIVA = u"22"_s;
    MainModule::DefaultUM = u"PZ"_s;
    QPointer<frm_io_Articoli_02> window = apri();
    typeAndLeave(window->txtData[0], u"N1"_s);
    // F4, Down, Down, Enter: the second supplier named Rossi, then the
    // second "Ridotta" below "Ordinaria".
    for (int lista : {frm_io_Articoli_02::ListaFornitori, frm_io_Articoli_02::ListaIVA}) {
        QComboBox *combo = window->dtcData[lista];
        combo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(combo, Qt::Key_F4);
        ASSERT_TRUE(combo->view()->isVisible());
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
            QTest::keyClick(combo->view(), key);
        QTest::keyClick(combo, Qt::Key_Tab);
    }
    EXPECT_EQ(window->AliquotaCorrente(), Currency::fromInt(4));
    // The arrows from "Pezzi" (PZ) to the other "Pezzi".
    window->dtcData[1]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(window->dtcData[1], Qt::Key_Down);
    QTest::keyClick(window->dtcData[1], Qt::Key_Tab);
    typeAndLeave(window->txtData[6], u"100"_s);
    QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    const QString saved = u"SELECT IdFornitore || '|' || CodiceIVA || '|' || UM || '|' || IfNull(Descrizione, '') || '|' || "
                          "PrezzoIvato FROM Articoli WHERE Codice='N1'"_s;
    EXPECT_EQ(cell(saved), u"8|R4|NR||104.0"_s);

    // Only the description changes: the combos write nothing back.
    window = apri(u"N1"_s);
    EXPECT_EQ(window->dtcData[2]->currentIndex(), window->dtcData[2]->IndiceValore(8));
    EXPECT_EQ(window->AliquotaCorrente(), Currency::fromInt(4));
    typeAndLeave(window->txtData[1], u"Bullone"_s);
    QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(cell(saved), u"8|R4|NR|Bullone|104.0"_s);
    EXPECT_TRUE(desk->msgBoxes().empty());
}

// Numbers are read as typed in the locale, within the currency range; a
// refused value is never written and the box keeps what was typed.
TEST_F(ArticleWindowTest, RefusedNumbersStayInTheBoxAndOutOfTheRecord)
{
    QPointer<frm_io_Articoli_02> window = apri(u"A1"_s);
    QLineEdit *scorta = window->txtData[9];
    for (const QString &text : {u"-5"_s, u"1e308"_s, u"922337203685478"_s}) {
        typeAndLeave(scorta, text);
        trattiene(scorta);
        EXPECT_EQ(scorta->text(), text);
        EXPECT_EQ(numero(window, u"ScortaMinima"_s), 0);
    }
    typeAndLeave(scorta, u"5"_s);
    EXPECT_EQ(numero(window, u"ScortaMinima"_s), 5);

    // Pasted text loses what the keys cannot type: the minus sign, letters.
    QLineEdit *costo = window->txtData[2];
    costo->setFocus();
    costo->clear();
    QApplication::clipboard()->setText(u"-1e1"_s);
    QTest::keyClick(costo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(costo->text(), u"11"_s);
    costo->clear();
    QApplication::clipboard()->setText(u"99999999999999999"_s);
    QTest::keyClick(costo, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(costo, Qt::Key_Tab);
    QApplication::processEvents();
    trattiene(costo);
    EXPECT_EQ(numero(window, u"Costo"_s), 10);
    // The box's own menu pastes through the same rule.
    costo->clear();
    QApplication::clipboard()->setText(u"-10"_s);
    QTimer::singleShot(0, [] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
        for (QAction *action : menu->actions())
            if (action->text().section(u'\t', 0, 0) == paste)
                action->trigger();
        menu->close();
    });
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(2, 2), costo->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(costo, &request);
    EXPECT_EQ(costo->text(), u"10"_s);
    activate(window);
    costo->setFocus();
    QTest::keyClick(costo, Qt::Key_Tab);
    EXPECT_EQ(window->txtData[6]->text(), u"15,00"_s);

    // A mark-up of -100 with no cost: the prices still follow, the cost stays.
    typeAndLeave(costo, u"0"_s);
    typeAndLeave(window->txtData[3], u"0"_s);
    window->rs()->setValue(u"Ricarico"_s, -100.0);
    typeAndLeave(window->txtData[5], u"122"_s);
    for (const auto &[field, value] : {std::pair{u"Costo"_s, 0}, {u"Prezzo"_s, 100}, {u"Aliquota"_s, 22}})
        EXPECT_DOUBLE_EQ(numero(window, field), value) << field.toStdString();
}

// A window opens with every text and entry shown from its beginning.
TEST_F(ArticleWindowTest, LongTextsShowTheirBeginning)
{
    const QString code = u"CODICE-MOLTO-LUNGO-SENZA-LAPOSTROFO   CO"_s;
    runSql(database, u"UPDATE CliFor SET Nome = 'Fratelli Rossi Mario e Luigi & Figli S.p.A.' WHERE IdCliFor = 7;"
                     "INSERT INTO Articoli (Codice, Descrizione, IdFornitore) VALUES ('%1', '%2', 7)"_s
                         .arg(code, QString(50, u'D')));
    QPointer<frm_io_Articoli_02> window = apri(code);
    QApplication::processEvents();
    for (QLineEdit *edit : window->findChildren<QLineEdit *>())
        if (edit->objectName() != u"qt_spinbox_lineedit"_s)
            EXPECT_EQ(edit->cursorPosition(), 0) << edit->objectName().toStdString() << edit->text().toStdString();
    // The box with the focus has its whole text selected.
    EXPECT_EQ(window->txtData[1]->selectedText(), QString(50, u'D'));
    // A supplier's name of some thirty characters shows whole.
    QComboBox *fornitore = window->dtcData[2];
    EXPECT_GE(fornitore->lineEdit()->width(), fornitore->fontMetrics().horizontalAdvance(u"Fratelli Rossi Mario & Figli"_s));

    window->cmdAnnulla_Click();
    settle();
    auto *cliente = openKey<FinestraCliFor>(u"frm_io_Fornitori_01"_s, 7);
    ASSERT_TRUE(cliente);
    EXPECT_EQ(cliente->txtData[0]->cursorPosition(), 0);
    EXPECT_GE(cliente->txtData[4]->width(), cliente->fontMetrics().horizontalAdvance(u"WWWWW"_s) + 4);
}

} // namespace

// What the record windows share, driven through the VAT code, unit,
// category, customer, supplier and article windows: keys, input rules, the
// key handed back, the "Predefinito" mark, and the save meeting other users,
// a read-only or locked database and vanished rows.
#include "RecordsFixture.h"

#include "records/FinestraCliFor.h"
#include "records/FinestraListe.h"
#include "records/frm_io_Articoli_02.h"
#include "records/frm_io_IVA.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QtTest/qtestspontaneevent.h>

using namespace recordstest;
using namespace Qt::StringLiterals;
using platform::Variant;

namespace {


const QString Modificata = FinestraRecord::MsgModificata;
const QString Occupato = u"Il database è in uso da un altro utente. Riprovare più tardi."_s;

QString focused()
{
    const QWidget *widget = QApplication::focusWidget();
    return widget ? widget->objectName() : QString();
}

void paste(QWidget *edit, const QString &text)
{
    QApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

// A close asked for from the title bar: a close event from the window system.
void closeFromTitleBar(QWidget *window)
{
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(window, &event);
}

void tick(QCheckBox *box, bool on)
{
    box->setFocus();
    if (box->isChecked() != on)
        QTest::keyClick(box, Qt::Key_Space);
}


// Each row's key and mark by kind (categories, VAT codes, units), and the
// three shared defaults.
QStringList marks(const QString &database)
{
    return queryColumn(database, u"SELECT group_concat(k || ':' || Predefinito, ' ') FROM ("
                                 "SELECT 'iva' AS g, CodiceIVA AS k, Predefinito FROM CodiciIVA UNION ALL "
                                 "SELECT Chiave, IfNull(Codice, Descrizione), Predefinito FROM Liste ORDER BY 1, 2) "
                                 "GROUP BY g ORDER BY g"_s)
        << MainModule::DefaultCategoria + u'|' + MainModule::DefaultCodiceIVA + u'|' + MainModule::DefaultUM;
}

class FinestraTest : public SampleRowsTest
{
protected:
    // Saves a record of the window, typing the texts and setting its mark.
    static void saveMarked(FinestraRecord *window, const QStringList &texts, const QString &mark, bool on)
    {
        ASSERT_TRUE(window);
        typeInto(window, texts);
        tick(child<QCheckBox>(window, mark), on);
        QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    }
};

} // namespace

// Enter moves on instead of saving, and Esc (from the notes box too) ends
// the window without writing anything.
TEST_F(FinestraTest, EnterMovesOnAndEscDiscardsInEveryWindow)
{
    const QStringList before = dumpDatabase(database);
    const std::pair<QString, Variant> cases[] = {{u"frm_io_IVA"_s, {}}, {u"frm_io_UM"_s, 2}, {u"frm_io_Cat"_s, {}},
                                                 {u"frm_io_Clienti"_s, 1}, {u"frm_io_Fornitori_01"_s, {}}};
    for (const auto &[name, key] : cases) {
        SCOPED_TRACE(name.toStdString());
        QPointer<FinestraRecord> window = key.isEmpty() ? openNew(name) : openKey(name, key);
        ASSERT_TRUE(window);
        for (QLineEdit *edit : window->findChildren<QLineEdit *>())
            edit->setText(u"7"_s);
        const QString first = focused();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_NE(focused(), first);
        QWidget *from = QApplication::focusWidget();
        if (auto *notes = window->findChild<QPlainTextEdit *>()) {
            notes->setFocus();
            QTest::keyClicks(notes, u"nota"_s);
            from = notes;
        }
        QTest::keyClick(from, Qt::Key_Escape);
        settle();
        EXPECT_TRUE(window.isNull());
    }
    EXPECT_EQ(dumpDatabase(database), before);
    EXPECT_EQ(refreshes, 0);
}

// No button is the default, yet Enter on a button the user reached clicks
// it: Salva saves, Annulla discards.
TEST_F(FinestraTest, EnterOnAFocusedButtonClicksIt)
{
    auto *um = openNew(u"frm_io_UM"_s);
    ASSERT_TRUE(um);
    typeInto(um, {u"mt"_s, u"Metri"_s});
    um->cmdSalva()->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(um->cmdSalva()->isDefault());
    QTest::keyClick(um->cmdSalva(), Qt::Key_Return);
    settle();
    EXPECT_EQ(shown(), nullptr);
    EXPECT_EQ(cell(u"SELECT Descrizione FROM Liste WHERE Codice='MT'"_s), u"Metri"_s);

    auto *cat = openNew(u"frm_io_Cat"_s);
    ASSERT_TRUE(cat);
    typeInto(cat, {u"Legno"_s});
    cat->cmdAnnulla()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(cat->cmdAnnulla(), Qt::Key_Enter, Qt::KeypadModifier);
    settle();
    EXPECT_EQ(shown(), nullptr);
    EXPECT_EQ(cell(u"SELECT COUNT(*) FROM Liste WHERE Descrizione='Legno'"_s), u"0"_s);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(FinestraTest, CodesAreUpperCaseWithoutQuotesRatesAreNumbersAndADuplicateKeepsTheInput)
{
    auto *vat = openNew<frm_io_IVA>(u"frm_io_IVA"_s);
    ASSERT_TRUE(vat);
    QTest::keyClicks(vat->txtData[0], u"r'i"_s);
    paste(vat->txtData[0], u"d'o't"_s);
    EXPECT_EQ(vat->txtData[0]->text(), u"RIDOT"_s);
    typeAndLeave(vat->txtData[1], u"Ridotta"_s);

    // Empty, or pasted text that is no number (typed and pasted letters are
    // dropped): the focus stays, also against a click on Salva.
    QLineEdit *rate = vat->txtData[2];
    for (const QString &text : {QString(), u"4x,,5"_s}) {
        rate->setFocus();
        rate->clear();
        QTest::keyClicks(rate, u"ab"_s);
        paste(rate, text);
        QTest::keyClick(rate, Qt::Key_Tab);
        QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(focused(), u"txtData2"_s);
    }
    // No minus sign gets in, typed or pasted.
    rate->clear();
    paste(rate, u"-22"_s);
    EXPECT_EQ(rate->text(), u"22"_s);
    rate->clear();
    QTest::keyClicks(rate, u"-4.5"_s);
    QTest::keyClick(rate, Qt::Key_Tab);
    EXPECT_EQ(rate->text(), u"4,50"_s);
    EXPECT_TRUE(desk->msgBoxes().empty());

    // Another user takes the code meanwhile: the window keeps the input.
    runSql(database, u"INSERT INTO CodiciIVA (CodiceIVA, Descrizione) VALUES ('ridot', 'Altra')"_s);
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    ASSERT_EQ(desk->prompts(), QStringList{u"Esiste già un elemento con lo stesso codice."_s});
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbCritical);
    ASSERT_EQ(shown(), vat);
    EXPECT_EQ(vat->txtData[1]->text(), u"Ridotta"_s);
    typeAndLeave(vat->txtData[0], u"RIDOTTA"_s);
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(queryColumn(database, u"SELECT CodiceIVA || '|' || Descrizione || '|' || IfNull(Aliquota, '') "
                                    "FROM CodiciIVA WHERE CodiceIVA LIKE 'RID%' ORDER BY 1"_s),
              (QStringList{u"RIDOTTA|Ridotta|4.5"_s, u"ridot|Altra|"_s}));
    EXPECT_EQ(shown(), nullptr);
    EXPECT_EQ(refreshes, 1);
}

// A customer or supplier needs a name (blanks are none, not even for
// Salva); the title follows it and the texts are stored as typed.
TEST_F(FinestraTest, CustomersAndSuppliersNeedANameAndStoreTheirTextsAsTyped)
{
    for (const auto &[name, key, kind] : {std::tuple{u"frm_io_Clienti"_s, 1, u"cliente"_s},
                                          {u"frm_io_Fornitori_01"_s, 0, u"fornitore"_s}}) {
        auto *window = key ? openKey<FinestraCliFor>(name, key) : openNew<FinestraCliFor>(name);
        ASSERT_TRUE(window);
        const QString title = window->windowTitle();
        typeAndLeave(window->txtData[0], u"  "_s);
        for (QWidget *target : {static_cast<QWidget *>(window->txtData[5]), static_cast<QWidget *>(window->cmdSalva())}) {
            QTest::mouseClick(target, Qt::LeftButton);
            QApplication::processEvents();
            EXPECT_EQ(QApplication::focusWidget(), window->txtData[0]);
        }
        EXPECT_EQ(window->windowTitle(), title);
        typeInto(window, {u"verdi & c. snc"_s, u"via po, 3"_s});
        EXPECT_EQ(window->windowTitle(), u"verdi & c. snc (%1)"_s.arg(kind));
        window->txtNote->setFocus();
        QTest::keyClicks(window->txtNote, u"prima"_s);
        window->txtNote->appendPlainText(u"seconda"_s);
        QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    }
    EXPECT_EQ(queryColumn(database, u"SELECT Tipo || '|' || Nome || '|' || Indirizzo || '|' || Note FROM CliFor "
                                    "WHERE IdCliFor <> 2 ORDER BY IdCliFor"_s),
              (QStringList{u"Cliente|verdi & c. snc|via po, 3|prima\nseconda"_s,
                           u"Fornitore|verdi & c. snc|via po, 3|prima\nseconda"_s}));
    EXPECT_TRUE(desk->msgBoxes().empty());
    EXPECT_EQ(refreshes, 2);
}

TEST_F(FinestraTest, ModalNewHandsBackWhatTheCallerStoresOrNull)
{
    const struct
    {
        std::function<Variant(int)> nuovo; // on a fresh window
        QStringList texts;
        Variant key;
    } cases[] = {
        {[](int m) { return frm_io_UM().Nuovo(m); }, {u"mt"_s, u"Metri"_s}, u"MT"_s},
        {[](int m) { return frm_io_Cat().Nuovo(m); }, {u"Legno"_s}, u"Legno"_s},
        {[](int m) { return frm_io_IVA().Nuovo(m); }, {u"4"_s, u"Minima"_s, u"4"_s}, u"4"_s},
        {[](int m) { return frm_io_Clienti().Nuovo(m); }, {u"Neri Luca"_s}, std::int32_t(3)},
        {[](int m) { return frm_io_Articoli_02().Nuovo(m); }, {u"abc"_s}, u"ABC"_s},
    };
    for (const auto &c : cases) {
        for (bool save : {false, true}) {
            Variant result = 1;
            onModal<FinestraRecord>([&] { result = c.nuovo(1); }, [&](FinestraRecord *w) {
                EXPECT_EQ(w->cmdSalva()->text(), u"Inserisci"_s);
                typeInto(w, c.texts);
                if (save)
                    QTest::mouseClick(w->cmdSalva(), Qt::LeftButton);
                else
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            });
            EXPECT_EQ(result, save ? c.key : Variant::null());
            EXPECT_EQ(result.type(), save ? c.key.type() : platform::VarType::Null);
        }
    }
    EXPECT_EQ(cell(u"SELECT (SELECT COUNT(*) FROM CodiciIVA) || (SELECT COUNT(*) FROM Liste) || "
                   "(SELECT COUNT(*) FROM CliFor) || (SELECT group_concat(Codice) FROM Articoli)"_s),
              u"363ABC"_s);
    EXPECT_EQ(refreshes, 0);
}

TEST_F(FinestraTest, TheSecondOfTwoEditsOfARowMeetsTheConflictAndTheFirstStays)
{
    QPointer<frm_io_Clienti> first = new frm_io_Clienti;
    first->Apri(1, 0);
    Variant result = 1;
    frm_io_Clienti second;
    onModal<frm_io_Clienti>([&] { result = second.Apri(1, 1); }, [&](frm_io_Clienti *w) {
        typeAndLeave(first->txtData[0], u"Bianchi Maria"_s);
        first->cmdSalva_Click();
        typeAndLeave(w->txtData[0], u"Bianchi Marco"_s);
        QTest::mouseClick(w->cmdSalva(), Qt::LeftButton);
    });
    settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(result.isNull());
    ASSERT_EQ(desk->prompts(), QStringList{Modificata + u"\r\nLe modifiche effettuate non verranno salvate."_s});
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbOKOnly);
    EXPECT_EQ(cell(u"SELECT Nome FROM CliFor WHERE IdCliFor=1"_s), u"Bianchi Maria"_s);
    EXPECT_EQ(refreshes, 2);
}

TEST_F(FinestraTest, AVanishedRowALockedOrAReadOnlyDatabaseIsReportedAndNothingIsWritten)
{
    runSql(database, u"INSERT INTO Articoli (Codice, Descrizione, CodiceIVA) VALUES ('A1', 'Vite', '22')"_s);
    const QStringList before = dumpDatabase(database);
    // Fills every box the window lets edit and saves: the save fails and
    // the window stays with the edits.
    const auto saveFails = [](FinestraRecord *window) {
        ASSERT_TRUE(window);
        for (QLineEdit *edit : window->findChildren<QLineEdit *>(QRegularExpression(u"^txtData"_s)))
            if (edit->isEnabled())
                typeAndLeave(edit, u"1"_s);
        EXPECT_FALSE(window->cmdSalva_Click());
        EXPECT_EQ(shown(), window);
        window->cmdAnnulla_Click();
    };
    const std::tuple<QString, Variant, Variant> windows[] = {
        {u"frm_io_IVA"_s, u"22"_s, u"XX"_s}, {u"frm_io_UM"_s, 2, 9}, {u"frm_io_Cat"_s, 4, 9},
        {u"frm_io_Clienti"_s, 1, 9}, {u"frm_io_Fornitori_01"_s, 2, 9}, {u"frm_io_Articoli_02"_s, u"A1"_s, u"XX"_s},
    };
    for (const auto &[name, existing, missing] : windows) {
        SCOPED_TRACE(name.toStdString());
        desk->clear();
        EXPECT_EQ(openKey(name, missing), nullptr);
        for (const Variant &key : {Variant(), existing}) {
            const auto open = [&] { return key.isEmpty() ? openNew(name) : openKey(name, key); };
            {
                AltroProgramma reading(database);
                EXPECT_EQ(open(), nullptr);
            }
            {
                AltroProgramma writing(database, false);
                saveFails(open());
            }
            ReadOnlyFile readOnly(database);
            saveFails(open());
        }
        const QString rdonly = u"Il database è di sola lettura: le modifiche non possono essere salvate."_s;
        EXPECT_EQ(desk->prompts(), (QStringList{Modificata, Occupato, Occupato, rdonly, Occupato, Occupato, rdonly}));
        settle();
    }
    EXPECT_TRUE(frm_io_UM().Apri(9, 1).isNull());
    EXPECT_EQ(refreshes, 7);
    EXPECT_EQ(dumpDatabase(database), before);
}

// An unticked save touches no other row nor the shared default, even when
// it renames the default category; a ticked one makes the only default of
// its kind, and the shared default follows it.
TEST_F(FinestraTest, ThePredefinitoMarkIsTheOnlyOneOfItsKindAndTheSharedDefaultFollowsIt)
{
    runSql(database, u"INSERT INTO Articoli (Codice, Categoria) VALUES ('A1', 'Colle')"_s);
    saveMarked(openKey(u"frm_io_UM"_s, 1), {}, u"chkData0"_s, false);
    saveMarked(openKey(u"frm_io_Cat"_s, 3), {u"Adesivi"_s}, u"chkData0"_s, false);
    EXPECT_EQ(marks(database), (QStringList{u"Adesivi:0 Viti:0"_s, u"22:1 ES:0"_s, u"KG:0 PZ:0"_s, u"Colle|22|PZ"_s}));
    EXPECT_EQ(cell(u"SELECT Categoria FROM Articoli"_s), u"Colle"_s);
    saveMarked(openKey(u"frm_io_Cat"_s, 3), {u"Colle e adesivi"_s}, u"chkData0"_s, true);
    EXPECT_EQ(marks(database).last(), u"Colle e adesivi|22|PZ"_s);

    saveMarked(openNew(u"frm_io_UM"_s), {u"lt"_s, u"Litri"_s}, u"chkData0"_s, true);
    saveMarked(openNew(u"frm_io_Cat"_s), {u"Legno"_s}, u"chkData0"_s, true);
    saveMarked(openNew(u"frm_io_IVA"_s), {u"10"_s, u"Ridotta"_s, u"10"_s}, u"chkData1"_s, true);
    EXPECT_EQ(marks(database), (QStringList{u"Colle e adesivi:0 Legno:1 Viti:0"_s, u"10:1 22:0 ES:0"_s,
                                            u"KG:0 LT:1 PZ:0"_s, u"Legno|10|LT"_s}));
    EXPECT_EQ(refreshes, 6);
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(FinestraTest, WhenClearingTheOtherMarksFailsNothingOfTheSaveStays)
{
    runSql(database, u"CREATE TRIGGER NoClear BEFORE UPDATE OF Predefinito ON Liste "
                     "BEGIN SELECT RAISE(ABORT, 'refused'); END"_s);
    const QStringList before = dumpDatabase(database);
    auto *unit = openNew(u"frm_io_UM"_s);
    saveMarked(unit, {u"LT"_s}, u"chkData0"_s, true);
    EXPECT_EQ(desk->prompts(), QStringList{u"L'operazione sul database non è riuscita."_s});
    EXPECT_EQ(dumpDatabase(database), before);
    EXPECT_EQ(MainModule::DefaultUM, u"PZ"_s);
    ASSERT_EQ(shown(), unit);

    // Saved again once the statement can run.
    runSql(database, u"DROP TRIGGER NoClear"_s);
    QTest::mouseClick(unit->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(marks(database).mid(2), (QStringList{u"KG:0 LT:1 PZ:0"_s, u"Colle|22|LT"_s}));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(FinestraTest, ExemptionGreysTheRateAndSetsItToZero)
{
    auto *vat = openNew<frm_io_IVA>(u"frm_io_IVA"_s);
    ASSERT_TRUE(vat);
    typeInto(vat, {u"E8"_s, u"Esente 8"_s, u"8"_s});
    const auto greyed = [&vat] { return !vat->txtData[2]->isEnabled() && !vat->lblData[2]->isEnabled(); };
    tick(vat->chkData[0], true);
    EXPECT_TRUE(greyed());
    EXPECT_EQ(vat->txtData[2]->text(), u"0"_s);
    tick(vat->chkData[0], false);
    EXPECT_FALSE(greyed());
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(cell(u"SELECT Aliquota || Esenzione FROM CodiciIVA WHERE CodiceIVA='E8'"_s), u"0.00"_s);

    vat = openKey<frm_io_IVA>(u"frm_io_IVA"_s, u"ES"_s);
    ASSERT_TRUE(vat);
    EXPECT_TRUE(greyed());
    EXPECT_TRUE(desk->msgBoxes().empty());
}

// A close from the title bar (the window manager's button, Alt+F4) goes as
// Esc does, but asks first when something was changed; "No" keeps it all.
TEST_F(FinestraTest, ATitleBarCloseAsksBeforeDroppingChanges)
{
    const QStringList before = dumpDatabase(database);
    for (const auto &[name, key] : {std::pair{u"frm_io_Clienti"_s, Variant(1)}, {u"frm_io_Articoli_02"_s, Variant()}}) {
        SCOPED_TRACE(name.toStdString());
        desk->clear();
        QPointer<FinestraRecord> window = key.isEmpty() ? openNew(name) : openKey(name, key);
        ASSERT_TRUE(window);
        closeFromTitleBar(window);
        settle();
        EXPECT_TRUE(window.isNull());
        window = key.isEmpty() ? openNew(name) : openKey(name, key);
        ASSERT_TRUE(window);
        // Typed and not yet left.
        auto *edit = child<QLineEdit>(window, u"txtData0"_s);
        edit->setFocus();
        QTest::keyClicks(edit, u"X9"_s);
        const QString typed = edit->text();
        desk->queueMsgBox(platform::vbNo);
        closeFromTitleBar(window);
        settle();
        ASSERT_FALSE(window.isNull());
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(edit->text(), typed);
        desk->queueMsgBox(platform::vbYes);
        closeFromTitleBar(window);
        settle();
        EXPECT_TRUE(window.isNull());
        EXPECT_EQ(desk->prompts(), QStringList(2, FinestraRecord::MsgAbbandona));
        EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbYesNo);
    }
    EXPECT_EQ(dumpDatabase(database), before);
    EXPECT_EQ(refreshes, 0);
}

// Codes lose the blanks around them before they are checked and stored; a
// pasted code loses its quotes before it is cut to the column's size; a
// unit code in use is refused as a VAT code in use is.
TEST_F(FinestraTest, CodesAreTrimmedAndAUnitCodeInUseIsRefused)
{
    runSql(database, u"INSERT INTO Articoli (Codice) VALUES ('ABCD')"_s);
    auto *article = openNew<frm_io_Articoli_02>(u"frm_io_Articoli_02"_s);
    ASSERT_TRUE(article);
    typeAndLeave(article->txtData[0], u"abcd "_s);
    EXPECT_EQ(desk->prompts(), QStringList{frm_io_Articoli_02::MsgCodiceEsistente});
    article->txtData[0]->clear();
    paste(article->txtData[0], u"  x'"_s + QString(39, u'y') + u"  "_s);
    QTest::keyClick(article->txtData[0], Qt::Key_Tab);
    typeAndLeave(article->txtData[8], u"  f'1  "_s);
    QTest::mouseClick(article->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(cell(u"SELECT Codice || '|' || CodiceArtFor FROM Articoli WHERE Codice <> 'ABCD'"_s),
              u"X"_s + QString(39, u'Y') + u"|F1"_s);

    desk->clear();
    auto *unit = openNew<frm_io_UM>(u"frm_io_UM"_s);
    ASSERT_TRUE(unit);
    typeInto(unit, {u" pz "_s, u"Pezzi sfusi"_s});
    QTest::mouseClick(unit->cmdSalva(), Qt::LeftButton);
    ASSERT_EQ(desk->prompts(), QStringList{u"Esiste già un elemento con lo stesso codice."_s});
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbCritical);
    ASSERT_EQ(shown(), unit);
    typeAndLeave(unit->txtData[0], u"ps "_s);
    QTest::mouseClick(unit->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(queryColumn(database, u"SELECT Codice || '|' || Descrizione FROM Liste WHERE Chiave='um' ORDER BY Id"_s),
              (QStringList{u"PZ|Pezzi"_s, u"KG|Chilogrammi"_s, u"PS|Pezzi sfusi"_s}));
    EXPECT_EQ(refreshes, 2);
}

// What the record windows share, driven through the unit, category, VAT
// code and customer windows: keys and focus, input rules, and the save
// meeting other users, a read-only or locked database and vanished rows.
#include "RecordsFixture.h"

#include "records/FinestraCliFor.h"
#include "records/FinestraListe.h"
#include "records/frm_io_IVA.h"

#include <QCheckBox>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPointer>

using namespace recordstest;
using namespace Qt::StringLiterals;
using platform::Variant;

namespace {

using FinestraTest = RecordWindowTest;

const QString Modificata = u"La registrazione è stata modificata o eliminata da un'altro utente."_s;
const QString Occupato = u"Il database è in uso da un altro utente. Riprovare più tardi."_s;

QString focused()
{
    const QWidget *widget = QApplication::focusWidget();
    return widget ? widget->objectName() : QString();
}

// Fills every text box of a window that can be edited, leaving each.
void fillAll(const QWidget *window)
{
    for (QLineEdit *edit : window->findChildren<QLineEdit *>())
        if (edit->isEnabled())
            typeAndLeave(edit, u"1"_s);
}

// The windows, each on a new record and on one of the test's rows.
struct Finestra
{
    QString name;
    Variant key;
};
const Finestra Finestre[] = {
    {u"frm_io_IVA"_s, u"22"_s},
    {u"frm_io_UM"_s, 2},
    {u"frm_io_Cat"_s, 4},
    {u"frm_io_Clienti"_s, 1},
    {u"frm_io_Fornitori_01"_s, 2},
};

} // namespace

TEST_F(FinestraTest, EnterMovesOnInTabOrderAndEscDiscards)
{
    const QStringList customer{u"txtData0"_s, u"txtData1"_s, u"txtData2"_s, u"txtData3"_s, u"txtData4"_s,
                               u"txtData5"_s, u"txtData6"_s, u"txtData7"_s, u"txtData8"_s, u"txtData9"_s,
                               u"txtData10"_s, u"cmdSalva"_s, u"cmdAnnulla"_s};
    const struct
    {
        QString name;
        QStringList order; // from the first box, Enter on boxes, Tab on buttons
    } cases[] = {
        {u"frm_io_IVA"_s, {u"txtData0"_s, u"txtData1"_s, u"chkData0"_s, u"txtData2"_s, u"chkData1"_s,
                           u"cmdSalva"_s, u"cmdAnnulla"_s, u"txtData0"_s}},
        {u"frm_io_UM"_s, {u"txtData0"_s, u"txtData1"_s, u"chkData0"_s, u"cmdSalva"_s, u"cmdAnnulla"_s,
                          u"txtData0"_s}},
        {u"frm_io_Cat"_s, {u"txtData0"_s, u"cmdSalva"_s, u"cmdAnnulla"_s, u"chkData0"_s, u"txtData0"_s}},
        {u"frm_io_Clienti"_s, customer},
        {u"frm_io_Fornitori_01"_s, customer},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        QPointer<FinestraRecord> window = openNew<FinestraRecord>(c.name);
        ASSERT_TRUE(window);
        // The boxes that must not be left empty hold something.
        for (QLineEdit *edit : window->findChildren<QLineEdit *>())
            edit->setText(u"7"_s);
        // The first box has the focus when the window opens.
        QStringList walked{focused()};
        while (walked.size() < c.order.size()) {
            QWidget *at = QApplication::focusWidget();
            QTest::keyClick(at, qobject_cast<QPushButton *>(at) ? Qt::Key_Tab : Qt::Key_Return);
            walked << focused();
        }
        EXPECT_EQ(walked, c.order);
        if (auto *notes = window->findChild<QPlainTextEdit *>()) {
            EXPECT_TRUE(notes->toPlainText().isEmpty());
        }

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        settle();
        EXPECT_TRUE(window.isNull());
    }
    EXPECT_EQ(cell(u"SELECT (SELECT COUNT(*) FROM CodiciIVA) || (SELECT COUNT(*) FROM Liste) || "
                   "(SELECT COUNT(*) FROM CliFor)"_s),
              u"242"_s);
    EXPECT_EQ(refreshes, 0);
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(FinestraTest, EscCancelsAnExistingRecordModalOrNot)
{
    auto *unit = openKey<frm_io_UM>(u"frm_io_UM"_s, 2);
    ASSERT_TRUE(unit);
    EXPECT_FALSE(unit->txtData[0]->isEnabled());
    EXPECT_EQ(focused(), u"txtData1"_s);
    typeAndLeave(unit->txtData[1], u"Chili"_s);
    QTest::keyClick(unit->txtData[1], Qt::Key_Escape);
    settle();
    EXPECT_EQ(shown(), nullptr);

    Variant result = 1;
    frm_io_IVA vat;
    onModal<frm_io_IVA>([&] { result = vat.Apri(u"22"_s, 1); }, [](frm_io_IVA *w) {
        typeAndLeave(w->txtData[1], u"Altra"_s);
        QTest::keyClick(w->txtData[1], Qt::Key_Escape);
    });
    EXPECT_TRUE(result.isNull());
    EXPECT_TRUE(vat.Risultato().isNull());
    EXPECT_EQ(cell(u"SELECT (SELECT Descrizione FROM Liste WHERE Id=2) || (SELECT Descrizione FROM CodiciIVA "
                   "WHERE CodiceIVA='22')"_s),
              u"ChilogrammiOrdinaria"_s);
    EXPECT_EQ(refreshes, 0);
}

TEST_F(FinestraTest, TextBoxesSelectTheirTextAndTakeTheColumnsSize)
{
    const struct
    {
        QString name;
        QList<int> sizes; // txtData0, txtData1, ... (32767: no limit)
    } cases[] = {
        {u"frm_io_IVA"_s, {10, 50, 32767}},
        {u"frm_io_UM"_s, {10, 50}},
        {u"frm_io_Cat"_s, {50}},
        {u"frm_io_Clienti"_s, {100, 100, 10, 50, 5, 20, 30, 30, 30, 100}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        FinestraRecord *window = openNew<FinestraRecord>(c.name);
        ASSERT_TRUE(window);
        for (int i = 0; i < c.sizes.size(); ++i)
            EXPECT_EQ(child<QLineEdit>(window, u"txtData%1"_s.arg(i))->maxLength(), c.sizes[i]) << i;
        window->cmdAnnulla_Click();
    }

    auto *customer = openKey<frm_io_Clienti>(u"frm_io_Clienti"_s, 1);
    ASSERT_TRUE(customer);
    QLineEdit *address = customer->txtData[1];
    // Pasted text is cut at the column's size too.
    QApplication::clipboard()->setText(QString(120, u'x'));
    QTest::keyClick(address, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(address->text().size(), 100);
    address->setText(u"Via Roma 1"_s);
    QTest::mouseClick(customer->txtData[0], Qt::LeftButton);
    QTest::mouseClick(address, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(address->selectedText(), u"Via Roma 1"_s);
    address->deselect();
    customer->txtData[0]->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(customer->txtData[0], Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(address->selectedText(), u"Via Roma 1"_s);
}

TEST_F(FinestraTest, CodesAreUpperCaseWithoutQuotesTypedOrPastedAndRatesMustBeNumbers)
{
    auto *vat = openNew<frm_io_IVA>(u"frm_io_IVA"_s);
    ASSERT_TRUE(vat);
    QLineEdit *code = vat->txtData[0];
    QLineEdit *rate = vat->txtData[2];
    code->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(code, u"r'i"_s);
    QApplication::clipboard()->setText(u"d'o't"_s);
    QTest::keyClick(code, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(code->text(), u"RIDOT"_s);
    typeAndLeave(vat->txtData[1], u"Ridotta"_s);

    // Empty, or pasted letters (typed ones are dropped): the focus stays.
    const auto leaveRate = [&](const QString &paste) {
        rate->setFocus(Qt::OtherFocusReason);
        rate->clear();
        QTest::keyClicks(rate, u"ab"_s);
        QApplication::clipboard()->setText(paste);
        QTest::keyClick(rate, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(rate, Qt::Key_Tab);
        QApplication::processEvents();
        return focused();
    };
    EXPECT_EQ(leaveRate({}), u"txtData2"_s);
    EXPECT_EQ(leaveRate(u"4x"_s), u"txtData2"_s);
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(focused(), u"txtData2"_s);
    EXPECT_TRUE(vat->isVisible());

    rate->clear();
    QTest::keyClicks(rate, u"4.5"_s);
    EXPECT_EQ(rate->text(), u"4,5"_s);
    QTest::keyClick(rate, Qt::Key_Tab);
    EXPECT_EQ(rate->text(), u"4,50"_s);
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(cell(u"SELECT Descrizione || '|' || Aliquota FROM CodiciIVA WHERE CodiceIVA='RIDOT'"_s),
              u"Ridotta|4.5"_s);
    EXPECT_TRUE(desk->msgBoxes().empty());
    EXPECT_EQ(refreshes, 1);
}

TEST_F(FinestraTest, TheSecondOfTwoEditsOfARowMeetsTheConflictAndTheFirstStays)
{
    // Two users on the same customer: the first saves, the second, modal, fails.
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
    EXPECT_EQ(desk->prompts(), QStringList{Modificata + u"\r\nLe modifiche effettuate non verranno salvate."_s});
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbOKOnly);
    EXPECT_EQ(cell(u"SELECT Nome FROM CliFor WHERE IdCliFor=1"_s), u"Bianchi Maria"_s);
    EXPECT_EQ(refreshes, 2);
}

TEST_F(FinestraTest, ADuplicateCodeSavedMeanwhileKeepsTheInputForASecondSave)
{
    auto *vat = openNew<frm_io_IVA>(u"frm_io_IVA"_s);
    ASSERT_TRUE(vat);
    typeInto(vat, {u"10"_s, u"Ridotta"_s, u"10"_s});
    runSql(database, u"INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota) VALUES ('10', 'Altra', 5)"_s);
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    ASSERT_EQ(desk->prompts(), QStringList{u"Esiste già un elemento con lo stesso codice."_s});
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbCritical);
    ASSERT_EQ(shown(), vat);
    EXPECT_EQ(vat->txtData[1]->text(), u"Ridotta"_s);
    EXPECT_EQ(cell(u"SELECT Descrizione || Aliquota FROM CodiciIVA WHERE CodiceIVA='10'"_s), u"Altra5.0"_s);
    EXPECT_EQ(refreshes, 0);

    typeAndLeave(vat->txtData[0], u"10R"_s);
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(cell(u"SELECT Descrizione || Aliquota FROM CodiciIVA WHERE CodiceIVA='10R'"_s), u"Ridotta10.0"_s);
    EXPECT_EQ(shown(), nullptr);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(FinestraTest, ALockedOrReadOnlyDatabaseIsReportedAndKeepsItsContent)
{
    const QStringList before = dumpDatabase(database);
    for (const Finestra &f : Finestre) {
        for (const Variant &key : {Variant(), f.key}) {
            SCOPED_TRACE((f.name + u' ' + key.toString()).toStdString());
            const auto open = [&] {
                return key.isEmpty() ? openNew<FinestraRecord>(f.name) : openKey<FinestraRecord>(f.name, key);
            };
            desk->clear();
            {
                // Another program holds the whole file: no window.
                AltroProgramma other(database);
                EXPECT_EQ(open(), nullptr);
                EXPECT_EQ(desk->prompts(), QStringList{Occupato});
            }
            {
                // Another program is writing: the window opens, its save waits.
                FinestraRecord *window = open();
                ASSERT_TRUE(window);
                fillAll(window);
                AltroProgramma other(database, false);
                window->cmdSalva_Click();
                EXPECT_EQ(shown(), window);
                window->cmdAnnulla_Click();
            }
            {
                ReadOnlyFile readOnly(database);
                FinestraRecord *window = open();
                ASSERT_TRUE(window);
                fillAll(window);
                window->cmdSalva_Click();
                EXPECT_EQ(shown(), window);
                window->cmdAnnulla_Click();
            }
            EXPECT_EQ(desk->prompts(),
                      (QStringList{Occupato, Occupato,
                                   u"Il database è di sola lettura: le modifiche non possono essere salvate."_s}));
            settle();
        }
    }
    EXPECT_EQ(dumpDatabase(database), before);
    EXPECT_EQ(refreshes, 0);
}

TEST_F(FinestraTest, ARowDeletedMeanwhileOpensNoWindow)
{
    runSql(database, u"DELETE FROM CodiciIVA; DELETE FROM Liste; DELETE FROM CliFor"_s);
    for (const Finestra &f : Finestre) {
        SCOPED_TRACE(f.name.toStdString());
        desk->clear();
        EXPECT_EQ(openKey<FinestraRecord>(f.name, f.key), nullptr);
        EXPECT_EQ(desk->prompts(), QStringList{Modificata});
    }
    EXPECT_EQ(refreshes, 5);

    frm_io_UM unit;
    EXPECT_TRUE(unit.Apri(2, 1).isNull());
    EXPECT_EQ(refreshes, 6);
}

// What the record windows share, driven through the VAT code, unit,
// category, customer and supplier windows: keys and focus, input rules, the
// key handed back, and the save meeting other users, a read-only or locked
// database and vanished rows.
#include "RecordsFixture.h"

#include "records/FinestraCliFor.h"
#include "records/FinestraListe.h"
#include "records/frm_io_IVA.h"

#include <QClipboard>
#include <QPlainTextEdit>
#include <QPointer>

using namespace recordstest;
using namespace Qt::StringLiterals;
using platform::Variant;

namespace {

using FinestraTest = SampleRowsTest;

const QString Modificata = u"La registrazione è stata modificata o eliminata da un'altro utente."_s;
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

// Each window with the key of one of the sample rows and a key of none.
const std::tuple<QString, Variant, Variant> Finestre[] = {
    {u"frm_io_IVA"_s, u"22"_s, u"XX"_s}, {u"frm_io_UM"_s, 2, 9}, {u"frm_io_Cat"_s, 4, 9},
    {u"frm_io_Clienti"_s, 1, 9},         {u"frm_io_Fornitori_01"_s, 2, 9},
};

} // namespace

TEST_F(FinestraTest, EnterMovesOnInTabOrderFromTheFirstFieldAndEscDiscards)
{
    QStringList customer;
    for (int i = 0; i <= 10; ++i)
        customer << u"txtData%1"_s.arg(i);
    customer << u"cmdSalva"_s << u"cmdAnnulla"_s << u"txtData0"_s;
    const QList<int> customerSizes{100, 100, 10, 50, 5, 20, 30, 30, 30, 100};
    const struct
    {
        QString name;
        Variant key;
        QString title;
        QStringList order; // Enter on the fields, Tab on the buttons
        QList<int> sizes;  // txtData0, txtData1, ... (32767: no limit)
    } cases[] = {
        {u"frm_io_IVA"_s, {}, u"Codici IVA"_s,
         u"txtData0 txtData1 chkData0 txtData2 chkData1 cmdSalva cmdAnnulla txtData0"_s.split(u' '), {10, 50, 32767}},
        {u"frm_io_UM"_s, 2, u"Unità di Misura"_s, u"txtData1 chkData0 cmdSalva cmdAnnulla txtData1"_s.split(u' '),
         {10, 50}},
        {u"frm_io_Cat"_s, {}, u"Categorie Articoli"_s, u"txtData0 cmdSalva cmdAnnulla chkData0 txtData0"_s.split(u' '),
         {50}},
        {u"frm_io_Clienti"_s, 1, u"Bianchi Mario (cliente)"_s, customer, customerSizes},
        {u"frm_io_Fornitori_01"_s, {}, u"Nuovo fornitore"_s, customer, customerSizes},
    };
    const QStringList before = dumpDatabase(database);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        QPointer<FinestraRecord> window = c.key.isEmpty() ? openNew(c.name) : openKey(c.name, c.key);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->windowTitle(), c.title);
        QList<int> sizes;
        for (int i = 0; i < c.sizes.size(); ++i)
            sizes << child<QLineEdit>(window, u"txtData%1"_s.arg(i))->maxLength();
        EXPECT_EQ(sizes, c.sizes);
        // Every box holds something, so that none refuses to be left.
        for (QLineEdit *edit : window->findChildren<QLineEdit *>())
            edit->setText(u"7"_s);
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
    EXPECT_EQ(dumpDatabase(database), before);
    EXPECT_EQ(refreshes, 0);
}

TEST_F(FinestraTest, CodesAreUpperCaseWithoutQuotesRatesAreNumbersAndADuplicateKeepsTheInput)
{
    auto *vat = openNew<frm_io_IVA>(u"frm_io_IVA"_s);
    ASSERT_TRUE(vat);
    QTest::keyClicks(vat->txtData[0], u"r'i"_s);
    paste(vat->txtData[0], u"d'o't"_s);
    EXPECT_EQ(vat->txtData[0]->text(), u"RIDOT"_s);
    typeAndLeave(vat->txtData[1], u"Ridotta"_s);

    // Empty, or letters pasted (typed ones are dropped): the focus stays,
    // also against a click on Salva.
    QLineEdit *rate = vat->txtData[2];
    for (const QString &text : {QString(), u"4x"_s}) {
        rate->setFocus();
        rate->clear();
        QTest::keyClicks(rate, u"ab"_s);
        paste(rate, text);
        QTest::keyClick(rate, Qt::Key_Tab);
        QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(focused(), u"txtData2"_s);
    }
    rate->clear();
    QTest::keyClicks(rate, u"4.5"_s);
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
    EXPECT_EQ(refreshes, 0);
    typeAndLeave(vat->txtData[0], u"RIDOTTA"_s);
    QTest::mouseClick(vat->cmdSalva(), Qt::LeftButton);
    EXPECT_EQ(queryColumn(database, u"SELECT CodiceIVA || '|' || Descrizione || '|' || IfNull(Aliquota, '') "
                                    "FROM CodiciIVA WHERE CodiceIVA LIKE 'RID%' ORDER BY 1"_s),
              (QStringList{u"RIDOTTA|Ridotta|4.5"_s, u"ridot|Altra|"_s}));
    EXPECT_EQ(shown(), nullptr);
    EXPECT_EQ(refreshes, 1);
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
                   "(SELECT COUNT(*) FROM CliFor)"_s),
              u"363"_s);
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
    const QStringList before = dumpDatabase(database);
    // Fills every box the window lets edit and saves: the save fails and
    // the window stays.
    const auto saveFails = [](FinestraRecord *window) {
        ASSERT_TRUE(window);
        for (QLineEdit *edit : window->findChildren<QLineEdit *>())
            if (edit->isEnabled())
                typeAndLeave(edit, u"1"_s);
        EXPECT_FALSE(window->cmdSalva_Click());
        EXPECT_EQ(shown(), window);
        window->cmdAnnulla_Click();
    };
    for (const auto &[name, existing, missing] : Finestre) {
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
    EXPECT_EQ(refreshes, 6);
    EXPECT_EQ(dumpDatabase(database), before);
}

// The customer and supplier windows: the title that follows the name, the
// name that cannot be left empty and the status-bar hints.
#include "RecordsFixture.h"

#include "records/FinestraCliFor.h"

#include <QLabel>
#include <QPlainTextEdit>

using namespace recordstest;
using namespace Qt::StringLiterals;

namespace {

using CliForTest = SampleRowsTest;

} // namespace

TEST_F(CliForTest, TheTitleFollowsTheNameAndTheTextsAreStoredAsTyped)
{
    const std::pair<QString, QString> kinds[] = {{u"frm_io_Clienti"_s, u"Cliente"_s},
                                                 {u"frm_io_Fornitori_01"_s, u"Fornitore"_s}};
    for (const auto &[name, kind] : kinds) {
        auto *window = openNew<FinestraCliFor>(name);
        ASSERT_TRUE(window);
        typeInto(window, {u"verdi & c. snc"_s, u"via po, 3"_s});
        EXPECT_EQ(window->windowTitle(), u"verdi & c. snc (%1)"_s.arg(kind.toLower()));
        window->txtNote->setFocus();
        QTest::keyClicks(window->txtNote, u"prima"_s);
        window->txtNote->appendPlainText(u"seconda"_s);
        QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
    }
    EXPECT_EQ(queryColumn(database, u"SELECT Tipo || '|' || Nome || '|' || Indirizzo || '|' || Note FROM CliFor "
                                    "WHERE IdCliFor > 2"_s),
              (QStringList{u"Cliente|verdi & c. snc|via po, 3|prima\nseconda"_s,
                           u"Fornitore|verdi & c. snc|via po, 3|prima\nseconda"_s}));
    EXPECT_EQ(refreshes, 2);
}

TEST_F(CliForTest, TheNameCannotBeLeftEmptyNotEvenBySalva)
{
    for (int key : {0, 1}) {
        auto *window = key ? openKey<FinestraCliFor>(u"frm_io_Clienti"_s, key)
                           : openNew<FinestraCliFor>(u"frm_io_Clienti"_s);
        ASSERT_TRUE(window);
        const QString title = window->windowTitle();
        // Blanks are no name either.
        typeAndLeave(window->txtData[0], key ? u"  "_s : QString());
        for (QWidget *target : {static_cast<QWidget *>(window->txtData[5]), static_cast<QWidget *>(window->cmdSalva())}) {
            QTest::mouseClick(target, Qt::LeftButton);
            QApplication::processEvents();
            EXPECT_EQ(QApplication::focusWidget(), window->txtData[0]);
        }
        EXPECT_EQ(shown(), window);
        EXPECT_EQ(window->windowTitle(), title);
        window->cmdAnnulla_Click();
    }
    EXPECT_EQ(cell(u"SELECT group_concat(Nome) FROM CliFor"_s), u"Bianchi Mario,Rossi Srl"_s);
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(CliForTest, EachBoxSelectsItsTextAndShowsItsHintInTheStatusBar)
{
    auto *window = openKey<FinestraCliFor>(u"frm_io_Clienti"_s, 1);
    ASSERT_TRUE(window);
    // The name box has the focus when the window opens.
    QStringList hints{window->Pannello(1)->text()};
    window->Pannello(2)->setText(u"vecchio"_s);
    QList<QWidget *> boxes(window->txtData.begin() + 1, window->txtData.end());
    for (QWidget *box : boxes << window->txtNote) {
        QTest::mouseClick(box, Qt::LeftButton);
        hints << window->Pannello(1)->text() + window->Pannello(2)->text();
    }
    QTest::keyClick(window->txtNote, Qt::Key_Tab);
    hints << window->Pannello(1)->text() + window->Pannello(2)->text();
    EXPECT_EQ(hints, (QStringList{u"Nominativo (se privato) o Ragione Sociale (se azienda)"_s,
                                  u"Indirizzo (Via, Piazza etc.)"_s, u"Codice di avviamento postale"_s,
                                  u"Località"_s, u"Provincia"_s,
                                  u"Codice Fiscale (se privato) o Partita IVA (se azienda)"_s, u"Telefono fisso"_s,
                                  u"Cellulare"_s, u"Fax"_s, u"Indirizzo di posta elettronica"_s, u"Note"_s, {}}));
    // A click selects the whole text; Esc from the notes box discards the edit.
    QTest::mouseClick(window->txtData[1], Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(window->txtData[1]->selectedText(), u"Via Roma 1"_s);
    window->txtNote->setFocus();
    QTest::keyClicks(window->txtNote, u"nota"_s);
    QTest::keyClick(window->txtNote, Qt::Key_Escape);
    EXPECT_EQ(shown(), nullptr);
    EXPECT_EQ(cell(u"SELECT IfNull(Note, 'vuote') FROM CliFor WHERE IdCliFor=1"_s), u"vuote"_s);
}

// The customer and supplier windows: titles that follow the name, the name
// that cannot be left empty, the status-bar hints and the id handed back.
#include "RecordsFixture.h"

#include "records/FinestraCliFor.h"

#include <QLabel>
#include <QPlainTextEdit>

using namespace recordstest;
using namespace Qt::StringLiterals;
using platform::Variant;

namespace {

using CliForTest = RecordWindowTest;

} // namespace

TEST_F(CliForTest, TitlesFollowTheNameAndTheTextsAreStoredAsTyped)
{
    const struct
    {
        QString name;
        QString newTitle;
        QString suffix;
        QString kind;
        int existing;
        QString existingTitle;
    } cases[] = {
        {u"frm_io_Clienti"_s, u"Clienti"_s, u" (cliente)"_s, u"Cliente"_s, 1, u"Bianchi Mario (cliente)"_s},
        {u"frm_io_Fornitori_01"_s, u"Nuovo fornitore"_s, u" (fornitore)"_s, u"Fornitore"_s, 2,
         u"Rossi Srl (fornitore)"_s},
    };
    int id = 2;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        auto *window = openNew<FinestraCliFor>(c.name);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->windowTitle(), c.newTitle);
        typeAndLeave(window->txtData[0], u"verdi & c. snc"_s);
        EXPECT_EQ(window->windowTitle(), u"verdi & c. snc"_s + c.suffix);
        typeAndLeave(window->txtData[4], u"mi"_s);
        window->txtNote->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(window->txtNote, u"prima"_s);
        window->txtNote->appendPlainText(u"seconda"_s);
        QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
        EXPECT_EQ(cell(u"SELECT Tipo || '|' || Nome || '|' || Prov || '|' || Note FROM CliFor WHERE IdCliFor=%1"_s
                           .arg(++id)),
                  c.kind + u"|verdi & c. snc|mi|prima\nseconda"_s);

        window = openKey<FinestraCliFor>(c.name, c.existing);
        ASSERT_TRUE(window);
        EXPECT_EQ(window->windowTitle(), c.existingTitle);
        window->cmdAnnulla_Click();
    }
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
        EXPECT_EQ(QApplication::focusWidget(), window->txtData[0]);
        QTest::mouseClick(window->txtData[5], Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), window->txtData[0]);
        QTest::mouseClick(window->cmdSalva(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), window->txtData[0]);
        EXPECT_EQ(shown(), window);
        EXPECT_EQ(window->windowTitle(), title);
        window->cmdAnnulla_Click();
    }
    EXPECT_EQ(cell(u"SELECT group_concat(Nome) FROM CliFor"_s), u"Bianchi Mario,Rossi Srl"_s);
    EXPECT_TRUE(desk->msgBoxes().empty());
    EXPECT_EQ(refreshes, 0);
}

TEST_F(CliForTest, EachControlShowsItsHintInTheStatusBar)
{
    auto *window = openNew<FinestraCliFor>(u"frm_io_Fornitori_01"_s);
    ASSERT_TRUE(window);
    QStringList hints;
    const auto hint = [&] { hints << window->Pannello(1)->text() + window->Pannello(2)->text(); };
    hint();
    window->Pannello(2)->setText(u"vecchio"_s);
    typeAndLeave(window->txtData[0], u"Gialli Srl"_s);
    for (std::size_t i = 1; i < window->txtData.size(); ++i) {
        QTest::mouseClick(window->txtData[i], Qt::LeftButton);
        hint();
    }
    window->txtNote->setFocus(Qt::MouseFocusReason);
    hint();
    QTest::keyClick(window->txtNote, Qt::Key_Tab);
    hint();
    EXPECT_EQ(hints, (QStringList{u"Nominativo (se privato) o Ragione Sociale (se azienda)"_s,
                                  u"Indirizzo (Via, Piazza etc.)"_s, u"Codice di avviamento postale"_s,
                                  u"Località"_s, u"Provincia"_s,
                                  u"Codice Fiscale (se privato) o Partita IVA (se azienda)"_s, u"Telefono fisso"_s,
                                  u"Cellulare"_s, u"Fax"_s, u"Indirizzo di posta elettronica"_s, u"Note"_s, {}}));
    // Esc from the notes box discards the new supplier too.
    QTest::keyClick(window->txtNote, Qt::Key_Escape);
    EXPECT_EQ(shown(), nullptr);
}

TEST_F(CliForTest, ModalNewHandsBackTheNewIdAsANumber)
{
    for (bool save : {false, true}) {
        frm_io_Clienti window;
        Variant result = 1;
        onModal<frm_io_Clienti>([&] { result = window.Nuovo(1); }, [save](frm_io_Clienti *w) {
            typeAndLeave(w->txtData[0], u"Neri Luca"_s);
            if (save)
                QTest::mouseClick(w->cmdSalva(), Qt::LeftButton);
            else
                QTest::keyClick(w->txtData[1], Qt::Key_Escape);
        });
        EXPECT_EQ(result, save ? Variant(std::int32_t(3)) : Variant::null());
        EXPECT_EQ(result.type(), save ? platform::VarType::Long : platform::VarType::Null);
    }
    EXPECT_EQ(cell(u"SELECT group_concat(IdCliFor || Tipo) FROM CliFor WHERE IdCliFor > 2"_s), u"3Cliente"_s);
    EXPECT_EQ(refreshes, 0);
}

// The movement chooser of an article, opened as the stock view opens it:
// the working year's movements up to the working date, a row per line of
// the article, the date sort and header clicks, and "Apri" opening the
// movement of the current row.
#include "RecordsFixture.h"

#include "platform/grid/Grid.h"
#include "platform/grid/GridColumn.h"
#include "records/frmChooseMov.h"

#include <QHeaderView>
#include <QTableView>

using namespace recordstest;
using namespace Qt::StringLiterals;

namespace {

class ChooserTest : public RecordWindowTest
{
protected:
    void SetUp() override
    {
        RecordWindowTest::SetUp();
        MainModule::WorkDate = platform::DateTime(2031, 3, 15);
        MainModule::WorkYear = 2031;
        runSql(database, u"INSERT INTO Articoli (Codice, Descrizione) VALUES ('A1', 'Vite'), ('A2', 'Dado');"
                         "INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (1, 'Fornitore', 'Rossi Srl'), "
                         "(2, 'Cliente', 'Bianchi Mario'), (3, 'Cliente', 'Verdi Anna');"
                         "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, Descrizione, "
                         "TipoContropartita, IdContropartita) VALUES "
                         "(11, '2031-02-01', 1, 'Acquisto', 'Fattura 12', 'Fornitore', 1), "
                         "(12, '2031-03-10', 2, 'Vendita', 'DDT 5', 'Cliente', 2), "
                         "(13, '2031-01-20', 3, 'Vendita', 'DDT 7', 'Cliente', 3), "
                         "(14, '2031-03-16', 4, 'Vendita', 'Domani', 'Cliente', 2), "
                         "(15, '2030-12-31', 9, 'Carico', 'Anno prima', 'Deposito', NULL), "
                         "(16, '2031-03-15', 5, 'Carico', 'Oggi', 'Deposito', NULL);"
                         "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno) VALUES "
                         "(11, 10, 'A1', 5, 1), (12, 10, 'A1', 1, -1), (12, 20, 'A2', 1, -1), (13, 10, 'A1', 2, -1), "
                         "(14, 10, 'A1', 1, -1), (15, 10, 'A1', 1, 1), (16, 10, 'A2', 3, 1), (16, 20, 'A2', 4, 1);"_s);
        // The movement window as a stand-in that notes what it is asked.
        WindowRegistry::Voce movimento;
        movimento.Apri = [this](const platform::Variant &key) { aperti << key.toInt32(); };
        WindowRegistry::Registra(u"frm_io_MovMag_01"_s, movimento);
    }

    // Opens the chooser of an article as the main window does and acts on
    // it while it waits.
    void scegli(const QString &codice, const std::function<void(frmChooseMov *)> &action)
    {
        onModal<frmChooseMov>([codice] { WindowRegistry::Apri(u"frmChooseMov"_s, codice); }, action);
        settle();
        for (QWidget *widget : QApplication::topLevelWidgets())
            EXPECT_EQ(qobject_cast<frmChooseMov *>(widget), nullptr);
    }

    // The texts of a column, top to bottom.
    static QStringList colonna(const frmChooseMov *chooser, int column)
    {
        QStringList texts;
        for (int row = 1; row <= chooser->gex->rowCount(); ++row)
            texts << chooser->gex->textAt(row, column);
        return texts;
    }

    static void clickHeader(const frmChooseMov *chooser, int column)
    {
        QHeaderView *header = chooser->gex->view()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column - 1) + header->sectionSize(column - 1) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    QList<int> aperti;
};

} // namespace

TEST_F(ChooserTest, ListsTheYearsMovementsOfTheArticleByDateAndHeaderClicksToggleTheSort)
{
    scegli(u"A1"_s, [](frmChooseMov *chooser) {
        // Bought once and sold twice this year; neither last year's load
        // nor tomorrow's sale.
        EXPECT_EQ(colonna(chooser, 1), (QStringList{u"20/01/2031"_s, u"01/02/2031"_s, u"10/03/2031"_s}));
        EXPECT_EQ(colonna(chooser, 2), (QStringList{u"13"_s, u"11"_s, u"12"_s}));
        EXPECT_EQ(colonna(chooser, 7), (QStringList{u"Verdi Anna"_s, u"Rossi Srl"_s, u"Bianchi Mario"_s}));
        EXPECT_EQ(chooser->gex->textAt(2, 4) + u'|' + chooser->gex->textAt(2, 5) + u'|' + chooser->gex->textAt(2, 6),
                  u"Fattura 12|Acquisto|Fornitore"_s);
        EXPECT_TRUE(chooser->gex->view()->hasFocus());

        clickHeader(chooser, 1);
        EXPECT_EQ(colonna(chooser, 2), (QStringList{u"12"_s, u"11"_s, u"13"_s}));
        clickHeader(chooser, 1);
        // Any column after an ascending sort goes descending.
        clickHeader(chooser, 5);
        EXPECT_EQ(colonna(chooser, 5), (QStringList{u"Vendita"_s, u"Vendita"_s, u"Acquisto"_s}));
        QTest::keyClick(chooser->gex->view(), Qt::Key_Escape);
    });
    EXPECT_TRUE(aperti.isEmpty());
}

// The working day counts whole: a movement of today with a time of day,
// up to its last second, is listed; tomorrow's is not.
TEST_F(ChooserTest, TheWorkingDayCountsWholeWhateverTheTimeOfItsMovements)
{
    runSql(database, u"INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale, TipoContropartita) VALUES "
                     "(17, '2031-03-15 23:59:59', 6, 'Scarico', 'Deposito');"
                     "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno) VALUES "
                     "(17, 10, 'A1', 1, -1);"_s);
    scegli(u"A1"_s, [](frmChooseMov *chooser) {
        EXPECT_EQ(colonna(chooser, 2), (QStringList{u"13"_s, u"11"_s, u"12"_s, u"17"_s}));
        QTest::keyClick(chooser->gex->view(), Qt::Key_Escape);
    });
}

TEST_F(ChooserTest, EachWayOfOpeningOpensTheMovementOfTheCurrentRowAndEndsTheChooser)
{
    // A movement with two lines of the article is listed twice; one of the
    // working date is listed. Each way opens its row's movement.
    const std::pair<int, std::function<void(frmChooseMov *)>> ways[] = {
        {1, [](frmChooseMov *c) { QTest::keyClick(c->gex->view(), Qt::Key_Return); }},
        {3, [](frmChooseMov *c) {
             const QPoint at = c->gex->view()->visualRect(c->gex->model()->index(2, 2)).center();
             QTest::mouseClick(c->gex->view()->viewport(), Qt::LeftButton, {}, at);
             QTest::mouseDClick(c->gex->view()->viewport(), Qt::LeftButton, {}, at);
         }},
        {2, [](frmChooseMov *c) { QTest::mouseClick(c->cmdOpen, Qt::LeftButton); }},
    };
    for (const auto &[row, way] : ways) {
        scegli(u"A2"_s, [&](frmChooseMov *chooser) {
            EXPECT_EQ(colonna(chooser, 2), (QStringList{u"12"_s, u"16"_s, u"16"_s}));
            chooser->gex->setRow(row);
            way(chooser);
        });
    }
    EXPECT_EQ(aperti, (QList<int>{12, 16, 16}));
}

TEST_F(ChooserTest, WithoutRowsApriDoesNothingAndAnUnreadableDatabaseIsToldWithoutAChooser)
{
    scegli(u"A9"_s, [](frmChooseMov *chooser) {
        EXPECT_EQ(chooser->gex->rowCount(), 0);
        QTest::mouseClick(chooser->cmdOpen, Qt::LeftButton);
        QTest::keyClick(chooser->gex->view(), Qt::Key_Return);
        EXPECT_TRUE(chooser->isVisible());
        QTest::mouseClick(chooser->cmdCancel, Qt::LeftButton);
    });
    EXPECT_TRUE(aperti.isEmpty());
    EXPECT_TRUE(desk->msgBoxes().empty());

    const AltroProgramma altro(database);
    WindowRegistry::Apri(u"frmChooseMov"_s, u"A1"_s);
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbCritical);
    EXPECT_FALSE(desk->msgBoxes()[0].prompt.isEmpty());
    EXPECT_TRUE(aperti.isEmpty());
}

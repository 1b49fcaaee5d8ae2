// The columns dialog and the format dialog: which columns the grid shows
// and in what order, and its header and row fonts.
#include "common/comfrmShowfields.h"
#include "common/comfrmTableview.h"

#include "GridTestSupport.h"
#include "ModalCall.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList itemsOf(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

void clickItem(QListWidget *list, int row, bool twice = false)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

class ColumnDialogs : public gridtest::SampleGridTest
{
protected:
    void SetUp() override
    {
        bind(QStringLiteral("SELECT Codice, Descrizione, Categoria, Costo, UM FROM Articoli"));
        grid.column(3)->setVisible(false);
        grid.column(4)->setWidth(0);
        // A column without a key is nobody's business here.
        grid.column(5)->setKey(QString());
    }

    bool showFields(std::function<void(comfrmShowfields *)> action)
    {
        bool answer = false;
        testsupport::callModal<comfrmShowfields>([&] { answer = comfrmShowfields::ShowFields(grid); }, action);
        return answer;
    }

    void formatGrid(std::function<void(comfrmTableview *)> action)
    {
        testsupport::callModal<comfrmTableview>([this] { comfrmTableview::FormatGrid(grid); }, action);
    }

    // The keys of the shown columns, left to right.
    QStringList shownColumns()
    {
        QStringList keys;
        for (const platform::GridColumn *c : grid.columns().inDisplayOrder()) {
            if (c->visible())
                keys << (c->key().isEmpty() ? QStringLiteral("-") : c->key());
        }
        return keys;
    }

    platform::ScopedScriptedDesktop desktop;
};

} // namespace

TEST_F(ColumnDialogs, TheListsHoldTheColumnsByKeyAndTheLastShownColumnStays)
{
    bool answer = showFields([](comfrmShowfields *d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Visualizza/Nascondi i Campi"));
        EXPECT_EQ(itemsOf(d->lstAvail), (QStringList{QStringLiteral("Categoria"), QStringLiteral("Costo")}));
        EXPECT_EQ(itemsOf(d->lstVisible), (QStringList{QStringLiteral("Codice"), QStringLiteral("Descrizione")}));
        EXPECT_EQ(d->lstAvail->currentRow(), 0);
        EXPECT_EQ(d->lstVisible->currentRow(), 0);
        EXPECT_FALSE(d->cmdUp->isEnabled());
        EXPECT_TRUE(d->cmdDown->isEnabled());
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    });
    EXPECT_FALSE(answer);
    EXPECT_EQ(shownColumns(), (QStringList{QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("-")}));

    grid.column(2)->setVisible(false);
    answer = showFields([](comfrmShowfields *d) {
        ASSERT_EQ(itemsOf(d->lstVisible), QStringList{QStringLiteral("Codice")});
        QTest::mouseClick(d->cmdRemove, Qt::LeftButton);
        clickItem(d->lstVisible, 0, true);
        EXPECT_EQ(itemsOf(d->lstVisible), QStringList{QStringLiteral("Codice")});
        EXPECT_EQ(d->lstAvail->count(), 3);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_TRUE(answer);
    EXPECT_EQ(shownColumns(), (QStringList{QStringLiteral("Codice"), QStringLiteral("-")}));
}

TEST_F(ColumnDialogs, OkShowsTheRightHandColumnsInTheirOrder)
{
    const bool answer = showFields([](comfrmShowfields *d) {
        // Costo is taken with a double click, Categoria with the button.
        clickItem(d->lstAvail, 1, true);
        EXPECT_EQ(itemsOf(d->lstVisible), (QStringList{QStringLiteral("Codice"), QStringLiteral("Descrizione"),
                                                       QStringLiteral("Costo")}));
        EXPECT_EQ(d->lstVisible->currentRow(), 2);
        // The one left in the list is selected.
        EXPECT_EQ(d->lstAvail->currentRow(), 0);
        QTest::mouseClick(d->cmdAdd, Qt::LeftButton);
        EXPECT_EQ(d->lstAvail->count(), 0);
        EXPECT_FALSE(d->cmdAdd->isEnabled());
        EXPECT_EQ(d->lstVisible->currentItem()->text(), QStringLiteral("Categoria"));
        // The last item cannot go down; up twice.
        EXPECT_FALSE(d->cmdDown->isEnabled());
        QTest::mouseClick(d->cmdUp, Qt::LeftButton);
        QTest::mouseClick(d->cmdUp, Qt::LeftButton);
        EXPECT_EQ(itemsOf(d->lstVisible), (QStringList{QStringLiteral("Codice"), QStringLiteral("Categoria"),
                                                       QStringLiteral("Descrizione"), QStringLiteral("Costo")}));
        // Codice goes and comes back at the end.
        clickItem(d->lstVisible, 0);
        for (int i = 0; i < 4; ++i) // the last click finds the button disabled
            QTest::mouseClick(d->cmdDown, Qt::LeftButton);
        EXPECT_EQ(d->lstVisible->currentRow(), 3);
        QTest::mouseClick(d->cmdRemove, Qt::LeftButton);
        EXPECT_EQ(itemsOf(d->lstAvail), QStringList{QStringLiteral("Codice")});
        // The one before the removed last item is selected.
        EXPECT_EQ(d->lstVisible->currentRow(), 2);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_TRUE(answer);
    EXPECT_EQ(shownColumns(), (QStringList{QStringLiteral("Categoria"), QStringLiteral("Descrizione"),
                                           QStringLiteral("Costo"), QStringLiteral("-")}));
    EXPECT_FALSE(grid.column(1)->visible());
    EXPECT_EQ(grid.column(3)->position(), 1);
    EXPECT_EQ(grid.column(4)->position(), 3);
    // A column shown again from width 0 gets a width.
    EXPECT_GT(grid.column(4)->width(), 0);
    EXPECT_TRUE(grid.column(5)->visible());
}

TEST_F(ColumnDialogs, TheFormatDialogShowsTheFontsAndAppliesChosenOnesOnOk)
{
    QFont header(QStringLiteral("DejaVu Sans"));
    header.setPointSizeF(8.25);
    header.setBold(true);
    grid.setHeaderFont(header);
    QFont rows(QStringLiteral("DejaVu Serif"));
    rows.setPointSize(11);
    grid.setRowFont(rows);
    grid.setGridLineStyle(platform::GridLineStyle::Dots);
    grid.setAllowEdit(true);
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(14);
    chosen.setItalic(true);

    // The grid's fonts and settings are shown; Annulla keeps a chosen font off the grid.
    desktop->queueFont(chosen);
    formatGrid([](comfrmTableview *d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Formatta"));
        EXPECT_EQ(d->lblcurrfont[0]->text(), QStringLiteral("8 pt. DejaVu Sans"));
        EXPECT_TRUE(d->lblcurrfont[0]->font().bold());
        EXPECT_EQ(d->lblcurrfont[1]->text(), QStringLiteral("11 pt. DejaVu Serif"));
        EXPECT_TRUE(d->chkAllowed->isChecked());
        EXPECT_EQ(d->cboGridlines->currentText(), QStringLiteral("Punti"));
        QTest::mouseClick(d->cmdfont[0], Qt::LeftButton);
        EXPECT_EQ(d->lblcurrfont[0]->text(), QStringLiteral("14 pt. DejaVu Serif"));
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    });
    EXPECT_EQ(grid.headerFont(), header);

    // A cancelled font dialog changes nothing; the header font chosen goes on OK.
    const QFont rowsBefore = grid.rowFont();
    desktop->queueFont(std::nullopt);
    desktop->queueFont(chosen);
    formatGrid([](comfrmTableview *d) {
        QTest::mouseClick(d->cmdfont[1], Qt::LeftButton);
        QTest::mouseClick(d->cmdfont[0], Qt::LeftButton);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(desktop->callsOf<platform::FontCall>().at(1).initial, rowsBefore);
    EXPECT_EQ(grid.headerFont().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(grid.headerFont().pointSize(), 14);
    EXPECT_TRUE(grid.headerFont().italic());
    EXPECT_EQ(grid.rowFont(), rowsBefore);
}

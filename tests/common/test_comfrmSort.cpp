// The sort and grouping dialogs: the four levels and their cascade, the
// grid's keys shown and rewritten only when they differ, the check of an
// empty first sort level, and the grouping's expanded or collapsed start.
#include "common/comfrmGroupBy.h"
#include "common/comfrmSort.h"

#include "DataFixture.h"
#include "ModalCall.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridModel.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using platform::GridKey;
using platform::SortOrder;
using testsupport::DataFixture;

namespace {

constexpr auto Up = SortOrder::Ascending;
constexpr auto Down = SortOrder::Descending;

QStringList itemsOf(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// Picks an item of a level's list from the keyboard, as a user does: the
// focus goes to the list, Home goes to "(Vuoto)", Down walks to the item.
void choose(QComboBox *list, const QString &text)
{
    list->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < list->count() && list->currentText() != text; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentText(), text);
}

class GridDialogs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = DataFixture::createSampleDatabase();
        DataFixture::runSql(path, QStringLiteral(
            "INSERT INTO Articoli (Codice, Descrizione, Categoria, Costo, DataIns) VALUES"
            " ('C001', 'Chiodo 20', 'Edilizia', 0.01, '2024-01-02'),"
            " ('D001', 'Tassello 6', 'Edilizia', 0.3, '2024-01-02');"));
        grid.setConnectionString(DataFixture::connectionString(path));
        grid.setRecordSource(QStringLiteral("SELECT Codice, Descrizione, Categoria, Costo FROM Articoli"));
        grid.rebind();
    }

    void sortGrid(std::function<void(comfrmSort *)> action)
    {
        testsupport::callModal<comfrmSort>([this] { comfrmSort::SortGrid(grid); }, action);
    }
    void groupGrid(std::function<void(comfrmGroupBy *)> action)
    {
        testsupport::callModal<comfrmGroupBy>([this] { comfrmGroupBy::GroupGrid(grid); }, action);
    }

    std::vector<GridKey> sortKeys() { return grid.sortKeys().keys(); }
    std::vector<GridKey> groups() { return grid.groups().keys(); }

    platform::ScopedScriptedDesktop desktop;
    QString path;
    platform::Grid grid;
};

} // namespace

TEST_F(GridDialogs, TheSortDialogShowsTheGridsKeysAndWritesThemOnlyWhenChanged)
{
    grid.column(2)->setCaption(QStringLiteral("Descrizione articolo"));
    grid.sortKeys().add(2, Down);
    grid.sortKeys().add(3, Up);
    grid.rowCount();
    QSignalSpy keys(&grid, &platform::Grid::sortKeysChanged);
    QSignalSpy reset(grid.model(), &QAbstractItemModel::modelReset);
    sortGrid([](comfrmSort *d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Ordina"));
        EXPECT_EQ(d->fraLevel[0]->title(), QStringLiteral("Ordina per"));
        EXPECT_EQ(d->fraLevel[3]->title(), QStringLiteral("Quindi per"));
        // The columns are listed by key, whatever their captions.
        const QStringList all{QStringLiteral("(Vuoto)"), QStringLiteral("Codice"), QStringLiteral("Descrizione"),
                              QStringLiteral("Categoria"), QStringLiteral("Costo")};
        for (QComboBox *list : d->cboGroups)
            EXPECT_EQ(itemsOf(list), all);
        EXPECT_EQ(d->cboGroups[0]->currentText(), QStringLiteral("Descrizione"));
        EXPECT_TRUE(d->optOrder[1]->isChecked());
        EXPECT_EQ(d->cboGroups[1]->currentText(), QStringLiteral("Categoria"));
        EXPECT_TRUE(d->optOrder[2]->isChecked());
        // The level after the last key is open and empty; the one after it closed.
        EXPECT_EQ(d->cboGroups[2]->currentText(), QStringLiteral("(Vuoto)"));
        EXPECT_TRUE(d->cboGroups[2]->isEnabled() && !d->optOrder[4]->isEnabled());
        EXPECT_FALSE(d->cboGroups[3]->isEnabled());
        // Enter answers OK; without a change the grid is left alone.
        QTest::keyClick(d->cboGroups[0], Qt::Key_Return);
    });
    EXPECT_EQ(keys.count(), 0);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(sortKeys(), (std::vector<GridKey>{{2, Down}, {3, Up}}));

    sortGrid([](comfrmSort *d) {
        QTest::mouseClick(d->optOrder[0], Qt::LeftButton);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(sortKeys(), (std::vector<GridKey>{{2, Up}, {3, Up}}));
    sortGrid([](comfrmSort *d) {
        choose(d->cboGroups[1], QStringLiteral("(Vuoto)"));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(sortKeys(), (std::vector<GridKey>{{2, Up}}));
    EXPECT_EQ(grid.textAt(1, 2), QStringLiteral("Chiodo 20"));

    sortGrid([](comfrmSort *d) {
        d->cboGroups[0]->setFocus();
        QTest::mouseClick(d->cmdClearAll, Qt::LeftButton);
        EXPECT_EQ(d->cboGroups[0]->currentText(), QStringLiteral("(Vuoto)"));
        EXPECT_FALSE(d->cboGroups[1]->isEnabled());
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_TRUE(desktop->msgBoxes().empty());
    EXPECT_TRUE(sortKeys().empty());
}

TEST_F(GridDialogs, ChoosingAColumnOpensTheNextLevelEmptyClosesTheRestOkSorts)
{
    grid.sortKeys().add(1, Up);
    sortGrid([](comfrmSort *d) {
        EXPECT_FALSE(d->cboGroups[1]->currentIndex() > 0);
        EXPECT_TRUE(d->cboGroups[1]->isEnabled());
        EXPECT_FALSE(d->cboGroups[2]->isEnabled());
        choose(d->cboGroups[1], QStringLiteral("Costo"));
        EXPECT_TRUE(d->cboGroups[2]->isEnabled());
        EXPECT_TRUE(d->optOrder[3]->isEnabled());
        QTest::mouseClick(d->optOrder[3], Qt::LeftButton);
        EXPECT_TRUE(d->optOrder[3]->isChecked());
        // Another column starts over in ascending order.
        choose(d->cboGroups[1], QStringLiteral("Categoria"));
        EXPECT_TRUE(d->optOrder[2]->isChecked());
        choose(d->cboGroups[2], QStringLiteral("Descrizione"));
        EXPECT_TRUE(d->cboGroups[3]->isEnabled());
        // "(Vuoto)" on level 1 empties and closes levels 2 and 3.
        choose(d->cboGroups[1], QStringLiteral("(Vuoto)"));
        EXPECT_FALSE(d->optOrder[2]->isEnabled());
        EXPECT_EQ(d->cboGroups[2]->currentText(), QStringLiteral("(Vuoto)"));
        EXPECT_FALSE(d->cboGroups[2]->isEnabled());
        EXPECT_EQ(d->cboGroups[3]->currentText(), QStringLiteral("(Vuoto)"));
        EXPECT_FALSE(d->cboGroups[3]->isEnabled());

        // The accepted levels become the grid's sort keys.
        choose(d->cboGroups[0], QStringLiteral("Categoria"));
        choose(d->cboGroups[1], QStringLiteral("Costo"));
        QTest::mouseClick(d->optOrder[3], Qt::LeftButton);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(sortKeys(), (std::vector<GridKey>{{3, Up}, {4, Down}}));
    // Edilizia first, the dearer of its two at the top.
    EXPECT_EQ(grid.textAt(1, 1), QStringLiteral("D001"));
    EXPECT_TRUE(desktop->msgBoxes().empty());
}

TEST_F(GridDialogs, LeavingAnEmptyFirstLevelIsRefused)
{
    grid.sortKeys().add(1, Up);
    sortGrid([this](comfrmSort *d) {
        choose(d->cboGroups[0], QStringLiteral("(Vuoto)"));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QApplication::processEvents();
        ASSERT_EQ(desktop->prompts(), QStringList{QStringLiteral("Inserire almeno un Campo di ordinamento")});
        EXPECT_EQ(desktop->msgBoxes()[0].style, platform::vbOKOnly);
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(d->Accepted());
        EXPECT_EQ(QApplication::focusWidget(), d->cboGroups[0]);

        // Tab away is refused the same way.
        QTest::keyClick(d->cboGroups[0], Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(desktop->prompts().size(), 2);
        EXPECT_EQ(QApplication::focusWidget(), d->cboGroups[0]);

        // Annulla still leaves.
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    });
    EXPECT_EQ(desktop->prompts().size(), 2);
    EXPECT_EQ(sortKeys(), (std::vector<GridKey>{{1, Up}}));
}

TEST_F(GridDialogs, TheGroupDialogListsByListingNameAndLeavesOutWhatCannotBeGrouped)
{
    grid.setRecordSource(QStringLiteral("SELECT Codice, Descrizione, Categoria, Costo, Note FROM Articoli"));
    grid.rebind();
    grid.column(3)->setListName(QStringLiteral("Categoria merceologica"));
    grid.column(4)->setKind(platform::GridColumnKind::Image);
    grid.groups().add(3, Down);
    // Neither the image column nor the long text "Note" is offered.
    groupGrid([](comfrmGroupBy *d) {
        EXPECT_EQ(d->fraLevel[0]->title(), QStringLiteral("Raggruppa per"));
        EXPECT_EQ(itemsOf(d->cboExpand), (QStringList{QStringLiteral("Espandi tutto"), QStringLiteral("Unisci tutto")}));
        EXPECT_EQ(d->cboExpand->currentText(), QStringLiteral("Espandi tutto"));
        EXPECT_EQ(itemsOf(d->cboGroups[0]), (QStringList{QStringLiteral("(Vuoto)"), QStringLiteral("Codice"),
                                                         QStringLiteral("Descrizione"),
                                                         QStringLiteral("Categoria merceologica")}));
        EXPECT_EQ(d->cboGroups[0]->currentText(), QStringLiteral("Categoria merceologica"));
        EXPECT_TRUE(d->optOrder[1]->isChecked());
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    });
    EXPECT_EQ(groups(), (std::vector<GridKey>{{3, Down}}));

    // Nor a binary field.
    grid.groups().clear();
    grid.setRecordSource(QStringLiteral("SELECT k01, m01 FROM _Pars"));
    grid.rebind();
    groupGrid([](comfrmGroupBy *d) {
        EXPECT_EQ(itemsOf(d->cboGroups[0]), (QStringList{QStringLiteral("(Vuoto)"), QStringLiteral("k01")}));
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    });
}

TEST_F(GridDialogs, AcceptedGroupsAreAppliedCollapsedWhenAsked)
{
    groupGrid([](comfrmGroupBy *d) {
        choose(d->cboGroups[0], QStringLiteral("Categoria"));
        choose(d->cboExpand, QStringLiteral("Unisci tutto"));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(groups(), (std::vector<GridKey>{{3, Up}}));
    EXPECT_FALSE(grid.model()->groupsExpanded());
    // Two collapsed caption rows: Edilizia and Ferramenta.
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_TRUE(grid.isGroupCaption(1));

    // Only switching to "Espandi tutto" changes nothing.
    groupGrid([](comfrmGroupBy *d) {
        EXPECT_EQ(d->cboGroups[0]->currentText(), QStringLiteral("Categoria"));
        choose(d->cboExpand, QStringLiteral("Espandi tutto"));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_FALSE(grid.model()->groupsExpanded());
    EXPECT_EQ(grid.rowCount(), 2);

    // A second level, expanded.
    groupGrid([](comfrmGroupBy *d) {
        choose(d->cboGroups[1], QStringLiteral("Codice"));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(groups(), (std::vector<GridKey>{{3, Up}, {1, Up}}));
    EXPECT_TRUE(grid.model()->groupsExpanded());
    EXPECT_GT(grid.rowCount(), 5);

    // All levels empty removes the grouping; no check of the first level here.
    groupGrid([](comfrmGroupBy *d) {
        choose(d->cboGroups[0], QStringLiteral("(Vuoto)"));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_TRUE(desktop->msgBoxes().empty());
    EXPECT_TRUE(groups().empty());
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_FALSE(grid.isGroupCaption(1));
}

// The grid dialogs: sort and grouping (the four levels and their cascade,
// the grid's keys shown and rewritten only when they differ, the check of
// an empty first sort level, the grouping's expanded or collapsed start),
// the columns shown and their order, and the header and row fonts.
#include "common/comfrmGroupBy.h"
#include "common/comfrmShowfields.h"
#include "common/comfrmSort.h"
#include "common/comfrmTableview.h"

#include "GridTestSupport.h"
#include "ModalCall.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridModel.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using platform::GridKey;
using platform::SortOrder;
using testsupport::DataFixture;
using namespace Qt::StringLiterals;

namespace {

constexpr auto Up = SortOrder::Ascending;
constexpr auto Down = SortOrder::Descending;

QStringList itemsOf(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

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

// Each level as shown: its column, "chiuso" when it cannot be used, and its
// order ("+" ascending, "-" descending) when the order can be chosen.
QStringList levels(const comfrmGridLevels *d)
{
    QStringList shown;
    for (std::size_t i = 0; i < comfrmGridLevels::Levels; ++i) {
        const QString order = d->optOrder[2 * i + 1]->isChecked() ? u" -"_s : u" +"_s;
        shown << d->cboGroups[i]->currentText() + (d->cboGroups[i]->isEnabled() ? QString() : u" chiuso"_s)
                     + (d->optOrder[2 * i]->isEnabled() ? order : QString());
    }
    return shown;
}

class GridDialogs : public gridtest::SampleGridTest
{
protected:
    void SetUp() override
    {
        DataFixture::runSql(path, QStringLiteral(
            "INSERT INTO Articoli (Codice, Descrizione, Categoria, Costo, DataIns) VALUES"
            " ('C001', 'Chiodo 20', 'Edilizia', 0.01, '2024-01-02'),"
            " ('D001', 'Tassello 6', 'Edilizia', 0.3, '2024-01-02');"));
        bind(u"SELECT Codice, Descrizione, Categoria, Costo FROM Articoli"_s);
    }

    void sortGrid(std::function<void(comfrmSort *)> action)
    {
        testsupport::callModal<comfrmSort>([this] { comfrmSort::SortGrid(grid); }, action);
    }
    void groupGrid(std::function<void(comfrmGroupBy *)> action)
    {
        testsupport::callModal<comfrmGroupBy>([this] { comfrmGroupBy::GroupGrid(grid); }, action);
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

    std::vector<GridKey> sortKeys() { return grid.sortKeys().keys(); }
    std::vector<GridKey> groups() { return grid.groups().keys(); }

    // The grid of the columns dialog: Categoria hidden, Costo 0 wide, and a
    // column without a key, which is nobody's business there.
    void bindColumns()
    {
        bind(u"SELECT Codice, Descrizione, Categoria, Costo, UM FROM Articoli"_s);
        grid.retrieveStructure();
        grid.column(3)->setVisible(false);
        grid.column(4)->setWidth(0);
        grid.column(5)->setKey(QString());
    }
    // The keys of the shown columns, left to right.
    QStringList shownColumns()
    {
        QStringList keys;
        for (const platform::GridColumn *c : grid.columns().inDisplayOrder())
            if (c->visible())
                keys << (c->key().isEmpty() ? u"-"_s : c->key());
        return keys;
    }

    platform::ScopedScriptedDesktop desktop;
};

void clickItem(QListWidget *list, int row, bool twice = false)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

TEST_F(GridDialogs, TheSortDialogShowsTheGridsKeysWritesThemOnlyWhenChangedAndRefusesAnEmptyFirstLevel)
{
    grid.column(2)->setCaption(u"Descrizione articolo"_s);
    grid.sortKeys().add(2, Down);
    grid.sortKeys().add(3, Up);
    grid.rowCount();
    QSignalSpy keys(&grid, &platform::Grid::sortKeysChanged);
    QSignalSpy reset(grid.model(), &QAbstractItemModel::modelReset);
    sortGrid([](comfrmSort *d) {
        // The columns are listed by key, whatever their captions.
        EXPECT_EQ(itemsOf(d->cboGroups[3]),
                  (QStringList{u"(Vuoto)"_s, u"Codice"_s, u"Descrizione"_s, u"Categoria"_s, u"Costo"_s}));
        // The level after the last key is open and empty; the one after it closed.
        EXPECT_EQ(levels(d), (QStringList{u"Descrizione -"_s, u"Categoria +"_s, u"(Vuoto)"_s, u"(Vuoto) chiuso"_s}));
        // Enter answers OK; without a change the grid is left alone.
        QTest::keyClick(d->cboGroups[0], Qt::Key_Return);
    });
    EXPECT_EQ(keys.count() + reset.count(), 0);
    EXPECT_EQ(sortKeys(), (std::vector<GridKey>{{2, Down}, {3, Up}}));

    sortGrid([](comfrmSort *d) {
        choose(d->cboGroups[0], u"Categoria"_s);
        choose(d->cboGroups[1], u"Costo"_s);
        QTest::mouseClick(d->optOrder[3], Qt::LeftButton);
        choose(d->cboGroups[2], u"Descrizione"_s);
        // "(Vuoto)" on a level empties and closes the levels after it.
        choose(d->cboGroups[2], u"(Vuoto)"_s);
        EXPECT_EQ(levels(d), (QStringList{u"Categoria +"_s, u"Costo -"_s, u"(Vuoto)"_s, u"(Vuoto) chiuso"_s}));
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(sortKeys(), (std::vector<GridKey>{{3, Up}, {4, Down}}));
    // Edilizia first, the dearer of its two at the top.
    EXPECT_EQ(grid.textAt(1, 1), u"D001"_s);

    // Leaving an empty first level, by OK or by Tab, is refused; Annulla still leaves.
    sortGrid([this](comfrmSort *d) {
        choose(d->cboGroups[0], u"(Vuoto)"_s);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        QApplication::processEvents();
        ASSERT_EQ(desktop->prompts(), QStringList{u"Inserire almeno un Campo di ordinamento"_s});
        EXPECT_TRUE(d->isVisible());
        QTest::keyClick(d->cboGroups[0], Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(desktop->prompts().size(), 2);
        EXPECT_EQ(QApplication::focusWidget(), d->cboGroups[0]);
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    });
    EXPECT_EQ(sortKeys(), (std::vector<GridKey>{{3, Up}, {4, Down}}));

    // Clearing every level leaves the grid unsorted.
    sortGrid([](comfrmSort *d) {
        d->cboGroups[0]->setFocus();
        QTest::mouseClick(d->cmdClearAll, Qt::LeftButton);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(desktop->prompts().size(), 2);
    EXPECT_TRUE(sortKeys().empty());
}

// The group dialog offers neither an image, a long text nor a binary
// column, lists by listing name, and applies its levels collapsed or
// expanded as asked; all levels empty removes the grouping.
TEST_F(GridDialogs, TheGroupDialogOffersWhatCanBeGroupedAndAppliesTheLevelsAsAsked)
{
    bind(u"SELECT Codice, Descrizione, Categoria, Costo, Note FROM Articoli"_s);
    grid.retrieveStructure();
    ASSERT_EQ(grid.columns().count(), 5);
    grid.column(3)->setListName(u"Categoria merceologica"_s);
    grid.column(4)->setKind(platform::GridColumnKind::Image);
    groupGrid([](comfrmGroupBy *d) {
        EXPECT_EQ(itemsOf(d->cboGroups[0]),
                  (QStringList{u"(Vuoto)"_s, u"Codice"_s, u"Descrizione"_s, u"Categoria merceologica"_s}));
        choose(d->cboGroups[0], u"Categoria merceologica"_s);
        choose(d->cboExpand, u"Unisci tutto"_s);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(groups(), (std::vector<GridKey>{{3, Up}}));
    // Two collapsed caption rows: Edilizia and Ferramenta.
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_TRUE(grid.isGroupCaption(1));

    groupGrid([](comfrmGroupBy *d) {
        choose(d->cboGroups[1], u"Codice"_s);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(groups(), (std::vector<GridKey>{{3, Up}, {1, Up}}));
    EXPECT_TRUE(grid.model()->groupsExpanded());
    EXPECT_GT(grid.rowCount(), 5);

    // No check of an empty first level here.
    groupGrid([](comfrmGroupBy *d) {
        choose(d->cboGroups[0], u"(Vuoto)"_s);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_TRUE(desktop->msgBoxes().empty());
    EXPECT_TRUE(groups().empty());
    EXPECT_EQ(grid.rowCount(), 5);

    bind(u"SELECT k01, m01 FROM _Pars"_s);
    grid.retrieveStructure();
    groupGrid([](comfrmGroupBy *d) {
        EXPECT_EQ(itemsOf(d->cboGroups[0]), (QStringList{u"(Vuoto)"_s, u"k01"_s}));
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    });
}

// The columns dialog lists the grid's columns by key; OK shows the
// right-hand ones in their order, and the last shown column cannot go.
TEST_F(GridDialogs, TheColumnsDialogShowsTheChosenColumnsInOrderAndKeepsTheLastOne)
{
    bindColumns();
    const bool answer = showFields([](comfrmShowfields *d) {
        EXPECT_EQ(itemsOf(d->lstAvail), (QStringList{u"Categoria"_s, u"Costo"_s}));
        // Costo is taken with a double click, Categoria with the button.
        clickItem(d->lstAvail, 1, true);
        QTest::mouseClick(d->cmdAdd, Qt::LeftButton);
        EXPECT_EQ(d->lstAvail->count(), 0);
        // Up twice; then Codice goes down to the end and out.
        QTest::mouseClick(d->cmdUp, Qt::LeftButton);
        QTest::mouseClick(d->cmdUp, Qt::LeftButton);
        EXPECT_EQ(itemsOf(d->lstVisible), (QStringList{u"Codice"_s, u"Categoria"_s, u"Descrizione"_s, u"Costo"_s}));
        clickItem(d->lstVisible, 0);
        for (int i = 0; i < 4; ++i) // the last click finds the button disabled
            QTest::mouseClick(d->cmdDown, Qt::LeftButton);
        QTest::mouseClick(d->cmdRemove, Qt::LeftButton);
        EXPECT_EQ(itemsOf(d->lstAvail), QStringList{u"Codice"_s});
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_TRUE(answer);
    EXPECT_EQ(shownColumns(), (QStringList{u"Categoria"_s, u"Descrizione"_s, u"Costo"_s, u"-"_s}));
    EXPECT_EQ(grid.column(3)->position(), 1);
    // A column shown again from width 0 gets a width.
    EXPECT_GT(grid.column(4)->width(), 0);

    for (int column : {3, 4})
        grid.column(column)->setVisible(false);
    EXPECT_TRUE(showFields([](comfrmShowfields *d) {
        ASSERT_EQ(itemsOf(d->lstVisible), QStringList{u"Descrizione"_s});
        QTest::mouseClick(d->cmdRemove, Qt::LeftButton);
        clickItem(d->lstVisible, 0, true);
        EXPECT_EQ(itemsOf(d->lstVisible), QStringList{u"Descrizione"_s});
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    }));
    EXPECT_EQ(shownColumns(), (QStringList{u"Descrizione"_s, u"-"_s}));
    // Annulla changes nothing.
    EXPECT_FALSE(showFields([](comfrmShowfields *d) {
        clickItem(d->lstAvail, 0, true);
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    }));
    EXPECT_EQ(shownColumns(), (QStringList{u"Descrizione"_s, u"-"_s}));
}

// Annulla keeps a chosen font off the grid; a cancelled font dialog changes
// nothing; OK applies the header font chosen.
TEST_F(GridDialogs, TheFormatDialogAppliesTheChosenFontsOnlyOnOk)
{
    QFont header(QStringLiteral("DejaVu Sans"));
    header.setBold(true);
    grid.setHeaderFont(header);
    const QFont rows = grid.rowFont();
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(14);
    chosen.setItalic(true);

    desktop->queueFont(chosen);
    formatGrid([](comfrmTableview *d) {
        QTest::mouseClick(d->cmdfont[0], Qt::LeftButton);
        QTest::mouseClick(d->cmdCancel, Qt::LeftButton);
    });
    EXPECT_EQ(grid.headerFont(), header);

    desktop->queueFont(std::nullopt);
    desktop->queueFont(chosen);
    formatGrid([](comfrmTableview *d) {
        QTest::mouseClick(d->cmdfont[1], Qt::LeftButton);
        QTest::mouseClick(d->cmdfont[0], Qt::LeftButton);
        QTest::mouseClick(d->cmdOK, Qt::LeftButton);
    });
    EXPECT_EQ(desktop->callsOf<platform::FontCall>().at(1).initial, rows);
    EXPECT_EQ(grid.headerFont().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(grid.headerFont().pointSize(), 14);
    EXPECT_TRUE(grid.headerFont().italic());
    EXPECT_EQ(grid.rowFont(), rows);
}

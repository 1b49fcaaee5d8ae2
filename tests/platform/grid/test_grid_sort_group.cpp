// Sort keys and group levels: re-sorting and regrouping work on the rows
// read once, caption rows carry the group's value and sums, and groups
// expand and collapse by call, by click and by key.
#include "GridTestSupport.h"

#include "platform/base/RuntimeError.h"
#include "platform/grid/GridRowFormat.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace platform;
using testsupport::DataFixture;

namespace {

class GridSorting : public gridtest::SampleGridTest
{
protected:
    QStringList column(int c)
    {
        QStringList values;
        for (int row = 1; row <= grid.rowCount(); ++row)
            values << (grid.isGroupCaption(row) ? QStringLiteral("[%1]").arg(grid.model()->shownCaption(row))
                                                : grid.textAt(row, c));
        return values;
    }
};

// The stock list of the main window: RepGiacenze, grouped by supplier.
class GridGrouping : public GridSorting
{
protected:
    void SetUp() override
    {
        // One supplier whose two articles hold 1234.5 pieces worth 987.
        DataFixture::runSql(path, QStringLiteral(
            "DELETE FROM MagazRegDetail; DELETE FROM MagazRegMain;"
            "UPDATE Articoli SET Categoria = 'Dadi' WHERE Codice = 'A002';"
            "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES (10, '2024-05-02', 1, 'Carico');"
            "INSERT INTO MagazRegDetail (IdReg, Riga, CodiceArticolo, \"Quantità\", Segno, Costo) VALUES"
            " (10, 10, 'A001', 1234, 1, 0.5), (10, 20, 'A002', 0.5, 1, 740);"));
        bind(QStringLiteral("Execute RepGiacenze #01/01/24#, #12/31/24#"));
        ASSERT_EQ(grid.column(8)->key(), QStringLiteral("Nome"));
        grid.sortKeys().add(1, SortOrder::Ascending);
    }
};

} // namespace

TEST_F(GridSorting, SortKeysAreAListAppliedOnceReSortingUsesTheRowsReadTheCurrentRecordKeepsItsPlace)
{
    bind(QStringLiteral("SELECT Codice, Descrizione FROM Articoli"));
    QSignalSpy changed(&grid, &Grid::sortKeysChanged);
    GridKeyList &keys = grid.sortKeys();
    EXPECT_EQ(keys.count(), 0);
    keys.add(2, SortOrder::Descending);
    keys.add(1);
    EXPECT_EQ(keys.count(), 2);
    EXPECT_EQ(keys.item(1), (GridKey{2, SortOrder::Descending}));
    EXPECT_EQ(keys.item(2), (GridKey{1, SortOrder::Ascending}));
    // A second key on a column changes its order in its place.
    keys.add(2, SortOrder::Ascending);
    EXPECT_EQ(keys.count(), 2);
    EXPECT_EQ(keys.item(1).order, SortOrder::Ascending);
    EXPECT_EQ(grid.model()->sortOrderOf(2), SortOrder::Ascending);
    EXPECT_FALSE(grid.model()->sortOrderOf(3).has_value());
    EXPECT_EQ(testsupport::errorOf<RuntimeError>([&] { keys.item(3); }).value().number(), 9);
    keys.clear();
    EXPECT_EQ(keys.count(), 0);
    EXPECT_EQ(changed.count(), 4);
    // Changes in a row apply once, when the event loop runs.
    QApplication::processEvents();
    QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);
    keys.add(1, SortOrder::Descending);
    keys.add(1, SortOrder::Ascending);
    keys.add(1, SortOrder::Descending);
    EXPECT_EQ(resets.count(), 0);
    QApplication::processEvents();
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(grid.valueAt(1, 1), Variant("B001"));

    // Sorting again uses the rows already read.
    keys.clear();
    bind(QStringLiteral("SELECT Codice, Descrizione, Costo FROM Articoli ORDER BY Codice"));
    // The table is emptied behind the grid: sorting must not query again.
    DataFixture::runSql(path, QStringLiteral("DELETE FROM Articoli"));
    grid.sortKeys().add(2, SortOrder::Ascending);
    grid.reSort();
    EXPECT_EQ(column(2), (QStringList{"Dado M3", "Rondella", "Vite 3x20"}));
    grid.sortKeys().clear();
    grid.sortKeys().add(3, SortOrder::Descending);
    EXPECT_EQ(column(1), (QStringList{"A001", "A002", "B001"}));
    grid.sortKeys().clear();
    grid.reSort();
    EXPECT_EQ(column(1), (QStringList{"A001", "A002", "B001"}));
    EXPECT_EQ(grid.recordCount(), 3);

    bind(QStringLiteral("SELECT Tipo, Nome FROM CliFor ORDER BY IdCliFor"));
    EXPECT_TRUE(grid.setRow(3)); // anna verdi
    EXPECT_EQ(grid.value(2), Variant("anna verdi"));
    grid.sortKeys().add(1, SortOrder::Descending);
    grid.sortKeys().add(2, SortOrder::Ascending);
    // Texts compare without regard to case: "anna verdi" before "Bianchi Mario".
    EXPECT_EQ(column(2), (QStringList{"Rossi Srl", "anna verdi", "Bianchi Mario"}));
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.value(2), Variant("anna verdi"));
}

TEST_F(GridGrouping, GroupCaptionRowsComeBeforeTheirRecordsAndViewsDrawnBeforeAChangeShowTheRowsTheyKnow)
{
    grid.groups().add(8, SortOrder::Ascending);
    EXPECT_EQ(grid.recordCount(), 3);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(column(1), (QStringList{"[Nome: ]", "B001", "[Nome: Rossi Srl]", "A001", "A002"}));
    EXPECT_TRUE(grid.isGroupCaption(3));
    EXPECT_EQ(grid.model()->groupLevel(3), 1);
    EXPECT_EQ(grid.model()->groupValue(3), Variant("Rossi Srl"));
    EXPECT_EQ(grid.model()->groupRecordCount(3), 2);
    EXPECT_TRUE(grid.valueAt(3, 1).isEmpty());
    EXPECT_DOUBLE_EQ(grid.groupSum(3, 5).toDouble(), 1234.5);
    EXPECT_DOUBLE_EQ(grid.groupSum(3, 7).toDouble(), 987.0);
    EXPECT_DOUBLE_EQ(grid.groupSum(1, 5).toDouble(), 0.0);
    EXPECT_TRUE(grid.groupSum(4, 5).isEmpty()); // not a caption row

    // Regrouping does not query again either.
    DataFixture::runSql(path, QStringLiteral("DELETE FROM Articoli"));
    grid.groups().clear();
    grid.groups().add(9, SortOrder::Descending);
    grid.groups().add(8, SortOrder::Ascending);
    EXPECT_EQ(column(1), (QStringList{"[Categoria: Ferramenta]", "[Nome: ]", "B001", "[Nome: Rossi Srl]", "A001",
                                      "[Categoria: Dadi]", "[Nome: Rossi Srl]", "A002"}));
    EXPECT_EQ(grid.model()->groupLevel(2), 2);
    grid.groups().clear();
    EXPECT_EQ(grid.rowCount(), 3);

    // A view drawn before a change applies shows the rows it knows.
    gridtest::showAndFocus(grid);
    QApplication::processEvents();
    const int rowsShown = grid.model()->rowCount();
    grid.groups().add(8, SortOrder::Ascending);
    // Drawing now must not change the rows under the view.
    EXPECT_FALSE(grid.grab().isNull());
    EXPECT_EQ(grid.model()->rowCount(), rowsShown);
    QApplication::processEvents();
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_FALSE(grid.grab().isNull());
}

TEST_F(GridGrouping, RowFormatChangesWhatIsShownNotWhatIsStored)
{
    // The stock list's caption totals are tested with the main window.
    QObject::connect(&grid, &Grid::rowFormat, [](GridRowFormat &row) {
        if (row.isGroupCaption())
            row.caption += QStringLiteral(" (totali)");
        else if (row.value(1) == Variant("A002"))
            row.setValue(5, Variant(-row.value(5).toDouble()));
    });
    grid.column(5)->setFormat(QStringLiteral("#,##0.00"));
    EXPECT_EQ(grid.textAt(2, 5), QStringLiteral("-0,50"));
    EXPECT_DOUBLE_EQ(grid.valueAt(2, 5).toDouble(), 0.5);
    grid.groups().add(8, SortOrder::Ascending);
    EXPECT_EQ(grid.model()->shownCaption(3), QStringLiteral("Nome: Rossi Srl (totali)"));
    EXPECT_EQ(grid.model()->data(grid.model()->index(2, 0)).toString(), grid.model()->shownCaption(3));
    EXPECT_EQ(grid.model()->groupCaption(3), QStringLiteral("Nome: Rossi Srl"));
}

TEST_F(GridGrouping, GroupsExpandAndCollapseByCallClickAndKey)
{
    // Groups added while collapsed stay collapsed until expanded.
    grid.collapseAll();
    grid.groups().add(8, SortOrder::Ascending);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_FALSE(grid.model()->groupsExpanded());
    EXPECT_FALSE(grid.model()->isExpanded(2));
    grid.expandAll();
    EXPECT_EQ(grid.rowCount(), 5);
    // The current record inside a group being collapsed gives way to its caption.
    grid.setRow(4); // A001
    grid.model()->setExpanded(3, false);
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.row(), 3);
    EXPECT_TRUE(grid.isGroupCaption(grid.row()));

    gridtest::showAndFocus(grid);
    QTableView *v = grid.view();
    // A click on the box in front of the caption expands the group again.
    const QRect captionRow = v->visualRect(grid.model()->index(2, 0));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, QPoint(8, captionRow.center().y()));
    EXPECT_EQ(grid.rowCount(), 5);
    // Left collapses the current caption's group, Right expands it.
    grid.setRow(1);
    gridtest::pressKey(Qt::Key_Left);
    EXPECT_EQ(grid.rowCount(), 4);
    gridtest::pressKey(Qt::Key_Right);
    EXPECT_EQ(grid.rowCount(), 5);
    // A double click on a caption toggles it and is no record's double click.
    QSignalSpy doubled(&grid, &Grid::doubleClicked);
    gridtest::doubleClick(v->viewport(), v->visualRect(grid.model()->index(0, 2)).center());
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(doubled.count(), 0);
}

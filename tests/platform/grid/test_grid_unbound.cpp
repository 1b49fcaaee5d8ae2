// Unbound rows, as the report dialogs' catalogue uses them: a row count,
// the program filling each row when the grid first reads it, an icon column
// and a hidden key column.
#include "GridTestSupport.h"

#include "platform/grid/GridRowBuffer.h"

#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QSignalSpy>
#include <QTableView>

using namespace platform;

namespace {

class GridUnbound : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QPixmap red(32, 32);
        red.fill(Qt::red);
        grid.addImage(QIcon(red));
        grid.setImageSize(QSize(32, 32));
        grid.setColumnHeaders(false);
        GridColumn *icon = grid.columns().add(QStringLiteral("Icona"));
        icon->setKind(GridColumnKind::Image);
        icon->setWidth(600);
        grid.columns().add(QStringLiteral("Id"))->setWidth(0);
        grid.columns().add(QStringLiteral("Titolo"))->setWidth(4000);
        QObject::connect(&grid, &Grid::rowRead, [this](int row, GridRowBuffer &values) {
            reads << row;
            values.setValue(1, Variant(std::int32_t(1)));
            values.setValue(2, Variant(std::int32_t(row)));
            values.setValue(3, titles.value(row - 1));
        });
    }

    Grid grid;
    QList<int> reads;
    QStringList titles{QStringLiteral("Codici IVA"), QStringLiteral("Unità di misura articoli"),
                       QStringLiteral("Categorie articoli")};
};

} // namespace

TEST_F(GridUnbound, RowsAreReadOnceWhenFirstNeededAndAgainOnRefetch)
{
    grid.setUnboundRowCount(3);
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.textAt(2, 3), QStringLiteral("Unità di misura articoli"));
    EXPECT_EQ(grid.valueAt(2, 2), Variant(std::int32_t(2)));
    EXPECT_EQ(grid.textAt(2, 3), QStringLiteral("Unità di misura articoli"));
    EXPECT_EQ(reads.count(QList<int>::value_type(2)), 1);
    // The icon column shows image 1 and no text (the catalogue of the report
    // dialogs checks the icons, the hidden key and the missing headers).
    EXPECT_EQ(grid.column(1)->typeCode(), 1);
    EXPECT_TRUE(grid.textAt(1, 1).isEmpty());
    EXPECT_GE(grid.view()->verticalHeader()->defaultSectionSize(), 34);

    // A refetch or a new count reads the rows again.
    titles[0] = QStringLiteral("Aliquote");
    grid.refetch();
    EXPECT_EQ(grid.textAt(1, 3), QStringLiteral("Aliquote"));
    grid.setUnboundRowCount(2);
    EXPECT_EQ(grid.rowCount(), 2);
    grid.setUnboundRowCount(0);
    EXPECT_EQ(grid.rowCount(), 0);
    EXPECT_EQ(grid.row(), 0);
}

TEST_F(GridUnbound, DoubleClickIsNotifiedWithThatRowCurrentAndRowsSortLikeBoundOnes)
{
    grid.setUnboundRowCount(3);
    gridtest::showAndFocus(grid);
    QSignalSpy doubled(&grid, &Grid::doubleClicked);
    QTableView *v = grid.view();
    gridtest::doubleClick(v->viewport(), v->visualRect(grid.model()->index(2, 2)).center());
    EXPECT_EQ(doubled.count(), 1);
    EXPECT_EQ(grid.row(), 3);
    EXPECT_EQ(grid.value(2), Variant(std::int32_t(3)));
    // Unbound rows are not edited in place.
    grid.setAllowEdit(true);
    EXPECT_FALSE(grid.model()->isCellEditable(1, 3));
    // They sort and are found like bound ones.
    grid.sortKeys().add(3, SortOrder::Ascending);
    EXPECT_EQ(grid.textAt(1, 3), QStringLiteral("Categorie articoli"));
    EXPECT_EQ(grid.find(3, FindCondition::BeginsWith, QStringLiteral("unità")), 3);
}

// Binding the grid to a database and what its columns offer: captions,
// widths in twips, hidden columns that stay readable, positions, formats,
// header tips, format styles on cells and headers, fonts, clicks on cells
// and the record navigator.
#include "GridTestSupport.h"

#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace platform;

using GridBinding = gridtest::SampleGridTest;

TEST_F(GridBinding, SqlOrExecuteSourceGivesOneColumnPerFieldAndEveryRowNoneOrAFailingOneNoRows)
{
    // A stored query with its arguments.
    bind(QStringLiteral("Execute ViewGiacenze #01/01/24#, #12/31/24#"));
    ASSERT_EQ(grid.recordCount(), 3);
    EXPECT_EQ(grid.column(3)->key(), QStringLiteral("Giacenza"));
    EXPECT_EQ(grid.valueAt(1, 1), Variant("A001"));
    EXPECT_DOUBLE_EQ(grid.valueAt(1, 3).toDouble(), 90.0); // 150 loaded, 60 sold

    QSignalSpy bound(&grid, &Grid::bound);
    bind(QStringLiteral("SELECT Codice, Descrizione, Costo FROM Articoli ORDER BY Codice"));
    EXPECT_EQ(bound.count(), 1);
    EXPECT_EQ(grid.recordCount(), 3);
    EXPECT_EQ(grid.rowCount(), 3);
    ASSERT_EQ(grid.columns().count(), 3);
    EXPECT_EQ(grid.column(2)->key(), QStringLiteral("Descrizione"));
    EXPECT_EQ(grid.column(2)->caption(), QStringLiteral("Descrizione"));
    EXPECT_EQ(grid.column(QStringLiteral("costo"))->index(), 3);
    EXPECT_EQ(grid.valueAt(3, 1), Variant("B001"));
    EXPECT_EQ(grid.valueAt(1, 3), Variant(0.1));
    // The first row is current after binding.
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.value(1), Variant("A001"));
    // Text columns take their defined size as the editor's limit.
    EXPECT_EQ(grid.column(1)->maxLength(), 40);

    // An empty or failing record source leaves no rows.
    bind(QStringLiteral("SELECT * FROM CliFor"));
    EXPECT_EQ(grid.recordCount(), 3);
    grid.setRecordSource(QString());
    grid.rebind();
    EXPECT_EQ((QList<int>{grid.recordCount(), grid.rowCount(), grid.row(), grid.model()->rowCount()}),
              (QList<int>{0, 0, 0, 0}));

    bind(QStringLiteral("SELECT * FROM CliFor"));
    grid.setRecordSource(QStringLiteral("SELECT * FROM NoSuchTable"));
    EXPECT_THROW(grid.rebind(), DatabaseError);
    EXPECT_EQ(grid.recordCount(), 0);
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

TEST_F(GridBinding, OpenRecordsetIsShownAndFollowedWhenItChanges)
{
    Connection connection(connectionString());
    Recordset rs;
    rs.open(QStringLiteral("SELECT Codice, Costo FROM Articoli ORDER BY Codice"), connection, CursorType::Static);
    grid.setRecordset(&rs);
    EXPECT_EQ(grid.recordCount(), 3);
    rs.setFilter(QStringLiteral("Costo > 0.03"));
    EXPECT_EQ(grid.recordCount(), 2);
    EXPECT_EQ(grid.valueAt(1, 1), Variant("A001"));
    EXPECT_EQ(grid.valueAt(2, 1), Variant("A002"));
    // rebind reads the caller's recordset again: it is not re-queried.
    testsupport::DataFixture::runSql(path, QStringLiteral("DELETE FROM CliFor WHERE IdCliFor = 3"));
    grid.rebind();
    EXPECT_EQ(grid.recordCount(), 2);
    // A record source set afterwards is what the next rebind opens.
    grid.setConnectionString(connectionString());
    grid.setRecordSource(QStringLiteral("SELECT Nome FROM CliFor"));
    grid.rebind();
    EXPECT_EQ(grid.recordCount(), 2);
    EXPECT_NE(grid.recordset(), &rs);
    EXPECT_EQ(grid.column(1)->key(), QStringLiteral("Nome"));
    // A recordset that goes away leaves the grid without rows.
    {
        Recordset temporary;
        temporary.open(QStringLiteral("SELECT Codice FROM Articoli"), connection, CursorType::Static);
        grid.setRecordset(&temporary);
        EXPECT_EQ(grid.recordCount(), 3);
    }
    EXPECT_EQ(grid.recordCount(), 0);
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

TEST_F(GridBinding, WidthZeroHidesAColumnThatStaysReadableAndPositionsMoveItOnScreen)
{
    bind(QStringLiteral("SELECT IdCliFor, Nome, CAP FROM CliFor ORDER BY IdCliFor"));
    grid.column(1)->setWidth(0);
    grid.column(2)->setWidth(3000);
    EXPECT_FALSE(grid.column(1)->visible());
    EXPECT_TRUE(grid.view()->isColumnHidden(0));
    EXPECT_EQ(grid.view()->horizontalHeader()->sectionSize(1), 200); // 3000 twips
    EXPECT_EQ(grid.valueAt(2, 1), Variant(std::int32_t(2)));
    EXPECT_EQ(grid.value(1), Variant(std::int32_t(1)));
    // Shown again it gets a width; hidden by its flag it keeps its width.
    grid.column(1)->setVisible(true);
    EXPECT_EQ(grid.column(1)->width(), GridColumn::DefaultWidth);
    EXPECT_FALSE(grid.view()->isColumnHidden(0));
    grid.column(3)->setVisible(false);
    EXPECT_TRUE(grid.view()->isColumnHidden(2));
    EXPECT_EQ(grid.column(3)->width(), GridColumn::DefaultWidth);
    // A user dragging a column wider changes its width in twips.
    grid.view()->horizontalHeader()->resizeSection(1, 100);
    EXPECT_EQ(grid.column(2)->width(), 1500);

    // Positions move columns on screen, not their indexes.
    grid.column(3)->setPosition(1);
    EXPECT_EQ(grid.column(1)->position(), 2);
    EXPECT_EQ(grid.columns().atPosition(1)->key(), QStringLiteral("CAP"));
    EXPECT_EQ(grid.column(3)->index(), 3);
    EXPECT_EQ(grid.view()->horizontalHeader()->visualIndex(2), 0);
    // Moving a section on screen moves the column.
    grid.view()->horizontalHeader()->moveSection(2, 0); // Nome first
    EXPECT_EQ(grid.columns().atPosition(1)->key(), QStringLiteral("Nome"));
    EXPECT_EQ(grid.column(3)->position(), 2);
}

TEST_F(GridBinding, FormatsAlignmentTipsFlagsStylesAndFontsApplyToTheView)
{
    bind(QStringLiteral("SELECT Codice, Costo, DataIns FROM Articoli ORDER BY Codice"));
    GridColumn *cost = grid.column(2);
    cost->setFormat(QStringLiteral("#,##0.0000"));
    EXPECT_EQ(grid.textAt(1, 2), QStringLiteral("0,1000"));
    EXPECT_EQ(grid.model()->data(grid.model()->index(0, 1)).toString(), QStringLiteral("0,1000"));
    EXPECT_EQ(grid.model()->data(grid.model()->index(0, 1), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter));
    cost->setAlignment(Qt::AlignHCenter);
    EXPECT_EQ(grid.model()->data(grid.model()->index(0, 1), Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignHCenter | Qt::AlignVCenter));
    grid.column(3)->setFormat(QStringLiteral("dd/mm/yy"));
    EXPECT_EQ(grid.textAt(3, 3), QStringLiteral("05/03/24"));

    cost->setHeaderTip(QStringLiteral("Costo di acquisto"));
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(),
              QStringLiteral("Costo di acquisto"));
    EXPECT_FALSE(grid.model()->headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
    cost->setResizable(false);
    EXPECT_EQ(grid.view()->horizontalHeader()->sectionResizeMode(1), QHeaderView::Fixed);
    EXPECT_EQ(grid.view()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);

    // The list name follows the caption until the program sets its own.
    EXPECT_EQ(cost->listName(), QStringLiteral("Costo"));
    cost->setCaption(QStringLiteral("Costo ultimo"));
    EXPECT_EQ(cost->listName(), QStringLiteral("Costo ultimo"));
    cost->setListName(QStringLiteral("Costo (listino)"));
    EXPECT_EQ(cost->listName(), QStringLiteral("Costo (listino)"));
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Costo ultimo"));

    // Format styles colour cells and headers.
    bind(QStringLiteral("SELECT Codice, Descrizione FROM Articoli"));
    const QColor info(255, 255, 225);
    grid.formatStyles().add(QStringLiteral("SortedCol")).backColor = info;
    grid.formatStyles().changed();
    for (int i = 1; i <= grid.columns().count(); ++i)
        grid.column(i)->setFormatStyle(QStringLiteral("Default"));
    grid.column(2)->setFormatStyle(QStringLiteral("SortedCol"));
    grid.column(2)->setHeaderStyle(QStringLiteral("SortedCol"));
    QAbstractItemModel *m = grid.model();
    EXPECT_EQ(m->data(m->index(1, 1), Qt::BackgroundRole).value<QColor>(), info);
    EXPECT_FALSE(m->data(m->index(1, 0), Qt::BackgroundRole).isValid());
    EXPECT_EQ(m->headerData(1, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(), info);
    // The sorted column moves on: the old one goes back to "Default".
    grid.column(2)->setFormatStyle(QStringLiteral("Default"));
    grid.column(2)->setHeaderStyle(QStringLiteral("Default"));
    grid.column(1)->setHeaderStyle(QStringLiteral("SortedCol"));
    EXPECT_FALSE(m->data(m->index(1, 1), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(m->headerData(1, Qt::Horizontal, Qt::BackgroundRole).isValid());
    EXPECT_EQ(m->headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(), info);
    // "Default" always exists.
    EXPECT_TRUE(grid.formatStyles().contains(QStringLiteral("default")));

    // Header and row fonts apply to the view, the rows high enough for theirs.
    QFont header(QStringLiteral("DejaVu Sans"), 12);
    header.setBold(true);
    QFont rows(QStringLiteral("DejaVu Sans"), 14);
    grid.setHeaderFont(header);
    grid.setRowFont(rows);
    EXPECT_TRUE(grid.view()->horizontalHeader()->font().bold());
    EXPECT_EQ(grid.view()->font().pointSize(), 14);
    EXPECT_GE(grid.view()->verticalHeader()->defaultSectionSize(), QFontMetrics(rows).height());
}

TEST_F(GridBinding, ClicksMoveTheCurrentCellAndTheNavigatorCountsRows)
{
    // Header clicks and double clicks are tested through the main window's list.
    bind(QStringLiteral("SELECT Codice, Descrizione FROM Articoli ORDER BY Codice"));
    EXPECT_TRUE(grid.recordNavigatorText().isEmpty());
    grid.setRecordNavigatorCaption(QStringLiteral("Record:|di"));
    gridtest::showAndFocus(grid);
    QSignalSpy clicked(&grid, &Grid::clicked);
    QSignalSpy current(&grid, &Grid::currentCellChanged);
    QTableView *v = grid.view();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(grid.model()->index(1, 1)).center());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.col(), 2);
    ASSERT_GE(current.count(), 1);
    EXPECT_EQ(current.last().at(0).toInt(), 2);
    EXPECT_EQ(grid.recordNavigatorText(), QStringLiteral("Record: 2 di 3"));
    // Keys and the navigator's buttons move the current row.
    gridtest::pressKey(Qt::Key_Up);
    EXPECT_EQ(grid.row(), 1);
    auto *next = grid.findChild<QWidget *>(QStringLiteral("navigatorNext"));
    ASSERT_NE(next, nullptr);
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(grid.row(), 3);
    EXPECT_EQ(grid.recordNavigatorText(), QStringLiteral("Record: 3 di 3"));
}

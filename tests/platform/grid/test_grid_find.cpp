// Finding: equal-to and begins-with, ignoring case, forwards from a start
// row or backwards; the first match becomes the current row. The find on a
// sorted column, both ways, is tested through the main window's find box
// (tests/shell/test_frmMain_find.cpp).
#include "GridTestSupport.h"

#include <QSignalSpy>

using namespace platform;

namespace {

class GridFind : public gridtest::SampleGridTest
{
protected:
    void SetUp() override
    {
        testsupport::DataFixture::runSql(path, QStringLiteral(
            "INSERT INTO Articoli (Codice, Descrizione, Categoria, Costo, DataIns) VALUES"
            " ('C001', 'vite 4x30', 'Ferramenta', 0.15, '2024-01-02'),"
            " ('C002', 'Viti assortite', NULL, 3, '2024-02-01'),"
            " ('D001', 'Tassello', 'Edilizia', 0.3, NULL);"));
        bind(QStringLiteral("SELECT Codice, Descrizione, Categoria, Costo, DataIns FROM Articoli ORDER BY Codice"));
        // A001 Vite 3x20, A002 Dado M3, B001 Rondella, C001 vite 4x30, C002 Viti assortite, D001 Tassello
    }
};

} // namespace

TEST_F(GridFind, BeginsWithIgnoresCaseEqualToWantsTheWholeValueCaptionRowsAreSkipped)
{
    QSignalSpy moved(&grid, &Grid::currentCellChanged);
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("VITE")), 1);
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("vite 4")), 4);
    EXPECT_EQ(grid.row(), 4);
    EXPECT_GE(moved.count(), 1);
    // From a start row on, the start row included.
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("vit"), 2), 4);
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("vit"), 5), 5);
    // Backwards from the end, and from a row.
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("vit"), 0, FindDirection::Backward), 5);
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("vit"), 3, FindDirection::Backward), 1);
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("vit"), grid.rowCount() + 1,
                        FindDirection::Backward),
              5);
    // Nothing found, past the last match or on no column: the current row stays.
    grid.setRow(3);
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("chiodo")), 0);
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("vite"), 6), 0);
    EXPECT_EQ(grid.find(9, FindCondition::BeginsWith, QStringLiteral("vite")), 0);
    EXPECT_EQ(grid.row(), 3);

    // Equal to wants the whole value, on any column.
    EXPECT_EQ(grid.find(1, FindCondition::EqualTo, QStringLiteral("a00")), 0);
    EXPECT_EQ(grid.find(1, FindCondition::EqualTo, QStringLiteral("a002")), 2);
    // Numbers and dates typed as text match by value.
    EXPECT_EQ(grid.find(4, FindCondition::EqualTo, QStringLiteral("0,3")), 6);
    EXPECT_EQ(grid.find(4, FindCondition::EqualTo, Variant(3.0)), 5);
    EXPECT_EQ(grid.find(5, FindCondition::EqualTo, QStringLiteral("01/02/2024")), 5);
    EXPECT_EQ(grid.find(5, FindCondition::EqualTo, QStringLiteral("02/01/24")), 1);
    // Hidden columns are searched too; formatted ones in the text they show.
    grid.column(3)->setWidth(0);
    EXPECT_EQ(grid.find(3, FindCondition::BeginsWith, QStringLiteral("edil")), 6);
    grid.column(4)->setFormat(QStringLiteral("#,##0.00"));
    EXPECT_EQ(grid.find(4, FindCondition::BeginsWith, QStringLiteral("0,0")), 2);
    EXPECT_EQ(grid.find(4, FindCondition::BeginsWith, QStringLiteral("3,00")), 5);

    // Caption rows are skipped.
    grid.groups().add(3, SortOrder::Ascending);
    grid.sortKeys().add(2, SortOrder::Ascending);
    // [ ] Viti assortite [Edilizia] Tassello [Ferramenta] Dado M3, Rondella, Vite 3x20, vite 4x30
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("v")), 2);
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("v"), 3), 8);
    EXPECT_EQ(grid.find(2, FindCondition::BeginsWith, QStringLiteral("v"), 7, FindDirection::Backward), 2);
    EXPECT_EQ(grid.find(3, FindCondition::BeginsWith, QStringLiteral("ferr")), 6);
}

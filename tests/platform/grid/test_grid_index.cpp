// The row logic without any window: keys that compare as the database
// compares, sorting, grouping with caption rows, collapsing, and records
// added or removed while editing.
#include "GridTestSupport.h"

#include "platform/grid/GridFieldKeys.h"
#include "platform/grid/GridRowIndex.h"

using namespace platform;
using gridtest::TableSource;

namespace {

std::vector<int> sortedBy(const TableSource &source, int field, SortOrder order = SortOrder::Ascending)
{
    const GridFieldKeys keys = GridFieldKeys::read(source, field);
    GridRowIndex index;
    index.build(source.recordCount(), {}, {GridRowIndex::Level{&keys, order}}, true);
    return index.ordered();
}

// A table of one column with these values.
TableSource oneColumn(const std::vector<Variant> &values)
{
    std::vector<std::vector<Variant>> rows;
    for (const Variant &v : values)
        rows.push_back({v});
    return TableSource({QStringLiteral("v")}, std::move(rows));
}

} // namespace

TEST(GridFieldKeys, TextsCompareWithoutCaseNullsFirstNumbersBeforeTextsLongTextsByTheWholeText)
{
    const TableSource source = oneColumn({Variant("beta"), Variant::null(), Variant("Alfa"), Variant(std::int32_t(7)),
                                          Variant("ALFA"), Variant(2.5), Variant()});
    const GridFieldKeys keys = GridFieldKeys::read(source, 0);
    EXPECT_EQ(keys.rank(1), 0);
    EXPECT_EQ(keys.rank(6), 0);
    EXPECT_LT(keys.rank(5), keys.rank(3));     // 2.5 < 7
    EXPECT_LT(keys.rank(3), keys.rank(2));     // numbers before texts
    EXPECT_EQ(keys.rank(2), keys.rank(4));     // "Alfa" equals "ALFA"
    EXPECT_LT(keys.rank(4), keys.rank(0));     // "alfa" < "beta"
    EXPECT_TRUE(keys.anyText());
    EXPECT_TRUE(keys.anyNumber());
    // Equal values keep the data's order.
    EXPECT_EQ(sortedBy(source, 0), (std::vector<int>{1, 6, 5, 3, 2, 4, 0}));
    EXPECT_EQ(sortedBy(source, 0, SortOrder::Descending), (std::vector<int>{0, 2, 4, 3, 5, 1, 6}));

    // Dates and currency values compare as numbers.
    const TableSource dated({QStringLiteral("d"), QStringLiteral("c")},
                            {{Variant(DateTime(2024, 3, 1)), Variant(Currency::fromDouble(10.5))},
                             {Variant(DateTime(2023, 12, 31)), Variant(Currency::fromDouble(-2))},
                             {Variant(DateTime(2024, 3, 1, 10, 30)), Variant(Currency::fromDouble(10.4999))}});
    EXPECT_EQ(sortedBy(dated, 0), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(sortedBy(dated, 1), (std::vector<int>{1, 2, 0}));

    // Texts longer than the packed prefix, equal up to it: only the rest
    // tells them apart. Accented letters compare without regard to case.
    const TableSource longer = oneColumn({Variant("Controparte 0001 S.r.l. Zeta"), Variant("Controparte 0001 S.r.l. Alfa"),
                                          Variant("CONTROPARTE 0001 S.R.L. ALFA"), Variant("Controparte 0001 S.r.l."),
                                          Variant("Città di Àosta"), Variant("CITTÀ DI àOSTA"), Variant("Città")});
    const GridFieldKeys longKeys = GridFieldKeys::read(longer, 0);
    EXPECT_EQ(longKeys.rank(1), longKeys.rank(2));
    EXPECT_LT(longKeys.rank(3), longKeys.rank(1));
    EXPECT_LT(longKeys.rank(1), longKeys.rank(0));
    EXPECT_EQ(longKeys.rank(4), longKeys.rank(5));
    EXPECT_LT(longKeys.rank(6), longKeys.rank(4));
    EXPECT_EQ(sortedBy(longer, 0), (std::vector<int>{6, 4, 5, 3, 1, 2, 0}));

    // Letters beyond Latin-1 rank after the others, still without case.
    const TableSource greek =
        oneColumn({Variant("ωmega"), Variant("ÿ"), Variant("Ωmega"), Variant("z"), Variant("Ωmeg")});
    const GridFieldKeys greekKeys = GridFieldKeys::read(greek, 0);
    EXPECT_EQ(greekKeys.rank(0), greekKeys.rank(2));
    EXPECT_EQ(sortedBy(greek, 0), (std::vector<int>{3, 1, 4, 0, 2}));
}

class GridRowIndexTest : public ::testing::Test
{
protected:
    // Supplier, category, code, quantity.
    TableSource source{{QStringLiteral("Fornitore"), QStringLiteral("Categoria"), QStringLiteral("Codice"),
                        QStringLiteral("Q")},
                       {{Variant("Rossi"), Variant("Viti"), Variant("A3"), Variant(3.0)},
                        {Variant("Bianchi"), Variant("Dadi"), Variant("A1"), Variant(1.0)},
                        {Variant("rossi"), Variant("Dadi"), Variant("A2"), Variant(2.0)},
                        {Variant("Bianchi"), Variant("Dadi"), Variant("A5"), Variant(5.0)},
                        {Variant::null(), Variant("Viti"), Variant("A4"), Variant(4.0)}}};
    GridFieldKeys supplier = GridFieldKeys::read(source, 0);
    GridFieldKeys category = GridFieldKeys::read(source, 1);
    GridFieldKeys code = GridFieldKeys::read(source, 2);
};

TEST_F(GridRowIndexTest, TwoGroupLevelsGiveCaptionRowsThatCollapseAndRecordsAddedOrRemovedRenumber)
{
    GridRowIndex index;
    index.build(source.recordCount(), {{&supplier, SortOrder::Ascending}, {&category, SortOrder::Ascending}},
                {{&code, SortOrder::Descending}}, true);
    // (Null) > Viti > A4 ; Bianchi > Dadi > A5, A1 ; Rossi > Dadi > A2 ; Rossi > Viti > A3
    ASSERT_EQ(index.groupCount(), 7);
    ASSERT_EQ(index.rowCount(), 12);
    std::vector<int> shown;
    for (int r = 0; r < index.rowCount(); ++r)
        shown.push_back(index.isCaption(r) ? -1 - index.group(index.groupAt(r)).level : index.recordAt(r));
    EXPECT_EQ(shown, (std::vector<int>{-1, -2, 4, -1, -2, 3, 1, -1, -2, 2, -2, 0}));
    // "Rossi" and "rossi" are one group; its two categories are its children.
    const int rossi = index.groupAt(7);
    EXPECT_EQ(index.group(rossi).end - index.group(rossi).first, 2);
    EXPECT_EQ(index.group(index.groupAt(8)).parent, rossi);
    EXPECT_EQ(index.group(index.groupAt(10)).parent, rossi);
    EXPECT_EQ(index.rowOfRecord(0), 11);
    EXPECT_EQ(index.groupOfRecord(0), index.groupAt(10));

    // Built collapsed, only the outer captions show until expanded.
    index.build(source.recordCount(), {{&supplier, SortOrder::Ascending}, {&category, SortOrder::Ascending}}, {},
                false);
    EXPECT_EQ(index.rowCount(), 3); // one caption per supplier
    EXPECT_EQ(index.rowOfRecord(1), -1);
    const int bianchi = index.groupAt(1);
    index.setExpanded(bianchi, true);
    EXPECT_EQ(index.rowCount(), 4); // its category caption shows, still collapsed
    index.setExpanded(index.groupAt(2), true);
    EXPECT_EQ(index.rowCount(), 6);
    EXPECT_EQ(index.recordAt(3), 1);
    index.setAllExpanded(true);
    EXPECT_EQ(index.rowCount(), 12);
    index.setAllExpanded(false);
    EXPECT_EQ(index.rowCount(), 3);

    // Records added go last; removed ones renumber the rest or drop their caption.
    index.build(source.recordCount(), {}, {{&code, SortOrder::Ascending}}, true);
    EXPECT_EQ(index.ordered(), (std::vector<int>{1, 2, 0, 4, 3}));
    EXPECT_TRUE(index.inBuiltOrder());
    index.appendRecord();
    EXPECT_FALSE(index.inBuiltOrder());
    EXPECT_EQ(index.recordAt(5), 5);
    index.removeRecord(2);
    // Records after the one removed are numbered one less, as the data numbers them.
    EXPECT_EQ(index.ordered(), (std::vector<int>{1, 0, 3, 2, 4}));
    EXPECT_EQ(index.rowCount(), 5);
    EXPECT_EQ(index.rowOfRecord(4), 4);

    // Removing the last record of a group drops its caption.
    index.build(source.recordCount(), {{&supplier, SortOrder::Ascending}}, {}, true);
    EXPECT_EQ(index.rowCount(), 8);
    index.removeRecord(4); // the only record without a supplier
    EXPECT_EQ(index.rowCount(), 6);
    EXPECT_TRUE(index.isCaption(0));
    EXPECT_EQ(index.recordAt(1), 1);
}

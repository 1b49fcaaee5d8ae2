// Conversion of common-dialog filters ("desc|patterns|...") to Qt name filters.
#include "platform/desktop/DesktopServices.h"

#include <gtest/gtest.h>

using platform::toNameFilters;

TEST(FileFilters, DescriptionWithItsPatternsIsKeptAsWritten)
{
    const auto result = toNameFilters(QStringLiteral("File di Access (*.mdb)|*.mdb"));
    EXPECT_EQ(result.filters, QStringList{QStringLiteral("File di Access (*.mdb)")});
    EXPECT_EQ(result.selected, QStringLiteral("File di Access (*.mdb)"));
}

TEST(FileFilters, DescriptionWithoutParenthesesGetsThePatternsAppended)
{
    const auto result = toNameFilters(QStringLiteral("Immagini|*.bmp;*.jpg; *.gif|Tutti i file|*.*"));
    EXPECT_EQ(result.filters, (QStringList{QStringLiteral("Immagini (*.bmp *.jpg *.gif)"),
                                           QStringLiteral("Tutti i file (*.*)")}));
}

TEST(FileFilters, SemicolonsInsideTheDescriptionBecomeBlanks)
{
    // Qt splits the parenthesised patterns at blanks only: "(*.mdb;*.mde)"
    // would be one pattern matching no file.
    const auto result = toNameFilters(QStringLiteral("Database (*.mdb;*.mde)|*.mdb;*.mde"));
    EXPECT_EQ(result.filters, QStringList{QStringLiteral("Database (*.mdb *.mde)")});
}

TEST(FileFilters, ParenthesesThatAreNotThePatternsGetThePatternsAppended)
{
    const auto result = toNameFilters(
        QStringLiteral("Testo (solo ASCII)|*.txt|Layout (vecchio formato) archivio|*.lyt"));
    EXPECT_EQ(result.filters, (QStringList{QStringLiteral("Testo (solo ASCII) (*.txt)"),
                                           QStringLiteral("Layout (vecchio formato) archivio (*.lyt)")}));
}

TEST(FileFilters, FilterIndexCountsFromOneAndFallsBackToTheFirst)
{
    const QString filter = QStringLiteral("Access|*.mdb|Testo|*.txt|Tutti i file|*.*");
    EXPECT_EQ(toNameFilters(filter, 1).selected, QStringLiteral("Access (*.mdb)"));
    EXPECT_EQ(toNameFilters(filter, 2).selected, QStringLiteral("Testo (*.txt)"));
    EXPECT_EQ(toNameFilters(filter, 3).selected, QStringLiteral("Tutti i file (*.*)"));
    EXPECT_EQ(toNameFilters(filter, 0).selected, QStringLiteral("Access (*.mdb)"));
    EXPECT_EQ(toNameFilters(filter, 4).selected, QStringLiteral("Access (*.mdb)"));
    EXPECT_EQ(toNameFilters(filter, -1).selected, QStringLiteral("Access (*.mdb)"));
}

TEST(FileFilters, MalformedPartsAreSkippedWithoutShiftingTheIndex)
{
    // The second pair has no patterns and the trailing description none either;
    // index 3 still means the third pair as written.
    const QString filter = QStringLiteral("Access|*.mdb|Vuoto||Testo|*.txt|Avanzo");
    const auto result = toNameFilters(filter, 3);
    EXPECT_EQ(result.filters,
              (QStringList{QStringLiteral("Access (*.mdb)"), QStringLiteral("Testo (*.txt)")}));
    EXPECT_EQ(result.selected, QStringLiteral("Testo (*.txt)"));
    EXPECT_EQ(toNameFilters(filter, 2).selected, QStringLiteral("Access (*.mdb)"));
}

TEST(FileFilters, EmptyDescriptionOrFilter)
{
    EXPECT_EQ(toNameFilters(QStringLiteral("|*.csv;*.txt")).filters,
              QStringList{QStringLiteral("*.csv *.txt")});
    const auto none = toNameFilters(QString());
    EXPECT_TRUE(none.filters.isEmpty());
    EXPECT_TRUE(none.selected.isEmpty());
}

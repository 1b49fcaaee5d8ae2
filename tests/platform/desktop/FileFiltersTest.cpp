// Conversion of common-dialog filters ("desc|patterns|...") to Qt name filters.
#include "platform/desktop/DesktopServices.h"

#include <gtest/gtest.h>

using platform::toNameFilters;

TEST(FileFilters, DescriptionsGetTheirPatternsInParenthesesOnce)
{
    const struct {
        const char *filter;
        QStringList expected;
    } cases[] = {
        // Kept as written when the patterns are already there.
        {"File di Access (*.mdb)|*.mdb", {"File di Access (*.mdb)"}},
        // Appended otherwise, blank-separated as Qt reads them.
        {"Immagini|*.bmp;*.jpg; *.gif|Tutti i file|*.*", {"Immagini (*.bmp *.jpg *.gif)", "Tutti i file (*.*)"}},
        {"Database (*.mdb;*.mde)|*.mdb;*.mde", {"Database (*.mdb *.mde)"}},
        // Parentheses that are not the patterns do not count.
        {"Testo (solo ASCII)|*.txt", {"Testo (solo ASCII) (*.txt)"}},
        {"|*.csv;*.txt", {"*.csv *.txt"}},
        {"", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(toNameFilters(QString::fromUtf8(c.filter)).filters, c.expected) << c.filter;
}

TEST(FileFilters, TheIndexCountsFromOneOverWellFormedPairsAndFallsBackToTheFirst)
{
    // The second pair has no patterns and the trailing description none
    // either: index 3 still means the third pair as written.
    const QString filter = QStringLiteral("Access|*.mdb|Vuoto||Testo|*.txt|Avanzo");
    EXPECT_EQ(toNameFilters(filter, 3).filters, (QStringList{QStringLiteral("Access (*.mdb)"), QStringLiteral("Testo (*.txt)")}));
    EXPECT_EQ(toNameFilters(filter, 3).selected, QStringLiteral("Testo (*.txt)"));
    for (int outOfRange : {0, 2, 5, -1})
        EXPECT_EQ(toNameFilters(filter, outOfRange).selected, QStringLiteral("Access (*.mdb)")) << outOfRange;
    EXPECT_TRUE(toNameFilters(QString()).selected.isEmpty());
}

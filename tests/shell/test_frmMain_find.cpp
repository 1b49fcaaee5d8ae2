// Sorting the main list by a header click and the find box that searches
// the sorted column while the user types.
#include "MainWindowFixture.h"

using namespace shelltest;
using namespace Qt::StringLiterals;

using FindTest = MainWindowTest;

TEST_F(FindTest, HeaderClicksSortBothWaysAndTypingFindsInTheSortedColumn)
{
    runSql(database, u"INSERT INTO Articoli (Codice, Descrizione, UM) VALUES ('A004', 'Dado M4', 'PZ')"_s);
    clickBar(2);
    // "Costo" is a piece of the stock columns' names: it is not sorted.
    clickHeader(u"Costo"_s);
    EXPECT_EQ(grid().sortKeys().count(), 1);
    EXPECT_EQ(sortKey().column, grid().column(u"Codice"_s)->index());
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Codice"_s);

    const QStringList ascending{u"Colla"_s, u"Dado M3"_s, u"Dado M4"_s, u"Vite 3x20"_s};
    clickHeader(u"Descrizione"_s);
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Descrizione"_s);
    EXPECT_EQ(columnTexts(u"Descrizione"_s), ascending);
    EXPECT_EQ(grid().column(u"Descrizione"_s)->headerStyle(), u"SortedCol"_s);
    EXPECT_EQ(grid().column(u"Codice"_s)->headerStyle(), u"Default"_s);
    clickHeader(u"Descrizione"_s);
    EXPECT_EQ(columnTexts(u"Descrizione"_s), QStringList(ascending.crbegin(), ascending.crend()));
    EXPECT_EQ(grid().sortKeys().count(), 1);

    // Sorted upwards again: the first letter typed in the list goes to the
    // find box and starts the find there.
    clickHeader(u"Descrizione"_s);
    QApplication::setActiveWindow(window.get());
    grid().view()->setFocus();
    QTest::keyClick(grid().view(), Qt::Key_D);
    EXPECT_EQ(window->txtFind()->text(), u"d"_s);
    EXPECT_TRUE(window->txtFind()->hasFocus());
    EXPECT_EQ(current(u"Descrizione"_s), u"Dado M3"_s);
    QTest::keyClicks(window->txtFind(), u"ado m4"_s);
    EXPECT_EQ(window->txtFind()->text(), u"dado m4"_s);
    EXPECT_EQ(current(u"Descrizione"_s), u"Dado M4"_s);
    // Nothing matches: the row stays, the text too.
    QTest::keyClick(window->txtFind(), Qt::Key_X);
    EXPECT_EQ(current(u"Descrizione"_s), u"Dado M4"_s);
    EXPECT_EQ(window->txtFind()->text(), u"dado m4x"_s);

    // Descending: the first match in ascending order all the same.
    clickHeader(u"Descrizione"_s);
    window->txtFind()->clear();
    QTest::keyClicks(window->txtFind(), u"Dado"_s);
    EXPECT_EQ(current(u"Descrizione"_s), u"Dado M3"_s);

    // Down or F3 leaves the box for the list, F3 there goes back to the box.
    QTest::keyClick(window->txtFind(), Qt::Key_Down);
    EXPECT_TRUE(grid().view()->hasFocus());
    QTest::keyClick(grid().view(), Qt::Key_F3);
    EXPECT_TRUE(window->txtFind()->hasFocus());
    QTest::keyClick(window->txtFind(), Qt::Key_F3);
    EXPECT_TRUE(grid().view()->hasFocus());

    // A letter typed in the list finds again, even the one the box holds.
    window->txtFind()->setText(u"d"_s);
    grid().view()->setFocus();
    QTest::keyClick(grid().view(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(grid().view(), Qt::Key_D);
    EXPECT_EQ(current(u"Descrizione"_s), u"Dado M3"_s);

    // Nor are the computed stock columns sorted by a click.
    clickBar(1);
    for (const QString &key : {u"Giacenza"_s, u"CostoUltimo"_s, u"ValoreCU"_s}) {
        clickHeader(key);
        EXPECT_EQ(sortKey().column, grid().column(u"Codice"_s)->index()) << key.toStdString();
    }
}

TEST_F(FindTest, MovementNumbersAndDatesAreFoundWhole)
{
    runSql(database, u"UPDATE MagazRegMain SET Progressivo = 12 WHERE IdReg = 1"_s);
    clickBar(0);
    ASSERT_EQ(columnTexts(u"Prog"_s), (QStringList{u"2"_s, u"12"_s}));
    ASSERT_EQ(window->lblFind()->text(), u"Trova in Prog"_s);
    grid().setRow(1);
    // F3 in the filter goes to the find box.
    QApplication::setActiveWindow(window.get());
    window->cmbFilter()->setFocus();
    QTest::keyClick(window->cmbFilter(), Qt::Key_F3);
    EXPECT_TRUE(window->txtFind()->hasFocus());

    // "1" is not a number of the list, though "12" begins with it.
    QTest::keyClicks(window->txtFind(), u"1"_s);
    EXPECT_EQ(current(u"Prog"_s), u"2"_s);
    QTest::keyClicks(window->txtFind(), u"2"_s);
    EXPECT_EQ(current(u"Prog"_s), u"12"_s);

    clickHeader(u"DataIns"_s);
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Data"_s);
    window->txtFind()->clear();
    QTest::keyClicks(window->txtFind(), u"15/03/2031"_s);
    EXPECT_EQ(current(u"Prog"_s), u"2"_s);
}

TEST_F(FindTest, EveryFindScrollsToTheRowItSelects)
{
    // Eighty more rows on three lists, so that the last ones start below the view.
    runSql(database, QStringLiteral(
        "CREATE TEMP TABLE n (i);"
        "WITH RECURSIVE c(i) AS (SELECT 10 UNION ALL SELECT i + 1 FROM c WHERE i < 89) INSERT INTO n SELECT i FROM c;"
        "INSERT INTO Articoli (Codice, Descrizione, UM) SELECT 'Z0' || i, 'Zeta ' || i, 'PZ' FROM n;"
        "INSERT INTO CliFor (Tipo, Nome) SELECT 'Cliente', 'Zeta ' || i FROM n;"
        "INSERT INTO MagazRegMain (DataIns, Progressivo, Causale, Descrizione) "
        "SELECT '2031-02-01', 100 + i, 'Carico', 'Zeta ' || i FROM n;"));
    // What each node's find looks for in its sorted column, the last rows.
    QTableView *view = grid().view();
    for (const auto &[node, wanted] : {std::pair{0, "189"}, {2, "Z089"}, {3, "Zeta 89"}}) {
        SCOPED_TRACE(node);
        clickBar(node);
        QTest::keyClicks(window->txtFind(), QString::fromLatin1(wanted));
        const int row = grid().row();
        ASSERT_EQ(grid().textAt(row, sortKey().column), QString::fromLatin1(wanted));
        ASSERT_GT(row, 50);
        const int top = view->rowViewportPosition(row - 1);
        EXPECT_GE(top, 0);
        EXPECT_LE(top + view->rowHeight(row - 1), view->viewport()->height());
    }
}

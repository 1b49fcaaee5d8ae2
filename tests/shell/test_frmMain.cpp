// The main window driven through its real widgets on a template database
// with a few articles, suppliers and movements: the navigation, the lists
// of the nodes, the refresh, what a database that cannot be read leaves of
// it, and the find box that searches the sorted column.
#include "MainWindowFixture.h"

#include "common/comProgramInfo.h"

using namespace shelltest;
using namespace Qt::StringLiterals;

// The bar and the View menu switch nodes and follow each other; each node
// lists only its own rows.
TEST_F(MainWindowTest, TheBarAndTheViewMenuSwitchNodesEachListingItsOwnRows)
{
    EXPECT_TRUE(window->picStart()->isVisible());
    clickBar(2);
    EXPECT_FALSE(window->picStart()->isVisible());
    EXPECT_EQ(columnTexts(u"Codice"_s), (QStringList{u"A001"_s, u"A002"_s, u"A003"_s}));
    window->mnuViewItem()[5]->trigger();
    EXPECT_EQ(window->bb()->selectedKey(), u"4"_s);
    EXPECT_EQ(columnTexts(u"Nome"_s), (QStringList{u"Rossi Srl"_s, u"Verdi Spa"_s}));
    window->mnuViewItem()[8]->trigger();
    EXPECT_EQ(columnTexts(u"Descrizione"_s), QStringList{u"Pezzi"_s});
    EXPECT_TRUE(desk->msgBoxes().empty());
}

// A node shows the columns it shows on a window just started, whatever node
// was shown before it (the units' list has every field of the categories').
TEST_F(MainWindowTest, EveryNodeShowsItsOwnColumnsWhateverNodeWasShownBefore)
{
    std::vector<QStringList> own;
    for (int node = 0; node < 8; ++node) {
        startWindow();
        clickBar(node);
        own.push_back(shownCaptions());
    }
    EXPECT_EQ(own[6], (QStringList{u"Codice"_s, u"Descrizione"_s}));
    EXPECT_EQ(own[7], QStringList{u"Descrizione"_s});
    for (int before = 0; before < 8; ++before) {
        for (int node = 0; node < 8; ++node) {
            clickBar(before);
            clickBar(node);
            EXPECT_EQ(shownCaptions(), own[static_cast<size_t>(node)]) << before << " then " << node;
        }
    }
}

TEST_F(MainWindowTest, MovementSubViewsAroundTheWorkingDateAndTheStoredChoiceStockSubViewsWithTotals)
{
    clickBar(0);
    // This year's movements up to the working date.
    EXPECT_EQ(columnTexts(u"Prog"_s), (QStringList{u"1"_s, u"2"_s}));

    window->cmbFilter()->setCurrentIndex(1);
    EXPECT_EQ(columnTexts(u"Prog"_s), QStringList{u"2"_s});

    // The choice stays with the node while another is shown.
    clickBar(2);
    clickBar(0);
    EXPECT_EQ(columnTexts(u"Prog"_s), QStringList{u"2"_s});

    // A new window starts with the stored choices; one that the node does
    // not have counts as the first.
    setSettingsNumber(u"cursublay00"_s, 1);
    setSettingsNumber(u"cursublay01"_s, 4);
    startWindow();
    EXPECT_EQ(window->FilterIdx(0), 1);
    EXPECT_EQ(window->FilterIdx(1), 0);
    clickBar(0);
    EXPECT_EQ(window->cmbFilter()->currentText(), u"Movimenti odierni"_s);

    // Stock sub-views group with totals.
    clickBar(1);
    EXPECT_TRUE(groupCaptions().isEmpty());
    // Only this year's movements up to the working date count.
    EXPECT_EQ(grid().valueAt(3, grid().column(u"Giacenza"_s)->index()).toDouble(), 10.0);

    window->cmbFilter()->setCurrentIndex(1);
    EXPECT_EQ(groupCaptions(), (QStringList{u"Nome: Rossi Srl     QV: [1.234,50]  [987,00]"_s,
                                            u"Nome: Verdi Spa     QV: [10,00]  [10,00]"_s}));
    window->cmbFilter()->setCurrentIndex(2);
    EXPECT_EQ(groupCaptions().size(), 3);
    EXPECT_EQ(groupCaptions().first(), u"Categoria: Colle     QV: [10,00]  [10,00]"_s);

    // Two levels, all expanded: every record row is there.
    window->cmbFilter()->setCurrentIndex(3);
    EXPECT_EQ(groupCaptions().size(), 2 + 3);
    EXPECT_EQ(columnTexts(u"Codice"_s).size(), 3);
}

// A database held by another program stops each command at its first error
// after one wait, and leaves the window as it was; so does a list that
// cannot be read.
TEST_F(MainWindowTest, ADatabaseThatCannotBeReadLeavesTheWindowAsItWas)
{
    clickBar(0);
    const auto shown = [this] {
        return QStringList{window->lblTitle()->text(), window->cmbFilter()->currentText(), window->lblFind()->text(),
                           columnTexts(u"Prog"_s).join(u','), window->Panel(u"Contatore"_s)->text()};
    };
    const QStringList before = shown();
    platform::Connection::setDefaultBusyTimeout(50);
    {
        const AltroProgramma other(database);
        const auto lock = testsupport::databaseErrorOf([] { platform::Connection(MainModule::ConnString); });
        ASSERT_TRUE(lock.has_value());
        ASSERT_EQ(lock->kind(), platform::DatabaseError::Kind::Busy);

        // Each command waits for the lock once, not once per statement.
        int waits = 0;
        const platform::BusyListener previous = platform::Connection::setBusyListener(
            [&waits](platform::BusyWait wait) { waits += wait == platform::BusyWait::Started ? 1 : 0; });
        clickBar(2);
        window->mnuViewItem()[3]->trigger(); // stores the list's layout first
        window->cmbFilter()->setCurrentIndex(1);
        item(window->mnuView(), u"Aggiorna"_s)->trigger();
        platform::Connection::setBusyListener(previous);
        EXPECT_EQ(waits, 4);
        EXPECT_EQ(window->CurNode(), 0);
        EXPECT_EQ(window->FilterIdx(0), 0);
        EXPECT_EQ(shown(), before);
        EXPECT_EQ(window->bb()->selectedKey(), u"0"_s);
        // One message for each command: the lock's.
        EXPECT_EQ(desk->prompts(), QStringList(4, lock->description()));
    }
    // Once the other program lets go, the same commands work.
    window->cmbFilter()->setCurrentIndex(1);
    EXPECT_EQ(columnTexts(u"Prog"_s), QStringList{u"2"_s});
    clickBar(2);
    EXPECT_EQ(window->lblTitle()->text(), u"Articoli"_s);
    EXPECT_EQ(desk->msgBoxes().size(), 4u);

    // A list that cannot be read.
    desk->clear();
    clickBar(3);
    const QStringList customers = columnTexts(u"Nome"_s);
    runSql(database, u"DROP VIEW ViewArticoli"_s);
    clickBar(2);
    EXPECT_EQ(window->CurNode(), 3);
    EXPECT_EQ(window->bb()->selectedKey(), u"3"_s);
    EXPECT_EQ(columnTexts(u"Nome"_s), customers);
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_TRUE(desk->msgBoxes()[0].prompt.contains(u"L'operazione sul database non è riuscita."_s))
        << desk->msgBoxes()[0].prompt.toStdString();

    // When only the status cannot be read, the list is shown and the panels
    // keep what they showed.
    desk->clear();
    runSql(database, QStringLiteral("DROP TABLE Articoli;"
                                    "INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (9, 'Cliente', 'Neri Ugo')"));
    MainModule::WorkDate = platform::DateTime(2031, 4, 1);
    item(window->mnuView(), u"Aggiorna"_s)->trigger();
    EXPECT_EQ(columnTexts(u"Nome"_s), (QStringList{u"Bianchi Mario"_s, u"Neri Ugo"_s}));
    EXPECT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(window->Panel(u"WorkData"_s)->text(), u"sab 15 mar 31"_s);
    EXPECT_EQ(window->Panel(u"Contatore"_s)->text(), u"7"_s);
}

TEST_F(MainWindowTest, SetLayCountsAndWarnsOfBelowMinimum)
{
    runSql(database, u"UPDATE Articoli SET ScortaMinima = 20 WHERE Codice = 'A003'"_s);
    MainModule::SalvaProgressivo(12, 2031);
    window->SetLay();
    EXPECT_EQ(window->Panel(u"Contatore"_s)->text(), u"12"_s);
    EXPECT_EQ(window->ImmagineContatore(), u"status-below-min"_s);

    // On the stock node the list gives the answer: A003 has 10 in stock on
    // the working date, so a minimum of 10 is not below it, 10,5 is.
    clickBar(1);
    runSql(database, u"UPDATE Articoli SET ScortaMinima = 10 WHERE Codice = 'A003'"_s);
    window->SetLay();
    EXPECT_EQ(window->ImmagineContatore(), u"status-ok"_s);
    runSql(database, u"UPDATE Articoli SET ScortaMinima = 10.5 WHERE Codice = 'A003'"_s);
    window->SetLay();
    EXPECT_EQ(window->ImmagineContatore(), u"status-below-min"_s);

    // A year without movements counts 0; with no minimum set nothing is below it.
    runSql(database, u"UPDATE Articoli SET ScortaMinima = 0"_s);
    MainModule::WorkDate = platform::DateTime(2033, 1, 1);
    MainModule::WorkYear = 2033;
    window->SetLay();
    EXPECT_EQ(window->Panel(u"Contatore"_s)->text(), u"0"_s);
    EXPECT_EQ(window->ImmagineContatore(), u"status-ok"_s);
    EXPECT_EQ(window->Panel(u"WorkData"_s)->text(), u"sab 1 gen 33"_s);
    EXPECT_TRUE(desk->msgBoxes().empty());

    // Resizing lays the list out again with the node's sort: the find label
    // names the column the find then searches.
    clickBar(2);
    clickHeader(u"Descrizione"_s);
    window->resize(900, 700);
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Codice"_s);
    QTest::keyClicks(window->txtFind(), u"a003"_s);
    EXPECT_EQ(current(u"Codice"_s), u"A003"_s);
}

TEST_F(MainWindowTest, FirstRunOfThisVersionDropsOldListLayouts)
{
    const QString running = QString::number(comProgramInfo::VersionMajor()) + u'.'
                            + QString::number(comProgramInfo::VersionMinor());
    EXPECT_EQ(settingsText(u"prgver"_s), running);

    const auto layouts = [this] {
        return queryValue(database, u"SELECT COUNT(*) FROM _Pars WHERE k01='gridlayout'"_s);
    };
    runSql(database, u"INSERT INTO _Pars (k01, k02) VALUES ('gridlayout', 'art')"_s);
    window = std::make_unique<frmMain>();
    EXPECT_EQ(layouts(), u"1"_s); // the same version keeps them

    // "1.10" is lower than "1.4" as text, as the older versions compared.
    setSettingsText(u"prgver"_s, u"1.10"_s);
    window = std::make_unique<frmMain>();
    EXPECT_EQ(layouts(), u"0"_s);
    EXPECT_EQ(settingsText(u"prgver"_s), running);
}

TEST_F(MainWindowTest, HeaderClicksSortBothWaysAndTypingFindsInTheSortedColumn)
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

    // Nor are the computed stock columns sorted by a click.
    clickBar(1);
    for (const QString &key : {u"Giacenza"_s, u"CostoUltimo"_s, u"ValoreCU"_s}) {
        clickHeader(key);
        EXPECT_EQ(sortKey().column, grid().column(u"Codice"_s)->index()) << key.toStdString();
    }
}

TEST_F(MainWindowTest, MovementNumbersAndDatesAreFoundWhole)
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

TEST_F(MainWindowTest, EveryFindScrollsToTheRowItSelects)
{
    // Eighty more rows on every list, so that the last ones start below the view.
    runSql(database, QStringLiteral(
        "CREATE TEMP TABLE n (i);"
        "WITH RECURSIVE c(i) AS (SELECT 10 UNION ALL SELECT i + 1 FROM c WHERE i < 89) INSERT INTO n SELECT i FROM c;"
        "INSERT INTO Articoli (Codice, Descrizione, UM) SELECT 'Z0' || i, 'Zeta ' || i, 'PZ' FROM n;"
        "INSERT INTO CliFor (Tipo, Nome) SELECT 'Cliente', 'Zeta ' || i FROM n "
        "UNION ALL SELECT 'Fornitore', 'Zeta ' || i FROM n;"
        "INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota) SELECT 'Z' || i, 'Zeta ' || i, 0 FROM n;"
        "INSERT INTO Liste (Chiave, Codice, Descrizione) SELECT 'um', 'Z' || i, 'Zeta ' || i FROM n "
        "UNION ALL SELECT 'cat', NULL, 'Zeta ' || i FROM n;"
        "INSERT INTO MagazRegMain (DataIns, Progressivo, Causale, Descrizione) "
        "SELECT '2031-02-01', 100 + i, 'Carico', 'Zeta ' || i FROM n;"));
    // What each node's find looks for in its sorted column, the last rows.
    const char *const wanted[] = {"189", "Z089", "Z089", "Zeta 89", "Zeta 89", "Z89", "Z89", "Zeta 89"};
    QTableView *view = grid().view();
    for (int node = 0; node < 8; ++node) {
        SCOPED_TRACE(node);
        clickBar(node);
        QTest::keyClicks(window->txtFind(), QString::fromLatin1(wanted[node]));
        const int row = grid().row();
        ASSERT_EQ(grid().textAt(row, sortKey().column), QString::fromLatin1(wanted[node]));
        ASSERT_GT(row, 50);
        const int top = view->rowViewportPosition(row - 1);
        EXPECT_GE(top, 0);
        EXPECT_LE(top + view->rowHeight(row - 1), view->viewport()->height());
    }
}

// The working day counts whole in every list and in the warning: a
// movement stored with a time of day that day is in the year's movements
// and today's, and its quantity in the stock and the below-minimum check.
TEST_F(MainWindowTest, AMovementOfTheWorkingDayWithATimeOfDayCountsEverywhere)
{
    runSql(database, u"UPDATE MagazRegMain SET DataIns = '2031-03-15 18:30:00' WHERE IdReg = 2;"
                     "UPDATE Articoli SET ScortaMinima = 10 WHERE Codice = 'A003'"_s);
    clickBar(0);
    EXPECT_EQ(columnTexts(u"Prog"_s), (QStringList{u"1"_s, u"2"_s}));
    window->cmbFilter()->setCurrentIndex(1);
    EXPECT_EQ(columnTexts(u"Prog"_s), QStringList{u"2"_s});
    // Away from the stock node the warning asks the database itself.
    EXPECT_EQ(window->ImmagineContatore(), u"status-ok"_s);
    runSql(database, u"UPDATE Articoli SET ScortaMinima = 10.5 WHERE Codice = 'A003'"_s);
    window->SetLay();
    EXPECT_EQ(window->ImmagineContatore(), u"status-below-min"_s);

    clickBar(1);
    EXPECT_EQ(grid().valueAt(3, grid().column(u"Giacenza"_s)->index()).toDouble(), 10.0);
}

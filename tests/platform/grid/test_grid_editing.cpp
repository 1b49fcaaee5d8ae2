// Editing in place, through the real widget and the keyboard: the movement
// lines grid over a batch-optimistic recordset (typing into cells, the
// new-record row with its defaults, drop-down columns that store a code,
// validation that keeps the focus, data errors, deleting rows, and the
// batch update that writes it all), and the table editor that writes each
// row at once.
#include "GridTestSupport.h"

#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/ScriptedDesktop.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

using namespace platform;
using namespace Qt::StringLiterals;
using testsupport::DataFixture;

namespace {

// The columns of the movement lines grid.
enum Col { IdDet = 1, IdReg, Riga, Codice, Descrizione, Quantita, Segno, Costo, Prezzo };

Variant quantity(double value) { return Variant(Currency::fromDouble(value)); }

class LinesGrid : public gridtest::SampleGridTest
{
protected:
    void SetUp() override
    {
        for (Grid *list : {&codes, &names})
            bind(*list, u"SELECT Codice, Descrizione FROM Articoli ORDER BY Codice"_s);
        const auto add = [this](const QString &key, const QString &field) { return grid.columns().add(key, key, field); };
        const auto readOnly = [](GridColumn *column) {
            column->setEditable(false);
            column->setSelectable(false);
            return column;
        };
        for (const QString &hidden : {u"IdDet"_s, u"IdReg"_s})
            add(hidden, hidden)->setWidth(0);
        readOnly(add(u"Riga"_s, u"Riga"_s));
        GridColumn *code = add(u"CodiceArticolo"_s, u"CodiceArticolo"_s);
        code->setDropDown(codes.model(), u"Codice"_s, u"Codice"_s);
        code->setHeaderTip(u"Codice Articolo"_s);
        readOnly(add(u"Descrizione"_s, u"CodiceArticolo"_s))->setDropDown(names.model(), u"Codice"_s, u"Descrizione"_s);
        GridColumn *quantity = add(u"Quantità"_s, u"Quantità"_s);
        quantity->setDefaultValue(Variant("1"));
        quantity->setFormat(u"#,##0.00"_s);
        add(u"Segno"_s, u"Segno"_s)->setWidth(0);
        add(u"Costo"_s, u"Costo"_s);
        add(u"Prezzo"_s, u"Prezzo"_s);

        grid.setLockType(LockType::BatchOptimistic);
        bind(u"SELECT * FROM MagazRegDetail WHERE IdReg=1 ORDER BY Riga"_s);
        grid.setAllowEdit(true);
        grid.setAllowAddNew(true);
        grid.setAllowDelete(true);
        grid.setRowHeaders(true);
        grid.setRecordNavigatorCaption(u"Record:|di"_s);
        ASSERT_EQ(grid.columns().count(), 9);
        // New lines get the next line number and the movement's key, as
        // the movement window numbers them.
        QObject::connect(grid.recordset(), &Recordset::recordChangeComplete, &grid, [this](EventReason reason) {
            if (reason != EventReason::adRsnAddNew)
                return;
            grid.recordset()->setValue(u"IdReg"_s, Variant(std::int32_t(1)));
            grid.recordset()->setValue(u"Riga"_s, Variant(nextLine));
            nextLine += 10;
        });
    }

    // Writes the grid's pending rows to the database.
    void save()
    {
        ASSERT_TRUE(grid.commitRow());
        Recordset *rs = grid.recordset();
        rs->setActiveConnection(Connection(connectionString()));
        rs->updateBatch();
        rs->setActiveConnection(nullptr);
    }
    QStringList storedLines()
    {
        return DataFixture::queryColumn(path, u"SELECT Riga || ' ' || CodiceArticolo || ' ' || \"Quantità\" "
                                              "FROM MagazRegDetail WHERE IdReg=1 ORDER BY Riga"_s);
    }
    // Records, rows, the new-record row and the row with pending changes.
    QList<int> counts() const
    {
        return {grid.recordCount(), grid.rowCount(), grid.newRecordRow(), grid.model()->pendingRow()};
    }
    QLineEdit *lineEditor() { return qobject_cast<QLineEdit *>(gridtest::focused()); }

    ScopedScriptedDesktop desktop;
    Grid codes;
    Grid names;
    std::int32_t nextLine = 30;
};

} // namespace

TEST_F(LinesGrid, DescriptionColumnShowsTheArticleOfTheStoredCode)
{
    EXPECT_EQ(counts(), (QList<int>{2, 2, 3, 0}));
    EXPECT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(grid.textAt(1, Descrizione), u"Vite 3x20"_s);
    EXPECT_EQ(grid.valueAt(1, Descrizione), Variant("A001"));
    EXPECT_EQ(grid.textAt(2, Quantita), u"12,50"_s);
    EXPECT_EQ(grid.model()->headerData(2, Qt::Vertical).toString(), u"*"_s);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Vertical).toString(), QString(QChar(0x25B6)));
    // Not selectable: Riga and Descrizione never become current.
    grid.setRow(1);
    grid.setCol(Codice);
    gridtest::showAndFocus(grid);
    QList<int> columns;
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Left}) {
        gridtest::pressKey(key);
        columns << grid.col();
    }
    EXPECT_EQ(columns, (QList<int>{Quantita, Codice, Codice}));
}

TEST_F(LinesGrid, TypingIntoACellKeepsTheValueInTheRowUntilTheRowIsLeft)
{
    int beforeCell = 0;
    int beforeRow = 0;
    QSignalSpy afterCell(&grid, &Grid::afterColUpdate);
    QSignalSpy afterRow(&grid, &Grid::afterUpdate);
    Variant oldValue;
    QObject::connect(&grid, &Grid::beforeColUpdate, [&](GridCellUpdate &u) {
        ++beforeCell;
        oldValue = u.oldValue;
    });
    QObject::connect(&grid, &Grid::beforeUpdate, [&](GridRowUpdate &) { ++beforeRow; });
    // The movement window goes back to the article code after each line.
    QObject::connect(&grid, &Grid::afterUpdate, &grid, [this](int) { grid.setCol(Codice); });

    gridtest::typeIntoCell(grid, 1, Quantita, u"7,5"_s);
    EXPECT_EQ(beforeCell, 1);
    EXPECT_EQ(afterCell.count(), 1);
    EXPECT_EQ(oldValue, quantity(150));
    EXPECT_EQ(grid.valueAt(1, Quantita), quantity(7.5));
    EXPECT_EQ(grid.model()->pendingRow(), 1);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Vertical).toString(), QString(QChar(0x270E)));
    // Tab went on to the next cell that can be edited, past the hidden one.
    EXPECT_EQ(grid.col(), Costo);
    EXPECT_EQ(beforeRow, 0);

    gridtest::pressKey(Qt::Key_Escape); // leaves the Costo editor unchanged
    gridtest::pressKey(Qt::Key_Down);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.col(), Codice);
    EXPECT_EQ(beforeRow, 1);
    EXPECT_EQ(afterRow.count(), 1);
    EXPECT_EQ(grid.model()->pendingRow(), 0);
    // Tab from the last cell of the last line goes on to the new-record row.
    gridtest::typeIntoCell(grid, 2, Prezzo, u"3"_s);
    EXPECT_EQ(grid.row(), grid.newRecordRow());
    EXPECT_EQ(grid.col(), Codice);
    EXPECT_EQ(grid.valueAt(2, Prezzo), Variant(3.0));
    EXPECT_EQ(grid.model()->pendingRow(), 0);
    // Nothing reaches the database before the batch update.
    EXPECT_EQ(storedLines(), (QStringList{"10 A001 150", "20 A002 12.5"}));
    save();
    EXPECT_EQ(storedLines(), (QStringList{"10 A001 7.5", "20 A002 12.5"}));
}

TEST_F(LinesGrid, DropDownEditorListsTheArticlesAndStoresTheChosenOnesCode)
{
    GridColumn *name = grid.column(Descrizione);
    name->setEditable(true);
    name->setSelectable(true);
    gridtest::showAndFocus(grid);
    grid.setRow(2);
    grid.setCol(Descrizione);
    gridtest::typeText(u"r"_s);
    auto *combo = qobject_cast<QComboBox *>(gridtest::focused());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(1), u"Dado M3"_s);
    combo->setCurrentIndex(2); // "Rondella", chosen from the list
    gridtest::pressKey(Qt::Key_Tab);
    EXPECT_EQ(grid.valueAt(2, Codice), Variant("B001"));
    EXPECT_EQ(grid.textAt(2, Descrizione), u"Rondella"_s);
    // Typed, without regard to case.
    gridtest::typeIntoCell(grid, 1, Descrizione, u"dado m3"_s);
    EXPECT_EQ(grid.valueAt(1, Codice), Variant("A002"));
}

TEST_F(LinesGrid, ARefusedOrUnfittingValueKeepsTheCellEditing)
{
    QObject::connect(&grid, &Grid::beforeColUpdate, [](GridCellUpdate &u) {
        if (u.column == Quantita && u.newValue.toDouble() <= 0)
            u.cancel = true;
    });
    gridtest::typeIntoCell(grid, 1, Quantita, u"0"_s);
    EXPECT_EQ(grid.valueAt(1, Quantita), quantity(150));
    EXPECT_EQ(grid.col(), Quantita);
    ASSERT_NE(lineEditor(), nullptr);
    EXPECT_EQ(lineEditor()->text(), u"0"_s);
    EXPECT_TRUE(grid.isEditing());
    // Neither a click on another row nor the arrow keys leave the cell.
    QTableView *v = grid.view();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(grid.model()->index(1, 3)).center());
    EXPECT_EQ(grid.row(), 1);
    EXPECT_TRUE(grid.isEditing());
    gridtest::pressKey(Qt::Key_Down);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_FALSE(grid.commitRow());
    // A good value goes through.
    lineEditor()->selectAll();
    gridtest::typeText(u"5"_s);
    gridtest::pressKey(Qt::Key_Tab);
    EXPECT_EQ(grid.valueAt(1, Quantita), quantity(5));
    EXPECT_EQ(grid.col(), Costo);

    // A value that does not fit the field is a data error: without a
    // handler the grid shows it itself.
    gridtest::typeIntoCell(grid, 1, Quantita, u"abc"_s);
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    EXPECT_EQ(desktop->prompts(), QStringList{"Tipo non corrispondente"});
    EXPECT_EQ(grid.valueAt(1, Quantita), quantity(5));
    EXPECT_TRUE(grid.isEditing());
    gridtest::pressKey(Qt::Key_Escape);
    EXPECT_FALSE(grid.isEditing());
    // The window shows its own message instead.
    desktop->clear();
    int errors = 0;
    QObject::connect(&grid, &Grid::dataError, [&errors](GridDataError &e) {
        ++errors;
        e.showMessage = false;
        platform::desktop().msgBox(u"Errore nell'inserimento dei dati"_s, vbOKOnly);
    });
    gridtest::typeIntoCell(grid, 2, Costo, u"1,2,3"_s);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(desktop->prompts(), QStringList{"Errore nell'inserimento dei dati"});
}

TEST_F(LinesGrid, KeyNotificationsCanSwallowKeys)
{
    QList<int> keysDown;
    QObject::connect(&grid, &Grid::keyDown, [&](GridKeyEvent &k) {
        keysDown << k.key;
        if (k.key == Qt::Key_F5)
            k.handled = true;
    });
    QObject::connect(&grid, &Grid::keyPress, [&](GridKeyEvent &k) {
        if (k.text == u"-"_s && grid.col() == Quantita)
            k.handled = true;
    });
    gridtest::typeIntoCell(grid, 1, Quantita, u"-3"_s);
    EXPECT_EQ(grid.valueAt(1, Quantita), quantity(3));
    // Each key is notified once, whether the view or the cell editor has it.
    gridtest::pressKey(Qt::Key_F5);
    EXPECT_EQ(keysDown, (QList<int>{Qt::Key_Minus, Qt::Key_3, Qt::Key_Tab, Qt::Key_F5}));
    // Typing a minus in the code column is not swallowed.
    gridtest::typeIntoCell(grid, 2, Codice, u"-"_s, Qt::Key_Escape);
    EXPECT_EQ(keysDown.count(Qt::Key_Minus), 2);
}

TEST_F(LinesGrid, UnsavedLinesAreDroppedByEscapeOrByCancellingTheBatch)
{
    gridtest::typeIntoCell(grid, grid.newRecordRow(), Codice, u"A001"_s);
    EXPECT_EQ(grid.recordCount(), 3);
    gridtest::pressKey(Qt::Key_Escape); // the quantity editor
    gridtest::pressKey(Qt::Key_Escape); // the line
    EXPECT_EQ(counts(), (QList<int>{2, 2, 3, 0}));
    EXPECT_FALSE(grid.recordset()->hasPendingChanges());

    gridtest::typeIntoCell(grid, 1, Quantita, u"8"_s);
    gridtest::pressKey(Qt::Key_Escape);
    gridtest::typeIntoCell(grid, grid.newRecordRow(), Codice, u"B001"_s);
    ASSERT_TRUE(grid.commitRow());
    EXPECT_EQ(grid.recordCount(), 3);
    // The movement window drops its unsaved changes on the recordset itself.
    grid.recordset()->cancelBatch();
    EXPECT_EQ(counts(), (QList<int>{2, 2, 3, 0}));
    EXPECT_EQ(grid.valueAt(1, Quantita), quantity(150));
    EXPECT_GE(grid.row(), 1);
}

TEST_F(LinesGrid, EditsDeletesAndNewLinesWithTheirDefaultsAreWrittenByOneBatchUpdate)
{
    gridtest::typeIntoCell(grid, 1, Quantita, u"8"_s);
    gridtest::pressKey(Qt::Key_Escape);
    // Delete removes a line unless refused.
    bool refuse = true;
    QObject::connect(&grid, &Grid::beforeDelete, [&](GridRowUpdate &u) { u.cancel = refuse; });
    QSignalSpy deleted(&grid, &Grid::afterDelete);
    grid.setRow(2);
    gridtest::pressKey(Qt::Key_Delete);
    EXPECT_EQ(grid.recordCount(), 2);
    refuse = false;
    gridtest::pressKey(Qt::Key_Delete);
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(counts(), (QList<int>{1, 1, 2, 0}));
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.recordNavigatorText(), u"Record: 1 di 1"_s);
    // The new-record row counts as a row once it is current.
    grid.setRow(grid.newRecordRow());
    EXPECT_EQ(grid.recordNavigatorText(), u"Record: 2 di 2"_s);

    // The new-record row starts a line with its defaults; the drop-down stores the code.
    int beforeCell = 0;
    QObject::connect(&grid, &Grid::beforeColUpdate, [&](GridCellUpdate &) { ++beforeCell; });
    gridtest::typeIntoCell(grid, grid.newRecordRow(), Codice, u"b001"_s);
    EXPECT_EQ(beforeCell, 1);
    EXPECT_EQ(grid.recordCount(), 2);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.newRecordRow(), 3);
    EXPECT_EQ(grid.valueAt(2, Codice), Variant("B001"));
    EXPECT_EQ(grid.textAt(2, Descrizione), u"Rondella"_s);
    EXPECT_EQ(grid.valueAt(2, Quantita), quantity(1));
    EXPECT_EQ(grid.valueAt(2, Riga), Variant(std::int32_t(30)));
    EXPECT_EQ(grid.recordNavigatorText(), u"Record: 2 di 2"_s);
    // Tab went on to the quantity of the new line; typing there changes it.
    EXPECT_EQ(grid.col(), Quantita);
    gridtest::typeText(u"2,5"_s);
    gridtest::pressKey(Qt::Key_Tab);
    EXPECT_EQ(grid.valueAt(2, Quantita), quantity(2.5));
    // The program puts a value into the current line, as a finder would.
    EXPECT_TRUE(grid.setValue(Costo, Variant(0.02)));
    // A second line, on the new-record row again.
    gridtest::typeIntoCell(grid, grid.newRecordRow(), Codice, u"A002"_s);
    EXPECT_EQ(grid.model()->pendingRow(), 3);
    save();
    EXPECT_EQ(storedLines(), (QStringList{"10 A001 8", "30 B001 2.5", "40 A002 1"}));
    EXPECT_EQ(DataFixture::queryValue(path, u"SELECT Costo FROM MagazRegDetail WHERE Riga=30"_s), u"0.02"_s);
    EXPECT_EQ(DataFixture::queryValue(path, u"SELECT COUNT(*) FROM MagazRegDetail WHERE IdDet=2"_s), u"0"_s);
    // The new lines carry their new keys for a later save.
    EXPECT_FALSE(grid.valueAt(2, IdDet).isNull());
}

TEST_F(LinesGrid, FocusComingInIsNotifiedOnceAndProgramValuesStartALineWithoutCellNotifications)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *before = new QLineEdit(&window);
    layout->addWidget(before);
    grid.setParent(&window);
    layout->addWidget(&grid);
    window.show();
    QApplication::setActiveWindow(&window);
    before->setFocus();
    QApplication::processEvents();
    QSignalSpy received(&grid, &Grid::focusReceived);
    grid.view()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(received.count(), 1);
    grid.setRow(1);
    grid.setCol(Quantita);
    gridtest::typeText(u"2"_s);
    gridtest::pressKey(Qt::Key_Tab);
    EXPECT_EQ(received.count(), 1);
    grid.setParent(nullptr);

    // Values the program puts on the new row start a line without cell notifications.
    int beforeCell = 0;
    QObject::connect(&grid, &Grid::beforeColUpdate, [&](GridCellUpdate &) { ++beforeCell; });
    grid.setRow(grid.newRecordRow());
    EXPECT_TRUE(grid.setValue(Codice, Variant("A002")));
    EXPECT_EQ(beforeCell, 0);
    EXPECT_EQ(grid.recordCount(), 3);
    EXPECT_EQ(grid.valueAt(3, Quantita), quantity(1));
    EXPECT_EQ(grid.textAt(3, Descrizione), u"Dado M3"_s);
    // Values the program sets on the recordset show in the grid.
    grid.recordset()->setValue(u"Costo"_s, Variant(0.07));
    EXPECT_EQ(grid.valueAt(3, Costo), Variant(0.07));
    // Not editable in view mode.
    grid.setAllowEdit(false);
    EXPECT_FALSE(grid.model()->isCellEditable(1, Quantita));
    EXPECT_EQ(grid.newRecordRow(), 0);
}

namespace {

// The table editor: each row written as soon as it is left.
class TableEditor : public gridtest::SampleGridTest
{
protected:
    void SetUp() override
    {
        grid.setLockType(LockType::Optimistic);
        bind(u"SELECT * FROM CodiciIVA ORDER BY CodiceIVA"_s);
        grid.setAllowEdit(true);
        grid.setAllowAddNew(true);
        grid.setAllowDelete(true);
    }
    // The stored rows: code, description, rate and exemption.
    QStringList storedRows() const
    {
        return DataFixture::queryColumn(path, u"SELECT CodiceIVA || ' ' || Descrizione || ' ' || Aliquota || ' ' || "
                                              "Esenzione FROM CodiciIVA ORDER BY CodiceIVA"_s);
    }
    ScopedScriptedDesktop desktop;
};

} // namespace

TEST_F(TableEditor, EachRowIsWrittenWhenLeftAndAConflictLosesNoOtherRow)
{
    gridtest::typeIntoCell(grid, 1, 2, u"Ridotta al 10"_s);
    gridtest::pressKey(Qt::Key_Escape);
    gridtest::pressKey(Qt::Key_Down);
    EXPECT_EQ(storedRows(), (QStringList{"10 Ridotta al 10 10.0 0", "22 Ordinaria 22.0 0"}));

    // Someone else changes the second row meanwhile.
    DataFixture::runSql(path, u"UPDATE CodiciIVA SET Descrizione='Altro' WHERE CodiceIVA='22'"_s);
    int errors = 0;
    QObject::connect(&grid, &Grid::dataError, [&errors](GridDataError &) { ++errors; });
    gridtest::typeIntoCell(grid, 2, 2, u"Ordinaria 22%"_s);
    gridtest::pressKey(Qt::Key_Escape);
    gridtest::pressKey(Qt::Key_Up);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(desktop->msgBoxes().size(), 1u);
    // The row stays where it was, with its change pending; nothing else is lost.
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(grid.model()->pendingRow(), 2);
    EXPECT_EQ(storedRows(), (QStringList{"10 Ridotta al 10 10.0 0", "22 Altro 22.0 0"}));
    // Esc drops the change; the row can be left again.
    gridtest::pressKey(Qt::Key_Escape);
    EXPECT_EQ(grid.model()->pendingRow(), 0);
    gridtest::pressKey(Qt::Key_Up);
    EXPECT_EQ(grid.row(), 1);
}

TEST_F(TableEditor, BooleanColumnsAreCheckBoxesBinaryCellsAreLeftAloneAndNewRowsAreInsertedWhenLeft)
{
    EXPECT_EQ(grid.column(u"Esenzione"_s)->kind(), GridColumnKind::CheckBox);
    QAbstractItemModel *m = grid.model();
    const QModelIndex exempt = m->index(0, grid.column(u"Esenzione"_s)->index() - 1);
    EXPECT_EQ(m->data(exempt, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    EXPECT_TRUE(m->flags(exempt) & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(m->setData(exempt, int(Qt::Checked), Qt::CheckStateRole));
    EXPECT_TRUE(grid.commitRow());

    gridtest::typeIntoCell(grid, grid.newRecordRow(), 1, u"4"_s);
    for (const QString &typed : {u"Minima"_s, u"4"_s}) {
        gridtest::typeText(typed);
        gridtest::pressKey(Qt::Key_Tab);
    }
    EXPECT_EQ(grid.col(), 4); // the check box: no editor opens there
    EXPECT_FALSE(grid.isEditing());
    EXPECT_TRUE(grid.commitRow());
    EXPECT_EQ(storedRows(), (QStringList{"10 Ridotta 10.0 1", "22 Ordinaria 22.0 0", "4 Minima 4.0 0"}));
    EXPECT_EQ(grid.recordCount(), 3);

    // Binary cells are left alone. Editing _Pars, which has no key, row by
    // row is tested with the table editor window (test_comfrmManData.cpp).
    DataFixture::runSql(path, u"UPDATE _Pars SET m01 = x'41004200' WHERE k01 = 'NumDecQ'"_s);
    grid.setRecordSource(u"SELECT * FROM _Pars ORDER BY l01"_s);
    grid.rebind();
    ASSERT_EQ(grid.recordCount(), 4); // NumDecQ 2, NumDecV 2, maga 2024, maga 2025
    const int m01 = grid.column(u"m01"_s)->index();
    EXPECT_FALSE(grid.model()->isCellEditable(1, m01));
    EXPECT_TRUE(grid.textAt(1, m01).isEmpty());
    EXPECT_TRUE(grid.model()->isCellEditable(1, grid.column(u"l01"_s)->index()));
}

// The table editor: the list of the program's tables, the chosen table in
// an editable grid whose rows are written as the user leaves them (tables
// with a key and _Pars, which has none), and database errors that are
// reported without losing any other row.
#include "common/comfrmManData.h"

#include "DataFixture.h"
#include "platform/base/Twips.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "support/TestEnv.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using platform::Grid;
using platform::ScopedScriptedDesktop;
using testsupport::DataFixture;

namespace {

const QStringList ProgramTables = {QStringLiteral("_Pars"),        QStringLiteral("Articoli"),
                                   QStringLiteral("CliFor"),       QStringLiteral("CodiciIVA"),
                                   QStringLiteral("Liste"),        QStringLiteral("MagazRegDetail"),
                                   QStringLiteral("MagazRegMain")};

class ManDataTest : public ::testing::Test
{
protected:
    ManDataTest() : path(DataFixture::createSampleDatabase()), form(DataFixture::connectionString(path)) {}

    // Picks a table in the opened list with the keyboard, as a user does.
    void choose(const QString &table)
    {
        form.show();
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
        const int index = form.cmbTables->findText(table);
        ASSERT_GE(index, 0);
        form.cmbTables->showPopup();
        QAbstractItemView *list = form.cmbTables->view();
        list->setCurrentIndex(list->model()->index(index, 0));
        QTest::keyClick(list, Qt::Key_Return);
        QApplication::processEvents();
        // The offscreen platform leaves the closed list as the active window.
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }
    Grid &grid() { return *form.gexTable; }
    // The grid's row whose first column holds the text.
    int rowOf(const QString &key, int column = 1)
    {
        for (int row = 1; row <= grid().rowCount(); ++row)
            if (grid().textAt(row, column) == key)
                return row;
        ADD_FAILURE() << "no row " << key.toStdString();
        return 0;
    }
    int columnOf(const QString &field) { return grid().column(field)->index(); }
    // Types into a cell and then presses Tab.
    void typeIntoCell(int row, int column, const QString &text)
    {
        grid().setRow(row);
        grid().setCol(column);
        grid().view()->setFocus();
        type(text);
    }
    static void type(const QString &text)
    {
        for (const QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        press(Qt::Key_Tab);
    }
    static void press(Qt::Key key)
    {
        QTest::keyClick(QApplication::focusWidget(), key);
        QApplication::processEvents();
    }
    // Leaves the row being edited by moving to another one.
    void leaveRow(int to)
    {
        if (grid().isEditing())
            press(Qt::Key_Escape); // closes the editor a Tab opened on the next cell
        grid().view()->setFocus();
        grid().setRow(to);
        QApplication::processEvents();
    }
    QStringList column(const QString &sql) { return DataFixture::queryColumn(path, sql); }

    ScopedScriptedDesktop desktop;
    QString path;
    comfrmManData form;
};

} // namespace

TEST_F(ManDataTest, ListsExactlyTheProgramsTablesOrReportsAnUnreadableDatabase)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tabelle"));
    EXPECT_EQ(form.lblTabella->text(), QStringLiteral("Tabella:"));
    QStringList listed;
    for (int i = 0; i < form.cmbTables->count(); ++i)
        listed << form.cmbTables->itemText(i);
    // Neither the views, the stored queries' table nor the engine's own tables.
    EXPECT_EQ(listed, ProgramTables);
    EXPECT_EQ(form.cmbTables->currentIndex(), -1);
    EXPECT_FALSE(form.gexTable->isVisibleTo(&form));
    EXPECT_EQ(form.gexTable->connectionString(), DataFixture::connectionString(path));
    EXPECT_TRUE(desktop->msgBoxes().empty());

    // Without a database the list is empty; an unreadable one is reported.
    comfrmManData none{QString()};
    EXPECT_EQ(none.cmbTables->count(), 0);
    EXPECT_TRUE(desktop->msgBoxes().empty());

    const QString notADatabase = testsupport::freshDir(QStringLiteral("x")) + QStringLiteral("/gest01.mdb");
    {
        QFile f(notADatabase);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("non un database");
    }
    comfrmManData broken(DataFixture::connectionString(notADatabase));
    EXPECT_EQ(broken.cmbTables->count(), 0);
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    EXPECT_TRUE(desktop->prompts().at(0).startsWith(QStringLiteral("Impossibile leggere l'elenco delle tabelle.\r\n")));
    EXPECT_GT(desktop->prompts().at(0).size(), 46);
    EXPECT_EQ(desktop->msgBoxes().at(0).style, platform::vbOKOnly | platform::vbExclamation);
    EXPECT_EQ(DataFixture::fileBytes(notADatabase), QByteArray("non un database"));
}

TEST_F(ManDataTest, ChoosingATableShowsItInTheGridSizedByTheWindow)
{
    choose(QStringLiteral("CodiciIVA"));
    EXPECT_EQ(grid().recordSource(), QStringLiteral("SELECT * FROM CodiciIVA"));
    EXPECT_TRUE(grid().isVisible());
    EXPECT_FALSE(form.picBottom->isVisible());
    EXPECT_EQ(grid().recordCount(), 2);
    EXPECT_EQ(grid().columns().count(), 5);
    EXPECT_TRUE(grid().allowEdit());
    EXPECT_TRUE(grid().allowAddNew());
    EXPECT_TRUE(grid().allowDelete());
    EXPECT_EQ(grid().newRecordRow(), 3);

    // The next opening offers the list again.
    comfrmManData again(DataFixture::connectionString(path));
    EXPECT_EQ(again.cmbTables->count(), ProgramTables.size());
    EXPECT_TRUE(again.picBottom->isVisibleTo(&again));

    // The grid follows the window size, down to the minimum width.
    using platform::twipsToPixels;
    form.resize(700, 450);
    QApplication::processEvents();
    EXPECT_EQ(grid().geometry(),
              QRect(twipsToPixels(60), twipsToPixels(535), 700 - twipsToPixels(105), 450 - twipsToPixels(580)));
    form.resize(100, 450);
    EXPECT_EQ(form.width(), twipsToPixels(6105));
}

TEST_F(ManDataTest, AddingAndDeletingRowsOfATableWithAKey)
{
    choose(QStringLiteral("CodiciIVA"));
    // A new row is inserted when it is left.
    typeIntoCell(grid().newRecordRow(), 1, QStringLiteral("4"));
    type(QStringLiteral("Minima"));
    type(QStringLiteral("4"));
    leaveRow(1);
    EXPECT_EQ(column(QStringLiteral("SELECT CodiceIVA || ' ' || Descrizione || ' ' || Aliquota FROM CodiciIVA "
                                    "ORDER BY CodiceIVA")),
              (QStringList{QStringLiteral("10 Ridotta 10.0"), QStringLiteral("22 Ordinaria 22.0"),
                           QStringLiteral("4 Minima 4.0")}));

    // Delete takes the current row out of the table.
    grid().view()->setFocus();
    grid().setRow(rowOf(QStringLiteral("22")));
    press(Qt::Key_Delete);
    EXPECT_EQ(column(QStringLiteral("SELECT CodiceIVA FROM CodiciIVA ORDER BY CodiceIVA")),
              (QStringList{QStringLiteral("10"), QStringLiteral("4")}));
    EXPECT_EQ(grid().recordCount(), 2);
    EXPECT_TRUE(desktop->msgBoxes().empty());
}

TEST_F(ManDataTest, ParsHasNoKeyAndIsEditedRowByRow)
{
    choose(QStringLiteral("_Pars"));
    ASSERT_EQ(grid().recordCount(), 4);
    const int l01 = columnOf(QStringLiteral("l01"));
    // Two rows read "maga": the write must touch only the one edited.
    typeIntoCell(2, l01, QStringLiteral("2026"));
    leaveRow(1);
    EXPECT_EQ(column(QStringLiteral("SELECT l01 FROM _Pars WHERE k01='maga' ORDER BY rowid")),
              (QStringList{QStringLiteral("2024.0"), QStringLiteral("2026.0")}));

    typeIntoCell(grid().newRecordRow(), 1, QStringLiteral("prova"));
    leaveRow(1);
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM _Pars WHERE k01='prova'")), QStringList{QStringLiteral("1")});

    grid().view()->setFocus();
    grid().setRow(1);
    press(Qt::Key_Delete);
    EXPECT_EQ(column(QStringLiteral("SELECT k01 || ' ' || ifnull(l01, '-') FROM _Pars ORDER BY rowid")),
              (QStringList{QStringLiteral("maga 2026.0"), QStringLiteral("NumDecQ 2.0"), QStringLiteral("NumDecV 2.0"),
                           QStringLiteral("prova -")}));
    EXPECT_EQ(grid().recordCount(), 4);
}

TEST_F(ManDataTest, ARefusedWriteIsReportedAndLosesNoOtherRow)
{
    choose(QStringLiteral("CodiciIVA"));
    const int description = columnOf(QStringLiteral("Descrizione"));
    typeIntoCell(rowOf(QStringLiteral("22")), description, QStringLiteral("Ordinaria 22%"));
    leaveRow(rowOf(QStringLiteral("10")));
    ASSERT_TRUE(desktop->msgBoxes().empty());

    // The key of the second row typed as the first one's.
    const int row10 = rowOf(QStringLiteral("10"));
    typeIntoCell(row10, 1, QStringLiteral("22"));
    leaveRow(rowOf(QStringLiteral("Ordinaria 22%"), description));
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    const QString prompt = desktop->prompts().at(0);
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("Impossibile salvare la riga.\r\n"))) << prompt.toStdString();
    EXPECT_GT(prompt.size(), 30);
    EXPECT_EQ(desktop->msgBoxes().at(0).style, platform::vbOKOnly | platform::vbExclamation);
    // The refused row stays pending where it was; the database keeps both rows.
    EXPECT_EQ(grid().row(), row10);
    EXPECT_EQ(grid().model()->pendingRow(), row10);
    EXPECT_EQ(column(QStringLiteral("SELECT CodiceIVA || ' ' || Descrizione FROM CodiciIVA ORDER BY CodiceIVA")),
              (QStringList{QStringLiteral("10 Ridotta"), QStringLiteral("22 Ordinaria 22%")}));

    // Closing the window tries the row again and stays open when it is refused.
    form.reject();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(desktop->msgBoxes().size(), 2u);
    // Esc drops the change; the window then closes.
    grid().view()->setFocus();
    press(Qt::Key_Escape);
    EXPECT_EQ(grid().model()->pendingRow(), 0);
    form.reject();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM CodiciIVA")), QStringList{QStringLiteral("2")});
}

TEST_F(ManDataTest, AValueOfTheWrongTypeIsReportedAndClosingWritesThePendingRow)
{
    choose(QStringLiteral("CodiciIVA"));
    const int rate = columnOf(QStringLiteral("Aliquota"));
    typeIntoCell(rowOf(QStringLiteral("10")), rate, QStringLiteral("dieci"));
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    EXPECT_TRUE(desktop->prompts().at(0).startsWith(QStringLiteral("Valore non valido.\r\n")));
    if (grid().isEditing())
        press(Qt::Key_Escape);

    typeIntoCell(rowOf(QStringLiteral("10")), columnOf(QStringLiteral("Descrizione")), QStringLiteral("Ridotta 10"));
    // Esc does not close the window: it belongs to the grid.
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(column(QStringLiteral("SELECT Descrizione || ' ' || Aliquota FROM CodiciIVA WHERE CodiceIVA='10'")),
              QStringList{QStringLiteral("Ridotta 10 10.0")});
}

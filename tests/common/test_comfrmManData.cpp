// The table editor: the list of the program's tables, the chosen table in
// an editable grid whose rows are written as the user leaves them (tables
// with a key and _Pars, which has none), and the errors: each reported
// once, without losing any other row, and a refused row that the user may
// drop when closing.
#include "common/comfrmManData.h"

#include "DataFixture.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/grid/Grid.h"
#include "support/TestEnv.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using platform::Grid;
using testsupport::DataFixture;

namespace {

// Scripted message boxes that first take the focus, as a real modal box
// does, so that an editor open in the grid loses it.
class FocusTakingDesktop : public platform::ScriptedDesktop
{
public:
    QWidget *box = nullptr;

    int msgBox(const QString &prompt, int style, const QString &title) override
    {
        if (box)
            box->setFocus();
        QApplication::processEvents();
        return ScriptedDesktop::msgBox(prompt, style, title);
    }
};

class ManDataTest : public ::testing::Test
{
protected:
    ManDataTest()
        : path(DataFixture::createSampleDatabase())
        , desktop(new FocusTakingDesktop)
        , previous(platform::installDesktop(std::unique_ptr<platform::DesktopServices>(desktop)))
        , form(DataFixture::connectionString(path))
    {
        desktop->box = new QLineEdit(&form);
    }
    ~ManDataTest() override { platform::installDesktop(std::move(previous)); }

    // Picks a table in the opened list with the keyboard, as a user does.
    void choose(const QString &table)
    {
        form.show();
        QApplication::setActiveWindow(&form);
        const int index = form.cmbTables->findText(table);
        ASSERT_GE(index, 0);
        form.cmbTables->showPopup();
        QAbstractItemView *list = form.cmbTables->view();
        list->setCurrentIndex(list->model()->index(index, 0));
        QTest::keyClick(list, Qt::Key_Return);
        // The offscreen platform leaves the closed list as the active window.
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }
    Grid &grid() { return *form.gexTable; }
    // The grid's row whose column holds the text.
    int rowOf(const QString &text, int column = 1)
    {
        for (int row = 1; row <= grid().rowCount(); ++row)
            if (grid().textAt(row, column) == text)
                return row;
        ADD_FAILURE() << "no row " << text.toStdString();
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
        for (const QChar c : text) // the first key opens the editor, the others go to it
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

    QString path;
    FocusTakingDesktop *desktop;
    std::unique_ptr<platform::DesktopServices> previous;
    comfrmManData form;
};

} // namespace

TEST_F(ManDataTest, ListsExactlyTheProgramsTablesOrReportsAnUnreadableDatabase)
{
    QStringList listed;
    for (int i = 0; i < form.cmbTables->count(); ++i)
        listed << form.cmbTables->itemText(i);
    // Neither the views, the stored queries' table nor the engine's own tables.
    EXPECT_EQ(listed, (QStringList{u"_Pars"_qs, u"Articoli"_qs, u"CliFor"_qs, u"CodiciIVA"_qs, u"Liste"_qs,
                                   u"MagazRegDetail"_qs, u"MagazRegMain"_qs}));
    EXPECT_EQ(form.cmbTables->currentIndex(), -1);
    EXPECT_FALSE(form.gexTable->isVisibleTo(&form));
    EXPECT_TRUE(desktop->msgBoxes().empty());

    // Without a database the list is empty; an unreadable one is reported.
    EXPECT_EQ(comfrmManData(QString()).cmbTables->count(), 0);
    const QString notADatabase = testsupport::freshDir(u"x"_qs) + u"/gest01.mdb"_qs;
    {
        QFile f(notADatabase);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("non un database");
    }
    comfrmManData broken(DataFixture::connectionString(notADatabase));
    EXPECT_EQ(broken.cmbTables->count(), 0);
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    EXPECT_TRUE(desktop->prompts().at(0).startsWith(u"Impossibile leggere l'elenco delle tabelle.\r\n"_qs));
    EXPECT_EQ(desktop->msgBoxes().at(0).style, platform::vbOKOnly | platform::vbExclamation);
    EXPECT_EQ(DataFixture::fileBytes(notADatabase), QByteArray("non un database"));
}

TEST_F(ManDataTest, ParsHasNoKeyAndIsEditedRowByRow)
{
    choose(u"_Pars"_qs);
    EXPECT_EQ(grid().recordSource(), u"SELECT * FROM _Pars"_qs);
    EXPECT_TRUE(grid().allowEdit() && grid().allowDelete());
    // Two rows read "maga": the write must touch only the one edited.
    typeIntoCell(2, columnOf(u"l01"_qs), u"2026"_qs);
    leaveRow(1);
    typeIntoCell(grid().newRecordRow(), 1, u"prova"_qs);
    leaveRow(1);
    grid().view()->setFocus();
    grid().setRow(1);
    press(Qt::Key_Delete);
    EXPECT_EQ(column(u"SELECT k01 || ' ' || ifnull(l01, '-') FROM _Pars ORDER BY rowid"_qs),
              (QStringList{u"maga 2026.0"_qs, u"NumDecQ 2.0"_qs, u"NumDecV 2.0"_qs, u"prova -"_qs}));
    EXPECT_TRUE(desktop->msgBoxes().empty());
}

TEST_F(ManDataTest, AValueTheFieldCannotHoldIsReportedOnceAndTheCellShowsTheStoredOne)
{
    choose(u"CodiciIVA"_qs);
    const int row = rowOf(u"10"_qs);
    const int rate = columnOf(u"Aliquota"_qs);
    typeIntoCell(row, rate, u"dieci"_qs);
    // The box took the focus from the cell and gave it back: one message.
    EXPECT_EQ(desktop->prompts(), QStringList{u"Valore non valido per il campo Aliquota."_qs});
    EXPECT_EQ(desktop->msgBoxes().at(0).style, platform::vbOKOnly | platform::vbExclamation);
    ASSERT_TRUE(grid().isEditing());
    EXPECT_EQ(qobject_cast<QLineEdit *>(QApplication::focusWidget())->text(), u"10"_qs);

    // Going on leaves the stored value, and Esc does not close the window.
    press(Qt::Key_Tab);
    EXPECT_FALSE(grid().isEditing());
    typeIntoCell(row, columnOf(u"Descrizione"_qs), u"Ridotta 10"_qs);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(desktop->msgBoxes().size(), 1u);
    // Closing wrote the row being edited.
    EXPECT_EQ(column(u"SELECT Descrizione || ' ' || Aliquota FROM CodiciIVA WHERE CodiceIVA='10'"_qs),
              QStringList{u"Ridotta 10 10.0"_qs});
}

TEST_F(ManDataTest, ARefusedRowIsReportedOnceAndClosingAsksWhetherToDropIt)
{
    choose(u"CodiciIVA"_qs);
    const QStringList stored = column(u"SELECT CodiceIVA || ' ' || Descrizione FROM CodiciIVA ORDER BY 1"_qs);
    // The key of one row typed as the other's.
    const int row10 = rowOf(u"10"_qs);
    typeIntoCell(row10, 1, u"22"_qs);
    leaveRow(rowOf(u"Ordinaria"_qs, columnOf(u"Descrizione"_qs)));
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    const QString refusal = desktop->prompts().at(0);
    EXPECT_TRUE(refusal.startsWith(u"Impossibile salvare la riga.\r\n"_qs)) << refusal.toStdString();
    EXPECT_EQ(desktop->msgBoxes().at(0).style, platform::vbOKOnly | platform::vbExclamation);
    // The refused row stays pending where it was.
    EXPECT_EQ(grid().row(), row10);
    EXPECT_EQ(grid().model()->pendingRow(), row10);

    // Closing tries the row again and asks: No stays with the row pending.
    desktop->clear();
    desktop->queueMsgBox(platform::vbNo);
    form.reject();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(grid().model()->pendingRow(), row10);
    ASSERT_EQ(desktop->msgBoxes().size(), 1u);
    const QString question = desktop->prompts().at(0);
    EXPECT_EQ(question, refusal + u"\r\n\r\nAnnullare le modifiche alla riga e chiudere la finestra?"_qs);
    EXPECT_EQ(desktop->msgBoxes().at(0).style, platform::vbYesNo | platform::vbQuestion | platform::vbDefaultButton2);

    // Yes drops the row's change and closes.
    desktop->queueMsgBox(platform::vbYes);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(desktop->prompts(), (QStringList{question, question}));
    EXPECT_EQ(column(u"SELECT CodiceIVA || ' ' || Descrizione FROM CodiciIVA ORDER BY 1"_qs), stored);
}

// The record windows opened from the main window's lists: every way of
// opening gives the node's window on the chosen row, over the main window;
// a save refreshes the list; every window goes when it ends.
#include "MainWindowFixture.h"

#include "platform/data/Recordset.h"
#include "records/FinestraRecord.h"
#include "records/RegistraRecord.h"
#include "shell/WindowRegistry.h"

#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace shelltest;
using namespace Qt::StringLiterals;

namespace {

class RegistrazioneTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        runSql(database, u"INSERT INTO CodiciIVA (CodiceIVA, Descrizione) VALUES ('22', 'Ordinaria'), ('04', 'Ridotta');"
                         "INSERT INTO CliFor (Tipo, Nome) VALUES ('Cliente', 'Neri Luca');"
                         "INSERT INTO Liste (Chiave, Codice, Descrizione) VALUES ('um', 'KG', 'Chili'), "
                         "('cat', NULL, 'Viti')"_s);
        RegistraFinestreRecord();
        QApplication::setActiveWindow(window.get());
    }

    void TearDown() override
    {
        WindowRegistry::Rimuovi();
        MainWindowTest::TearDown();
    }

    // The one record window shown, checked to be a child of the main window
    // that sits over it and inside the screen.
    FinestraRecord *opened() const
    {
        QList<FinestraRecord *> shown;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *record = qobject_cast<FinestraRecord *>(widget); record && record->isVisible())
                shown << record;
        if (shown.size() != 1) {
            ADD_FAILURE() << shown.size() << " windows";
            return nullptr;
        }
        const QRect area = shown[0]->geometry();
        EXPECT_EQ(shown[0]->parentWidget(), window.get());
        EXPECT_TRUE(shown[0]->screen()->availableGeometry().contains(area));
        EXPECT_TRUE(window->geometry().contains(area.center()));
        QApplication::setActiveWindow(shown[0]);
        QApplication::processEvents();
        return shown[0];
    }
};

} // namespace

TEST_F(RegistrazioneTest, NewOpenDoubleClickAndEnterOpenTheNodesWindowOnItsRow)
{
    const std::pair<int, const char *> nodes[] = {
        {2, "frm_io_Articoli_02"}, {3, "frm_io_Clienti"}, {4, "frm_io_Fornitori_01"}, {5, "frm_io_IVA"}, {6, "frm_io_UM"}, {7, "frm_io_Cat"},
    };
    QTableView *view = grid().view();
    // Each way of opening, with the row it opens (0: a new record); the
    // window is ended in turn by Esc, its title bar and Annulla.
    const std::pair<std::function<void()>, int> ways[] = {
        {[this] { window->mnuFileItem()[1]->trigger(); }, 1},
        {[this] { window->tbButtons()[1]->trigger(); }, 1},
        {[view] {
             const QRect cell = view->visualRect(view->model()->index(1, 1));
             QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
             QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
         }, 2},
        {[view] { QTest::keyClick(view, Qt::Key_Return); }, 1},
        {[this] { window->mnuFileItem()[0]->trigger(); }, 0},
        {[this] { window->tbButtons()[0]->trigger(); }, 0},
    };
    for (const auto &[node, name] : nodes) {
        clickBar(node);
        ASSERT_GE(grid().recordCount(), 2);
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(std::string(name) + ' ' + std::to_string(i));
            grid().setRow(1);
            view->setFocus();
            ways[i].first();
            QPointer<FinestraRecord> record = opened();
            ASSERT_TRUE(record);
            EXPECT_STREQ(record->metaObject()->className(), name);
            const int row = ways[i].second;
            EXPECT_EQ(record->Modo(), row ? FinestraRecord::ModoEsistente : FinestraRecord::ModoNuovo);
            // The key is the first column of each table.
            if (row) {
                EXPECT_EQ(record->rs()->value(0), grid().valueAt(row, 1));
            }
            if (i % 3 == 0)
                QTest::keyClick(record, Qt::Key_Escape);
            else if (i % 3 == 1)
                record->close();
            else
                QTest::mouseClick(record->cmdAnnulla(), Qt::LeftButton);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(record.isNull());
        }
    }
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(RegistrazioneTest, AModelessSaveRefreshesTheList)
{
    clickBar(6);
    grid().setRow(2);
    window->mnuFileItem()[1]->trigger();
    QPointer<FinestraRecord> record = opened();
    ASSERT_TRUE(record);
    QTest::keyClicks(child<QLineEdit>(record, u"txtData1"_s), u"Chilogrammi"_s);
    QTest::mouseClick(record->cmdSalva(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(record.isNull());
    EXPECT_EQ(grid().textAt(2, 3), u"Chilogrammi"_s);
}

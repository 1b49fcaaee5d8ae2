// The record windows opened from the main window's lists: every way of
// opening gives the node's window on the chosen row, placed over the main
// window; a save refreshes the list; every window goes when it ends.
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
        runSql(database, u"INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota) VALUES ('22', 'Ordinaria', 22), "
                         "('04', 'Ridotta', 4); INSERT INTO CliFor (Tipo, Nome) VALUES ('Cliente', 'Neri Luca');"
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

    // The one record window shown, checked to sit over the main window and
    // inside the screen.
    FinestraRecord *opened() const
    {
        QList<FinestraRecord *> shown;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *record = qobject_cast<FinestraRecord *>(widget); record && record->isVisible())
                shown << record;
        EXPECT_EQ(shown.size(), 1);
        if (shown.size() != 1)
            return nullptr;
        const QRect area = shown[0]->geometry();
        EXPECT_TRUE(shown[0]->screen()->availableGeometry().contains(area));
        EXPECT_TRUE(window->geometry().contains(area.center()));
        QApplication::setActiveWindow(shown[0]);
        return shown[0];
    }

    void doubleClickRow(int row)
    {
        QTableView *view = grid().view();
        const QRect cell = view->visualRect(view->model()->index(row - 1, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

} // namespace

TEST_F(RegistrazioneTest, NewOpenDoubleClickAndEnterOpenTheNodesWindowOnItsRow)
{
    const struct
    {
        int node;
        const char *window;
        QString key;
    } cases[] = {
        {3, "frm_io_Clienti", u"IdCliFor"_s}, {4, "frm_io_Fornitori_01", u"IdCliFor"_s},
        {5, "frm_io_IVA", u"CodiceIVA"_s},    {6, "frm_io_UM", u"Id"_s},
        {7, "frm_io_Cat", u"Id"_s},
    };
    // Each way of opening, and the row it opens (0: a new record); the
    // window is ended in turn by Esc, its title bar and Annulla.
    const std::vector<std::pair<std::function<void()>, int>> ways{
        {[this] { window->mnuFileItem()[1]->trigger(); }, 1},
        {[this] { window->tbButtons()[1]->trigger(); }, 1},
        {[this] { doubleClickRow(2); }, 2},
        {[this] {
             grid().view()->setFocus();
             QTest::keyClick(grid().view(), Qt::Key_Return);
         }, 1},
        {[this] { window->mnuFileItem()[0]->trigger(); }, 0},
        {[this] { window->tbButtons()[0]->trigger(); }, 0},
    };
    for (const auto &c : cases) {
        clickBar(c.node);
        ASSERT_GE(grid().recordCount(), 2);
        for (std::size_t i = 0; i < ways.size(); ++i) {
            SCOPED_TRACE(std::string(c.window) + ' ' + std::to_string(i));
            grid().setRow(1);
            ways[i].first();
            QPointer<FinestraRecord> record = opened();
            ASSERT_TRUE(record);
            EXPECT_STREQ(record->metaObject()->className(), c.window);
            EXPECT_EQ(record->parentWidget(), window.get());
            const int row = ways[i].second;
            EXPECT_EQ(record->Modo(), row ? FinestraRecord::ModoEsistente : FinestraRecord::ModoNuovo);
            EXPECT_EQ(record->rs()->value(c.key), row ? grid().valueAt(row, 1) : record->rs()->value(c.key));
            switch (i % 3) {
            case 0: QTest::keyClick(record, Qt::Key_Escape); break;
            case 1: record->close(); break;
            default: QTest::mouseClick(record->cmdAnnulla(), Qt::LeftButton); break;
            }
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
    auto *description = child<QLineEdit>(record, u"txtData1"_s);
    description->setFocus();
    description->selectAll();
    QTest::keyClicks(description, u"Chilogrammi"_s);
    QTest::mouseClick(record->cmdSalva(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(record.isNull());
    EXPECT_EQ(grid().textAt(2, 3), u"Chilogrammi"_s);
}

// The record windows opened from the main window's lists: each node gives
// its window on the chosen row or on a new record, over the main window; a
// save refreshes the list; every window goes when it ends.
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

// Enter on a row opens the node's window on it, over the main window; Esc
// ends it. A new record saved from its window shows in the list.
TEST_F(RegistrazioneTest, EachNodeOpensItsWindowOnTheChosenRowAndASaveRefreshesTheList)
{
    const std::pair<int, const char *> nodes[] = {{2, "frm_io_Articoli_02"}, {3, "frm_io_Clienti"},
                                                  {4, "frm_io_Fornitori_01"}, {5, "frm_io_IVA"},
                                                  {6, "frm_io_UM"}, {7, "frm_io_Cat"}};
    QTableView *view = grid().view();
    for (const auto &[node, name] : nodes) {
        SCOPED_TRACE(name);
        clickBar(node);
        ASSERT_GE(grid().recordCount(), 2);
        grid().setRow(2);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Return);
        QPointer<FinestraRecord> record = opened();
        ASSERT_TRUE(record);
        EXPECT_STREQ(record->metaObject()->className(), name);
        // The key is the first column of each table.
        EXPECT_EQ(record->rs()->value(0), grid().valueAt(2, 1));
        QTest::keyClick(record, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(record.isNull());
    }
    EXPECT_TRUE(desk->msgBoxes().empty());

    clickBar(6);
    window->tbButtons()[0]->trigger();
    QPointer<FinestraRecord> record = opened();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Modo(), FinestraRecord::ModoNuovo);
    QTest::keyClicks(child<QLineEdit>(record, u"txtData0"_s), u"MT"_s);
    QTest::keyClicks(child<QLineEdit>(record, u"txtData1"_s), u"Metri"_s);
    QTest::mouseClick(record->cmdSalva(), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(record.isNull());
    EXPECT_TRUE(columnTexts(u"Descrizione"_s).contains(u"Metri"_s));
}

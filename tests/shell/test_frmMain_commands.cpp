// The record commands of the main window: new, open, delete and print
// reached through the window registry from the menus, the toolbar, the keys
// and the list, and the printers found at start.
#include "MainWindowFixture.h"

#include "common/comRegistry.h"
#include "shell/WindowRegistry.h"

using namespace shelltest;
using namespace Qt::StringLiterals;

namespace {

const QString PrintersPath = u"Software\\Korvane\\Velmora\\Printers"_s;

// The main window with VAT codes and stand-ins registered for the record
// windows and report dialogs, which record the calls they receive.
class CommandsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        MainModule::PrintersKey = PrintersPath;
        runSql(database, u"INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota) VALUES "
                         "('22', 'Ordinaria', 22), ('04', 'Ridotta', 4); UPDATE Articoli SET CodiceIVA = '22'"_s);
        // Each call a registered window receives, as "window.command(argument)".
        for (const char *name : {"frm_io_Articoli_02", "frm_io_MovMag_01", "frmChooseMov",
                                 "frmPrintReportDati", "frmPrintReportMov"}) {
            const QString window = QLatin1String(name);
            WindowRegistry::Voce voce;
            voce.Nuovo = [this, window] { calls << window + u".Nuovo"_s; };
            voce.Apri = [this, window](const platform::Variant &key) {
                calls << window + u".Apri("_s + key.toString() + u')';
            };
            voce.Stampa = [this, window](const QString &printer) { calls << window + u".Stampa("_s + printer + u')'; };
            WindowRegistry::Registra(window, voce);
        }
    }

    void TearDown() override
    {
        WindowRegistry::Rimuovi();
        MainWindowTest::TearDown();
    }

    // A new main window started with these printers installed.
    void restartWith(const QList<platform::PrinterDescription> &printers, const QString &defaultPrinter)
    {
        desk->setPrinters(printers);
        desk->setDefaultPrinter(defaultPrinter);
        startWindow();
    }

    QTableView *view() const { return grid().view(); }

    // Makes the record row whose column shows `text` current.
    void selectRow(const QString &columnKey, const QString &text)
    {
        const int column = grid().column(columnKey)->index();
        for (int row = 1; row <= grid().rowCount(); ++row)
            if (!grid().isGroupCaption(row) && grid().textAt(row, column) == text) {
                grid().setRow(row);
                return;
            }
        ADD_FAILURE() << text.toStdString();
    }

    QStringList calls;
};

} // namespace

TEST_F(CommandsTest, CommandsFollowTheChosenNodeAndThePrinters)
{
    // No printer: "Stampa" stays off, and its command does nothing.
    clickBar(2);
    EXPECT_FALSE(window->PrinterInstalled());
    EXPECT_FALSE(window->mnuFileItem()[3]->isEnabled() || window->tbButtons()[4]->isEnabled());
    window->StampaVista();
    EXPECT_TRUE(calls.empty());

    // Printers but none is the default one: said once at the start.
    restartWith({{u"P1"_s, u"drv1"_s}}, u"Altra"_s);
    EXPECT_EQ(desk->prompts(), QStringList{u"Nessuna stampante installata.\r\nInstallare almeno una stampante per "
                                           "utilizzare correttamente l'applicazione"_s});
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbOKOnly);
    EXPECT_FALSE(window->PrinterInstalled());
    EXPECT_EQ(MainModule::InstalledPrinters, QStringList{u"P1"_s});

    // The system's printers, with the default one for both uses until the
    // user stores a choice; the label printer follows the report printer.
    desk->clear();
    const QList<platform::PrinterDescription> printers{{u"P1"_s, u"drv1"_s}, {u"P2"_s, u"drv2"_s}};
    restartWith(printers, u"P2"_s);
    EXPECT_TRUE(desk->msgBoxes().empty());
    EXPECT_TRUE(window->PrinterInstalled());
    EXPECT_EQ(MainModule::PrinterNames, (std::array<QString, 2>{u"P2"_s, u"P2"_s}));
    const auto store = [](const QString &name, const QString &value) {
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, PrintersPath, comRegistry::REG_SZ, name,
                                   platform::Variant(value));
    };
    store(u"000"_s, u"P1"_s);
    store(u"D000"_s, u"drv1"_s);
    restartWith(printers, u"P2"_s);
    EXPECT_EQ(MainModule::PrinterNames, (std::array<QString, 2>{u"P1"_s, u"P1"_s}));
    EXPECT_EQ(MainModule::PrinterDetails, (std::array<QString, 2>{u"drv1"_s, u"drv1"_s}));
    store(u"001"_s, u"P2"_s);
    restartWith(printers, u"P2"_s);
    EXPECT_EQ(MainModule::PrinterNames, (std::array<QString, 2>{u"P1"_s, u"P2"_s}));

    // Print goes to the system's default printer, not the stored choice; an
    // empty list prints nothing; a node whose dialog is not there does nothing.
    window->mnuViewItem()[8]->trigger(); // units of measure
    window->tbButtons()[4]->trigger();
    clickBar(1);
    window->mnuFileItem()[3]->trigger();
    runSql(database, u"DELETE FROM Liste"_s);
    window->mnuViewItem()[8]->trigger();
    window->StampaVista();
    clickBar(2);
    window->StampaVista();
    EXPECT_EQ(calls, (QStringList{u"frmPrintReportDati.Stampa(P2)"_s, u"frmPrintReportMov.Stampa(P2)"_s}));
}

// Open takes the current row's key (a movement's IdReg); a stock row opens
// the movement chooser, a group caption nothing; a node whose window is not
// there does nothing.
TEST_F(CommandsTest, NewAndOpenReachTheNodesWindowsOrTheMovementChooser)
{
    clickBar(2);
    selectRow(u"Codice"_s, u"A002"_s);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Return);
    // Enter in the find box opens the row found.
    QTest::keyClicks(window->txtFind(), u"a001"_s);
    QTest::keyClick(window->txtFind(), Qt::Key_Return);
    window->tbButtons()[0]->trigger();
    // The New submenu names its node, whatever the current one.
    window->mnuNewItem()[0]->trigger();
    clickBar(0);
    selectRow(u"Prog"_s, u"2"_s);
    window->mnuFileItem()[1]->trigger();
    clickBar(3);
    window->mnuFileItem()[0]->trigger();
    window->mnuFileItem()[1]->trigger();
    EXPECT_EQ(calls, (QStringList{u"frm_io_Articoli_02.Apri(A002)"_s, u"frm_io_Articoli_02.Apri(A001)"_s,
                                  u"frm_io_Articoli_02.Nuovo"_s, u"frm_io_MovMag_01.Nuovo"_s,
                                  u"frm_io_MovMag_01.Apri(2)"_s}));

    calls.clear();
    clickBar(1);
    window->cmbFilter()->setCurrentIndex(1);
    ASSERT_TRUE(grid().isGroupCaption(1));
    grid().setRow(1);
    window->mnuFileItem()[1]->trigger();
    selectRow(u"Codice"_s, u"A003"_s);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Return);
    window->mnuFileItem()[0]->trigger();
    // Nothing is deleted from the stock list.
    window->mnuFileItem()[2]->trigger();
    EXPECT_EQ(calls, (QStringList{u"frmChooseMov.Apri(A003)"_s, u"frm_io_MovMag_01.Nuovo"_s}));
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(CommandsTest, DeleteAsksChecksAndRefreshesAndTheViewMenuKeepsTheLayoutOfTheNodeItLeaves)
{
    window->mnuViewItem()[7]->trigger(); // VAT codes
    // Used by the articles: refused.
    selectRow(u"CodiceIVA"_s, u"22"_s);
    view()->setFocus();
    desk->queueMsgBox(platform::vbYes);
    QTest::keyClick(view(), Qt::Key_Delete);
    EXPECT_EQ(desk->prompts(), (QStringList{u"Eliminare il Codice IVA selezionato?"_s,
                                            u"Il Codice IVA ha Articoli associati, quindi non verrà eliminato."_s}));

    // Yes deletes it and the list follows.
    desk->clear();
    selectRow(u"CodiceIVA"_s, u"04"_s);
    desk->queueMsgBox(platform::vbYes);
    window->tbButtons()[2]->trigger();
    EXPECT_EQ(desk->prompts().size(), 1);
    EXPECT_EQ(queryColumn(database, u"SELECT CodiceIVA FROM CodiciIVA"_s), QStringList{u"22"_s});
    EXPECT_EQ(columnTexts(u"CodiceIVA"_s), QStringList{u"22"_s});

    const auto layouts = [this] {
        return queryColumn(database, u"SELECT k02 FROM _Pars WHERE k01='gridlayout' ORDER BY k02"_s);
    };
    // The bar never stores a layout.
    clickBar(2);
    clickBar(3);
    EXPECT_TRUE(layouts().isEmpty());

    window->mnuViewItem()[5]->trigger(); // leaves the customers
    clickBar(1);
    window->mnuViewItem()[3]->trigger(); // leaves the stock: nothing
    EXPECT_EQ(layouts(), QStringList{u"gex_cli"_s});
}

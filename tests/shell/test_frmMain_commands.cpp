// The record commands of the main window: new, open, delete and print
// reached through the window registry from the menus, the toolbar and the
// list, the enabling of the commands and the printers found at start.
#include "MainWindowFixture.h"

#include "common/comRegistry.h"
#include "shell/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>

using namespace shelltest;

namespace {

const QString PrintersPath = QStringLiteral("Software\\Korvane\\Velmora\\Printers");
const QString NoPrinter = QStringLiteral("Nessuna stampante installata.\r\n"
                                         "Installare almeno una stampante per utilizzare correttamente l'applicazione");

// One call a registered window received.
struct Chiamata
{
    QString window;
    QString command;
    QString argument;
    bool operator==(const Chiamata &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Chiamata &c)
{
    return out << c.window.toStdString() << '.' << c.command.toStdString() << '(' << c.argument.toStdString() << ')';
}

class CommandsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        MainModule::PrintersKey = PrintersPath;
        runSql(database, QStringLiteral("INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota) VALUES "
                                        "('22', 'Ordinaria', 22), ('04', 'Ridotta', 4);"
                                        "UPDATE Articoli SET CodiceIVA = '22'"));
        for (const char *name : {"frm_io_IVA", "frm_io_Articoli_02", "frm_io_MovMag_01", "frmChooseMov",
                                 "frmPrintReportDati", "frmPrintReportMov"}) {
            const QString window = QLatin1String(name);
            WindowRegistry::Voce voce;
            voce.Nuovo = [this, window] { calls.push_back({window, u"Nuovo"_qs, {}}); };
            voce.Apri = [this, window](const platform::Variant &key) {
                calls.push_back({window, u"Apri"_qs, key.toString()});
            };
            voce.Stampa = [this, window](const QString &printer) { calls.push_back({window, u"Stampa"_qs, printer}); };
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
        window = std::make_unique<frmMain>();
        MainModule::WorkDate = Working;
        MainModule::WorkYear = 2031;
        window->resize(1280, 800);
        window->Visualizza();
    }

    QTableView *view() const { return grid().view(); }

    void doubleClickRow(int row)
    {
        const QRect cell = view()->visualRect(view()->model()->index(row - 1, 1));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    int rowOf(const QString &columnKey, const QString &text) const
    {
        const int column = grid().column(columnKey)->index();
        for (int row = 1; row <= grid().rowCount(); ++row)
            if (!grid().isGroupCaption(row) && grid().textAt(row, column) == text)
                return row;
        return 0;
    }

    std::vector<Chiamata> calls;
};

} // namespace

TEST_F(CommandsTest, CommandsFollowTheChosenNodeAndThePrinter)
{
    const auto &file = window->mnuFileItem();
    const auto &tb = window->tbButtons();
    for (std::size_t i : {0u, 1u, 2u, 3u})
        EXPECT_FALSE(file[i]->isEnabled() || tb[i == 3 ? 4 : i]->isEnabled()) << i;
    EXPECT_TRUE(tb[3]->isEnabled()); // "Aggiorna"

    clickBar(2);
    for (std::size_t i : {0u, 1u, 2u})
        EXPECT_TRUE(file[i]->isEnabled() && tb[i]->isEnabled()) << i;
    // No printer: "Stampa" stays off, and its command does nothing.
    EXPECT_FALSE(window->PrinterInstalled());
    EXPECT_FALSE(file[3]->isEnabled() || tb[4]->isEnabled());
    window->StampaVista();
    EXPECT_TRUE(calls.empty());

    // Printers but none is the default one: said once at the start.
    restartWith({{u"P1"_qs, u"drv1"_qs}}, u"Altra"_qs);
    EXPECT_EQ(desk->prompts(), QStringList{NoPrinter});
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbOKOnly);
    EXPECT_FALSE(window->PrinterInstalled());
    EXPECT_EQ(MainModule::InstalledPrinters, QStringList{u"P1"_qs});
}

TEST_F(CommandsTest, PrintersComeFromTheSystemAndTheStoredChoices)
{
    const QList<platform::PrinterDescription> printers{{u"P1"_qs, u"drv1"_qs}, {u"P2"_qs, u"drv2"_qs}};
    restartWith(printers, u"P2"_qs);
    EXPECT_TRUE(desk->msgBoxes().empty());
    EXPECT_TRUE(window->PrinterInstalled());
    EXPECT_EQ(MainModule::InstalledPrinterCount, 2);
    EXPECT_EQ(MainModule::InstalledPrinters, (QStringList{u"P1"_qs, u"P2"_qs}));
    EXPECT_EQ(MainModule::InstalledPrinterDetails, (QStringList{u"drv1"_qs, u"drv2"_qs}));
    EXPECT_EQ(MainModule::PrinterNames, (std::array<QString, 2>{u"P2"_qs, u"P2"_qs}));

    // Only the report printer stored: the label printer follows it.
    const auto store = [](const QString &name, const QString &value) {
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, PrintersPath, comRegistry::REG_SZ, name,
                                   platform::Variant(value));
    };
    store(u"000"_qs, u"P1"_qs);
    store(u"D000"_qs, u"drv1"_qs);
    restartWith(printers, u"P2"_qs);
    EXPECT_EQ(MainModule::PrinterNames, (std::array<QString, 2>{u"P1"_qs, u"P1"_qs}));
    EXPECT_EQ(MainModule::PrinterDetails, (std::array<QString, 2>{u"drv1"_qs, u"drv1"_qs}));
    store(u"001"_qs, u"P2"_qs);
    restartWith(printers, u"P2"_qs);
    EXPECT_EQ(MainModule::PrinterNames, (std::array<QString, 2>{u"P1"_qs, u"P2"_qs}));

    // Print goes to the system's default printer, not the stored choice.
    window->mnuViewItem()[8]->trigger(); // units of measure
    window->tbButtons()[4]->trigger();
    clickBar(1);
    window->mnuFileItem()[3]->trigger();
    EXPECT_EQ(calls, (std::vector<Chiamata>{{u"frmPrintReportDati"_qs, u"Stampa"_qs, u"P2"_qs},
                                            {u"frmPrintReportMov"_qs, u"Stampa"_qs, u"P2"_qs}}));

    // An empty list prints nothing; a node whose dialog is not there does nothing.
    calls.clear();
    runSql(database, QStringLiteral("DELETE FROM Liste"));
    window->mnuViewItem()[8]->trigger();
    window->StampaVista();
    clickBar(2);
    window->StampaVista();
    EXPECT_TRUE(calls.empty());
}

TEST_F(CommandsTest, NewAndOpenReachTheNodesWindows)
{
    clickBar(2);
    grid().setRow(rowOf(u"Codice"_qs, u"A002"_qs));
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Return);
    doubleClickRow(rowOf(u"Codice"_qs, u"A003"_qs));
    window->tbButtons()[1]->trigger();
    // Enter in the find box opens the row found.
    QTest::keyClicks(window->txtFind(), u"a001"_qs);
    QTest::keyClick(window->txtFind(), Qt::Key_Return);
    window->mnuFileItem()[0]->trigger();
    window->tbButtons()[0]->trigger();
    // The New submenu names its node, whatever the current one.
    window->mnuNewItem()[0]->trigger();
    EXPECT_EQ(calls, (std::vector<Chiamata>{{u"frm_io_Articoli_02"_qs, u"Apri"_qs, u"A002"_qs},
                                            {u"frm_io_Articoli_02"_qs, u"Apri"_qs, u"A003"_qs},
                                            {u"frm_io_Articoli_02"_qs, u"Apri"_qs, u"A003"_qs},
                                            {u"frm_io_Articoli_02"_qs, u"Apri"_qs, u"A001"_qs},
                                            {u"frm_io_Articoli_02"_qs, u"Nuovo"_qs, {}},
                                            {u"frm_io_Articoli_02"_qs, u"Nuovo"_qs, {}},
                                            {u"frm_io_MovMag_01"_qs, u"Nuovo"_qs, {}}}));

    // The customers' window is not there: nothing opens, nothing fails.
    calls.clear();
    clickBar(3);
    window->mnuFileItem()[0]->trigger();
    window->mnuFileItem()[1]->trigger();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(desk->msgBoxes().empty());

    // Movements open by their IdReg.
    clickBar(0);
    grid().setRow(rowOf(u"Prog"_qs, u"2"_qs));
    window->mnuFileItem()[1]->trigger();
    EXPECT_EQ(calls, (std::vector<Chiamata>{{u"frm_io_MovMag_01"_qs, u"Apri"_qs, u"2"_qs}}));
}

TEST_F(CommandsTest, StockRowsOpenTheMovementChooserButGroupCaptionsNothing)
{
    clickBar(1);
    window->cmbFilter()->setCurrentIndex(1);
    ASSERT_TRUE(grid().isGroupCaption(1));
    grid().setRow(1);
    view()->setFocus();
    QTest::keyClick(view(), Qt::Key_Return);
    window->mnuFileItem()[1]->trigger();
    EXPECT_TRUE(calls.empty());

    grid().setRow(rowOf(u"Codice"_qs, u"A003"_qs));
    QTest::keyClick(view(), Qt::Key_Return);
    window->mnuFileItem()[0]->trigger();
    EXPECT_EQ(calls, (std::vector<Chiamata>{{u"frmChooseMov"_qs, u"Apri"_qs, u"A003"_qs},
                                            {u"frm_io_MovMag_01"_qs, u"Nuovo"_qs, {}}}));

    // Nothing is deleted from the stock list.
    window->mnuFileItem()[2]->trigger();
    window->tbButtons()[2]->trigger();
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(CommandsTest, DeleteAsksChecksAndRefreshes)
{
    window->mnuViewItem()[7]->trigger(); // VAT codes
    const auto codes = [this] {
        return queryColumn(database, QStringLiteral("SELECT CodiceIVA FROM CodiciIVA ORDER BY CodiceIVA"));
    };

    // Used by the articles: refused.
    grid().setRow(rowOf(u"CodiceIVA"_qs, u"22"_qs));
    view()->setFocus();
    desk->queueMsgBox(platform::vbYes);
    QTest::keyClick(view(), Qt::Key_Delete);
    EXPECT_EQ(desk->prompts(), (QStringList{u"Eliminare il Codice IVA selezionato?"_qs,
                                            u"Il Codice IVA ha Articoli associati, quindi non verrà eliminato."_qs}));
    EXPECT_EQ(codes(), (QStringList{u"04"_qs, u"22"_qs}));

    // Yes deletes it and the list follows.
    desk->clear();
    grid().setRow(rowOf(u"CodiceIVA"_qs, u"04"_qs));
    desk->queueMsgBox(platform::vbYes);
    window->tbButtons()[2]->trigger();
    EXPECT_EQ(desk->prompts().size(), 1);
    EXPECT_EQ(codes(), QStringList{u"22"_qs});
    EXPECT_EQ(columnTexts(u"CodiceIVA"_qs), QStringList{u"22"_qs});
}

TEST_F(CommandsTest, ViewMenuKeepsTheLayoutOfTheNodeItLeaves)
{
    const auto layouts = [this] {
        return queryColumn(database, QStringLiteral("SELECT k02 FROM _Pars WHERE k01='gridlayout' ORDER BY k02"));
    };
    // The bar never stores a layout.
    clickBar(2);
    clickBar(3);
    EXPECT_TRUE(layouts().isEmpty());

    window->mnuViewItem()[5]->trigger(); // leaves the customers
    clickBar(1);
    window->mnuViewItem()[3]->trigger(); // leaves the stock: nothing
    EXPECT_EQ(layouts(), QStringList{u"gex_cli"_qs});
}

TEST_F(CommandsTest, ControlLettersMakeRecordsAndSwitchNodes)
{
    QApplication::setActiveWindow(window.get());
    // Movements and stock levels both make a movement.
    QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_G, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_U, Qt::ControlModifier); // no node has U
    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);     // nor is Alt a shortcut
    EXPECT_EQ(calls, (std::vector<Chiamata>{{u"frm_io_MovMag_01"_qs, u"Nuovo"_qs, {}},
                                            {u"frm_io_MovMag_01"_qs, u"Nuovo"_qs, {}},
                                            {u"frm_io_IVA"_qs, u"Nuovo"_qs, {}}}));
    EXPECT_EQ(window->CurNode(), -1);

    QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->CurNode(), 2);
    EXPECT_EQ(window->lblTitle()->text(), QStringLiteral("Articoli"));
    // From the find box as well; the letter is not typed there.
    QTest::keyClick(window->txtFind(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->CurNode(), 4);
    EXPECT_TRUE(window->txtFind()->text().isEmpty());

    // F5 is File "Nuovo" for the node shown.
    calls.clear();
    clickBar(2);
    QTest::keyClick(window.get(), Qt::Key_F5);
    EXPECT_EQ(calls, (std::vector<Chiamata>{{u"frm_io_Articoli_02"_qs, u"Nuovo"_qs, {}}}));
}

// The options dialog driven through its widgets: which tabs each entry point
// shows, and what "Salva" and "Annulla" leave in the registry, in _Pars and
// in the program's shared state.

#include "ShellFixture.h"
#include "../common/ModalCall.h"
#include "support/TestEnv.h"

#include "common/comRegistry.h"
#include "platform/registry/RegistryStore.h"
#include "shell/MainModule.h"
#include "shell/frmOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using platform::Variant;
using shelltest::queryValue;
using shelltest::runSql;

namespace {

const QString PrintersPath = QStringLiteral("Software\\Korvane\\Velmora\\Printers");

class OptionsTest : public shelltest::TemplateDatabaseTest
{
protected:
    void SetUp() override
    {
        TemplateDatabaseTest::SetUp();
        MainModule::SettingsKey = shelltest::SettingsPath;
        MainModule::SettingsKeyCopy = shelltest::SettingsPath;
        MainModule::PrintersKey = PrintersPath;
        MainModule::DataFolder = documents + QStringLiteral("/BrevelDB");
        MainModule::WorkDate = platform::DateTime(2023, 5, 10);
        MainModule::WorkYear = 2023;
        MainModule::InstalledPrinters = {QStringLiteral("Laser Ufficio"), QStringLiteral("Zebra Etichette")};
        MainModule::PrinterNames = {};
        MainModule::PrinterDetails = {};
        frmOptions::setSetLayHandler([this] { ++setLayCalls; });
    }

    void TearDown() override
    {
        frmOptions::setSetLayHandler(nullptr);
        MainModule::InstalledPrinters.clear();
        TemplateDatabaseTest::TearDown();
    }

    // Runs an entry point and acts on its dialog.
    static void open(void (*entry)(), const std::function<void(frmOptions *)> &action)
    {
        testsupport::callModal<frmOptions>([entry] { entry(); }, action);
    }

    template <typename W>
    static W *child(frmOptions *dialog, const QString &name)
    {
        W *w = dialog->findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    static void click(frmOptions *dialog, const QString &button)
    {
        QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
    }

    // Clicks a check box on its box.
    static void tick(frmOptions *dialog, const QString &name)
    {
        auto *box = child<QCheckBox>(dialog, name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }

    // Empties a number box and types `text` into it.
    static void type(frmOptions *dialog, int box, const QString &text)
    {
        QLineEdit *edit = child<QLineEdit>(dialog, QStringLiteral("txtProg%1").arg(box));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

    static std::int32_t dword(const QString &name)
    {
        return MainModule::LeggiRegistro(comRegistry::HKEY_CURRENT_USER, shelltest::SettingsPath,
                                         comRegistry::REG_DWORD, name, Variant(std::int32_t(-1)))
            .toInt32();
    }

    static void setDword(const QString &name, std::int32_t value)
    {
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, shelltest::SettingsPath, comRegistry::REG_DWORD,
                                   name, Variant(value));
    }

    static QString printerValue(const QString &name)
    {
        return MainModule::LeggiRegistro(comRegistry::HKEY_CURRENT_USER, PrintersPath, comRegistry::REG_SZ, name,
                                         Variant(QStringLiteral("<none>")))
            .toString();
    }

    QString counter2023() const
    {
        return queryValue(database, QStringLiteral("SELECT CAST(l02 AS INTEGER) FROM _Pars WHERE k01='maga' AND l01=2023"));
    }

    QString decimals(const QString &key) const
    {
        return queryValue(database, QStringLiteral("SELECT group_concat(CAST(l01 AS INTEGER)) FROM _Pars WHERE k01='%1'").arg(key));
    }

    int setLayCalls = 0;
};

TEST_F(OptionsTest, EachEntryPointShowsOnlyItsTabs)
{
    struct Case {
        void (*entry)();
        std::array<bool, 5> visible;
        int current;
    };
    const Case cases[] = {
        {&frmOptions::ApriTutto, {true, true, true, false, false}, 0},
        {&frmOptions::ApriMagazzino, {false, true, false, false, false}, 1},
        {&frmOptions::ApriWorkingDate, {false, false, false, true, false}, 3},
        {&frmOptions::ApriDatabase, {false, false, false, false, true}, 4},
    };
    for (const Case &c : cases) {
        open(c.entry, [&](frmOptions *dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Opzioni"));
            auto *tbs = child<QTabWidget>(dialog, QStringLiteral("tbs"));
            const QStringList captions = {QStringLiteral("Generale"), QStringLiteral("Magazzino"),
                                          QStringLiteral("Stampanti"), QStringLiteral("Data di lavoro"),
                                          QStringLiteral("Database")};
            for (int tab = 0; tab < 5; ++tab) {
                EXPECT_EQ(tbs->tabText(tab), captions[tab]);
                EXPECT_EQ(tbs->isTabVisible(tab), c.visible[static_cast<std::size_t>(tab)]) << tab;
            }
            EXPECT_EQ(tbs->currentIndex(), c.current);
            // Without a close button the dialog ends only through its buttons; Esc is "Annulla".
            EXPECT_FALSE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
            QTest::keyClick(dialog, Qt::Key_Escape);
            EXPECT_FALSE(dialog->Confermato());
        });
    }
    EXPECT_EQ(desk->msgBoxes().size(), 0u);
    EXPECT_EQ(setLayCalls, 0);
}

TEST_F(OptionsTest, ApriTuttoSavesSwitchesAndChosenPrinters)
{
    setDword(QStringLiteral("regShowLastView"), 0);
    setDword(QStringLiteral("regUbiView"), 1);
    MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, PrintersPath, comRegistry::REG_SZ,
                               QStringLiteral("000"), Variant(QStringLiteral("Vecchia")));
    MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, PrintersPath, comRegistry::REG_SZ,
                               QStringLiteral("D000"), Variant(QStringLiteral("VecchiaDev")));

    open(&frmOptions::ApriTutto, [&](frmOptions *dialog) {
        EXPECT_TRUE(child<QCheckBox>(dialog, QStringLiteral("chkRegData0"))->isChecked());
        EXPECT_FALSE(child<QCheckBox>(dialog, QStringLiteral("chkRegData1"))->isChecked());
        EXPECT_TRUE(child<QCheckBox>(dialog, QStringLiteral("chkRegData3"))->isChecked());
        EXPECT_TRUE(child<QCheckBox>(dialog, QStringLiteral("chkRegData4"))->isChecked());
        EXPECT_EQ(child<QLabel>(dialog, QStringLiteral("lblAnno"))->text(), QStringLiteral("(Anno: 2023)"));
        tick(dialog, QStringLiteral("chkRegData3"));

        auto *report = child<QComboBox>(dialog, QStringLiteral("cmbPrinters0"));
        auto *labels = child<QComboBox>(dialog, QStringLiteral("cmbPrinters1"));
        EXPECT_EQ(report->count(), 3);
        EXPECT_EQ(report->itemText(0), QString());
        EXPECT_EQ(report->currentText(), QStringLiteral("Vecchia"));
        EXPECT_EQ(labels->currentText(), QString());
        // The label printer is picked from its list: the second installed one.
        dialog->findChild<QTabWidget *>()->setCurrentIndex(2);
        labels->setFocus();
        QTest::keyClick(labels, Qt::Key_Down);
        QTest::keyClick(labels, Qt::Key_Down);
        EXPECT_EQ(labels->currentText(), QStringLiteral("Zebra Etichette"));
        click(dialog, QStringLiteral("cmdSalva"));
        EXPECT_TRUE(dialog->Confermato());
    });

    EXPECT_EQ(dword(QStringLiteral("regLoadTipsAtStartup")), 1);
    EXPECT_EQ(dword(QStringLiteral("regShowLastView")), 0);
    EXPECT_EQ(dword(QStringLiteral("regLoadViewLayout")), 0);
    EXPECT_EQ(dword(QStringLiteral("regAskLabelPrint")), 0);
    EXPECT_EQ(dword(QStringLiteral("regUbiView")), 1);
    // The report printer was not picked from the list and names no installed
    // printer: its name is written back, its device name stays.
    EXPECT_EQ(printerValue(QStringLiteral("000")), QStringLiteral("Vecchia"));
    EXPECT_EQ(printerValue(QStringLiteral("D000")), QStringLiteral("VecchiaDev"));
    EXPECT_EQ(printerValue(QStringLiteral("001")), QStringLiteral("Zebra Etichette"));
    EXPECT_EQ(printerValue(QStringLiteral("D001")), QStringLiteral("Zebra Etichette"));
    EXPECT_EQ(counter2023(), QStringLiteral("0"));
    EXPECT_EQ(decimals(QStringLiteral("NumDecQ")), QStringLiteral("0"));
    EXPECT_EQ(decimals(QStringLiteral("NumDecV")), QStringLiteral("2"));
}

TEST_F(OptionsTest, AnnullaSavesNothing)
{
    open(&frmOptions::ApriTutto, [&](frmOptions *dialog) {
        tick(dialog, QStringLiteral("chkRegData0"));
        type(dialog, 0, QStringLiteral("55"));
        click(dialog, QStringLiteral("cmdAnnulla"));
    });
    EXPECT_EQ(dword(QStringLiteral("regLoadTipsAtStartup")), -1);
    EXPECT_EQ(printerValue(QStringLiteral("000")), QStringLiteral("<none>"));
    EXPECT_EQ(counter2023(), QStringLiteral("0"));  // the row loading created
    EXPECT_EQ(queryValue(database, QStringLiteral("SELECT count(*) FROM _Pars WHERE k01 LIKE 'NumDec%'")),
              QStringLiteral("0"));
}

TEST_F(OptionsTest, ContatoriSavesDecimalsAndSwitchesButLeavesAnUntouchedCounter)
{
    runSql(database, QStringLiteral("INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', 2023, 40)"));
    runSql(database, QStringLiteral("INSERT INTO _Pars (k01, l01) VALUES ('NumDecQ', 3)"));
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, QStringLiteral("txtProg0"))->text(), QStringLiteral("40"));
        EXPECT_EQ(child<QLineEdit>(dialog, QStringLiteral("txtProg1"))->text(), QStringLiteral("3"));
        EXPECT_EQ(child<QLineEdit>(dialog, QStringLiteral("txtProg2"))->text(), QStringLiteral("2"));
        // Another copy numbers two movements while the dialog is open.
        runSql(database, QStringLiteral("UPDATE _Pars SET l02=42 WHERE k01='maga' AND l01=2023"));
        tick(dialog, QStringLiteral("chkRegData4"));
        type(dialog, 2, QStringLiteral("3"));
        click(dialog, QStringLiteral("cmdSalva"));
    });
    EXPECT_EQ(counter2023(), QStringLiteral("42"));
    EXPECT_EQ(decimals(QStringLiteral("NumDecQ")), QStringLiteral("3"));
    EXPECT_EQ(decimals(QStringLiteral("NumDecV")), QStringLiteral("3"));
    EXPECT_EQ(dword(QStringLiteral("regUbiView")), 1);
    EXPECT_EQ(dword(QStringLiteral("regAskLabelPrint")), 0);
    EXPECT_EQ(desk->msgBoxes().size(), 0u);
}

TEST_F(OptionsTest, ChangedCounterIsWrittenOnlyOverTheNumberShown)
{
    runSql(database, QStringLiteral("INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', 2023, 40)"));
    // Unchanged meanwhile: the typed number is stored, with the up-down's step.
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        type(dialog, 0, QStringLiteral("1x00"));
        EXPECT_EQ(child<QLineEdit>(dialog, QStringLiteral("txtProg0"))->text(), QStringLiteral("100"));
        QTest::mouseClick(dialog->findChild<QWidget *>(QStringLiteral("updProg0up")), Qt::LeftButton);
        click(dialog, QStringLiteral("cmdSalva"));
    });
    EXPECT_EQ(counter2023(), QStringLiteral("101"));
    EXPECT_EQ(desk->msgBoxes().size(), 0u);

    // Changed meanwhile: the user is told and the other copy's number stays.
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        runSql(database, QStringLiteral("UPDATE _Pars SET l02=105 WHERE k01='maga' AND l01=2023"));
        type(dialog, 0, QStringLiteral("7"));
        click(dialog, QStringLiteral("cmdSalva"));
    });
    EXPECT_EQ(counter2023(), QStringLiteral("105"));
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(desk->msgBoxes()[0].prompt, frmOptions::ContatoreCambiato);
    // The rest of the section is saved all the same.
    EXPECT_EQ(decimals(QStringLiteral("NumDecV")), QStringLiteral("2"));

    // An empty counter (left so by the table editor) shows as 0, and 0 is
    // what the change is compared with.
    desk->clear();
    runSql(database, QStringLiteral("UPDATE _Pars SET l02=NULL WHERE k01='maga' AND l01=2023"));
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, QStringLiteral("txtProg0"))->text(), QStringLiteral("0"));
        type(dialog, 0, QStringLiteral("12"));
        click(dialog, QStringLiteral("cmdSalva"));
    });
    EXPECT_EQ(counter2023(), QStringLiteral("12"));
    EXPECT_EQ(desk->msgBoxes().size(), 0u);
}

// A settings store that refuses every write: one Italian message for the
// whole save, naming the settings file; the database part is saved.
TEST_F(OptionsTest, RefusedSettingsAreReportedOnceWithoutTheStoresOwnWords)
{
    const QString blocker = testsupport::freshDir(QStringLiteral("bloccato")) + QStringLiteral("/file");
    shelltest::writeFile(blocker, "x");
    platform::RegistryStore::setDefaultFileName(blocker + QStringLiteral("/registry.ini"));
    open(&frmOptions::ApriTutto, [&](frmOptions *dialog) {
        tick(dialog, QStringLiteral("chkRegData0"));
        type(dialog, 2, QStringLiteral("3"));
        click(dialog, QStringLiteral("cmdSalva"));
    });
    EXPECT_EQ(desk->prompts(), QStringList{MainModule::ImpostazioniNonSalvate()});
    EXPECT_TRUE(MainModule::ImpostazioniNonSalvate().contains(blocker));
    EXPECT_EQ(decimals(QStringLiteral("NumDecV")), QStringLiteral("3"));
}

TEST_F(OptionsTest, EmptiedOrOutOfRangeNumberBoxes)
{
    runSql(database, QStringLiteral("INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', 2023, 40)"));
    runSql(database, QStringLiteral("INSERT INTO _Pars (k01, l01) VALUES ('NumDecV', 1)"));
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        runSql(database, QStringLiteral("UPDATE _Pars SET l02=41 WHERE k01='maga' AND l01=2023"));
        type(dialog, 0, QString());
        type(dialog, 2, QString());
        // More decimals than quantities keep is refused and the dialog stays open.
        type(dialog, 1, QStringLiteral("7"));
        click(dialog, QStringLiteral("cmdSalva"));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(desk->prompts(), QStringList{QStringLiteral("Le Cifre decimali devono essere comprese tra 0 e 4.")});
        type(dialog, 1, QStringLiteral("4"));
        click(dialog, QStringLiteral("cmdSalva"));
    });
    EXPECT_EQ(counter2023(), QStringLiteral("41"));
    EXPECT_EQ(decimals(QStringLiteral("NumDecQ")), QStringLiteral("4"));
    EXPECT_EQ(decimals(QStringLiteral("NumDecV")), QStringLiteral("1"));
}

TEST_F(OptionsTest, WorkingDateButtonsAndSave)
{
    const int lastYear = platform::DateTime::today().year() - 1;
    open(&frmOptions::ApriWorkingDate, [&](frmOptions *dialog) {
        auto *dtp = child<QDateEdit>(dialog, QStringLiteral("dtp"));
        EXPECT_EQ(dtp->date(), QDate(2023, 5, 10));
        EXPECT_EQ(child<QPushButton>(dialog, QStringLiteral("cmdData0"))->text(),
                  QStringLiteral("31/12/%1").arg(lastYear % 100, 2, 10, QLatin1Char('0')));
        EXPECT_EQ(child<QPushButton>(dialog, QStringLiteral("cmdData1"))->text(), QStringLiteral("Oggi"));
        click(dialog, QStringLiteral("cmdData1"));
        EXPECT_EQ(dtp->date(), QDate::currentDate());
        click(dialog, QStringLiteral("cmdData0"));
        EXPECT_EQ(dtp->date(), QDate(2022, 12, 31));
        EXPECT_TRUE(dtp->hasFocus());
        click(dialog, QStringLiteral("cmdSalva"));
    });
    EXPECT_EQ(MainModule::WorkDate.date(), QDate(2022, 12, 31));
    EXPECT_EQ(MainModule::WorkYear, 2022);
    EXPECT_EQ(setLayCalls, 1);
}

TEST_F(OptionsTest, DatabaseTabRefusesAFileThatIsNoDatabase)
{
    const QString junk = testsupport::freshDir(QStringLiteral("altro")) + QStringLiteral("/note.mdb");
    shelltest::writeFile(junk, QByteArrayLiteral("Questo non e' un database."));
    const QString other = shelltest::copyTemplate(testsupport::freshDir(QStringLiteral("secondo")), QStringLiteral("ditta2.mdb"));
    const QString connBefore = MainModule::ConnString;
    desk->queueOpenFile(junk);
    desk->queueOpenFile(std::nullopt);

    open(&frmOptions::ApriDatabase, [&](frmOptions *dialog) {
        auto *primary = child<QLabel>(dialog, QStringLiteral("lbltxtdb0"));
        auto *secondary = child<QLabel>(dialog, QStringLiteral("lbltxtdb1"));
        EXPECT_EQ(primary->text(), MainModule::DataFolder + QStringLiteral("/gest01.mdb"));
        EXPECT_EQ(secondary->text(), QStringLiteral("<vuoto>"));
        click(dialog, QStringLiteral("cmdopendb0"));
        EXPECT_EQ(desk->prompts(), QStringList{QStringLiteral("Database non valido")});
        EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbOKOnly);
        click(dialog, QStringLiteral("cmdopendb1"));  // cancelled: no message
        EXPECT_EQ(desk->prompts().size(), 1);
        EXPECT_EQ(primary->text(), MainModule::DataFolder + QStringLiteral("/gest01.mdb"));
        EXPECT_EQ(secondary->text(), QStringLiteral("<vuoto>"));
        EXPECT_TRUE(dialog->Modificato(frmOptions::SezDatabase));
        click(dialog, QStringLiteral("cmdAnnulla"));
    });
    const auto requests = desk->callsOf<platform::OpenFileCall>();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].request.title, QStringLiteral("Selezione Database primario"));
    EXPECT_EQ(requests[1].request.title, QStringLiteral("Selezione database secondario"));
    EXPECT_EQ(requests[0].request.initialDir, MainModule::DbPath);
    EXPECT_EQ(requests[0].request.defaultExt, QStringLiteral("mdb"));
    EXPECT_EQ(requests[0].request.filter, QStringLiteral("File di Access (*.mdb)|*.mdb"));
    EXPECT_EQ(requests[0].request.flags, 0x201004);
    EXPECT_EQ(shelltest::settingsText(QStringLiteral("dbPath")), std::nullopt);
    EXPECT_EQ(MainModule::ConnString, connBefore);
    EXPECT_EQ(setLayCalls, 0);

    // A real database as the secondary one: both rows are stored; the
    // primary of the settings does not open, so the program stays where it is.
    desk->clear();
    desk->queueOpenFile(other);
    open(&frmOptions::ApriDatabase, [&](frmOptions *dialog) {
        click(dialog, QStringLiteral("cmdopendb1"));
        EXPECT_EQ(child<QLabel>(dialog, QStringLiteral("lbltxtdb1"))->text(), other);
        click(dialog, QStringLiteral("cmdSalva"));
    });
    EXPECT_EQ(desk->msgBoxes().size(), 0u);
    EXPECT_EQ(shelltest::settingsText(QStringLiteral("dbPath")), MainModule::DataFolder);
    EXPECT_EQ(shelltest::settingsText(QStringLiteral("dbName")), QStringLiteral("gest01.mdb"));
    EXPECT_EQ(shelltest::settingsText(QStringLiteral("dbPath2")), QFileInfo(other).absolutePath());
    EXPECT_EQ(shelltest::settingsText(QStringLiteral("dbName2")), QStringLiteral("ditta2.mdb"));
    EXPECT_EQ(MainModule::ConnString, connBefore);
    EXPECT_EQ(setLayCalls, 1);

    // The same database chosen as the primary one: the program switches to it.
    desk->queueOpenFile(other);
    open(&frmOptions::ApriDatabase, [&](frmOptions *dialog) {
        EXPECT_EQ(child<QLabel>(dialog, QStringLiteral("lbltxtdb1"))->text(), other);
        click(dialog, QStringLiteral("cmdopendb0"));
        click(dialog, QStringLiteral("cmdSalva"));
    });
    EXPECT_EQ(shelltest::settingsText(QStringLiteral("dbPath")), QFileInfo(other).absolutePath());
    EXPECT_EQ(shelltest::settingsText(QStringLiteral("dbName")), QStringLiteral("ditta2.mdb"));
    EXPECT_EQ(MainModule::ConnString, MainModule::CostruisciConnString(QFileInfo(other).absolutePath(), QStringLiteral("ditta2.mdb")));
    EXPECT_EQ(MainModule::DbName, QStringLiteral("ditta2.mdb"));
    EXPECT_EQ(setLayCalls, 2);
}

TEST_F(OptionsTest, EnterMovesOnInsteadOfPressingAButton)
{
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        auto *counter = child<QLineEdit>(dialog, QStringLiteral("txtProg0"));
        EXPECT_TRUE(counter->hasFocus());
        QTest::keyClick(counter, Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(counter->hasFocus());
        click(dialog, QStringLiteral("cmdAnnulla"));
    });
}

} // namespace

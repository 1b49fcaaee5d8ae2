// The options dialog driven through its widgets: which tabs each entry point
// shows, and what "Salva" and "Annulla" leave in the registry, in _Pars and
// in the program's shared state.
#include "ShellFixture.h"

#include "common/comRegistry.h"
#include "platform/registry/RegistryStore.h"
#include "shell/frmOptions.h"
#include "shell/WindowRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

using namespace shelltest;
using namespace Qt::StringLiterals;
using platform::Variant;

namespace {

const QString PrintersPath = u"Software\\Korvane\\Velmora\\Printers"_s;

// The options dialog of a program started on 10 May 2023 with two printers
// installed; setLayCalls counts the main window's refreshes it asks for.
class OptionsTest : public TemplateDatabaseTest
{
protected:
    void SetUp() override
    {
        TemplateDatabaseTest::SetUp();
        MainModule::SettingsKey = SettingsPath;
        MainModule::SettingsKeyCopy = SettingsPath;
        MainModule::PrintersKey = PrintersPath;
        MainModule::DataFolder = documents + u"/BrevelDB"_s;
        MainModule::WorkDate = platform::DateTime(2023, 5, 10);
        MainModule::WorkYear = 2023;
        MainModule::InstalledPrinters = {u"Laser Ufficio"_s, u"Zebra Etichette"_s};
        MainModule::PrinterNames = {};
        MainModule::PrinterDetails = {};
        WindowRegistry::ImpostaAggiornaPrincipale([this] { ++setLayCalls; });
    }

    void TearDown() override
    {
        WindowRegistry::ImpostaAggiornaPrincipale(nullptr);
        MainModule::InstalledPrinters.clear();
        TemplateDatabaseTest::TearDown();
    }

    // Runs an entry point and acts on its dialog.
    static void open(void (*entry)(), const std::function<void(frmOptions *)> &action)
    {
        testsupport::callModal<frmOptions>([entry] { entry(); }, action);
    }

    static QString text(frmOptions *dialog, const QString &name) { return child<QLineEdit>(dialog, name)->text(); }

    // Clicks a check box on its box.
    static void tick(frmOptions *dialog, const QString &name)
    {
        auto *box = child<QCheckBox>(dialog, name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }

    // Empties a number box and types `typed` into it.
    static void type(frmOptions *dialog, int box, const QString &typed)
    {
        QLineEdit *edit = child<QLineEdit>(dialog, u"txtProg%1"_s.arg(box));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, typed);
    }

    static std::int32_t dword(const QString &name)
    {
        return MainModule::LeggiRegistro(comRegistry::HKEY_CURRENT_USER, SettingsPath, comRegistry::REG_DWORD, name,
                                         Variant(std::int32_t(-1)))
            .toInt32();
    }

    static QString printerValue(const QString &name)
    {
        return MainModule::LeggiRegistro(comRegistry::HKEY_CURRENT_USER, PrintersPath, comRegistry::REG_SZ, name,
                                         Variant(u"<none>"_s))
            .toString();
    }

    QString counter2023() const
    {
        return queryValue(database, u"SELECT CAST(l02 AS INTEGER) FROM _Pars WHERE k01='maga' AND l01=2023"_s);
    }

    QString decimals(const QString &key) const
    {
        return queryValue(database, u"SELECT group_concat(CAST(l01 AS INTEGER)) FROM _Pars WHERE k01='%1'"_s.arg(key));
    }
    // The counter of 2023 and the decimals of quantities and of values, as stored.
    QStringList warehouse() const { return {counter2023(), decimals(u"NumDecQ"_s), decimals(u"NumDecV"_s)}; }

    int setLayCalls = 0;
};

} // namespace

// Whatever is changed, Esc is "Annulla" and saves nothing.
TEST_F(OptionsTest, AnnullaSavesNothing)
{
    for (void (*entry)() : {&frmOptions::ApriTutto, &frmOptions::ApriWorkingDate}) {
        open(entry, [&](frmOptions *dialog) {
            tick(dialog, u"chkRegData0"_s);
            type(dialog, 0, u"55"_s);
            type(dialog, 1, u"3"_s);
            child<QDateEdit>(dialog, u"dtp"_s)->setDate(QDate(2024, 1, 2));
            QTest::keyClick(dialog, Qt::Key_Escape);
            EXPECT_FALSE(dialog->Confermato());
        });
    }
    EXPECT_EQ(dword(u"regLoadTipsAtStartup"_s), -1);
    EXPECT_EQ(printerValue(u"000"_s), u"<none>"_s);
    EXPECT_EQ(counter2023(), u"0"_s); // the row loading created
    EXPECT_EQ(queryValue(database, u"SELECT count(*) FROM _Pars WHERE k01 LIKE 'NumDec%'"_s), u"0"_s);
    EXPECT_EQ(MainModule::WorkDate, platform::DateTime(2023, 5, 10));
    EXPECT_EQ(desk->msgBoxes().size(), 0u);
    EXPECT_EQ(setLayCalls, 0);
}

TEST_F(OptionsTest, ApriTuttoSavesSwitchesAndChosenPrinters)
{
    setSettingsNumber(u"regShowLastView"_s, 0);
    setSettingsNumber(u"regUbiView"_s, 1);
    for (const auto &[name, printer] : {std::pair{u"000"_s, "Vecchia"}, {u"D000"_s, "VecchiaDev"}})
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, PrintersPath, comRegistry::REG_SZ, name,
                                   Variant(printer));

    open(&frmOptions::ApriTutto, [&](frmOptions *dialog) {
        tick(dialog, u"chkRegData3"_s);
        EXPECT_EQ(child<QComboBox>(dialog, u"cmbPrinters0"_s)->currentText(), u"Vecchia"_s);
        auto *labels = child<QComboBox>(dialog, u"cmbPrinters1"_s);
        // The label printer is picked from its list: the second installed one.
        dialog->findChild<QTabWidget *>()->setCurrentIndex(2);
        labels->setFocus();
        QTest::keyClick(labels, Qt::Key_Down);
        QTest::keyClick(labels, Qt::Key_Down);
        EXPECT_EQ(labels->currentText(), u"Zebra Etichette"_s);
        click(dialog, u"cmdSalva"_s);
        EXPECT_TRUE(dialog->Confermato());
    });

    const QStringList switches{u"regLoadTipsAtStartup"_s, u"regShowLastView"_s, u"regLoadViewLayout"_s,
                               u"regAskLabelPrint"_s, u"regUbiView"_s};
    std::vector<std::int32_t> stored;
    for (const QString &name : switches)
        stored.push_back(dword(name));
    EXPECT_EQ(stored, (std::vector<std::int32_t>{1, 0, 0, 0, 1}));
    // The report printer was not picked from the list and names no installed
    // printer: its name is written back, its device name stays.
    QStringList printers;
    for (const QString &name : {u"000"_s, u"D000"_s, u"001"_s, u"D001"_s})
        printers << printerValue(name);
    EXPECT_EQ(printers, (QStringList{u"Vecchia"_s, u"VecchiaDev"_s, u"Zebra Etichette"_s, u"Zebra Etichette"_s}));
    EXPECT_EQ(warehouse(), (QStringList{u"0"_s, u"0"_s, u"2"_s}));
}

// The warehouse tab saves its decimals and switches, refuses decimals out
// of range, and never writes a counter the user left alone or emptied.
TEST_F(OptionsTest, ContatoriSavesDecimalsAndSwitchesButNeverAnUntouchedCounter)
{
    runSql(database, u"INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', 2023, 40), ('NumDecQ', 3, NULL)"_s);
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        EXPECT_EQ(text(dialog, u"txtProg0"_s), u"40"_s);
        EXPECT_EQ(text(dialog, u"txtProg1"_s), u"3"_s);
        EXPECT_EQ(text(dialog, u"txtProg2"_s), u"2"_s);
        // Another copy numbers two movements while the dialog is open.
        runSql(database, u"UPDATE _Pars SET l02=42 WHERE k01='maga' AND l01=2023"_s);
        tick(dialog, u"chkRegData4"_s);
        type(dialog, 2, u"3"_s);
        // More decimals than quantities keep is refused and the dialog stays open.
        type(dialog, 1, u"7"_s);
        click(dialog, u"cmdSalva"_s);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(desk->prompts(), QStringList{u"Le Cifre decimali devono essere comprese tra 0 e 4."_s});
        type(dialog, 1, u"4"_s);
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(warehouse(), (QStringList{u"42"_s, u"4"_s, u"3"_s}));
    EXPECT_EQ(dword(u"regUbiView"_s), 1);
    EXPECT_EQ(dword(u"regAskLabelPrint"_s), 0);
    EXPECT_EQ(desk->msgBoxes().size(), 1u);

    // Emptied boxes keep the stored values.
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        type(dialog, 0, QString());
        type(dialog, 2, QString());
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(warehouse(), (QStringList{u"42"_s, u"4"_s, u"3"_s}));
    EXPECT_EQ(desk->msgBoxes().size(), 1u);
}

TEST_F(OptionsTest, ChangedCounterIsWrittenOnlyOverTheNumberShown)
{
    runSql(database, u"INSERT INTO _Pars (k01, l01, l02) VALUES ('maga', 2023, 40)"_s);
    // Unchanged meanwhile: the typed number is stored, with the up-down's step.
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        type(dialog, 0, u"1x00"_s);
        EXPECT_EQ(text(dialog, u"txtProg0"_s), u"100"_s);
        QTest::mouseClick(dialog->findChild<QWidget *>(u"updProg0up"_s), Qt::LeftButton);
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(counter2023(), u"101"_s);
    EXPECT_EQ(desk->msgBoxes().size(), 0u);

    // Changed meanwhile: the user is told and the other copy's number stays.
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        runSql(database, u"UPDATE _Pars SET l02=105 WHERE k01='maga' AND l01=2023"_s);
        type(dialog, 0, u"7"_s);
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(desk->prompts(), QStringList{frmOptions::ContatoreCambiato});
    // The rest of the section is saved all the same.
    EXPECT_EQ(warehouse(), (QStringList{u"105"_s, u"0"_s, u"2"_s}));

    // An empty counter (left so by the table editor) shows as 0, and 0 is
    // what the change is compared with.
    desk->clear();
    runSql(database, u"UPDATE _Pars SET l02=NULL WHERE k01='maga' AND l01=2023"_s);
    open(&frmOptions::ApriMagazzino, [&](frmOptions *dialog) {
        EXPECT_EQ(text(dialog, u"txtProg0"_s), u"0"_s);
        type(dialog, 0, u"12"_s);
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(counter2023(), u"12"_s);
    EXPECT_EQ(desk->msgBoxes().size(), 0u);
}

TEST_F(OptionsTest, WorkingDateButtonsAndSaveAndRefusedSettingsAreReportedOnceInOurWords)
{
    open(&frmOptions::ApriWorkingDate, [&](frmOptions *dialog) {
        auto *dtp = child<QDateEdit>(dialog, u"dtp"_s);
        EXPECT_EQ(dtp->date(), QDate(2023, 5, 10));
        click(dialog, u"cmdData1"_s);
        EXPECT_EQ(dtp->date(), QDate::currentDate());
        // The end of the year before the working date.
        click(dialog, u"cmdData0"_s);
        EXPECT_EQ(dtp->date(), QDate(2022, 12, 31));
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(MainModule::WorkDate.date(), QDate(2022, 12, 31));
    EXPECT_EQ(MainModule::WorkYear, 2022);
    EXPECT_EQ(setLayCalls, 1);

    // A settings store that refuses every write: one Italian message for the
    // whole save, naming the settings file; the database part is saved.
    const QString blocker = testsupport::freshDir(u"bloccato"_s) + u"/file"_s;
    writeFile(blocker, "x");
    platform::RegistryStore::setDefaultFileName(blocker + u"/registry.ini"_s);
    open(&frmOptions::ApriTutto, [&](frmOptions *dialog) {
        tick(dialog, u"chkRegData0"_s);
        type(dialog, 2, u"3"_s);
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(desk->prompts(), QStringList{MainModule::ImpostazioniNonSalvate()});
    EXPECT_TRUE(MainModule::ImpostazioniNonSalvate().contains(blocker));
    EXPECT_EQ(decimals(u"NumDecV"_s), u"3"_s);
}

TEST_F(OptionsTest, DatabaseTabRefusesAFileThatIsNoDatabase)
{
    const QString junk = testsupport::freshDir(u"altro"_s) + u"/note.mdb"_s;
    writeFile(junk, QByteArrayLiteral("Questo non e' un database."));
    const QString other = copyTemplate(testsupport::freshDir(u"secondo"_s), u"ditta2.mdb"_s);
    const QString connBefore = MainModule::ConnString;
    const QString defaultPrimary = MainModule::DataFolder + u"/gest01.mdb"_s;
    desk->queueOpenFile(junk);
    desk->queueOpenFile(std::nullopt);
    open(&frmOptions::ApriDatabase, [&](frmOptions *dialog) {
        click(dialog, u"cmdopendb0"_s);
        EXPECT_EQ(desk->prompts(), QStringList{u"Database non valido"_s});
        click(dialog, u"cmdopendb1"_s); // cancelled: no message
        EXPECT_EQ(desk->prompts().size(), 1);
        EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb0"_s)->text(), defaultPrimary);
        EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb1"_s)->text(), u"<vuoto>"_s);
        click(dialog, u"cmdAnnulla"_s);
    });
    EXPECT_EQ(desk->callsOf<platform::OpenFileCall>().at(0).request.initialDir, MainModule::DbPath);
    EXPECT_EQ(settingsText(u"dbPath"_s), std::nullopt);

    // A real database as the secondary one: both rows are stored; the
    // primary of the settings does not open, so the program stays where it is.
    desk->clear();
    desk->queueOpenFile(other);
    open(&frmOptions::ApriDatabase, [&](frmOptions *dialog) {
        click(dialog, u"cmdopendb1"_s);
        EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb1"_s)->text(), other);
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(desk->msgBoxes().size(), 0u);
    EXPECT_EQ(settingsText(u"dbPath"_s), MainModule::DataFolder);
    EXPECT_EQ(settingsText(u"dbName"_s), u"gest01.mdb"_s);
    EXPECT_EQ(settingsText(u"dbPath2"_s), QFileInfo(other).absolutePath());
    EXPECT_EQ(settingsText(u"dbName2"_s), u"ditta2.mdb"_s);
    EXPECT_EQ(MainModule::ConnString, connBefore);
    EXPECT_EQ(setLayCalls, 1);
}

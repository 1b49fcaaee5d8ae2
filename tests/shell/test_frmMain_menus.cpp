// The main window's Data and Grid menus with the dialogs they open driven
// through their own widgets: the options, the database choice and the new
// database, the table editor, the list's columns and layouts.
#include "MainWindowFixture.h"

#include "common/comfrmDbUtils.h"
#include "common/comfrmManData.h"
#include "common/comfrmShowfields.h"
#include "shell/frmOptions.h"

#include <QFileInfo>
#include <QListWidget>

using namespace shelltest;
using namespace Qt::StringLiterals;

namespace {

// The main window with the settings that the start leaves, for the menus
// that read or write them.
class MenusTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // What the start leaves in the settings for the open database.
        setSettingsText(u"dbPath"_s, MainModule::DbPath);
        setSettingsText(u"dbName"_s, MainModule::DbName);
    }

    // Runs a menu item that opens a modal dialog and acts on the dialog.
    template <typename Dialog>
    static void viaMenu(const QMenu *menu, const QString &caption, const std::function<void(Dialog *)> &action)
    {
        testsupport::callModal<Dialog>([&] { item(menu, caption)->trigger(); }, action);
    }

    QString openDatabase() const { return MainModule::DbPath + u'/' + MainModule::DbName; }
};

} // namespace

TEST_F(MenusTest, TheDataMenusDatabasesAreForTheNextStartTheOptionsSwitchItForEveryList)
{
    const QString other = copyTemplate(testsupport::freshDir(u"altra"_s), u"ditta2.mdb"_s);
    const QString program = testsupport::freshDir(u"programma"_s);
    const QString master = copyTemplate(program, u"master.gen"_s);
    MainModule::ImpostaCartellaProgramma(program);
    MainModule::DataFolder = testsupport::freshDir(u"BrevelDB"_s);
    const QString created = MainModule::DataFolder + u"/nuova.mdb"_s;
    const QString before = openDatabase();
    clickBar(2);

    desk->queueOpenFile(other);
    viaMenu<comfrmDbUtils>(window->mnuDb(), u"&Seleziona database"_s, [&](comfrmDbUtils *dialog) {
        click(dialog, u"cmdopendb_0"_s);
        click(dialog, u"cmdOK"_s);
    });
    desk->queueSaveFile(created);
    viaMenu<comfrmDbUtils>(window->mnuDb(), u"Nuovo database"_s, [&](comfrmDbUtils *dialog) {
        click(dialog, u"cmdopendb_0"_s);
        click(dialog, u"cmdOK"_s);
    });

    EXPECT_EQ(desk->prompts(), (QStringList{u"Riavviare l'applicazione per rendere effettive le modifiche."_s,
                                            u"Database creato con successo."_s}));
    EXPECT_EQ(settingsText(u"dbPath"_s), QFileInfo(other).absolutePath());
    EXPECT_EQ(settingsText(u"dbName"_s), u"ditta2.mdb"_s);
    EXPECT_EQ(fileBytes(created), fileBytes(master));

    // The program goes on with the database it opened, refreshed or not.
    EXPECT_EQ(openDatabase(), before);
    item(window->mnuView(), u"Aggiorna"_s)->trigger();
    EXPECT_EQ(window->Panel(u"Database"_s)->text(), before);
    EXPECT_EQ(columnTexts(u"Codice"_s), (QStringList{u"A001"_s, u"A002"_s, u"A003"_s}));

    // The options dialog switches the database: every list reads the new one.
    desk->clear();
    const QString switched = copyTemplate(testsupport::freshDir(u"altra"_s), u"ditta2.mdb"_s);
    runSql(switched, QStringLiteral(
        "INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (1, 'Cliente', 'Nuovo cliente'), "
        "(2, 'Fornitore', 'Nuovo fornitore');"
        "INSERT INTO Articoli (Codice, Descrizione, UM) VALUES ('N001', 'Nuovo articolo', 'NU');"
        "INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota) VALUES ('N1', 'Nuova', 1);"
        "INSERT INTO Liste (Chiave, Codice, Descrizione) VALUES ('um', 'NU', 'Nuova unità'), "
        "('cat', NULL, 'Nuova categoria');"
        "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES (1, '2031-03-01', 77, 'Carico');"));
    for (int node = 0; node < 8; ++node)
        clickBar(node); // every node shown once on the database opened at the start

    desk->queueOpenFile(switched);
    testsupport::callModal<frmOptions>(&frmOptions::ApriDatabase, [](frmOptions *dialog) {
        click(dialog, u"cmdopendb0"_s);
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(window->Panel(u"Database"_s)->text(), switched);

    // Each node's list, shown and refreshed, has only the new database's rows.
    const std::pair<const char *, const char *> shown[] = {
        {"Prog", "77"},         {"Codice", "N001"},         {"Codice", "N001"},   {"Nome", "Nuovo cliente"},
        {"Nome", "Nuovo fornitore"}, {"CodiceIVA", "N1"}, {"Codice", "NU"},     {"Descrizione", "Nuova categoria"},
    };
    for (int node = 0; node < 8; ++node) {
        SCOPED_TRACE(node);
        clickBar(node);
        item(window->mnuView(), u"Aggiorna"_s)->trigger();
        const auto &[column, text] = shown[node];
        EXPECT_EQ(columnTexts(QLatin1String(column)), QStringList{QString::fromUtf8(text)});
    }
    EXPECT_TRUE(desk->msgBoxes().empty()) << desk->prompts().join(u'|').toStdString();
}

// The Data menu edits the tables only after its warning, and waits until no
// other window is open (nor does the main window close before).
TEST_F(MenusTest, TheDataMenuWarnsBeforeTheTablesAndWaitsForTheOtherWindows)
{
    // No: the editor does not open (a modal one would hold the test).
    desk->queueMsgBox(platform::vbNo);
    item(window->mnuDb(), u"Tabelle"_s)->trigger();
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_TRUE(desk->msgBoxes()[0].prompt.startsWith(u"Attenzione!"_s));
    desk->queueMsgBox(platform::vbYes);
    viaMenu<comfrmManData>(window->mnuDb(), u"Tabelle"_s, [](comfrmManData *editor) { editor->reject(); });

    desk->clear();
    QWidget other;
    other.setWindowTitle(u"Articolo"_s);
    other.show();
    for (const QString &caption : {u"&Seleziona database"_s, u"Nuovo database"_s, u"Tabelle"_s})
        item(window->mnuDb(), caption)->trigger();
    EXPECT_FALSE(window->close());
    EXPECT_EQ(desk->prompts(), QStringList(4, u"Chiudere prima tutte le schede dati."_s));
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbOKOnly);
    EXPECT_TRUE(window->isVisible());
    other.close();
    EXPECT_TRUE(window->close());
}

TEST_F(MenusTest, LayoutsAreStoredInTheDatabaseAndTheDefaultComesFromTheNodesFile)
{
    const QString program = testsupport::freshDir(u"programma"_s);
    MainModule::ImpostaCartellaProgramma(program);
    clickBar(2);
    viaMenu<comfrmShowfields>(window->mnuGrid(), u"&Campi"_s, [](comfrmShowfields *dialog) {
        auto *list = child<QListWidget>(dialog, u"lstVisible"_s);
        const QList<QListWidgetItem *> found = list->findItems(u"Ubicazione"_s, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        click(dialog, u"cmdRemove"_s);
        click(dialog, u"cmdOK"_s);
    });
    EXPECT_FALSE(grid().column(u"Ubicazione"_s)->visible());
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Codice"_s);

    // "Salva Layout" keeps one row under the bare node code, however often.
    item(window->mnuGrid(), u"&Salva Layout"_s)->trigger();
    item(window->mnuGrid(), u"&Salva Layout"_s)->trigger();
    EXPECT_EQ(queryColumn(database, u"SELECT k02 FROM _Pars WHERE k01='gridlayout'"_s), QStringList{u"art"_s});

    // A layout file sorted by description, downwards: the default brings it
    // back over the list shown afresh, and the find label follows it.
    grid().sortKeys().assign({{grid().column(u"Descrizione"_s)->index(), platform::SortOrder::Descending}});
    grid().saveLayoutFile(program + u"/gex_art.lyt"_s);
    clickBar(3);
    clickBar(2);
    ASSERT_TRUE(grid().column(u"Ubicazione"_s)->visible());
    runSql(database, u"INSERT INTO Articoli (Codice, Descrizione) VALUES ('A004', 'Bullone')"_s);
    item(window->mnuGrid(), u"&Predefinito"_s)->trigger();
    EXPECT_TRUE(desk->msgBoxes().empty()) << desk->prompts().join(u'|').toStdString();
    const QStringList loaded{u"Vite 3x20"_s, u"Dado M3"_s, u"Colla"_s, u"Bullone"_s};
    EXPECT_EQ(columnTexts(u"Descrizione"_s), loaded);
    EXPECT_FALSE(grid().column(u"Ubicazione"_s)->visible());
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Descrizione"_s);

    // A database held by another program keeps the rows shown.
    platform::Connection::setDefaultBusyTimeout(50);
    {
        const AltroProgramma other(database);
        item(window->mnuGrid(), u"&Predefinito"_s)->trigger();
    }
    EXPECT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(columnTexts(u"Descrizione"_s), loaded);

    // Without the node's file the user is told why and the list stays as it was.
    desk->clear();
    QFile::remove(program + u"/gex_art.lyt"_s);
    item(window->mnuGrid(), u"&Predefinito"_s)->trigger();
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(desk->msgBoxes()[0].prompt,
              u"Attenzione!\r\n\r\nManca il file di configurazione\r\n\""_s + program + u"/gex_art.lyt\""_s);
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbCritical | platform::vbOKOnly);
    EXPECT_EQ(columnTexts(u"Descrizione"_s), loaded);

    // A layout whose rows cannot be read: told why, the node's list is read afresh.
    clickBar(3);
    grid().setRecordSource(u"SELECT * FROM Nessuna"_s);
    grid().saveLayoutFile(program + u"/gex_cli.lyt"_s);
    desk->clear();
    item(window->mnuGrid(), u"&Predefinito"_s)->trigger();
    EXPECT_EQ(desk->msgBoxes().size(), 1u);
    ASSERT_EQ(grid().recordCount(), 1);
    EXPECT_EQ(columnTexts(u"Nome"_s), QStringList{u"Bianchi Mario"_s});
}

// The main window's View, Grid, Data and Help menus and its status bar,
// with the dialogs they open driven through their own widgets: the
// options, the database choice and the new database, the table editor,
// the list's columns and layouts, and the help.
#include "MainWindowFixture.h"

#include "../common/ModalCall.h"
#include "common/comfrmDbUtils.h"
#include "common/comfrmManData.h"
#include "common/comfrmShowfields.h"
#include "platform/data/Connection.h"
#include "shell/frmOptions.h"
#include "support/TestEnv.h"

#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

using namespace shelltest;

namespace {

class MenusTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // What the start leaves in the settings for the open database.
        setSettingsText(u"dbPath"_qs, MainModule::DbPath);
        setSettingsText(u"dbName"_qs, MainModule::DbName);
    }

    template <typename T>
    static T *child(const QWidget *dialog, const QString &name)
    {
        T *found = dialog->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    static void click(const QWidget *dialog, const QString &button)
    {
        if (auto *b = child<QPushButton>(dialog, button))
            QTest::mouseClick(b, Qt::LeftButton);
    }

    static void pick(QListWidget *list, const QString &text)
    {
        const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
    }

    // Hides a column of the list through Grid "Campi".
    void hideColumn(const QString &caption)
    {
        testsupport::callModal<comfrmShowfields>(
            [&] { item(window->mnuGrid(), u"&Campi"_qs)->trigger(); }, [&](comfrmShowfields *dialog) {
                pick(child<QListWidget>(dialog, u"lstVisible"_qs), caption);
                click(dialog, u"cmdRemove"_qs);
                click(dialog, u"cmdOK"_qs);
            });
    }

    // The layout text stored in a 'gridlayout' row (UTF-16LE bytes).
    QString storedLayout(const QString &name) const
    {
        const QByteArray bytes = QByteArray::fromHex(
            queryValue(database, QStringLiteral("SELECT hex(m01) FROM _Pars WHERE k01='gridlayout' AND k02='%1'")
                                     .arg(name))
                .toLatin1());
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
    }

    QString openDatabase() const { return MainModule::DbPath + u'/' + MainModule::DbName; }
};

} // namespace

TEST_F(MenusTest, TheDataMenusDatabasesAreForTheNextStartWhileTheOpenOneStays)
{
    const QString other = copyTemplate(testsupport::freshDir(u"altra"_qs), u"ditta2.mdb"_qs);
    const QString program = testsupport::freshDir(u"programma"_qs);
    const QString master = copyTemplate(program, u"master.gen"_qs);
    MainModule::ImpostaCartellaProgramma(program);
    MainModule::DataFolder = testsupport::freshDir(u"BrevelDB"_qs);
    const QString created = MainModule::DataFolder + u"/nuova.mdb"_qs;
    const QString before = openDatabase();
    clickBar(2);

    desk->queueOpenFile(other);
    testsupport::callModal<comfrmDbUtils>(
        [&] { item(window->mnuDb(), u"&Seleziona database"_qs)->trigger(); }, [&](comfrmDbUtils *dialog) {
            EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb_0"_qs)->text(), before);
            click(dialog, u"cmdopendb_0"_qs);
            click(dialog, u"cmdOK"_qs);
        });
    desk->queueSaveFile(created);
    testsupport::callModal<comfrmDbUtils>([&] { item(window->mnuDb(), u"Nuovo database"_qs)->trigger(); },
                                          [&](comfrmDbUtils *dialog) {
                                              click(dialog, u"cmdopendb_0"_qs);
                                              click(dialog, u"cmdOK"_qs);
                                          });

    // The dialogs start in the open database's folder and the data folder.
    EXPECT_EQ(desk->callsOf<platform::OpenFileCall>().at(0).request.initialDir, MainModule::DbPath);
    EXPECT_EQ(desk->callsOf<platform::SaveFileCall>().at(0).request.initialDir, MainModule::DataFolder);
    EXPECT_EQ(desk->prompts(), (QStringList{u"Riavviare l'applicazione per rendere effettive le modifiche."_qs,
                                            u"Database creato con successo."_qs}));
    EXPECT_EQ(settingsText(u"dbPath"_qs), QFileInfo(other).absolutePath());
    EXPECT_EQ(settingsText(u"dbName"_qs), u"ditta2.mdb"_qs);
    EXPECT_EQ(fileBytes(created), fileBytes(master));

    // The program goes on with the database it opened, refreshed or not.
    EXPECT_EQ(openDatabase(), before);
    item(window->mnuView(), u"Aggiorna"_qs)->trigger();
    EXPECT_EQ(window->Panel(u"Database"_qs)->text(), before);
    EXPECT_EQ(columnTexts(u"Codice"_qs), (QStringList{u"A001"_qs, u"A002"_qs, u"A003"_qs}));
}

TEST_F(MenusTest, AfterTheOptionsSwitchTheDatabaseEveryListReadsTheNewOne)
{
    const QString other = copyTemplate(testsupport::freshDir(u"altra"_qs), u"ditta2.mdb"_qs);
    runSql(other, QStringLiteral(
        "INSERT INTO CliFor (IdCliFor, Tipo, Nome) VALUES (1, 'Cliente', 'Nuovo cliente'), "
        "(2, 'Fornitore', 'Nuovo fornitore');"
        "INSERT INTO Articoli (Codice, Descrizione, UM) VALUES ('N001', 'Nuovo articolo', 'NU');"
        "INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota) VALUES ('N1', 'Nuova', 1);"
        "INSERT INTO Liste (Chiave, Codice, Descrizione) VALUES ('um', 'NU', 'Nuova unità'), "
        "('cat', NULL, 'Nuova categoria');"
        "INSERT INTO MagazRegMain (IdReg, DataIns, Progressivo, Causale) VALUES (1, '2031-03-01', 77, 'Carico');"));
    for (int node = 0; node < 8; ++node)
        clickBar(node); // every node shown once on the database opened at the start

    desk->queueOpenFile(other);
    testsupport::callModal<frmOptions>([] { frmOptions::ApriDatabase(); }, [&](frmOptions *dialog) {
        click(dialog, u"cmdopendb0"_qs);
        click(dialog, u"cmdSalva"_qs);
    });
    EXPECT_EQ(window->Panel(u"Database"_qs)->text(), other);

    // Each node's list, shown and refreshed, has only the new database's rows.
    const std::pair<const char *, const char *> shown[] = {
        {"Prog", "77"},         {"Codice", "N001"},         {"Codice", "N001"},   {"Nome", "Nuovo cliente"},
        {"Nome", "Nuovo fornitore"}, {"CodiceIVA", "N1"}, {"Codice", "NU"},     {"Descrizione", "Nuova categoria"},
    };
    for (int node = 0; node < 8; ++node) {
        SCOPED_TRACE(node);
        clickBar(node);
        item(window->mnuView(), u"Aggiorna"_qs)->trigger();
        const auto &[column, text] = shown[node];
        EXPECT_EQ(columnTexts(QLatin1String(column)), QStringList{QString::fromUtf8(text)});
    }
    EXPECT_TRUE(desk->msgBoxes().empty()) << desk->prompts().join(u'|').toStdString();
}

TEST_F(MenusTest, TablesAreEditedOnlyAfterTheWarning)
{
    const QString warning = QStringLiteral(
        "Attenzione!\r\n\r\nLa modifica diretta delle tabelle è una operazione che va utilizzata solo in caso di "
        "reale necessità e comunque da utenti esperti.\r\n\r\nProcedere?");
    desk->queueMsgBox(platform::vbNo);
    item(window->mnuDb(), u"Tabelle"_qs)->trigger();
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(desk->msgBoxes()[0].prompt, warning);
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbYesNo | platform::vbExclamation | platform::vbDefaultButton2);

    desk->queueMsgBox(platform::vbYes);
    testsupport::callModal<comfrmManData>([&] { item(window->mnuDb(), u"Tabelle"_qs)->trigger(); },
                                          [](comfrmManData *editor) { editor->reject(); });
}

TEST_F(MenusTest, LayoutsAreStoredInTheDatabaseAndTheDefaultComesFromTheNodesFile)
{
    const QString program = testsupport::freshDir(u"programma"_qs);
    MainModule::ImpostaCartellaProgramma(program);
    clickBar(2);
    hideColumn(u"Ubicazione"_qs);
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Codice"_qs);

    // "Salva Layout" keeps one row under the bare node code, however often.
    item(window->mnuGrid(), u"&Salva Layout"_qs)->trigger();
    item(window->mnuGrid(), u"&Salva Layout"_qs)->trigger();
    EXPECT_EQ(queryColumn(database, u"SELECT k02 FROM _Pars WHERE k01='gridlayout'"_qs), QStringList{u"art"_qs});
    platform::Grid stored;
    stored.setLayoutText(storedLayout(u"art"_qs), true, MainModule::ConnString);
    EXPECT_FALSE(stored.column(u"Ubicazione"_qs)->visible());
    EXPECT_EQ(stored.recordCount(), 3);

    // A layout file sorted by description, downwards: the default brings it
    // back over the list shown afresh, and the find label follows it.
    platform::GridColumn *description = grid().column(u"Descrizione"_qs);
    grid().sortKeys().assign({{description->index(), platform::SortOrder::Descending}});
    grid().saveLayoutFile(program + u"/gex_art.lyt"_qs);
    clickBar(3);
    clickBar(2);
    ASSERT_TRUE(grid().column(u"Ubicazione"_qs)->visible());
    runSql(database, u"INSERT INTO Articoli (Codice, Descrizione) VALUES ('A004', 'Bullone')"_qs);
    item(window->mnuGrid(), u"&Predefinito"_qs)->trigger();
    EXPECT_TRUE(desk->msgBoxes().empty()) << desk->prompts().join(u'|').toStdString();
    const QStringList loaded{u"Vite 3x20"_qs, u"Dado M3"_qs, u"Colla"_qs, u"Bullone"_qs};
    EXPECT_EQ(columnTexts(u"Descrizione"_qs), loaded);
    EXPECT_FALSE(grid().column(u"Ubicazione"_qs)->visible());
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Descrizione"_qs);

    // A database held by another program keeps the rows shown.
    platform::Connection::setDefaultBusyTimeout(50);
    {
        const AltroProgramma other(database);
        item(window->mnuGrid(), u"&Predefinito"_qs)->trigger();
    }
    EXPECT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(columnTexts(u"Descrizione"_qs), loaded);

    // Without the node's file, or with one that is no layout, the user is
    // told why and the list stays as it was.
    writeFile(program + u"/gex_cli.lyt"_qs, QByteArrayLiteral("non un layout"));
    for (const char *node : {"art", "cli"}) {
        desk->clear();
        if (QLatin1String(node) == QLatin1String("art"))
            QFile::remove(program + u"/gex_art.lyt"_qs);
        else
            clickBar(3);
        const QStringList before = columnTexts(grid().column(2)->key());
        item(window->mnuGrid(), u"&Predefinito"_qs)->trigger();
        const QString path = program + u"/gex_"_qs + QLatin1String(node) + u".lyt"_qs;
        const QString why = QLatin1String(node) == QLatin1String("art") ? u"Manca il file di configurazione"_qs
                                                                         : u"Il file di configurazione non è leggibile"_qs;
        ASSERT_EQ(desk->msgBoxes().size(), 1u);
        EXPECT_EQ(desk->msgBoxes()[0].prompt, u"Attenzione!\r\n\r\n"_qs + why + u"\r\n\""_qs + path + u'"');
        EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbCritical | platform::vbOKOnly);
        EXPECT_EQ(columnTexts(grid().column(2)->key()), before);
    }

    // A layout whose rows cannot be read: told why, the node's list is read afresh.
    grid().setRecordSource(u"SELECT * FROM Nessuna"_qs);
    grid().saveLayoutFile(program + u"/gex_cli.lyt"_qs);
    desk->clear();
    item(window->mnuGrid(), u"&Predefinito"_qs)->trigger();
    EXPECT_EQ(desk->msgBoxes().size(), 1u);
    ASSERT_EQ(grid().recordCount(), 1);
    EXPECT_EQ(columnTexts(u"Nome"_qs), QStringList{u"Bianchi Mario"_qs});
}

TEST_F(MenusTest, HelpItemsAndF1OpenTheirTopics)
{
    const QString folder = testsupport::freshDir(u"programma"_qs);
    writeFile(folder + u"/brevel.chm"_qs, QByteArray("guida"));
    MainModule::ImpostaCartellaProgramma(folder);
    for (const QString &caption :
         {u"&Guida in linea"_qs, u"La &mia prima registrazione"_qs, u"&Tasti di scelta rapida"_qs})
        item(window->mnuHelp(), caption)->trigger();
    // F1 on the start panel as well.
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window.get(), Qt::Key_F1);
    const auto calls = desk->callsOf<platform::HelpCall>();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].contextId, 0);
    EXPECT_EQ(calls[1].contextId, 20);
    EXPECT_EQ(calls[2].contextId, 70);
    EXPECT_EQ(calls[3].contextId, 0);
    EXPECT_EQ(calls[0].helpFile, folder + u"/brevel.chm"_qs);
    EXPECT_TRUE(desk->msgBoxes().empty());
}

TEST_F(MenusTest, StatusBarOpensTheWorkingDateAndTheCounter)
{
    const auto save = [](frmOptions *dialog) { click(dialog, u"cmdSalva"_qs); };
    testsupport::callModal<frmOptions>([&] { QTest::mouseClick(window->Panel(u"WorkData"_qs), Qt::LeftButton); },
                                       [&](frmOptions *dialog) {
                                           child<QDateEdit>(dialog, u"dtp"_qs)->setDate(QDate(2031, 6, 2));
                                           save(dialog);
                                       });
    EXPECT_EQ(MainModule::WorkDate, platform::DateTime(2031, 6, 2));
    EXPECT_EQ(window->Panel(u"WorkData"_qs)->text(), u"lun 2 giu 31"_qs);

    testsupport::callModal<frmOptions>([&] { QTest::mouseClick(window->Panel(u"Contatore"_qs), Qt::LeftButton); },
                                       [&](frmOptions *dialog) {
                                           child<QLineEdit>(dialog, u"txtProg0"_qs)->setText(u"20"_qs);
                                           save(dialog);
                                       });
    EXPECT_EQ(window->Panel(u"Contatore"_qs)->text(), u"20"_qs);

    // The View menu's items reach the same dialog.
    const auto cancel = [](frmOptions *dialog) { click(dialog, u"cmdAnnulla"_qs); };
    testsupport::callModal<frmOptions>([&] { item(window->mnuView(), u"Contatori"_qs)->trigger(); }, cancel);
    testsupport::callModal<frmOptions>([&] { item(window->mnuView(), u"&Opzioni"_qs)->trigger(); }, cancel);
}

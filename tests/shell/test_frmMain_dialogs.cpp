// The dialogs the main window opens from its Data and Grid menus, driven
// through their own widgets: the database choice and the new database,
// the list's columns, fonts and layouts, and the help behind F1.
#include "MainWindowFixture.h"

#include "../common/ModalCall.h"
#include "common/comfrmDbUtils.h"
#include "common/comfrmShowfields.h"
#include "common/comfrmTableview.h"
#include "platform/grid/GridColumns.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

using namespace shelltest;

namespace {

const QString Restart = QStringLiteral("Riavviare l'applicazione per rendere effettive le modifiche.");

class MainDialogsTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // What the start leaves in the settings for the open database.
        setSettingsText(QStringLiteral("dbPath"), MainModule::DbPath);
        setSettingsText(QStringLiteral("dbName"), MainModule::DbName);
    }

    QAction *item(const QMenu *menu, const QString &caption) const
    {
        QAction *action = frmMain::VoceMenu(menu, caption);
        EXPECT_NE(action, nullptr) << caption.toStdString();
        return action;
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

    // The captions of the shown columns, left to right as the list draws them.
    QStringList shownInOrder() const
    {
        QStringList captions;
        for (int p = 1; p <= grid().columns().count(); ++p)
            if (const platform::GridColumn *c = grid().columns().atPosition(p); c && c->visible())
                captions << c->caption();
        return captions;
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

TEST_F(MainDialogsTest, ChosenDatabaseIsStoredForTheNextStartWhileTheOpenOneStays)
{
    const QString other = copyTemplate(testsupport::freshDir(QStringLiteral("altra")), QStringLiteral("ditta2.mdb"));
    runSql(other, QStringLiteral("INSERT INTO Articoli (Codice, Descrizione) VALUES ('Z999', 'Altra ditta')"));
    const QString before = openDatabase();
    const QString connection = MainModule::ConnString;
    clickBar(2);
    desk->queueOpenFile(other);

    testsupport::callModal<comfrmDbUtils>(
        [&] { item(window->mnuDb(), u"&Seleziona database"_qs)->trigger(); }, [&](comfrmDbUtils *dialog) {
            EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb_0"_qs)->text(), before);
            EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb_1"_qs)->text(), u"<vuoto>"_qs);
            click(dialog, u"cmdopendb_0"_qs);
            EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb_0"_qs)->text(), other);
            click(dialog, u"cmdOK"_qs);
        });

    const auto requests = desk->callsOf<platform::OpenFileCall>();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].request.title, u"Selezione Database primario"_qs);
    EXPECT_EQ(requests[0].request.initialDir, MainModule::DbPath);
    EXPECT_EQ(desk->prompts(), QStringList{Restart});
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbOKOnly);
    EXPECT_EQ(settingsText(u"dbPath"_qs), QFileInfo(other).absolutePath());
    EXPECT_EQ(settingsText(u"dbName"_qs), u"ditta2.mdb"_qs);
    EXPECT_EQ(settingsText(u"dbPath2"_qs), std::nullopt);

    // The program goes on with the database it opened, refreshed or not.
    EXPECT_EQ(openDatabase(), before);
    EXPECT_EQ(MainModule::ConnString, connection);
    item(window->mnuView(), u"Aggiorna"_qs)->trigger();
    EXPECT_EQ(window->Panel(u"Database"_qs)->text(), before);
    EXPECT_EQ(columnTexts(u"Codice"_qs), (QStringList{u"A001"_qs, u"A002"_qs, u"A003"_qs}));
}

TEST_F(MainDialogsTest, NoDatabaseACancelledChoiceOrAnnullaChangeNothing)
{
    const QString junk = testsupport::freshDir(QStringLiteral("altro")) + QStringLiteral("/note.mdb");
    writeFile(junk, QByteArrayLiteral("Questo non e' un database."));
    const QStringList content = dumpDatabase(database);
    desk->queueOpenFile(junk);
    desk->queueOpenFile(std::nullopt);

    testsupport::callModal<comfrmDbUtils>(
        [&] { item(window->mnuDb(), u"&Seleziona database"_qs)->trigger(); }, [&](comfrmDbUtils *dialog) {
            click(dialog, u"cmdopendb_0"_qs);
            EXPECT_EQ(desk->prompts(), QStringList{u"Database non valido"_qs});
            click(dialog, u"cmdopendb_1"_qs);
            EXPECT_EQ(desk->prompts().size(), 1);
            EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb_0"_qs)->text(), openDatabase());
            EXPECT_FALSE(child<QPushButton>(dialog, u"cmdOK"_qs)->isEnabled());
            click(dialog, u"cmdCancel"_qs);
        });

    EXPECT_EQ(desk->callsOf<platform::OpenFileCall>()[1].request.title, u"Selezione Database secondario"_qs);
    EXPECT_EQ(settingsText(u"dbPath"_qs), MainModule::DbPath);
    EXPECT_EQ(settingsText(u"dbName"_qs), MainModule::DbName);
    EXPECT_EQ(settingsText(u"dbPath2"_qs), std::nullopt);
    EXPECT_EQ(settingsText(u"dbName2"_qs), std::nullopt);
    EXPECT_EQ(fileBytes(junk), QByteArrayLiteral("Questo non e' un database."));
    EXPECT_EQ(dumpDatabase(database), content);
}

TEST_F(MainDialogsTest, NewDatabaseIsACopyOfTheTemplateThatIsNotOpened)
{
    const QString program = testsupport::freshDir(QStringLiteral("programma"));
    const QString master = copyTemplate(program, QStringLiteral("master.gen"));
    MainModule::ImpostaCartellaProgramma(program);
    MainModule::DataFolder = testsupport::freshDir(QStringLiteral("BrevelDB"));
    const QString target = MainModule::DataFolder + QStringLiteral("/nuova.mdb");
    const QString before = openDatabase();
    desk->queueSaveFile(database);
    desk->queueSaveFile(target);

    testsupport::callModal<comfrmDbUtils>(
        [&] { item(window->mnuDb(), u"Nuovo database"_qs)->trigger(); }, [&](comfrmDbUtils *dialog) {
            click(dialog, u"cmdopendb_0"_qs); // a name already taken
            EXPECT_EQ(desk->prompts(), QStringList{u"Database già presente.\r\nOperazione annullata."_qs});
            EXPECT_FALSE(child<QPushButton>(dialog, u"cmdOK"_qs)->isEnabled());
            click(dialog, u"cmdopendb_0"_qs);
            EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb_0"_qs)->text(), target);
            click(dialog, u"cmdOK"_qs);
        });

    const auto requests = desk->callsOf<platform::SaveFileCall>();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].request.title, u"Nuovo Database"_qs);
    EXPECT_EQ(requests[0].request.initialDir, MainModule::DataFolder);
    EXPECT_EQ(desk->prompts().last(), u"Database creato con successo."_qs);
    EXPECT_EQ(fileBytes(target), fileBytes(master));
    EXPECT_TRUE(QFileInfo(target).isWritable());
    EXPECT_EQ(settingsText(u"dbName"_qs), QFileInfo(before).fileName());
    EXPECT_EQ(openDatabase(), before);
    EXPECT_EQ(window->Panel(u"Database"_qs)->text(), before);
}

TEST_F(MainDialogsTest, ColumnsAndFontsDialogsShapeTheList)
{
    clickBar(2);
    const QStringList all{u"Codice"_qs, u"Descrizione"_qs, u"UM"_qs,    u"Ubicazione"_qs,
                          u"Categoria"_qs, u"Fornitore"_qs, u"Costo"_qs, u"PrezzoIvato"_qs};
    ASSERT_EQ(shownInOrder(), all);

    testsupport::callModal<comfrmShowfields>(
        [&] { item(window->mnuGrid(), u"&Campi"_qs)->trigger(); }, [&](comfrmShowfields *dialog) {
            auto *visible = child<QListWidget>(dialog, u"lstVisible"_qs);
            EXPECT_EQ(child<QListWidget>(dialog, u"lstAvail"_qs)->count(), 0);
            pick(visible, u"Ubicazione"_qs);
            click(dialog, u"cmdRemove"_qs);
            pick(visible, u"PrezzoIvato"_qs);
            click(dialog, u"cmdUp"_qs);
            click(dialog, u"cmdOK"_qs);
        });
    EXPECT_EQ(shownInOrder(), (QStringList{u"Codice"_qs, u"Descrizione"_qs, u"UM"_qs, u"Categoria"_qs,
                                           u"Fornitore"_qs, u"PrezzoIvato"_qs, u"Costo"_qs}));
    EXPECT_EQ(grid().recordCount(), 3);
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Codice"_qs);

    // Only the header font is chosen.
    const QFont rows = grid().rowFont();
    QFont big(QStringLiteral("DejaVu Serif"), 14);
    big.setBold(true);
    desk->queueFont(big);
    testsupport::callModal<comfrmTableview>(
        [&] { item(window->mnuGrid(), u"&Formato"_qs)->trigger(); }, [&](comfrmTableview *dialog) {
            click(dialog, u"cmdfont0"_qs);
            EXPECT_EQ(child<QLabel>(dialog, u"lblcurrfont0"_qs)->text(), u"14 pt. DejaVu Serif"_qs);
            click(dialog, u"cmdOK"_qs);
        });
    EXPECT_EQ(grid().headerFont().family(), u"DejaVu Serif"_qs);
    EXPECT_EQ(grid().headerFont().pointSize(), 14);
    EXPECT_TRUE(grid().headerFont().bold());
    EXPECT_EQ(grid().rowFont(), rows);
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Codice"_qs);
}

TEST_F(MainDialogsTest, LayoutsAreStoredInTheDatabaseAndTheDefaultComesFromTheNodesFile)
{
    const QString program = testsupport::freshDir(QStringLiteral("programma"));
    MainModule::ImpostaCartellaProgramma(program);
    clickBar(2);
    testsupport::callModal<comfrmShowfields>(
        [&] { item(window->mnuGrid(), u"&Campi"_qs)->trigger(); }, [&](comfrmShowfields *dialog) {
            pick(child<QListWidget>(dialog, u"lstVisible"_qs), u"Ubicazione"_qs);
            click(dialog, u"cmdRemove"_qs);
            click(dialog, u"cmdOK"_qs);
        });

    // "Salva Layout" keeps one row under the bare node code, however often.
    item(window->mnuGrid(), u"&Salva Layout"_qs)->trigger();
    item(window->mnuGrid(), u"&Salva Layout"_qs)->trigger();
    EXPECT_EQ(queryColumn(database, u"SELECT k02 FROM _Pars WHERE k01='gridlayout'"_qs), QStringList{u"art"_qs});
    platform::Grid stored;
    stored.setLayoutText(storedLayout(u"art"_qs), true, MainModule::ConnString);
    EXPECT_FALSE(stored.column(u"Ubicazione"_qs)->visible());
    EXPECT_EQ(stored.recordCount(), 3);

    // A layout file sorted by description, downwards: the default brings it
    // back over the list shown afresh, and the find box follows it.
    platform::GridColumn *description = grid().column(u"Descrizione"_qs);
    grid().sortKeys().assign({{description->index(), platform::SortOrder::Descending}});
    grid().saveLayoutFile(program + QStringLiteral("/gex_art.lyt"));
    clickBar(3);
    clickBar(2);
    ASSERT_EQ(window->lblFind()->text(), u"Trova in Codice"_qs);
    ASSERT_TRUE(grid().column(u"Ubicazione"_qs)->visible());
    runSql(database, u"INSERT INTO Articoli (Codice, Descrizione) VALUES ('A004', 'Bullone')"_qs);

    item(window->mnuGrid(), u"&Predefinito"_qs)->trigger();
    EXPECT_TRUE(desk->msgBoxes().empty()) << desk->prompts().join(u'|').toStdString();
    EXPECT_EQ(columnTexts(u"Descrizione"_qs),
              (QStringList{u"Vite 3x20"_qs, u"Dado M3"_qs, u"Colla"_qs, u"Bullone"_qs}));
    EXPECT_FALSE(grid().column(u"Ubicazione"_qs)->visible());
    EXPECT_EQ(window->lblFind()->text(), u"Trova in Descrizione"_qs);

    // Without the node's file the list is emptied and the user told why.
    MainModule::ImpostaCartellaProgramma(testsupport::freshDir(QStringLiteral("vuota")));
    item(window->mnuGrid(), u"&Predefinito"_qs)->trigger();
    ASSERT_EQ(desk->msgBoxes().size(), 1u);
    EXPECT_EQ(desk->msgBoxes()[0].prompt, u"Attenzione!\r\n\r\nManca il file di configurazione\r\n\""_qs
                                              + MainModule::CartellaProgramma() + u"/gex_art.lyt\""_qs);
    EXPECT_EQ(desk->msgBoxes()[0].style, platform::vbCritical | platform::vbOKOnly);
    EXPECT_EQ(grid().recordCount(), 0);
}

TEST_F(MainDialogsTest, F1OnTheStartPanelOpensTheHelp)
{
    const QString program = testsupport::freshDir(QStringLiteral("programma"));
    writeFile(program + QStringLiteral("/brevel.chm"), QByteArray("guida"));
    MainModule::ImpostaCartellaProgramma(program);
    ASSERT_TRUE(window->picStart()->isVisible());
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window.get(), Qt::Key_F1);
    const auto calls = desk->callsOf<platform::HelpCall>();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].helpFile, program + QStringLiteral("/brevel.chm"));
    EXPECT_EQ(calls[0].contextId, 0);
    EXPECT_TRUE(desk->msgBoxes().empty());
}

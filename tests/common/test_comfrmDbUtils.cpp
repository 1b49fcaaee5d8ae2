// The database utilities dialog: the texts of every mode, the choice of the
// primary and secondary databases stored in the registry, the creation of a
// new database from the template, and the failures that leave everything
// as it was.
#include "common/comfrmDbUtils.h"

#include "DataFixture.h"
#include "ModalCall.h"
#include "common/comRegistry.h"
#include "platform/base/Twips.h"
#include "platform/data/Connection.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "platform/registry/RegistryStore.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using platform::RegistryStore;
using platform::Variant;
using testsupport::DataFixture;

namespace {

const QString Settings = QStringLiteral("Software\\Korvane\\Velmora\\Settings");
const QString Restart = QStringLiteral("Riavviare l'applicazione per rendere effettive le modifiche.");
const QString SystemFileMissing = QStringLiteral("File di sistema assente.\r\nOperazione annullata.");

// A file of the given bytes in a fresh folder.
QString fileWith(const QByteArray &bytes, const QString &name = QStringLiteral("note.mdb"))
{
    const QString path = testsupport::freshDir(QStringLiteral("x")) + u'/' + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

class DbUtilsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegistryStore::setDefaultFileName(registry);
        settings.SettingsKeyCopy = Settings;
        settings.DbPath = testsupport::freshDir(QStringLiteral("open"));
        settings.DataFolder = testsupport::freshDir(QStringLiteral("BrevelDB"));
        settings.CartellaProgramma = testsupport::freshDir(QStringLiteral("program"));
        DataFixture::createDatabase(settings.CartellaProgramma, QStringLiteral("master.gen"));
    }
    void TearDown() override { RegistryStore::setDefaultFileName(QString()); }

    static QString stored(const QString &name)
    {
        return comRegistry()
            .ValueEx(comRegistry::HKEY_CURRENT_USER, Settings, name, comRegistry::REG_SZ, Variant(QString()))
            .toString();
    }
    static void store(const QString &name, const QString &value)
    {
        comRegistry().setValueEx(comRegistry::HKEY_CURRENT_USER, Settings, name, comRegistry::REG_SZ,
                                 Variant(QString()), Variant(value));
    }
    static void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    // A database of the program's shape in a folder of its own.
    static QString database(const QString &fileName)
    {
        return DataFixture::createDatabase(testsupport::freshDir(QStringLiteral("db")), fileName);
    }
    QString master() const { return settings.CartellaProgramma + QStringLiteral("/master.gen"); }

    platform::ScopedScriptedDesktop desktop;
    const QString registry = testsupport::freshDir(QStringLiteral("reg")) + QStringLiteral("/registry.ini");
    comfrmDbUtils::Impostazioni settings;
};

} // namespace

TEST_F(DbUtilsTest, EveryModeShowsItsTextsAndModesTwoToFiveDoNothingElse)
{
    const QString ok = QStringLiteral("2. Premere il tasto OK.");
    const struct
    {
        QString title;
        QStringList lines;
        QString row0, row1;
    } modes[] = {
        {QStringLiteral("Seleziona i database attivi."),
         {QStringLiteral("1. Selezionare (obbligatorio) il database primario. (...)"),
          QStringLiteral("2. Selezionare (facoltativo) il database secondario. (...)"),
          QStringLiteral("3. Premere il tasto OK.")},
         QStringLiteral("Database primario"), QStringLiteral("Database secondario")},
        {QStringLiteral("Nuovo database."), {QStringLiteral("1. Impostare il nome ed il percorso del nuovo database. (...)"), ok},
         QStringLiteral("Nuovo Database"), QString()},
        {QStringLiteral("Nuovo database da modello."), {QStringLiteral("Impostare il nome ed il percorso delnuovo database.")},
         QStringLiteral("Modello"), QStringLiteral("Nuovo Database")},
        {QStringLiteral("Compatta il database."),
         {QStringLiteral("1. Impostare il nome ed il percorso del database da compattare. (...)"), ok},
         QStringLiteral("Database da compattare"), QString()},
        {QStringLiteral("Backup del database."), {QStringLiteral("1. Impostare il nome ed il percorso del database da salvare."), ok},
         QStringLiteral("Database da salvare"), QString()},
        {QStringLiteral("Ripristina il database."),
         {QStringLiteral("1. Impostare il nome ed il percorso del database da ripristinare."), ok},
         QStringLiteral("Database da ripristinare"), QString()},
    };
    const int twoRowHeight = comfrmDbUtils(0, settings).height();
    for (int mode = 0; mode < 6; ++mode) {
        SCOPED_TRACE(mode);
        const auto &m = modes[mode];
        desktop->clear();
        comfrmDbUtils dialog(mode, settings);
        EXPECT_EQ(dialog.lblTitle->text(), m.title);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(dialog.lblcom[i]->text(), m.lines.value(i));
        EXPECT_EQ(dialog.lbldb[0]->text(), m.row0);
        EXPECT_EQ(dialog.lbldb[1]->text(), m.row1);
        const bool secondRow = !m.row1.isEmpty();
        EXPECT_EQ(dialog.cmdopendb[1]->isEnabled(), secondRow);
        EXPECT_FALSE(dialog.cmdOK->isEnabled());
        // A dialog without the second row is 960 twips lower; none can be closed by its frame.
        EXPECT_EQ(dialog.height(), twoRowHeight - (secondRow ? 0 : platform::twipsToPixels(960)));
        EXPECT_EQ(desktop->callsOf<platform::RemoveCloseButtonCall>().size(), 1u);
        if (mode < 2)
            continue;
        // Modes 2 to 5 only show their texts: the buttons ask for no file.
        dialog.show();
        desktop->queueOpenFile(master());
        desktop->queueSaveFile(settings.DataFolder + QStringLiteral("/nuovo.mdb"));
        click(dialog.cmdopendb[0]);
        click(dialog.cmdopendb[1]);
        EXPECT_EQ(desktop->pendingAnswers(), 2);
        click(dialog.cmdCancel);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_TRUE(stored(QStringLiteral("dbPath")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(settings.DataFolder + QStringLiteral("/nuovo.mdb")));
}

TEST_F(DbUtilsTest, ChoosingOnlyTheSecondaryWritesOnlyItsValuesWithOneMessage)
{
    // With no open database the file dialog starts in the data folder.
    store(QStringLiteral("dbPath"), QStringLiteral("/dati"));
    store(QStringLiteral("dbName"), QStringLiteral("gest01.mdb"));
    settings.DbPath.clear();
    const QString secondary = database(QStringLiteral("due.mdb"));
    desktop->queueOpenFile(secondary);
    testsupport::callModal<comfrmDbUtils>([this] { comfrmDbUtils::Seleziona(settings); }, [&](comfrmDbUtils *dialog) {
        EXPECT_EQ(dialog->lbltxtdb[0]->text(), QStringLiteral("/dati/gest01.mdb"));
        EXPECT_EQ(dialog->lbltxtdb[1]->text(), QStringLiteral("<vuoto>"));
        click(dialog->cmdopendb[1]);
        click(dialog->cmdOK);
    });
    EXPECT_EQ(desktop->callsOf<platform::OpenFileCall>().at(0).request.initialDir, settings.DataFolder);
    EXPECT_EQ(desktop->prompts(), QStringList{Restart});
    EXPECT_EQ(stored(QStringLiteral("dbPath")), QStringLiteral("/dati"));
    EXPECT_EQ(stored(QStringLiteral("dbName")), QStringLiteral("gest01.mdb"));
    EXPECT_EQ(stored(QStringLiteral("dbPath2")), QFileInfo(secondary).absolutePath());
    EXPECT_EQ(stored(QStringLiteral("dbName2")), QStringLiteral("due.mdb"));
    // The next opening shows it.
    EXPECT_EQ(comfrmDbUtils(comfrmDbUtils::ModeSeleziona, settings).lbltxtdb[1]->text(), secondary);
}

TEST_F(DbUtilsTest, NotADatabaseACancelledFileDialogAnnullaOrARefusedWriteChangeNothing)
{
    const QString text = fileWith("solo testo, non un database");
    const QString missing = testsupport::freshDir(QStringLiteral("x")) + QStringLiteral("/assente.mdb");
    const QString primary = database(QStringLiteral("uno.mdb"));
    for (const auto &answer : {std::optional(text), std::optional(missing), std::optional(primary),
                               std::optional<QString>()})
        desktop->queueOpenFile(answer);
    comfrmDbUtils dialog(comfrmDbUtils::ModeSeleziona, settings);
    dialog.show();
    click(dialog.cmdopendb[0]);
    click(dialog.cmdopendb[1]);
    EXPECT_EQ(desktop->prompts(), (QStringList{QStringLiteral("Database non valido"), QStringLiteral("Database non valido")}));
    const auto requests = desktop->callsOf<platform::OpenFileCall>();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].request.title, QStringLiteral("Selezione Database primario"));
    EXPECT_EQ(requests[1].request.title, QStringLiteral("Selezione Database secondario"));
    EXPECT_EQ(requests[0].request.initialDir, settings.DbPath);
    EXPECT_EQ(requests[0].request.filter, QStringLiteral("File di Access (*.mdb)|*.mdb"));
    EXPECT_EQ(requests[0].request.flags, 0x201004);
    EXPECT_FALSE(dialog.changed(0) || dialog.changed(1));
    EXPECT_FALSE(dialog.cmdOK->isEnabled());
    // The dialog opened both files without changing or creating either.
    EXPECT_EQ(DataFixture::fileBytes(text), QByteArray("solo testo, non un database"));
    EXPECT_FALSE(QFileInfo::exists(missing));

    // A good choice, then a cancelled file dialog that keeps it.
    click(dialog.cmdopendb[0]);
    click(dialog.cmdopendb[0]);
    EXPECT_EQ(dialog.lbltxtdb[0]->text(), primary);
    // A store that refuses the write keeps the dialog open; Esc leaves.
    const QString blocker = fileWith("");
    RegistryStore::setDefaultFileName(blocker + QStringLiteral("/sub/registry.ini"));
    desktop->clear();
    click(dialog.cmdOK);
    EXPECT_EQ(desktop->prompts(), QStringList{SystemFileMissing});
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    RegistryStore::setDefaultFileName(registry);
    for (const char *name : {"dbPath", "dbName", "dbPath2", "dbName2"})
        EXPECT_TRUE(stored(QString::fromLatin1(name)).isEmpty()) << name;
}

TEST_F(DbUtilsTest, NuovoCopiesTheTemplateToANewNameAndF1OpensItsHelp)
{
    const QString existing = DataFixture::createSampleDatabase(settings.DataFolder);
    const QByteArray before = DataFixture::fileBytes(existing);
    const QString target = settings.DataFolder + QStringLiteral("/magazzino 2025.mdb");
    desktop->setHelpFileExists(true);
    ASSERT_TRUE(QFile(settings.CartellaProgramma + QStringLiteral("/brevel.chm")).open(QIODevice::WriteOnly));
    desktop->queueSaveFile(existing);
    desktop->queueSaveFile(target);
    testsupport::callModal<comfrmDbUtils>([this] { comfrmDbUtils::Nuovo(settings); }, [&](comfrmDbUtils *dialog) {
        QTest::keyClick(dialog, Qt::Key_F1);
        // A name already taken is refused.
        click(dialog->cmdopendb[0]);
        EXPECT_EQ(desktop->prompts(), QStringList{QStringLiteral("Database già presente.\r\nOperazione annullata.")});
        EXPECT_EQ(dialog->lbltxtdb[0]->text(), QStringLiteral("<vuoto>"));
        EXPECT_FALSE(dialog->cmdOK->isEnabled());
        click(dialog->cmdopendb[0]);
        EXPECT_EQ(dialog->lbltxtdb[0]->text(), target);
        click(dialog->cmdOK);
    });

    const auto help = desktop->callsOf<platform::HelpCall>();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].contextId, 203);
    EXPECT_EQ(help[0].helpFile, settings.CartellaProgramma + QStringLiteral("/brevel.chm"));
    const auto saves = desktop->callsOf<platform::SaveFileCall>();
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].request.title, QStringLiteral("Nuovo Database"));
    EXPECT_EQ(saves[0].request.initialDir, settings.DataFolder);
    EXPECT_EQ(saves[0].request.flags, 0x200004);
    EXPECT_EQ(desktop->prompts().last(), QStringLiteral("Database creato con successo."));
    EXPECT_EQ(DataFixture::fileBytes(target), DataFixture::fileBytes(master()));
    EXPECT_FALSE(platform::Connection(DataFixture::connectionString(target)).isReadOnly());
    EXPECT_EQ(DataFixture::fileBytes(existing), before);
    // Creating a database chooses nothing.
    EXPECT_TRUE(stored(QStringLiteral("dbPath")).isEmpty());
}

TEST_F(DbUtilsTest, NuovoFailuresKeepTheDialogOpenAndOverwriteNothing)
{
    // The template is missing.
    const QString target = settings.DataFolder + QStringLiteral("/nuovo.mdb");
    ASSERT_TRUE(QFile::remove(master()));
    desktop->queueSaveFile(target);
    comfrmDbUtils dialog(comfrmDbUtils::ModeNuovo, settings);
    dialog.show();
    click(dialog.cmdopendb[0]);
    click(dialog.cmdOK);
    EXPECT_EQ(desktop->prompts(), QStringList{SystemFileMissing});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(QFileInfo::exists(target));

    // A file of that name has appeared since the name was chosen.
    DataFixture::createDatabase(settings.CartellaProgramma, QStringLiteral("master.gen"));
    QFile(fileWith("dati di qualcun altro")).copy(target);
    desktop->clear();
    click(dialog.cmdOK);
    EXPECT_EQ(desktop->prompts(), QStringList{SystemFileMissing});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(DataFixture::fileBytes(target), QByteArray("dati di qualcun altro"));
}

// The database utilities dialog: the choice of the primary and secondary
// databases stored in the registry, the creation of a new database from the
// template, and the failures that leave everything as it was.
#include "common/comfrmDbUtils.h"

#include "DataFixture.h"
#include "ModalCall.h"
#include "common/comRegistry.h"
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
using namespace Qt::StringLiterals;

namespace {

const QString Settings = u"Software\\Korvane\\Velmora\\Settings"_s;
const QString Restart = u"Riavviare l'applicazione per rendere effettive le modifiche."_s;
const QString SystemFileMissing = u"File di sistema assente.\r\nOperazione annullata."_s;

// A file of the given bytes in a fresh folder.
QString fileWith(const QByteArray &bytes, const QString &name = u"note.mdb"_s)
{
    const QString path = testsupport::freshDir(u"x"_s) + u'/' + name;
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
        settings.DbPath = testsupport::freshDir(u"open"_s);
        settings.DataFolder = testsupport::freshDir(u"BrevelDB"_s);
        settings.CartellaProgramma = testsupport::freshDir(u"program"_s);
        DataFixture::createDatabase(settings.CartellaProgramma, u"master.gen"_s);
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
        return DataFixture::createDatabase(testsupport::freshDir(u"db"_s), fileName);
    }
    QString master() const { return settings.CartellaProgramma + u"/master.gen"_s; }

    platform::ScopedScriptedDesktop desktop;
    const QString registry = testsupport::freshDir(u"reg"_s) + u"/registry.ini"_s;
    comfrmDbUtils::Impostazioni settings;
};

} // namespace

TEST_F(DbUtilsTest, ChoosingOnlyTheSecondaryWritesOnlyItsValuesWithOneMessage)
{
    // With no open database the file dialog starts in the data folder.
    store(u"dbPath"_s, u"/dati"_s);
    store(u"dbName"_s, u"gest01.mdb"_s);
    settings.DbPath.clear();
    const QString secondary = database(u"due.mdb"_s);
    desktop->queueOpenFile(secondary);
    testsupport::callModal<comfrmDbUtils>([this] { comfrmDbUtils::Seleziona(settings); }, [&](comfrmDbUtils *dialog) {
        EXPECT_EQ(dialog->lbltxtdb[0]->text(), u"/dati/gest01.mdb"_s);
        EXPECT_EQ(dialog->lbltxtdb[1]->text(), u"<vuoto>"_s);
        click(dialog->cmdopendb[1]);
        click(dialog->cmdOK);
    });
    EXPECT_EQ(desktop->callsOf<platform::OpenFileCall>().at(0).request.initialDir, settings.DataFolder);
    EXPECT_EQ(desktop->prompts(), QStringList{Restart});
    EXPECT_EQ(stored(u"dbPath"_s), u"/dati"_s);
    EXPECT_EQ(stored(u"dbName"_s), u"gest01.mdb"_s);
    EXPECT_EQ(stored(u"dbPath2"_s), QFileInfo(secondary).absolutePath());
    EXPECT_EQ(stored(u"dbName2"_s), u"due.mdb"_s);
    // The next opening shows it.
    EXPECT_EQ(comfrmDbUtils(comfrmDbUtils::ModeSeleziona, settings).lbltxtdb[1]->text(), secondary);
}

TEST_F(DbUtilsTest, NotADatabaseACancelledFileDialogAnnullaOrARefusedWriteChangeNothing)
{
    const QString text = fileWith("solo testo, non un database");
    const QString missing = testsupport::freshDir(u"x"_s) + u"/assente.mdb"_s;
    const QString primary = database(u"uno.mdb"_s);
    for (const auto &answer : {std::optional(text), std::optional(missing), std::optional(primary),
                               std::optional<QString>()})
        desktop->queueOpenFile(answer);
    comfrmDbUtils dialog(comfrmDbUtils::ModeSeleziona, settings);
    dialog.show();
    click(dialog.cmdopendb[0]);
    click(dialog.cmdopendb[1]);
    EXPECT_EQ(desktop->prompts(), (QStringList{u"Database non valido"_s, u"Database non valido"_s}));
    EXPECT_EQ(desktop->callsOf<platform::OpenFileCall>().at(0).request.initialDir, settings.DbPath);
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
    RegistryStore::setDefaultFileName(blocker + u"/sub/registry.ini"_s);
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

TEST_F(DbUtilsTest, NuovoCopiesTheTemplateToANewNameAndFailuresOverwriteNothing)
{
    const QString existing = DataFixture::createSampleDatabase(settings.DataFolder);
    const QByteArray before = DataFixture::fileBytes(existing);
    const QString target = settings.DataFolder + u"/magazzino 2025.mdb"_s;
    desktop->queueSaveFile(existing);
    desktop->queueSaveFile(target);
    testsupport::callModal<comfrmDbUtils>([this] { comfrmDbUtils::Nuovo(settings); }, [&](comfrmDbUtils *dialog) {
        // A name already taken is refused.
        click(dialog->cmdopendb[0]);
        EXPECT_EQ(desktop->prompts(), QStringList{u"Database già presente.\r\nOperazione annullata."_s});
        EXPECT_EQ(dialog->lbltxtdb[0]->text(), u"<vuoto>"_s);
        EXPECT_FALSE(dialog->cmdOK->isEnabled());
        click(dialog->cmdopendb[0]);
        EXPECT_EQ(dialog->lbltxtdb[0]->text(), target);
        click(dialog->cmdOK);
    });

    EXPECT_EQ(desktop->callsOf<platform::SaveFileCall>().at(0).request.initialDir, settings.DataFolder);
    EXPECT_EQ(desktop->prompts().last(), u"Database creato con successo."_s);
    EXPECT_EQ(DataFixture::fileBytes(target), DataFixture::fileBytes(master()));
    EXPECT_FALSE(platform::Connection(DataFixture::connectionString(target)).isReadOnly());
    EXPECT_EQ(DataFixture::fileBytes(existing), before);
    // Creating a database chooses nothing.
    EXPECT_TRUE(stored(u"dbPath"_s).isEmpty());

    // When it fails the dialog stays open: the template is missing.
    const QString other = settings.DataFolder + u"/nuovo.mdb"_s;
    ASSERT_TRUE(QFile::remove(master()));
    desktop->clear();
    desktop->queueSaveFile(other);
    comfrmDbUtils dialog(comfrmDbUtils::ModeNuovo, settings);
    dialog.show();
    click(dialog.cmdopendb[0]);
    click(dialog.cmdOK);
    EXPECT_EQ(desktop->prompts(), QStringList{SystemFileMissing});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(QFileInfo::exists(other));

    // A file of that name has appeared since the name was chosen.
    DataFixture::createDatabase(settings.CartellaProgramma, u"master.gen"_s);
    QFile(fileWith("dati di qualcun altro")).copy(other);
    desktop->clear();
    click(dialog.cmdOK);
    EXPECT_EQ(desktop->prompts(), QStringList{SystemFileMissing});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(DataFixture::fileBytes(other), QByteArray("dati di qualcun altro"));
}

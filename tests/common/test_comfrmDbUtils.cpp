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

TEST_F(DbUtilsTest, EveryModeShowsItsTextsAndModesTwoToFiveDoNothingElse)
{
    const QString ok = u"2. Premere il tasto OK."_s;
    const struct
    {
        QString title;
        QStringList lines;
        QString row0, row1;
    } modes[] = {
        {u"Seleziona i database attivi."_s,
         {u"1. Selezionare (obbligatorio) il database primario. (...)"_s,
          u"2. Selezionare (facoltativo) il database secondario. (...)"_s, u"3. Premere il tasto OK."_s},
         u"Database primario"_s, u"Database secondario"_s},
        {u"Nuovo database."_s, {u"1. Impostare il nome ed il percorso del nuovo database. (...)"_s, ok},
         u"Nuovo Database"_s, QString()},
        {u"Nuovo database da modello."_s, {u"Impostare il nome ed il percorso delnuovo database."_s}, u"Modello"_s,
         u"Nuovo Database"_s},
        {u"Compatta il database."_s, {u"1. Impostare il nome ed il percorso del database da compattare. (...)"_s, ok},
         u"Database da compattare"_s, QString()},
        {u"Backup del database."_s, {u"1. Impostare il nome ed il percorso del database da salvare."_s, ok},
         u"Database da salvare"_s, QString()},
        {u"Ripristina il database."_s, {u"1. Impostare il nome ed il percorso del database da ripristinare."_s, ok},
         u"Database da ripristinare"_s, QString()},
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
        desktop->queueSaveFile(settings.DataFolder + u"/nuovo.mdb"_s);
        click(dialog.cmdopendb[0]);
        click(dialog.cmdopendb[1]);
        EXPECT_EQ(desktop->pendingAnswers(), 2);
        click(dialog.cmdCancel);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_TRUE(stored(u"dbPath"_s).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(settings.DataFolder + u"/nuovo.mdb"_s));
}

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
    const auto requests = desktop->callsOf<platform::OpenFileCall>();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].request.title, u"Selezione Database primario"_s);
    EXPECT_EQ(requests[1].request.title, u"Selezione Database secondario"_s);
    EXPECT_EQ(requests[0].request.initialDir, settings.DbPath);
    EXPECT_EQ(requests[0].request.filter, u"File di Access (*.mdb)|*.mdb"_s);
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

TEST_F(DbUtilsTest, NuovoCopiesTheTemplateToANewNameF1OpensItsHelpAndFailuresOverwriteNothing)
{
    const QString existing = DataFixture::createSampleDatabase(settings.DataFolder);
    const QByteArray before = DataFixture::fileBytes(existing);
    const QString target = settings.DataFolder + u"/magazzino 2025.mdb"_s;
    desktop->setHelpFileExists(true);
    ASSERT_TRUE(QFile(settings.CartellaProgramma + u"/brevel.chm"_s).open(QIODevice::WriteOnly));
    desktop->queueSaveFile(existing);
    desktop->queueSaveFile(target);
    testsupport::callModal<comfrmDbUtils>([this] { comfrmDbUtils::Nuovo(settings); }, [&](comfrmDbUtils *dialog) {
        QTest::keyClick(dialog, Qt::Key_F1);
        // A name already taken is refused.
        click(dialog->cmdopendb[0]);
        EXPECT_EQ(desktop->prompts(), QStringList{u"Database già presente.\r\nOperazione annullata."_s});
        EXPECT_EQ(dialog->lbltxtdb[0]->text(), u"<vuoto>"_s);
        EXPECT_FALSE(dialog->cmdOK->isEnabled());
        click(dialog->cmdopendb[0]);
        EXPECT_EQ(dialog->lbltxtdb[0]->text(), target);
        click(dialog->cmdOK);
    });

    const auto help = desktop->callsOf<platform::HelpCall>();
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].contextId, 203);
    EXPECT_EQ(help[0].helpFile, settings.CartellaProgramma + u"/brevel.chm"_s);
    const auto saves = desktop->callsOf<platform::SaveFileCall>();
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].request.title, u"Nuovo Database"_s);
    EXPECT_EQ(saves[0].request.initialDir, settings.DataFolder);
    EXPECT_EQ(saves[0].request.flags, 0x200004);
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

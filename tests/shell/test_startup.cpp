// The start procedure: data folder, choice of the database, the default
// database made from the template, and the orderly stop when nothing can
// be opened.
#include "ShellFixture.h"

#include "support/TestEnv.h"

#include "platform/registry/RegistryStore.h"
#include "shell/MainModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <fcntl.h>
#include <unistd.h>

using namespace shelltest;

namespace {

bool writableByThisProcess(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

// Makes a file read-only for this process. The permission bits do not stop
// a process with CAP_DAC_OVERRIDE (root), so the capability is also taken
// out of the effective set of this thread for the object's lifetime; it
// stays permitted and comes back at the end. holds() says whether the file
// really cannot be written.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(QString path) : m_path(std::move(path))
    {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (!writableByThisProcess(m_path) || syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[CAP_TO_INDEX(CAP_DAC_OVERRIDE)].effective &= ~CAP_TO_MASK(CAP_DAC_OVERRIDE);
        m_dropped = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~ReadOnlyFile()
    {
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool holds() const { return !writableByThisProcess(m_path); }

private:
    QString m_path;
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

QByteArray randomBytes(int size)
{
    QRandomGenerator generator(20240611);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = static_cast<char>(generator.bounded(256));
    return bytes;
}

} // namespace

class Startup : public ShellTest
{
protected:
    QString dataFolder() const { return documents + QStringLiteral("/BrevelDB"); }
    QString defaultDatabase() const { return dataFolder() + QStringLiteral("/gest01.mdb"); }
    // A default database left by an earlier start.
    void placeDefaultDatabase() const
    {
        QDir().mkpath(dataFolder());
        copyTemplate(dataFolder());
    }
};

// ---- first start, database choice --------------------------------------

TEST_F(Startup, FirstRunMakesTheDataFolderAndAWritableDefaultDatabase)
{
    // Installed, the template is read-only; the copy must not be.
    const QString program = testsupport::freshDir(QStringLiteral("programma"));
    ASSERT_TRUE(QFile::copy(templateFile(), program + QStringLiteral("/master.gen")));
    QFile::setPermissions(program + QStringLiteral("/master.gen"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    MainModule::ImpostaCartellaProgramma(program);

    ASSERT_TRUE(MainModule::Main());

    EXPECT_EQ(desk->prompts(), QStringList());
    // The copy is the template byte for byte: the upgrades found nothing to change.
    EXPECT_EQ(fileBytes(defaultDatabase()), fileBytes(templateFile()));
    EXPECT_TRUE(QFileInfo(defaultDatabase()).permissions().testFlag(QFile::WriteOwner));
    EXPECT_EQ(MainModule::DataFolder, dataFolder());
    EXPECT_EQ(MainModule::DbPath, dataFolder());
    EXPECT_EQ(MainModule::DbName, QStringLiteral("gest01.mdb"));
    EXPECT_EQ(MainModule::ConnString, QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + defaultDatabase()
                                          + QStringLiteral(";Persist Security Info=False"));
    EXPECT_EQ(MainModule::SettingsKey, SettingsPath);
    EXPECT_EQ(MainModule::PrintersKey, QStringLiteral("Software\\Korvane\\Velmora\\Printers"));
    EXPECT_GT(MainModule::ScrollBarWidth, 0.0f);

    EXPECT_EQ(settingsText(QStringLiteral("dbPath")), dataFolder());
    EXPECT_EQ(settingsText(QStringLiteral("dbName")), QStringLiteral("gest01.mdb"));
    EXPECT_FALSE(settingsText(QStringLiteral("dbPath2")) || settingsText(QStringLiteral("dbName2")));
    EXPECT_EQ(settingsText(QStringLiteral("prgrel")), QStringLiteral("%1.%2.%3")
                                                          .arg(comProgramInfo::VersionMajor())
                                                          .arg(comProgramInfo::VersionMinor())
                                                          .arg(comProgramInfo::VersionRevision()));
    EXPECT_EQ(MainModule::LeggiProgressivo(2024), 0);
}

TEST_F(Startup, SettingsThatPointNowhereFallBackOnTheSecondaryThenOnTheDefaultDatabase)
{
    const QString gone = testsupport::freshDir(QStringLiteral("spostato"));
    const QString secondFolder = testsupport::freshDir(QStringLiteral("secondo"));
    const QString second = copyTemplate(secondFolder, QStringLiteral("magazzino.mdb"));
    setSettingsText(QStringLiteral("dbPath"), gone);
    setSettingsText(QStringLiteral("dbName"), QStringLiteral("sparito.mdb"));
    setSettingsText(QStringLiteral("dbPath2"), secondFolder);
    setSettingsText(QStringLiteral("dbName2"), QStringLiteral("magazzino.mdb"));
    setSettingsText(QStringLiteral("prgrel"), QStringLiteral("1.2.7"));

    ASSERT_TRUE(MainModule::Main());
    EXPECT_EQ(desk->prompts(), QStringList());
    EXPECT_EQ(MainModule::DbPath, secondFolder);
    EXPECT_EQ(MainModule::DbName, QStringLiteral("magazzino.mdb"));
    EXPECT_EQ(MainModule::ConnString, MainModule::CostruisciConnString(secondFolder, QStringLiteral("magazzino.mdb")));
    // Only this run uses the secondary database: the settings still name the
    // primary one, and no default database was made.
    EXPECT_EQ(settingsText(QStringLiteral("dbPath")), gone);
    EXPECT_EQ(settingsText(QStringLiteral("dbName")), QStringLiteral("sparito.mdb"));
    EXPECT_FALSE(QFileInfo::exists(defaultDatabase()));
    EXPECT_FALSE(QFileInfo::exists(gone + QStringLiteral("/sparito.mdb")));

    // With the secondary gone too, an existing default database is the
    // user's and is used as it is, not replaced by a fresh copy.
    ASSERT_TRUE(QFile::remove(second));
    placeDefaultDatabase();
    runSql(defaultDatabase(), QStringLiteral("INSERT INTO _Pars (k01, l01) VALUES ('segno', 42)"));
    resetMainModule();
    ASSERT_TRUE(MainModule::Main());
    EXPECT_EQ(desk->prompts(), QStringList());
    EXPECT_EQ(MainModule::DbPath, dataFolder());
    EXPECT_EQ(settingsText(QStringLiteral("dbPath")), dataFolder());
    EXPECT_EQ(settingsText(QStringLiteral("dbName")), QStringLiteral("gest01.mdb"));
    EXPECT_EQ(queryValue(defaultDatabase(), QStringLiteral("SELECT l01 FROM _Pars WHERE k01='segno'")), QStringLiteral("42.0"));
    // The version of the first run is kept.
    EXPECT_EQ(settingsText(QStringLiteral("prgrel")), QStringLiteral("1.2.7"));
}

TEST_F(Startup, SettingsThatCannotBeSavedAreReportedOnceAndTheStartGoesOn)
{
    // A store whose folder is a file: every write is refused.
    const QString blocker = testsupport::freshDir(QStringLiteral("bloccato")) + QStringLiteral("/file");
    writeFile(blocker, "x");
    platform::RegistryStore::setDefaultFileName(blocker + QStringLiteral("/registry.ini"));

    ASSERT_TRUE(MainModule::Main());

    const auto boxes = desk->msgBoxes();
    ASSERT_EQ(boxes.size(), 1u) << desk->prompts().join(u'|').toStdString();
    EXPECT_TRUE(boxes[0].prompt.startsWith(QStringLiteral("Impossibile salvare le impostazioni.\r\n")));
    EXPECT_EQ(boxes[0].style, platform::vbExclamation | platform::vbOKOnly);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Velmora"));
    EXPECT_EQ(MainModule::DbPath, dataFolder());
    EXPECT_TRUE(QFileInfo::exists(defaultDatabase()));
}

// ---- an orderly stop -----------------------------------------------------

// A default database that exists but does not open is the user's data: it
// is never replaced by the template, whatever is wrong with it.
class DamagedDefaultDatabase : public Startup, public ::testing::WithParamInterface<int>
{
};

TEST_P(DamagedDefaultDatabase, StopsWithACriticalMessageAndLeavesTheFileAsItWas)
{
    const QByteArray contents[] = {
        randomBytes(8192),
        QByteArray(), // a copy that never got its first byte
        QByteArray("Standard Jet DB\0\0\0\0", 20) + randomBytes(4000),
    };
    const QByteArray bytes = contents[GetParam()];
    QDir().mkpath(dataFolder());
    writeFile(defaultDatabase(), bytes);

    EXPECT_FALSE(MainModule::Main());

    const platform::MsgBoxCall box = criticalBox(true);
    EXPECT_EQ(box.prompt, QStringLiteral("Database non trovato o danneggiato.\r\nL'applicazione non verrà avviata."));
    EXPECT_EQ(box.caption, QStringLiteral("Velmora"));
    EXPECT_EQ(fileBytes(defaultDatabase()), bytes);
    EXPECT_FALSE(QFileInfo::exists(defaultDatabase() + QStringLiteral("-journal")));
    EXPECT_FALSE(settingsText(QStringLiteral("dbPath")));
    EXPECT_TRUE(MainModule::ConnString.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Contents, DamagedDefaultDatabase, ::testing::Values(0, 1, 2));

TEST_F(Startup, MissingTemplateStopsWithItsOwnMessage)
{
    MainModule::ImpostaCartellaProgramma(testsupport::freshDir(QStringLiteral("vuota")));

    EXPECT_FALSE(MainModule::Main());

    EXPECT_EQ(criticalBox(true).prompt, QStringLiteral("File di sistema assente.\r\nL'applicazione non verrà avviata."));
    EXPECT_FALSE(QFileInfo::exists(defaultDatabase()));
    EXPECT_FALSE(settingsText(QStringLiteral("dbPath")));
    EXPECT_FALSE(settingsText(QStringLiteral("prgrel")));
}

TEST_F(Startup, DataFolderThatCannotBeMadeStopsWithTheReason)
{
    // Something that is not a folder already has the data folder's name.
    const QByteArray bytes("non una cartella");
    writeFile(dataFolder(), bytes);

    EXPECT_FALSE(MainModule::Main());

    const QString prompt = criticalBox(true).prompt;
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("Impossibile creare il database"))) << prompt.toStdString();
    EXPECT_EQ(fileBytes(dataFolder()), bytes);
}

TEST_F(Startup, NoDocumentsFolderWritesNothingOutsideIt)
{
    desk->setDocumentsFolder(QString());
    const bool rootFileBefore = QFileInfo::exists(QStringLiteral("/gest01.mdb"));

    EXPECT_FALSE(MainModule::Main());

    criticalBox(true);
    EXPECT_EQ(QFileInfo::exists(QStringLiteral("/gest01.mdb")), rootFileBefore);
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + QStringLiteral("/gest01.mdb")));
}

TEST_F(Startup, ReadOnlyDatabaseEndsTheStartAfterReportingTheUpgradeFailure)
{
    placeDefaultDatabase();
    const QByteArray before = fileBytes(defaultDatabase());
    {
        ReadOnlyFile readOnly(defaultDatabase());
        if (!readOnly.holds())
            GTEST_SKIP() << "this process can write any file";

        EXPECT_FALSE(MainModule::Main());
    }

    const QString prompt = criticalBox(true).prompt;
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("Aggiornamento del database non riuscito.\r\n"))) << prompt.toStdString();
    EXPECT_EQ(fileBytes(defaultDatabase()), before);
    EXPECT_FALSE(settingsText(QStringLiteral("prgrel")));
}

// ---- the routines of the start -------------------------------------------

TEST_F(Startup, ConnessioneFallitaNeverCreatesTheFile)
{
    const QString folder = testsupport::freshDir(QStringLiteral("vuota"));
    EXPECT_TRUE(MainModule::ConnessioneFallita(MainModule::CostruisciConnString(folder, QStringLiteral("nuovo.mdb"))));
    EXPECT_TRUE(MainModule::ConnessioneFallita(MainModule::CostruisciConnString(folder + QStringLiteral("/manca"),
                                                                                QStringLiteral("nuovo.mdb"))));
    EXPECT_TRUE(QDir(folder).isEmpty());
    // A folder in place of the file.
    EXPECT_TRUE(MainModule::ConnessioneFallita(MainModule::CostruisciConnString(documents, QString())));

    copyTemplate(folder, QStringLiteral("buono.mdb"));
    EXPECT_FALSE(MainModule::ConnessioneFallita(MainModule::CostruisciConnString(folder, QStringLiteral("buono.mdb"))));
}

TEST_F(Startup, CopiaModelloNeverReplacesAnExistingDatabase)
{
    MainModule::DataFolder = testsupport::freshDir(QStringLiteral("dati"));
    const QString path = MainModule::DataFolder + QStringLiteral("/gest01.mdb");
    writeFile(path, "dati dell'utente");
    QFile::setPermissions(path, QFile::ReadOwner);

    QString error;
    EXPECT_TRUE(MainModule::CopiaModello(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path), QByteArray("dati dell'utente"));
    // Not even its permissions change.
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOwner | QFile::WriteOwner), QFile::ReadOwner);

    MainModule::ImpostaCartellaProgramma(testsupport::freshDir(QStringLiteral("vuota")));
    EXPECT_FALSE(MainModule::CopiaModello());
}

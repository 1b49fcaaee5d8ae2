// The program's start: data folder, choice of the database, the default
// database made from the template, the orderly stop when nothing can be
// opened, the start of the main window on bad data, and the last-resort
// handler of errors that escape an event handler.
#include "ShellFixture.h"

#include "../common/ModalCall.h"
#include "support/TestEnv.h"

#include "common/comRegistry.h"
#include "common/comfrmAbout.h"
#include "common/comfrmDbUtils.h"
#include "common/comfrmSendError.h"
#include "platform/data/Connection.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridColumn.h"
#include "platform/registry/RegistryStore.h"
#include "shell/Applicazione.h"
#include "shell/MainModule.h"
#include "shell/frmMain.h"
#include "shell/frmOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <linux/capability.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <csignal>
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

// Another program holding a database with an exclusive lock, as while it
// writes: no other connection can even read the file.
class ExclusiveLock
{
public:
    explicit ExclusiveLock(const QString &path)
    {
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~ExclusiveLock()
    {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }
    ExclusiveLock(const ExclusiveLock &) = delete;
    ExclusiveLock &operator=(const ExclusiveLock &) = delete;

private:
    sqlite3 *m_db = nullptr;
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
    void SetUp() override
    {
        ShellTest::SetUp();
        desk->setPrinters({{QStringLiteral("Laser"), QStringLiteral("Laser")}});
        desk->setDefaultPrinter(QStringLiteral("Laser"));
        // The splash's minimum time passes at once.
        comfrmAbout::Default().Timer1.setClock([this] { return m_clock; });
        comfrmAbout::Default().Timer1.setWait([this](qint64 ms) { m_clock += ms; });
    }

    void TearDown() override
    {
        comfrmAbout::Default().Timer1.setClock({});
        comfrmAbout::Default().Timer1.setWait({});
        ShellTest::TearDown();
    }

    QString dataFolder() const { return documents + QStringLiteral("/BrevelDB"); }
    QString defaultDatabase() const { return dataFolder() + QStringLiteral("/gest01.mdb"); }
    // A default database left by an earlier start.
    void placeDefaultDatabase() const
    {
        QDir().mkpath(dataFolder());
        copyTemplate(dataFolder());
    }

    // The program's start up to its main window. An error report means an
    // error escaped the start: it fails the test and is closed.
    static std::unique_ptr<frmMain> avvia()
    {
        QTimer guard;
        guard.callOnTimeout([] {
            if (auto *report = qobject_cast<comfrmSendError *>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "error report: " << report->lblValue[1]->text().toStdString();
                report->reject();
            }
        });
        guard.start(0);
        return Applicazione::Avvia();
    }

    qint64 m_clock = 0;
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
    EXPECT_EQ(QDir(dataFolder()).entryList(QDir::Files), QStringList{QStringLiteral("gest01.mdb")});
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
    EXPECT_EQ(settingsText(QStringLiteral("prgrel")), comProgramInfo::VersionText());
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

// A store that refuses every write: the start and the main window, which
// both write settings, say so once, in Italian, and the program starts.
TEST_F(Startup, SettingsThatCannotBeSavedAreReportedOnceAndTheProgramStarts)
{
    const QString blocker = testsupport::freshDir(QStringLiteral("bloccato")) + QStringLiteral("/file");
    writeFile(blocker, "x");
    platform::RegistryStore::setDefaultFileName(blocker + QStringLiteral("/registry.ini"));

    const std::unique_ptr<frmMain> window = avvia();

    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    const auto boxes = desk->msgBoxes();
    ASSERT_EQ(boxes.size(), 1u) << desk->prompts().join(u'|').toStdString();
    EXPECT_EQ(boxes[0].prompt, QStringLiteral("Impossibile salvare le impostazioni nel file ") + blocker
                                   + QStringLiteral("/registry.ini.\r\nLe modifiche alle impostazioni non verranno conservate."));
    EXPECT_EQ(boxes[0].style, platform::vbExclamation | platform::vbOKOnly);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Velmora"));
    EXPECT_EQ(MainModule::DbPath, dataFolder());
}

// Stored settings that are not numbers, typed by hand or left by another
// program, count as missing.
TEST_F(Startup, SettingsThatAreNotNumbersStartWithTheirDefaults)
{
    const QString store = platform::RegistryStore::defaultFileName();
    const auto storeWith = [&store](const QByteArray &from, const QByteArray &to) {
        QFile file(store);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        file.close();
        ASSERT_TRUE(text.contains(from)) << text.toStdString();
        writeFile(store, QByteArray(text).replace(from, to));
    };
    const auto storeNumber = [](const QString &name, std::int32_t value) {
        MainModule::ScriviRegistro(comRegistry::HKEY_CURRENT_USER, SettingsPath, comRegistry::REG_DWORD, name,
                                   platform::Variant(value));
    };

    const std::function<void()> badValues[] = {
        [] { setSettingsText(QStringLiteral("regLoadViewLayout"), QStringLiteral("abc")); },
        [&] {
            storeNumber(QStringLiteral("regLoadViewLayout"), 0);
            storeWith("dword:00000000", "dword:zzzz");
        },
    };
    for (const auto &storeBadValue : badValues) {
        storeBadValue();
        resetMainModule();
        const std::unique_ptr<frmMain> window = avvia();
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->LoadViewLayout());
    }
    EXPECT_EQ(desk->prompts(), QStringList());
}

// A database the main window cannot read its settings from (a table is
// missing): the program starts with the defaults of what it could not read
// and tells the user.
TEST_F(Startup, DatabaseWithoutAnExpectedTableStartsWithDefaultsAndSaysSo)
{
    placeDefaultDatabase();
    runSql(defaultDatabase(), QStringLiteral("DROP TABLE CodiciIVA;"
                                             "INSERT INTO _Pars (k01, l01) VALUES ('NumDecV', 3);"
                                             "INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) "
                                             "VALUES ('um', 'PZ', 'Pezzi', 1)"));

    const std::unique_ptr<frmMain> window = avvia();

    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    const QStringList prompts = desk->prompts();
    ASSERT_EQ(prompts.size(), 1) << prompts.join(u'|').toStdString();
    EXPECT_TRUE(prompts[0].startsWith(QStringLiteral("Impossibile leggere le impostazioni dal database: verranno usati "
                                                     "i valori predefiniti.\r\n")))
        << prompts[0].toStdString();
    EXPECT_EQ(MainModule::DefaultCodiceIVA, QString());
    // What could be read was.
    EXPECT_EQ(MainModule::ValueFormat, QStringLiteral("#,#.000"));
    EXPECT_EQ(MainModule::DefaultUM, QStringLiteral("PZ"));
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

    EXPECT_EQ(criticalBox(true).prompt, QStringLiteral("Database non trovato o danneggiato.\r\nL'applicazione non verrà avviata."));
    EXPECT_EQ(fileBytes(defaultDatabase()), bytes);
    EXPECT_FALSE(QFileInfo::exists(defaultDatabase() + QStringLiteral("-journal")));
    EXPECT_FALSE(settingsText(QStringLiteral("dbPath")));
    EXPECT_TRUE(MainModule::ConnString.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Contents, DamagedDefaultDatabase, ::testing::Values(0, 1, 2));

// A database held by another program: the user is told to try again,
// nothing is called damaged, and the start neither falls back on the
// default database nor makes an empty one in its place.
TEST_F(Startup, DatabaseHeldByAnotherProgramIsReportedAsInUse)
{
    const QString folder = testsupport::freshDir(QStringLiteral("condiviso"));
    const QString shared = copyTemplate(folder, QStringLiteral("ditta.mdb"));
    platform::Connection::setDefaultBusyTimeout(100);
    const auto expectInUse = [this](const QString &held) {
        const QByteArray before = fileBytes(held);
        {
            ExclusiveLock other(held);
            EXPECT_FALSE(MainModule::Main());
        }
        EXPECT_EQ(criticalBox(true).prompt, QStringLiteral("Il database è in uso da un altro utente. Riprovare più "
                                                           "tardi.\r\nL'applicazione non verrà avviata."));
        EXPECT_EQ(fileBytes(held), before);
        desk->clear();
    };

    setSettingsText(QStringLiteral("dbPath"), folder);
    setSettingsText(QStringLiteral("dbName"), QStringLiteral("ditta.mdb"));
    expectInUse(shared);
    EXPECT_FALSE(QFileInfo::exists(defaultDatabase()));

    placeDefaultDatabase();
    expectInUse(shared);
    EXPECT_EQ(settingsText(QStringLiteral("dbPath")), folder);

    // The default database of an earlier start.
    setSettingsText(QStringLiteral("dbPath"), QString());
    expectInUse(defaultDatabase());
}

TEST_F(Startup, MissingTemplateStopsWithItsOwnMessage)
{
    MainModule::ImpostaCartellaProgramma(testsupport::freshDir(QStringLiteral("vuota")));

    EXPECT_FALSE(MainModule::Main());

    EXPECT_EQ(criticalBox(true).prompt, QStringLiteral("File di sistema assente.\r\nL'applicazione non verrà avviata."));
    EXPECT_FALSE(QFileInfo::exists(defaultDatabase()));
    EXPECT_FALSE(settingsText(QStringLiteral("dbPath")));
    EXPECT_FALSE(settingsText(QStringLiteral("prgrel")));
}

// The default database cannot be made: the start stops with the real cause
// and leaves no part of a copy behind.
TEST_F(Startup, DefaultDatabaseThatCannotBeMadeStopsWithTheReason)
{
    const auto expectStop = [this](const QString &reason) {
        EXPECT_EQ(criticalBox(true).prompt, QStringLiteral("Impossibile creare il database ") + defaultDatabase()
                                                + QStringLiteral(".\r\n") + reason
                                                + QStringLiteral("\r\nL'applicazione non verrà avviata."));
        EXPECT_FALSE(settingsText(QStringLiteral("dbPath")));
        desk->clear();
    };

    // The disk fills up during the copy: past 4 KB every write of this
    // process fails, answering an error instead of the signal that would
    // end it.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit full = saved;
    full.rlim_cur = 4096;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    EXPECT_FALSE(MainModule::Main());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    expectStop(QStringLiteral("Il file supera la dimensione massima consentita."));
    EXPECT_EQ(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());

    // Something that is not a folder has the data folder's name.
    ASSERT_TRUE(QDir(dataFolder()).removeRecursively());
    writeFile(dataFolder(), "non una cartella");
    resetMainModule();
    EXPECT_FALSE(MainModule::Main());
    expectStop(QStringLiteral("Il percorso non è una cartella."));
    EXPECT_EQ(fileBytes(dataFolder()), QByteArray("non una cartella"));
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

// ---- a database that cannot be written -----------------------------------

// An up-to-date database that cannot be written opens, shows its data and
// refuses the writes the user asks for; one that still needs an upgrade
// cannot be used, and the start ends.
TEST_F(Startup, ReadOnlyDatabaseOpensWhenCurrentAndEndsTheStartWhenItNeedsAnUpgrade)
{
    placeDefaultDatabase();
    runSql(defaultDatabase(), QStringLiteral("INSERT INTO Articoli (Codice, Descrizione) VALUES ('A1', 'Vite')"));
    QByteArray before = fileBytes(defaultDatabase());
    {
        ReadOnlyFile readOnly(defaultDatabase());
        if (!readOnly.holds())
            GTEST_SKIP() << "this process can write any file";

        const std::unique_ptr<frmMain> window = avvia();
        ASSERT_TRUE(window);
        EXPECT_EQ(desk->prompts(), QStringList());
        window->MostraNodo(2);
        ASSERT_EQ(window->gexView()->rowCount(), 1);
        EXPECT_EQ(window->gexView()->textAt(1, window->gexView()->column(QStringLiteral("Codice"))->index()),
                  QStringLiteral("A1"));

        testsupport::callModal<frmOptions>(&frmOptions::ApriMagazzino, [](frmOptions *dialog) {
            auto *counter = dialog->findChild<QLineEdit *>(QStringLiteral("txtProg0"));
            counter->selectAll();
            QTest::keyClicks(counter, QStringLiteral("5"));
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdSalva")), Qt::LeftButton);
        });
        const QStringList prompts = desk->prompts();
        ASSERT_EQ(prompts.size(), 1);
        EXPECT_TRUE(prompts[0].startsWith(QStringLiteral("Impossibile salvare le impostazioni.\r\n"))) << prompts[0].toStdString();
    }
    EXPECT_EQ(fileBytes(defaultDatabase()), before);

    runSql(defaultDatabase(), QStringLiteral("INSERT INTO MagazRegMain (Causale) VALUES ('Rettifica')"));
    before = fileBytes(defaultDatabase());
    desk->clear();
    resetMainModule();
    {
        ReadOnlyFile readOnly(defaultDatabase());
        EXPECT_FALSE(MainModule::Main());
    }
    const QString prompt = criticalBox(true).prompt;
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("Aggiornamento del database non riuscito.\r\n"))) << prompt.toStdString();
    EXPECT_EQ(fileBytes(defaultDatabase()), before);
}

// ---- a database in the root folder ---------------------------------------

// Chosen in the options dialog or in the database utilities dialog, a
// database in the file system's root folder keeps "/" as its folder and
// opens at the next start.
TEST_F(Startup, DatabaseInTheRootFolderOpensAtTheNextStart)
{
    if (!QFileInfo(QStringLiteral("/")).isWritable())
        GTEST_SKIP() << "the root folder cannot be written";
    const QString name = QStringLiteral("velmora-test-%1.mdb").arg(QCoreApplication::applicationPid());
    const QString path = QStringLiteral("/") + name;
    copyTemplate(QStringLiteral("/"), name);
    const auto removeFile = qScopeGuard([&path] { QFile::remove(path); });
    MainModule::SettingsKeyCopy = SettingsPath;

    const auto expectNextStartOpensIt = [&] {
        EXPECT_EQ(settingsText(QStringLiteral("dbPath")), QStringLiteral("/"));
        EXPECT_EQ(settingsText(QStringLiteral("dbName")), name);
        resetMainModule();
        ASSERT_TRUE(MainModule::Main());
        EXPECT_EQ(MainModule::DbPath, QStringLiteral("/"));
        EXPECT_EQ(MainModule::DbName, name);
        EXPECT_EQ(platform::Connection::dataSourceOf(MainModule::ConnString), path);
        setSettingsText(QStringLiteral("dbPath"), QString());
        desk->clear();
    };

    desk->queueOpenFile(path);
    testsupport::callModal<frmOptions>(&frmOptions::ApriDatabase, [&path](frmOptions *dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdopendb0")), Qt::LeftButton);
        EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("lbltxtdb0"))->text(), path);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdSalva")), Qt::LeftButton);
    });
    expectNextStartOpensIt();

    desk->queueOpenFile(path);
    const comfrmDbUtils::Impostazioni settings{SettingsPath, QString(), dataFolder(), QString()};
    testsupport::callModal<comfrmDbUtils>([&settings] { comfrmDbUtils::Seleziona(settings); }, [](comfrmDbUtils *dialog) {
        QTest::mouseClick(dialog->cmdopendb[0], Qt::LeftButton);
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    });
    expectNextStartOpensIt();
}

// ---- the last-resort handler ---------------------------------------------

// An error escapes an event handler of the program's application object
// (one of the program's run-time errors, a standard exception, anything
// else): each is shown in the error report and the program goes on with
// its next event.
TEST_F(Startup, AnErrorThatEscapesAnEventHandlerIsReportedAndTheProgramGoesOn)
{
    QProcess runner;
    runner.start(testsupport::programDir() + QStringLiteral("/notify_runner"), QStringList());
    ASSERT_TRUE(runner.waitForFinished(120000)) << runner.errorString().toStdString();
    EXPECT_EQ(runner.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(runner.exitCode(), 0) << runner.readAllStandardError().toStdString();
    const QString heading = QStringLiteral("Velmora|") + Applicazione::TitoloErrore + u'|';
    EXPECT_EQ(QString::fromUtf8(runner.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
              (QStringList{heading + QStringLiteral("13|Tipo non corrispondente.|Velmora.Prova|QWidget|User|Type mismatch"),
                           heading + QStringLiteral("51|Errore interno.|Velmora|QWidget|User|vettore troppo corto"),
                           heading + QStringLiteral("51|Errore interno.|Velmora|QWidget|User|"),
                           QStringLiteral("continua")}));
}

// ---- the routines of the start -------------------------------------------

TEST_F(Startup, CopiaModelloNeverReplacesAnExistingDatabase)
{
    MainModule::DataFolder = testsupport::freshDir(QStringLiteral("dati"));
    const QString path = MainModule::DataFolder + QStringLiteral("/gest01.mdb");
    writeFile(path, "dati dell'utente");
    QFile::setPermissions(path, QFile::ReadOwner);

    QString error;
    EXPECT_TRUE(MainModule::CopiaModello(&error));
    EXPECT_EQ(error, QStringLiteral("Il file esiste già."));
    EXPECT_EQ(fileBytes(path), QByteArray("dati dell'utente"));
    // Not even its permissions change, and no part of the copy stays.
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOwner | QFile::WriteOwner), QFile::ReadOwner);
    EXPECT_EQ(QDir(MainModule::DataFolder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("gest01.mdb")});

    MainModule::ImpostaCartellaProgramma(testsupport::freshDir(QStringLiteral("vuota")));
    EXPECT_FALSE(MainModule::CopiaModello());
}

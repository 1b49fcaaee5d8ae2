// The program's start: data folder, choice of the database, the default
// database made from the template, the orderly stop when nothing can be
// opened, the settings read at start, the start of the main window on bad
// data, and the last-resort handler of errors that escape an event handler.
#include "ShellFixture.h"

#include "common/comfrmSendError.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridColumn.h"
#include "platform/registry/RegistryStore.h"
#include "shell/Applicazione.h"
#include "shell/frmMain.h"
#include "shell/frmOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include <sys/resource.h>
#include <csignal>
#include <unistd.h>

using namespace shelltest;
using namespace Qt::StringLiterals;

// The program's start on a machine with one printer, from nothing or from
// what an earlier start left in the data folder.
class Startup : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        desk->setPrinters({{u"Laser"_s, u"Laser"_s}});
        desk->setDefaultPrinter(u"Laser"_s);
    }

    QString dataFolder() const { return documents + u"/BrevelDB"_s; }
    QString defaultDatabase() const { return dataFolder() + u"/gest01.mdb"_s; }
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
};

// A start takes the primary database of the settings, else the secondary
// one for that run only, else the default one in the data folder, made from
// the template the first time and never replaced afterwards.
TEST_F(Startup, TheDatabaseIsThePrimaryElseTheSecondaryElseTheDefaultOneMadeOnce)
{
    const QString gone = testsupport::freshDir(u"spostato"_s);
    const QString secondFolder = testsupport::freshDir(u"secondo"_s);
    const QString second = copyTemplate(secondFolder, u"magazzino.mdb"_s);
    const auto pointNowhere = [&gone] {
        setSettingsText(u"dbPath"_s, gone);
        setSettingsText(u"dbName"_s, u"sparito.mdb"_s);
    };
    pointNowhere();
    setSettingsText(u"dbPath2"_s, secondFolder);
    setSettingsText(u"dbName2"_s, u"magazzino.mdb"_s);
    setSettingsText(u"prgrel"_s, u"1.2.7"_s);
    ASSERT_TRUE(MainModule::Main());
    EXPECT_EQ(MainModule::ConnString, MainModule::CostruisciConnString(secondFolder, u"magazzino.mdb"_s));
    EXPECT_EQ(settingsText(u"dbPath"_s), gone);
    EXPECT_FALSE(QFileInfo::exists(defaultDatabase()));
    EXPECT_FALSE(QFileInfo::exists(gone + u"/sparito.mdb"_s));

    // Nothing else opens: the default database is made. Installed, the
    // template is read-only; the copy must not be.
    ASSERT_TRUE(QFile::remove(second));
    const QString program = testsupport::freshDir(u"programma"_s);
    ASSERT_TRUE(QFile::copy(templateFile(), program + u"/master.gen"_s));
    QFile::setPermissions(program + u"/master.gen"_s, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    resetMainModule();
    MainModule::ImpostaCartellaProgramma(program);
    ASSERT_TRUE(MainModule::Main());
    // The copy is the template byte for byte: the upgrades found nothing to change.
    EXPECT_EQ(fileBytes(defaultDatabase()), fileBytes(templateFile()));
    EXPECT_TRUE(QFileInfo(defaultDatabase()).permissions().testFlag(QFile::WriteOwner));
    EXPECT_EQ(QDir(dataFolder()).entryList(QDir::Files), QStringList{u"gest01.mdb"_s});
    EXPECT_EQ(platform::Connection::dataSourceOf(MainModule::ConnString), defaultDatabase());
    EXPECT_EQ(settingsText(u"dbPath"_s), dataFolder());
    EXPECT_EQ(settingsText(u"dbName"_s), u"gest01.mdb"_s);
    // The version of the first run is kept.
    EXPECT_EQ(settingsText(u"prgrel"_s), u"1.2.7"_s);

    // An existing default database is the user's: used as it is.
    runSql(defaultDatabase(), u"INSERT INTO _Pars (k01, l01) VALUES ('segno', 42)"_s);
    pointNowhere();
    resetMainModule();
    ASSERT_TRUE(MainModule::Main());
    EXPECT_EQ(settingsText(u"dbPath"_s), dataFolder());
    EXPECT_EQ(queryValue(defaultDatabase(), u"SELECT l01 FROM _Pars WHERE k01='segno'"_s), u"42.0"_s);
    EXPECT_EQ(desk->prompts(), QStringList());
}

// A store that refuses every write: the start and the main window, which
// both write settings, say so once, in Italian, and the program starts.
TEST_F(Startup, SettingsThatCannotBeSavedAreReportedOnceAndTheProgramStarts)
{
    const QString blocker = testsupport::freshDir(u"bloccato"_s) + u"/file"_s;
    writeFile(blocker, "x");
    platform::RegistryStore::setDefaultFileName(blocker + u"/registry.ini"_s);

    const std::unique_ptr<frmMain> window = avvia();

    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    const auto boxes = desk->msgBoxes();
    ASSERT_EQ(boxes.size(), 1u) << desk->prompts().join(u'|').toStdString();
    EXPECT_EQ(boxes[0].prompt, u"Impossibile salvare le impostazioni nel file "_s + blocker
                                   + u"/registry.ini.\r\nLe modifiche alle impostazioni non verranno conservate."_s);
    EXPECT_EQ(boxes[0].style, platform::vbExclamation | platform::vbOKOnly);
    EXPECT_EQ(boxes[0].title, u"Velmora"_s);
    EXPECT_EQ(MainModule::DbPath, dataFolder());
}

// Bad data does not stop the start. Stored settings that are not numbers,
// typed by hand or left by another program, count as missing. A database
// the main window cannot read its settings from (a table is missing) gives
// the defaults of what could not be read, and the user is told.
TEST_F(Startup, BadSettingsAndADatabaseWithoutAnExpectedTableStartWithDefaults)
{
    placeDefaultDatabase();
    runSql(defaultDatabase(), u"DROP TABLE CodiciIVA; INSERT INTO _Pars (k01, l01) VALUES ('NumDecV', 3);"
                              "INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) "
                              "VALUES ('um', 'PZ', 'Pezzi', 1)"_s);
    const auto storeZzzz = [] {
        setSettingsNumber(u"regLoadViewLayout"_s, 0);
        const QString store = platform::RegistryStore::defaultFileName();
        const QByteArray text = fileBytes(store);
        ASSERT_TRUE(text.contains("dword:00000000")) << text.toStdString();
        writeFile(store, QByteArray(text).replace("dword:00000000", "dword:zzzz"));
    };
    const std::function<void()> badValues[] = {
        [] { setSettingsText(u"regLoadViewLayout"_s, u"abc"_s); },
        storeZzzz,
    };
    for (const auto &storeBadValue : badValues) {
        storeBadValue();
        resetMainModule();
        desk->clear();
        const std::unique_ptr<frmMain> window = avvia();
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->LoadViewLayout());
        const QStringList prompts = desk->prompts();
        ASSERT_EQ(prompts.size(), 1) << prompts.join(u'|').toStdString();
        EXPECT_TRUE(prompts[0].startsWith(u"Impossibile leggere le impostazioni dal database: verranno usati "
                                          "i valori predefiniti.\r\n"_s))
            << prompts[0].toStdString();
        EXPECT_EQ(MainModule::DefaultCodiceIVA, QString());
        // What could be read was.
        EXPECT_EQ(MainModule::ValueFormat, u"#,#.000"_s);
        EXPECT_EQ(MainModule::DefaultUM, u"PZ"_s);
    }
}

// A default database that exists but does not open is the user's data: it
// is never replaced by the template, whatever is wrong with it. A database
// held by another program is not called damaged: the user is told to try
// again, and the start neither falls back on the default database nor
// makes an empty one in its place.
TEST_F(Startup, ADatabaseThatDoesNotOpenStopsTheStartAndStaysAsItWas)
{
    QDir().mkpath(dataFolder());
    const QByteArray contents[] = {
        QByteArray(8192, '\x5a'),
        QByteArray(), // a copy that never got its first byte
        QByteArray("Standard Jet DB\0\0\0\0", 20) + QByteArray(4000, '\x07'),
    };
    for (const QByteArray &bytes : contents) {
        SCOPED_TRACE(bytes.size());
        writeFile(defaultDatabase(), bytes);
        EXPECT_FALSE(MainModule::Main());
        EXPECT_EQ(criticalBox(true).prompt, u"Impossibile aprire il database "_s + defaultDatabase()
                                                + u".\r\nIl file non è un database di Velmora.\r\n"_s + NotStarted);
        EXPECT_EQ(fileBytes(defaultDatabase()), bytes);
        EXPECT_FALSE(QFileInfo::exists(defaultDatabase() + u"-journal"_s));
        EXPECT_FALSE(settingsText(u"dbPath"_s));
        EXPECT_TRUE(MainModule::ConnString.isEmpty());
        desk->clear();
    }

    // A database held by another program, named by the settings or the default one.
    ASSERT_TRUE(QFile::remove(defaultDatabase()));
    const QString folder = testsupport::freshDir(u"condiviso"_s);
    const QString shared = copyTemplate(folder, u"ditta.mdb"_s);
    platform::Connection::setDefaultBusyTimeout(100);
    const auto expectInUse = [this](const QString &held) {
        const QByteArray before = fileBytes(held);
        {
            const AltroProgramma other(held);
            EXPECT_FALSE(MainModule::Main());
        }
        EXPECT_EQ(criticalBox(true).prompt, u"Impossibile aprire il database "_s + held
                                                + u".\r\nIl database è in uso da un altro utente. Riprovare più tardi.\r\n"_s
                                                + NotStarted);
        EXPECT_EQ(fileBytes(held), before);
        desk->clear();
    };

    setSettingsText(u"dbPath"_s, folder);
    setSettingsText(u"dbName"_s, u"ditta.mdb"_s);
    expectInUse(shared);
    EXPECT_FALSE(QFileInfo::exists(defaultDatabase()));

    placeDefaultDatabase();
    expectInUse(shared);
    EXPECT_EQ(settingsText(u"dbPath"_s), folder);

    setSettingsText(u"dbPath"_s, QString());
    expectInUse(defaultDatabase());
}

// A database of the settings that exists but does not open is named and the
// start ends: neither the secondary one nor a new default one takes its
// place, and the settings keep pointing at it. Only a missing file or
// folder passes the choice on.
TEST_F(Startup, AChosenDatabaseThatExistsButDoesNotOpenIsNamedAndStaysTheChoice)
{
    const QString folder = testsupport::freshDir(u"ditta"_s);
    const QString primary = folder + u"/ditta.mdb"_s;
    const QString secondary = copyTemplate(testsupport::freshDir(u"secondo"_s), u"magazzino.mdb"_s);
    setSettingsText(u"dbPath"_s, folder);
    setSettingsText(u"dbName"_s, u"ditta.mdb"_s);
    setSettingsText(u"dbPath2"_s, QFileInfo(secondary).absolutePath());
    setSettingsText(u"dbName2"_s, u"magazzino.mdb"_s);
    const auto expectStop = [this](const QString &named, const QString &why) {
        EXPECT_FALSE(MainModule::Main());
        EXPECT_EQ(criticalBox(true).prompt,
                  u"Impossibile aprire il database "_s + named + u".\r\n"_s + why + u"\r\n"_s + NotStarted);
        EXPECT_TRUE(MainModule::ConnString.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(defaultDatabase()));
        desk->clear();
        resetMainModule();
    };

    // Damaged pages: a good database with its schema overwritten.
    copyTemplate(folder, u"ditta.mdb"_s);
    QByteArray damaged = fileBytes(primary);
    damaged.replace(100, 3000, QByteArray(3000, '\x7f'));
    const QByteArray contents[] = {damaged, QByteArray("testo qualunque, non un database")};
    for (const QByteArray &bytes : contents) {
        writeFile(primary, bytes);
        expectStop(primary, bytes == damaged ? u"Il file del database è danneggiato."_s
                                             : u"Il file non è un database di Velmora."_s);
        EXPECT_EQ(fileBytes(primary), bytes);
        EXPECT_EQ(settingsText(u"dbPath"_s), folder);
        EXPECT_EQ(settingsText(u"dbName"_s), u"ditta.mdb"_s);
    }

    // Without the primary file the secondary one is next: the same holds for it.
    ASSERT_TRUE(QFile::remove(primary));
    writeFile(secondary, "x");
    expectStop(secondary, u"Il file non è un database di Velmora."_s);
    EXPECT_EQ(settingsText(u"dbPath"_s), folder);

    // Neither file there: the default database is made and chosen.
    ASSERT_TRUE(QFile::remove(secondary));
    ASSERT_TRUE(MainModule::Main());
    EXPECT_EQ(settingsText(u"dbPath"_s), dataFolder());
    EXPECT_EQ(desk->prompts(), QStringList());
}

// The default database cannot be made: the start stops with the real cause,
// writes no setting and leaves no part of a copy behind.
TEST_F(Startup, ADefaultDatabaseThatCannotBeMadeStopsTheStartWithItsCause)
{
    const auto expectStop = [this](const QString &cause) {
        EXPECT_EQ(criticalBox(true).prompt, cause + u"\r\n"_s + NotStarted);
        EXPECT_FALSE(settingsText(u"dbPath"_s));
        EXPECT_FALSE(settingsText(u"prgrel"_s));
        desk->clear();
        resetMainModule();
    };
    const QString notMade = u"Impossibile creare il database "_s + defaultDatabase() + u".\r\n"_s;

    MainModule::ImpostaCartellaProgramma(testsupport::freshDir(u"vuota"_s));
    EXPECT_FALSE(MainModule::Main());
    expectStop(u"File di sistema assente."_s);
    EXPECT_FALSE(QFileInfo::exists(defaultDatabase()));

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
    expectStop(notMade + u"Il file supera la dimensione massima consentita."_s);
    EXPECT_EQ(QDir(dataFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());

    // Something that is not a folder has the data folder's name.
    ASSERT_TRUE(QDir(dataFolder()).removeRecursively());
    writeFile(dataFolder(), "non una cartella");
    EXPECT_FALSE(MainModule::Main());
    expectStop(notMade + u"Il percorso non è una cartella."_s);
    EXPECT_EQ(fileBytes(dataFolder()), QByteArray("non una cartella"));

    // Without a documents folder nothing is written outside it.
    desk->setDocumentsFolder(QString());
    const bool rootFileBefore = QFileInfo::exists(u"/gest01.mdb"_s);
    EXPECT_FALSE(MainModule::Main());
    expectStop(u"Impossibile creare il database gest01.mdb.\r\nCartella dei documenti non disponibile."_s);
    EXPECT_EQ(QFileInfo::exists(u"/gest01.mdb"_s), rootFileBefore);
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + u"/gest01.mdb"_s));

    // A database that appears meanwhile is never replaced, not even its
    // permissions change, and no part of the copy stays.
    MainModule::DataFolder = testsupport::freshDir(u"dati"_s);
    const QString path = MainModule::DataFolder + u"/gest01.mdb"_s;
    writeFile(path, "dati dell'utente");
    QFile::setPermissions(path, QFile::ReadOwner);
    QString error;
    EXPECT_TRUE(MainModule::CopiaModello(&error));
    EXPECT_EQ(error, u"Il file esiste già."_s);
    EXPECT_EQ(fileBytes(path), QByteArray("dati dell'utente"));
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOwner | QFile::WriteOwner), QFile::ReadOwner);
    EXPECT_EQ(QDir(MainModule::DataFolder).entryList(QDir::Files | QDir::Hidden), QStringList{u"gest01.mdb"_s});
}

// An up-to-date database that cannot be written opens, says so once, shows
// its data and refuses the writes the user asks for; one that still needs an upgrade
// cannot be used, and the start ends.
TEST_F(Startup, ReadOnlyDatabaseOpensWhenCurrentAndEndsTheStartWhenItNeedsAnUpgrade)
{
    placeDefaultDatabase();
    runSql(defaultDatabase(), u"INSERT INTO Articoli (Codice, Descrizione) VALUES ('A1', 'Vite')"_s);
    QByteArray before = fileBytes(defaultDatabase());
    {
        ReadOnlyFile readOnly(defaultDatabase());
        if (!readOnly.holds())
            GTEST_SKIP() << "this process can write any file";

        // Told once, when the window is up, before any record is typed.
        const std::unique_ptr<frmMain> window = avvia();
        ASSERT_TRUE(window);
        const auto boxes = desk->msgBoxes();
        ASSERT_EQ(boxes.size(), 1u) << desk->prompts().join(u'|').toStdString();
        EXPECT_EQ(boxes[0].prompt, u"Il database "_s + defaultDatabase()
                                       + u" è di sola lettura: si possono consultare i dati, ma nessuna modifica"
                                         " potrà essere salvata."_s);
        EXPECT_EQ(boxes[0].style, platform::vbExclamation | platform::vbOKOnly);
        EXPECT_EQ(boxes[0].title, u"Velmora"_s);
        EXPECT_TRUE(window->isVisible());
        desk->clear();
        window->MostraNodo(0);
        window->MostraNodo(2);
        EXPECT_EQ(desk->prompts(), QStringList());
        ASSERT_EQ(window->gexView()->rowCount(), 1);
        EXPECT_EQ(window->gexView()->textAt(1, window->gexView()->column(u"Codice"_s)->index()),
                  u"A1"_s);

        testsupport::callModal<frmOptions>(&frmOptions::ApriMagazzino, [](frmOptions *dialog) {
            auto *counter = child<QLineEdit>(dialog, u"txtProg0"_s);
            counter->selectAll();
            QTest::keyClicks(counter, u"5"_s);
            click(dialog, u"cmdSalva"_s);
        });
        const QStringList prompts = desk->prompts();
        ASSERT_EQ(prompts.size(), 1);
        EXPECT_TRUE(prompts[0].startsWith(u"Impossibile salvare le impostazioni.\r\n"_s)) << prompts[0].toStdString();
    }
    EXPECT_EQ(fileBytes(defaultDatabase()), before);

    runSql(defaultDatabase(), u"INSERT INTO MagazRegMain (Causale) VALUES ('Rettifica')"_s);
    before = fileBytes(defaultDatabase());
    desk->clear();
    resetMainModule();
    {
        ReadOnlyFile readOnly(defaultDatabase());
        EXPECT_FALSE(MainModule::Main());
    }
    const QString prompt = criticalBox(true).prompt;
    EXPECT_TRUE(prompt.startsWith(u"Aggiornamento del database non riuscito.\r\n"_s)) << prompt.toStdString();
    EXPECT_EQ(fileBytes(defaultDatabase()), before);
}

// A database chosen in the file system's root folder keeps "/" as its
// folder and opens at the next start.
TEST_F(Startup, DatabaseInTheRootFolderOpensAtTheNextStart)
{
    if (!QFileInfo(u"/"_s).isWritable())
        GTEST_SKIP() << "the root folder cannot be written";
    const QString name = u"velmora-test-%1.mdb"_s.arg(QCoreApplication::applicationPid());
    const QString path = u"/"_s + name;
    copyTemplate(u"/"_s, name);
    const auto removeFile = qScopeGuard([&path] { QFile::remove(path); });
    MainModule::SettingsKeyCopy = SettingsPath;

    desk->queueOpenFile(path);
    testsupport::callModal<frmOptions>(&frmOptions::ApriDatabase, [&path](frmOptions *dialog) {
        click(dialog, u"cmdopendb0"_s);
        EXPECT_EQ(child<QLabel>(dialog, u"lbltxtdb0"_s)->text(), path);
        click(dialog, u"cmdSalva"_s);
    });
    EXPECT_EQ(settingsText(u"dbPath"_s), u"/"_s);
    EXPECT_EQ(settingsText(u"dbName"_s), name);
    resetMainModule();
    ASSERT_TRUE(MainModule::Main());
    EXPECT_EQ(MainModule::DbPath, u"/"_s);
    EXPECT_EQ(platform::Connection::dataSourceOf(MainModule::ConnString), path);
}

// An error escapes an event handler of the program's application object
// (one of the program's run-time errors, a standard exception, anything
// else): each is shown in the error report and the program goes on with
// its next event.
TEST_F(Startup, AnErrorThatEscapesAnEventHandlerIsReportedAndTheProgramGoesOn)
{
    QProcess runner;
    runner.start(testsupport::programDir() + u"/shell_helper"_s, {u"notify"_s});
    ASSERT_TRUE(runner.waitForFinished(120000)) << runner.errorString().toStdString();
    EXPECT_EQ(runner.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(runner.exitCode(), 0) << runner.readAllStandardError().toStdString();
    const QString heading = u"Velmora|"_s + Applicazione::TitoloErrore + u'|';
    EXPECT_EQ(QString::fromUtf8(runner.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
              (QStringList{heading + u"13|Tipo non corrispondente.|Velmora.Prova|QWidget|User|Type mismatch"_s,
                           heading + u"51|Errore interno.|Velmora|QWidget|User|vettore troppo corto"_s,
                           heading + u"51|Errore interno.|Velmora|QWidget|User|"_s,
                           u"continua"_s}));
}

using Settings = TemplateDatabaseTest;

// The decimals shape the formats, within what the database keeps (four);
// rows left empty in the table editor count as missing.
TEST_F(Settings, DecimalRowsShapeTheFormatsAndDefaultCodesComeFromTheRowsMarkedPredefinito)
{
    // The l01 of the NumDecQ and NumDecV rows (empty: no rows), the formats they give.
    const std::array<QString, 4> cases[] = {
        {QString(), QString(), u"#,#"_s, u"#,#.00"_s}, {u"3"_s, u"0"_s, u"#,#.000"_s, u"#,#"_s},
        {u"NULL"_s, u"''"_s, u"#,#"_s, u"#,#.00"_s}, {u"9"_s, u"-1"_s, u"#,#.0000"_s, u"#,#"_s},
    };
    for (const auto &[q, v, qtyFormat, valueFormat] : cases) {
        runSql(database, u"DELETE FROM _Pars WHERE k01 IN ('NumDecQ', 'NumDecV')"_s);
        if (!q.isEmpty())
            runSql(database, u"INSERT INTO _Pars (k01, l01) VALUES ('NumDecQ', %1), ('NumDecV', %2)"_s.arg(q, v));
        MainModule::CaricaImpostazioni();
        EXPECT_EQ(MainModule::QtyFormat, qtyFormat) << q.toStdString();
        EXPECT_EQ(MainModule::ValueFormat, valueFormat) << v.toStdString();
    }

    // Default codes come from the rows marked Predefinito, else stay as they were.
    const auto defaults = [] {
        MainModule::CaricaImpostazioni();
        return QStringList{MainModule::DefaultCodiceIVA, MainModule::DefaultUM, MainModule::DefaultCategoria};
    };
    runSql(database, u"INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota, Predefinito) VALUES ('10', 'Ridotta', 10, 0);"
                     "INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES ('um', 'PZ', 'Pezzi', 0)"_s);
    MainModule::DefaultCodiceIVA = u"4"_s;
    MainModule::DefaultUM = u"NR"_s;
    MainModule::DefaultCategoria = u"Varie"_s;
    EXPECT_EQ(defaults(), (QStringList{u"4"_s, u"NR"_s, u"Varie"_s}));

    // A category marked as default must not pass for a unit, nor a unit for a category.
    runSql(database, u"INSERT INTO CodiciIVA (CodiceIVA, Descrizione, Aliquota, Predefinito) VALUES ('22', 'Ordinaria', 22, 1);"
                     "INSERT INTO Liste (Chiave, Codice, Descrizione, Predefinito) VALUES "
                     "('cat', 'XX', 'Ferramenta', 1), ('um', 'KG', 'Chilogrammi', 1)"_s);
    EXPECT_EQ(defaults(), (QStringList{u"22"_s, u"KG"_s, u"Ferramenta"_s}));
}

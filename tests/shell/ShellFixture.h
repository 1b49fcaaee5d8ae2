#pragma once

#include "../common/ModalCall.h"
#include "DataFixture.h"
#include "platform/data/Connection.h"
#include "platform/desktop/ScriptedDesktop.h"
#include "shell/MainModule.h"
#include "support/TestEnv.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <linux/capability.h>
#include <optional>

struct sqlite3;

namespace shelltest {

// The registry key of the program's settings, as the user's store holds it.
inline const QString SettingsPath = QStringLiteral("Software\\Korvane\\Velmora\\Settings");
inline const QString NotStarted = QStringLiteral("L'applicazione non verrà avviata.");

// Reading and writing database files directly, without the data layer.
inline constexpr auto &runSql = testsupport::DataFixture::runSql;
inline constexpr auto &queryColumn = testsupport::DataFixture::queryColumn;
inline constexpr auto &queryValue = testsupport::DataFixture::queryValue;
inline constexpr auto &fileBytes = testsupport::DataFixture::fileBytes;

// The template database that the build places beside the test executable.
QString templateFile();
// A writable copy of the template at folder/fileName; answers its path.
QString copyTemplate(const QString &folder, const QString &fileName = QStringLiteral("gest01.mdb"));
// Points MainModule's ConnString, DbPath and DbName at a database file.
void useDatabase(const QString &path);
// The whole content of a database as text: its schema and every row of
// every table, each value quoted so that its storage class shows.
QStringList dumpDatabase(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

// A REG_SZ value of the settings key read straight from the store; nullopt
// when it is missing or has another type.
std::optional<QString> settingsText(const QString &valueName);
// Writes a REG_SZ value, or a REG_DWORD one, of the settings key.
void setSettingsText(const QString &valueName, const QString &value);
void setSettingsNumber(const QString &valueName, std::int32_t value);

// A named child of a window; a missing one fails the test.
template <typename T>
T *child(const QWidget *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}
// Clicks a window's named push button.
void click(const QWidget *window, const QString &button);

// Another program holding a database for the object's lifetime: with an
// exclusive transaction no other connection can even read the file; with a
// write under way (not exclusive) others read but cannot write.
class AltroProgramma
{
public:
    explicit AltroProgramma(const QString &path, bool exclusive = true);
    ~AltroProgramma();
    AltroProgramma(const AltroProgramma &) = delete;
    AltroProgramma &operator=(const AltroProgramma &) = delete;

private:
    sqlite3 *m_db = nullptr;
};

// Makes a file read-only for this process for the object's lifetime. The
// permission bits do not stop root (CAP_DAC_OVERRIDE), so that capability
// also leaves the effective set of this thread until the end. holds() says
// whether the file really cannot be written.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(QString path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    bool holds() const;

private:
    QString m_path;
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

// Every test of the shell starts from a program that has not started yet:
// MainModule's shared state back to its initial values, the program folder
// where the build put master.gen, a registry store of its own, a scripted
// desktop whose documents folder is a fresh empty folder, and a splash
// whose minimum time passes at once.
class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The shared state that the start procedure and the settings set, as it
    // is before they run.
    static void resetMainModule();
    // The one message box shown so far, critical with OK and the program's
    // title, its prompt ending with the "not started" line when `fatal`.
    platform::MsgBoxCall criticalBox(bool fatal) const;

    platform::ScopedScriptedDesktop desk;
    QString documents;     // the user's documents folder of this test
    int defaultBusyTimeout = 0;
    qint64 splashClock = 0;
};

// The same with a copy of the template as the open database.
class TemplateDatabaseTest : public ShellTest
{
protected:
    void SetUp() override;

    QString database;
};

} // namespace shelltest

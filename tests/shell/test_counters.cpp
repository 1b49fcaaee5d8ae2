// The per-year movement counter in '_Pars', alone and with several copies
// of the program taking numbers from it at once.
#include "ShellFixture.h"

#include "support/TestEnv.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "shell/MainModule.h"

#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <algorithm>
#include <memory>
#include <vector>

using namespace shelltest;

class Counters : public TemplateDatabaseTest
{
protected:
    // The 'maga' rows of a year, read directly: "l02" of each.
    QStringList counterRows(int year) const
    {
        return queryColumn(database, QStringLiteral("SELECT quote(l02) FROM _Pars WHERE k01='maga' AND l01=%1").arg(year));
    }
};

TEST_F(Counters, EachYearHandsOutItsNumbersInTurnFromItsOwnRow)
{
    // Reading a new year creates its row at zero; reading again adds nothing.
    EXPECT_EQ(MainModule::LeggiProgressivo(2031), 0);
    EXPECT_EQ(MainModule::LeggiProgressivo(2031), 0);
    EXPECT_EQ(counterRows(2031), QStringList{QStringLiteral("0.0")});

    EXPECT_EQ(MainModule::ProssimoProgressivo(2025), 0);
    EXPECT_EQ(counterRows(2025), QStringList{QStringLiteral("1.0")});
    EXPECT_EQ(MainModule::ProssimoProgressivo(2025), 1);
    EXPECT_EQ(MainModule::ProssimoProgressivo(2025), 2);
    EXPECT_EQ(MainModule::LeggiProgressivo(2025), 3);

    // A saved zero makes the next movement number one; saving a year never
    // used creates its row.
    MainModule::SalvaProgressivo(0, 2025);
    EXPECT_EQ(counterRows(2025), QStringList{QStringLiteral("0.0")});
    EXPECT_EQ(MainModule::ProssimoProgressivo(2025) + 1, 1);
    MainModule::SalvaProgressivo(57, 2030);
    EXPECT_EQ(counterRows(2030), QStringList{QStringLiteral("57.0")});
    EXPECT_EQ(MainModule::ProssimoProgressivo(2030), 57);

    EXPECT_EQ(MainModule::LeggiProgressivo(2025), 1);
    EXPECT_EQ(MainModule::LeggiProgressivo(2031), 0);
    EXPECT_EQ(queryValue(database, QStringLiteral("SELECT count(*) FROM _Pars WHERE k01='maga'")), QStringLiteral("3"));
}

// The same rule from rows another copy of the program left: the number
// after the stored one, an empty number counting as 0, other years untouched.
TEST_F(Counters, TheNextNumberFollowsTheRowAsAnotherCopyLeftIt)
{
    runSql(database, QStringLiteral("INSERT INTO _Pars (k01, l01, l02) VALUES "
                                    "('maga', 2026, 41), ('maga', 2027, NULL), ('maga', 2028, 9)"));
    EXPECT_EQ(MainModule::ProssimoProgressivo(2026), 41);
    EXPECT_EQ(MainModule::ProssimoProgressivo(2027), 0);
    EXPECT_EQ(MainModule::ProssimoProgressivo(2027), 1);
    EXPECT_EQ(counterRows(2026), QStringList{QStringLiteral("42.0")});
    EXPECT_EQ(counterRows(2027), QStringList{QStringLiteral("2.0")});
    EXPECT_EQ(counterRows(2028), QStringList{QStringLiteral("9.0")});
}

TEST_F(Counters, LockedDatabaseRaisesAndHandsOutNothing)
{
    MainModule::SalvaProgressivo(5, 2024);
    platform::Connection::setDefaultBusyTimeout(100);
    {
        platform::Connection holder(MainModule::ConnString);
        holder.beginTrans();
        holder.execute(QStringLiteral("INSERT INTO _Pars (k01) VALUES ('altra copia')"));
        EXPECT_THROW(MainModule::ProssimoProgressivo(2024), platform::RuntimeError);
        EXPECT_THROW(MainModule::LeggiProgressivo(2029), platform::RuntimeError);
        holder.rollbackTrans();
    }
    EXPECT_EQ(counterRows(2024), QStringList{QStringLiteral("5.0")});
    EXPECT_TRUE(counterRows(2029).isEmpty());
    EXPECT_EQ(MainModule::ProssimoProgressivo(2024), 5);
}

// Four copies of the program take 250 numbers each from the same counter at
// the same moment: every number from 1 to 1000 is handed out exactly once.
TEST_F(Counters, FourProcessesNeverShareANumber)
{
    const QString worker = testsupport::programDir() + QStringLiteral("/counter_worker");
    ASSERT_TRUE(QFileInfo::exists(worker)) << worker.toStdString();
    const QString startFile = testsupport::freshDir(QStringLiteral("via")) + QStringLiteral("/via");

    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < 4; ++i) {
        workers.push_back(std::make_unique<QProcess>());
        workers.back()->start(worker, {database, QStringLiteral("2024"), QStringLiteral("250"), startFile});
        ASSERT_TRUE(workers.back()->waitForStarted(30000));
    }
    // Each worker says when it is waiting at the barrier.
    for (auto &process : workers) {
        while (!process->canReadLine())
            ASSERT_TRUE(process->waitForReadyRead(60000)) << process->readAllStandardError().toStdString();
        ASSERT_EQ(process->readLine().trimmed(), QByteArray("pronto"));
    }
    writeFile(startFile, "via");

    QList<int> numbers;
    for (auto &process : workers) {
        ASSERT_TRUE(process->waitForFinished(120000));
        EXPECT_TRUE(process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0)
            << process->readAllStandardError().toStdString();
        const QList<QByteArray> lines = process->readAllStandardOutput().trimmed().split('\n');
        EXPECT_EQ(lines.size(), 250);
        for (const QByteArray &line : lines)
            numbers.append(line.trimmed().toInt());
    }

    ASSERT_EQ(numbers.size(), 1000);
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(QSet<int>(numbers.begin(), numbers.end()).size(), 1000);
    EXPECT_EQ(numbers.front(), 1);
    EXPECT_EQ(numbers.back(), 1000);
    EXPECT_EQ(counterRows(2024), QStringList{QStringLiteral("1000.0")});
    EXPECT_EQ(MainModule::LeggiProgressivo(2024), 1000);
}

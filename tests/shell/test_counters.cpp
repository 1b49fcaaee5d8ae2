// The per-year movement counter in '_Pars', alone and with several copies
// of the program taking numbers from it at once.
#include "ShellFixture.h"

#include "platform/base/RuntimeError.h"

#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

using namespace shelltest;
using namespace Qt::StringLiterals;

// The counter of a template database, read back directly.
class Counters : public TemplateDatabaseTest
{
protected:
    // The 'maga' rows of a year, read directly: "l02" of each.
    QStringList counterRows(int year) const
    {
        return queryColumn(database, u"SELECT quote(l02) FROM _Pars WHERE k01='maga' AND l01=%1"_s.arg(year));
    }
};

// Each year hands out its numbers in turn from its own row: the number
// after the stored one, an empty number counting as 0.
TEST_F(Counters, EachYearHandsOutItsNumbersInTurnFromItsOwnRowALockedDatabaseNone)
{
    // Reading a new year creates its row at zero; reading again adds nothing.
    EXPECT_EQ(MainModule::LeggiProgressivo(2031), 0);
    EXPECT_EQ(MainModule::LeggiProgressivo(2031), 0);
    EXPECT_EQ(counterRows(2031), QStringList{u"0.0"_s});

    EXPECT_EQ(MainModule::ProssimoProgressivo(2025), 0);
    EXPECT_EQ(MainModule::ProssimoProgressivo(2025), 1);
    EXPECT_EQ(MainModule::LeggiProgressivo(2025), 2);
    // Saving a year never used creates its row.
    MainModule::SalvaProgressivo(57, 2030);
    EXPECT_EQ(MainModule::ProssimoProgressivo(2030), 57);

    // Rows another copy of the program left.
    runSql(database, QStringLiteral("INSERT INTO _Pars (k01, l01, l02) VALUES "
                                    "('maga', 2026, 41), ('maga', 2027, NULL), ('maga', 2028, 9)"));
    EXPECT_EQ(MainModule::ProssimoProgressivo(2026), 41);
    EXPECT_EQ(MainModule::ProssimoProgressivo(2027), 0);
    EXPECT_EQ(MainModule::ProssimoProgressivo(2027), 1);
    QStringList rows;
    for (const int year : {2025, 2026, 2027, 2028, 2030})
        rows << counterRows(year);
    EXPECT_EQ(rows, (QStringList{u"2.0"_s, u"42.0"_s, u"2.0"_s, u"9.0"_s, u"58.0"_s}));
    EXPECT_EQ(queryValue(database, u"SELECT count(*) FROM _Pars WHERE k01='maga'"_s), u"6"_s);

    // A locked database raises and hands out nothing.
    MainModule::SalvaProgressivo(5, 2024);
    platform::Connection::setDefaultBusyTimeout(100);
    {
        const AltroProgramma writing(database, false);
        EXPECT_THROW(MainModule::ProssimoProgressivo(2024), platform::RuntimeError);
        EXPECT_THROW(MainModule::LeggiProgressivo(2029), platform::RuntimeError);
    }
    EXPECT_EQ(counterRows(2024), QStringList{u"5.0"_s});
    EXPECT_TRUE(counterRows(2029).isEmpty());
    EXPECT_EQ(MainModule::ProssimoProgressivo(2024), 5);
}

// Four copies of the program take 250 numbers each from the same counter at
// the same moment: every number from 1 to 1000 is handed out exactly once.
TEST_F(Counters, FourProcessesNeverShareANumber)
{
    const QString worker = testsupport::programDir() + u"/shell_helper"_s;
    ASSERT_TRUE(QFileInfo::exists(worker)) << worker.toStdString();
    const QString startFile = testsupport::freshDir(u"via"_s) + u"/via"_s;

    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < 4; ++i) {
        workers.push_back(std::make_unique<QProcess>());
        workers.back()->start(worker, {u"contatore"_s, database, u"2024"_s, u"250"_s, startFile});
        ASSERT_TRUE(workers.back()->waitForStarted(30000));
    }
    // Each worker says when it is waiting at the barrier.
    for (auto &process : workers) {
        while (!process->canReadLine())
            ASSERT_TRUE(process->waitForReadyRead(60000)) << process->readAllStandardError().toStdString();
        ASSERT_EQ(process->readLine().trimmed(), QByteArray("pronto"));
    }
    writeFile(startFile, "via");

    std::vector<int> numbers;
    for (auto &process : workers) {
        ASSERT_TRUE(process->waitForFinished(120000));
        EXPECT_TRUE(process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0)
            << process->readAllStandardError().toStdString();
        for (const QByteArray &line : process->readAllStandardOutput().trimmed().split('\n'))
            numbers.push_back(line.trimmed().toInt());
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<int> expected(1000);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(counterRows(2024), QStringList{u"1000.0"_s});
}

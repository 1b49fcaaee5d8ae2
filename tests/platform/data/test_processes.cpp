// Several processes on one database file: a writer killed in the middle of
// its transaction, and a writer whose lock others wait for (and give up on
// when it is held too long). Writers taking numbers from one counter at once
// are tested with the program's own counter (tests/shell/test_counters.cpp).
#include "DataFixture.h"

#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace platform;
using testsupport::DataFixture;
using testsupport::databaseErrorOf;

namespace {

// Starts the helper program and waits until it says it is ready.
std::unique_ptr<QProcess> startHelper(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->start(DataFixture::helperProgram(), arguments);
    if (!process->waitForStarted(30000))
        return nullptr;
    while (!process->canReadLine()) {
        if (!process->waitForReadyRead(60000))
            return nullptr;
    }
    if (process->readLine().trimmed() != "ready")
        return nullptr;
    return process;
}

void finish(QProcess &process)
{
    process.write("done\n");
    process.closeWriteChannel();
    process.waitForFinished(60000);
}

// The waits for a lock that statements tell the listener of, for as long
// as it lives; `onStart` runs when a wait starts.
class WaitLog
{
public:
    explicit WaitLog(std::function<void()> onStart = {})
        : m_onStart(std::move(onStart))
    {
        m_previous = Connection::setBusyListener([this](BusyWait event) {
            events.push_back(event);
            if (event == BusyWait::Started && m_onStart)
                m_onStart();
        });
    }
    ~WaitLog() { Connection::setBusyListener(std::move(m_previous)); }

    std::vector<BusyWait> events;

private:
    std::function<void()> m_onStart;
    BusyListener m_previous;
};

const std::vector<BusyWait> oneWait{BusyWait::Started, BusyWait::Ended};

} // namespace

TEST(Processes, KilledWriterLeavesTheDatabaseIntactWithoutItsRows)
{
    const QString path = DataFixture::createSampleDatabase();
    const QByteArray before = DataFixture::fileBytes(path);
    auto writer = startHelper({u"crash"_s, path});
    ASSERT_TRUE(writer);
    // The transaction has spilled into the file: only its journal can undo it.
    EXPECT_NE(DataFixture::fileBytes(path), before);
    writer->kill();
    writer->waitForFinished(60000);
    EXPECT_TRUE(QFileInfo::exists(path + u"-journal"_s));

    Connection c(DataFixture::connectionString(path));
    EXPECT_EQ(c.executeQuery(u"SELECT Count(*) AS N FROM _Pars WHERE k01 = 'crash'"_s)->value(0),
              Variant(std::int32_t(0)));
    EXPECT_EQ(c.executeQuery(u"SELECT Count(*) AS N FROM MagazRegDetail"_s)->value(0), Variant(std::int32_t(4)));
    auto check = c.executeQuery(u"PRAGMA integrity_check"_s);
    EXPECT_EQ(check->value(0), Variant("ok"));
    c.execute(u"INSERT INTO _Pars (k01) VALUES ('after')"_s); // and it takes writes again
}

TEST(Processes, WritesWaitForAnotherProcessesLockOnceAndABusyDatabaseIsReportedUnchanged)
{
    const QString path = DataFixture::createSampleDatabase();
    Connection c(DataFixture::connectionString(path));
    const std::pair<const char *, std::function<void()>> writes[] = {
        {"transaction", [&] {
             c.beginTrans();
             c.execute(u"UPDATE Articoli SET Costo = Costo + 1"_s);
             c.commitTrans();
         }},
        {"statement", [&] { c.execute(u"UPDATE Articoli SET Costo = Costo + 1"_s); }},
    };
    for (const auto &[name, write] : writes) {
        SCOPED_TRACE(name);
        auto holder = startHelper({u"hold"_s, path, u"immediate"_s});
        ASSERT_TRUE(holder);
        // The other process lets go only once this one is waiting.
        WaitLog log([&] { finish(*holder); });
        EXPECT_NO_THROW(write());
        EXPECT_EQ(log.events, oneWait);
    }
    EXPECT_EQ(DataFixture::queryColumn(path, u"SELECT Costo FROM Articoli ORDER BY Codice"_s),
              (QStringList{u"2.1"_s, u"2.05"_s, u"2.02"_s}));

    // A lock held past the timeout is reported as busy, and nothing changes.
    const QByteArray before = DataFixture::fileBytes(path);
    const int saved = Connection::defaultBusyTimeout();
    Connection::setDefaultBusyTimeout(200);
    // A write transaction in progress: writing waits and gives up. A
    // transaction that is writing the file out: even opening does.
    const std::pair<QString, std::function<void()>> cases[] = {
        {u"immediate"_s, [&] { Connection(DataFixture::connectionString(path)).execute(u"UPDATE Articoli SET Costo = 1"_s); }},
        {u"exclusive"_s, [&] { Connection c(DataFixture::connectionString(path)); }},
    };
    for (const auto &[mode, access] : cases) {
        SCOPED_TRACE(mode.toStdString());
        auto holder = startHelper({u"hold"_s, path, mode});
        ASSERT_TRUE(holder);
        WaitLog log;
        const auto error = databaseErrorOf(access);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), DatabaseError::Kind::Busy);
        EXPECT_EQ(error->description(), u"Il database è in uso da un altro utente. Riprovare più tardi."_s);
        EXPECT_EQ(log.events, oneWait);
        finish(*holder);
        EXPECT_EQ(DataFixture::fileBytes(path), before);
    }
    Connection::setDefaultBusyTimeout(saved);
}

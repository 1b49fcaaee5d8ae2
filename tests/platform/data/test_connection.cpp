// Opening databases (and refusing files that are not ours without touching
// them), statements, transactions, locking between connections and the
// settings every connection gets.
#include "DataFixture.h"
#include "support/TestEnv.h"

#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"
#include "platform/data/Session.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

using namespace platform;
using testsupport::DataFixture;
using testsupport::databaseErrorOf;

namespace {

QString writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = testsupport::freshDir() + u'/' + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(42);
    for (char &c : bytes)
        c = static_cast<char>(generator.bounded(256));
    return bytes;
}

// Opening fails with the given kind and leaves the file exactly as it was.
void expectRefusedUnchanged(const QString &path, DatabaseError::Kind kind)
{
    const bool existed = QFileInfo::exists(path);
    const QByteArray before = DataFixture::fileBytes(path);
    const auto error = databaseErrorOf([&] { Connection c(DataFixture::connectionString(path)); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), kind) << error->description().toStdString();
    EXPECT_EQ(error->number(), DatabaseError::EngineErrorNumber);
    EXPECT_EQ(error->source(), QStringLiteral("Velmora.Data"));
    EXPECT_FALSE(error->description().isEmpty());
    EXPECT_EQ(QFileInfo::exists(path), existed);
    EXPECT_EQ(DataFixture::fileBytes(path), before);
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-journal")));
}

QString pragma(Connection &c, const char *name)
{
    sqlite::Statement st = c.openSession().prepare(QStringLiteral("PRAGMA %1").arg(QLatin1String(name)));
    st.step();
    return st.text(0);
}

} // namespace

TEST(ConnectionString, DataSourceIsTheFile)
{
    EXPECT_EQ(Connection::dataSourceOf(QStringLiteral(
                  "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/home/u/BrevelDB/gest01.mdb;Persist Security Info=False")),
              QStringLiteral("/home/u/BrevelDB/gest01.mdb"));
    EXPECT_EQ(Connection::dataSourceOf(QStringLiteral("provider=x; data  source = /a b/c.mdb ;")),
              QStringLiteral("/a b/c.mdb"));
    EXPECT_EQ(Connection::dataSourceOf(QStringLiteral("PROVIDER=x;Persist Security Info=False")), QString());
    EXPECT_EQ(Connection::dataSourceOf(QStringLiteral("/plain/path.mdb")), QStringLiteral("/plain/path.mdb"));
}

TEST(ConnectionOpen, OpensTheProgramsDatabaseWithItsSettings)
{
    const QString path = DataFixture::createSampleDatabase();
    Connection c(DataFixture::connectionString(path));
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(c.state(), ObjectState::adStateOpen);
    EXPECT_EQ(c.dataSource(), path);
    EXPECT_FALSE(c.isReadOnly());
    EXPECT_EQ(pragma(c, "journal_mode"), QStringLiteral("delete"));
    EXPECT_EQ(pragma(c, "foreign_keys"), QStringLiteral("0"));
    EXPECT_EQ(pragma(c, "busy_timeout"), QString::number(Connection::defaultBusyTimeout()));
    EXPECT_EQ(Connection::defaultBusyTimeout(), 10000);
}

TEST(ConnectionOpen, WriteAheadLogIsTurnedBackToARollbackJournal)
{
    const QString path = DataFixture::createDatabase();
    DataFixture::runSql(path, QStringLiteral("PRAGMA journal_mode = WAL"));
    Connection c(DataFixture::connectionString(path));
    EXPECT_EQ(pragma(c, "journal_mode"), QStringLiteral("delete"));
}

TEST(ConnectionOpen, MissingFileIsNotCreated)
{
    const QString path = testsupport::freshDir() + QStringLiteral("/gest01.mdb");
    expectRefusedUnchanged(path, DatabaseError::Kind::NotADatabase);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(ConnectionOpen, EmptyFileIsRefusedAndStaysEmpty)
{
    expectRefusedUnchanged(writeFile(QStringLiteral("gest01.mdb"), QByteArray()), DatabaseError::Kind::NotADatabase);
}

TEST(ConnectionOpen, RandomBytesAreRefusedUnchanged)
{
    expectRefusedUnchanged(writeFile(QStringLiteral("gest01.mdb"), randomBytes(8192)),
                           DatabaseError::Kind::NotADatabase);
}

TEST(ConnectionOpen, AccessFileIsRefusedUnchanged)
{
    QByteArray mdb("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    mdb += randomBytes(4096 - mdb.size());
    expectRefusedUnchanged(writeFile(QStringLiteral("old.mdb"), mdb), DatabaseError::Kind::NotADatabase);
}

TEST(ConnectionOpen, DatabaseOfAnotherProgramIsRefusedUnchanged)
{
    const QString path = testsupport::freshDir() + QStringLiteral("/other.db");
    QFile::copy(DataFixture::createDatabase(), path);
    DataFixture::runSql(path, QStringLiteral("DROP TABLE _Pars"));
    expectRefusedUnchanged(path, DatabaseError::Kind::NotADatabase);
}

TEST(ConnectionOpen, DamagedDatabaseIsRefusedUnchanged)
{
    QByteArray bytes = DataFixture::fileBytes(DataFixture::createSampleDatabase());
    // Keep the header, wreck the schema page behind it.
    for (qsizetype i = 100; i < 4096 && i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0xA5);
    const QString path = writeFile(QStringLiteral("gest01.mdb"), bytes);
    const QByteArray before = DataFixture::fileBytes(path);
    EXPECT_TRUE(databaseErrorOf([&] { Connection c(DataFixture::connectionString(path)); }));
    EXPECT_EQ(DataFixture::fileBytes(path), before);
}

TEST(ConnectionOpen, ReadOnlyFileReadsButRefusesWritesUnchanged)
{
    // The file is opened by a process of a user who may not write it.
    QTemporaryDir folder;
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                             | QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString path = DataFixture::createSampleDatabase(folder.path());
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadOther);
    const QByteArray before = DataFixture::fileBytes(path);

    QProcess helper;
    helper.start(DataFixture::helperProgram(), {QStringLiteral("readonly"), path});
    ASSERT_TRUE(helper.waitForFinished(60000));
    const QString output = QString::fromUtf8(helper.readAllStandardOutput());
    EXPECT_EQ(output, QStringLiteral("open read-only\nrows 3\nwrite ReadOnly\n"));
    EXPECT_EQ(DataFixture::fileBytes(path), before);
}

TEST(ConnectionExecute, AnswersTheRowsAffected)
{
    Connection c(DataFixture::connectionString(DataFixture::createSampleDatabase()));
    EXPECT_EQ(c.execute(QStringLiteral("UPDATE Articoli SET Categoria = 'Viteria' WHERE IdFornitore = 1")), 2);
    EXPECT_EQ(c.execute(QStringLiteral("DELETE FROM MagazRegDetail WHERE IdReg = 1")), 2);
    EXPECT_EQ(c.execute(QStringLiteral("UPDATE Articoli SET Costo = 1 WHERE Codice = 'none'")), 0);
    EXPECT_EQ(c.execute(QStringLiteral("SELECT * FROM Articoli")), -1);
    EXPECT_EQ(c.execute(QStringLiteral("CREATE TABLE Nuova (Id INTEGER)")), 0);
}

TEST(ConnectionExecute, ErrorsCarryTheEnginesMessage)
{
    Connection c(DataFixture::connectionString(DataFixture::createSampleDatabase()));
    const auto error = databaseErrorOf([&] { c.execute(QStringLiteral("INSERT INTO Articoli (Codice) VALUES ('a001')")); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), DatabaseError::Kind::General);
    EXPECT_EQ(error->number(), DatabaseError::EngineErrorNumber);
    EXPECT_TRUE(error->description().contains(QStringLiteral("UNIQUE"))) << error->description().toStdString();
    EXPECT_NE(error->resultCode(), 0);
}

TEST(ConnectionTransactions, CommitKeepsAndRollbackDiscards)
{
    const QString path = DataFixture::createSampleDatabase();
    Connection c(DataFixture::connectionString(path));
    EXPECT_EQ(c.beginTrans(), 1);
    c.execute(QStringLiteral("DELETE FROM MagazRegDetail WHERE IdReg = 1"));
    c.rollbackTrans();
    EXPECT_EQ(DataFixture::queryValue(path, QStringLiteral("SELECT count(*) FROM MagazRegDetail")), QStringLiteral("4"));

    c.beginTrans();
    c.execute(QStringLiteral("DELETE FROM MagazRegDetail WHERE IdReg = 1"));
    EXPECT_EQ(c.beginTrans(), 2); // nested
    c.execute(QStringLiteral("DELETE FROM MagazRegDetail"));
    c.rollbackTrans();
    EXPECT_EQ(c.transactionLevel(), 1);
    c.commitTrans();
    EXPECT_EQ(c.transactionLevel(), 0);
    EXPECT_EQ(DataFixture::queryValue(path, QStringLiteral("SELECT count(*) FROM MagazRegDetail")), QStringLiteral("2"));

    const auto error = databaseErrorOf([&] { c.commitTrans(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), DatabaseError::Kind::Usage);
}

TEST(ConnectionTransactions, ClosingOrDroppingTheConnectionRollsBack)
{
    const QString path = DataFixture::createSampleDatabase();
    {
        Connection c(DataFixture::connectionString(path));
        Connection copy = c;
        c.beginTrans();
        c.execute(QStringLiteral("DELETE FROM Articoli"));
        c.close();
        EXPECT_FALSE(copy.isOpen()); // copies share the one database connection
        EXPECT_EQ(copy.transactionLevel(), 0);
    }
    {
        Connection c(DataFixture::connectionString(path));
        c.beginTrans();
        c.execute(QStringLiteral("DELETE FROM CliFor"));
    }
    EXPECT_EQ(DataFixture::queryValue(path, QStringLiteral("SELECT count(*) FROM Articoli")), QStringLiteral("3"));
    EXPECT_EQ(DataFixture::queryValue(path, QStringLiteral("SELECT count(*) FROM CliFor")), QStringLiteral("3"));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-journal")));
}

TEST(ConnectionLocking, WriterBlockedByAnotherTransactionGetsBusyAfterTheTimeout)
{
    const QString path = DataFixture::createSampleDatabase();
    Connection holder(DataFixture::connectionString(path));
    Connection other(DataFixture::connectionString(path));
    other.setBusyTimeout(100);
    holder.beginTrans();
    holder.execute(QStringLiteral("UPDATE Articoli SET Costo = 9"));

    // Reading still works; every kind of write reports the lock.
    EXPECT_EQ(other.executeQuery(QStringLiteral("SELECT Costo FROM Articoli WHERE Codice = 'A001'"))->value(0),
              Variant(0.1));
    for (const auto &write : std::initializer_list<std::function<void()>>{
             [&] { other.beginTrans(); },
             [&] { other.execute(QStringLiteral("UPDATE Articoli SET Costo = 5")); },
         }) {
        const auto error = databaseErrorOf(write);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), DatabaseError::Kind::Busy) << error->description().toStdString();
    }
    EXPECT_EQ(other.transactionLevel(), 0);

    holder.commitTrans();
    EXPECT_EQ(other.execute(QStringLiteral("UPDATE Articoli SET Costo = 5")), 3);
}

TEST(ConnectionFunctions, LastAnswersTheLastNonNullValue)
{
    Connection c(DataFixture::connectionString(DataFixture::createDatabase()));
    sqlite::Statement st = c.openSession().prepare(QStringLiteral(
        "SELECT g, jet_last(v) FROM (SELECT 1 AS g, 'a' AS v UNION ALL SELECT 1, 'b' UNION ALL SELECT 1, NULL "
        "UNION ALL SELECT 2, NULL) GROUP BY g ORDER BY g"));
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.text(1), QStringLiteral("b"));
    ASSERT_TRUE(st.step());
    EXPECT_TRUE(st.value(1).isNull());
}

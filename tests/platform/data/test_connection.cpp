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
using namespace Qt::StringLiterals;
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

QString pragma(Connection &c, const char *name)
{
    sqlite::Statement st = c.openSession().prepare(u"PRAGMA %1"_s.arg(QLatin1String(name)));
    st.step();
    return st.text(0);
}

QString count(const QString &path, const char *table)
{
    return DataFixture::queryValue(path, u"SELECT count(*) FROM "_s + QLatin1String(table));
}

} // namespace

TEST(ConnectionString, DataSourceIsTheFile)
{
    EXPECT_EQ(Connection::dataSourceOf(
                  u"PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/home/u/BrevelDB/gest01.mdb;Persist Security Info=False"_s),
              u"/home/u/BrevelDB/gest01.mdb"_s);
    EXPECT_EQ(Connection::dataSourceOf(u"provider=x; data  source = /a b/c.mdb ;"_s), u"/a b/c.mdb"_s);
    EXPECT_EQ(Connection::dataSourceOf(u"PROVIDER=x;Persist Security Info=False"_s), QString());
    EXPECT_EQ(Connection::dataSourceOf(u"/plain/path.mdb"_s), u"/plain/path.mdb"_s);
}

TEST(ConnectionOpen, OpensTheProgramsDatabaseWithItsSettingsAndNoWriteAheadLog)
{
    const QString path = DataFixture::createSampleDatabase();
    DataFixture::runSql(path, u"PRAGMA journal_mode = WAL"_s);
    Connection c(DataFixture::connectionString(path));
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(c.state(), ObjectState::adStateOpen);
    EXPECT_EQ(c.dataSource(), path);
    EXPECT_FALSE(c.isReadOnly());
    EXPECT_EQ(pragma(c, "journal_mode"), u"delete"_s);
    EXPECT_EQ(pragma(c, "foreign_keys"), u"0"_s);
    EXPECT_EQ(pragma(c, "busy_timeout"), QString::number(Connection::defaultBusyTimeout()));
    EXPECT_EQ(Connection::defaultBusyTimeout(), 10000);
}

TEST(ConnectionOpen, FilesThatAreNotOurDatabaseAreRefusedUnchanged)
{
    QByteArray mdb("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    mdb += randomBytes(4096 - mdb.size());
    const QString other = testsupport::freshDir() + u"/other.db"_s;
    QFile::copy(DataFixture::createDatabase(), other);
    DataFixture::runSql(other, u"DROP TABLE _Pars"_s);
    QByteArray damaged = DataFixture::fileBytes(DataFixture::createSampleDatabase());
    for (qsizetype i = 100; i < 4096 && i < damaged.size(); ++i) // the header kept, the schema page wrecked
        damaged[i] = static_cast<char>(0xA5);

    const std::pair<QString, bool> files[] = {
        {testsupport::freshDir() + u"/gest01.mdb"_s, true}, // missing: never created
        {writeFile(u"gest01.mdb"_s, QByteArray()), true},
        {writeFile(u"gest01.mdb"_s, randomBytes(8192)), true},
        {writeFile(u"old.mdb"_s, mdb), true}, // an Access file
        {other, true},                        // another program's database
        {writeFile(u"gest01.mdb"_s, damaged), false},
    };
    for (const auto &[path, notADatabase] : files) {
        SCOPED_TRACE(path.toStdString());
        const bool existed = QFileInfo::exists(path);
        const QByteArray before = DataFixture::fileBytes(path);
        const auto error = databaseErrorOf([&] { Connection c(DataFixture::connectionString(path)); });
        ASSERT_TRUE(error);
        if (notADatabase) {
            EXPECT_EQ(error->kind(), DatabaseError::Kind::NotADatabase) << error->description().toStdString();
            EXPECT_EQ(error->number(), DatabaseError::EngineErrorNumber);
            EXPECT_EQ(error->source(), u"Velmora.Data"_s);
            EXPECT_FALSE(error->description().isEmpty());
        }
        EXPECT_EQ(QFileInfo::exists(path), existed);
        EXPECT_EQ(DataFixture::fileBytes(path), before);
        EXPECT_FALSE(QFileInfo::exists(path + u"-journal"_s));
    }
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
    helper.start(DataFixture::helperProgram(), {u"readonly"_s, path});
    ASSERT_TRUE(helper.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(helper.readAllStandardOutput()), u"open read-only\nrows 3\nwrite ReadOnly\n"_s);
    EXPECT_EQ(DataFixture::fileBytes(path), before);
}

TEST(ConnectionExecute, AnswersTheRowsAffectedAndTheEnginesErrors)
{
    Connection c(DataFixture::connectionString(DataFixture::createSampleDatabase()));
    EXPECT_EQ(c.execute(u"UPDATE Articoli SET Categoria = 'Viteria' WHERE IdFornitore = 1"_s), 2);
    EXPECT_EQ(c.execute(u"DELETE FROM MagazRegDetail WHERE IdReg = 1"_s), 2);
    EXPECT_EQ(c.execute(u"UPDATE Articoli SET Costo = 1 WHERE Codice = 'none'"_s), 0);
    EXPECT_EQ(c.execute(u"SELECT * FROM Articoli"_s), -1);
    EXPECT_EQ(c.execute(u"CREATE TABLE Nuova (Id INTEGER)"_s), 0);

    const auto error = databaseErrorOf([&] { c.execute(u"INSERT INTO Articoli (Codice) VALUES ('a001')"_s); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), DatabaseError::Kind::General);
    EXPECT_EQ(error->number(), DatabaseError::EngineErrorNumber);
    EXPECT_TRUE(error->description().contains(u"UNIQUE"_s)) << error->description().toStdString();
    EXPECT_NE(error->resultCode(), 0);
}

TEST(ConnectionTransactions, CommitKeepsAndRollbackDiscards)
{
    const QString path = DataFixture::createSampleDatabase();
    Connection c(DataFixture::connectionString(path));
    EXPECT_EQ(c.beginTrans(), 1);
    c.execute(u"DELETE FROM MagazRegDetail WHERE IdReg = 1"_s);
    c.rollbackTrans();
    EXPECT_EQ(count(path, "MagazRegDetail"), u"4"_s);

    c.beginTrans();
    c.execute(u"DELETE FROM MagazRegDetail WHERE IdReg = 1"_s);
    EXPECT_EQ(c.beginTrans(), 2); // nested
    c.execute(u"DELETE FROM MagazRegDetail"_s);
    c.rollbackTrans();
    EXPECT_EQ(c.transactionLevel(), 1);
    c.commitTrans();
    EXPECT_EQ(c.transactionLevel(), 0);
    EXPECT_EQ(count(path, "MagazRegDetail"), u"2"_s);

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
        c.execute(u"DELETE FROM Articoli"_s);
        c.close();
        EXPECT_FALSE(copy.isOpen()); // copies share the one database connection
        EXPECT_EQ(copy.transactionLevel(), 0);
    }
    {
        Connection c(DataFixture::connectionString(path));
        c.beginTrans();
        c.execute(u"DELETE FROM CliFor"_s);
    }
    EXPECT_EQ(count(path, "Articoli"), u"3"_s);
    EXPECT_EQ(count(path, "CliFor"), u"3"_s);
    EXPECT_FALSE(QFileInfo::exists(path + u"-journal"_s));
}

TEST(ConnectionLocking, WriterBlockedByAnotherTransactionGetsBusyAfterTheTimeout)
{
    const QString path = DataFixture::createSampleDatabase();
    Connection holder(DataFixture::connectionString(path));
    Connection other(DataFixture::connectionString(path));
    other.setBusyTimeout(100);
    holder.beginTrans();
    holder.execute(u"UPDATE Articoli SET Costo = 9"_s);

    // Reading still works; every kind of write reports the lock.
    EXPECT_EQ(other.executeQuery(u"SELECT Costo FROM Articoli WHERE Codice = 'A001'"_s)->value(0), Variant(0.1));
    for (const auto &write : std::initializer_list<std::function<void()>>{
             [&] { other.beginTrans(); }, [&] { other.execute(u"UPDATE Articoli SET Costo = 5"_s); }}) {
        const auto error = databaseErrorOf(write);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), DatabaseError::Kind::Busy) << error->description().toStdString();
    }
    EXPECT_EQ(other.transactionLevel(), 0);

    holder.commitTrans();
    EXPECT_EQ(other.execute(u"UPDATE Articoli SET Costo = 5"_s), 3);
}

TEST(ConnectionFunctions, LastAnswersTheLastNonNullValue)
{
    Connection c(DataFixture::connectionString(DataFixture::createDatabase()));
    sqlite::Statement st = c.openSession().prepare(
        u"SELECT g, jet_last(v) FROM (SELECT 1 AS g, 'a' AS v UNION ALL SELECT 1, 'b' UNION ALL SELECT 1, NULL "
        u"UNION ALL SELECT 2, NULL) GROUP BY g ORDER BY g"_s);
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.text(1), u"b"_s);
    ASSERT_TRUE(st.step());
    EXPECT_TRUE(st.value(1).isNull());
}

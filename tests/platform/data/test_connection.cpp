// Opening databases (and refusing files that are not ours without touching
// them), statements with their rows affected and bound values, transactions
// and the errors the user reads.
#include "SampleDbFixture.h"
#include "support/TestEnv.h"

#include "platform/data/DatabaseError.h"
#include "platform/data/Session.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <functional>

using namespace platform;
using namespace Qt::StringLiterals;
using testsupport::DataFixture;
using testsupport::databaseErrorOf;
using Kind = DatabaseError::Kind;

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

// Overwrites the file's page that holds the table's rows.
void damageTable(const QString &path, const char *table)
{
    const int page = DataFixture::queryValue(
                         path, u"SELECT rootpage FROM sqlite_master WHERE name = '%1'"_s.arg(QLatin1String(table)))
                         .toInt();
    const int pageSize = DataFixture::queryValue(path, u"PRAGMA page_size"_s).toInt();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(qint64(page - 1) * pageSize);
    file.write(QByteArray(pageSize, '\xA5'));
}

// Kind, Italian description and the start of the engine's own words.
void expectError(const std::optional<DatabaseError> &error, Kind kind, const QString &description,
                 const QString &detail)
{
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), kind);
    EXPECT_EQ(error->description(), description);
    EXPECT_TRUE(error->detail().startsWith(detail)) << error->detail().toStdString();
}

} // namespace

TEST(ConnectionOpen, TheDataSourceIsTheFileOpenedWithTheProgramsSettingsFunctionsAndNoWriteAheadLog)
{
    EXPECT_EQ(Connection::dataSourceOf(
                  u"PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/home/u/BrevelDB/gest01.mdb;Persist Security Info=False"_s),
              u"/home/u/BrevelDB/gest01.mdb"_s);
    EXPECT_EQ(Connection::dataSourceOf(u"provider=x; data  source = /a b/c.mdb ;"_s), u"/a b/c.mdb"_s);
    EXPECT_EQ(Connection::dataSourceOf(u"PROVIDER=x;Persist Security Info=False"_s), QString());
    EXPECT_EQ(Connection::dataSourceOf(u"/plain/path.mdb"_s), u"/plain/path.mdb"_s);

    const QString path = DataFixture::createSampleDatabase();
    DataFixture::runSql(path, u"PRAGMA journal_mode = WAL"_s);
    Connection c(DataFixture::connectionString(path));
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(c.dataSource(), path);
    EXPECT_FALSE(c.isReadOnly());
    EXPECT_EQ(pragma(c, "journal_mode"), u"delete"_s);
    EXPECT_EQ(pragma(c, "foreign_keys"), u"0"_s);
    EXPECT_EQ(c.busyTimeout(), 10000);
    // The connection's own function jet_last answers the last value that is not Null.
    sqlite::Statement st = c.openSession().prepare(
        u"SELECT g, jet_last(v) FROM (SELECT 1 AS g, 'a' AS v UNION ALL SELECT 1, 'b' UNION ALL SELECT 1, NULL "
        u"UNION ALL SELECT 2, NULL) GROUP BY g ORDER BY g"_s);
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.text(1), u"b"_s);
    ASSERT_TRUE(st.step());
    EXPECT_TRUE(st.value(1).isNull());
    // jet_year answers what CAST(strftime('%Y', x) AS INTEGER) answers, for
    // plain dates read directly and for everything else through the engine.
    sqlite::Statement year = c.openSession().prepare(
        u"SELECT jet_year(?1) IS CAST(strftime('%Y', ?1) AS INTEGER), typeof(jet_year(?1)), jet_year(?1)"_s);
    const QList<sqlite::SqlValue> dates = {
        sqlite::SqlValue::text(u"2026-03-15"_s), sqlite::SqlValue::text(u"0999-12-31"_s),
        sqlite::SqlValue::text(u"2026-02-31"_s), sqlite::SqlValue::text(u"2026-13-01"_s),
        sqlite::SqlValue::text(u"2026-12-00"_s), sqlite::SqlValue::text(u"2026-12-31 24:00:00"_s),
        sqlite::SqlValue::text(u"2026-1-5xxx"_s), sqlite::SqlValue::text(u" 2026-03-1"_s),
        sqlite::SqlValue::text(u"2026-06-30T10:00"_s), sqlite::SqlValue::text(u"abcdefghij"_s),
        sqlite::SqlValue::real(2461000.5), sqlite::SqlValue::integer(1), sqlite::SqlValue()};
    for (const sqlite::SqlValue &date : dates) {
        year.reset();
        year.bind(1, date);
        ASSERT_TRUE(year.step());
        EXPECT_EQ(year.integer(0), 1) << year.text(1).toStdString() << " " << year.text(2).toStdString();
    }
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

    const QString notOurs = u"Il file non è un database di Velmora."_s;
    const struct {
        QString path;
        Kind kind;
        QString description;
    } files[] = {
        {testsupport::freshDir() + u"/gest01.mdb"_s, Kind::CannotOpen, // missing: never created
         u"Il file del database non esiste o non può essere aperto."_s},
        {writeFile(u"gest01.mdb"_s, QByteArray()), Kind::NotADatabase, notOurs},
        {writeFile(u"gest01.mdb"_s, randomBytes(8192)), Kind::NotADatabase, notOurs},
        {writeFile(u"old.mdb"_s, mdb), Kind::NotADatabase, notOurs}, // an Access file
        {other, Kind::NotADatabase, notOurs},                        // another program's database
        {writeFile(u"gest01.mdb"_s, damaged), Kind::Damaged, u"Il file del database è danneggiato."_s},
    };
    for (const auto &file : files) {
        SCOPED_TRACE(file.path.toStdString());
        const bool existed = QFileInfo::exists(file.path);
        const QByteArray before = DataFixture::fileBytes(file.path);
        const auto error = databaseErrorOf([&] { Connection c(DataFixture::connectionString(file.path)); });
        expectError(error, file.kind, file.description, u"SQLite "_s);
        EXPECT_EQ(error ? error->number() : 0, DatabaseError::EngineErrorNumber);
        EXPECT_EQ(QFileInfo::exists(file.path), existed);
        EXPECT_EQ(DataFixture::fileBytes(file.path), before);
        EXPECT_FALSE(QFileInfo::exists(file.path + u"-journal"_s));
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
    EXPECT_EQ(QString::fromUtf8(helper.readAllStandardOutput()),
              u"open read-only\nrows 3\nwrite ReadOnly Il database è di sola lettura: le modifiche non possono "
              u"essere salvate. | SQLite 8: attempt to write a readonly database\n"_s);
    EXPECT_EQ(DataFixture::fileBytes(path), before);
}

using ConnectionExecute = testsupport::SampleDbTest;

TEST_F(ConnectionExecute, CurrencyValuesAreStoredRoundedAndRowsAffectedCountOnlyWhatChanged)
{
    // Values bound to a currency column are stored rounded to four decimals.
    connection.execute(u"UPDATE MagazRegDetail SET [Quantità] = ? WHERE IdDet = 1"_s, {Variant(1.23456)});
    connection.execute(u"INSERT INTO MagazRegDetail (IdDet, IdReg, [Quantità]) VALUES (?, 1, ?)"_s,
                       {Variant(std::int32_t(9)), Variant("2,71828")});
    // Into a double column, a parameter declared as currency is rounded as its type says.
    connection.execute(u"PARAMETERS q Currency, id Long; UPDATE MagazRegDetail SET Costo = [q] WHERE IdDet = [id]"_s,
                       {Variant(0.123456), Variant(std::int32_t(2))});
    EXPECT_EQ(column(u"SELECT IdDet || '=' || \"Quantità\" || '/' || ifnull(Costo, '') FROM MagazRegDetail "
                     u"WHERE IdDet IN (1, 2, 9) ORDER BY IdDet"_s),
              (QStringList{u"1=1.2346/0.1"_s, u"2=12.5/0.1235"_s, u"9=2.7183/"_s}));

    EXPECT_EQ(connection.execute(u"DELETE FROM MagazRegDetail WHERE IdReg = 1"_s), 3);
    EXPECT_EQ(connection.execute(u"SELECT * FROM Articoli"_s), -1);
    // Statements that change no rows count none, whatever ran before them.
    for (const QString &statement : {u"CREATE TABLE Nuova (Id INTEGER)"_s, u"CREATE INDEX Nuova_Id ON Nuova (Id)"_s,
                                     u"ALTER TABLE Nuova ADD COLUMN Nome TEXT(10)"_s, u"DROP TABLE Nuova"_s,
                                     u"UPDATE Articoli SET Costo = 1 WHERE Codice = 'none'"_s}) {
        EXPECT_EQ(connection.execute(u"UPDATE Articoli SET Costo = Costo WHERE IdFornitore = 1"_s), 2);
        EXPECT_EQ(connection.execute(statement), 0) << statement.toStdString();
    }
}

TEST(DatabaseErrors, RealFailuresReadInItalianByKindAndKeepTheEnginesWords)
{
    const QString generic = u"L'operazione sul database non è riuscita."_s;
    const QString wrongType = u"Un valore non è del tipo richiesto dal campo."_s;
    const struct {
        const char *name;
        std::function<void(Connection &, const QString &)> fail;
        Kind kind;
        QString description;
        QString detail;
    } cases[] = {
        {"duplicate code", [](Connection &c, const QString &) { c.execute(u"INSERT INTO Articoli (Codice) VALUES ('a001')"_s); },
         Kind::DuplicateKey, u"Esiste già un elemento con lo stesso codice."_s,
         u"SQLite 1555: UNIQUE constraint failed: Articoli.Codice"_s},
        {"required value", [](Connection &c, const QString &) { c.execute(u"INSERT INTO Articoli (Descrizione) VALUES ('x')"_s); },
         Kind::MissingValue, u"Un campo obbligatorio non è stato compilato."_s,
         u"SQLite 1299: NOT NULL constraint failed: Articoli.Codice"_s},
        {"disk full",
         [](Connection &c, const QString &) {
             c.openSession().exec(u"PRAGMA max_page_count = 1"_s); // the file cannot grow any more
             c.execute(u"INSERT INTO _Pars (k01, m01) VALUES ('pieno', ?)"_s, {Variant(QByteArray(100000, 'x'))});
         },
         Kind::DiskFull, u"Il disco è pieno: le modifiche non sono state salvate."_s,
         u"SQLite 13: database or disk is full"_s},
        {"damaged file",
         [](Connection &c, const QString &path) {
             c.close();
             damageTable(path, "MagazRegDetail");
             c.open(DataFixture::connectionString(path));
             c.executeQuery(u"SELECT * FROM MagazRegDetail"_s);
         },
         Kind::Damaged, u"Il file del database è danneggiato."_s, u"SQLite 11: database disk image is malformed"_s},
        {"engine type", [](Connection &c, const QString &) { c.execute(u"INSERT INTO Liste (Id, Chiave) VALUES ('x', 'um')"_s); },
         Kind::TypeMismatch, wrongType, u"SQLite 20: datatype mismatch"_s},
        {"typed value", [](Connection &c, const QString &) { c.execute(u"UPDATE Articoli SET Costo = ?"_s, {Variant("tanto")}); },
         Kind::TypeMismatch, wrongType, u"Tipo non corrispondente"_s},
        {"changed by another user",
         [](Connection &c, const QString &path) {
             Recordset rs;
             rs.open(u"SELECT * FROM Articoli WHERE Codice = 'A001'"_s, c, CursorType::Static, LockType::Optimistic);
             DataFixture::runSql(path, u"DELETE FROM Articoli WHERE Codice = 'A001'"_s);
             rs.setValue(u"Costo"_s, Variant(2.0));
             rs.update();
         },
         Kind::Conflict, u"La registrazione è stata modificata o eliminata da un altro utente."_s, QString()},
        {"in use",
         [](Connection &c, const QString &path) {
             Connection other(DataFixture::connectionString(path));
             other.beginTrans();
             other.execute(u"UPDATE Articoli SET Costo = 9"_s);
             c.setBusyTimeout(50);
             c.execute(u"UPDATE Articoli SET Costo = 5"_s);
         },
         Kind::Busy, u"Il database è in uso da un altro utente. Riprovare più tardi."_s, u"SQLite 5: database is locked"_s},
        {"syntax", [](Connection &c, const QString &) { c.execute(u"SELECT FROM Articoli"_s); },
         Kind::General, u"Errore di sintassi nell'istruzione SQL."_s, u"Syntax error"_s},
        {"unknown query", [](Connection &c, const QString &) { c.executeQuery(u"Execute Nessuna 1"_s); },
         Kind::General, u"Impossibile trovare la tabella o la query 'Nessuna'."_s,
         u"The Microsoft Jet database engine cannot find the input table or query 'Nessuna'."_s},
        {"unknown table", [](Connection &c, const QString &) { c.execute(u"DELETE FROM Nessuna"_s); },
         Kind::General, generic, u"SQLite 1: no such table: Nessuna"_s},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.name);
        const QString path = DataFixture::createSampleDatabase();
        const QString before = count(path, "_Pars");
        Connection c(DataFixture::connectionString(path));
        expectError(databaseErrorOf([&] { test.fail(c, path); }), test.kind, test.description, test.detail);
        EXPECT_EQ(c.transactionLevel(), 0);
        if (test.kind != Kind::Damaged) {
            EXPECT_EQ(count(path, "_Pars"), before); // nothing half written
        }
    }
}

TEST(ConnectionTransactions, CommitKeepsRollbackDiscardsClosingRollsBackAndACommitWithoutATransactionIsRefused)
{
    // Nested levels and the recordsets they touch: see RecordsetWrite and RecordsetBatchConflict.
    const QString path = DataFixture::createSampleDatabase();
    Connection c(DataFixture::connectionString(path));
    EXPECT_EQ(c.beginTrans(), 1);
    c.execute(u"DELETE FROM MagazRegDetail WHERE IdReg = 1"_s);
    c.rollbackTrans();
    EXPECT_EQ(count(path, "MagazRegDetail"), u"4"_s);
    c.beginTrans();
    EXPECT_EQ(c.beginTrans(), 2);
    c.execute(u"DELETE FROM MagazRegDetail WHERE IdReg = 1"_s);
    c.commitTrans();
    c.commitTrans();
    EXPECT_EQ(c.transactionLevel(), 0);
    EXPECT_EQ(count(path, "MagazRegDetail"), u"2"_s);

    const auto error = databaseErrorOf([&] { c.commitTrans(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), Kind::Usage);
    EXPECT_EQ(error->number(), 3034);

    // Closing or dropping the connection rolls back.
    const QString other = DataFixture::createSampleDatabase();
    {
        Connection closed(DataFixture::connectionString(other));
        Connection copy = closed;
        closed.beginTrans();
        closed.execute(u"DELETE FROM Articoli"_s);
        closed.close();
        EXPECT_FALSE(copy.isOpen()); // copies share the one database connection
        EXPECT_EQ(copy.transactionLevel(), 0);
    }
    {
        Connection dropped(DataFixture::connectionString(other));
        dropped.beginTrans();
        dropped.execute(u"DELETE FROM CliFor"_s);
    }
    EXPECT_EQ(count(other, "Articoli"), u"3"_s);
    EXPECT_EQ(count(other, "CliFor"), u"3"_s);
    EXPECT_FALSE(QFileInfo::exists(other + u"-journal"_s));
}

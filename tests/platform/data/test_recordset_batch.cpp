// Batch updates on disconnected recordsets, the way a movement is loaded,
// edited off-line and saved on a new connection; the conflict with another
// connection's change, inside and outside the program's transactions;
// cancelling; many rows and rows added after them; fabricated in-memory
// recordsets.
#include "SampleDbFixture.h"

#include "platform/data/ConflictError.h"

#include <vector>

using namespace platform;
using namespace Qt::StringLiterals;
using testsupport::DataFixture;
using testsupport::databaseErrorNumber;
using testsupport::databaseErrorOf;

namespace {

class RecordsetBatch : public testsupport::SampleDbTest
{
protected:
    QString connectionString() const { return DataFixture::connectionString(path); }

    // Opened batch-optimistic on a connection of its own, then detached.
    std::unique_ptr<Recordset> load(const QString &source, CommandType type = CommandType::Text)
    {
        Connection c(connectionString());
        auto rs = std::make_unique<Recordset>();
        rs->open(source, c, CursorType::Static, LockType::BatchOptimistic, type);
        rs->setActiveConnection(nullptr);
        return rs;
    }
};

} // namespace

TEST_F(RecordsetBatch, MovementEditedOfflineIsSavedOnANewConnectionAndAgainLater)
{
    auto header = load(u"SELECT * FROM MagazRegMain WHERE IdReg=1"_s);
    auto lines = load(u"SELECT * FROM MagazRegDetail WHERE IdReg=1 ORDER BY Riga"_s);
    EXPECT_FALSE(lines->activeConnection());
    std::vector<EventReason> reasons;
    QObject::connect(lines.get(), &Recordset::recordChangeComplete, [&](EventReason r) {
        reasons.push_back(r);
        if (r == EventReason::adRsnAddNew) // numbering the new line, as the lines grid does
            lines->setValue(u"Riga"_s, Variant(std::int32_t(30)));
    });

    header->setValue(u"Descrizione"_s, Variant("Carico rivisto"));
    lines->setValue(u"Quantità"_s, Variant(140.0)); // line 10
    lines->update();
    lines->moveNext();
    lines->deleteRecord(); // line 20
    lines->addNew();
    lines->setValue(u"IdReg"_s, Variant(std::int32_t(1)));
    lines->setValue(u"CodiceArticolo"_s, Variant("B001"));
    lines->setValue(u"Quantità"_s, Variant(3.5));
    lines->setValue(u"Segno"_s, Variant(std::int32_t(1)));
    lines->update();
    EXPECT_EQ(reasons.front(), EventReason::adRsnUpdate);
    EXPECT_NE(std::find(reasons.begin(), reasons.end(), EventReason::adRsnAddNew), reasons.end());
    EXPECT_EQ(lines->recordCount(), 2);
    EXPECT_EQ(column(u"SELECT count(*) FROM MagazRegDetail"_s), QStringList{u"4"_s});

    {
        Connection save(connectionString());
        save.beginTrans();
        header->setActiveConnection(save);
        lines->setActiveConnection(save);
        header->updateBatch(AffectRecords::Current);
        lines->updateBatch(AffectRecords::All);
        save.commitTrans();
        header->setActiveConnection(nullptr);
        lines->setActiveConnection(nullptr);
    }
    EXPECT_EQ(column(u"SELECT Descrizione FROM MagazRegMain WHERE IdReg = 1"_s), QStringList{u"Carico rivisto"_s});
    EXPECT_EQ(column(u"SELECT IdDet || ':' || Riga || ':' || \"Quantità\" FROM MagazRegDetail WHERE IdReg = 1 ORDER BY Riga"_s),
              (QStringList{u"1:10:140"_s, u"5:30:3.5"_s}));
    lines->moveLast();
    EXPECT_EQ(lines->value(u"IdDet"_s), Variant(std::int32_t(5))); // the new key came back
    EXPECT_FALSE(lines->hasPendingChanges());
    EXPECT_EQ(lines->status(), RecordStatus::adRecUnmodified);

    // Edited and saved a second time: the values written are the new originals.
    lines->setValue(u"Quantità"_s, Variant(4.0));
    lines->moveFirst();
    lines->setValue(u"Quantità"_s, Variant(130.0));
    header->setValue(u"Descrizione"_s, Variant("Di nuovo"));
    {
        Connection save(connectionString());
        header->setActiveConnection(save);
        lines->setActiveConnection(save);
        header->updateBatch(AffectRecords::Current);
        lines->updateBatch();
    }
    EXPECT_EQ(column(u"SELECT \"Quantità\" FROM MagazRegDetail WHERE IdReg = 1 ORDER BY Riga"_s),
              (QStringList{u"130"_s, u"4"_s}));
    EXPECT_EQ(column(u"SELECT Descrizione FROM MagazRegMain WHERE IdReg = 1"_s), QStringList{u"Di nuovo"_s});
}

namespace {

// What wraps a batch that meets another connection's change: no transaction
// of the program's, or one that commits or rolls back after the batch, at
// its outer level or one level in.
enum class Around { NoTransaction, OuterCommitted, OuterRolledBack, InnerRolledBackOuterCommitted };

class RecordsetBatchConflict : public RecordsetBatch, public ::testing::WithParamInterface<Around>
{
};

std::string nameOf(const ::testing::TestParamInfo<Around> &info)
{
    const char *const names[] = {"NoTransaction", "OuterCommitted", "OuterRolledBack", "InnerRolledBackOuterCommitted"};
    return names[static_cast<int>(info.param)];
}

} // namespace

TEST_P(RecordsetBatchConflict, FailedBatchLeavesNoneOfItsRowsAndTheRecordsetsReadyForARetry)
{
    const Around around = GetParam();
    const bool inTransaction = around != Around::NoTransaction;
    const bool inner = around == Around::InnerRolledBackOuterCommitted;
    const bool commit = around != Around::OuterRolledBack;
    auto header = load(u"MagazRegMain"_s, CommandType::Table);
    header->addNew();
    header->setValue(u"Causale"_s, Variant("Carico"));
    header->update();
    auto lines = load(u"SELECT * FROM MagazRegDetail WHERE IdReg=1 ORDER BY Riga"_s);
    lines->setValue(u"Quantità"_s, Variant(140.0)); // written before the conflict is met
    lines->moveNext();
    lines->setValue(u"Quantità"_s, Variant(2.0));   // changed meanwhile by another connection
    lines->addNew();
    lines->setValue(u"IdReg"_s, Variant(std::int32_t(1)));
    lines->update();
    Connection(connectionString()).execute(u"UPDATE MagazRegDetail SET [Quantità] = 999 WHERE IdDet = 2"_s);
    const QStringList linesBefore = column(u"SELECT IdDet || '=' || \"Quantità\" FROM MagazRegDetail ORDER BY IdDet"_s);

    Connection save(connectionString());
    if (inTransaction) {
        save.beginTrans();
        save.execute(u"UPDATE Articoli SET Costo = 0.5 WHERE Codice = 'B001'"_s); // the outer level's own work
    }
    header->setActiveConnection(save);
    lines->setActiveConnection(save);
    if (inner)
        save.beginTrans();
    header->updateBatch(AffectRecords::Current);
    EXPECT_EQ(header->value(u"IdReg"_s), Variant(std::int32_t(4)));
    const auto error = databaseErrorOf([&] { lines->updateBatch(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), DatabaseError::Kind::Conflict);
    EXPECT_EQ(error->number(), ConflictError::Number);
    if (inner)
        save.rollbackTrans();
    if (inTransaction && commit)
        save.commitTrans();
    else if (inTransaction)
        save.rollbackTrans();

    EXPECT_EQ(column(u"SELECT IdDet || '=' || \"Quantità\" FROM MagazRegDetail ORDER BY IdDet"_s), linesBefore);
    EXPECT_EQ(stored(u"SELECT Costo FROM Articoli WHERE Codice = 'B001'"_s),
              inTransaction && commit ? u"0.5"_s : u"0.02"_s);
    // The header stays written only where its level was kept.
    const bool headerKept = commit && !inner;
    EXPECT_EQ(stored(u"SELECT count(*) FROM MagazRegMain"_s), headerKept ? u"4"_s : u"3"_s);
    EXPECT_EQ(header->status(), headerKept ? RecordStatus::adRecUnmodified : RecordStatus::adRecNew);
    EXPECT_EQ(header->value(u"IdReg"_s).isEmpty(), !headerKept);
    // Only the row changed meanwhile is marked; every change stays pending.
    EXPECT_TRUE(lines->hasPendingChanges());
    lines->setAbsolutePosition(2);
    EXPECT_TRUE(lines->status() & RecordStatus::adRecConcurrencyViolation);
    lines->setAbsolutePosition(1);
    EXPECT_EQ(lines->status(), RecordStatus::adRecModified);

    // A retry writes what is still pending.
    save.close();
    header->setActiveConnection(Connection(connectionString()));
    header->updateBatch(AffectRecords::Current);
    EXPECT_EQ(column(u"SELECT IdReg || Causale FROM MagazRegMain WHERE IdReg > 3"_s),
              QStringList{header->value(u"IdReg"_s).toString() + u"Carico"_s});
}

INSTANTIATE_TEST_SUITE_P(Transactions, RecordsetBatchConflict,
                         ::testing::Values(Around::NoTransaction, Around::OuterCommitted, Around::OuterRolledBack,
                                           Around::InnerRolledBackOuterCommitted),
                         nameOf);

TEST_F(RecordsetBatch, CancelBatchRestoresEveryRowAndUpdateBatchOfTheCurrentRowLeavesTheOthers)
{
    auto lines = load(u"SELECT * FROM MagazRegDetail ORDER BY IdDet"_s);
    lines->setValue(u"Costo"_s, Variant(9.0));
    lines->moveNext();
    lines->deleteRecord();
    lines->addNew();
    lines->setValue(u"Riga"_s, Variant(std::int32_t(99)));
    lines->update();
    EXPECT_EQ(lines->recordCount(), 4);

    lines->setActiveConnection(Connection(connectionString()));
    lines->cancelBatch();
    lines->setActiveConnection(nullptr);
    EXPECT_FALSE(lines->hasPendingChanges());
    EXPECT_EQ(lines->recordCount(), 4);
    lines->moveFirst();
    EXPECT_EQ(lines->value(u"Costo"_s), Variant(0.1));
    lines->moveNext();
    EXPECT_EQ(lines->value(u"IdDet"_s), Variant(std::int32_t(2)));
    lines->moveLast();
    EXPECT_EQ(lines->value(u"IdDet"_s), Variant(std::int32_t(4)));

    // An update of the current row only leaves the other changes pending.
    auto rs = load(u"SELECT * FROM Liste ORDER BY Id"_s);
    rs->setValue(u"Codice"_s, Variant("P1"));
    rs->moveNext();
    rs->setValue(u"Codice"_s, Variant("K1"));
    EXPECT_EQ(databaseErrorNumber([&] { rs->updateBatch(AffectRecords::Current); }), 3709);

    rs->setActiveConnection(Connection(connectionString()));
    rs->updateBatch(AffectRecords::Current);
    EXPECT_EQ(column(u"SELECT Codice FROM Liste WHERE Chiave = 'um' ORDER BY Id"_s), (QStringList{u"PZ"_s, u"K1"_s}));
    EXPECT_TRUE(rs->hasPendingChanges());
}

TEST_F(RecordsetBatch, RowsAddedAfterManyFetchedOnesKeepEveryRowInItsPlace)
{
    // Texts of growing length, so that the rows fill several blocks and chunks.
    const auto text = [](int i) { return QString::number(i) + u':' + QString(i * 20, u'è'); };
    DataFixture::runSql(path, u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60) "
                              u"INSERT INTO Liste (Chiave, Descrizione) SELECT 'x', i || ':' || "
                              u"replace(hex(zeroblob(i * 20)), '00', 'è') FROM n"_s);
    auto rs = load(u"SELECT * FROM Liste WHERE Chiave = 'x' ORDER BY Id"_s);
    const int descrizione = rs->fieldIndex(u"Descrizione"_s);
    for (int i = 61; i <= 70; ++i) {
        rs->addNew();
        rs->setValue(u"Chiave"_s, Variant("x"));
        rs->setValue(u"Descrizione"_s, Variant(text(i)));
        rs->update();
    }
    rs->setAbsolutePosition(65);
    const Recordset::Bookmark mark = rs->bookmark();
    rs->moveFirst();
    rs->setValue(u"Descrizione"_s, Variant(text(99)));
    rs->update();
    rs->setActiveConnection(Connection(connectionString()));
    rs->updateBatch();

    QStringList expected;
    for (int i = 1; i <= 70; ++i)
        expected.append(text(i == 1 ? 99 : i));
    EXPECT_EQ(column(u"SELECT Descrizione FROM Liste WHERE Chiave = 'x' ORDER BY Id"_s), expected);
    ASSERT_EQ(rs->rowCount(), 70);
    for (int row = 0; row < 70; ++row)
        EXPECT_EQ(rs->valueAt(row, descrizione), Variant(expected[row])) << "row " << row;
    rs->setBookmark(mark);
    EXPECT_EQ(rs->value(u"Id"_s), Variant(std::int32_t(68))); // the new key came back to the 65th row
    // Bookmarks are not reused once the rows are read again.
    rs->requery();
    EXPECT_EQ(databaseErrorNumber([&] { rs->setBookmark(mark); }), 3001);
}

TEST(FabricatedRecordset, HoldsAppendedFieldsInMemory)
{
    Recordset rs;
    rs.appendField(u"Codice"_s, DataType::adWChar, 24);
    rs.appendField(u"Descrizione"_s, DataType::adWChar, 50);
    rs.appendField(u"CodiceFornitore"_s, DataType::adInteger);
    rs.appendField(u"Prezzo"_s, DataType::adCurrency);
    rs.open();
    EXPECT_TRUE(rs.isEOF());
    for (int i = 1; i <= 2; ++i) {
        rs.addNew();
        rs.setValue(u"Codice"_s, Variant(u"CODICE-LUNGHISSIMO-OLTRE-24-%1"_s.arg(i)));
        rs.setValue(u"CodiceFornitore"_s, Variant(std::int16_t(i)));
        rs.setValue(u"Prezzo"_s, Variant(1.23456));
        rs.update();
    }
    rs.moveFirst();
    EXPECT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.value(0), Variant("CODICE-LUNGHISSIMO-OLTRE"));
    EXPECT_EQ(rs.field(0).definedSize(), 24);
    EXPECT_EQ(rs.value(u"CodiceFornitore"_s), Variant(std::int32_t(1)));
    EXPECT_EQ(rs.value(u"Prezzo"_s), Variant(Currency::fromRaw(12346)));
    EXPECT_TRUE(rs.value(u"Descrizione"_s).isEmpty());
    EXPECT_EQ(rs.field(3).type(), DataType::adCurrency);
    EXPECT_TRUE(databaseErrorOf([&] { rs.updateBatch(); }));
    EXPECT_TRUE(databaseErrorOf([&] { rs.appendField(u"Late"_s, DataType::adDouble); }));
}

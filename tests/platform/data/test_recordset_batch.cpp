// Batch updates on disconnected recordsets, the way a movement is loaded,
// edited off-line and saved on a new connection; the conflict with another
// connection's change; cancelling; fabricated in-memory recordsets.
#include "DataFixture.h"

#include "platform/data/ConflictError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;
using testsupport::DataFixture;
using testsupport::databaseErrorOf;

namespace {

class RecordsetBatch : public ::testing::Test
{
protected:
    void SetUp() override { path = DataFixture::createSampleDatabase(); }

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
    QStringList column(const QString &sql) { return DataFixture::queryColumn(path, sql); }

    QString path;
};

} // namespace

TEST_F(RecordsetBatch, MovementEditedOfflineIsSavedOnANewConnectionAndAgainLater)
{
    auto header = load(QStringLiteral("SELECT * FROM MagazRegMain WHERE IdReg=1"));
    auto lines = load(QStringLiteral("SELECT * FROM MagazRegDetail WHERE IdReg=1 ORDER BY Riga"));
    EXPECT_FALSE(lines->activeConnection());
    std::vector<EventReason> reasons;
    QObject::connect(lines.get(), &Recordset::recordChangeComplete, [&](EventReason r) {
        reasons.push_back(r);
        if (r == EventReason::adRsnAddNew) // numbering the new line, as the lines grid does
            lines->setValue(QStringLiteral("Riga"), Variant(std::int32_t(30)));
    });

    header->setValue(QStringLiteral("Descrizione"), Variant("Carico rivisto"));
    lines->setValue(QStringLiteral("Quantità"), Variant(140.0)); // line 10
    lines->update();
    lines->moveNext();
    lines->deleteRecord(); // line 20
    lines->addNew();
    lines->setValue(QStringLiteral("IdReg"), Variant(std::int32_t(1)));
    lines->setValue(QStringLiteral("CodiceArticolo"), Variant("B001"));
    lines->setValue(QStringLiteral("Quantità"), Variant(3.5));
    lines->setValue(QStringLiteral("Segno"), Variant(std::int32_t(1)));
    lines->update();
    EXPECT_EQ(reasons.front(), EventReason::adRsnUpdate);
    EXPECT_NE(std::find(reasons.begin(), reasons.end(), EventReason::adRsnAddNew), reasons.end());
    EXPECT_EQ(lines->recordCount(), 2);
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM MagazRegDetail")), QStringList{QStringLiteral("4")});

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
    EXPECT_EQ(column(QStringLiteral("SELECT Descrizione FROM MagazRegMain WHERE IdReg = 1")),
              QStringList{QStringLiteral("Carico rivisto")});
    EXPECT_EQ(column(QStringLiteral("SELECT IdDet || ':' || Riga || ':' || \"Quantità\" FROM MagazRegDetail "
                                    "WHERE IdReg = 1 ORDER BY Riga")),
              (QStringList{QStringLiteral("1:10:140"), QStringLiteral("5:30:3.5")}));
    lines->moveLast();
    EXPECT_EQ(lines->value(QStringLiteral("IdDet")), Variant(std::int32_t(5))); // the new key came back
    EXPECT_FALSE(lines->hasPendingChanges());
    EXPECT_EQ(lines->status(), RecordStatus::adRecUnmodified);

    // Edited and saved a second time: the values written are the new originals.
    lines->setValue(QStringLiteral("Quantità"), Variant(4.0));
    lines->moveFirst();
    lines->setValue(QStringLiteral("Quantità"), Variant(130.0));
    header->setValue(QStringLiteral("Descrizione"), Variant("Di nuovo"));
    {
        Connection save(connectionString());
        header->setActiveConnection(save);
        lines->setActiveConnection(save);
        header->updateBatch(AffectRecords::Current);
        lines->updateBatch();
    }
    EXPECT_EQ(column(QStringLiteral("SELECT \"Quantità\" FROM MagazRegDetail WHERE IdReg = 1 ORDER BY Riga")),
              (QStringList{QStringLiteral("130"), QStringLiteral("4")}));
    EXPECT_EQ(column(QStringLiteral("SELECT Descrizione FROM MagazRegMain WHERE IdReg = 1")),
              QStringList{QStringLiteral("Di nuovo")});
}

TEST_F(RecordsetBatch, ChangeByAnotherConnectionFailsTheWholeBatch)
{
    auto lines = load(QStringLiteral("SELECT * FROM MagazRegDetail WHERE IdReg=1 ORDER BY Riga"));
    Connection other(connectionString());
    other.execute(QStringLiteral("UPDATE MagazRegDetail SET [Quantità] = 999 WHERE IdDet = 2"));

    lines->setValue(QStringLiteral("Quantità"), Variant(1.0)); // IdDet 1: unchanged by the other
    lines->moveNext();
    lines->setValue(QStringLiteral("Quantità"), Variant(2.0)); // IdDet 2: changed by the other
    lines->addNew();
    lines->setValue(QStringLiteral("IdReg"), Variant(std::int32_t(1)));
    lines->update();

    const QStringList before = column(QStringLiteral("SELECT IdDet || '=' || \"Quantità\" FROM MagazRegDetail ORDER BY IdDet"));
    lines->setActiveConnection(Connection(connectionString()));
    const auto error = databaseErrorOf([&] { lines->updateBatch(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), DatabaseError::Kind::Conflict);
    EXPECT_EQ(error->number(), ConflictError::Number);
    EXPECT_EQ(column(QStringLiteral("SELECT IdDet || '=' || \"Quantità\" FROM MagazRegDetail ORDER BY IdDet")), before);
    EXPECT_TRUE(lines->hasPendingChanges());
    lines->setAbsolutePosition(2);
    EXPECT_TRUE(lines->status() & RecordStatus::adRecConcurrencyViolation);
    lines->setAbsolutePosition(1);
    EXPECT_FALSE(lines->status() & RecordStatus::adRecConcurrencyViolation);

    // A row deleted meanwhile is a conflict too.
    auto header = load(QStringLiteral("SELECT * FROM MagazRegMain WHERE IdReg=3"));
    other.execute(QStringLiteral("DELETE FROM MagazRegMain WHERE IdReg = 3"));
    header->setValue(QStringLiteral("Descrizione"), Variant("x"));
    header->setActiveConnection(other);
    EXPECT_TRUE(databaseErrorOf([&] { header->updateBatch(AffectRecords::Current); }));
}

TEST_F(RecordsetBatch, ConflictInsideTheProgramsTransactionUndoesTheEarlierBatchToo)
{
    auto header = load(QStringLiteral("MagazRegMain"), CommandType::Table);
    header->addNew();
    header->setValue(QStringLiteral("Causale"), Variant("Carico"));
    header->update();
    auto lines = load(QStringLiteral("SELECT * FROM MagazRegDetail WHERE IdReg=2"));
    Connection(connectionString()).execute(QStringLiteral("UPDATE MagazRegDetail SET Costo = 0.3 WHERE IdDet = 3"));
    lines->setValue(QStringLiteral("Costo"), Variant(0.4));

    Connection save(connectionString());
    save.beginTrans();
    header->setActiveConnection(save);
    lines->setActiveConnection(save);
    header->updateBatch(AffectRecords::Current);
    EXPECT_EQ(header->value(QStringLiteral("IdReg")), Variant(std::int32_t(4)));
    EXPECT_TRUE(databaseErrorOf([&] { lines->updateBatch(); }));
    save.rollbackTrans();

    // Nothing stored, and the header is a new row again, ready for a retry.
    EXPECT_EQ(column(QStringLiteral("SELECT count(*) FROM MagazRegMain")), QStringList{QStringLiteral("3")});
    EXPECT_TRUE(header->value(QStringLiteral("IdReg")).isEmpty());
    EXPECT_EQ(header->status(), RecordStatus::adRecNew);
    header->updateBatch(AffectRecords::Current);
    EXPECT_EQ(column(QStringLiteral("SELECT IdReg || Causale FROM MagazRegMain WHERE IdReg > 3")),
              QStringList{header->value(QStringLiteral("IdReg")).toString() + QStringLiteral("Carico")});
}

TEST_F(RecordsetBatch, CancelBatchRestoresEveryRow)
{
    auto lines = load(QStringLiteral("SELECT * FROM MagazRegDetail ORDER BY IdDet"));
    lines->setValue(QStringLiteral("Costo"), Variant(9.0));
    lines->moveNext();
    lines->deleteRecord();
    lines->addNew();
    lines->setValue(QStringLiteral("Riga"), Variant(std::int32_t(99)));
    lines->update();
    EXPECT_EQ(lines->recordCount(), 4);

    lines->setActiveConnection(Connection(connectionString()));
    lines->cancelBatch();
    lines->setActiveConnection(nullptr);
    EXPECT_FALSE(lines->hasPendingChanges());
    EXPECT_EQ(lines->recordCount(), 4);
    lines->moveFirst();
    EXPECT_EQ(lines->value(QStringLiteral("Costo")), Variant(0.1));
    lines->moveNext();
    EXPECT_EQ(lines->value(QStringLiteral("IdDet")), Variant(std::int32_t(2)));
    lines->moveLast();
    EXPECT_EQ(lines->value(QStringLiteral("IdDet")), Variant(std::int32_t(4)));
}

TEST_F(RecordsetBatch, UpdateBatchOfTheCurrentRowLeavesTheOthersPending)
{
    auto rs = load(QStringLiteral("SELECT * FROM Liste ORDER BY Id"));
    rs->setValue(QStringLiteral("Codice"), Variant("P1"));
    rs->moveNext();
    rs->setValue(QStringLiteral("Codice"), Variant("K1"));
    const auto detached = databaseErrorOf([&] { rs->updateBatch(AffectRecords::Current); });
    ASSERT_TRUE(detached);
    EXPECT_EQ(detached->number(), 3709);

    rs->setActiveConnection(Connection(connectionString()));
    rs->updateBatch(AffectRecords::Current);
    EXPECT_EQ(column(QStringLiteral("SELECT Codice FROM Liste WHERE Chiave = 'um' ORDER BY Id")),
              (QStringList{QStringLiteral("PZ"), QStringLiteral("K1")}));
    EXPECT_TRUE(rs->hasPendingChanges());
}

TEST(FabricatedRecordset, HoldsAppendedFieldsInMemory)
{
    Recordset rs;
    rs.appendField(QStringLiteral("Codice"), DataType::adWChar, 24);
    rs.appendField(QStringLiteral("Descrizione"), DataType::adWChar, 50);
    rs.appendField(QStringLiteral("CodiceFornitore"), DataType::adInteger);
    rs.appendField(QStringLiteral("Prezzo"), DataType::adCurrency);
    rs.open();
    EXPECT_TRUE(rs.isEOF());
    for (int i = 1; i <= 2; ++i) {
        rs.addNew();
        rs.setValue(QStringLiteral("Codice"), Variant(QStringLiteral("CODICE-LUNGHISSIMO-OLTRE-24-%1").arg(i)));
        rs.setValue(QStringLiteral("CodiceFornitore"), Variant(std::int16_t(i)));
        rs.setValue(QStringLiteral("Prezzo"), Variant(1.23456));
        rs.update();
    }
    rs.moveFirst();
    EXPECT_EQ(rs.recordCount(), 2);
    EXPECT_EQ(rs.value(0), Variant("CODICE-LUNGHISSIMO-OLTRE"));
    EXPECT_EQ(rs.field(0).definedSize(), 24);
    EXPECT_EQ(rs.value(QStringLiteral("CodiceFornitore")), Variant(std::int32_t(1)));
    EXPECT_EQ(rs.value(QStringLiteral("Prezzo")), Variant(Currency::fromRaw(12346)));
    EXPECT_TRUE(rs.value(QStringLiteral("Descrizione")).isEmpty());
    EXPECT_EQ(rs.field(3).type(), DataType::adCurrency);
    EXPECT_TRUE(databaseErrorOf([&] { rs.updateBatch(); }));
    EXPECT_TRUE(databaseErrorOf([&] { rs.appendField(QStringLiteral("Late"), DataType::adDouble); }));
}

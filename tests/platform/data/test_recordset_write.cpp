// Writing through a recordset at once (optimistic locking): new rows and
// their AutoNumber, tables without a key, the conflict check on changed
// rows, deletes, conversions by column type, undo and transactions.
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

class RecordsetWrite : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = DataFixture::createSampleDatabase();
        connection.open(DataFixture::connectionString(path));
    }

    std::unique_ptr<Recordset> open(const QString &source, CommandType type = CommandType::Text,
                                    LockType lock = LockType::Optimistic)
    {
        auto rs = std::make_unique<Recordset>();
        rs->open(source, connection, CursorType::Static, lock, type);
        return rs;
    }
    QString stored(const QString &sql) { return DataFixture::queryValue(path, sql); }

    QString path;
    Connection connection;
};

} // namespace

TEST_F(RecordsetWrite, NewRowInATableOpenedByNameGetsItsAutoNumber)
{
    auto rs = open(QStringLiteral("MagazRegMain"), CommandType::Table);
    EXPECT_EQ(rs->recordCount(), 0); // only the field list is read
    rs->addNew();
    EXPECT_TRUE(rs->value(QStringLiteral("IdReg")).isEmpty());
    rs->setValue(QStringLiteral("Causale"), Variant("Carico"));
    rs->setValue(QStringLiteral("DataIns"), Variant(DateTime(2024, 5, 6)));
    rs->update();
    EXPECT_EQ(rs->value(QStringLiteral("IdReg")), Variant(std::int32_t(4)));
    EXPECT_EQ(stored(QStringLiteral("SELECT DataIns || '|' || Causale FROM MagazRegMain WHERE IdReg = 4")),
              QStringLiteral("2024-05-06|Carico"));

    rs->addNew();
    rs->setValue(QStringLiteral("Causale"), Variant("Scarico"));
    rs->update();
    EXPECT_EQ(rs->value(QStringLiteral("IdReg")), Variant(std::int32_t(5)));
    EXPECT_EQ(rs->recordCount(), 2);
}

TEST_F(RecordsetWrite, DefaultsOfColumnsLeftUnsetAreReadBack)
{
    auto rs = open(QStringLiteral("CodiciIVA"), CommandType::Table);
    rs->addNew();
    rs->setValue(QStringLiteral("CodiceIVA"), Variant("4"));
    rs->update();
    EXPECT_EQ(rs->value(QStringLiteral("Predefinito")), Variant(false));
    EXPECT_EQ(stored(QStringLiteral("SELECT Predefinito FROM CodiciIVA WHERE CodiceIVA = '4'")), QStringLiteral("0"));
}

TEST_F(RecordsetWrite, TableWithoutAKeyIsWrittenByRowid)
{
    auto rs = open(QStringLiteral("SELECT * FROM _Pars WHERE k01='maga' AND l01=2024"));
    rs->setValue(QStringLiteral("l02"), Variant(rs->value(QStringLiteral("l02")).toInt32() + 1));
    rs->update();
    EXPECT_EQ(stored(QStringLiteral("SELECT l02 FROM _Pars WHERE k01='maga' AND l01=2024")), QStringLiteral("3.0"));
    EXPECT_EQ(stored(QStringLiteral("SELECT l02 FROM _Pars WHERE k01='maga' AND l01=2025")), QStringLiteral("1.0"));

    // A row added and then changed again through the same recordset.
    auto year = open(QStringLiteral("SELECT * FROM _Pars WHERE k01='maga' AND l01=2030"));
    ASSERT_TRUE(year->isEOF());
    year->addNew();
    year->setValue(QStringLiteral("k01"), Variant("maga"));
    year->setValue(QStringLiteral("l01"), Variant(std::int32_t(2030)));
    year->setValue(QStringLiteral("l02"), Variant(std::int32_t(1)));
    year->update();
    year->setValue(QStringLiteral("l02"), Variant(std::int32_t(2)));
    year->update();
    EXPECT_EQ(DataFixture::queryColumn(path, QStringLiteral("SELECT l02 FROM _Pars WHERE l01 = 2030")),
              QStringList{QStringLiteral("2.0")});

    // Only some of the columns selected, the key among none of them.
    auto decimals = open(QStringLiteral("SELECT k01,l01 FROM _Pars WHERE k01='NumDecQ'"));
    decimals->setValue(QStringLiteral("l01"), Variant(std::int32_t(3)));
    decimals->update();
    EXPECT_EQ(stored(QStringLiteral("SELECT l01 FROM _Pars WHERE k01='NumDecQ'")), QStringLiteral("3.0"));
    EXPECT_EQ(stored(QStringLiteral("SELECT l01 FROM _Pars WHERE k01='NumDecV'")), QStringLiteral("2.0"));
}

TEST_F(RecordsetWrite, UpdateOfARowChangedMeanwhileIsAConflict)
{
    auto rs = open(QStringLiteral("SELECT * FROM Articoli WHERE Codice = 'A001'"));
    Connection other(DataFixture::connectionString(path));
    other.execute(QStringLiteral("UPDATE Articoli SET Costo = 0.5 WHERE Codice = 'A001'"));

    rs->setValue(QStringLiteral("Costo"), Variant(0.7));
    const auto error = databaseErrorOf([&] { rs->update(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), DatabaseError::Kind::Conflict);
    EXPECT_EQ(error->number(), ConflictError::Number);
    EXPECT_EQ(error->description(), ConflictError::standardDescription());
    EXPECT_TRUE(rs->status() & RecordStatus::adRecConcurrencyViolation);
    EXPECT_EQ(stored(QStringLiteral("SELECT Costo FROM Articoli WHERE Codice = 'A001'")), QStringLiteral("0.5"));
    EXPECT_EQ(rs->field(QStringLiteral("Costo")).originalValue(), Variant(0.1));
    EXPECT_EQ(rs->field(QStringLiteral("Costo")).underlyingValue(), Variant(0.5));

    // A column nobody else touched is written, and only that column.
    rs->cancelUpdate();
    rs->setValue(QStringLiteral("Descrizione"), Variant("Vite 3x25"));
    rs->update();
    EXPECT_EQ(stored(QStringLiteral("SELECT Descrizione || '|' || Costo FROM Articoli WHERE Codice = 'A001'")),
              QStringLiteral("Vite 3x25|0.5"));
}

TEST_F(RecordsetWrite, DeleteOfARowAlreadyGoneIsAConflict)
{
    auto first = open(QStringLiteral("SELECT * FROM CliFor WHERE IdCliFor = 3"));
    auto second = open(QStringLiteral("SELECT * FROM CliFor WHERE IdCliFor = 3"));
    first->deleteRecord();
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM CliFor")), QStringLiteral("2"));
    EXPECT_TRUE(databaseErrorOf([&] { first->value(0); })); // the current row was deleted
    first->moveFirst();
    EXPECT_TRUE(first->isEOF());
    const auto error = databaseErrorOf([&] { second->deleteRecord(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), DatabaseError::Kind::Conflict);
}

TEST_F(RecordsetWrite, ValuesAreStoredByTheColumnsType)
{
    auto article = open(QStringLiteral("Articoli"), CommandType::Table);
    article->addNew();
    article->setValue(QStringLiteral("Codice"), Variant("N1"));
    article->setValue(QStringLiteral("Costo"), Variant("12,5"));    // typed in an Italian text box
    article->setValue(QStringLiteral("ScortaMinima"), Variant("7")); // text into a number column
    article->setValue(QStringLiteral("DataIns"), Variant(DateTime(2024, 5, 6, 8, 9, 10)));
    EXPECT_EQ(article->value(QStringLiteral("Costo")), Variant(12.5));
    article->update();
    EXPECT_EQ(stored(QStringLiteral("SELECT typeof(Costo) || ' ' || Costo || ' ' || typeof(ScortaMinima) || ' ' || "
                                    "DataIns FROM Articoli WHERE Codice = 'N1'")),
              QStringLiteral("real 12.5 real 2024-05-06 08:09:10"));

    const auto mismatch = databaseErrorOf([&] { article->setValue(QStringLiteral("Costo"), Variant("dodici")); });
    ASSERT_TRUE(mismatch);
    EXPECT_EQ(mismatch->number(), 13);

    auto line = open(QStringLiteral("MagazRegDetail"), CommandType::Table);
    line->addNew();
    line->setValue(QStringLiteral("Quantità"), Variant(1.23456));
    line->setValue(QStringLiteral("Segno"), Variant(std::int32_t(-1)));
    line->update();
    EXPECT_EQ(line->value(QStringLiteral("Quantità")), Variant(Currency::fromRaw(12346)));
    EXPECT_EQ(stored(QStringLiteral("SELECT \"Quantità\" FROM MagazRegDetail WHERE IdDet = 5")), QStringLiteral("1.2346"));

    auto vat = open(QStringLiteral("SELECT * FROM CodiciIVA WHERE CodiceIVA = '10'"));
    vat->setValue(QStringLiteral("Predefinito"), Variant(std::int32_t(-1))); // any non-zero is true
    vat->setValue(QStringLiteral("Esenzione"), Variant(true));
    vat->update();
    EXPECT_EQ(stored(QStringLiteral("SELECT Predefinito || Esenzione FROM CodiciIVA WHERE CodiceIVA = '10'")),
              QStringLiteral("11"));

    auto customer = open(QStringLiteral("SELECT * FROM CliFor WHERE IdCliFor = 2"));
    customer->setValue(QStringLiteral("CAP"), Variant("00100"));
    customer->setValue(QStringLiteral("Note"), Variant::null());
    customer->update();
    EXPECT_EQ(stored(QStringLiteral("SELECT typeof(CAP) || CAP || typeof(Note) FROM CliFor WHERE IdCliFor = 2")),
              QStringLiteral("text00100null"));
}

TEST_F(RecordsetWrite, CancelUpdateDropsTheEditAndTheNewRow)
{
    auto rs = open(QStringLiteral("SELECT * FROM Liste ORDER BY Id"));
    std::vector<EventReason> reasons;
    QObject::connect(rs.get(), &Recordset::recordChangeComplete, [&](EventReason r) { reasons.push_back(r); });

    rs->moveNext();
    rs->setValue(QStringLiteral("Descrizione"), Variant("Kili"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->value(QStringLiteral("Descrizione")), Variant("Chilogrammi"));

    rs->addNew();
    rs->setValue(QStringLiteral("Chiave"), Variant("cat"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->value(QStringLiteral("Descrizione")), Variant("Chilogrammi")); // back where it was
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM Liste")), QStringLiteral("3"));
    EXPECT_EQ(reasons, (std::vector<EventReason>{EventReason::adRsnUndoUpdate, EventReason::adRsnAddNew,
                                                 EventReason::adRsnUndoAddNew}));
}

TEST_F(RecordsetWrite, MovingOffAnEditedRowWritesIt)
{
    auto rs = open(QStringLiteral("SELECT * FROM Liste ORDER BY Id"));
    rs->setValue(QStringLiteral("Codice"), Variant("NR"));
    rs->moveNext();
    EXPECT_EQ(stored(QStringLiteral("SELECT Codice FROM Liste WHERE Id = 1")), QStringLiteral("NR"));

    rs->addNew(); // nothing typed into it: moving away stores no empty row
    rs->moveFirst();
    EXPECT_EQ(stored(QStringLiteral("SELECT count(*) FROM Liste")), QStringLiteral("3"));
}

TEST_F(RecordsetWrite, ReadOnlyAndJoinedRecordsetsRefuseChanges)
{
    auto readOnly = open(QStringLiteral("SELECT * FROM Liste"), CommandType::Text, LockType::ReadOnly);
    for (const auto &change : std::initializer_list<std::function<void()>>{
             [&] { readOnly->setValue(0, Variant(std::int32_t(9))); },
             [&] { readOnly->addNew(); },
             [&] { readOnly->deleteRecord(); },
         }) {
        const auto error = databaseErrorOf(change);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number(), 3251);
    }
    auto joined = open(QStringLiteral("SELECT Articoli.Codice, CliFor.Nome FROM Articoli "
                                      "INNER JOIN CliFor ON Articoli.IdFornitore = CliFor.IdCliFor"));
    EXPECT_TRUE(databaseErrorOf([&] { joined->setValue(1, Variant("x")); }));
    auto computed = open(QStringLiteral("SELECT Codice, Costo * 2 AS Doppio FROM Articoli"));
    EXPECT_TRUE(databaseErrorOf([&] { computed->setValue(1, Variant(1.0)); }));
    computed->setValue(0, Variant("A009")); // its plain column may still change
}

TEST_F(RecordsetWrite, RollbackOfTheProgramsTransactionUndoesTheRecordsetToo)
{
    auto rs = open(QStringLiteral("SELECT * FROM Articoli WHERE Codice = 'A002'"));
    connection.beginTrans();
    rs->setValue(QStringLiteral("Costo"), Variant(0.07));
    rs->update();
    connection.rollbackTrans();
    EXPECT_EQ(stored(QStringLiteral("SELECT Costo FROM Articoli WHERE Codice = 'A002'")), QStringLiteral("0.05"));
    EXPECT_EQ(rs->field(QStringLiteral("Costo")).originalValue(), Variant(0.05));

    // A second attempt compares with what the database really holds.
    rs->setValue(QStringLiteral("Costo"), Variant(0.08));
    rs->update();
    EXPECT_EQ(stored(QStringLiteral("SELECT Costo FROM Articoli WHERE Codice = 'A002'")), QStringLiteral("0.08"));
}

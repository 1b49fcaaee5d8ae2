// Writing through a recordset at once (optimistic locking): new rows and
// their AutoNumber, tables without a key, the conflict check on changed
// rows, deletes, conversions by column type, undo and transactions.
#include "SampleDbFixture.h"

#include "platform/data/ConflictError.h"

#include <functional>
#include <vector>

using namespace platform;
using namespace Qt::StringLiterals;
using testsupport::DataFixture;
using testsupport::databaseErrorNumber;
using testsupport::databaseErrorOf;

using RecordsetWrite = testsupport::SampleDbTest;

TEST_F(RecordsetWrite, NewRowsGetTheirAutoNumberAndTheColumnDefaults)
{
    auto rs = open(u"MagazRegMain"_s, LockType::Optimistic, CommandType::Table);
    EXPECT_EQ(rs->recordCount(), 0); // only the field list is read
    rs->addNew();
    EXPECT_TRUE(rs->value(u"IdReg"_s).isEmpty());
    rs->setValue(u"Causale"_s, Variant("Carico"));
    rs->setValue(u"DataIns"_s, Variant(DateTime(2024, 5, 6)));
    rs->update();
    EXPECT_EQ(rs->value(u"IdReg"_s), Variant(std::int32_t(4)));
    EXPECT_EQ(stored(u"SELECT DataIns || '|' || Causale FROM MagazRegMain WHERE IdReg = 4"_s), u"2024-05-06|Carico"_s);
    rs->addNew();
    rs->setValue(u"Causale"_s, Variant("Scarico"));
    rs->update();
    EXPECT_EQ(rs->value(u"IdReg"_s), Variant(std::int32_t(5)));
    EXPECT_EQ(rs->recordCount(), 2);

    // Defaults of the columns left unset are read back.
    auto vat = open(u"CodiciIVA"_s, LockType::Optimistic, CommandType::Table);
    vat->addNew();
    vat->setValue(u"CodiceIVA"_s, Variant("4"));
    vat->update();
    EXPECT_EQ(vat->value(u"Predefinito"_s), Variant(false));
    EXPECT_EQ(stored(u"SELECT Predefinito FROM CodiciIVA WHERE CodiceIVA = '4'"_s), u"0"_s);
}

TEST_F(RecordsetWrite, TableWithoutAKeyIsWrittenByRowid)
{
    auto rs = open(u"SELECT * FROM _Pars WHERE k01='maga' AND l01=2024"_s);
    rs->setValue(u"l02"_s, Variant(rs->value(u"l02"_s).toInt32() + 1));
    rs->update();
    EXPECT_EQ(stored(u"SELECT l02 FROM _Pars WHERE k01='maga' AND l01=2024"_s), u"3.0"_s);
    EXPECT_EQ(stored(u"SELECT l02 FROM _Pars WHERE k01='maga' AND l01=2025"_s), u"1.0"_s);

    // A row added and then changed again through the same recordset.
    auto year = open(u"SELECT * FROM _Pars WHERE k01='maga' AND l01=2030"_s);
    ASSERT_TRUE(year->isEOF());
    year->addNew();
    year->setValue(u"k01"_s, Variant("maga"));
    year->setValue(u"l01"_s, Variant(std::int32_t(2030)));
    year->setValue(u"l02"_s, Variant(std::int32_t(1)));
    year->update();
    year->setValue(u"l02"_s, Variant(std::int32_t(2)));
    year->update();
    EXPECT_EQ(column(u"SELECT l02 FROM _Pars WHERE l01 = 2030"_s), QStringList{u"2.0"_s});

    // Only some of the columns selected, the key among none of them.
    auto decimals = open(u"SELECT k01,l01 FROM _Pars WHERE k01='NumDecQ'"_s);
    decimals->setValue(u"l01"_s, Variant(std::int32_t(3)));
    decimals->update();
    EXPECT_EQ(stored(u"SELECT l01 FROM _Pars WHERE k01='NumDecQ'"_s), u"3.0"_s);
    EXPECT_EQ(stored(u"SELECT l01 FROM _Pars WHERE k01='NumDecV'"_s), u"2.0"_s);
}

TEST_F(RecordsetWrite, ChangingARowChangedOrDeletedMeanwhileIsAConflict)
{
    auto rs = open(u"SELECT * FROM Articoli WHERE Codice = 'A001'"_s);
    Connection other(DataFixture::connectionString(path));
    other.execute(u"UPDATE Articoli SET Costo = 0.5 WHERE Codice = 'A001'"_s);

    rs->setValue(u"Costo"_s, Variant(0.7));
    const auto error = databaseErrorOf([&] { rs->update(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), DatabaseError::Kind::Conflict);
    EXPECT_EQ(error->number(), ConflictError::Number);
    EXPECT_EQ(error->description(), ConflictError::standardDescription());
    EXPECT_TRUE(rs->status() & RecordStatus::adRecConcurrencyViolation);
    EXPECT_EQ(stored(u"SELECT Costo FROM Articoli WHERE Codice = 'A001'"_s), u"0.5"_s);
    EXPECT_EQ(rs->field(u"Costo"_s).originalValue(), Variant(0.1));
    EXPECT_EQ(rs->field(u"Costo"_s).underlyingValue(), Variant(0.5));

    // A column nobody else touched is written, and only that column.
    rs->cancelUpdate();
    rs->setValue(u"Descrizione"_s, Variant("Vite 3x25"));
    rs->update();
    EXPECT_EQ(stored(u"SELECT Descrizione || '|' || Costo FROM Articoli WHERE Codice = 'A001'"_s), u"Vite 3x25|0.5"_s);

    // Deleting a row already gone.
    auto first = open(u"SELECT * FROM CliFor WHERE IdCliFor = 3"_s);
    auto second = open(u"SELECT * FROM CliFor WHERE IdCliFor = 3"_s);
    first->deleteRecord();
    EXPECT_EQ(stored(u"SELECT count(*) FROM CliFor"_s), u"2"_s);
    EXPECT_TRUE(databaseErrorOf([&] { first->value(0); })); // the current row was deleted
    first->moveFirst();
    EXPECT_TRUE(first->isEOF());
    const auto gone = databaseErrorOf([&] { second->deleteRecord(); });
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->kind(), DatabaseError::Kind::Conflict);
}

TEST_F(RecordsetWrite, ValuesAreStoredByTheColumnsType)
{
    auto article = open(u"Articoli"_s, LockType::Optimistic, CommandType::Table);
    article->addNew();
    article->setValue(u"Codice"_s, Variant("N1"));
    article->setValue(u"Costo"_s, Variant("12,5"));    // typed in an Italian text box
    article->setValue(u"ScortaMinima"_s, Variant("7")); // text into a number column
    article->setValue(u"DataIns"_s, Variant(DateTime(2024, 5, 6, 8, 9, 10)));
    EXPECT_EQ(article->value(u"Costo"_s), Variant(12.5));
    article->update();
    EXPECT_EQ(stored(u"SELECT typeof(Costo) || ' ' || Costo || ' ' || typeof(ScortaMinima) || ' ' || "
                     u"DataIns FROM Articoli WHERE Codice = 'N1'"_s),
              u"real 12.5 real 2024-05-06 08:09:10"_s);
    EXPECT_EQ(databaseErrorNumber([&] { article->setValue(u"Costo"_s, Variant("dodici")); }), 13);

    auto line = open(u"MagazRegDetail"_s, LockType::Optimistic, CommandType::Table);
    line->addNew();
    line->setValue(u"Quantità"_s, Variant(1.23456));
    line->setValue(u"Segno"_s, Variant(std::int32_t(-1)));
    line->update();
    EXPECT_EQ(line->value(u"Quantità"_s), Variant(Currency::fromRaw(12346)));
    EXPECT_EQ(stored(u"SELECT \"Quantità\" FROM MagazRegDetail WHERE IdDet = 5"_s), u"1.2346"_s);

    auto vat = open(u"SELECT * FROM CodiciIVA WHERE CodiceIVA = '10'"_s);
    vat->setValue(u"Predefinito"_s, Variant(std::int32_t(-1))); // any non-zero is true
    vat->setValue(u"Esenzione"_s, Variant(true));
    vat->update();
    EXPECT_EQ(stored(u"SELECT Predefinito || Esenzione FROM CodiciIVA WHERE CodiceIVA = '10'"_s), u"11"_s);

    auto customer = open(u"SELECT * FROM CliFor WHERE IdCliFor = 2"_s);
    customer->setValue(u"CAP"_s, Variant("00100"));
    customer->setValue(u"Note"_s, Variant::null());
    customer->update();
    EXPECT_EQ(stored(u"SELECT typeof(CAP) || CAP || typeof(Note) FROM CliFor WHERE IdCliFor = 2"_s), u"text00100null"_s);
}

TEST_F(RecordsetWrite, CancelUpdateDropsTheEditMovingOffWritesItAndReadOnlyOrJoinedRecordsetsRefuse)
{
    auto rs = open(u"SELECT * FROM Liste ORDER BY Id"_s);
    std::vector<EventReason> reasons;
    QObject::connect(rs.get(), &Recordset::recordChangeComplete, [&](EventReason r) { reasons.push_back(r); });

    rs->moveNext();
    rs->setValue(u"Descrizione"_s, Variant("Kili"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->value(u"Descrizione"_s), Variant("Chilogrammi"));
    rs->addNew();
    rs->setValue(u"Chiave"_s, Variant("cat"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->value(u"Descrizione"_s), Variant("Chilogrammi")); // back where it was
    EXPECT_EQ(stored(u"SELECT count(*) FROM Liste"_s), u"3"_s);
    EXPECT_EQ(reasons, (std::vector<EventReason>{EventReason::adRsnUndoUpdate, EventReason::adRsnAddNew,
                                                 EventReason::adRsnUndoAddNew}));

    rs->moveFirst();
    rs->setValue(u"Codice"_s, Variant("NR"));
    rs->moveNext();
    EXPECT_EQ(stored(u"SELECT Codice FROM Liste WHERE Id = 1"_s), u"NR"_s);
    rs->addNew(); // nothing typed into it: moving away stores no empty row
    rs->moveFirst();
    EXPECT_EQ(stored(u"SELECT count(*) FROM Liste"_s), u"3"_s);

    // Read-only and joined recordsets refuse changes.
    auto readOnly = open(u"SELECT * FROM Liste"_s, LockType::ReadOnly);
    for (const auto &change : std::initializer_list<std::function<void()>>{
             [&] { readOnly->setValue(0, Variant(std::int32_t(9))); }, [&] { readOnly->addNew(); },
             [&] { readOnly->deleteRecord(); }})
        EXPECT_EQ(databaseErrorNumber(change), 3251);
    auto joined = open(u"SELECT Articoli.Codice, CliFor.Nome FROM Articoli "
                       u"INNER JOIN CliFor ON Articoli.IdFornitore = CliFor.IdCliFor"_s);
    EXPECT_TRUE(databaseErrorOf([&] { joined->setValue(1, Variant("x")); }));
    auto computed = open(u"SELECT Codice, Costo * 2 AS Doppio FROM Articoli"_s);
    EXPECT_TRUE(databaseErrorOf([&] { computed->setValue(1, Variant(1.0)); }));
    computed->setValue(0, Variant("A009")); // its plain column may still change
}

TEST_F(RecordsetWrite, RollbackAtAnyNestingLevelPutsTheRecordsetsBack)
{
    auto vite = open(u"SELECT * FROM Articoli WHERE Codice = 'A001'"_s);
    auto dado = open(u"SELECT * FROM Articoli WHERE Codice = 'A002'"_s);
    auto write = [](Recordset &rs, const char *description) {
        rs.setValue(u"Descrizione"_s, Variant(description));
        rs.update();
    };
    // Both recordsets, and the table as the connection sees it inside its transaction.
    auto descriptions = [&] {
        const auto table = connection.executeQuery(
            u"SELECT group_concat(Descrizione, '|') FROM (SELECT Descrizione FROM Articoli WHERE Codice < 'B' "
            u"ORDER BY Codice)"_s);
        return QStringList{vite->value(u"Descrizione"_s).toString(), dado->value(u"Descrizione"_s).toString(),
                           table->value(0).toString()};
    };

    connection.beginTrans();
    write(*vite, "Vite esterna");
    connection.beginTrans();
    write(*dado, "Dado interno");
    connection.rollbackTrans(); // the inner level: only its write goes
    EXPECT_EQ(descriptions(), (QStringList{u"Vite esterna"_s, u"Dado M3"_s, u"Vite esterna|Dado M3"_s}));

    // A level committed into the outer one is undone with the outer one,
    // not by the rollback of a later inner level.
    connection.beginTrans();
    write(*dado, "Dado confermato");
    connection.commitTrans();
    connection.beginTrans();
    connection.rollbackTrans();
    EXPECT_EQ(dado->value(u"Descrizione"_s), Variant("Dado confermato"));
    connection.rollbackTrans();
    EXPECT_EQ(descriptions(), (QStringList{u"Vite 3x20"_s, u"Dado M3"_s, u"Vite 3x20|Dado M3"_s}));
    EXPECT_EQ(vite->field(u"Descrizione"_s).originalValue(), Variant("Vite 3x20"));

    // A second attempt compares with what the database really holds.
    write(*dado, "Dado M4");
    EXPECT_EQ(descriptions(), (QStringList{u"Vite 3x20"_s, u"Dado M4"_s, u"Vite 3x20|Dado M4"_s}));
}

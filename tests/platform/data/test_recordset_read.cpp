// Reading through a recordset: cursors and positions, field names, types,
// sizes and typed values, the client-side filter, find and bookmarks.
#include "SampleDbFixture.h"

#include "platform/data/DatabaseError.h"

using namespace platform;
using namespace Qt::StringLiterals;
using testsupport::DataFixture;
using testsupport::databaseErrorNumber;
using testsupport::databaseErrorOf;

namespace {

class RecordsetRead : public testsupport::SampleDbTest
{
protected:
    std::unique_ptr<Recordset> read(const QString &sql, CursorType cursor = CursorType::Static)
    {
        return open(sql, LockType::ReadOnly, CommandType::Text, cursor);
    }
};

} // namespace

TEST_F(RecordsetRead, StaticCursorMovesBothWaysFindsAndKnowsItsPositionForwardOnlyRefusesToGoBack)
{
    auto rs = read(u"SELECT Codice, Costo FROM Articoli ORDER BY Codice"_s);
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_FALSE(rs->isBOF());
    EXPECT_EQ(rs->value(0), Variant("A001"));
    EXPECT_EQ(rs->absolutePosition(), 1);
    rs->moveLast();
    EXPECT_EQ(rs->value(0), Variant("B001"));
    // Rows are read without moving.
    ASSERT_EQ(rs->rowCount(), 3);
    EXPECT_EQ(rs->valueAt(1, 0), Variant("A002"));
    EXPECT_EQ(rs->valueAt(0, 1), Variant(0.1));
    EXPECT_EQ(rs->value(0), Variant("B001"));
    rs->movePrevious();
    EXPECT_EQ(rs->absolutePosition(), 2);
    rs->moveNext();
    rs->moveNext();
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->absolutePosition(), Recordset::PositionEOF);
    EXPECT_EQ(databaseErrorNumber([&] { rs->moveNext(); }), 3021);
    EXPECT_TRUE(databaseErrorOf([&] { rs->value(0); }));
    rs->setAbsolutePosition(2);
    EXPECT_EQ(rs->value(0), Variant("A002"));
    rs->moveFirst();
    rs->movePrevious();
    EXPECT_TRUE(rs->isBOF());
    EXPECT_FALSE(rs->isEOF());
    // Find and bookmarks position on a row; a find that fails ends past the last.
    EXPECT_TRUE(rs->find(u"Costo = 0.05"_s));
    const Recordset::Bookmark mark = rs->bookmark();
    rs->moveFirst();
    rs->setBookmark(mark);
    EXPECT_EQ(rs->value(0), Variant("A002"));
    EXPECT_FALSE(rs->find(u"Codice = 'Z'"_s));
    EXPECT_TRUE(rs->isEOF());

    // An empty result is both BOF and EOF and still has its fields.
    auto none = read(u"SELECT * FROM Articoli WHERE Codice = 'none'"_s);
    EXPECT_TRUE(none->isBOF());
    EXPECT_TRUE(none->isEOF());
    EXPECT_EQ(none->recordCount(), 0);
    none->moveFirst();
    EXPECT_TRUE(none->isEOF());
    EXPECT_EQ(none->fieldCount(), 16);

    // A forward-only cursor refuses to go back.
    auto forward = read(u"SELECT l01 FROM _Pars WHERE k01='NumDecQ'"_s, CursorType::ForwardOnly);
    EXPECT_EQ(forward->recordCount(), -1);
    EXPECT_EQ(forward->value(u"l01"_s), Variant(2.0));
    EXPECT_EQ(databaseErrorNumber([&] { forward->movePrevious(); }), DatabaseError::ForwardOnlyNumber);
    forward->moveNext();
    EXPECT_TRUE(forward->isEOF());
}

TEST_F(RecordsetRead, FieldsAreNamedAsTheQueryWritesThemAndFoundInAnyCase)
{
    auto rs = read(u"SELECT IdCliFor, Nome AS Fornitore, pIVA, [Località] FROM CliFor ORDER BY IdCliFor"_s);
    ASSERT_EQ(rs->fieldCount(), 4);
    EXPECT_EQ(rs->field(1).name(), u"Fornitore"_s);
    EXPECT_EQ(rs->field(2).name(), u"pIVA"_s);
    EXPECT_EQ(rs->field(3).name(), u"Località"_s);
    EXPECT_EQ(rs->value(u"PIVA"_s), Variant("01234567890"));
    EXPECT_EQ(rs->value(u"località"_s), Variant("Roma"));
    EXPECT_EQ(rs->fieldIndex(u"FORNITORE"_s), 1);
    EXPECT_EQ(databaseErrorNumber([&] { rs->value(u"Telefono"_s); }), 3265);

    EXPECT_EQ(read(u"SELECT IdCliFor, Nome, pIVA FROM ViewClienti"_s)->field(2).name(), u"pIVA"_s);
    auto star = read(u"SELECT Articoli.*, CliFor.Nome AS Fornitore FROM Articoli "
                     u"LEFT JOIN CliFor ON Articoli.IdFornitore = CliFor.IdCliFor"_s);
    EXPECT_EQ(star->fieldCount(), 17);
    EXPECT_EQ(star->field(0).name(), u"Codice"_s);
    EXPECT_EQ(star->field(16).name(), u"Fornitore"_s);
}

TEST_F(RecordsetRead, EachDeclaredTypeGivesItsFieldTypeAndValuesWithNullApartFromEmpty)
{
    // One column of each declared type: a row of Nulls, a row of values (a
    // text and a blob each larger than a chunk of the rows' byte store), and
    // a row of zeros, empty texts and an empty blob.
    DataFixture::runSql(path, u"CREATE TABLE Tipi (Id INTEGER PRIMARY KEY, T VARCHAR(20), L LONGTEXT, N DOUBLE, "
                              u"F FLOAT, I INTEGER, S SMALLINT, C CURRENCY, D DATETIME, B YESNO, X BLOB);"
                              u"INSERT INTO Tipi (Id) VALUES (1);"
                              u"INSERT INTO Tipi VALUES (2, '00123', replace(hex(zeroblob(80000)), '00', 'Quantità € '), "
                              u"0.1, 2.5, 7, -1, 1.2345, '2024-02-29 10:30:00', 1, "
                              u"CAST(zeroblob(1100000) || X'01FF' AS BLOB));"
                              u"INSERT INTO Tipi VALUES (3, '', '', 0, 0, 0, 0, 0, '2024-03-05', 0, X'')"_s);
    QByteArray blob(1100000, '\0');
    blob.append("\x01\xff");
    struct Expected {
        DataType type;
        int size;
        Variant value;
        Variant zero;
    };
    const std::vector<Expected> fields{
        {DataType::adVarWChar, 20, Variant("00123"), Variant(QString())}, // text stays text, leading zeros and all
        {DataType::adLongVarWChar, ColumnType::LongTextSize, Variant(u"Quantità € "_s.repeated(80000)),
         Variant(QString())},
        {DataType::adDouble, 8, Variant(0.1), Variant(0.0)}, {DataType::adDouble, 8, Variant(2.5), Variant(0.0)},
        {DataType::adInteger, 4, Variant(std::int32_t(7)), Variant(std::int32_t(0))},
        {DataType::adSmallInt, 2, Variant(std::int16_t(-1)), Variant(std::int16_t(0))},
        {DataType::adCurrency, 8, Variant(Currency::fromRaw(12345)), Variant(Currency())},
        {DataType::adDate, 8, Variant(DateTime(2024, 2, 29, 10, 30)), Variant(DateTime(2024, 3, 5))},
        {DataType::adBoolean, 2, Variant(true), Variant(false)},
        {DataType::adLongVarBinary, ColumnType::LongBinarySize, Variant(blob), Variant(QByteArray())}};
    auto rs = read(u"SELECT T, L, N, F, I, S, C, D, B, X FROM Tipi ORDER BY Id"_s);
    ASSERT_EQ(rs->rowCount(), 3);
    ASSERT_EQ(rs->fieldCount(), static_cast<int>(fields.size()));
    for (int f = 0; f < rs->fieldCount(); ++f) {
        const Expected &e = fields[static_cast<size_t>(f)];
        SCOPED_TRACE(rs->field(f).name().toStdString());
        EXPECT_EQ(rs->field(f).type(), e.type);
        EXPECT_EQ(rs->field(f).definedSize(), e.size);
        const Variant wanted[] = {Variant::null(), e.value, e.zero};
        for (int row = 0; row < 3; ++row) {
            const Variant value = rs->valueAt(row, f);
            EXPECT_EQ(value.type(), wanted[row].type()) << "row " << row;
            EXPECT_TRUE(value == wanted[row]) << "row " << row;
        }
    }

    // A computed column takes the kind of its values.
    auto computed = read(u"SELECT Count(*) AS N, Max(Costo) AS M, Max(Codice) AS T, Max(Note) AS Z FROM Articoli"_s);
    EXPECT_EQ(computed->field(0).type(), DataType::adInteger);
    EXPECT_EQ(computed->field(1).type(), DataType::adDouble);
    EXPECT_EQ(computed->field(2).type(), DataType::adLongVarWChar);
    EXPECT_EQ(computed->field(3).type(), DataType::adVariant); // only Nulls: no kind to tell
    EXPECT_EQ(computed->field(1).baseTable(), QString());
}

TEST_F(RecordsetRead, FilterComparesNumbersRoundedToFourDecimalsAndRequeryUsesTheRecordsetsOwnConnection)
{
    // Costs that cancel out in floating point leave a tiny remainder.
    DataFixture::runSql(
        path, u"INSERT INTO MagazRegDetail (IdReg, CodiceArticolo, Costo) VALUES (9, 'Z', 0.1), (9, 'Z', 0.2), (9, 'Z', -0.3)"_s);
    auto rs = read(u"SELECT CodiceArticolo, Sum(Costo) AS Q FROM MagazRegDetail GROUP BY CodiceArticolo ORDER BY CodiceArticolo"_s);
    ASSERT_EQ(rs->recordCount(), 3);
    rs->setFilter(u"Q<>0"_s);
    EXPECT_EQ(rs->recordCount(), 2);
    for (rs->moveFirst(); !rs->isEOF(); rs->moveNext())
        EXPECT_NE(rs->value(0), Variant("Z"));
    rs->setFilter(u"Q = 0 OR CodiceArticolo = 'a002'"_s);
    EXPECT_EQ(rs->recordCount(), 2);
    rs->setFilter(QString());
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(databaseErrorNumber([&] { rs->setFilter(u"Nope <> 0"_s); }), 3001);

    // The recordset keeps its connection alive for a later requery.
    Recordset alive;
    {
        Connection own(DataFixture::connectionString(path));
        alive.open(u"SELECT Codice FROM Articoli"_s, own, CursorType::Static);
    }
    ASSERT_TRUE(alive.activeConnection());
    EXPECT_TRUE(alive.activeConnection()->isOpen());
    DataFixture::runSql(path, u"DELETE FROM Articoli WHERE Codice = 'B001'"_s);
    alive.requery();
    EXPECT_EQ(alive.recordCount(), 2);
}

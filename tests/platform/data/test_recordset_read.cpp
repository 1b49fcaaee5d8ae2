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

TEST_F(RecordsetRead, StaticCursorMovesBothWaysAndKnowsItsPosition)
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

    // An empty result is both BOF and EOF and still has its fields.
    auto none = read(u"SELECT * FROM Articoli WHERE Codice = 'none'"_s);
    EXPECT_TRUE(none->isBOF());
    EXPECT_TRUE(none->isEOF());
    EXPECT_EQ(none->recordCount(), 0);
    none->moveFirst();
    EXPECT_TRUE(none->isEOF());
    EXPECT_EQ(none->fieldCount(), 16);
}

TEST_F(RecordsetRead, ForwardOnlyCursorRefusesToGoBack)
{
    auto rs = read(u"SELECT l01 FROM _Pars WHERE k01='NumDecQ'"_s, CursorType::ForwardOnly);
    EXPECT_EQ(rs->recordCount(), -1);
    EXPECT_EQ(rs->value(u"l01"_s), Variant(2.0));
    EXPECT_EQ(databaseErrorNumber([&] { rs->movePrevious(); }), DatabaseError::ForwardOnlyNumber);
    rs->moveNext();
    EXPECT_TRUE(rs->isEOF());
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

TEST_F(RecordsetRead, FieldTypesAndSizesComeFromTheDeclaredTypes)
{
    const auto expectType = [this](const char *table, const char *name, DataType type, int size) {
        const auto rs = read(u"SELECT * FROM "_s + QString::fromUtf8(table));
        const Field f = rs->field(QString::fromUtf8(name));
        EXPECT_EQ(f.type(), type) << name;
        EXPECT_EQ(f.definedSize(), size) << name;
    };
    expectType("Articoli", "Codice", DataType::adVarWChar, 40);
    expectType("Articoli", "Descrizione", DataType::adVarWChar, 255);
    expectType("Articoli", "Note", DataType::adLongVarWChar, ColumnType::LongTextSize);
    expectType("Articoli", "Costo", DataType::adDouble, 8);
    expectType("Articoli", "ScortaMinima", DataType::adDouble, 8);
    expectType("Articoli", "IdFornitore", DataType::adInteger, 4);
    expectType("Articoli", "DataIns", DataType::adDate, 8);
    expectType("MagazRegDetail", "Quantità", DataType::adCurrency, 8);
    expectType("MagazRegDetail", "Segno", DataType::adSmallInt, 2);
    expectType("CodiciIVA", "Predefinito", DataType::adBoolean, 2);
    expectType("_Pars", "m01", DataType::adLongVarBinary, ColumnType::LongBinarySize);

    auto computed = read(u"SELECT Count(*) AS N, Max(Costo) AS M, Max(Codice) AS T, Max(Note) AS Z FROM Articoli"_s);
    EXPECT_EQ(computed->field(0).type(), DataType::adInteger);
    EXPECT_EQ(computed->field(1).type(), DataType::adDouble);
    EXPECT_EQ(computed->field(2).type(), DataType::adLongVarWChar);
    EXPECT_EQ(computed->field(3).type(), DataType::adVariant); // only Nulls: no kind to tell
    EXPECT_EQ(computed->field(1).baseTable(), QString());
}

TEST_F(RecordsetRead, EveryKindOfValueComesBackAsStoredAndNullStaysApartFromEmpty)
{
    // One column of each declared type: a row of Nulls, a row of values (a
    // text and a blob each larger than a chunk of the rows' byte store), and
    // a row of empty texts and an empty blob.
    DataFixture::runSql(path, u"CREATE TABLE Tipi (Id INTEGER PRIMARY KEY, T VARCHAR(20), L LONGTEXT, N DOUBLE, "
                              u"I INTEGER, S SMALLINT, C CURRENCY, D DATETIME, B YESNO, X BLOB);"
                              u"INSERT INTO Tipi (Id) VALUES (1);"
                              u"INSERT INTO Tipi VALUES (2, '00123', replace(hex(zeroblob(80000)), '00', 'Quantità € '), "
                              u"0.1, 7, -1, 1.2345, '2024-02-29 10:30:00', 1, CAST(zeroblob(1100000) || X'01FF' AS BLOB));"
                              u"INSERT INTO Tipi VALUES (3, '', '', 0, 0, 0, 0, '2024-03-05', 0, X'')"_s);
    auto rs = read(u"SELECT T, L, N, I, S, C, D, B, X FROM Tipi ORDER BY Id"_s);
    const QString longText = u"Quantità € "_s.repeated(80000);
    QByteArray blob(1100000, '\0');
    blob.append("\x01\xff");
    const std::vector<std::vector<Variant>> expected{
        std::vector<Variant>(9, Variant::null()),
        {Variant("00123"), Variant(longText), Variant(0.1), Variant(std::int32_t(7)), Variant(std::int16_t(-1)),
         Variant(Currency::fromRaw(12345)), Variant(DateTime(2024, 2, 29, 10, 30)), Variant(true), Variant(blob)},
        {Variant(QString()), Variant(QString()), Variant(0.0), Variant(std::int32_t(0)), Variant(std::int16_t(0)),
         Variant(Currency()), Variant(DateTime(2024, 3, 5)), Variant(false), Variant(QByteArray())}};
    ASSERT_EQ(rs->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        for (int field = 0; field < rs->fieldCount(); ++field) {
            const Variant value = rs->valueAt(row, field);
            const Variant &wanted = expected[static_cast<size_t>(row)][static_cast<size_t>(field)];
            EXPECT_EQ(value.type(), wanted.type()) << "row " << row << ", " << rs->field(field).name().toStdString();
            EXPECT_TRUE(value == wanted) << "row " << row << ", " << rs->field(field).name().toStdString();
        }
    }
}

TEST_F(RecordsetRead, FilterComparesNumbersRoundedToFourDecimals)
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
}

TEST_F(RecordsetRead, FindAndBookmarksPositionOnARow)
{
    auto rs = read(u"SELECT CodiceIVA, Descrizione, Aliquota FROM CodiciIVA ORDER BY Descrizione"_s);
    EXPECT_TRUE(rs->find(u"CodiceIVA = '10'"_s));
    EXPECT_EQ(rs->value(u"Aliquota"_s), Variant(10.0));
    const Recordset::Bookmark mark = rs->bookmark();
    rs->moveFirst();
    EXPECT_EQ(rs->value(0), Variant("22"));
    rs->setBookmark(mark);
    EXPECT_EQ(rs->value(0), Variant("10"));
    EXPECT_FALSE(rs->find(u"CodiceIVA = '4'"_s));
    EXPECT_TRUE(rs->isEOF());
}

TEST_F(RecordsetRead, RecordsetKeepsItsConnectionAlive)
{
    Recordset rs;
    {
        Connection own(DataFixture::connectionString(path));
        rs.open(u"SELECT Codice FROM Articoli"_s, own, CursorType::Static);
    }
    ASSERT_TRUE(rs.activeConnection());
    EXPECT_TRUE(rs.activeConnection()->isOpen());
    DataFixture::runSql(path, u"DELETE FROM Articoli WHERE Codice = 'B001'"_s);
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 2);
}

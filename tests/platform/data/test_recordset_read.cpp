// Reading through a recordset: cursors and positions, field names, types,
// sizes and typed values, the client-side filter, find and bookmarks.
#include "DataFixture.h"

#include "platform/data/Connection.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Recordset.h"

#include <gtest/gtest.h>

using namespace platform;
using testsupport::DataFixture;
using testsupport::databaseErrorOf;

namespace {

class RecordsetRead : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = DataFixture::createSampleDatabase();
        connection.open(DataFixture::connectionString(path));
    }

    std::unique_ptr<Recordset> open(const QString &sql, CursorType cursor = CursorType::Static)
    {
        auto rs = std::make_unique<Recordset>();
        rs->open(sql, connection, cursor, LockType::ReadOnly);
        return rs;
    }

    QString path;
    Connection connection;
};

} // namespace

TEST_F(RecordsetRead, StaticCursorMovesBothWaysAndKnowsItsPosition)
{
    auto rs = open(QStringLiteral("SELECT Codice FROM Articoli ORDER BY Codice"));
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_FALSE(rs->isBOF());
    EXPECT_EQ(rs->value(0), Variant("A001"));
    EXPECT_EQ(rs->absolutePosition(), 1);
    rs->moveLast();
    EXPECT_EQ(rs->value(0), Variant("B001"));
    rs->movePrevious();
    EXPECT_EQ(rs->absolutePosition(), 2);
    rs->moveNext();
    rs->moveNext();
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->absolutePosition(), Recordset::PositionEOF);
    const auto pastEnd = databaseErrorOf([&] { rs->moveNext(); });
    ASSERT_TRUE(pastEnd);
    EXPECT_EQ(pastEnd->number(), 3021);
    EXPECT_TRUE(databaseErrorOf([&] { rs->value(0); }));
    rs->setAbsolutePosition(2);
    EXPECT_EQ(rs->value(0), Variant("A002"));
    rs->moveFirst();
    rs->movePrevious();
    EXPECT_TRUE(rs->isBOF());
    EXPECT_FALSE(rs->isEOF());
}

TEST_F(RecordsetRead, EmptyResultIsBothBOFAndEOF)
{
    auto rs = open(QStringLiteral("SELECT * FROM Articoli WHERE Codice = 'none'"));
    EXPECT_TRUE(rs->isBOF());
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->recordCount(), 0);
    rs->moveFirst();
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->fieldCount(), 16); // the fields are there without rows
}

TEST_F(RecordsetRead, ForwardOnlyCursorRefusesToGoBack)
{
    auto rs = open(QStringLiteral("SELECT l01 FROM _Pars WHERE k01='NumDecQ'"), CursorType::ForwardOnly);
    EXPECT_EQ(rs->recordCount(), -1);
    EXPECT_EQ(rs->value(QStringLiteral("l01")), Variant(2.0));
    const auto back = databaseErrorOf([&] { rs->movePrevious(); });
    ASSERT_TRUE(back);
    EXPECT_EQ(back->number(), DatabaseError::ForwardOnlyNumber);
    rs->moveNext();
    EXPECT_TRUE(rs->isEOF());
}

TEST_F(RecordsetRead, FieldsAreNamedAsTheQueryWritesThemAndFoundInAnyCase)
{
    auto rs = open(QStringLiteral("SELECT IdCliFor, Nome AS Fornitore, pIVA, [Località] FROM CliFor ORDER BY IdCliFor"));
    ASSERT_EQ(rs->fieldCount(), 4);
    EXPECT_EQ(rs->field(1).name(), QStringLiteral("Fornitore"));
    EXPECT_EQ(rs->field(2).name(), QStringLiteral("pIVA"));
    EXPECT_EQ(rs->field(3).name(), QStringLiteral("Località"));
    EXPECT_EQ(rs->value(QStringLiteral("PIVA")), Variant("01234567890"));
    EXPECT_EQ(rs->value(QStringLiteral("località")), Variant("Roma"));
    EXPECT_EQ(rs->fieldIndex(QStringLiteral("FORNITORE")), 1);
    const auto unknown = databaseErrorOf([&] { rs->value(QStringLiteral("Telefono")); });
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->number(), 3265);

    auto view = open(QStringLiteral("SELECT IdCliFor, Nome, pIVA FROM ViewClienti"));
    EXPECT_EQ(view->field(2).name(), QStringLiteral("pIVA"));

    auto star = open(QStringLiteral("SELECT Articoli.*, CliFor.Nome AS Fornitore FROM Articoli "
                                    "LEFT JOIN CliFor ON Articoli.IdFornitore = CliFor.IdCliFor"));
    EXPECT_EQ(star->fieldCount(), 17);
    EXPECT_EQ(star->field(0).name(), QStringLiteral("Codice"));
    EXPECT_EQ(star->field(16).name(), QStringLiteral("Fornitore"));
}

TEST_F(RecordsetRead, FieldTypesAndSizesComeFromTheDeclaredTypes)
{
    auto articoli = open(QStringLiteral("SELECT * FROM Articoli"));
    auto expectType = [](Recordset &rs, const char *name, DataType type, int size) {
        const Field f = rs.field(QString::fromUtf8(name));
        EXPECT_EQ(f.type(), type) << name;
        EXPECT_EQ(f.definedSize(), size) << name;
    };
    expectType(*articoli, "Codice", DataType::adVarWChar, 40);
    expectType(*articoli, "Descrizione", DataType::adVarWChar, 255);
    expectType(*articoli, "Note", DataType::adLongVarWChar, ColumnType::LongTextSize);
    expectType(*articoli, "Costo", DataType::adDouble, 8);
    expectType(*articoli, "ScortaMinima", DataType::adDouble, 8);
    expectType(*articoli, "IdFornitore", DataType::adInteger, 4);
    expectType(*articoli, "DataIns", DataType::adDate, 8);

    auto detail = open(QStringLiteral("SELECT * FROM MagazRegDetail"));
    expectType(*detail, "Quantità", DataType::adCurrency, 8);
    expectType(*detail, "Segno", DataType::adSmallInt, 2);
    auto iva = open(QStringLiteral("SELECT * FROM CodiciIVA"));
    expectType(*iva, "Predefinito", DataType::adBoolean, 2);
    auto pars = open(QStringLiteral("SELECT * FROM _Pars"));
    expectType(*pars, "m01", DataType::adLongVarBinary, ColumnType::LongBinarySize);

    auto computed = open(QStringLiteral(
        "SELECT Count(*) AS N, Max(Costo) AS M, Max(Codice) AS T, Max(Note) AS Z FROM Articoli"));
    EXPECT_EQ(computed->field(0).type(), DataType::adInteger);
    EXPECT_EQ(computed->field(1).type(), DataType::adDouble);
    EXPECT_EQ(computed->field(2).type(), DataType::adLongVarWChar);
    EXPECT_EQ(computed->field(3).type(), DataType::adVariant); // only Nulls: no kind to tell
    EXPECT_EQ(computed->field(1).baseTable(), QString());
}

TEST_F(RecordsetRead, ValuesHaveTheFieldsKindAndNullIsNotEmpty)
{
    auto rs = open(QStringLiteral("SELECT * FROM Articoli ORDER BY Codice"));
    EXPECT_EQ(rs->value(QStringLiteral("Costo")), Variant(0.1));
    EXPECT_EQ(rs->value(QStringLiteral("IdFornitore")), Variant(std::int32_t(1)));
    EXPECT_EQ(rs->value(QStringLiteral("DataIns")), Variant(DateTime(2024, 1, 2)));
    EXPECT_TRUE(rs->value(QStringLiteral("Note")).isNull());
    EXPECT_FALSE(rs->value(QStringLiteral("Note")).isEmpty());
    rs->moveLast();
    EXPECT_EQ(rs->value(QStringLiteral("DataIns")), Variant(DateTime(2024, 3, 5, 10, 30)));
    EXPECT_TRUE(rs->value(QStringLiteral("IdFornitore")).isNull());

    auto detail = open(QStringLiteral("SELECT Quantità, Segno FROM MagazRegDetail WHERE IdDet = 2"));
    EXPECT_EQ(detail->value(0), Variant(Currency::fromRaw(125000)));
    EXPECT_EQ(detail->value(1), Variant(std::int16_t(1)));

    auto iva = open(QStringLiteral("SELECT Predefinito, Esenzione FROM CodiciIVA WHERE CodiceIVA = '22'"));
    EXPECT_EQ(iva->value(0), Variant(true));
    EXPECT_EQ(iva->value(1), Variant(false));

    auto cap = open(QStringLiteral("SELECT CAP FROM CliFor WHERE IdCliFor = 1"));
    EXPECT_EQ(cap->value(0), Variant("00123")); // text stays text, leading zeros and all
}

TEST_F(RecordsetRead, FilterComparesNumbersRoundedToFourDecimals)
{
    // Costs that cancel out in floating point leave a tiny remainder.
    DataFixture::runSql(path, QStringLiteral(
        "INSERT INTO MagazRegDetail (IdReg, CodiceArticolo, Costo) VALUES (9, 'Z', 0.1), (9, 'Z', 0.2), (9, 'Z', -0.3)"));
    auto rs = open(QStringLiteral("SELECT CodiceArticolo, Sum(Costo) AS Q FROM MagazRegDetail GROUP BY CodiceArticolo "
                                  "ORDER BY CodiceArticolo"));
    ASSERT_EQ(rs->recordCount(), 3);
    rs->setFilter(QStringLiteral("Q<>0"));
    EXPECT_EQ(rs->recordCount(), 2);
    for (rs->moveFirst(); !rs->isEOF(); rs->moveNext())
        EXPECT_NE(rs->value(0), Variant("Z"));
    rs->setFilter(QStringLiteral("Q = 0 OR CodiceArticolo = 'a002'"));
    EXPECT_EQ(rs->recordCount(), 2);
    rs->setFilter(QString());
    EXPECT_EQ(rs->recordCount(), 3);
    const auto bad = databaseErrorOf([&] { rs->setFilter(QStringLiteral("Nope <> 0")); });
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->number(), 3001);
}

TEST_F(RecordsetRead, FindAndBookmarksPositionOnARow)
{
    auto rs = open(QStringLiteral("SELECT CodiceIVA, Descrizione, Aliquota FROM CodiciIVA ORDER BY Descrizione"));
    EXPECT_TRUE(rs->find(QStringLiteral("CodiceIVA = '10'")));
    EXPECT_EQ(rs->value(QStringLiteral("Aliquota")), Variant(10.0));
    const Recordset::Bookmark mark = rs->bookmark();
    rs->moveFirst();
    EXPECT_EQ(rs->value(0), Variant("22"));
    rs->setBookmark(mark);
    EXPECT_EQ(rs->value(0), Variant("10"));
    EXPECT_FALSE(rs->find(QStringLiteral("CodiceIVA = '4'")));
    EXPECT_TRUE(rs->isEOF());
}

TEST_F(RecordsetRead, RecordsetKeepsItsConnectionAlive)
{
    Recordset rs;
    {
        Connection own(DataFixture::connectionString(path));
        rs.open(QStringLiteral("SELECT Codice FROM Articoli"), own, CursorType::Static);
    }
    ASSERT_TRUE(rs.activeConnection());
    EXPECT_TRUE(rs.activeConnection()->isOpen());
    DataFixture::runSql(path, QStringLiteral("DELETE FROM Articoli WHERE Codice = 'B001'"));
    rs.requery();
    EXPECT_EQ(rs.recordCount(), 2);
}

TEST_F(RecordsetRead, ModelAccessReadsRowsWithoutMoving)
{
    auto rs = open(QStringLiteral("SELECT Codice, Costo FROM Articoli ORDER BY Codice"));
    rs->moveLast();
    ASSERT_EQ(rs->rowCount(), 3);
    EXPECT_EQ(rs->valueAt(1, 0), Variant("A002"));
    EXPECT_EQ(rs->valueAt(0, 1), Variant(0.1));
    EXPECT_EQ(rs->value(0), Variant("B001"));
}

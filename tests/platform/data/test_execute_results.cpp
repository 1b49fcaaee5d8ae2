// What a statement run through the connection stores and answers: values
// bound by the column or the declared parameter they meet (currency rounded
// to four decimals), and the count of the rows the statement changed.
#include "SampleDbFixture.h"

using namespace platform;
using namespace Qt::StringLiterals;

using ExecuteResults = testsupport::SampleDbTest;

TEST_F(ExecuteResults, ValuesBoundToACurrencyAreStoredRoundedToFourDecimals)
{
    connection.execute(u"UPDATE MagazRegDetail SET [Quantità] = ? WHERE IdDet = 1"_s, {Variant(1.23456)});
    connection.execute(u"INSERT INTO MagazRegDetail (IdDet, IdReg, [Quantità]) VALUES (?, 1, ?)"_s,
                       {Variant(std::int32_t(9)), Variant("2,71828")});
    // Into a double column, a parameter declared as currency is rounded as its type says.
    connection.execute(u"PARAMETERS q Currency, id Long; UPDATE MagazRegDetail SET Costo = [q] WHERE IdDet = [id]"_s,
                       {Variant(0.123456), Variant(std::int32_t(2))});
    EXPECT_EQ(column(u"SELECT IdDet || '=' || \"Quantità\" || '/' || ifnull(Costo, '') FROM MagazRegDetail "
                     u"WHERE IdDet IN (1, 2, 9) ORDER BY IdDet"_s),
              (QStringList{u"1=1.2346/0.1"_s, u"2=12.5/0.1235"_s, u"9=2.7183/"_s}));
}

TEST_F(ExecuteResults, StatementsThatChangeNoRowsCountNoneWhateverRanBefore)
{
    const QStringList statements{u"CREATE TABLE Nuova (Id INTEGER)"_s, u"CREATE INDEX Nuova_Id ON Nuova (Id)"_s,
                                 u"ALTER TABLE Nuova ADD COLUMN Nome TEXT(10)"_s, u"DROP TABLE Nuova"_s,
                                 u"DELETE FROM Articoli WHERE Codice = 'none'"_s};
    for (const QString &statement : statements) {
        EXPECT_EQ(connection.execute(u"UPDATE Articoli SET Costo = Costo WHERE IdFornitore = 1"_s), 2);
        EXPECT_EQ(connection.execute(statement), 0) << statement.toStdString();
    }
}

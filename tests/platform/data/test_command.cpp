// Commands with positional parameters, stored parameter queries run by
// name or used as tables, and the query catalogue that CREATE PROCEDURE
// writes to.
#include "DataFixture.h"

#include "platform/data/Catalog.h"
#include "platform/data/Command.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"

#include <gtest/gtest.h>

using namespace platform;
using testsupport::DataFixture;
using testsupport::databaseErrorOf;

namespace {

class CommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = DataFixture::createSampleDatabase();
        connection.open(DataFixture::connectionString(path));
    }

    QStringList codes(Recordset &rs, const QString &field = QStringLiteral("Codice"))
    {
        QStringList list;
        for (rs.moveFirst(); !rs.isEOF(); rs.moveNext())
            list.append(rs.value(field).toString());
        return list;
    }

    QString path;
    Connection connection;
};

} // namespace

TEST_F(CommandTest, ParametersOfAStoredQueryUsedAsATableBindInDeclaredOrder)
{
    Command command(connection, QStringLiteral("SELECT Codice, Giacenza FROM RepGiacenze WHERE ScortaMinima>Giacenza"));
    command.appendParameter(Variant(DateTime(2024, 1, 1)));
    command.appendParameter(Variant(DateTime(2024, 12, 31)));
    auto rs = command.execute();
    EXPECT_EQ(codes(*rs), (QStringList{QStringLiteral("A001"), QStringLiteral("B001")}));
    rs->moveFirst();
    EXPECT_EQ(rs->value(QStringLiteral("Giacenza")).toDouble(), 90.0);

    // Up to the end of 2025 the later load brings A001 back to its minimum.
    command.setParameter(1, Variant(DateTime(2025, 12, 31)));
    rs = command.execute();
    EXPECT_EQ(codes(*rs), QStringList{QStringLiteral("B001")});
}

TEST_F(CommandTest, QuestionMarksBindByTheColumnTheyMeet)
{
    Command update(connection, QStringLiteral("UPDATE Articoli SET Costo = ? WHERE Codice = ?"));
    update.appendParameter(Variant("12,5"));
    update.appendParameter(Variant("a001"));
    EXPECT_EQ(update.executeNonQuery(), 1);
    EXPECT_EQ(DataFixture::queryValue(path, QStringLiteral("SELECT typeof(Costo) || Costo FROM Articoli WHERE Codice = 'A001'")),
              QStringLiteral("real12.5"));

    Command dates(connection, QStringLiteral("SELECT IdReg FROM MagazRegMain WHERE DataIns = ?"));
    dates.appendParameter(Variant("10/01/2024")); // an Italian date typed as text
    auto rs = dates.execute();
    EXPECT_EQ(rs->recordCount(), 1);

    Command missing(connection, QStringLiteral("SELECT * FROM Articoli WHERE Codice = ? AND Costo > ?"));
    missing.appendParameter(Variant("A001"));
    const auto error = databaseErrorOf([&] { missing.execute(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), DatabaseError::MissingParameterNumber);
}

TEST_F(CommandTest, ExecuteTextsRunAStoredQueryWithItsArguments)
{
    auto rs = connection.executeQuery(QStringLiteral("Execute ViewMagazzino #01/01/24#, #12/31/24#"));
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->fieldCount(), 10);
    EXPECT_EQ(rs->field(2).name(), QStringLiteral("Prog"));
    EXPECT_EQ(rs->field(1).type(), DataType::adDate);

    auto stock = connection.executeQuery(QStringLiteral("Execute ViewGiacenze #01/01/2024#, #12/31/2024#"));
    EXPECT_EQ(codes(*stock), (QStringList{QStringLiteral("A001"), QStringLiteral("A002"), QStringLiteral("B001")}));
}

TEST_F(CommandTest, StoredQueryRunsByNameWithPositionalParameters)
{
    Command command(connection, QStringLiteral("invCU"), CommandType::StoredProc);
    command.appendParameter(Variant(DateTime(2025, 12, 31)));
    auto rs = command.execute();
    ASSERT_TRUE(rs->find(QStringLiteral("CodiceArticolo = 'A001'")));
    EXPECT_EQ(rs->value(QStringLiteral("CC")), Variant(0.12)); // the latest load's cost
}

TEST_F(CommandTest, CreateProcedureAddsToTheCatalogueButNeverReplaces)
{
    const QString text = QStringLiteral(
        "CREATE PROCEDURE Carichi AS PARAMETERS d1 DateTime; SELECT IdReg FROM MagazRegMain "
        "WHERE Causale = 'Carico' AND DataIns >= [d1]");
    EXPECT_EQ(connection.execute(text), 0);
    const auto again = databaseErrorOf([&] { connection.execute(text); });
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->description().contains(QStringLiteral("already exists")));

    const auto template_ = databaseErrorOf([&] {
        connection.execute(QStringLiteral("CREATE PROCEDURE invCU AS PARAMETERS d2 DateTime; SELECT 1 AS CC"));
    });
    ASSERT_TRUE(template_);
    EXPECT_TRUE(DataFixture::queryValue(path, QStringLiteral("SELECT body FROM _jet_queries WHERE name = 'invcu'"))
                    .contains(QStringLiteral("TOP 1")));

    const CatalogProcedure p = Catalog(connection).procedure(QStringLiteral("carichi"));
    EXPECT_EQ(p.parameterNames(), QStringList{QStringLiteral("d1")});
    auto rs = connection.executeQuery(QStringLiteral("SELECT * FROM Carichi"), {Variant(DateTime(2025, 1, 1))});
    EXPECT_EQ(rs->recordCount(), 1);
    // Another connection that read the catalogue before sees the new query.
    Connection other(DataFixture::connectionString(path));
    other.execute(QStringLiteral("CREATE PROCEDURE Vendite AS SELECT IdReg FROM MagazRegMain WHERE Causale = 'Vendita'"));
    EXPECT_EQ(connection.executeQuery(QStringLiteral("SELECT * FROM Vendite"))->recordCount(), 1);
}

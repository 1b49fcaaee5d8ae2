// Commands with positional parameters, stored parameter queries run by
// name or used as tables, and the query catalogue that CREATE PROCEDURE
// writes to.
#include "SampleDbFixture.h"

#include "platform/data/Catalog.h"
#include "platform/data/Command.h"

using namespace platform;
using namespace Qt::StringLiterals;
using testsupport::DataFixture;
using testsupport::databaseErrorOf;

namespace {

class CommandTest : public testsupport::SampleDbTest
{
protected:
    static QStringList codes(Recordset &rs)
    {
        QStringList list;
        for (rs.moveFirst(); !rs.isEOF(); rs.moveNext())
            list.append(rs.value(0).toString());
        return list;
    }
};

} // namespace

TEST_F(CommandTest, StoredQueriesRunByNameAndAsTablesWithParametersInDeclaredOrderQuestionMarksByTheirColumn)
{
    auto rs = connection.executeQuery(u"Execute ViewMagazzino #01/01/24#, #12/31/24#"_s);
    EXPECT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->field(1).type(), DataType::adDate);

    Command byName(connection, u"invCU"_s, CommandType::StoredProc);
    byName.appendParameter(Variant(DateTime(2025, 12, 31)));
    rs = byName.execute();
    ASSERT_TRUE(rs->find(u"CodiceArticolo = 'A001'"_s));
    EXPECT_EQ(rs->value(u"CC"_s), Variant(0.12)); // the latest load's cost

    Command command(connection, u"SELECT Codice, Giacenza FROM RepGiacenze WHERE ScortaMinima>Giacenza"_s);
    command.appendParameter(Variant(DateTime(2024, 1, 1)));
    command.appendParameter(Variant(DateTime(2024, 12, 31)));
    rs = command.execute();
    EXPECT_EQ(codes(*rs), (QStringList{u"A001"_s, u"B001"_s}));
    rs->moveFirst();
    EXPECT_EQ(rs->value(u"Giacenza"_s).toDouble(), 90.0);
    // Up to the end of 2025 the later load brings A001 back to its minimum.
    command.setParameter(1, Variant(DateTime(2025, 12, 31)));
    EXPECT_EQ(codes(*command.execute()), QStringList{u"B001"_s});

    // Question marks bind by the column they meet.
    Command update(connection, u"UPDATE Articoli SET Costo = ? WHERE Codice = ?"_s);
    update.appendParameter(Variant("12,5"));
    update.appendParameter(Variant("a001"));
    EXPECT_EQ(update.executeNonQuery(), 1);
    EXPECT_EQ(stored(u"SELECT typeof(Costo) || Costo FROM Articoli WHERE Codice = 'A001'"_s), u"real12.5"_s);

    Command dates(connection, u"SELECT IdReg FROM MagazRegMain WHERE DataIns = ?"_s);
    dates.appendParameter(Variant("10/01/2024")); // an Italian date typed as text
    EXPECT_EQ(dates.execute()->recordCount(), 1);

    Command missing(connection, u"SELECT * FROM Articoli WHERE Codice = ? AND Costo > ?"_s);
    missing.appendParameter(Variant("A001"));
    const auto error = databaseErrorOf([&] { missing.execute(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), DatabaseError::MissingParameterNumber);
}

TEST_F(CommandTest, CreateProcedureAddsToTheCatalogueButNeverReplaces)
{
    const QString text = u"CREATE PROCEDURE Carichi AS PARAMETERS d1 DateTime; SELECT IdReg FROM MagazRegMain "
                         u"WHERE Causale = 'Carico' AND DataIns >= [d1]"_s;
    EXPECT_EQ(connection.execute(text), 0);
    const auto again = databaseErrorOf([&] { connection.execute(text); });
    ASSERT_TRUE(again);
    EXPECT_EQ(again->kind(), DatabaseError::Kind::DuplicateKey);
    EXPECT_EQ(again->description(), u"Esiste già una tabella o una query di nome 'Carichi'."_s);

    // The template's own queries stay as they are.
    EXPECT_TRUE(databaseErrorOf(
        [&] { connection.execute(u"CREATE PROCEDURE invCU AS PARAMETERS d2 DateTime; SELECT 1 AS CC"_s); }));
    EXPECT_TRUE(stored(u"SELECT body FROM _jet_queries WHERE name = 'invcu'"_s).contains(u"TOP 1"_s));

    const CatalogProcedure p = Catalog(connection).procedure(u"carichi"_s);
    EXPECT_EQ(p.parameterNames(), QStringList{u"d1"_s});
    EXPECT_EQ(connection.executeQuery(u"SELECT * FROM Carichi"_s, {Variant(DateTime(2025, 1, 1))})->recordCount(), 1);
    // Another connection that read the catalogue before sees the new query.
    Connection other(DataFixture::connectionString(path));
    other.execute(u"CREATE PROCEDURE Vendite AS SELECT IdReg FROM MagazRegMain WHERE Causale = 'Vendita'"_s);
    EXPECT_EQ(connection.executeQuery(u"SELECT * FROM Vendite"_s)->recordCount(), 1);
}

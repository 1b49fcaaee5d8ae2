// Reading the shape of translated statements: result names as written,
// where a row id may be added, and the column each parameter meets. The
// texts are in the form the translator writes them.
#include "DataFixture.h"

#include "platform/data/SqlShape.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using platform::sqlite::SqlShape;

TEST(SqlShape, ResultNamesAsWrittenSurviveQuotesStarsAndCommonTables)
{
    EXPECT_EQ(SqlShape::writtenResultNames(u"SELECT [pIVA], t.[nome], x + 1, 'a,b' AS k, Codice c FROM t"_s, 5),
              (QStringList{u"pIVA"_s, u"nome"_s, QString(), QString(), QString()}));
    EXPECT_EQ(SqlShape::writtenResultNames(u"SELECT a, t.*, [zz] FROM t"_s, 5),
              (QStringList{u"a"_s, QString(), QString(), QString(), u"zz"_s}));
    EXPECT_EQ(SqlShape::writtenResultNames(
                  u"WITH [q] AS (SELECT [Nome] AS x FROM t) SELECT [piva], NULL FROM [q]"_s, 2),
              (QStringList{u"piva"_s, QString()}));
    // A list that does not match the result is not trusted.
    EXPECT_EQ(SqlShape::writtenResultNames(u"SELECT a, b FROM t"_s, 3), QStringList(3));
}

TEST(SqlShape, RowIdGoesOnlyIntoPlainSelects)
{
    EXPECT_EQ(SqlShape::withLeadingRowid(u"SELECT * FROM [_Pars] WHERE [k01] = 'a,b'"_s, u"r"_s),
              u"SELECT rowid AS \"r\", * FROM [_Pars] WHERE [k01] = 'a,b'"_s);
    EXPECT_EQ(SqlShape::withLeadingRowid(u"WITH q AS (SELECT 1 GROUP BY 1) SELECT k FROM q"_s,
                                         u"r"_s),
              u"WITH q AS (SELECT 1 GROUP BY 1) SELECT rowid AS \"r\", k FROM q"_s);
    for (const char *sql : {"SELECT DISTINCT k01 FROM _Pars", "SELECT k01, Count(*) FROM _Pars GROUP BY k01",
                            "SELECT k01 FROM _Pars UNION SELECT k02 FROM _Pars", "UPDATE _Pars SET l01 = 1"})
        EXPECT_EQ(SqlShape::withLeadingRowid(QString::fromLatin1(sql), u"r"_s), QString()) << sql;
}

TEST(SqlShape, ParametersFindTheColumnTheyMeet)
{
    const auto targets = SqlShape::parameterTargets(QStringLiteral(
        "SELECT * FROM [m] WHERE [m].[DataIns] BETWEEN :d1 AND :d2 AND :_1 < [Costo] AND [Tipo] IN (:_2, :_3) "
        "AND lower([Nome]) = :_4 AND [Note] = 'x = :_9'"));
    ASSERT_EQ(targets.size(), 5);
    EXPECT_EQ(targets.value(1).column, u"DataIns"_s);
    EXPECT_EQ(targets.value(1).table, u"m"_s);
    EXPECT_EQ(targets.value(2).column, u"DataIns"_s);
    EXPECT_EQ(targets.value(3).column, u"Costo"_s);
    EXPECT_EQ(targets.value(4).column, u"Tipo"_s);
    EXPECT_EQ(targets.value(5).column, u"Tipo"_s);
    EXPECT_FALSE(targets.contains(6)); // compared with a function's result

    const auto insert = SqlShape::parameterTargets(QStringLiteral(
        "INSERT INTO [Articoli] ([Codice], [Costo], [Note]) VALUES (?, upper(?), ?)"));
    EXPECT_EQ(insert.value(1).column, u"Codice"_s);
    EXPECT_EQ(insert.value(1).table, u"Articoli"_s);
    EXPECT_FALSE(insert.contains(2));
    EXPECT_EQ(insert.value(3).column, u"Note"_s);
}

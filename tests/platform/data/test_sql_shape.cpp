// Reading the shape of translated statements: result names as written,
// where a row id may be added, and the column each parameter meets. The
// texts are in the form the translator writes them.
#include "DataFixture.h"

#include "platform/data/SqlShape.h"

#include <gtest/gtest.h>

using platform::sqlite::SqlShape;

TEST(SqlShape, ResultNamesAsWrittenSurviveQuotesStarsAndCommonTables)
{
    EXPECT_EQ(SqlShape::writtenResultNames(QStringLiteral("SELECT [pIVA], t.[nome], x + 1, 'a,b' AS k, Codice c FROM t"), 5),
              (QStringList{QStringLiteral("pIVA"), QStringLiteral("nome"), QString(), QString(), QString()}));
    EXPECT_EQ(SqlShape::writtenResultNames(QStringLiteral("SELECT a, t.*, [zz] FROM t"), 5),
              (QStringList{QStringLiteral("a"), QString(), QString(), QString(), QStringLiteral("zz")}));
    EXPECT_EQ(SqlShape::writtenResultNames(
                  QStringLiteral("WITH [q] AS (SELECT [Nome] AS x FROM t) SELECT [piva], NULL FROM [q]"), 2),
              (QStringList{QStringLiteral("piva"), QString()}));
    // A list that does not match the result is not trusted.
    EXPECT_EQ(SqlShape::writtenResultNames(QStringLiteral("SELECT a, b FROM t"), 3), QStringList(3));
}

TEST(SqlShape, RowIdGoesOnlyIntoPlainSelects)
{
    EXPECT_EQ(SqlShape::withLeadingRowid(QStringLiteral("SELECT * FROM [_Pars] WHERE [k01] = 'a,b'"), QStringLiteral("r")),
              QStringLiteral("SELECT rowid AS \"r\", * FROM [_Pars] WHERE [k01] = 'a,b'"));
    EXPECT_EQ(SqlShape::withLeadingRowid(QStringLiteral("WITH q AS (SELECT 1 GROUP BY 1) SELECT k FROM q"),
                                         QStringLiteral("r")),
              QStringLiteral("WITH q AS (SELECT 1 GROUP BY 1) SELECT rowid AS \"r\", k FROM q"));
    for (const char *sql : {"SELECT DISTINCT k01 FROM _Pars", "SELECT k01, Count(*) FROM _Pars GROUP BY k01",
                            "SELECT k01 FROM _Pars UNION SELECT k02 FROM _Pars", "UPDATE _Pars SET l01 = 1"})
        EXPECT_EQ(SqlShape::withLeadingRowid(QString::fromLatin1(sql), QStringLiteral("r")), QString()) << sql;
}

TEST(SqlShape, ParametersFindTheColumnTheyMeet)
{
    const auto targets = SqlShape::parameterTargets(QStringLiteral(
        "SELECT * FROM [m] WHERE [m].[DataIns] BETWEEN :d1 AND :d2 AND :_1 < [Costo] AND [Tipo] IN (:_2, :_3) "
        "AND lower([Nome]) = :_4 AND [Note] = 'x = :_9'"));
    ASSERT_EQ(targets.size(), 5);
    EXPECT_EQ(targets.value(1).column, QStringLiteral("DataIns"));
    EXPECT_EQ(targets.value(1).table, QStringLiteral("m"));
    EXPECT_EQ(targets.value(2).column, QStringLiteral("DataIns"));
    EXPECT_EQ(targets.value(3).column, QStringLiteral("Costo"));
    EXPECT_EQ(targets.value(4).column, QStringLiteral("Tipo"));
    EXPECT_EQ(targets.value(5).column, QStringLiteral("Tipo"));
    EXPECT_FALSE(targets.contains(6)); // compared with a function's result

    const auto insert = SqlShape::parameterTargets(QStringLiteral(
        "INSERT INTO [Articoli] ([Codice], [Costo], [Note]) VALUES (?, upper(?), ?)"));
    EXPECT_EQ(insert.value(1).column, QStringLiteral("Codice"));
    EXPECT_EQ(insert.value(1).table, QStringLiteral("Articoli"));
    EXPECT_FALSE(insert.contains(2));
    EXPECT_EQ(insert.value(3).column, QStringLiteral("Note"));
}

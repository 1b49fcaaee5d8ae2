// The Jet-to-SQLite translator on its own: tokens, date literals, each
// rewrite, parameter order, stored-query inlining and the error cases; and
// reading the shape of translated statements (result names as written,
// where a row id may be added, the column each parameter meets).
#include "DataFixture.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/JetTemplateQueries.h"
#include "platform/data/JetTranslator.h"
#include "platform/data/SqlShape.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QRegularExpression>

using namespace platform;
using namespace platform::jet;
using namespace Qt::StringLiterals;
using platform::sqlite::SqlShape;

namespace {

// Column types as the template declares them, enough for the rounding rule.
QString columnType(const QString &column)
{
    static const QHash<QString, QString> types = {
        {u"quantità"_s, u"CURRENCY"_s}, {u"segno"_s, u"SMALLINT"_s},  {u"riga"_s, u"INTEGER"_s},
        {u"costo"_s, u"DOUBLE"_s},      {u"idreg"_s, u"INTEGER"_s},   {u"prezzo"_s, u"DOUBLE"_s},
        {u"importo"_s, u"MONEY"_s},
    };
    return types.value(column.toLower());
}

// A stored query as CREATE PROCEDURE defines it.
StoredQuery makeStoredQuery(const QString &name, const QString &params, const QString &body)
{
    const QString prefix = params.isEmpty() ? QString() : u"PARAMETERS "_s + params + u"; "_s;
    return *translate(u"CREATE PROCEDURE ["_s + name + u"] AS "_s + prefix + body, TranslateContext{}).procedure;
}

QHash<QString, StoredQuery> &extraQueries()
{
    static QHash<QString, StoredQuery> q;
    return q;
}

std::optional<StoredQuery> lookup(const QString &name)
{
    for (const auto &t : templatequeries::All)
        if (name.compare(QString::fromUtf8(t.name), Qt::CaseInsensitive) == 0)
            return makeStoredQuery(QString::fromUtf8(t.name), QString::fromUtf8(t.parameters),
                                   QString::fromUtf8(t.body));
    if (extraQueries().contains(name.toLower()))
        return extraQueries().value(name.toLower());
    return std::nullopt;
}

Translation tr(const QString &sql) { return translate(sql, TranslateContext{lookup, columnType}); }
QString sqlOf(const QString &jet) { return tr(jet).sql; }

// Runs the translation and answers the error's English explanation (its
// detail), or "" when it translated.
QString errorOf(const QString &jet, std::int32_t *number = nullptr)
{
    const auto error = testsupport::errorOf<RuntimeError>([&] { tr(jet); });
    if (error && number)
        *number = error->number();
    return error ? error->detail() : QString();
}

// A stored query the test adds to the catalogue for as long as it lives.
class ExtraQuery
{
public:
    ExtraQuery(const QString &name, const QString &params, const QString &body)
        : m_key(name.toLower())
    {
        // Without parameters the body is stored as it is, even a broken one.
        extraQueries().insert(m_key, params.isEmpty() ? StoredQuery{name, {}, {}, body}
                                                       : makeStoredQuery(name, params, body));
    }
    ~ExtraQuery() { extraQueries().remove(m_key); }

private:
    QString m_key;
};

} // namespace

TEST(JetTokenizer, ReadsEveryKindOfTokenAndLiteralsAsTextAndRefusesBrokenTextWithItsPosition)
{
    // Each token as its kind's initial and its text.
    const auto described = [](const QList<Token> &tokens) {
        QStringList out;
        for (const Token &t : tokens)
            out << QChar(u"IBSDNOPE"[int(t.kind)]) + u':' + t.text;
        return out;
    };
    const auto t = tokenize(u"SELECT [Località], 'it''s', \"a \"\"b\"\"\", #03/15/26#, 1.5, .5, 2e3, "
                            u"Quantità <> ? <= >=");
    EXPECT_EQ(described(t), (QStringList{u"I:SELECT"_s, u"B:Località"_s, u"O:,"_s, u"S:it's"_s, u"O:,"_s,
                                         u"S:a \"b\""_s, u"O:,"_s, u"D:03/15/26"_s, u"O:,"_s, u"N:1.5"_s, u"O:,"_s,
                                         u"N:.5"_s, u"O:,"_s, u"N:2e3"_s, u"O:,"_s, u"I:Quantità"_s, u"O:<>"_s,
                                         u"P:?"_s, u"O:<="_s, u"O:>="_s, u"E:"_s}));
    EXPECT_EQ(t[7].date, DateTime(2026, 3, 15));
    EXPECT_EQ(t[20].position, 84);
    EXPECT_EQ(t[1].position, 7);
    EXPECT_EQ(t[1].length, 10);
    // Special characters inside literals are text.
    EXPECT_EQ(described(tokenize(u"'#1/1/26# [x] & / -- DELETE * FROM' [a # b ' c]")),
              (QStringList{u"S:#1/1/26# [x] & / -- DELETE * FROM"_s, u"B:a # b ' c"_s, u"E:"_s}));

    // Broken text is refused with its position.
    const auto message = [](const QString &sql) {
        const auto e = testsupport::errorOf<RuntimeError>([&] { tokenize(sql); });
        if (!e)
            return QString();
        EXPECT_EQ(e->number(), ErrSyntax);
        EXPECT_EQ(e->description(), u"Errore di sintassi nell'istruzione SQL."_s);
        EXPECT_EQ(e->source(), u"Microsoft JET Database Engine"_s);
        return e->detail();
    };
    EXPECT_TRUE(message(u"SELECT 'abc"_s).contains(u"unterminated string"));
    EXPECT_TRUE(message(u"SELECT [abc"_s).contains(u"missing ']'"));
    EXPECT_TRUE(message(u"SELECT []"_s).contains(u"empty name"));
    EXPECT_TRUE(message(u"SELECT #01/01/26"_s).contains(u"unterminated date"));
    EXPECT_TRUE(message(u"SELECT #13/01/26#"_s).contains(u"invalid date"));
    EXPECT_TRUE(message(u"SELECT a @b"_s).contains(u"character 10"));
    EXPECT_TRUE(message(u"SELECT :x"_s).contains(u"unexpected character ':'"));
    // SQLite would stop reading at the NUL, even inside a literal.
    EXPECT_TRUE(message(u"SELECT 'a"_s + QChar(0) + u"' FROM t"_s).contains(u"NUL character at character 10"));
}

TEST(JetDate, TwoDigitYearsTimesInvalidDatesAndIsoLiterals)
{
    EXPECT_EQ(parseJetDate(u"01/01/30"), DateTime(1930, 1, 1));
    EXPECT_EQ(parseJetDate(u"03/15/26"), DateTime(2026, 3, 15));
    EXPECT_EQ(parseJetDate(u"12/31/29"), DateTime(2029, 12, 31));
    EXPECT_EQ(parseJetDate(u"1/2/00"), DateTime(2000, 1, 2));
    EXPECT_EQ(parseJetDate(u"12/31/99"), DateTime(1999, 12, 31));
    EXPECT_EQ(parseJetDate(u"03/15/2026"), DateTime(2026, 3, 15));
    EXPECT_EQ(parseJetDate(u"2026-03-15"), DateTime(2026, 3, 15));
    EXPECT_EQ(parseJetDate(u"3/15/2026 10:30:05"), DateTime(2026, 3, 15, 10, 30, 5));
    EXPECT_EQ(parseJetDate(u" 3/15/2026 10:30 pm "), DateTime(2026, 3, 15, 22, 30));
    EXPECT_EQ(parseJetDate(u"3/15/2026 12:00:00 AM"), DateTime(2026, 3, 15));
    EXPECT_FALSE(parseJetDate(u"3/15/2026 12:00:00 AM")->hasTime());
    EXPECT_EQ(parseJetDate(u"12:00 PM"), DateTime(1899, 12, 30, 12));
    for (const auto bad : {u"02/30/2026", u"13/01/26", u"3/15", u"3/15/26x", u"3/15/2026 24:00",
                           u"3/15/2026 13:00 PM", u"3/15/12345", u"", u"1/1/0050", u"abc", u"3-15/26"})
        EXPECT_FALSE(parseJetDate(bad)) << QString::fromUtf16(bad).toStdString();
    // Date literals become ISO text.
    EXPECT_EQ(sqlOf(u"SELECT * FROM MagazRegMain WHERE DataIns Between #01/01/24# And #12/31/2024 18:05:00#"_s),
              u"SELECT * FROM MagazRegMain WHERE DataIns BETWEEN '2024-01-01' AND '2024-12-31 18:05:00'"_s);
    EXPECT_EQ(sqlOf(u"SELECT #01/01/30#, #03/15/26 00:00:00#"_s), u"SELECT '1930-01-01', '2026-03-15'"_s);
}

TEST(JetTranslator, LiteralsNamesKeywordsDeleteStarAndSetTargets)
{
    EXPECT_EQ(sqlOf(u"SELECT Codice FROM Liste WHERE Liste.Predefinito = True AND Esenzione=false"_s),
              u"SELECT Codice FROM Liste WHERE Liste.Predefinito = 1 AND Esenzione = 0"_s);
    EXPECT_EQ(sqlOf(u"SELECT [Aliquota], [CodiciIVA].[CodiceIVA] FROM [CodiciIVA] ORDER BY [Liste].[Codice] "_s),
              u"SELECT [Aliquota], [CodiciIVA].[CodiceIVA] FROM [CodiciIVA] ORDER BY [Liste].[Codice]"_s);
    EXPECT_EQ(sqlOf(u"SELECT \"it's\" AS x, 'a''b'"_s), u"SELECT 'it''s' AS x, 'a''b'"_s);
    EXPECT_EQ(sqlOf(u"SELECT 1., .5, 2e3"_s), u"SELECT 1.0, 0.5, 2e3"_s);
    EXPECT_EQ(sqlOf(u"SELECT - -1, -(-a), NOT a IS NULL, a Is Not Null"_s),
              u"SELECT - -1, -(-a), NOT a IS NULL, a IS NOT NULL"_s);
    // Strings come through unchanged.
    const QString text = u"'#01/01/26# [x] a & b / c DELETE * FROM t SET t.c = 1 it''s True \"q\"'"_s;
    EXPECT_EQ(sqlOf(u"SELECT Codice FROM Articoli WHERE Descrizione = "_s + text), u"SELECT Codice FROM Articoli WHERE Descrizione = "_s + text);
    EXPECT_EQ(sqlOf(u"UPDATE Articoli SET Articoli.Note = "_s + text + u" WHERE Codice='a&b'"_s),
              u"UPDATE Articoli SET Note = "_s + text + u" WHERE Codice = 'a&b'"_s);
    EXPECT_EQ(sqlOf(u"DELETE Articoli.* FROM Articoli"_s), u"DELETE FROM Articoli"_s);
    EXPECT_EQ(sqlOf(u"delete from [Liste] where Id=3"_s), u"DELETE FROM [Liste] WHERE Id = 3"_s);
    EXPECT_EQ(sqlOf(u"UPDATE MagazRegMain SET MagazRegMain.Causale = 'Scarico' WHERE (((MagazRegMain.Causale)='Rettifica'))"_s),
              u"UPDATE MagazRegMain SET Causale = 'Scarico' WHERE (((MagazRegMain.Causale) = 'Rettifica'))"_s);
    EXPECT_EQ(sqlOf(u"UPDATE [Liste] SET [Liste].[Predefinito] = False, Codice = 'x' WHERE [Liste].Id<>4"_s),
              u"UPDATE [Liste] SET [Predefinito] = 0, Codice = 'x' WHERE [Liste].Id <> 4"_s);
}

TEST(JetTranslator, OperatorsAndFunctionsTakeTheirWholeOperandsAndArguments)
{
    // & binds looser than arithmetic and tighter than comparisons.
    EXPECT_EQ(sqlOf(u"SELECT a & b + c"_s), u"SELECT (IFNULL(a, '') || IFNULL(b + c, ''))"_s);
    EXPECT_EQ(sqlOf(u"SELECT a * 2 & b"_s), u"SELECT (IFNULL(a * 2, '') || IFNULL(b, ''))"_s);
    EXPECT_EQ(sqlOf(u"SELECT x WHERE a & b = c & 'd'"_s),
              u"SELECT x WHERE (IFNULL(a, '') || IFNULL(b, '')) = (IFNULL(c, '') || 'd')"_s);
    EXPECT_EQ(sqlOf(u"SELECT [Nome] & ' (' & [TipoContropartita] & ')' AS Contropartita"_s),
              u"SELECT (IFNULL([Nome], '') || ' (' || IFNULL([TipoContropartita], '') || ')') AS Contropartita"_s);
    EXPECT_EQ(sqlOf(u"SELECT f(a & b, c) & (d & e)"_s),
              u"SELECT (IFNULL(f((IFNULL(a, '') || IFNULL(b, '')), c), '') || IFNULL(((IFNULL(d, '') || IFNULL(e, ''))), ''))"_s);
    // Division is floating point over its operands.
    EXPECT_EQ(sqlOf(u"SELECT a * b / c"_s), u"SELECT (CAST(a * b AS REAL) / c)"_s);
    EXPECT_EQ(sqlOf(u"SELECT a / b * c"_s), u"SELECT (CAST(a AS REAL) / b) * c"_s);
    EXPECT_EQ(sqlOf(u"SELECT a + b / c - d"_s), u"SELECT a + (CAST(b AS REAL) / c) - d"_s);
    EXPECT_EQ(sqlOf(u"SELECT a / (b + c) / -d"_s), u"SELECT (CAST((CAST(a AS REAL) / (b + c)) AS REAL) / -d)"_s);
    EXPECT_EQ(sqlOf(u"SELECT 7 Mod 2 * 3"_s), u"SELECT (7 % 2 * 3)"_s);

    // Functions and the number of their arguments.
    EXPECT_EQ(sqlOf(u"SELECT Nz(a), Nz(a, 0), Year(DataIns), Month(#2/3/2026#), Day(x)"_s),
              u"SELECT IFNULL(a, ''), IFNULL(a, 0), jet_year(DataIns), "
              u"CAST(strftime('%m', '2026-02-03') AS INTEGER), CAST(strftime('%d', x) AS INTEGER)"_s);
    EXPECT_EQ(sqlOf(u"SELECT Last(Costo), Abs([Quantità]), Count(*), Max(Riga), UCase(a), Left(a, 2), Mid(a, 2)"_s),
              u"SELECT jet_last(Costo), Abs([Quantità]), Count(*), Max(Riga), upper(a), substr(a, 1, 2), substr(a, 2)"_s);
    EXPECT_TRUE(errorOf(u"SELECT IIf(a, b)"_s).contains(u"Wrong number of arguments used with function IIf"));
    EXPECT_TRUE(errorOf(u"SELECT Nz()"_s).contains(u"Wrong number of arguments"));
}

TEST(JetTranslator, CurrencySumsAreRoundedAndConstantGroupTermsDropped)
{
    EXPECT_EQ(sqlOf(u"SELECT Sum([Quantità]*[Segno]) AS Q, Avg(-Quantità + 1) FROM MagazRegDetail"_s),
              u"SELECT ROUND(Sum([Quantità] * [Segno]), 4) AS Q, ROUND(Avg(-Quantità + 1), 4) FROM MagazRegDetail"_s);
    EXPECT_EQ(sqlOf(u"SELECT Sum(t.Importo * (2 - d.Segno))"_s), u"SELECT ROUND(Sum(t.Importo * (2 - d.Segno)), 4)"_s);
    // Whole numbers alone are exact already; a double column, a division or
    // a function makes the value inexact on purpose.
    EXPECT_EQ(sqlOf(u"SELECT Sum(Segno * Riga)"_s), u"SELECT Sum(Segno * Riga)"_s);
    EXPECT_EQ(sqlOf(u"SELECT Sum([Costo]*[Quantità])"_s), u"SELECT Sum([Costo] * [Quantità])"_s);
    EXPECT_EQ(sqlOf(u"SELECT Sum([Quantità]/2)"_s), u"SELECT Sum((CAST([Quantità] AS REAL) / 2))"_s);
    EXPECT_EQ(sqlOf(u"SELECT Sum(Abs([Quantità]))"_s), u"SELECT Sum(Abs([Quantità]))"_s);
    EXPECT_EQ(sqlOf(u"SELECT Sum(Sconosciuta * [Quantità])"_s), u"SELECT Sum(Sconosciuta * [Quantità])"_s);
    // Without a column-type lookup nothing is rounded.
    EXPECT_EQ(translate(u"SELECT Sum([Quantità])"_s, TranslateContext{}).sql, u"SELECT Sum([Quantità])"_s);
    // Constant GROUP BY terms are dropped.
    EXPECT_EQ(sqlOf(u"SELECT a FROM t GROUP BY t.a, 1, 10, 57 HAVING Count(*)>0"_s),
              u"SELECT a FROM t GROUP BY t.a HAVING Count(*) > 0"_s);
    EXPECT_EQ(sqlOf(u"SELECT Sum(x) FROM t GROUP BY 1, (2), -3, True ORDER BY 1"_s),
              u"SELECT Sum(x) FROM t ORDER BY 1"_s);
    EXPECT_EQ(sqlOf(u"SELECT a FROM t GROUP BY 'k', a & 'x'"_s),
              u"SELECT a FROM t GROUP BY 'k', (IFNULL(a, '') || 'x')"_s);
}

TEST(JetTranslator, StatementEndsKindsJoinsSubqueriesTopUnknownSyntaxAndNesting)
{
    EXPECT_EQ(tr(u"SELECT 1 ;  "_s).kind, Translation::Kind::Select);
    EXPECT_EQ(tr(u"INSERT INTO t (a, [b c]) VALUES (1, #1/2/26#);"_s).sql,
              u"INSERT INTO t (a, [b c]) VALUES (1, '2026-01-02')"_s);
    EXPECT_EQ(tr(u"UPDATE t SET a = 1"_s).kind, Translation::Kind::Modify);
    const auto ddl = tr(u"CREATE INDEX ix ON [Magaz Reg] ([Quantità])"_s);
    EXPECT_EQ(ddl.kind, Translation::Kind::Ddl);
    EXPECT_EQ(ddl.sql, u"CREATE INDEX ix ON [Magaz Reg] ([Quantità])"_s);
    EXPECT_EQ(tr(u"CREATE VIEW v AS SELECT a & b FROM t WHERE c = True"_s).sql,
              u"CREATE VIEW v AS SELECT (IFNULL(a, '') || IFNULL(b, '')) FROM t WHERE c = 1"_s);
    EXPECT_TRUE(errorOf(u"SELECT 1; DROP TABLE Articoli"_s).contains(u"after the end of the statement"));
    EXPECT_TRUE(errorOf(u"SELECT 1;;"_s).contains(u"after the end"));
    EXPECT_TRUE(errorOf(u"   ;"_s).contains(u"Invalid SQL statement"));
    EXPECT_TRUE(errorOf(u"SELECT (a FROM t"_s).contains(u"expected ')'"));
    EXPECT_TRUE(errorOf(u"SELECT a FROM"_s).contains(u"expected a table or query name"));
    EXPECT_TRUE(errorOf(u"SELECT a FROM t WHERE"_s).contains(u"expected an expression"));

    // Joins, subqueries and TOP.
    EXPECT_EQ(sqlOf(u"SELECT * FROM (A INNER JOIN (B LEFT OUTER JOIN C ON B.x = C.x) ON A.y = B.y) LEFT JOIN D ON D.z = A.z"_s),
              u"SELECT * FROM (A INNER JOIN (B LEFT OUTER JOIN C ON B.x = C.x) ON A.y = B.y) LEFT JOIN D ON D.z = A.z"_s);
    EXPECT_EQ(sqlOf(u"SELECT TOP 1 a FROM t AS u, (SELECT b FROM v) w WHERE a IN (1, 2) AND NOT b IN (SELECT c FROM x) "
                    u"AND EXISTS (SELECT * FROM y) AND c NOT LIKE 'a%' ORDER BY a DESC, b"_s),
              u"SELECT a FROM t AS u, (SELECT b FROM v) AS w WHERE a IN (1, 2) AND NOT b IN (SELECT c FROM x) "
              u"AND EXISTS (SELECT * FROM y) AND c NOT LIKE 'a%' ORDER BY a DESC, b LIMIT 1"_s);
    EXPECT_EQ(sqlOf(u"SELECT a FROM t UNION ALL SELECT b FROM u"_s), u"SELECT a FROM t UNION ALL SELECT b FROM u"_s);
    EXPECT_TRUE(errorOf(u"SELECT TOP 5 PERCENT a FROM t"_s).contains(u"PERCENT"));
    // Unknown syntax passes through token by token.
    EXPECT_EQ(sqlOf(u"SELECT Count(DISTINCT a), CAST(b AS TEXT) FROM t WHERE c COLLATE NOCASE = [d] LIMIT 3"_s),
              u"SELECT Count(DISTINCT a), CAST(b AS TEXT) FROM t WHERE c COLLATE NOCASE = [d] LIMIT 3"_s);
    EXPECT_EQ(sqlOf(u"SELECT a \\ b, c ^ 2"_s), u"SELECT a \\ b, c ^ 2"_s);
    // Nesting is bounded.
    const QString deep = u"SELECT "_s + QString(5000, u'(') + u'1' + QString(5000, u')');
    EXPECT_TRUE(errorOf(deep).contains(u"nested too deeply"));
    EXPECT_TRUE(errorOf(u"SELECT "_s + QString(5000, u'-') + u'1').contains(u"nested too deeply"));
    const QString ok = u"SELECT "_s + QString(40, u'(') + u'1' + QString(40, u')');
    EXPECT_EQ(sqlOf(ok), ok);
}

TEST(JetTranslator, ParametersFollowThePrefixElseTheText)
{
    const auto t = tr(u"PARAMETERS [Data fine] DateTime, d1 Text(10); SELECT * FROM MagazRegMain "
                      u"WHERE DataIns Between [D1] And [Data fine] And Descrizione <> d1"_s);
    EXPECT_EQ(t.kind, Translation::Kind::Select);
    EXPECT_EQ(t.sql, u"SELECT * FROM MagazRegMain WHERE DataIns BETWEEN :d1 AND :Data_fine AND Descrizione <> :d1"_s);
    EXPECT_EQ(t.parameterNames, (QStringList{u"Data_fine"_s, u"d1"_s}));
    EXPECT_EQ(t.parameterTypes, (QStringList{u"DateTime"_s, u"Text"_s}));
    EXPECT_TRUE(errorOf(u"PARAMETERS a Long, A Long; SELECT 1"_s).contains(u"declared twice"));
    EXPECT_TRUE(errorOf(u"PARAMETERS a Long SELECT 1"_s).contains(u"expected ',' or ';'"));
    EXPECT_TRUE(errorOf(u"PARAMETERS a Long; CREATE TABLE x (a INTEGER)"_s).contains(u"after PARAMETERS"));
    // A stored query's parameters are bound by name to the declared ones.
    std::int32_t number = 0;
    const QString e = errorOf(u"PARAMETERS d1 DateTime; SELECT * FROM invCM"_s, &number);
    EXPECT_EQ(number, ErrParameters);
    EXPECT_TRUE(e.contains(u"'d2' of query 'invCM'")) << e.toStdString();

    // Without a prefix, anonymous markers and stored queries' parameters follow the text.
    const auto a = tr(u"SELECT * FROM RepGiacenze WHERE Codice = ? AND Categoria = ?"_s);
    EXPECT_EQ(a.parameterNames, (QStringList{u"d1"_s, u"d2"_s, u"_1"_s, u"_2"_s}));
    EXPECT_TRUE(a.sql.endsWith(u"SELECT * FROM [RepGiacenze] WHERE Codice = :_1 AND Categoria = :_2"));
    const auto p = tr(u"SELECT * FROM Articoli WHERE Codice = ? OR Codice IN (SELECT CodiceArticolo FROM invCU)"_s);
    EXPECT_EQ(p.parameterNames, (QStringList{u"_1"_s, u"d2"_s}));
    // Stored queries' parameters follow their first reference; a name that
    // matches a stored query only counts as a table.
    EXPECT_EQ(tr(u"SELECT invCU.CC, [invCM].CC FROM invCU LEFT JOIN invCM ON invCU.CodiceArticolo = invCM.CodiceArticolo"_s)
                  .parameterNames,
              (QStringList{u"d2"_s, u"d1"_s}));
    EXPECT_EQ(tr(u"SELECT * FROM ViewMagazzino AS v INNER JOIN invCM ON 1=1"_s).parameterNames, (QStringList{u"d1"_s, u"d2"_s}));
}

TEST(JetTranslator, NestedStoredQueriesComeFirstAndMergeParametersBrokenOnesAreRefusedByName)
{
    const ExtraQuery inner(u"Carichi"_s, u"dal DateTime, d2 DateTime"_s,
                           u"SELECT CodiceArticolo, CC FROM invCU WHERE CC > [dal]"_s);
    const ExtraQuery outer(u"Sopra"_s, u"soglia Currency"_s,
                           u"SELECT * FROM [Carichi] AS c INNER JOIN invCM ON invCM.CodiceArticolo = c.CodiceArticolo "
                           u"WHERE c.CC > soglia"_s);
    const auto t = tr(u"SELECT * FROM Sopra, invCU WHERE [D2] > #1/1/26#"_s);
    // Sopra's own parameter, then Carichi's and invCU's in the order met, then
    // invCM's; the statement's own [D2] is the same parameter as d2.
    EXPECT_EQ(t.parameterNames, (QStringList{u"soglia"_s, u"dal"_s, u"d2"_s, u"d1"_s}));
    EXPECT_EQ(t.parameterTypes, (QStringList{u"Currency"_s, u"DateTime"_s, u"DateTime"_s, u"DateTime"_s}));
    // Each stored query once, before the first that uses it.
    QStringList order;
    for (const QRegularExpressionMatch &m : QRegularExpression(u"\\[(\\w+)\\] AS \\("_s).globalMatch(t.sql))
        order << m.captured(1);
    EXPECT_EQ(order, (QStringList{u"invCU"_s, u"Carichi"_s, u"invCM"_s, u"Sopra"_s}));
    EXPECT_TRUE(t.sql.contains(u"WHERE CC > :dal"));
    EXPECT_TRUE(t.sql.contains(u"WHERE c.CC > :soglia"));
    EXPECT_TRUE(t.sql.endsWith(u" SELECT * FROM [Sopra], [invCU] WHERE :d2 > '2026-01-01'")) << t.sql.toStdString();

    // Cyclic or broken stored queries are refused by name.
    const ExtraQuery a(u"QA"_s, QString(), u"SELECT * FROM QB"_s);
    const ExtraQuery b(u"QB"_s, QString(), u"SELECT * FROM [qa]"_s);
    const ExtraQuery self(u"QS"_s, QString(), u"SELECT * FROM Articoli WHERE Codice IN (SELECT x FROM QS)"_s);
    EXPECT_TRUE(errorOf(u"SELECT * FROM QA"_s).contains(u"Circular reference caused by query 'QA'"));
    EXPECT_TRUE(errorOf(u"SELECT * FROM QS"_s).contains(u"Circular reference"));
    const ExtraQuery broken(u"Rotta"_s, QString(), u"SELECT a FROM t WHERE 'x"_s);
    const ExtraQuery action(u"Azione"_s, QString(), u"DELETE FROM t"_s);
    const ExtraQuery anonymous(u"Anonima"_s, QString(), u"SELECT a FROM t WHERE a = ?"_s);
    EXPECT_TRUE(errorOf(u"SELECT * FROM Rotta"_s).contains(u"In query 'Rotta'"));
    EXPECT_TRUE(errorOf(u"SELECT * FROM Azione"_s).contains(u"in query 'Azione': a stored query must be a SELECT"));
    EXPECT_TRUE(errorOf(u"SELECT * FROM Anonima"_s).contains(u"cannot use '?'"));
}

TEST(JetTranslator, ExecuteCreateProcedureAndAlterTableForms)
{
    const ExtraQuery q(u"Misto"_s, u"a Long, b Double, c Text, d Bit, e Text"_s, u"SELECT [a], [b], [c], [d], [e]"_s);
    const auto m = tr(u"exec [misto] -5, 2.5, 'l''x', True, Null;"_s);
    EXPECT_EQ(m.executeArguments, (QList<Variant>{Variant(std::int32_t(-5)), Variant(2.5), Variant(u"l'x"_s),
                                                  Variant(true), Variant::null()}));
    EXPECT_EQ(m.sql, u"WITH [Misto] AS (SELECT :a, :b, :c, :d, :e) SELECT * FROM [Misto]"_s);

    EXPECT_EQ(tr(u"Execute ViewArticoli"_s).sql, u"SELECT * FROM ViewArticoli"_s);
    std::int32_t number = 0;
    EXPECT_TRUE(errorOf(u"Execute ViewMagazzino #01/01/26#"_s, &number).contains(u"expects 2 arguments, 1 given"));
    EXPECT_EQ(number, ErrParameters);
    EXPECT_TRUE(errorOf(u"Execute Nessuna 1"_s, &number).contains(u"cannot find the input table or query 'Nessuna'"));
    EXPECT_EQ(number, ErrNoSuchQuery);
    EXPECT_TRUE(errorOf(u"Execute ViewMagazzino #01/01/26# #03/15/26#"_s).contains(u"expected ','"));
    EXPECT_TRUE(errorOf(u"Execute ViewMagazzino a, b"_s).contains(u"expected a date, a number or a text"));

    // CREATE PROCEDURE keeps the Jet body.
    const auto t = tr(u"CREATE PROCEDURE invCU AS PARAMETERS d2 DateTime; SELECT MagazRegDetail.CodiceArticolo, "
                      u"Last(MagazRegDetail.Costo) AS CC FROM MagazRegMain INNER JOIN MagazRegDetail ON "
                      u"MagazRegMain.IdReg = MagazRegDetail.IdReg WHERE (((MagazRegDetail.Segno)=1) AND "
                      u"((MagazRegMain.DataIns)<=[d2])) GROUP BY MagazRegDetail.CodiceArticolo ; "_s);
    EXPECT_EQ(t.kind, Translation::Kind::CreateProcedure);
    EXPECT_TRUE(t.sql.isEmpty());
    ASSERT_TRUE(t.procedure);
    EXPECT_EQ(t.procedure->name, u"invCU"_s);
    EXPECT_EQ(t.procedure->parameterNames, QStringList{u"d2"_s});
    EXPECT_EQ(t.procedure->parameterTypes, QStringList{u"DateTime"_s});
    EXPECT_TRUE(t.procedure->body.startsWith(u"SELECT MagazRegDetail.CodiceArticolo, Last(MagazRegDetail.Costo)"));
    EXPECT_TRUE(t.procedure->body.endsWith(u"GROUP BY MagazRegDetail.CodiceArticolo"));

    const auto p = tr(u"CREATE PROC [Per codice] (c Text(40), d DateTime) AS SELECT * FROM Articoli WHERE Codice = [c]"_s);
    EXPECT_EQ(p.procedure->name, u"Per codice"_s);
    EXPECT_EQ(p.procedure->parameterNames, (QStringList{u"c"_s, u"d"_s}));
    EXPECT_EQ(p.procedure->body, u"SELECT * FROM Articoli WHERE Codice = [c]"_s);

    EXPECT_TRUE(errorOf(u"CREATE PROCEDURE x AS DELETE FROM t"_s).contains(u"must be a SELECT"));
    EXPECT_TRUE(errorOf(u"CREATE PROCEDURE x AS SELECT a FROM t WHERE ("_s).contains(u"in query 'x'"));
    EXPECT_TRUE(errorOf(u"CREATE PROCEDURE x AS SELECT 1; SELECT 2"_s).contains(u"after the end"));

    // ALTER TABLE forms.
    const auto u4 = tr(u"ALTER TABLE Articoli ALTER COLUMN Descrizione TEXT(255)"_s);
    EXPECT_EQ(u4.kind, Translation::Kind::AlterColumn);
    EXPECT_EQ((QStringList{u4.alterTable, u4.alterColumn, u4.alterType, u4.sql}),
              (QStringList{u"Articoli"_s, u"Descrizione"_s, u"VARCHAR(255) COLLATE NOCASE"_s, QString()}));
    const auto u6 = tr(u"ALTER TABLE MagazRegDetail ALTER COLUMN Quantità CURRENCY"_s);
    EXPECT_EQ((QStringList{u6.alterColumn, u6.alterType}), (QStringList{u"Quantità"_s, u"CURRENCY"_s}));
    EXPECT_EQ(tr(u"ALTER TABLE [Liste] ALTER [Nota] MEMO NOT NULL"_s).alterType, u"LONGTEXT COLLATE NOCASE NOT NULL"_s);

    EXPECT_EQ(tr(u"ALTER TABLE Articoli ADD COLUMN Ubicazione TEXT(50)"_s).sql,
              u"ALTER TABLE Articoli ADD COLUMN Ubicazione VARCHAR(50) COLLATE NOCASE"_s);
    EXPECT_EQ(tr(u"ALTER TABLE t ADD [Sì] YesNo DEFAULT False"_s).sql, u"ALTER TABLE t ADD COLUMN [Sì] YESNO DEFAULT 0"_s);
    EXPECT_EQ(tr(u"ALTER TABLE t ADD c VARCHAR(9) COLLATE BINARY"_s).sql, u"ALTER TABLE t ADD COLUMN c VARCHAR(9) COLLATE BINARY"_s);
    EXPECT_EQ(tr(u"ALTER TABLE t DROP COLUMN c"_s).sql, u"ALTER TABLE t DROP COLUMN c"_s);
    EXPECT_TRUE(errorOf(u"ALTER TABLE t ALTER COLUMN c"_s).contains(u"expected a column type"));
}

TEST(SqlShape, ResultNamesAsWrittenAndTheRowIdOnlyInPlainSelects)
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
    QStringList columns;
    for (int i = 1; i <= 6; ++i)
        columns << targets.value(i).column;
    // The sixth is compared with a function's result.
    EXPECT_EQ(targets.size(), 5);
    EXPECT_EQ(columns, (QStringList{u"DataIns"_s, u"DataIns"_s, u"Costo"_s, u"Tipo"_s, u"Tipo"_s, QString()}));
    EXPECT_EQ(targets.value(1).table, u"m"_s);

    const auto insert = SqlShape::parameterTargets(QStringLiteral(
        "INSERT INTO [Articoli] ([Codice], [Costo], [Note]) VALUES (?, upper(?), ?)"));
    EXPECT_EQ(insert.value(1).column, u"Codice"_s);
    EXPECT_EQ(insert.value(1).table, u"Articoli"_s);
    EXPECT_FALSE(insert.contains(2));
    EXPECT_EQ(insert.value(3).column, u"Note"_s);
}

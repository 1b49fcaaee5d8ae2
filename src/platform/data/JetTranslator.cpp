#include "platform/data/JetTranslator.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/JetTokenizer.h"

#include <QHash>
#include <QSet>

#include <functional>

namespace platform::jet {

using namespace Qt::StringLiterals;

namespace {

using Tokens = QList<Token>;
using Kind = Token::Kind;

// Deeper nesting (parentheses, subqueries, stored queries inside stored
// queries, chains of unary operators) is refused rather than risking the
// stack on hostile text; Jet itself stops at 50 levels of subqueries.
constexpr int MaxNesting = 100;

// Words that end an expression or stand for a clause, so they are never read
// as a column name or an alias.
bool isReserved(const Token &t)
{
    static const QSet<QString> words = {
        u"SELECT"_s, u"FROM"_s,   u"WHERE"_s,   u"GROUP"_s,       u"ORDER"_s,   u"BY"_s,
        u"HAVING"_s, u"AS"_s,     u"ON"_s,      u"JOIN"_s,        u"INNER"_s,   u"LEFT"_s,
        u"RIGHT"_s,  u"FULL"_s,   u"OUTER"_s,   u"CROSS"_s,       u"NATURAL"_s, u"UNION"_s,
        u"ALL"_s,    u"DISTINCT"_s, u"DISTINCTROW"_s, u"TOP"_s,   u"PERCENT"_s, u"INTO"_s,
        u"VALUES"_s, u"SET"_s,    u"AND"_s,     u"OR"_s,          u"NOT"_s,     u"XOR"_s,
        u"EQV"_s,    u"IMP"_s,    u"MOD"_s,     u"LIKE"_s,        u"IS"_s,      u"BETWEEN"_s,
        u"IN"_s,     u"ASC"_s,    u"DESC"_s,    u"WHEN"_s,        u"THEN"_s,    u"ELSE"_s,
        u"END"_s,    u"ESCAPE"_s, u"USING"_s,   u"LIMIT"_s,       u"INSERT"_s,  u"UPDATE"_s,
        u"DELETE"_s, u"PARAMETERS"_s, u"PROCEDURE"_s, u"TRANSFORM"_s, u"PIVOT"_s, u"WITH"_s,
    };
    return t.kind == Kind::Identifier && words.contains(t.text.toUpper());
}

// Keywords that start the next clause of a SELECT.
bool isClauseKeyword(const Token &t)
{
    return t.is(u"FROM") || t.is(u"WHERE") || t.is(u"GROUP") || t.is(u"HAVING") || t.is(u"ORDER")
           || t.is(u"UNION");
}

bool isJoinStart(const Token &t)
{
    return t.is(u"INNER") || t.is(u"LEFT") || t.is(u"RIGHT") || t.is(u"FULL") || t.is(u"CROSS")
           || t.is(u"NATURAL") || t.is(u"JOIN");
}

// Appends a piece of SQL with one blank before it, none after an opening
// parenthesis or a dot and none before a closing parenthesis, a comma or a
// dot.
void append(QString &out, const QString &piece)
{
    if (piece.isEmpty())
        return;
    if (!out.isEmpty()) {
        const QChar last = out.back();
        const QChar first = piece.front();
        if (last != u'(' && last != u'.' && first != u')' && first != u',' && first != u'.')
            out += u' ';
    }
    out += piece;
}

QString quoteString(const QString &value)
{
    QString v = value;
    v.replace(u'\'', u"''"_s);
    return u'\'' + v + u'\'';
}

// Names go out in brackets: SQLite reads [name] as a name only, while an
// unknown "name" would silently become a string.
QString quoteName(const QString &name)
{
    if (!name.contains(u']'))
        return u'[' + name + u']';
    QString v = name;
    v.replace(u'"', u"\"\""_s);
    return u'"' + v + u'"';
}

QString nameSql(const Token &t)
{
    return t.kind == Kind::Bracketed ? quoteName(t.text) : t.text;
}

// "1." and ".5" are numbers to Jet; SQLite wants a digit on both sides of
// the point when a word follows.
QString numberSql(const QString &text)
{
    QString s = text;
    if (s.startsWith(u'.'))
        s.prepend(u'0');
    const qsizetype dot = s.indexOf(u'.');
    if (dot >= 0 && (dot + 1 == s.size() || !s[dot + 1].isDigit()))
        s.insert(dot + 1, u'0');
    return s;
}

QString describeToken(const Token &t)
{
    switch (t.kind) {
    case Kind::End:
        return u"the end of the statement"_s;
    case Kind::String:
        return u'\'' + t.text.left(40) + u'\'';
    case Kind::Bracketed:
        return u'[' + t.text.left(40) + u']';
    case Kind::Date:
        return u'#' + t.text.left(40) + u'#';
    default:
        return u'\'' + t.text.left(40) + u'\'';
    }
}

// The first word of a declared column type, upper-cased ("VARCHAR(40)" ->
// "VARCHAR").
QString typeWord(const QString &declared)
{
    QString w;
    for (const QChar c : declared.trimmed()) {
        if (!c.isLetterOrNumber() && c != u'_')
            break;
        w += c.toUpper();
    }
    return w;
}

bool isCurrencyType(const QString &word)
{
    return word == u"CURRENCY" || word == u"MONEY";
}

bool isWholeNumberType(const QString &word)
{
    static const QSet<QString> words = {u"INTEGER"_s, u"INT"_s,     u"SMALLINT"_s, u"TINYINT"_s,
                                        u"BIGINT"_s,  u"MEDIUMINT"_s, u"INT2"_s,   u"INT4"_s,
                                        u"INT8"_s,    u"LONG"_s,    u"SHORT"_s,    u"BYTE"_s,
                                        u"COUNTER"_s, u"AUTOINCREMENT"_s};
    return words.contains(word);
}

// A Jet column type of CREATE/ALTER TABLE in the form the template uses, so
// that SQLite gives the column the right affinity and the catalogue reads the
// ADO type back: text types become VARCHAR(n) compared without regard to
// case, memo types LONGTEXT (MEMO would get numeric affinity).
QString sqliteColumnType(const QString &word, const QString &size, bool hasCollate)
{
    const QString w = word.toUpper();
    const QString nocase = hasCollate ? QString() : u" COLLATE NOCASE"_s;
    static const QSet<QString> text = {u"TEXT"_s,     u"VARCHAR"_s, u"CHAR"_s,  u"CHARACTER"_s,
                                       u"STRING"_s,   u"NVARCHAR"_s, u"NCHAR"_s, u"ALPHANUMERIC"_s,
                                       u"VARYING"_s};
    static const QSet<QString> memo = {u"MEMO"_s, u"LONGTEXT"_s, u"LONGCHAR"_s, u"NOTE"_s,
                                       u"NTEXT"_s, u"HYPERLINK"_s};
    if (text.contains(w))
        return u"VARCHAR("_s + (size.isEmpty() ? u"255"_s : size) + u')' + nocase;
    if (memo.contains(w))
        return u"LONGTEXT"_s + nocase;
    if (isCurrencyType(w))
        return u"CURRENCY"_s;
    if (w == u"BIT" || w == u"YESNO" || w == u"LOGICAL" || w == u"LOGICAL1" || w == u"BOOLEAN")
        return u"YESNO"_s;
    if (w == u"BYTE" || w == u"INTEGER1" || w == u"TINYINT")
        return u"TINYINT"_s;
    if (w == u"SHORT" || w == u"SMALLINT" || w == u"INTEGER2")
        return u"SMALLINT"_s;
    if (w == u"LONG" || w == u"INT" || w == u"INTEGER" || w == u"INTEGER4" || w == u"COUNTER"
        || w == u"AUTOINCREMENT")
        return u"INTEGER"_s;
    if (w == u"SINGLE" || w == u"REAL" || w == u"FLOAT4" || w == u"IEEESINGLE")
        return u"REAL"_s;
    if (w == u"FLOAT")
        return u"FLOAT"_s;
    if (w == u"DOUBLE" || w == u"FLOAT8" || w == u"IEEEDOUBLE" || w == u"NUMBER")
        return u"DOUBLE"_s;
    if (w == u"DATETIME" || w == u"DATE" || w == u"TIME" || w == u"TIMESTAMP")
        return u"DATETIME"_s;
    if (w == u"BINARY" || w == u"VARBINARY" || w == u"LONGBINARY" || w == u"OLEOBJECT"
        || w == u"GENERAL" || w == u"IMAGE")
        return u"BLOB"_s;
    return size.isEmpty() ? w : w + u'(' + size + u')';
}

// One parameter of the statement being translated.
struct Param {
    QString name; // as first declared
    QString type; // declared type, empty for "?" markers
    QString host; // the SQLite host parameter name, written ":" + host
};

// The state of one translation: parameters, inlined stored queries and the
// nesting depth, shared by the parsers of the statement and of the stored
// query bodies it pulls in.
class Session
{
public:
    Session(const TranslateContext &context, QSet<QString> outerExtra)
        : outerExtra(std::move(outerExtra))
        , m_context(context)
    {
    }

    std::optional<StoredQuery> lookup(const QString &name) const
    {
        if (!m_context.queries)
            return std::nullopt;
        return m_context.queries(name);
    }

    QString columnType(const QString &column) const
    {
        return m_context.columnType ? m_context.columnType(column) : QString();
    }

    // The parameter of that name (case-insensitive), added when new.
    int parameter(const QString &name, const QString &type)
    {
        const QString key = name.toLower();
        if (const auto it = m_byKey.constFind(key); it != m_byKey.cend()) {
            if (params[*it].type.isEmpty())
                params[*it].type = type;
            return *it;
        }
        params.append(Param{name, type, uniqueHost(name)});
        m_byKey.insert(key, int(params.size() - 1));
        return int(params.size() - 1);
    }

    int findParameter(const QString &name) const { return m_byKey.value(name.toLower(), -1); }

    // A new parameter for an anonymous "?" marker.
    int anonymousParameter()
    {
        const QString host = uniqueHost(u'_' + QString::number(++m_anonymous));
        params.append(Param{QString(), QString(), host});
        return int(params.size() - 1);
    }

    static void merge(QList<int> &into, const QList<int> &from)
    {
        for (const int i : from)
            if (!into.contains(i))
                into.append(i);
    }

    // Inlines a stored query as a common table expression, after the ones it
    // depends on; answers its parameters in their positional order.
    QList<int> useQuery(const StoredQuery &query);

    QString withClause() const
    {
        return ctes.isEmpty() ? QString() : u"WITH "_s + ctes.join(u", "_s) + u' ';
    }

    QList<Param> params;
    QList<int> positional;   // the statement's parameters in positional order
    bool declaredMode = false; // the statement has a PARAMETERS prefix
    QSet<int> declared;
    QStringList ctes;
    int depth = 0;
    // Outer names that are parameters of the stored queries (second pass),
    // and the outer single names met that were not parameters (first pass).
    QSet<QString> outerExtra;
    QSet<QString> outerNamesSeen;

private:
    QString uniqueHost(const QString &name)
    {
        // A host parameter name is letters, digits and '_'; anything else is
        // replaced, and a clash gets a number.
        QString base;
        for (const QChar c : name)
            base += (c.isLetterOrNumber() || c == u'_') ? c : u'_';
        if (base.isEmpty() || base.front().isDigit())
            base.prepend(u'_');
        QString host = base;
        for (int n = 2; m_hosts.contains(host.toLower()); ++n)
            host = base + u'_' + QString::number(n);
        m_hosts.insert(host.toLower());
        return host;
    }

    // A stored query met in this translation: being inlined, or done with its
    // parameters in positional order.
    struct QueryState {
        bool done = false;
        QList<int> effective;
    };

    const TranslateContext &m_context;
    QHash<QString, int> m_byKey;
    QSet<QString> m_hosts;
    QHash<QString, QueryState> m_queries;
    int m_anonymous = 0;
};

// The names a parser reads as parameters, and where the parameters of the
// stored queries it meets are collected.
struct Scope {
    QHash<QString, int> names; // lower-case name -> parameter
    bool outer = false;        // the statement itself, not a stored body
    QList<int> *refs = nullptr;
    QString queryName;         // the stored query being inlined, for messages
};

// An expression translated, with what its surroundings need to know.
struct Expr {
    QString sql;
    bool atomic = false;         // usable as an operand without parentheses
    bool numericLiteral = false; // a bare number (True/False included)
    bool literal = false;        // a constant that is never Null
    bool arith = false;          // only columns, numbers and + - *
    QStringList columns;         // the column names an arith expression uses
    QStringList concat;          // the operands of a "&" chain, already wrapped
};

// Reads one token list (the statement, or the body of a stored query) and
// writes its SQLite form.
class Parser
{
public:
    Parser(Session &session, const Tokens &tokens, Scope scope)
        : s(session)
        , t(tokens)
        , scope(std::move(scope))
    {
    }

    const Token &peek(qsizetype k = 0) const
    {
        const qsizetype i = p + k;
        return i < t.size() ? t[i] : t.last();
    }
    const Token &next()
    {
        const Token &r = peek();
        if (p < t.size() - 1)
            ++p;
        return r;
    }
    bool atKw(QStringView k) const { return peek().is(k); }
    bool atOp(QStringView o) const { return peek().isOp(o); }
    bool atEnd() const { return peek().kind == Kind::End; }
    qsizetype position() const { return p; }
    void setPosition(qsizetype pos) { p = pos; }

    [[noreturn]] void fail(const Token &at, const QString &what) const
    {
        const QString where = scope.queryName.isEmpty()
                                  ? QString()
                                  : QStringLiteral(" in query '%1'").arg(scope.queryName);
        raiseJetError(ErrSyntax, QStringLiteral("Syntax error%1: %2; found %3 at %4.")
                                     .arg(where, what, describeToken(at), describePosition(at.position)));
    }

    void expectOp(QStringView op)
    {
        if (!atOp(op))
            fail(peek(), QStringLiteral("expected '%1'").arg(op));
        next();
    }
    void expectKw(QStringView kw)
    {
        if (!atKw(kw))
            fail(peek(), QStringLiteral("expected %1").arg(kw));
        next();
    }

    QString statement(Translation::Kind &kind);
    QString storedBody();
    QString selectStatement();
    QString raw(const std::function<bool(const Token &)> &stop, bool selects = false);
    void declarations(QStringList &names, QStringList &types, QStringView end);
    void declareOuter(int index) { scope.names.insert(s.params[index].name.toLower(), index); }

private:
    // Counts one level of nesting for as long as it lives.
    class Nest
    {
    public:
        explicit Nest(Parser &parser)
            : m_session(parser.s)
        {
            if (++m_session.depth > MaxNesting) {
                --m_session.depth;
                parser.fail(parser.peek(), u"the statement is nested too deeply"_s);
            }
        }
        ~Nest() { --m_session.depth; }
        Nest(const Nest &) = delete;
        Nest &operator=(const Nest &) = delete;

    private:
        Session &m_session;
    };

    QString selectCore();
    QString selectList();
    QString fromClause();
    QString tableRef();
    QString joinKeywords();
    QString alias();
    QString clauseExpr(const std::function<bool(const Token &)> &stop);
    QString insertStatement();
    QString updateStatement();
    QString deleteStatement();
    QString simpleName();

    std::optional<Expr> expr(int minPrec);
    Expr require(int minPrec, const QString &what);
    std::optional<Expr> unary();
    std::optional<Expr> primary();
    Expr parenthesised();
    Expr functionCall();
    Expr caseExpr();
    Expr nameExpr();
    QString inList();
    QString rawToken();
    QString hostFor(const Token &name, bool &isParam);
    bool exactCurrency(const Expr &e) const;

    Session &s;
    const Tokens &t;
    Scope scope;
    qsizetype p = 0;
};

QList<int> Session::useQuery(const StoredQuery &query)
{
    const QString key = query.name.toLower();
    if (const auto it = m_queries.constFind(key); it != m_queries.cend()) {
        if (!it->done)
            raiseJetError(ErrSyntax, QStringLiteral("Circular reference caused by query '%1'.").arg(query.name));
        return it->effective;
    }
    m_queries.insert(key, QueryState{});

    Tokens body;
    try {
        body = tokenize(query.body);
    } catch (const RuntimeError &e) {
        raiseJetError(e.number(), QStringLiteral("In query '%1': %2").arg(query.name, e.detail()));
    }
    if (body.size() >= 2 && body[body.size() - 2].isOp(u";"))
        body.removeAt(body.size() - 2);

    Scope scope;
    scope.queryName = query.name;
    QStringList names = query.parameterNames;
    QStringList types = query.parameterTypes;
    Parser parser(*this, body, Scope{});
    if (parser.atKw(u"PARAMETERS")) {
        parser.next();
        parser.declarations(names, types, u";");
        parser.expectOp(u";");
    }
    QList<int> effective;
    for (qsizetype i = 0; i < names.size(); ++i) {
        int index = -1;
        if (declaredMode) {
            // The statement's PARAMETERS prefix fixes every parameter; a stored
            // query binds to those by name.
            index = findParameter(names[i]);
            if (index < 0 || !declared.contains(index))
                raiseJetError(ErrParameters,
                              QStringLiteral("The parameter '%1' of query '%2' is not declared by the "
                                             "PARAMETERS clause of the statement.")
                                  .arg(names[i], query.name));
        } else {
            index = parameter(names[i], types.value(i));
        }
        scope.names.insert(names[i].toLower(), index);
        if (!effective.contains(index))
            effective.append(index);
    }
    for (const int index : std::as_const(declared))
        if (!scope.names.contains(params[index].name.toLower()))
            scope.names.insert(params[index].name.toLower(), index);
    scope.refs = &effective;

    Parser bodyParser(*this, body, scope);
    bodyParser.setPosition(parser.position());
    const QString sql = bodyParser.storedBody();

    m_queries.insert(key, QueryState{true, effective});
    ctes.append(quoteName(query.name) + u" AS ("_s + sql + u')');
    return effective;
}

void Parser::declarations(QStringList &names, QStringList &types, QStringView end)
{
    while (true) {
        const Token &name = peek();
        if (!name.isName() || (name.kind == Kind::Identifier && isReserved(name)))
            fail(name, u"expected a parameter name"_s);
        next();
        const Token &type = peek();
        if (type.kind != Kind::Identifier)
            fail(type, QStringLiteral("expected the type of parameter '%1'").arg(name.text));
        next();
        if (atOp(u"(")) { // Text(255), Decimal(18, 4): the size does not matter here
            next();
            while (!atOp(u")")) {
                if (peek().kind != Kind::Number && !atOp(u","))
                    fail(peek(), u"expected a size"_s);
                next();
            }
            next();
        }
        for (const QString &n : std::as_const(names))
            if (n.compare(name.text, Qt::CaseInsensitive) == 0)
                fail(name, QStringLiteral("parameter '%1' declared twice").arg(name.text));
        names.append(name.text);
        types.append(type.text);
        if (atOp(u",")) {
            next();
            continue;
        }
        if (end.isEmpty() ? !atEnd() : !atOp(end))
            fail(peek(), end.isEmpty() ? u"expected ',' in the parameter list"_s
                                       : QStringLiteral("expected ',' or '%1' in the parameter list").arg(end));
        return;
    }
}

QString Parser::statement(Translation::Kind &kind)
{
    if (atKw(u"SELECT")) {
        kind = Translation::Kind::Select;
        return selectStatement();
    }
    if (atKw(u"INSERT") || atKw(u"UPDATE") || atKw(u"DELETE")) {
        kind = Translation::Kind::Modify;
        if (atKw(u"INSERT"))
            return insertStatement();
        if (atKw(u"UPDATE"))
            return updateStatement();
        return deleteStatement();
    }
    if (s.declaredMode)
        fail(peek(), u"expected SELECT, INSERT, UPDATE or DELETE after PARAMETERS"_s);
    if (atKw(u"TRANSFORM"))
        fail(peek(), u"crosstab queries are not supported"_s);
    kind = Translation::Kind::Ddl;
    QString out = raw(nullptr, true);
    if (atOp(u")"))
        fail(peek(), u"unbalanced ')'"_s);
    return out;
}

QString Parser::storedBody()
{
    if (!atKw(u"SELECT"))
        fail(peek(), u"a stored query must be a SELECT"_s);
    QString out = selectStatement();
    if (!atEnd())
        fail(peek(), u"characters found after the end of the query"_s);
    return out;
}

QString Parser::selectStatement()
{
    Nest nest(*this);
    QString out = selectCore();
    while (atKw(u"UNION")) {
        next();
        append(out, u"UNION"_s);
        if (atKw(u"ALL")) {
            next();
            append(out, u"ALL"_s);
        }
        if (!atKw(u"SELECT"))
            fail(peek(), u"expected SELECT after UNION"_s);
        append(out, selectCore());
    }
    return out;
}

QString Parser::selectCore()
{
    expectKw(u"SELECT");
    QString out = u"SELECT"_s;
    if (atKw(u"DISTINCT") || atKw(u"ALL"))
        append(out, next().text.toUpper());
    else if (atKw(u"DISTINCTROW")) // the rows of a SELECT over one table are distinct anyway
        next();
    QString limit;
    if (atKw(u"TOP")) {
        next();
        const Token &n = peek();
        bool ok = false;
        const qlonglong count = n.text.toLongLong(&ok);
        if (n.kind != Kind::Number || !ok || count < 0)
            fail(n, u"expected a whole number after TOP"_s);
        next();
        if (atKw(u"PERCENT"))
            fail(peek(), u"TOP ... PERCENT is not supported"_s);
        // Jet's TOP also returns the rows that tie with the last one; the
        // stored queries order by a unique key, so LIMIT gives the same rows.
        limit = QString::number(count);
    }
    append(out, selectList());
    if (atKw(u"INTO"))
        fail(peek(), u"SELECT ... INTO is not supported"_s);
    if (atKw(u"FROM")) {
        next();
        append(out, u"FROM"_s);
        append(out, fromClause());
    }
    if (atKw(u"WHERE")) {
        next();
        append(out, u"WHERE"_s);
        append(out, clauseExpr(isClauseKeyword));
    }
    if (atKw(u"GROUP")) {
        next();
        expectKw(u"BY");
        // Jet ignores a constant in GROUP BY; SQLite reads an integer K as
        // "result column K" and fails when there is no such column, so the
        // numeric terms go.
        QStringList kept;
        while (true) {
            const Expr e = require(0, u"a GROUP BY term"_s);
            QString term = e.sql;
            bool constant = e.numericLiteral;
            if (!atOp(u",") && !isClauseKeyword(peek()) && !atOp(u")") && !atOp(u";") && !atEnd()) {
                append(term, raw([](const Token &k) { return k.isOp(u",") || isClauseKeyword(k); }));
                constant = false;
            }
            if (!constant)
                kept.append(term);
            if (!atOp(u","))
                break;
            next();
        }
        if (!kept.isEmpty())
            append(out, u"GROUP BY "_s + kept.join(u", "_s));
    }
    if (atKw(u"HAVING")) {
        next();
        append(out, u"HAVING"_s);
        append(out, clauseExpr(isClauseKeyword));
    }
    if (atKw(u"ORDER")) {
        next();
        expectKw(u"BY");
        QStringList terms;
        while (true) {
            QString term = require(0, u"an ORDER BY term"_s).sql;
            if (atKw(u"ASC") || atKw(u"DESC"))
                append(term, next().text.toUpper());
            if (!atOp(u",") && !isClauseKeyword(peek()) && !atOp(u")") && !atOp(u";") && !atEnd())
                append(term, raw([](const Token &k) { return k.isOp(u",") || isClauseKeyword(k); }));
            terms.append(term);
            if (!atOp(u","))
                break;
            next();
        }
        append(out, u"ORDER BY "_s + terms.join(u", "_s));
    }
    if (!atKw(u"UNION") && !atOp(u")") && !atOp(u";") && !atEnd())
        append(out, raw([](const Token &k) { return k.is(u"UNION"); }));
    if (!limit.isEmpty())
        append(out, u"LIMIT "_s + limit);
    return out;
}

QString Parser::selectList()
{
    QString out;
    while (true) {
        QString item = require(0, u"a column of the SELECT list"_s).sql;
        if (atKw(u"AS")) {
            next();
            if (!peek().isName())
                fail(peek(), u"expected a name after AS"_s);
            append(item, u"AS "_s + nameSql(next()));
        } else if (peek().kind == Kind::Bracketed
                   || (peek().kind == Kind::Identifier && !isReserved(peek()))) {
            append(item, u"AS "_s + nameSql(next()));
        }
        if (!atOp(u",") && !isClauseKeyword(peek()) && !atOp(u")") && !atOp(u";") && !atEnd())
            append(item, raw([](const Token &k) { return k.isOp(u",") || isClauseKeyword(k); }));
        append(out, item);
        if (!atOp(u","))
            break;
        next();
        out += u',';
    }
    return out;
}

QString Parser::joinKeywords()
{
    // [NATURAL] [INNER | LEFT [OUTER] | RIGHT [OUTER] | FULL [OUTER] | CROSS] JOIN
    qsizetype k = 0;
    QStringList words;
    while (true) {
        const Token &w = peek(k);
        if (w.is(u"JOIN")) {
            words.append(u"JOIN"_s);
            break;
        }
        if (k < 3 && (isJoinStart(w) || w.is(u"OUTER"))) {
            words.append(w.text.toUpper());
            ++k;
            continue;
        }
        return QString();
    }
    for (qsizetype i = 0; i <= k; ++i)
        next();
    return words.join(u' ');
}

QString Parser::fromClause()
{
    QString out = tableRef();
    while (true) {
        if (atOp(u",")) {
            next();
            out += u',';
            append(out, tableRef());
            continue;
        }
        const QString join = joinKeywords();
        if (join.isEmpty())
            break;
        append(out, join);
        append(out, tableRef());
        if (atKw(u"ON")) {
            next();
            append(out, u"ON"_s);
            append(out, clauseExpr([](const Token &k) {
                return k.isOp(u",") || isJoinStart(k) || isClauseKeyword(k);
            }));
        }
    }
    return out;
}

QString Parser::tableRef()
{
    Nest nest(*this);
    const Token &first = peek();
    QString out;
    if (first.isOp(u"(")) {
        next();
        const QString inner = atKw(u"SELECT") ? selectStatement() : fromClause();
        expectOp(u")");
        out = u'(' + inner + u')';
    } else {
        if (!first.isName() || (first.kind == Kind::Identifier && isReserved(first)))
            fail(first, u"expected a table or query name in the FROM clause"_s);
        next();
        out = nameSql(first);
        bool qualified = false;
        while (atOp(u".") && peek(1).isName()) {
            next();
            out += u'.' + nameSql(next());
            qualified = true;
        }
        if (!qualified) {
            if (const auto query = s.lookup(first.text)) {
                const QList<int> params = s.useQuery(*query);
                if (scope.refs)
                    Session::merge(*scope.refs, params);
                out = quoteName(query->name);
            }
        }
    }
    append(out, alias());
    return out;
}

QString Parser::alias()
{
    if (atKw(u"AS")) {
        next();
        if (!peek().isName())
            fail(peek(), u"expected a name after AS"_s);
        return u"AS "_s + nameSql(next());
    }
    if (peek().kind == Kind::Bracketed || (peek().kind == Kind::Identifier && !isReserved(peek())))
        return u"AS "_s + nameSql(next());
    return QString();
}

QString Parser::clauseExpr(const std::function<bool(const Token &)> &stop)
{
    QString out = require(0, u"an expression"_s).sql;
    if (!stop(peek()) && !atOp(u")") && !atOp(u";") && !atEnd())
        append(out, raw(stop));
    return out;
}

QString Parser::simpleName()
{
    const Token &n = peek();
    if (!n.isName() || (n.kind == Kind::Identifier && isReserved(n)))
        fail(n, u"expected a table name"_s);
    next();
    QString out = nameSql(n);
    while (atOp(u".") && peek(1).isName()) {
        next();
        out += u'.' + nameSql(next());
    }
    return out;
}

QString Parser::insertStatement()
{
    next(); // INSERT
    expectKw(u"INTO");
    QString out = u"INSERT INTO "_s + simpleName();
    if (atOp(u"(") && !peek(1).is(u"SELECT")) {
        next();
        QStringList columns;
        while (true) {
            if (!peek().isName())
                fail(peek(), u"expected a column name"_s);
            columns.append(nameSql(next()));
            if (!atOp(u","))
                break;
            next();
        }
        expectOp(u")");
        append(out, u'(' + columns.join(u", "_s) + u')');
    }
    if (atKw(u"SELECT")) {
        append(out, selectStatement());
    } else if (atKw(u"VALUES")) {
        next();
        append(out, u"VALUES"_s);
        while (true) {
            expectOp(u"(");
            append(out, u'(' + inList() + u')');
            expectOp(u")");
            if (!atOp(u","))
                break;
            next();
            out += u',';
        }
    } else {
        fail(peek(), u"expected SELECT or VALUES"_s);
    }
    if (!atOp(u";") && !atEnd())
        append(out, raw(nullptr));
    return out;
}

QString Parser::updateStatement()
{
    next(); // UPDATE
    QString out = u"UPDATE "_s + simpleName();
    append(out, alias());
    if (!atKw(u"SET")) // joins in UPDATE: SQLite will say what it thinks of them
        append(out, raw([](const Token &k) { return k.is(u"SET"); }));
    expectKw(u"SET");
    append(out, u"SET"_s);
    QStringList assignments;
    while (true) {
        // SQLite refuses a table-qualified SET target, so the qualifier is
        // dropped: "SET Articoli.ScortaMinima = 0" sets ScortaMinima.
        const Token *target = &peek();
        if (!target->isName())
            fail(*target, u"expected a column name after SET"_s);
        next();
        while (atOp(u".") && peek(1).isName()) {
            next();
            target = &next();
        }
        expectOp(u"=");
        QString value = require(0, u"a value"_s).sql;
        if (!atOp(u",") && !atKw(u"WHERE") && !atOp(u";") && !atEnd())
            append(value, raw([](const Token &k) { return k.isOp(u",") || k.is(u"WHERE"); }));
        assignments.append(nameSql(*target) + u" = "_s + value);
        if (!atOp(u","))
            break;
        next();
    }
    append(out, assignments.join(u", "_s));
    if (atKw(u"WHERE")) {
        next();
        append(out, u"WHERE"_s);
        append(out, clauseExpr([](const Token &) { return false; }));
    }
    if (!atOp(u";") && !atEnd())
        append(out, raw(nullptr));
    return out;
}

QString Parser::deleteStatement()
{
    next(); // DELETE
    // Jet names what to delete ("DELETE *", "DELETE Articoli.*"); SQLite
    // deletes rows of the one table after FROM.
    if (atOp(u"*")) {
        next();
    } else if (peek().isName() && !atKw(u"FROM")) {
        next();
        while (atOp(u".") && (peek(1).isName() || peek(1).isOp(u"*"))) {
            next();
            next();
        }
    }
    expectKw(u"FROM");
    QString out = u"DELETE FROM "_s + simpleName();
    append(out, alias());
    if (atKw(u"WHERE")) {
        next();
        append(out, u"WHERE"_s);
        append(out, clauseExpr([](const Token &) { return false; }));
    }
    if (!atOp(u";") && !atEnd())
        append(out, raw(nullptr));
    return out;
}

QString Parser::raw(const std::function<bool(const Token &)> &stop, bool selects)
{
    // Text the parser has no rule for passes through token by token, with the
    // literals, names and parameters rewritten and the parentheses balanced.
    QString out;
    int depth = 0;
    while (true) {
        const Token &k = peek();
        if (k.kind == Kind::End || k.isOp(u";")) {
            if (depth > 0)
                fail(k, u"missing ')'"_s);
            break;
        }
        if (depth == 0 && (k.isOp(u")") || (stop && stop(k))))
            break;
        if (k.isOp(u"(")) {
            if (peek(1).is(u"SELECT")) {
                next();
                const QString sub = selectStatement();
                expectOp(u")");
                append(out, u'(' + sub + u')');
                continue;
            }
            if (++depth > MaxNesting)
                fail(k, u"the statement is nested too deeply"_s);
        } else if (k.isOp(u")")) {
            --depth;
        } else if (selects && depth == 0 && k.is(u"SELECT")) {
            append(out, selectStatement());
            continue;
        }
        append(out, rawToken());
    }
    return out;
}

QString Parser::rawToken()
{
    const Token &k = next();
    switch (k.kind) {
    case Kind::Identifier:
        if (k.is(u"TRUE"))
            return u"1"_s;
        if (k.is(u"FALSE"))
            return u"0"_s;
        [[fallthrough]];
    case Kind::Bracketed: {
        // A lone name may be a parameter; one next to a dot or a parenthesis
        // is part of a qualified name or a function call.
        const bool alone = !(p >= 2 && t[p - 2].isOp(u".")) && !atOp(u".") && !atOp(u"(");
        bool isParam = false;
        if (alone) {
            const QString host = hostFor(k, isParam);
            if (isParam)
                return host;
        }
        return nameSql(k);
    }
    case Kind::String:
        return quoteString(k.text);
    case Kind::Date:
        return quoteString(k.date.toIso());
    case Kind::Number:
        return numberSql(k.text);
    case Kind::Parameter: {
        if (!scope.outer)
            fail(k, u"a stored query cannot use '?'"_s);
        const int index = s.anonymousParameter();
        s.positional.append(index);
        return u':' + s.params[index].host;
    }
    case Kind::Operator:
    case Kind::End:
        break;
    }
    return k.text;
}

QString Parser::hostFor(const Token &name, bool &isParam)
{
    const QString key = name.text.toLower();
    isParam = true;
    if (const auto it = scope.names.constFind(key); it != scope.names.cend())
        return u':' + s.params[*it].host;
    if (scope.outer) {
        if (s.outerExtra.contains(key))
            return u':' + s.params[s.parameter(name.text, QString())].host;
        s.outerNamesSeen.insert(key);
    }
    isParam = false;
    return QString();
}

// ---- expressions -----------------------------------------------------------
//
// Jet's operator precedence, loosest first: Or; And; Not; comparisons (=, <>,
// <, >, <=, >=, Like, Is, Between, In); &; + -; Mod; * /; unary minus. SQLite
// binds || tighter than * and /, so every rewritten operator is put in
// parentheses of its own.

namespace prec {
constexpr int Or = 1;
constexpr int And = 2;
constexpr int Not = 3;
constexpr int Compare = 4;
constexpr int Concat = 5;
constexpr int Add = 6;
constexpr int Mod = 7;
constexpr int Mul = 9;
constexpr int Unary = 10;
} // namespace prec

int binaryPrecedence(const Token &k, const Token &after)
{
    if (k.kind == Kind::Operator) {
        const QString &o = k.text;
        if (o == u"*" || o == u"/")
            return prec::Mul;
        if (o == u"+" || o == u"-")
            return prec::Add;
        if (o == u"&")
            return prec::Concat;
        if (o == u"=" || o == u"<>" || o == u"<" || o == u">" || o == u"<=" || o == u">=")
            return prec::Compare;
        return 0;
    }
    if (k.is(u"OR"))
        return prec::Or;
    if (k.is(u"AND"))
        return prec::And;
    if (k.is(u"MOD"))
        return prec::Mod;
    if (k.is(u"LIKE") || k.is(u"IS") || k.is(u"BETWEEN") || k.is(u"IN"))
        return prec::Compare;
    if (k.is(u"NOT") && (after.is(u"LIKE") || after.is(u"BETWEEN") || after.is(u"IN")))
        return prec::Compare;
    return 0;
}

// An expression with nothing known about it but its text.
Expr plain(const QString &sql)
{
    Expr e;
    e.sql = sql;
    return e;
}

QString concatOperand(const Expr &e)
{
    // Jet's & reads Null as an empty text; SQLite's || would give Null.
    return e.literal ? e.sql : u"IFNULL("_s + e.sql + u", '')"_s;
}

Expr Parser::require(int minPrec, const QString &what)
{
    auto e = expr(minPrec);
    if (!e)
        fail(peek(), u"expected "_s + what);
    return *e;
}

std::optional<Expr> Parser::expr(int minPrec)
{
    Nest nest(*this);
    auto first = unary();
    if (!first)
        return std::nullopt;
    Expr lhs = std::move(*first);
    // A "&" chain keeps its operands and writes its text once, at the end:
    // long chains stay linear.
    const auto finishConcat = [](Expr &e) {
        if (!e.concat.isEmpty() && e.sql.isEmpty())
            e.sql = u'(' + e.concat.join(u" || "_s) + u')';
    };
    // lhs op rhs, written in place so that long chains stay linear.
    const auto chain = [](Expr &l, const QString &op, const Expr &rhs) {
        Expr r;
        r.sql = std::move(l.sql);
        r.sql += u' ' + op + u' ' + rhs.sql;
        return r;
    };
    while (true) {
        const Token &op = peek();
        const int precedence = binaryPrecedence(op, peek(1));
        if (precedence == 0 || precedence < minPrec)
            break;
        next();
        if (op.isOp(u"&")) {
            const Expr rhs = require(prec::Concat + 1, u"an operand of '&'"_s);
            Expr r;
            if (lhs.concat.isEmpty())
                r.concat.append(concatOperand(lhs));
            else
                r.concat = std::move(lhs.concat);
            r.concat.append(concatOperand(rhs));
            r.atomic = true;
            lhs = std::move(r);
            continue;
        }
        finishConcat(lhs);
        Expr r;
        if (op.isOp(u"/")) {
            // Jet always divides in floating point; SQLite would truncate two
            // integers.
            const Expr rhs = require(prec::Unary, u"a divisor"_s);
            r.sql = u"(CAST("_s + lhs.sql + u" AS REAL) / "_s
                    + (rhs.atomic ? rhs.sql : u'(' + rhs.sql + u')') + u')';
            r.atomic = true;
        } else if (op.isOp(u"*") || op.isOp(u"+") || op.isOp(u"-")) {
            const Expr rhs = require(precedence + 1, u"an operand of '"_s + op.text + u'\'');
            const bool arith = lhs.arith && rhs.arith;
            QStringList columns = std::move(lhs.columns);
            r = chain(lhs, op.text, rhs);
            r.arith = arith;
            r.columns = std::move(columns);
            r.columns += rhs.columns;
        } else if (op.is(u"MOD")) {
            const Expr rhs = require(prec::Mod + 1, u"an operand of Mod"_s);
            r.sql = u'(' + lhs.sql + u" % "_s + rhs.sql + u')';
            r.atomic = true;
        } else if (op.is(u"AND") || op.is(u"OR")) {
            const Expr rhs = require(precedence + 1, u"an operand of "_s + op.text.toUpper());
            r = chain(lhs, op.text.toUpper(), rhs);
        } else if (op.kind == Kind::Operator) { // comparisons
            const Expr rhs = require(prec::Compare + 1, u"an operand of '"_s + op.text + u'\'');
            r = chain(lhs, op.text, rhs);
        } else {
            QString word = op.text.toUpper();
            if (word == u"NOT")
                word += u' ' + next().text.toUpper();
            if (word == u"IS") {
                if (atKw(u"NOT")) {
                    next();
                    word += u" NOT"_s;
                }
                expectKw(u"NULL");
                r.sql = lhs.sql + u' ' + word + u" NULL"_s;
            } else if (word.endsWith(u"BETWEEN")) {
                const Expr low = require(prec::Compare + 1, u"the lower bound of Between"_s);
                expectKw(u"AND");
                const Expr high = require(prec::Compare + 1, u"the upper bound of Between"_s);
                r.sql = lhs.sql + u' ' + word + u' ' + low.sql + u" AND "_s + high.sql;
            } else if (word.endsWith(u"IN")) {
                expectOp(u"(");
                const QString list = atKw(u"SELECT") ? selectStatement() : inList();
                expectOp(u")");
                r.sql = lhs.sql + u' ' + word + u" ("_s + list + u')';
            } else { // LIKE
                const Expr rhs = require(prec::Compare + 1, u"a pattern after Like"_s);
                r = chain(lhs, word, rhs);
            }
        }
        lhs = std::move(r);
    }
    finishConcat(lhs);
    return lhs;
}

QString Parser::inList()
{
    QString out;
    while (true) {
        QString item = require(0, u"a value"_s).sql;
        if (!atOp(u",") && !atOp(u")"))
            append(item, raw([](const Token &k) { return k.isOp(u","); }));
        append(out, item);
        if (!atOp(u","))
            break;
        next();
        out += u',';
    }
    return out;
}

std::optional<Expr> Parser::unary()
{
    const Token &k = peek();
    if (k.is(u"NOT")) {
        next();
        Expr e = require(prec::Not + 1, u"an operand of NOT"_s);
        Expr r;
        r.sql = u"NOT "_s + e.sql;
        return r;
    }
    if (k.isOp(u"-") || k.isOp(u"+")) {
        const QString sign = next().text;
        Expr e = require(prec::Unary, u"an operand of '"_s + sign + u'\'');
        // "- -1" must keep its blank: "--" starts a comment in SQLite.
        const bool gap = e.sql.startsWith(u'-') || e.sql.startsWith(u'+');
        e.sql = sign + (gap ? u" "_s : QString()) + e.sql;
        e.concat.clear();
        return e;
    }
    return primary();
}

std::optional<Expr> Parser::primary()
{
    const Token &k = peek();
    Expr e;
    switch (k.kind) {
    case Kind::End:
        return std::nullopt;
    case Kind::Number:
        e.sql = numberSql(next().text);
        e.atomic = e.numericLiteral = e.literal = e.arith = true;
        return e;
    case Kind::String:
        e.sql = quoteString(next().text);
        e.atomic = e.literal = true;
        return e;
    case Kind::Date:
        // #mm/dd/yy# is ISO text in the database: 'YYYY-MM-DD', with the
        // time only when there is one.
        e.sql = quoteString(next().date.toIso());
        e.atomic = e.literal = true;
        return e;
    case Kind::Parameter:
        e.sql = rawToken();
        e.atomic = true;
        return e;
    case Kind::Operator:
        if (k.isOp(u"("))
            return parenthesised();
        if (k.isOp(u"*")) { // SELECT *, Count(*)
            next();
            e.sql = u"*"_s;
            e.atomic = true;
            return e;
        }
        return std::nullopt;
    case Kind::Bracketed:
        return nameExpr();
    case Kind::Identifier:
        break;
    }
    if (k.is(u"TRUE") || k.is(u"FALSE")) {
        // Jet's True is -1 but Yes/No columns hold 0 and 1 here.
        e.sql = k.is(u"TRUE") ? u"1"_s : u"0"_s;
        next();
        e.atomic = e.numericLiteral = e.literal = e.arith = true;
        return e;
    }
    if (k.is(u"NULL")) {
        next();
        e.sql = u"NULL"_s;
        e.atomic = true;
        return e;
    }
    if (k.is(u"EXISTS") && peek(1).isOp(u"(")) {
        next();
        next();
        if (!atKw(u"SELECT"))
            fail(peek(), u"expected SELECT after EXISTS ("_s);
        e.sql = u"EXISTS ("_s + selectStatement() + u')';
        expectOp(u")");
        e.atomic = true;
        return e;
    }
    if (k.is(u"CASE"))
        return caseExpr();
    if (peek(1).isOp(u"(") && (!isReserved(k) || k.is(u"LEFT") || k.is(u"RIGHT")))
        return functionCall();
    if (isReserved(k))
        return std::nullopt;
    return nameExpr();
}

Expr Parser::parenthesised()
{
    Nest nest(*this);
    next(); // (
    Expr e;
    if (atKw(u"SELECT")) {
        e.sql = u'(' + selectStatement() + u')';
        expectOp(u")");
        e.atomic = true;
        return e;
    }
    Expr inner = require(0, u"an expression"_s);
    if (!atOp(u")")) {
        append(inner.sql, raw(nullptr));
        inner = plain(inner.sql);
    }
    expectOp(u")");
    e = inner;
    e.sql = u'(' + inner.sql + u')';
    e.atomic = true;
    e.concat.clear();
    return e;
}

Expr Parser::caseExpr()
{
    next(); // CASE
    Expr e;
    e.sql = u"CASE"_s;
    if (!atKw(u"WHEN"))
        append(e.sql, require(0, u"an expression after CASE"_s).sql);
    if (!atKw(u"WHEN"))
        fail(peek(), u"expected WHEN"_s);
    while (atKw(u"WHEN")) {
        next();
        append(e.sql, u"WHEN "_s + require(0, u"a condition"_s).sql);
        expectKw(u"THEN");
        append(e.sql, u"THEN "_s + require(0, u"a value"_s).sql);
    }
    if (atKw(u"ELSE")) {
        next();
        append(e.sql, u"ELSE "_s + require(0, u"a value"_s).sql);
    }
    expectKw(u"END");
    append(e.sql, u"END"_s);
    e.atomic = true;
    return e;
}

Expr Parser::nameExpr()
{
    const Token &first = next();
    Expr e;
    e.atomic = true;
    if (!atOp(u".") && !atOp(u"!")) {
        bool isParam = false;
        const QString host = hostFor(first, isParam);
        if (isParam) {
            e.sql = host;
            return e;
        }
        e.sql = nameSql(first);
        e.arith = true;
        e.columns = QStringList{first.text};
        return e;
    }
    e.sql = nameSql(first);
    const Token *last = &first;
    while ((atOp(u".") || atOp(u"!")) && (peek(1).isName() || peek(1).isOp(u"*"))) {
        next();
        last = &next();
        e.sql += u'.' + (last->isOp(u"*") ? u"*"_s : nameSql(*last));
        if (last->isOp(u"*"))
            return e;
    }
    e.arith = true;
    e.columns = QStringList{last->text};
    return e;
}

bool Parser::exactCurrency(const Expr &e) const
{
    // Sums of currency amounts (with whole numbers and constants) would pick up
    // binary floating-point noise that fixed-point Jet never shows.
    if (!e.arith || e.columns.isEmpty())
        return false;
    bool currency = false;
    for (const QString &column : e.columns) {
        const QString word = typeWord(s.columnType(column));
        if (isCurrencyType(word))
            currency = true;
        else if (!isWholeNumberType(word))
            return false;
    }
    return currency;
}

Expr Parser::functionCall()
{
    const Token &nameToken = next();
    const QString name = nameToken.text;
    const QString lower = name.toLower();
    next(); // (
    QList<Expr> args;
    if (!atOp(u")")) {
        while (true) {
            QString prefix;
            if (args.isEmpty() && (atKw(u"DISTINCT") || atKw(u"ALL")))
                prefix = next().text.toUpper() + u' ';
            Expr a = require(0, QStringLiteral("an argument of %1").arg(name));
            if (!prefix.isEmpty() || (!atOp(u",") && !atOp(u")"))) {
                QString sql = prefix + a.sql;
                if (!atOp(u",") && !atOp(u")"))
                    append(sql, raw([](const Token &k) { return k.isOp(u","); }));
                a = plain(sql);
            }
            args.append(a);
            if (!atOp(u","))
                break;
            next();
        }
    }
    expectOp(u")");

    const auto arity = [&](qsizetype low, qsizetype high) {
        if (args.size() < low || args.size() > high)
            raiseJetError(ErrSyntax, QStringLiteral("Wrong number of arguments used with function %1 at %2.")
                                         .arg(name, describePosition(nameToken.position)));
    };
    const auto argList = [&](qsizetype from = 0) {
        QStringList parts;
        for (qsizetype i = from; i < args.size(); ++i)
            parts.append(args[i].sql);
        return parts.join(u", "_s);
    };

    Expr e;
    e.atomic = true;
    if (lower == u"iif") {
        arity(3, 3);
        e.sql = u"CASE WHEN "_s + args[0].sql + u" THEN "_s + args[1].sql + u" ELSE "_s + args[2].sql + u" END"_s;
    } else if (lower == u"isnull") {
        arity(1, 1);
        e.sql = u"(("_s + args[0].sql + u") IS NULL)"_s;
    } else if (lower == u"nz") {
        arity(1, 2);
        e.sql = u"IFNULL("_s + args[0].sql + u", "_s + (args.size() == 2 ? args[1].sql : u"''"_s) + u')';
    } else if (lower == u"year" || lower == u"month" || lower == u"day" || lower == u"hour"
               || lower == u"minute" || lower == u"second") {
        arity(1, 1);
        static const QHash<QString, QString> formats = {{u"year"_s, u"%Y"_s},   {u"month"_s, u"%m"_s},
                                                        {u"day"_s, u"%d"_s},    {u"hour"_s, u"%H"_s},
                                                        {u"minute"_s, u"%M"_s}, {u"second"_s, u"%S"_s}};
        // jet_year gives the same as strftime, reading plain dates directly.
        e.sql = lower == u"year" ? u"jet_year("_s + args[0].sql + u')'
                                 : u"CAST(strftime('"_s + formats.value(lower) + u"', "_s + args[0].sql
                + u") AS INTEGER)"_s;
    } else if (lower == u"last") {
        arity(1, 1);
        e.sql = u"jet_last("_s + args[0].sql + u')';
    } else if (lower == u"sum" || lower == u"avg") {
        arity(1, 1);
        e.sql = name + u'(' + args[0].sql + u')';
        if (exactCurrency(args[0]))
            e.sql = u"ROUND("_s + e.sql + u", 4)"_s;
    } else if (lower == u"ucase" || lower == u"lcase" || lower == u"len") {
        arity(1, 1);
        e.sql = (lower == u"ucase" ? u"upper("_s : lower == u"lcase" ? u"lower("_s : u"length("_s)
                + args[0].sql + u')';
    } else if (lower == u"mid") {
        arity(2, 3);
        e.sql = u"substr("_s + argList() + u')';
    } else if (lower == u"left") {
        arity(2, 2);
        e.sql = u"substr("_s + args[0].sql + u", 1, "_s + args[1].sql + u')';
    } else if ((lower == u"date" || lower == u"now" || lower == u"time") && args.isEmpty()) {
        const QString fn = lower == u"now" ? u"datetime"_s : lower;
        e.sql = fn + u"('now', 'localtime')"_s;
    } else {
        e.sql = name + u'(' + argList() + u')';
    }
    return e;
}

// ---- statements ------------------------------------------------------------

// Reads the literal argument of "Execute name arg, ...".
Variant executeArgument(Parser &parser)
{
    const Token &k = parser.peek();
    if (k.isOp(u"-") || k.isOp(u"+")) {
        const bool negative = k.isOp(u"-");
        parser.next();
        if (parser.peek().kind != Kind::Number)
            parser.fail(parser.peek(), u"expected a number"_s);
        const QString text = (negative ? u"-"_s : QString()) + parser.next().text;
        bool ok = false;
        const qlonglong whole = text.toLongLong(&ok);
        if (ok)
            return Variant::fromInt64(whole);
        return Variant(text.toDouble());
    }
    switch (k.kind) {
    case Kind::Number: {
        const QString text = parser.next().text;
        bool ok = false;
        const qlonglong whole = text.toLongLong(&ok);
        if (ok)
            return Variant::fromInt64(whole);
        return Variant(numberSql(text).toDouble());
    }
    case Kind::String:
        return Variant(parser.next().text);
    case Kind::Date:
        return Variant(parser.next().date);
    default:
        break;
    }
    if (k.is(u"TRUE") || k.is(u"FALSE")) {
        parser.next();
        return Variant(k.is(u"TRUE"));
    }
    if (k.is(u"NULL")) {
        parser.next();
        return Variant::null();
    }
    parser.fail(k, u"expected a date, a number or a text as argument"_s);
}

void fillParameters(Translation &tr, const Session &s)
{
    for (const int index : s.positional) {
        tr.parameterNames.append(s.params[index].host);
        tr.parameterTypes.append(s.params[index].type);
    }
}

Translation translateExecute(const Tokens &tokens, const TranslateContext &context)
{
    Session s(context, {});
    Scope scope;
    scope.outer = true;
    scope.refs = &s.positional;
    Parser parser(s, tokens, scope);
    parser.next(); // EXECUTE
    const Token &name = parser.peek();
    if (!name.isName())
        parser.fail(name, u"expected the name of a query after Execute"_s);
    parser.next();
    QList<Variant> args;
    if (!parser.atEnd()) {
        while (true) {
            args.append(executeArgument(parser));
            if (parser.atEnd())
                break;
            if (!parser.atOp(u","))
                parser.fail(parser.peek(), u"expected ',' between the arguments"_s);
            parser.next();
        }
    }

    Translation tr;
    tr.kind = Translation::Kind::Select;
    QString from;
    if (const auto query = s.lookup(name.text)) {
        Session::merge(s.positional, s.useQuery(*query));
        from = quoteName(query->name);
    } else {
        if (!args.isEmpty())
            raiseJetError(ErrNoSuchQuery,
                          QStringLiteral("The Microsoft Jet database engine cannot find the input table or "
                                         "query '%1'.")
                              .arg(name.text),
                          QStringLiteral("Impossibile trovare la tabella o la query '%1'.").arg(name.text));
        from = nameSql(name);
    }
    // Without arguments the caller binds the parameters itself.
    if (!args.isEmpty() && args.size() != s.positional.size())
        raiseJetError(ErrParameters, QStringLiteral("Query '%1' expects %2 arguments, %3 given.")
                                         .arg(name.text)
                                         .arg(s.positional.size())
                                         .arg(args.size()));
    tr.sql = s.withClause() + u"SELECT * FROM "_s + from;
    fillParameters(tr, s);
    tr.executeArguments = args;
    return tr;
}

// One pass over an ordinary statement. outerExtra holds the names the
// statement itself uses that turned out, in a first pass, to be parameters
// of the stored queries it refers to.
Translation translatePass(const Tokens &tokens, const TranslateContext &context,
                          const QSet<QString> &outerExtra, QSet<QString> *laterParameters)
{
    Session s(context, outerExtra);
    Scope scope;
    scope.outer = true;
    scope.refs = &s.positional;
    Parser parser(s, tokens, scope);
    if (parser.atKw(u"PARAMETERS")) {
        // The prefix fixes the positional order; stored queries bind by name.
        parser.next();
        QStringList names;
        QStringList types;
        parser.declarations(names, types, u";");
        parser.expectOp(u";");
        s.declaredMode = true;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const int index = s.parameter(names[i], types[i]);
            s.declared.insert(index);
            s.positional.append(index);
            parser.declareOuter(index);
        }
    }
    Translation tr;
    const QString body = parser.statement(tr.kind);
    if (!parser.atEnd())
        parser.fail(parser.peek(), u"characters found after the end of the statement"_s);
    tr.sql = s.withClause() + body;
    fillParameters(tr, s);

    if (laterParameters && !s.declaredMode) {
        for (const QString &key : std::as_const(s.outerNamesSeen))
            if (s.findParameter(key) >= 0)
                laterParameters->insert(key);
    }
    return tr;
}

Translation translateCreateProcedure(const QString &sql, const Tokens &tokens, qsizetype bodyEnd,
                                     const TranslateContext &context)
{
    Session s(context, {});
    Parser parser(s, tokens, Scope{});
    parser.next(); // CREATE
    parser.next(); // PROCEDURE
    const Token &name = parser.peek();
    if (!name.isName() || (name.kind == Kind::Identifier && isReserved(name)))
        parser.fail(name, u"expected the name of the procedure"_s);
    parser.next();
    StoredQuery query;
    query.name = name.text;
    if (parser.atOp(u"(")) {
        parser.next();
        parser.declarations(query.parameterNames, query.parameterTypes, u")");
        parser.expectOp(u")");
    }
    parser.expectKw(u"AS");
    if (parser.atKw(u"PARAMETERS")) {
        parser.next();
        parser.declarations(query.parameterNames, query.parameterTypes, u";");
        parser.expectOp(u";");
    }
    if (!parser.atKw(u"SELECT"))
        parser.fail(parser.peek(), u"a procedure must be a SELECT query"_s);
    const qsizetype bodyStart = parser.peek().position;
    query.body = sql.mid(bodyStart, bodyEnd - bodyStart).trimmed();

    // The body stays in the Jet dialect (it is translated where it is used),
    // but it must read: translating it once finds its syntax errors now.
    TranslateContext check;
    check.columnType = context.columnType;
    Session checker(check, {});
    checker.useQuery(query);

    Translation tr;
    tr.kind = Translation::Kind::CreateProcedure;
    tr.procedure = query;
    return tr;
}

// "ALTER TABLE t ALTER [COLUMN] c type" and "ALTER TABLE t ADD [COLUMN] c
// type ..."; other ALTER TABLE forms pass through.
std::optional<Translation> translateAlterTable(const Tokens &tokens, const TranslateContext &context)
{
    Session s(context, {});
    Scope scope;
    scope.outer = true;
    scope.refs = &s.positional;
    Parser parser(s, tokens, scope);
    parser.next(); // ALTER
    parser.next(); // TABLE
    const Token &table = parser.peek();
    if (!table.isName())
        parser.fail(table, u"expected a table name"_s);
    parser.next();
    const bool alter = parser.atKw(u"ALTER");
    if (!alter && !parser.atKw(u"ADD"))
        return std::nullopt;
    parser.next();
    if (parser.atKw(u"COLUMN"))
        parser.next();
    if (parser.atKw(u"CONSTRAINT") || parser.atKw(u"PRIMARY") || parser.atKw(u"UNIQUE")
        || parser.atKw(u"FOREIGN"))
        return std::nullopt;
    const Token &column = parser.peek();
    if (!column.isName())
        parser.fail(column, u"expected a column name"_s);
    parser.next();
    const Token &type = parser.peek();
    if (type.kind != Kind::Identifier)
        parser.fail(type, u"expected a column type"_s);
    parser.next();
    QString size;
    if (parser.atOp(u"(")) {
        parser.next();
        while (!parser.atOp(u")")) {
            if (parser.peek().kind == Kind::Number)
                size += parser.next().text;
            else if (parser.atOp(u","))
                size += parser.next().text;
            else
                parser.fail(parser.peek(), u"expected the size of the column"_s);
        }
        parser.next();
    }
    bool hasCollate = false;
    for (qsizetype i = parser.position(); i < tokens.size(); ++i)
        hasCollate = hasCollate || tokens[i].is(u"COLLATE");
    QString rest = parser.raw(nullptr);
    if (!parser.atEnd())
        parser.fail(parser.peek(), u"characters found after the end of the statement"_s);

    Translation tr;
    QString declared = sqliteColumnType(type.text, size, hasCollate);
    append(declared, rest);
    if (alter) {
        tr.kind = Translation::Kind::AlterColumn;
        tr.alterTable = table.text;
        tr.alterColumn = column.text;
        tr.alterType = declared;
    } else {
        tr.kind = Translation::Kind::Ddl;
        tr.sql = u"ALTER TABLE "_s + nameSql(table) + u" ADD COLUMN "_s + nameSql(column) + u' ' + declared;
    }
    return tr;
}

} // namespace

Translation translate(const QString &jetSql, const TranslateContext &context)
{
    Tokens tokens = tokenize(jetSql);
    // One ';' may end the statement.
    qsizetype end = jetSql.size();
    if (tokens.size() >= 2 && tokens[tokens.size() - 2].isOp(u";")) {
        end = tokens[tokens.size() - 2].position;
        tokens.removeAt(tokens.size() - 2);
    }
    if (tokens.size() == 1)
        raiseJetError(ErrSyntax,
                      u"Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
                      "'UPDATE'."_s);

    const Token &first = tokens[0];
    if (first.is(u"CREATE") && (tokens[1].is(u"PROCEDURE") || tokens[1].is(u"PROC")))
        return translateCreateProcedure(jetSql, tokens, end, context);
    if (first.is(u"EXECUTE") || first.is(u"EXEC"))
        return translateExecute(tokens, context);
    if (first.is(u"ALTER") && tokens[1].is(u"TABLE")) {
        if (auto tr = translateAlterTable(tokens, context))
            return *tr;
    }

    // A name the statement uses before the stored query that declares it as
    // a parameter is known only at the end: a second pass then reads it as
    // that parameter.
    QSet<QString> later;
    Translation tr = translatePass(tokens, context, {}, &later);
    if (!later.isEmpty())
        tr = translatePass(tokens, context, later, nullptr);
    return tr;
}

} // namespace platform::jet

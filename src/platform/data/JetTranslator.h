#pragma once

#include "platform/base/Variant.h"
#include "platform/data/JetTokenizer.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform::jet {

// A stored parameter query kept in the database's query catalogue: its
// declared parameters in declaration order and its body in the Jet dialect.
struct StoredQuery {
    QString name;
    QStringList parameterNames;  // in declaration order
    QStringList parameterTypes;  // as declared ("DateTime", "Long", "Text", ...)
    QString body;                // the SELECT, Jet dialect
};

// Looks a stored parameter query up by name (case-insensitive); nullopt when
// there is none. Plain views are not stored queries: they are real views.
using QueryLookup = std::function<std::optional<StoredQuery>(const QString &name)>;

// The declared type of a column of the schema by its bare name
// (case-insensitive; "CURRENCY", "INTEGER", "DOUBLE", ...), empty when no
// table has such a column or the tables disagree. Sums and averages of
// expressions made only of currency and whole-number columns are rounded
// to four decimals, as fixed-point arithmetic would give them.
using ColumnTypeLookup = std::function<QString(const QString &column)>;

// What the translator may ask of the database.
struct TranslateContext {
    QueryLookup queries;
    ColumnTypeLookup columnType;
};

// What one Jet statement becomes for SQLite.
struct Translation {
    enum class Kind {
        Select,          // returns rows (also "Execute name args")
        Modify,          // INSERT, UPDATE, DELETE: no rows, rows affected
        Ddl,             // CREATE/DROP/ALTER ... ADD COLUMN passed through
        CreateProcedure, // "CREATE PROCEDURE name AS [PARAMETERS ...;] SELECT ..."
        AlterColumn,     // "ALTER TABLE t ALTER COLUMN c TYPE": a table rebuild
    };
    Kind kind = Kind::Select;

    // The SQLite statement (for CreateProcedure and AlterColumn: empty).
    QString sql;

    // Host parameters of `sql`, in the positional order of the caller's
    // parameters: positional parameter i binds to the named host parameter
    // parameterNames[i] (written ":" + name in `sql`). The order follows
    // the statement's own PARAMETERS declaration when it has one, else the
    // stored queries it refers to, in order of first reference, each in its
    // declaration order followed by those of the queries it refers to in
    // turn, duplicates merged (case-insensitively). A declared name that is
    // not a valid host parameter name ("Data inizio") is written with '_'
    // in place of the other characters ("Data_inizio").
    QStringList parameterNames;
    // Declared types of those parameters ("DateTime", ...), same order.
    QStringList parameterTypes;

    // For "Execute name arg1, arg2": the literal arguments, already read
    // (dates as DateTime, numbers, texts, True/False, Null), to bind in the
    // positional order above; there are as many as parameters. Empty for
    // other statements and for "Execute name" without arguments (the caller
    // binds the parameters then).
    QList<Variant> executeArguments;

    // For CreateProcedure: the query to store.
    std::optional<StoredQuery> procedure;

    // For AlterColumn: the table, the column and the new declared type
    // (in SQLite terms, e.g. "VARCHAR(255) COLLATE NOCASE", "CURRENCY").
    QString alterTable;
    QString alterColumn;
    QString alterType;
};

// Translates one statement of the Jet SQL dialect to SQLite, token by
// token: date literals, True/False, "DELETE * FROM", qualified SET targets,
// "&", IIf, IsNull, Nz, Year/Month/Day, "/" as floating division, Mod,
// TOP n, constant GROUP BY terms, currency sums rounded to four decimals,
// stored parameter queries inlined as common table expressions,
// "PARAMETERS ...;" prefixes, "Execute name args" texts, "CREATE PROCEDURE"
// and the ALTER TABLE forms. The text may end with blanks and one ';'.
// Raises RuntimeError (a syntax error, a parameter the PARAMETERS prefix
// does not declare, a cycle between stored queries) when the statement
// cannot be translated.
//
// A name standing alone in an expression ([d2], or d2) that a PARAMETERS
// prefix or the stored query being inlined declares is that parameter, as
// in Jet, even where a column has the same name. Other unknown names are
// left to SQLite, which reports "no such column".
//
// Details the connection must know:
// - Last(x) becomes jet_last(x): an aggregate the connection registers,
//   answering the last non-Null value fed to it. Like Jet's Last it depends
//   on the order rows arrive in; stored queries never use it.
// - Names are written [bracketed] in the output: SQLite then reports an
//   unknown name as "no such column" instead of reading it as a string.
// - An anonymous "?" marker becomes a named host parameter (":_1", ...)
//   with an empty declared type; it takes its place in the positional order
//   where it stands in the text (after the names of a PARAMETERS prefix).
// - The kind of a statement that is not SELECT, INSERT, UPDATE, DELETE,
//   Execute, CREATE PROCEDURE or ALTER TABLE ... ALTER COLUMN is Ddl; its
//   text passes through with only the literals and names rewritten.
// - Errors carry ErrSyntax, ErrParameters (a parameter missing from the
//   PARAMETERS prefix, a wrong number of Execute arguments) or
//   ErrNoSuchQuery (Execute of an unknown query with arguments), with the
//   source ErrorSource, an Italian description and the English
//   explanation in the detail (see jetError in JetTokenizer.h).
Translation translate(const QString &jetSql, const TranslateContext &context);

// Reads a Jet date literal's inside ("03/15/26", "3/15/2026 10:30:00"):
// month first; two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
std::optional<DateTime> parseJetDate(QStringView text);

} // namespace platform::jet

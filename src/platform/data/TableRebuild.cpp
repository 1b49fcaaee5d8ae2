#include "platform/data/TableRebuild.h"

#include "platform/data/ColumnType.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/Session.h"
#include "platform/data/SqlLexer.h"
#include "platform/data/WriteScope.h"

#include <sqlite3.h>

namespace platform::sqlite {

namespace {

bool isConstraintWord(const SqlToken &t)
{
    static const char *const words[] = {"CONSTRAINT", "PRIMARY", "NOT", "NULL", "UNIQUE", "CHECK", "DEFAULT",
                                        "COLLATE", "REFERENCES", "GENERATED", "AS", "ON"};
    if (t.kind != SqlToken::Kind::Word)
        return false;
    for (const char *w : words) {
        if (t.isWord(w))
            return true;
    }
    return false;
}

// Token index one past the type name that starts at `from` (words, then an
// optional parenthesised size), stopping at a constraint or `end`.
qsizetype typeEnd(const QList<SqlToken> &tokens, qsizetype from, qsizetype end)
{
    qsizetype i = from;
    while (i < end && tokens[i].isName() && !isConstraintWord(tokens[i]))
        ++i;
    if (i > from && i < end && tokens[i].isSymbol("(")) {
        int depth = 0;
        for (; i < end; ++i) {
            if (tokens[i].isSymbol("("))
                ++depth;
            else if (tokens[i].isSymbol(")") && --depth == 0) {
                ++i;
                break;
            }
        }
    }
    return i;
}

} // namespace

QString TableRebuild::rewriteCreateStatement(const QString &createSql, const QString &newTableName,
                                             const QString &column, const QString &newType)
{
    const QList<SqlToken> tokens = SqlLexer::tokenize(createSql);

    // The new type: its name part, and any constraints written with it
    // ("VARCHAR(255) COLLATE NOCASE").
    const QList<SqlToken> typeTokens = SqlLexer::tokenize(newType);
    const qsizetype typeNameEnd = typeEnd(typeTokens, 0, typeTokens.size());
    const QString newTypeName =
        typeNameEnd > 0 ? newType.mid(0, typeTokens[typeNameEnd - 1].end).trimmed() : QString();
    const QString newConstraints =
        typeNameEnd < typeTokens.size() ? newType.mid(typeTokens[typeNameEnd].start).trimmed() : QString();
    bool newCollation = false;
    for (qsizetype i = typeNameEnd; i < typeTokens.size(); ++i)
        newCollation = newCollation || typeTokens[i].isWord("COLLATE");

    // CREATE [TEMP] TABLE [IF NOT EXISTS] name (
    qsizetype nameIndex = -1;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (tokens[i].isWord("TABLE")) {
            nameIndex = i + 1;
            if (nameIndex + 2 < tokens.size() && tokens[nameIndex].isWord("IF"))
                nameIndex += 3;
            break;
        }
    }
    if (nameIndex < 0 || nameIndex >= tokens.size())
        return QString();
    qsizetype nameEnd = nameIndex;
    if (nameIndex + 2 < tokens.size() && tokens[nameIndex + 1].isSymbol("."))
        nameEnd = nameIndex + 2;
    const qsizetype open = nameEnd + 1;
    if (open >= tokens.size() || !tokens[open].isSymbol("("))
        return QString();

    // Find the column definition at depth 1.
    int depth = 0;
    qsizetype defStart = open + 1;
    for (qsizetype i = open; i < tokens.size(); ++i) {
        const SqlToken &t = tokens[i];
        if (t.isSymbol("(")) {
            ++depth;
            continue;
        }
        const bool closesList = t.isSymbol(")") && depth == 1;
        if (t.isSymbol(")")) {
            --depth;
            if (!closesList)
                continue;
        }
        if ((depth == 1 && t.isSymbol(",")) || closesList) {
            // definition is tokens [defStart, i)
            if (defStart < i && tokens[defStart].isName()
                && tokens[defStart].name().compare(column, Qt::CaseInsensitive) == 0) {
                const qsizetype typeFrom = defStart + 1;
                const qsizetype typeTo = typeEnd(tokens, typeFrom, i);
                QString definition;
                const qsizetype afterName = tokens[defStart].end;
                definition = createSql.mid(tokens[defStart].start, afterName - tokens[defStart].start);
                definition += u' ' + newTypeName;
                // Keep the old constraints, without a collation the new type replaces.
                for (qsizetype k = typeTo; k < i; ++k) {
                    if (newCollation && tokens[k].isWord("COLLATE") && k + 1 < i) {
                        ++k;
                        continue;
                    }
                    definition += u' ' + tokens[k].text;
                }
                if (!newConstraints.isEmpty())
                    definition += u' ' + newConstraints;
                QString result = createSql.left(tokens[nameIndex].start) + SqlLexer::quoteName(newTableName)
                    + createSql.mid(tokens[nameEnd].end, tokens[defStart].start - tokens[nameEnd].end) + definition
                    + createSql.mid(tokens[i].start);
                return result;
            }
            defStart = i + 1;
        }
    }
    return QString();
}

void TableRebuild::alterColumn(Session &session, const QString &table, const QString &column,
                               const QString &newType)
{
    const auto info = session.tableInfo(table);
    if (!info || info->isView)
        throw DatabaseError(SQLITE_ERROR, QStringLiteral("no such table: %1").arg(table));
    const TableInfo::Column *target = info->column(column);
    if (!target)
        throw DatabaseError(SQLITE_ERROR, QStringLiteral("no such column: %1").arg(column));

    const QString name = info->name;
    const QString temporary = QStringLiteral("_velmora_rebuild_") + name;
    const QString createSql = rewriteCreateStatement(info->sql, temporary, target->name, newType);
    if (createSql.isEmpty())
        throw DatabaseError(SQLITE_ERROR, QStringLiteral("cannot change the column %1 of %2").arg(column, name));
    const bool toCurrency = ColumnType::fromDeclaredType(newType).type() == DataType::adCurrency;

    WriteScope scope(session);

    struct SchemaObject {
        QString type;
        QString name;
        QString sql;
    };
    QList<SchemaObject> dependents; // indexes of the table
    QList<SchemaObject> others;     // every view and trigger
    {
        Statement st = session.prepare(QStringLiteral(
            "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND "
            "((type = 'index' AND tbl_name = ?1 COLLATE NOCASE) OR type IN ('view', 'trigger')) ORDER BY rowid"));
        st.bind(1, SqlValue::text(name));
        while (st.step()) {
            SchemaObject o{st.text(0), st.text(1), st.text(2)};
            (o.type == u"index" ? dependents : others).append(o);
        }
    }
    std::optional<std::int64_t> sequence;
    if (info->autoIncrement) {
        Statement st = session.prepare(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?1"));
        st.bind(1, SqlValue::text(name));
        if (st.step())
            sequence = st.integer(0);
    }

    // Views and triggers (also those of other tables) may name the table;
    // they are dropped while it is replaced, as the rename would refuse
    // them, and made again afterwards. The rows are only copied, so no
    // trigger has anything to do meanwhile.
    for (const SchemaObject &v : others)
        session.exec(QStringLiteral("DROP %1 IF EXISTS %2")
                         .arg(v.type == u"view" ? QStringLiteral("VIEW") : QStringLiteral("TRIGGER"),
                              SqlLexer::quoteName(v.name)));

    session.exec(createSql);

    QStringList columns;
    QStringList values;
    if (info->hasRowid && info->integerKey.isEmpty()) {
        columns.append(QStringLiteral("rowid"));
        values.append(QStringLiteral("rowid"));
    }
    for (const TableInfo::Column &c : info->columns) {
        const QString quoted = SqlLexer::quoteName(c.name);
        columns.append(quoted);
        const bool changed = c.name.compare(target->name, Qt::CaseInsensitive) == 0;
        values.append(changed && toCurrency ? QStringLiteral("round(%1, 4)").arg(quoted) : quoted);
    }
    session.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4")
                     .arg(SqlLexer::quoteName(temporary), columns.join(u", "), values.join(u", "),
                          SqlLexer::quoteName(name)));
    session.exec(QStringLiteral("DROP TABLE %1").arg(SqlLexer::quoteName(name)));
    session.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                     .arg(SqlLexer::quoteName(temporary), SqlLexer::quoteName(name)));

    for (const SchemaObject &o : dependents)
        session.exec(o.sql);
    for (const SchemaObject &v : others)
        session.exec(v.sql);

    if (sequence) {
        // The counter must not go back: numbers of deleted rows stay used.
        Statement st = session.prepare(
            QStringLiteral("UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1"));
        st.bind(1, SqlValue::text(name));
        st.bind(2, SqlValue::integer(*sequence));
        st.step();
        if (sqlite3_changes(session.handle()) == 0) {
            Statement insert = session.prepare(QStringLiteral("INSERT INTO sqlite_sequence(name, seq) VALUES (?1, ?2)"));
            insert.bind(1, SqlValue::text(name));
            insert.bind(2, SqlValue::integer(*sequence));
            insert.step();
        }
    }

    scope.commit();
    session.invalidateCaches();
}

} // namespace platform::sqlite

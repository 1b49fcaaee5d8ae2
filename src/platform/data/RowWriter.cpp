#include "platform/data/RowWriter.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/ConflictError.h"
#include "platform/data/Session.h"
#include "platform/data/SqlLexer.h"
#include "platform/data/ValueConversion.h"

#include <sqlite3.h>

namespace platform::sqlite {

namespace {

SqlValue stored(const Variant &value, ColumnType type)
{
    try {
        return ValueConversion::toStored(value, type);
    } catch (const DatabaseError &) {
        throw;
    } catch (const RuntimeError &e) {
        throw DatabaseError::fromRuntimeError(e);
    }
}

} // namespace

RowWriter::RowWriter(Session &session, QString table, std::vector<Column> columns, Locator locator,
                     int rowidField, std::vector<int> keyFields)
    : m_session(session)
    , m_table(std::move(table))
    , m_columns(std::move(columns))
    , m_locator(locator)
    , m_rowidField(rowidField)
    , m_keyFields(std::move(keyFields))
{
}

QString RowWriter::returningClause() const
{
    QString clause = QStringLiteral(" RETURNING rowid");
    for (const Column &c : m_columns) {
        if (!c.name.isEmpty())
            clause += QStringLiteral(", ") + SqlLexer::quoteName(c.name);
    }
    return clause;
}

RowWriter::Stored RowWriter::readReturned(Statement &statement) const
{
    Stored result;
    result.rowid = statement.integer(0);
    result.values.resize(m_columns.size());
    int column = 1;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!m_columns[i].name.isEmpty())
            result.values[i] = statement.value(column++);
    }
    return result;
}

QString RowWriter::locate(const std::vector<SqlValue> &original, std::optional<std::int64_t> rowid,
                          std::vector<SqlValue> &binds) const
{
    switch (m_locator) {
    case Locator::RowidField:
        binds.push_back(original[static_cast<size_t>(m_rowidField)]);
        return QStringLiteral(" WHERE rowid = ?%1").arg(binds.size());
    case Locator::RowidColumn:
        binds.push_back(rowid ? SqlValue::integer(*rowid) : SqlValue());
        return QStringLiteral(" WHERE rowid = ?%1").arg(binds.size());
    case Locator::KeyFields:
        break;
    }
    QStringList terms;
    for (int field : m_keyFields) {
        binds.push_back(original[static_cast<size_t>(field)]);
        terms.append(QStringLiteral("%1 IS ?%2").arg(SqlLexer::quoteName(m_columns[field].name)).arg(binds.size()));
    }
    return QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

RowWriter::Stored RowWriter::insert(const std::vector<Variant> &values, const std::vector<bool> &assigned)
{
    QStringList names;
    QStringList marks;
    std::vector<SqlValue> binds;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.isEmpty() || i >= assigned.size() || !assigned[i] || values[i].isEmpty())
            continue;
        binds.push_back(stored(values[i], m_columns[i].type));
        names.append(SqlLexer::quoteName(m_columns[i].name));
        marks.append(QStringLiteral("?%1").arg(binds.size()));
    }
    QString sql = QStringLiteral("INSERT INTO %1").arg(SqlLexer::quoteName(m_table));
    if (names.isEmpty())
        sql += QStringLiteral(" DEFAULT VALUES");
    else
        sql += QStringLiteral(" (%1) VALUES (%2)").arg(names.join(u", "), marks.join(u", "));
    sql += returningClause();

    Statement statement = m_session.prepare(sql);
    for (size_t i = 0; i < binds.size(); ++i)
        statement.bind(static_cast<int>(i + 1), binds[i]);
    if (!statement.step())
        throw DatabaseError(SQLITE_ERROR, QStringLiteral("the new row was not stored"));
    Stored result = readReturned(statement);
    while (statement.step()) {
    }
    return result;
}

std::optional<RowWriter::Stored> RowWriter::update(const std::vector<SqlValue> &original,
                                                   std::optional<std::int64_t> rowid,
                                                   const std::vector<Variant> &values,
                                                   const std::vector<bool> &assigned)
{
    QStringList sets;
    std::vector<SqlValue> binds;
    std::vector<size_t> changed;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.isEmpty() || i >= assigned.size() || !assigned[i])
            continue;
        binds.push_back(stored(values[i], m_columns[i].type));
        sets.append(QStringLiteral("%1 = ?%2").arg(SqlLexer::quoteName(m_columns[i].name)).arg(binds.size()));
        changed.push_back(i);
    }
    if (sets.isEmpty())
        return std::nullopt;

    QString sql = QStringLiteral("UPDATE %1 SET %2").arg(SqlLexer::quoteName(m_table), sets.join(u", "));
    sql += locate(original, rowid, binds);
    // Each changed column must still hold the value it was read with.
    for (size_t i : changed) {
        binds.push_back(original[i]);
        sql += QStringLiteral(" AND %1 IS ?%2").arg(SqlLexer::quoteName(m_columns[i].name)).arg(binds.size());
    }
    sql += returningClause();

    Statement statement = m_session.prepare(sql);
    for (size_t i = 0; i < binds.size(); ++i)
        statement.bind(static_cast<int>(i + 1), binds[i]);
    if (!statement.step())
        throw ConflictError();
    Stored result = readReturned(statement);
    while (statement.step()) {
    }
    return result;
}

void RowWriter::remove(const std::vector<SqlValue> &original, std::optional<std::int64_t> rowid)
{
    std::vector<SqlValue> binds;
    const QString sql = QStringLiteral("DELETE FROM %1").arg(SqlLexer::quoteName(m_table)) + locate(original, rowid, binds);
    Statement statement = m_session.prepare(sql);
    for (size_t i = 0; i < binds.size(); ++i)
        statement.bind(static_cast<int>(i + 1), binds[i]);
    statement.step();
    if (sqlite3_changes(m_session.handle()) == 0)
        throw ConflictError();
}

std::optional<SqlValue> RowWriter::read(int field, const std::vector<SqlValue> &original,
                                        std::optional<std::int64_t> rowid)
{
    std::vector<SqlValue> binds;
    const QString sql = QStringLiteral("SELECT %1 FROM %2")
                            .arg(SqlLexer::quoteName(m_columns[static_cast<size_t>(field)].name),
                                 SqlLexer::quoteName(m_table))
        + locate(original, rowid, binds);
    Statement statement = m_session.prepare(sql);
    for (size_t i = 0; i < binds.size(); ++i)
        statement.bind(static_cast<int>(i + 1), binds[i]);
    if (!statement.step())
        return std::nullopt;
    return statement.value(0);
}

} // namespace platform::sqlite

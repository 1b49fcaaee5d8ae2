#pragma once

#include "platform/data/SqlValue.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::sqlite {

// One prepared statement of the engine: binds values, steps through the
// rows and reads their columns; finalized when it goes away. Every failure
// raises a DatabaseError with the engine's code and message.
class Statement
{
public:
    Statement(sqlite3 *db, const QString &sql);
    ~Statement();
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // True when the text held no statement at all (only blanks or comments).
    bool isEmpty() const { return m_stmt == nullptr; }
    // Text after the first statement that was not prepared.
    const QString &tail() const { return m_tail; }

    int parameterCount() const;
    // The parameter's name with its prefix (":d1"), empty for "?".
    QString parameterName(int index) const;
    void bind(int index, const SqlValue &value);
    void clearBindings();

    // Runs to the next row: true when there is one.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QString declaredType(int column) const;
    QString tableName(int column) const;
    QString originName(int column) const;
    SqlValue value(int column) const;
    std::int64_t integer(int column) const;
    QString text(int column) const;

    // Whether the statement leaves the database as it is.
    bool isReadOnly() const;
    sqlite3_stmt *handle() const { return m_stmt; }

private:
    [[noreturn]] void fail(int rc) const;

    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_tail;
};

} // namespace platform::sqlite

#include "platform/data/Statement.h"

#include "platform/data/BusyHandler.h"
#include "platform/data/DatabaseError.h"

#include <sqlite3.h>

namespace platform::sqlite {

namespace {

QString fromUtf8(const char *s)
{
    return s ? QString::fromUtf8(s) : QString();
}

} // namespace

Statement::Statement(sqlite3 *db, const QString &sql)
    : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &m_stmt, &tail);
    BusyHandler::endWait(); // reading the schema may have waited for a lock
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw DatabaseError(sqlite3_extended_errcode(db), fromUtf8(sqlite3_errmsg(db)));
    }
    if (tail && *tail)
        m_tail = QString::fromUtf8(tail, utf8.constData() + utf8.size() - tail);
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement &&other) noexcept
    : m_db(other.m_db)
    , m_stmt(other.m_stmt)
    , m_tail(std::move(other.m_tail))
{
    other.m_stmt = nullptr;
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        m_tail = std::move(other.m_tail);
        other.m_stmt = nullptr;
    }
    return *this;
}

void Statement::fail(int rc) const
{
    const int code = m_db ? sqlite3_extended_errcode(m_db) : rc;
    throw DatabaseError(code != SQLITE_OK ? code : rc,
                        m_db ? fromUtf8(sqlite3_errmsg(m_db)) : fromUtf8(sqlite3_errstr(rc)));
}

int Statement::parameterCount() const
{
    return m_stmt ? sqlite3_bind_parameter_count(m_stmt) : 0;
}

QString Statement::parameterName(int index) const
{
    return fromUtf8(sqlite3_bind_parameter_name(m_stmt, index));
}

void Statement::bind(int index, const SqlValue &value)
{
    int rc = SQLITE_OK;
    switch (value.kind()) {
    case SqlValue::Kind::Null:
        rc = sqlite3_bind_null(m_stmt, index);
        break;
    case SqlValue::Kind::Integer:
        rc = sqlite3_bind_int64(m_stmt, index, value.toInteger());
        break;
    case SqlValue::Kind::Real:
        rc = sqlite3_bind_double(m_stmt, index, value.toReal());
        break;
    case SqlValue::Kind::Text: {
        const QByteArray utf8 = value.toText().toUtf8();
        rc = sqlite3_bind_text64(m_stmt, index, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                                 SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    case SqlValue::Kind::Blob: {
        const QByteArray &b = value.toBlob();
        rc = sqlite3_bind_blob64(m_stmt, index, b.constData(), static_cast<sqlite3_uint64>(b.size()),
                                 SQLITE_TRANSIENT);
        break;
    }
    }
    if (rc != SQLITE_OK)
        fail(rc);
}

void Statement::clearBindings()
{
    sqlite3_clear_bindings(m_stmt);
}

bool Statement::step()
{
    if (!m_stmt)
        return false;
    const int rc = sqlite3_step(m_stmt);
    BusyHandler::endWait();
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Take the message before reset() replaces it.
    const int code = sqlite3_extended_errcode(m_db);
    const QString message = fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_reset(m_stmt);
    throw DatabaseError(code != SQLITE_OK ? code : rc, message);
}

void Statement::reset()
{
    if (m_stmt)
        sqlite3_reset(m_stmt);
}

int Statement::columnCount() const
{
    return m_stmt ? sqlite3_column_count(m_stmt) : 0;
}

QString Statement::columnName(int column) const
{
    return fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::declaredType(int column) const
{
    return fromUtf8(sqlite3_column_decltype(m_stmt, column));
}

QString Statement::tableName(int column) const
{
    return fromUtf8(sqlite3_column_table_name(m_stmt, column));
}

QString Statement::originName(int column) const
{
    return fromUtf8(sqlite3_column_origin_name(m_stmt, column));
}

SqlValue Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return SqlValue::integer(sqlite3_column_int64(m_stmt, column));
    case SQLITE_FLOAT:
        return SqlValue::real(sqlite3_column_double(m_stmt, column));
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
        return SqlValue::text(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)));
    }
    case SQLITE_BLOB: {
        const void *data = sqlite3_column_blob(m_stmt, column);
        return SqlValue::blob(QByteArray(static_cast<const char *>(data), sqlite3_column_bytes(m_stmt, column)));
    }
    default:
        return SqlValue();
    }
}

std::int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString Statement::text(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)) : QString();
}

bool Statement::isReadOnly() const
{
    return !m_stmt || sqlite3_stmt_readonly(m_stmt) != 0;
}

} // namespace platform::sqlite

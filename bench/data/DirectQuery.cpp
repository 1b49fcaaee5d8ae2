#include "DirectQuery.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/SqlFunctions.h"
#include "platform/data/ValueConversion.h"

#include <sqlite3.h>

using platform::Variant;
using platform::sqlite::SqlValue;

DirectQuery::DirectQuery(const QString &path)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw platform::RuntimeError(1, QStringLiteral("cannot open %1: %2").arg(path, message));
    }
    sqlite3_busy_timeout(m_db, platform::Connection::defaultBusyTimeout());
    platform::sqlite::SqlFunctions::registerAll(m_db);
}

DirectQuery::~DirectQuery()
{
    sqlite3_close_v2(m_db);
}

void DirectQuery::fail(const QString &what) const
{
    throw platform::RuntimeError(1, what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db)));
}

void DirectQuery::exec(const char *sql)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QString::fromUtf8(sql));
}

sqlite3_stmt *DirectQuery::prepare(const QString &sql)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), static_cast<int>(utf8.size()), &statement, nullptr) != SQLITE_OK)
        fail(QStringLiteral("prepare"));
    return statement;
}

void DirectQuery::bind(sqlite3_stmt *statement, int index, const Variant &value)
{
    const SqlValue v = platform::sqlite::ValueConversion::toStored(value);
    switch (v.kind()) {
    case SqlValue::Kind::Null:
        sqlite3_bind_null(statement, index);
        break;
    case SqlValue::Kind::Integer:
        sqlite3_bind_int64(statement, index, v.toInteger());
        break;
    case SqlValue::Kind::Real:
        sqlite3_bind_double(statement, index, v.toReal());
        break;
    case SqlValue::Kind::Text: {
        const QByteArray utf8 = v.toText().toUtf8();
        sqlite3_bind_text(statement, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case SqlValue::Kind::Blob:
        sqlite3_bind_blob(statement, index, v.toBlob().constData(), static_cast<int>(v.toBlob().size()),
                          SQLITE_TRANSIENT);
        break;
    }
}

long long DirectQuery::stepAll(sqlite3_stmt *statement)
{
    long long rows = 0;
    const int columns = sqlite3_column_count(statement);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER:
                m_checksum += static_cast<double>(sqlite3_column_int64(statement, c));
                break;
            case SQLITE_FLOAT:
                m_checksum += sqlite3_column_double(statement, c);
                break;
            case SQLITE_TEXT:
                sqlite3_column_text(statement, c);
                m_checksum += sqlite3_column_bytes(statement, c);
                break;
            case SQLITE_BLOB:
                sqlite3_column_blob(statement, c);
                m_checksum += sqlite3_column_bytes(statement, c);
                break;
            default:
                break;
            }
        }
    }
    if (rc != SQLITE_DONE) {
        sqlite3_reset(statement);
        fail(QStringLiteral("step"));
    }
    sqlite3_reset(statement);
    return rows;
}

long long DirectQuery::run(const QString &sql, const QStringList &names, const QList<Variant> &values)
{
    sqlite3_stmt *statement = prepare(sql);
    for (qsizetype i = 0; i < names.size() && i < values.size(); ++i) {
        const int index = sqlite3_bind_parameter_index(statement, (u':' + names[i]).toUtf8().constData());
        if (index > 0)
            bind(statement, index, values[i]);
    }
    long long rows = 0;
    try {
        rows = stepAll(statement);
    } catch (...) {
        sqlite3_finalize(statement);
        throw;
    }
    sqlite3_finalize(statement);
    return rows;
}

long long DirectQuery::changes() const
{
    return sqlite3_changes64(m_db);
}

long long DirectQuery::scalar(const QString &sql)
{
    sqlite3_stmt *statement = prepare(sql);
    long long value = 0;
    if (sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

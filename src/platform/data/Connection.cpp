#include "platform/data/Connection.h"

#include "platform/data/DatabaseError.h"
#include "platform/data/JetTokenizer.h"
#include "platform/data/Recordset.h"
#include "platform/data/Session.h"
#include "platform/data/SqlLexer.h"
#include "platform/data/TableRebuild.h"
#include "platform/data/WriteScope.h"

#include <sqlite3.h>

#include <atomic>
#include <utility>

namespace platform {

namespace {
std::atomic<int> defaultTimeout{10000};
}

struct Connection::Shared {
    std::unique_ptr<sqlite::Session> session;
    QString connectionString;
    int busyTimeout = defaultTimeout.load();
};

Connection::Connection()
    : m_shared(std::make_shared<Shared>())
{
}

Connection::Connection(const QString &connectionString)
    : Connection()
{
    open(connectionString);
}

Connection::~Connection() = default;
Connection::Connection(const Connection &) = default;
Connection &Connection::operator=(const Connection &) = default;

QString Connection::dataSourceOf(const QString &connectionString)
{
    if (!connectionString.contains(u'='))
        return connectionString.trimmed();
    const QStringList parts = connectionString.split(u';');
    for (const QString &part : parts) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = part.left(eq).simplified();
        if (key.compare(u"Data Source", Qt::CaseInsensitive) == 0) {
            QString value = part.mid(eq + 1).trimmed();
            if (value.size() >= 2 && ((value.startsWith(u'"') && value.endsWith(u'"'))
                                      || (value.startsWith(u'\'') && value.endsWith(u'\''))))
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return QString();
}

void Connection::open(const QString &connectionString)
{
    close();
    m_shared->session = std::make_unique<sqlite::Session>(dataSourceOf(connectionString), m_shared->busyTimeout);
    m_shared->connectionString = connectionString;
}

void Connection::close()
{
    m_shared->session.reset();
}

bool Connection::isOpen() const
{
    return m_shared->session != nullptr;
}

QString Connection::connectionString() const
{
    return m_shared->connectionString;
}

QString Connection::dataSource() const
{
    return dataSourceOf(m_shared->connectionString);
}

bool Connection::isReadOnly() const
{
    return openSession().isReadOnly();
}

sqlite::Session *Connection::session() const
{
    return m_shared->session.get();
}

sqlite::Session &Connection::openSession() const
{
    if (!m_shared->session)
        throw DatabaseError::connectionNotUsable();
    return *m_shared->session;
}

long long Connection::execute(const QString &jetSql, const QList<Variant> &parameters)
{
    sqlite::Session &session = openSession();
    const jet::Translation translation = session.translate(jetSql);
    switch (translation.kind) {
    case jet::Translation::Kind::CreateProcedure:
        if (!translation.procedure)
            throw DatabaseError::fromRuntimeError(
                jet::jetError(jet::ErrSyntax, QStringLiteral("CREATE PROCEDURE without a query")));
        session.storeQuery(*translation.procedure);
        return 0;
    case jet::Translation::Kind::AlterColumn:
        sqlite::TableRebuild::alterColumn(session, translation.alterTable, translation.alterColumn,
                                          translation.alterType);
        return 0;
    default:
        break;
    }

    sqlite::Statement statement = session.prepare(translation.sql);
    if (!sqlite::SqlLexer::tokenize(statement.tail()).isEmpty())
        throw DatabaseError::fromRuntimeError(
            jet::jetError(jet::ErrSyntax, QStringLiteral("Characters found after end of SQL statement.")));
    if (statement.isEmpty())
        return 0;
    session.bindParameters(statement, translation, parameters);
    if (statement.columnCount() > 0 || statement.isReadOnly()) {
        while (statement.step()) {
        }
        return statement.columnCount() > 0 ? -1 : 0;
    }
    sqlite::WriteScope scope(session);
    const sqlite3_int64 before = sqlite3_total_changes64(session.handle());
    while (statement.step()) {
    }
    // The rows the statement itself changed: not those its triggers wrote,
    // and 0 for a statement that changes no rows (sqlite3_changes64 would
    // still answer for the previous one).
    const sqlite3_int64 changed =
        sqlite3_total_changes64(session.handle()) > before ? sqlite3_changes64(session.handle()) : 0;
    statement = sqlite::Statement(session.handle(), QString()); // finalized before the commit
    scope.commit();
    if (translation.kind == jet::Translation::Kind::Ddl)
        session.invalidateCaches();
    return changed;
}

bool Connection::isQuery(const QString &jetSql) const
{
    sqlite::Session &session = openSession();
    const jet::Translation translation = session.translate(jetSql);
    if (translation.kind != jet::Translation::Kind::Select)
        return false;
    const sqlite::Statement statement = session.prepare(translation.sql);
    return !statement.isEmpty() && statement.columnCount() > 0 && statement.isReadOnly()
        && sqlite::SqlLexer::tokenize(statement.tail()).isEmpty();
}

std::unique_ptr<Recordset> Connection::executeQuery(const QString &jetSql, const QList<Variant> &parameters)
{
    auto recordset = std::make_unique<Recordset>();
    recordset->open(jetSql, *this, CursorType::Static, LockType::ReadOnly, CommandType::Text, parameters);
    return recordset;
}

int Connection::beginTrans()
{
    return openSession().begin();
}

void Connection::commitTrans()
{
    openSession().commit();
}

void Connection::rollbackTrans()
{
    openSession().rollback();
}

int Connection::transactionLevel() const
{
    return m_shared->session ? m_shared->session->transactionLevel() : 0;
}

int Connection::busyTimeout() const
{
    return m_shared->busyTimeout;
}

void Connection::setBusyTimeout(int ms)
{
    m_shared->busyTimeout = ms;
    if (m_shared->session)
        m_shared->session->setBusyTimeout(ms);
}

int Connection::defaultBusyTimeout()
{
    return defaultTimeout.load();
}

void Connection::setDefaultBusyTimeout(int ms)
{
    defaultTimeout.store(ms);
}

BusyListener Connection::setBusyListener(BusyListener listener)
{
    return sqlite::BusyHandler::setListener(std::move(listener));
}

} // namespace platform

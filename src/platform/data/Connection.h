#pragma once

#include "platform/base/Variant.h"
#include "platform/data/BusyHandler.h"
#include "platform/data/DataEnums.h"

#include <QList>
#include <QString>

#include <memory>

namespace platform {

class Recordset;

namespace sqlite {
class Session;
}

// An open database, reached by the program's connection string
// ("PROVIDER=...;Data Source=<folder>/<file>;..."). A Connection is a
// shared handle: copies refer to the same open database, and a recordset
// keeps its connection alive while it is attached. Statements are written
// in the Jet dialect and translated; values always travel as parameters.
//
// Opening never creates a file: a missing, empty, foreign or damaged file
// raises a DatabaseError and is left as it was. A file that cannot be
// written opens read-only, and writes then fail with Kind::ReadOnly. A
// statement that meets another program's lock waits for it up to the busy
// timeout, telling the busy listener; when the lock outlasts the timeout
// the error has Kind::Busy.
class Connection
{
public:
    // A connection that is not open.
    Connection();
    // Opens at once.
    explicit Connection(const QString &connectionString);
    ~Connection();
    Connection(const Connection &);
    Connection &operator=(const Connection &);

    void open(const QString &connectionString);
    // Closes the database for every copy; an open transaction is rolled back.
    void close();
    bool isOpen() const;
    ObjectState state() const { return isOpen() ? ObjectState::adStateOpen : ObjectState::adStateClosed; }
    QString connectionString() const;
    // The file named by the connection string.
    QString dataSource() const;
    bool isReadOnly() const;

    // The value of "Data Source=" in a connection string; a string without
    // any "key=value" part is taken as the path itself.
    static QString dataSourceOf(const QString &connectionString);

    // Runs a statement that returns no rows (also CREATE PROCEDURE and
    // ALTER TABLE ... ALTER COLUMN) and answers the rows it affected;
    // -1 for a statement that returns rows. Positional parameters bind in
    // the order the statement declares them.
    long long execute(const QString &jetSql, const QList<Variant> &parameters = {});
    // Runs a statement that returns rows ("Execute name args" included)
    // into a static, read-only recordset.
    std::unique_ptr<Recordset> executeQuery(const QString &jetSql, const QList<Variant> &parameters = {});
    // True when the text is one statement that only reads rows: a SELECT
    // (a PARAMETERS prefix allowed), or "Execute" of a stored query or a
    // table. Nothing runs. A text that cannot be translated or prepared (a
    // syntax error, an unknown table) raises what running it would.
    bool isQuery(const QString &jetSql) const;

    // Transactions: the first level is a write transaction (BEGIN
    // IMMEDIATE, waiting up to the busy timeout for other writers), deeper
    // levels nest inside it. beginTrans answers the new level.
    int beginTrans();
    void commitTrans();
    void rollbackTrans();
    int transactionLevel() const;

    // How long a statement waits for another connection's lock, in ms.
    int busyTimeout() const;
    void setBusyTimeout(int ms);
    // The busy timeout new connections start with (10 seconds).
    static int defaultBusyTimeout();
    static void setDefaultBusyTimeout(int ms);
    // The process-wide listener told when a statement starts waiting for
    // another connection's lock and when that wait ends (see BusyHandler);
    // answers the listener it replaces.
    static BusyListener setBusyListener(BusyListener listener);

    // Both handles refer to the same database connection.
    bool operator==(const Connection &other) const { return m_shared == other.m_shared; }

    // The engine connection behind this handle, for the data layer's own
    // classes; nullptr when closed.
    sqlite::Session *session() const;
    // Raises the layer's "connection not usable" error (3709) when closed.
    sqlite::Session &openSession() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

} // namespace platform

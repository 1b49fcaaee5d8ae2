#pragma once

#include "platform/base/Variant.h"
#include "platform/data/BusyHandler.h"
#include "platform/data/JetTranslator.h"
#include "platform/data/Statement.h"
#include "platform/data/TableInfo.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace platform::sqlite {

// One open SQLite database as the layer uses it: opened only when it is a
// database of this program, with the layer's settings and functions; the
// program's transactions; the translation of Jet statements with what the
// translator needs to know of this database; the binding of positional
// parameters; cached schema facts. Closing it rolls back an open
// transaction.
class Session
{
public:
    // Opens an existing database file read/write (read-only when the file
    // is), never creating it. Raises DatabaseError when the file is
    // missing, is not an SQLite database, or lacks the program's tables.
    Session(const QString &path, int busyTimeoutMs);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    sqlite3 *handle() const { return m_db; }
    const QString &path() const { return m_path; }
    bool isReadOnly() const;
    int busyTimeout() const { return m_busy.timeout(); }
    void setBusyTimeout(int ms) { m_busy.setTimeout(ms); }

    Statement prepare(const QString &sql) { return Statement(m_db, sql); }
    // Runs every statement of an SQLite text, discarding rows.
    void exec(const QString &sql);

    // The program's transactions: level 1 is BEGIN IMMEDIATE, deeper
    // levels are savepoints.
    int transactionLevel() const { return m_level; }
    int begin();
    void commit();
    void rollback();
    // Runs `action` if the transaction level now open is rolled back (also
    // by the engine or on close), as long as `owner` is alive; forgotten
    // when the outermost transaction commits.
    void onRollback(std::weak_ptr<void> owner, std::function<void()> action);

    // Translates one Jet statement, raising DatabaseError when it cannot.
    jet::Translation translate(const QString &jetSql);
    // Binds the caller's positional values to the statement's host
    // parameters, each converted by the parameter's declared type or else
    // by the type of the column it is compared with or stored into.
    void bindParameters(Statement &statement, const jet::Translation &translation,
                        const QList<Variant> &parameters);

    // Schema facts, cached until the schema changes.
    std::shared_ptr<const TableInfo> tableInfo(const QString &name);
    QStringList tableNames(); // tables and views, as the schema names them
    // The declared type of a column by its bare name, empty when no table
    // has it or tables disagree.
    QString columnType(const QString &column);
    // The declared type of table.column, else of the bare column name.
    QString columnType(const QString &table, const QString &column);

    // Stored parameter queries.
    std::optional<jet::StoredQuery> storedQuery(const QString &name);
    QList<jet::StoredQuery> storedQueries();
    // Adds a stored query; raises DatabaseError when the name is taken.
    void storeQuery(const jet::StoredQuery &query);

    // Forgets cached schema and queries (after this session changed them).
    void invalidateCaches();

private:
    void refreshCaches();
    void loadQueries();
    void runRollbackActions(int fromLevel);
    void noticeEngineRollback();

    struct RollbackAction {
        int level;
        std::weak_ptr<void> owner;
        std::function<void()> action;
    };

    sqlite3 *m_db = nullptr;
    QString m_path;
    BusyHandler m_busy;
    int m_level = 0;
    std::vector<RollbackAction> m_rollbackActions;

    std::unique_ptr<Statement> m_schemaVersionQuery; // kept prepared: asked before every statement
    std::unique_ptr<Statement> m_dataVersionQuery;
    std::int64_t m_schemaVersion = -1;
    std::int64_t m_dataVersion = -1;
    QHash<QString, std::shared_ptr<const TableInfo>> m_tables; // by lower-case name
    std::optional<QHash<QString, QString>> m_columnTypes;     // by lower-case column name
    std::optional<QHash<QString, jet::StoredQuery>> m_queries; // by lower-case name
};

} // namespace platform::sqlite

#include "platform/data/Session.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/ColumnType.h"
#include "platform/data/DatabaseError.h"
#include "platform/data/QueryCatalogue.h"
#include "platform/data/SqlFunctions.h"
#include "platform/data/SqlLexer.h"
#include "platform/data/SqlShape.h"
#include "platform/data/ValueConversion.h"
#include "platform/data/WriteScope.h"

#include <sqlite3.h>

#include <algorithm>

namespace platform::sqlite {

namespace {

QString savepointName(int level)
{
    return QStringLiteral("velmora_level_%1").arg(level);
}

std::int64_t pragmaValue(Session &session, std::unique_ptr<Statement> &query, const char *pragma)
{
    if (!query)
        query = std::make_unique<Statement>(session.prepare(QString::fromLatin1(pragma)));
    query->reset();
    const std::int64_t value = query->step() ? query->integer(0) : 0;
    query->reset();
    return value;
}

} // namespace

Session::Session(const QString &path, int busyTimeoutMs)
    : m_path(path)
    , m_busy(busyTimeoutMs)
{
    if (path.isEmpty())
        throw DatabaseError(SQLITE_CANTOPEN, QStringLiteral("unable to open database file"));

    // Never SQLITE_OPEN_CREATE: a missing file must stay missing.
    // One thread at a time uses a connection: no engine mutex on every call.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const int code = m_db ? sqlite3_extended_errcode(m_db) : rc;
        const QString message = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw DatabaseError(code, message);
    }
    try {
        sqlite3_extended_result_codes(m_db, 1);
        m_busy.install(m_db);

        // Reading the schema proves the file is an SQLite database; the
        // settings table proves it is one of this program. Nothing is
        // written before both hold.
        {
            Statement count = prepare(QStringLiteral("SELECT count(*) FROM sqlite_master"));
            count.step();
        }
        {
            Statement pars = prepare(QStringLiteral(
                "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '_Pars' COLLATE NOCASE"));
            if (!pars.step())
                throw DatabaseError(SQLITE_NOTADB, QStringLiteral("file is not a database of this program"));
        }

        // The program checks references itself.
        exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
        // The page cache stays the engine's own: the stock queries read
        // their tables' balances and one index entry per article, and a
        // larger cache only costs every new connection its first filling.
        // A rollback journal: the file may sit on a network share, where
        // write-ahead logging is not safe.
        try {
            Statement journal = prepare(QStringLiteral("PRAGMA journal_mode = DELETE"));
            journal.step();
        } catch (const DatabaseError &) {
            // Another connection keeps the file in its mode; reads and
            // writes still work.
        }
        SqlFunctions::registerAll(m_db);
    } catch (...) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw;
    }
}

Session::~Session()
{
    if (!m_db)
        return;
    if (sqlite3_get_autocommit(m_db) == 0) {
        try {
            exec(QStringLiteral("ROLLBACK"));
        } catch (const DatabaseError &) {
            // Closing the handle rolls back anyway.
        }
    }
    m_level = 0;
    runRollbackActions(1);
    m_schemaVersionQuery.reset();
    m_dataVersionQuery.reset();
    sqlite3_close_v2(m_db);
}

bool Session::isReadOnly() const
{
    return sqlite3_db_readonly(m_db, "main") == 1;
}

void Session::exec(const QString &sql)
{
    QString rest = sql;
    while (!rest.trimmed().isEmpty()) {
        Statement st(m_db, rest);
        while (st.step()) {
        }
        rest = st.tail();
    }
}

// ---- transactions ------------------------------------------------------

void Session::noticeEngineRollback()
{
    // Some errors (a full disk, an I/O error) make the engine roll the
    // whole transaction back on its own.
    if (m_level > 0 && sqlite3_get_autocommit(m_db) != 0) {
        m_level = 0;
        runRollbackActions(1);
    }
}

int Session::begin()
{
    noticeEngineRollback();
    exec(m_level == 0 ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("SAVEPOINT ") + savepointName(m_level + 1));
    return ++m_level;
}

void Session::commit()
{
    noticeEngineRollback();
    if (m_level == 0)
        throw DatabaseError::noTransaction();
    if (m_level == 1) {
        exec(QStringLiteral("COMMIT")); // on failure the transaction stays open
        m_level = 0;
        m_rollbackActions.clear();
        return;
    }
    exec(QStringLiteral("RELEASE ") + savepointName(m_level));
    for (RollbackAction &a : m_rollbackActions) {
        if (a.level == m_level)
            a.level = m_level - 1;
    }
    --m_level;
}

void Session::rollback()
{
    if (m_level == 0)
        throw DatabaseError::noTransaction();
    if (sqlite3_get_autocommit(m_db) != 0) {
        noticeEngineRollback();
        return;
    }
    if (m_level == 1) {
        exec(QStringLiteral("ROLLBACK"));
        m_level = 0;
        runRollbackActions(1);
        return;
    }
    const QString name = savepointName(m_level);
    exec(QStringLiteral("ROLLBACK TO ") + name + QStringLiteral("; RELEASE ") + name);
    runRollbackActions(m_level);
    --m_level;
}

void Session::onRollback(std::weak_ptr<void> owner, std::function<void()> action)
{
    if (m_level > 0)
        m_rollbackActions.push_back(RollbackAction{m_level, std::move(owner), std::move(action)});
}

void Session::runRollbackActions(int fromLevel)
{
    std::vector<RollbackAction> due;
    for (auto it = m_rollbackActions.begin(); it != m_rollbackActions.end();) {
        if (it->level >= fromLevel) {
            due.push_back(std::move(*it));
            it = m_rollbackActions.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = due.rbegin(); it != due.rend(); ++it) {
        if (!it->owner.expired())
            it->action();
    }
}

// ---- translation and binding -------------------------------------------

jet::Translation Session::translate(const QString &jetSql)
{
    refreshCaches();
    jet::TranslateContext context;
    context.queries = [this](const QString &name) { return storedQuery(name); };
    context.columnType = [this](const QString &column) { return columnType(column); };
    try {
        return jet::translate(jetSql, context);
    } catch (const DatabaseError &) {
        throw;
    } catch (const RuntimeError &e) {
        throw DatabaseError::fromRuntimeError(e);
    }
}

void Session::bindParameters(Statement &statement, const jet::Translation &translation,
                             const QList<Variant> &parameters)
{
    const int count = statement.parameterCount();
    if (count == 0)
        return;
    const QList<Variant> &values = translation.executeArguments.isEmpty() ? parameters
                                                                           : translation.executeArguments;
    const QHash<int, SqlShape::Target> targets = SqlShape::parameterTargets(QString::fromUtf8(
        sqlite3_sql(statement.handle())));

    qsizetype nextUnnamed = translation.parameterNames.size();
    for (int index = 1; index <= count; ++index) {
        const QString name = statement.parameterName(index);
        qsizetype position = -1;
        if (name.size() > 1 && name[0] != u'?') {
            const QString bare = name.mid(1);
            for (qsizetype i = 0; i < translation.parameterNames.size(); ++i) {
                if (translation.parameterNames[i].compare(bare, Qt::CaseInsensitive) == 0) {
                    position = i;
                    break;
                }
            }
        } else if (name.size() > 1) {
            position = name.mid(1).toInt() - 1; // ?NNN
        }
        if (position < 0)
            position = nextUnnamed++;
        if (position >= values.size())
            throw DatabaseError::missingParameters();

        ColumnType type;
        if (position < translation.parameterTypes.size() && !translation.parameterTypes[position].isEmpty()) {
            type = ColumnType::fromDeclaredType(translation.parameterTypes[position]);
        } else if (auto t = targets.constFind(index); t != targets.constEnd()) {
            type = ColumnType::fromDeclaredType(t->table.isEmpty() ? columnType(t->column)
                                                                   : columnType(t->table, t->column));
        }
        SqlValue stored;
        try {
            stored = ValueConversion::toStored(values[position], type);
        } catch (const DatabaseError &) {
            throw;
        } catch (const RuntimeError &e) {
            throw DatabaseError::fromRuntimeError(e);
        }
        statement.bind(index, stored);
    }
}

// ---- schema ------------------------------------------------------------

void Session::refreshCaches()
{
    const std::int64_t schema = pragmaValue(*this, m_schemaVersionQuery, "PRAGMA schema_version");
    const std::int64_t data = pragmaValue(*this, m_dataVersionQuery, "PRAGMA data_version");
    if (schema != m_schemaVersion) {
        m_tables.clear();
        m_columnTypes.reset();
        m_queries.reset();
        m_schemaVersion = schema;
    }
    if (data != m_dataVersion) {
        m_queries.reset();
        m_dataVersion = data;
    }
}

void Session::invalidateCaches()
{
    m_tables.clear();
    m_columnTypes.reset();
    m_queries.reset();
    m_schemaVersion = -1;
}

std::shared_ptr<const TableInfo> Session::tableInfo(const QString &name)
{
    const QString key = name.toLower();
    if (auto it = m_tables.constFind(key); it != m_tables.constEnd())
        return *it;

    auto info = std::make_shared<TableInfo>();
    {
        Statement st = prepare(QStringLiteral("SELECT name, type, sql FROM sqlite_master "
                                              "WHERE type IN ('table', 'view') AND name = ?1 COLLATE NOCASE"));
        st.bind(1, SqlValue::text(name));
        if (!st.step())
            return nullptr;
        info->name = st.text(0);
        info->isView = st.text(1) == u"view";
        info->sql = st.text(2);
    }
    {
        Statement st = prepare(QStringLiteral("PRAGMA table_info(%1)").arg(SqlLexer::quoteName(info->name)));
        while (st.step()) {
            TableInfo::Column c;
            c.name = st.text(1);
            c.declaredType = st.text(2);
            c.notNull = st.integer(3) != 0;
            c.hasDefault = !st.value(4).isNull();
            c.defaultValue = st.text(4);
            c.primaryKeyPosition = static_cast<int>(st.integer(5));
            info->columns.append(c);
        }
    }
    QList<const TableInfo::Column *> key_columns;
    for (const TableInfo::Column &c : info->columns) {
        if (c.primaryKeyPosition > 0)
            key_columns.append(&c);
    }
    std::sort(key_columns.begin(), key_columns.end(),
              [](const auto *a, const auto *b) { return a->primaryKeyPosition < b->primaryKeyPosition; });
    for (const auto *c : key_columns)
        info->primaryKey.append(c->name);

    if (info->isView) {
        info->hasRowid = false;
    } else {
        const QList<SqlToken> tokens = SqlLexer::tokenize(info->sql);
        for (qsizetype i = 0; i < tokens.size(); ++i) {
            if (tokens[i].isWord("AUTOINCREMENT"))
                info->autoIncrement = true;
            if (tokens[i].isWord("WITHOUT") && i + 1 < tokens.size() && tokens[i + 1].isWord("ROWID"))
                info->hasRowid = false;
        }
        if (info->hasRowid && key_columns.size() == 1
            && key_columns[0]->declaredType.compare(u"INTEGER", Qt::CaseInsensitive) == 0)
            info->integerKey = key_columns[0]->name;
    }
    m_tables.insert(key, info);
    return info;
}

QStringList Session::tableNames()
{
    QStringList names;
    Statement st = prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type IN ('table', 'view') ORDER BY name COLLATE NOCASE"));
    while (st.step())
        names.append(st.text(0));
    return names;
}

QString Session::columnType(const QString &column)
{
    if (!m_columnTypes) {
        QHash<QString, QString> types;
        QStringList tables;
        {
            Statement st = prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
            while (st.step())
                tables.append(st.text(0));
        }
        for (const QString &table : tables) {
            if (QueryCatalogue::isSystemTable(table))
                continue;
            const auto info = tableInfo(table);
            if (!info)
                continue;
            for (const TableInfo::Column &c : info->columns) {
                const QString key = c.name.toLower();
                const QString declared = c.declaredType.trimmed().toUpper();
                auto it = types.find(key);
                if (it == types.end()) {
                    types.insert(key, declared);
                } else if (!it->isEmpty() && *it != declared) {
                    // Same kind with another size: keep the type's name alone.
                    const ColumnType a = ColumnType::fromDeclaredType(*it);
                    const ColumnType b = ColumnType::fromDeclaredType(declared);
                    *it = a.type() == b.type() ? it->section(u'(', 0, 0).trimmed() : QString();
                }
            }
        }
        m_columnTypes = std::move(types);
    }
    return m_columnTypes->value(column.toLower());
}

QString Session::columnType(const QString &table, const QString &column)
{
    if (const auto info = tableInfo(table)) {
        if (const TableInfo::Column *c = info->column(column))
            return c->declaredType;
    }
    return columnType(column);
}

// ---- stored queries ----------------------------------------------------

void Session::loadQueries()
{
    QHash<QString, jet::StoredQuery> queries;
    bool exists = false;
    {
        Statement st = prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1"));
        st.bind(1, SqlValue::text(QueryCatalogue::tableName()));
        exists = st.step();
    }
    if (exists) {
        Statement st = prepare(QStringLiteral("SELECT name, params, body FROM _jet_queries"));
        while (st.step()) {
            jet::StoredQuery q;
            q.name = st.text(0);
            QueryCatalogue::parseParameters(st.text(1), q.parameterNames, q.parameterTypes);
            q.body = st.text(2);
            queries.insert(q.name.toLower(), q);
        }
    }
    m_queries = std::move(queries);
}

std::optional<jet::StoredQuery> Session::storedQuery(const QString &name)
{
    if (!m_queries)
        loadQueries();
    if (auto it = m_queries->constFind(name.toLower()); it != m_queries->constEnd())
        return *it;
    return std::nullopt;
}

QList<jet::StoredQuery> Session::storedQueries()
{
    refreshCaches();
    if (!m_queries)
        loadQueries();
    QList<jet::StoredQuery> list = m_queries->values();
    std::sort(list.begin(), list.end(), [](const jet::StoredQuery &a, const jet::StoredQuery &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return list;
}

void Session::storeQuery(const jet::StoredQuery &query)
{
    WriteScope scope(*this);
    exec(QueryCatalogue::createStatement());
    {
        Statement taken = prepare(QStringLiteral(
            "SELECT 1 FROM _jet_queries WHERE name = ?1 "
            "UNION ALL SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND name = ?1 COLLATE NOCASE"));
        taken.bind(1, SqlValue::text(query.name));
        if (taken.step())
            throw DatabaseError(DatabaseError::Kind::DuplicateKey, DatabaseError::EngineErrorNumber,
                                QStringLiteral("Esiste già una tabella o una query di nome '%1'.").arg(query.name));
    }
    Statement insert = prepare(QStringLiteral("INSERT INTO _jet_queries(name, params, body) VALUES (?1, ?2, ?3)"));
    insert.bind(1, SqlValue::text(query.name));
    insert.bind(2, SqlValue::text(QueryCatalogue::formatParameters(query.parameterNames, query.parameterTypes)));
    insert.bind(3, SqlValue::text(query.body));
    insert.step();
    scope.commit();
    invalidateCaches();
}

} // namespace platform::sqlite

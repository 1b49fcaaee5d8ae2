#include "platform/data/Catalog.h"

#include "platform/data/DatabaseError.h"
#include "platform/data/QueryCatalogue.h"
#include "platform/data/Session.h"

namespace platform {

namespace {

CatalogTable readTable(sqlite::Session &session, const QString &name)
{
    const auto info = session.tableInfo(name);
    if (!info)
        throw DatabaseError::itemNotFound();
    QList<CatalogColumn> columns;
    for (const sqlite::TableInfo::Column &c : info->columns) {
        const bool autoIncrement =
            info->autoIncrement && c.name.compare(info->integerKey, Qt::CaseInsensitive) == 0;
        columns.append(CatalogColumn(c.name, c.declaredType, !c.notNull && c.primaryKeyPosition == 0,
                                     autoIncrement, c.hasDefault ? Variant(c.defaultValue) : Variant()));
    }
    const QString type = info->isView                                    ? QStringLiteral("VIEW")
                       : sqlite::QueryCatalogue::isSystemTable(info->name) ? QStringLiteral("SYSTEM TABLE")
                                                                           : QStringLiteral("TABLE");
    return CatalogTable(info->name, type, columns);
}

} // namespace

const Connection &Catalog::connection() const
{
    if (!m_connection || !m_connection->isOpen())
        throw DatabaseError::connectionNotUsable();
    return *m_connection;
}

QList<CatalogTable> Catalog::tables() const
{
    sqlite::Session &session = connection().openSession();
    session.invalidateCaches();
    QList<CatalogTable> tables;
    for (const QString &name : session.tableNames())
        tables.append(readTable(session, name));
    return tables;
}

CatalogTable Catalog::table(const QString &name) const
{
    sqlite::Session &session = connection().openSession();
    session.invalidateCaches();
    return readTable(session, name);
}

QList<CatalogProcedure> Catalog::procedures() const
{
    sqlite::Session &session = connection().openSession();
    QList<CatalogProcedure> list;
    for (const jet::StoredQuery &q : session.storedQueries())
        list.append(CatalogProcedure(q.name, q.parameterNames, q.parameterTypes, q.body));
    return list;
}

CatalogProcedure Catalog::procedure(const QString &name) const
{
    for (const CatalogProcedure &p : procedures()) {
        if (p.name().compare(name, Qt::CaseInsensitive) == 0)
            return p;
    }
    throw DatabaseError::itemNotFound();
}

} // namespace platform

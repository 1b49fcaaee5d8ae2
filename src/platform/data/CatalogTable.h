#pragma once

#include "platform/data/CatalogColumn.h"

#include <QList>
#include <QString>

namespace platform {

// A table of the catalogue: its name, its type ("TABLE", "VIEW" or
// "SYSTEM TABLE") and its columns in schema order.
class CatalogTable
{
public:
    CatalogTable() = default;
    CatalogTable(QString name, QString type, QList<CatalogColumn> columns)
        : m_name(std::move(name)), m_type(std::move(type)), m_columns(std::move(columns))
    {
    }

    QString name() const { return m_name; }
    QString type() const { return m_type; }
    const QList<CatalogColumn> &columns() const { return m_columns; }
    // Case-insensitive; raises "item cannot be found" (3265).
    const CatalogColumn &column(const QString &name) const;

private:
    QString m_name;
    QString m_type;
    QList<CatalogColumn> m_columns;
};

} // namespace platform

#include "platform/data/CatalogTable.h"

#include "platform/data/DatabaseError.h"

namespace platform {

const CatalogColumn &CatalogTable::column(const QString &name) const
{
    for (const CatalogColumn &c : m_columns) {
        if (c.name().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    throw DatabaseError::itemNotFound();
}

} // namespace platform

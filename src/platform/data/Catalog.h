#pragma once

#include "platform/data/CatalogProcedure.h"
#include "platform/data/CatalogTable.h"
#include "platform/data/Connection.h"

#include <QList>
#include <QString>

#include <optional>

namespace platform {

// The schema of a database as the program reads it: its tables (type
// "TABLE"), views ("VIEW") and the engine's and the layer's own tables
// ("SYSTEM TABLE"), each with its columns; and the stored parameter
// queries as procedures. Read afresh at each call.
class Catalog
{
public:
    Catalog() = default;
    explicit Catalog(const Connection &connection) : m_connection(connection) {}

    void setActiveConnection(const Connection &connection) { m_connection = connection; }
    std::optional<Connection> activeConnection() const { return m_connection; }

    QList<CatalogTable> tables() const;
    // Case-insensitive; raises "item cannot be found" (3265).
    CatalogTable table(const QString &name) const;
    QList<CatalogProcedure> procedures() const;
    CatalogProcedure procedure(const QString &name) const;

private:
    const Connection &connection() const;

    std::optional<Connection> m_connection;
};

} // namespace platform

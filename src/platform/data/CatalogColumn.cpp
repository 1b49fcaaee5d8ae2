#include "platform/data/CatalogColumn.h"

#include "platform/data/DatabaseError.h"

namespace platform {

namespace {
const QString allowZeroLength = QStringLiteral("Jet OLEDB:Allow Zero Length");
}

CatalogColumn::CatalogColumn(QString name, QString declaredType, bool nullable, bool autoIncrement,
                             Variant defaultValue)
    : m_name(std::move(name))
    , m_declaredType(std::move(declaredType))
    , m_type(ColumnType::fromDeclaredType(m_declaredType))
{
    m_properties = {
        {QStringLiteral("Autoincrement"), Variant(autoIncrement)},
        {QStringLiteral("Nullable"), Variant(nullable)},
        {QStringLiteral("Default"), defaultValue},
        {allowZeroLength, Variant(m_type.isText())},
    };
}

QStringList CatalogColumn::propertyNames() const
{
    QStringList names;
    for (const auto &p : m_properties)
        names.append(p.first);
    return names;
}

Variant CatalogColumn::property(const QString &name) const
{
    for (const auto &p : m_properties) {
        if (p.first.compare(name, Qt::CaseInsensitive) == 0)
            return p.second;
    }
    throw DatabaseError::itemNotFound();
}

void CatalogColumn::setProperty(const QString &name, const Variant &)
{
    if (name.compare(allowZeroLength, Qt::CaseInsensitive) == 0)
        return;
    property(name); // unknown names raise 3265
    throw DatabaseError::notSupported();
}

} // namespace platform

#pragma once

#include "platform/base/Variant.h"
#include "platform/data/ColumnType.h"
#include "platform/data/DataEnums.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace platform {

// A column of a table in the catalogue: name, type code, defined size as
// read from the schema's declared type, and its provider properties
// ("Autoincrement", "Nullable", "Default", "Jet OLEDB:Allow Zero Length").
class CatalogColumn
{
public:
    CatalogColumn() = default;
    CatalogColumn(QString name, QString declaredType, bool nullable, bool autoIncrement, Variant defaultValue);

    QString name() const { return m_name; }
    DataType type() const { return m_type.type(); }
    int definedSize() const { return m_type.definedSize(); }
    QString declaredType() const { return m_declaredType; }

    QStringList propertyNames() const;
    // Raises "item cannot be found" (3265) for an unknown property.
    Variant property(const QString &name) const;
    // Only "Jet OLEDB:Allow Zero Length" may be set: the engine always
    // accepts empty texts, so the write is accepted and changes nothing.
    // Other properties raise "not supported" (3251).
    void setProperty(const QString &name, const Variant &value);

private:
    QString m_name;
    QString m_declaredType;
    ColumnType m_type;
    QList<QPair<QString, Variant>> m_properties;
};

} // namespace platform

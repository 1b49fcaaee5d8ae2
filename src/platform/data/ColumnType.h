#pragma once

#include "platform/data/DataEnums.h"

#include <QString>
#include <QStringView>

namespace platform {

// The data type and defined size of a column, read from the type name the
// schema declares for it ("VARCHAR(40)" is adVarWChar of 40 characters,
// "CURRENCY" is adCurrency, ...). The same reading serves the catalogue,
// the fields of a recordset and the binding of values and parameters.
class ColumnType
{
public:
    // Size reported for long text columns, as the classic engine reports it.
    static constexpr int LongTextSize = 536870910;
    // Size reported for binary columns.
    static constexpr int LongBinarySize = 1073741823;

    constexpr ColumnType() = default;
    constexpr ColumnType(DataType type, int definedSize) : m_type(type), m_definedSize(definedSize) {}

    // Reads a declared type ("VARCHAR(255)", "TEXT(50)", "LONGTEXT",
    // "DOUBLE", "YESNO", ...), also the parameter types of stored queries
    // ("DateTime", "Long", "Text"). An empty text gives adVariant; an
    // unknown name is read by the engine's affinity rules.
    static ColumnType fromDeclaredType(QStringView declared);

    // The usual size of a fixed-size type (4 for adInteger, 8 for
    // adDouble, ...), 0 for the variable ones.
    static int naturalSize(DataType type);

    DataType type() const { return m_type; }
    int definedSize() const { return m_definedSize; }
    bool isText() const;
    bool isNumeric() const;

    bool operator==(const ColumnType &) const = default;

private:
    DataType m_type = DataType::adVariant;
    int m_definedSize = 0;
};

} // namespace platform

#pragma once

#include "platform/data/ColumnType.h"

#include <QString>

namespace platform {

// What a recordset knows of one of its fields: its name as the statement
// writes it, its type and size, and the table column it comes from.
struct FieldInfo {
    QString name;
    ColumnType type;
    QString declaredType; // empty for computed columns
    QString baseTable;    // empty for computed columns
    QString baseColumn;
};

} // namespace platform

#pragma once

#include "platform/base/Variant.h"
#include "platform/data/DataEnums.h"

#include <QString>

namespace platform {

// The rows a grid shows, read by record number (from 0, in the order the
// data delivers them) and field number, without moving any cursor.
class GridDataSource
{
public:
    virtual ~GridDataSource() = default;

    virtual int recordCount() const = 0;
    virtual int fieldCount() const = 0;
    virtual QString fieldName(int field) const = 0;
    virtual DataType fieldType(int field) const = 0;
    // Defined size of a text field, 0 when unlimited or not text.
    virtual int fieldSize(int field) const = 0;
    // Empty for a record or field that does not exist.
    virtual Variant value(int record, int field) const = 0;
};

} // namespace platform

#pragma once

#include "platform/base/Variant.h"
#include "platform/data/DataEnums.h"

#include <QString>

namespace platform {

class Recordset;

// One field of a recordset, as a handle: its name, type and size, and its
// value in the current row. Valid while the recordset is open; reading a
// value needs a current row.
class Field
{
public:
    Field(Recordset *recordset, int index) : m_recordset(recordset), m_index(index) {}

    int index() const { return m_index; }
    QString name() const;
    DataType type() const;
    int definedSize() const;
    // The table and column the field comes from; empty for a computed one.
    QString baseTable() const;
    QString baseColumn() const;

    Variant value() const;
    void setValue(const Variant &value) const;
    // The value as it was last read from or written to the database.
    Variant originalValue() const;
    // The value the database holds now (read again when attached).
    Variant underlyingValue() const;

private:
    Recordset *m_recordset;
    int m_index;
};

} // namespace platform

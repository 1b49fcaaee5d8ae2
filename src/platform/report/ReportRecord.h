#pragma once

#include "platform/base/Variant.h"

#include <QString>

namespace platform {
class Recordset;
}

namespace platform::report {

// Read access to one record of a run's data, by column name or index,
// without moving the recordset.
class ReportRecord
{
public:
    ReportRecord() = default;
    ReportRecord(const Recordset *recordset, int row) : m_recordset(recordset), m_row(row) {}

    bool isValid() const { return m_recordset && m_row >= 0; }
    int row() const { return m_row; }
    // Null for an unknown column or outside the data.
    Variant value(const QString &column) const;
    Variant value(int field) const;

private:
    const Recordset *m_recordset = nullptr;
    int m_row = -1;
};

} // namespace platform::report

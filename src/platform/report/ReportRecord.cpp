#include "platform/report/ReportRecord.h"

#include "platform/data/Recordset.h"

namespace platform::report {

Variant ReportRecord::value(const QString &column) const
{
    if (!isValid())
        return Variant::null();
    return value(m_recordset->fieldIndex(column));
}

Variant ReportRecord::value(int field) const
{
    if (!isValid() || field < 0 || field >= m_recordset->fieldCount())
        return Variant::null();
    return m_recordset->valueAt(m_row, field);
}

} // namespace platform::report

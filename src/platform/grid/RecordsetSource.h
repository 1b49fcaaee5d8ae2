#pragma once

#include "platform/grid/GridDataSource.h"

#include <QPointer>

namespace platform {

class Recordset;

// The rows of an open recordset, read in place (pending edits included).
class RecordsetSource : public GridDataSource
{
public:
    explicit RecordsetSource(Recordset *recordset) : m_recordset(recordset) {}

    Recordset *recordset() const { return m_recordset; }

    int recordCount() const override;
    int fieldCount() const override;
    QString fieldName(int field) const override;
    DataType fieldType(int field) const override;
    int fieldSize(int field) const override;
    Variant value(int record, int field) const override;

private:
    QPointer<Recordset> m_recordset;
};

} // namespace platform

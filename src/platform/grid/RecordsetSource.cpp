#include "platform/grid/RecordsetSource.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Recordset.h"

namespace platform {

int RecordsetSource::recordCount() const
{
    return m_recordset ? m_recordset->rowCount() : 0;
}

int RecordsetSource::fieldCount() const
{
    return m_recordset && m_recordset->isOpen() ? m_recordset->fieldCount() : 0;
}

QString RecordsetSource::fieldName(int field) const
{
    if (field < 0 || field >= fieldCount())
        return QString();
    return m_recordset->fieldInfo(field).name;
}

DataType RecordsetSource::fieldType(int field) const
{
    if (field < 0 || field >= fieldCount())
        return DataType::adEmpty;
    return m_recordset->fieldInfo(field).type.type();
}

int RecordsetSource::fieldSize(int field) const
{
    if (field < 0 || field >= fieldCount())
        return 0;
    const ColumnType &type = m_recordset->fieldInfo(field).type;
    if (type.type() != DataType::adVarWChar && type.type() != DataType::adWChar)
        return 0;
    return type.definedSize();
}

Variant RecordsetSource::value(int record, int field) const
{
    if (!m_recordset || record < 0 || field < 0 || field >= fieldCount())
        return Variant();
    try {
        return m_recordset->valueAt(record, field);
    } catch (const RuntimeError &) {
        return Variant();
    }
}

} // namespace platform

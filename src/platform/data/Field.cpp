#include "platform/data/Field.h"

#include "platform/data/FieldInfo.h"
#include "platform/data/Recordset.h"

namespace platform {

QString Field::name() const
{
    return m_recordset->fieldInfo(m_index).name;
}

DataType Field::type() const
{
    return m_recordset->fieldInfo(m_index).type.type();
}

int Field::definedSize() const
{
    return m_recordset->fieldInfo(m_index).type.definedSize();
}

QString Field::baseTable() const
{
    return m_recordset->fieldInfo(m_index).baseTable;
}

QString Field::baseColumn() const
{
    return m_recordset->fieldInfo(m_index).baseColumn;
}

Variant Field::value() const
{
    return m_recordset->value(m_index);
}

void Field::setValue(const Variant &value) const
{
    m_recordset->setValue(m_index, value);
}

Variant Field::originalValue() const
{
    return m_recordset->originalValue(m_index);
}

Variant Field::underlyingValue() const
{
    return m_recordset->underlyingValue(m_index);
}

} // namespace platform

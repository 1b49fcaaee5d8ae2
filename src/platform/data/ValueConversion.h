#pragma once

#include "platform/base/Variant.h"
#include "platform/data/ColumnType.h"
#include "platform/data/SqlValue.h"

namespace platform::sqlite {

// The conversions between the program's values and stored values. Writing
// follows the target column's type when it is known: currency rounded to
// four decimals, dates as ISO text ('YYYY-MM-DD', with ' HH:MM:SS' only
// when there is a time), Yes/No as 0/1, numbers typed as locale text
// ("12,5") stored as numbers; otherwise the value's own kind decides.
// Reading gives the column type's kind of Variant, NULL as Null.
class ValueConversion
{
public:
    // Raises the run-time's type mismatch (13) when the value cannot
    // become the target type (letters into a number column, ...).
    static SqlValue toStored(const Variant &value, ColumnType target);
    static SqlValue toStored(const Variant &value);

    static Variant toVariant(const SqlValue &stored, DataType type);
    // By the stored kind alone: integers as Long (Double beyond 32 bits),
    // reals as Double, text as String, blobs as ByteArray.
    static Variant toVariant(const SqlValue &stored);

    // The value as a field of the given type holds it after assignment.
    static Variant coerce(const Variant &value, ColumnType target);
};

} // namespace platform::sqlite

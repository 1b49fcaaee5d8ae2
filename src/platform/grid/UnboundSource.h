#pragma once

#include "platform/grid/GridDataSource.h"

#include <functional>
#include <optional>
#include <vector>

namespace platform {

// Rows that the grid does not read from a recordset: the program gives a
// row count and fills each row's values when the grid first needs them.
class UnboundSource : public GridDataSource
{
public:
    // Fills the values (one per field) of a row, numbered from 0.
    using Reader = std::function<void(int record, std::vector<Variant> &values)>;

    UnboundSource(int rows, int fields, Reader reader);

    int recordCount() const override { return m_rows; }
    int fieldCount() const override { return m_fields; }
    QString fieldName(int) const override { return QString(); }
    DataType fieldType(int) const override { return DataType::adVariant; }
    int fieldSize(int) const override { return 0; }
    Variant value(int record, int field) const override;

    // Forgets the values read so far; they are asked for again.
    void forget();

private:
    int m_rows;
    int m_fields;
    Reader m_reader;
    mutable std::vector<std::optional<std::vector<Variant>>> m_cache;
};

} // namespace platform

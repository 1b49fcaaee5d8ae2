#pragma once

#include "platform/base/Variant.h"

#include <vector>

namespace platform {

// The values of one row of an unbound grid, filled by the program when the
// grid reads the row. Columns are numbered from 1.
class GridRowBuffer
{
public:
    GridRowBuffer(int row, std::vector<Variant> &values) : m_row(row), m_values(values) {}

    int row() const { return m_row; }
    int columnCount() const { return static_cast<int>(m_values.size()); }
    void setValue(int column, const Variant &value)
    {
        if (column >= 1 && column <= columnCount())
            m_values[static_cast<size_t>(column - 1)] = value;
    }
    Variant value(int column) const
    {
        return column >= 1 && column <= columnCount() ? m_values[static_cast<size_t>(column - 1)] : Variant();
    }

private:
    int m_row;
    std::vector<Variant> &m_values;
};

} // namespace platform

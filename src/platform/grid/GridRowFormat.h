#pragma once

#include "platform/base/Variant.h"

#include <QString>

#include <map>

namespace platform {

class GridModel;

// One row as the grid is about to show it, handed to the rowFormat
// notification: a handler may change a group caption, or the value shown
// in a cell of a record row (the stored value stays as it is). Rows and
// columns are numbered from 1.
class GridRowFormat
{
public:
    GridRowFormat(const GridModel &model, int row, QString caption);

    int row() const { return m_row; }
    bool isGroupCaption() const;
    // The group level of a caption row (from 1), 0 on a record row.
    int groupLevel() const;
    // The caption shown on a group caption row.
    QString caption;

    // The stored value of a cell of a record row.
    Variant value(int column) const;
    // Shows another value in a cell of a record row, through the column's format.
    void setValue(int column, const Variant &shown) { m_shown[column] = shown; }
    const std::map<int, Variant> &shownValues() const { return m_shown; }

    // On a caption row: the value the group shares, the sum of a column's
    // numeric values over the group's records, and the number of records.
    Variant groupValue() const;
    Variant groupSum(int column) const;
    int groupRecordCount() const;

private:
    const GridModel &m_model;
    int m_row;
    std::map<int, Variant> m_shown;
};

} // namespace platform

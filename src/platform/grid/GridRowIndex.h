#pragma once

#include "platform/grid/GridTypes.h"

#include <vector>

namespace platform {

class GridFieldKeys;

// The rows a grid shows, worked out from its records without touching the
// data again: the records in sort order (group levels first, then sort
// keys; records that compare equal keep the data's order), the groups each
// level makes, and the display rows, where each group starts with a caption
// row and the records of collapsed groups are left out.
// Rows, records and groups are numbered from 0 here.
class GridRowIndex
{
public:
    // A sort key or group level over the keys of one field.
    struct Level {
        const GridFieldKeys *keys = nullptr;
        SortOrder order = SortOrder::Ascending;
    };

    // A run of records with equal values on the first level+1 group levels:
    // positions first..end-1 of ordered().
    struct Group {
        int level = 0;
        int first = 0;
        int end = 0;
        int parent = -1;
        bool expanded = true;
    };

    // Sorts and groups recordCount records.
    void build(int recordCount, const std::vector<Level> &groupLevels, const std::vector<Level> &sortLevels,
               bool expanded);
    void clear();

    // Records in sort order, collapsed groups included.
    const std::vector<int> &ordered() const { return m_ordered; }
    int recordCount() const { return static_cast<int>(m_ordered.size()); }

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    bool isCaption(int row) const { return m_rows[static_cast<size_t>(row)] < 0; }
    // The record shown on a row, -1 on a caption row.
    int recordAt(int row) const
    {
        const int v = m_rows[static_cast<size_t>(row)];
        return v >= 0 ? v : -1;
    }
    // The group whose caption a row is, -1 on a record row.
    int groupAt(int row) const
    {
        const int v = m_rows[static_cast<size_t>(row)];
        return v < 0 ? -v - 1 : -1;
    }
    // -1 when the record is inside a collapsed group.
    int rowOfRecord(int record) const;
    int rowOfGroup(int group) const;

    int groupCount() const { return static_cast<int>(m_groups.size()); }
    int levelCount() const { return m_levels; }
    const Group &group(int index) const { return m_groups[static_cast<size_t>(index)]; }
    // The innermost group of a record, -1 when the records are not grouped.
    int groupOfRecord(int record) const;

    // Whether the rows are still in the order build() made (no record was
    // appended since).
    bool inBuiltOrder() const { return !m_appended; }

    void setExpanded(int group, bool expanded);
    void setAllExpanded(bool expanded);

    // A record added to the data after the last one: shown last, outside
    // any group, until the next build.
    void appendRecord();
    // A record taken out of the data: it leaves the rows, and the records
    // after it are numbered one less, as the data numbers them.
    void removeRecord(int record);

private:
    void layoutRows();

    int m_levels = 0;
    std::vector<int> m_ordered;
    std::vector<Group> m_groups;   // parents before their children, in row order
    std::vector<int> m_rows;       // record, or -(group + 1) for a caption
    std::vector<int> m_rowOfRecord;
    std::vector<int> m_rowOfGroup;
    std::vector<int> m_groupOfPosition; // innermost group of each position of m_ordered
    int m_groupedEnd = 0;          // positions at and after this one are outside any group
    bool m_appended = false;
};

} // namespace platform

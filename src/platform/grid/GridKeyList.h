#pragma once

#include "platform/grid/GridTypes.h"

#include <functional>
#include <vector>

namespace platform {

// One sort key or group level: a column index (from 1) and an order.
struct GridKey {
    int column = 0;
    SortOrder order = SortOrder::Ascending;

    bool operator==(const GridKey &) const = default;
};

// The sort keys or the group levels of a grid, in order of precedence.
// Items are numbered from 1. The grid applies a change when it next needs
// its rows (or at once through reSort), so that clearing and adding keys
// one by one sorts only once.
class GridKeyList
{
public:
    using Listener = std::function<void()>;

    int count() const { return static_cast<int>(m_keys.size()); }
    // Raises "Subscript out of range" (9) for a position outside 1..count.
    GridKey item(int position) const;
    const std::vector<GridKey> &keys() const { return m_keys; }
    bool isEmpty() const { return m_keys.empty(); }
    // The position of the column's key, 0 when the column has none.
    int indexOfColumn(int column) const;

    // A key on a column that already has one replaces it in its place.
    void add(int column, SortOrder order = SortOrder::Ascending);
    void remove(int position);
    void clear();
    // Replaces every key at once.
    void assign(std::vector<GridKey> keys);

    void setListener(Listener listener) { m_listener = std::move(listener); }

private:
    void changed();

    std::vector<GridKey> m_keys;
    Listener m_listener;
};

} // namespace platform

#pragma once

#include "platform/grid/GridColumn.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

// The columns of a grid: by index (1 to count, creation order), by key and
// by display position. The grid is told of every change of a column.
class GridColumns
{
public:
    using Listener = std::function<void(GridColumn *, GridColumn::Change)>;

    GridColumns() = default;
    GridColumns(const GridColumns &) = delete;
    GridColumns &operator=(const GridColumns &) = delete;
    ~GridColumns();

    int count() const { return static_cast<int>(m_columns.size()); }
    // nullptr when there is no such column.
    GridColumn *item(int index) const;
    // Case-insensitive; nullptr when no column has the key.
    GridColumn *item(const QString &key) const;
    GridColumn *atPosition(int position) const;
    // The columns left to right.
    const std::vector<GridColumn *> &inDisplayOrder() const { return m_order; }

    // A new last column; key, caption and data field start as given.
    GridColumn *add(const QString &key = {}, const QString &caption = {}, const QString &dataField = {});
    void remove(int index);
    void clear();

    // For the grid: who is told of changes, and the field numbers of the
    // bound data.
    void setListener(Listener listener) { m_listener = std::move(listener); }
    void setFieldIndex(GridColumn *column, int field) { column->m_fieldIndex = field; }
    void notify(GridColumn *column, GridColumn::Change change);
    void moveTo(GridColumn *column, int position);
    // Shows the columns left to right in this order; `order` holds every
    // column once.
    void setDisplayOrder(std::vector<GridColumn *> order);
    // Silences notifications while the grid rebuilds its columns.
    void setMuted(bool muted) { m_muted = muted; }

private:
    std::vector<std::unique_ptr<GridColumn>> m_columns;
    std::vector<GridColumn *> m_order;
    Listener m_listener;
    bool m_muted = false;
};

} // namespace platform

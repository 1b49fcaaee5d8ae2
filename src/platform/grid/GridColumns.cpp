#include "platform/grid/GridColumns.h"

#include <algorithm>

namespace platform {

GridColumns::~GridColumns()
{
    m_listener = nullptr;
}

GridColumn *GridColumns::item(int index) const
{
    if (index < 1 || index > count())
        return nullptr;
    return m_columns[static_cast<size_t>(index - 1)].get();
}

GridColumn *GridColumns::item(const QString &key) const
{
    if (key.isEmpty())
        return nullptr;
    for (const auto &c : m_columns) {
        if (c->key().compare(key, Qt::CaseInsensitive) == 0)
            return c.get();
    }
    return nullptr;
}

GridColumn *GridColumns::atPosition(int position) const
{
    if (position < 1 || position > static_cast<int>(m_order.size()))
        return nullptr;
    return m_order[static_cast<size_t>(position - 1)];
}

GridColumn *GridColumns::add(const QString &key, const QString &caption, const QString &dataField)
{
    std::unique_ptr<GridColumn> column(new GridColumn(this, count() + 1));
    column->m_key = key;
    column->m_caption = caption.isEmpty() ? key : caption;
    column->m_dataField = dataField;
    GridColumn *added = column.get();
    m_columns.push_back(std::move(column));
    m_order.push_back(added);
    notify(added, GridColumn::Change::Binding);
    return added;
}

void GridColumns::remove(int index)
{
    GridColumn *column = item(index);
    if (!column)
        return;
    m_order.erase(std::remove(m_order.begin(), m_order.end(), column), m_order.end());
    m_columns.erase(m_columns.begin() + (index - 1));
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_columns[i]->m_index = static_cast<int>(i) + 1;
    notify(nullptr, GridColumn::Change::Binding);
}

void GridColumns::clear()
{
    if (m_columns.empty())
        return;
    m_order.clear();
    m_columns.clear();
    notify(nullptr, GridColumn::Change::Binding);
}

void GridColumns::notify(GridColumn *column, GridColumn::Change change)
{
    if (m_listener && !m_muted)
        m_listener(column, change);
}

void GridColumns::moveTo(GridColumn *column, int position)
{
    auto it = std::find(m_order.begin(), m_order.end(), column);
    if (it == m_order.end())
        return;
    const int target = std::clamp(position, 1, static_cast<int>(m_order.size())) - 1;
    const int from = static_cast<int>(it - m_order.begin());
    if (from == target)
        return;
    m_order.erase(it);
    m_order.insert(m_order.begin() + target, column);
    notify(column, GridColumn::Change::Geometry);
}

void GridColumns::setDisplayOrder(std::vector<GridColumn *> order)
{
    if (order.size() != m_order.size())
        return;
    m_order = std::move(order);
    notify(nullptr, GridColumn::Change::Geometry);
}

} // namespace platform

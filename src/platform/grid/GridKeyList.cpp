#include "platform/grid/GridKeyList.h"

#include "platform/base/RuntimeError.h"

namespace platform {

namespace {

constexpr int SubscriptOutOfRange = 9;

[[noreturn]] void outOfRange()
{
    throw RuntimeError(SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
}

} // namespace

GridKey GridKeyList::item(int position) const
{
    if (position < 1 || position > count())
        outOfRange();
    return m_keys[static_cast<size_t>(position - 1)];
}

int GridKeyList::indexOfColumn(int column) const
{
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].column == column)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

void GridKeyList::add(int column, SortOrder order)
{
    if (const int at = indexOfColumn(column))
        m_keys[static_cast<size_t>(at - 1)].order = order;
    else
        m_keys.push_back(GridKey{column, order});
    changed();
}

void GridKeyList::remove(int position)
{
    if (position < 1 || position > count())
        outOfRange();
    m_keys.erase(m_keys.begin() + (position - 1));
    changed();
}

void GridKeyList::clear()
{
    if (m_keys.empty())
        return;
    m_keys.clear();
    changed();
}

void GridKeyList::assign(std::vector<GridKey> keys)
{
    if (keys == m_keys)
        return;
    m_keys = std::move(keys);
    changed();
}

void GridKeyList::changed()
{
    if (m_listener)
        m_listener();
}

} // namespace platform

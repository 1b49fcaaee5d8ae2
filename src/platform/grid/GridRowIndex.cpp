#include "platform/grid/GridRowIndex.h"

#include "platform/grid/GridFieldKeys.h"

#include <algorithm>
#include <numeric>

namespace platform {

void GridRowIndex::clear()
{
    m_levels = 0;
    m_ordered.clear();
    m_groups.clear();
    m_rows.clear();
    m_rowOfRecord.clear();
    m_rowOfGroup.clear();
    m_groupOfPosition.clear();
    m_groupedEnd = 0;
    m_appended = false;
}

void GridRowIndex::build(int recordCount, const std::vector<Level> &groupLevels, const std::vector<Level> &sortLevels,
                         bool expanded)
{
    clear();
    m_ordered.resize(static_cast<size_t>(std::max(recordCount, 0)));
    std::iota(m_ordered.begin(), m_ordered.end(), 0);

    std::vector<Level> levels;
    levels.reserve(groupLevels.size() + sortLevels.size());
    for (const Level &l : groupLevels) {
        if (l.keys)
            levels.push_back(l);
    }
    m_levels = static_cast<int>(levels.size());
    for (const Level &l : sortLevels) {
        if (l.keys)
            levels.push_back(l);
    }

    const auto before = [&levels](int a, int b) {
        for (const Level &l : levels) {
            const int c = l.keys->compare(a, b);
            if (c != 0)
                return l.order == SortOrder::Ascending ? c < 0 : c > 0;
        }
        return false;
    };
    // Data read in the order of the keys (an ORDER BY) needs no sorting.
    if (!levels.empty() && !std::is_sorted(m_ordered.begin(), m_ordered.end(), before))
        std::stable_sort(m_ordered.begin(), m_ordered.end(), before);

    // Groups: a new group starts at every level from the first one whose
    // value differs from the previous record's.
    if (m_levels > 0) {
        std::vector<int> open(static_cast<size_t>(m_levels), -1);
        m_groupOfPosition.resize(m_ordered.size());
        for (size_t p = 0; p < m_ordered.size(); ++p) {
            int from = 0;
            if (p > 0) {
                from = m_levels;
                for (int l = 0; l < m_levels; ++l) {
                    if (levels[static_cast<size_t>(l)].keys->compare(m_ordered[p - 1], m_ordered[p]) != 0) {
                        from = l;
                        break;
                    }
                }
            }
            for (int l = from; l < m_levels; ++l) {
                if (open[static_cast<size_t>(l)] >= 0)
                    m_groups[static_cast<size_t>(open[static_cast<size_t>(l)])].end = static_cast<int>(p);
                Group g;
                g.level = l;
                g.first = static_cast<int>(p);
                g.parent = l > 0 ? open[static_cast<size_t>(l - 1)] : -1;
                g.expanded = expanded;
                open[static_cast<size_t>(l)] = static_cast<int>(m_groups.size());
                m_groups.push_back(g);
            }
            m_groupOfPosition[p] = open[static_cast<size_t>(m_levels - 1)];
        }
        for (int g : open) {
            if (g >= 0)
                m_groups[static_cast<size_t>(g)].end = static_cast<int>(m_ordered.size());
        }
        m_groupedEnd = static_cast<int>(m_ordered.size());
    }
    layoutRows();
}

void GridRowIndex::layoutRows()
{
    m_rows.clear();
    m_rows.reserve(m_ordered.size() + m_groups.size());
    m_rowOfRecord.assign(m_ordered.size(), -1);
    m_rowOfGroup.assign(m_groups.size(), -1);

    // A group is shown when its parent is shown and expanded.
    std::vector<char> shown(m_groups.size(), 0);
    for (size_t g = 0; g < m_groups.size(); ++g) {
        const Group &group = m_groups[g];
        shown[g] = group.first < group.end
            && (group.parent < 0
                || (shown[static_cast<size_t>(group.parent)] && m_groups[static_cast<size_t>(group.parent)].expanded));
    }

    size_t nextGroup = 0;
    for (size_t p = 0; p < m_ordered.size(); ++p) {
        const int position = static_cast<int>(p);
        if (position < m_groupedEnd) {
            while (nextGroup < m_groups.size() && m_groups[nextGroup].first <= position) {
                if (shown[nextGroup] && m_groups[nextGroup].first == position) {
                    m_rowOfGroup[nextGroup] = static_cast<int>(m_rows.size());
                    m_rows.push_back(-static_cast<int>(nextGroup) - 1);
                }
                ++nextGroup;
            }
            const int innermost = m_groupOfPosition[p];
            if (innermost < 0 || !shown[static_cast<size_t>(innermost)]
                || !m_groups[static_cast<size_t>(innermost)].expanded)
                continue;
        }
        const int record = m_ordered[p];
        m_rowOfRecord[static_cast<size_t>(record)] = static_cast<int>(m_rows.size());
        m_rows.push_back(record);
    }
}

int GridRowIndex::rowOfRecord(int record) const
{
    if (record < 0 || record >= static_cast<int>(m_rowOfRecord.size()))
        return -1;
    return m_rowOfRecord[static_cast<size_t>(record)];
}

int GridRowIndex::rowOfGroup(int group) const
{
    if (group < 0 || group >= static_cast<int>(m_rowOfGroup.size()))
        return -1;
    return m_rowOfGroup[static_cast<size_t>(group)];
}

int GridRowIndex::groupOfRecord(int record) const
{
    if (m_levels == 0 || record < 0 || record >= static_cast<int>(m_ordered.size()))
        return -1;
    // The position of the record in sort order.
    for (size_t p = 0; p < m_ordered.size(); ++p) {
        if (m_ordered[p] == record)
            return static_cast<int>(p) < m_groupedEnd ? m_groupOfPosition[p] : -1;
    }
    return -1;
}

void GridRowIndex::setExpanded(int group, bool expanded)
{
    if (group < 0 || group >= groupCount() || m_groups[static_cast<size_t>(group)].expanded == expanded)
        return;
    m_groups[static_cast<size_t>(group)].expanded = expanded;
    layoutRows();
}

void GridRowIndex::setAllExpanded(bool expanded)
{
    for (Group &g : m_groups)
        g.expanded = expanded;
    layoutRows();
}

void GridRowIndex::appendRecord()
{
    const int record = static_cast<int>(m_ordered.size());
    m_appended = true;
    m_ordered.push_back(record);
    if (m_levels > 0)
        m_groupOfPosition.push_back(-1);
    m_rowOfRecord.push_back(static_cast<int>(m_rows.size()));
    m_rows.push_back(record);
}

void GridRowIndex::removeRecord(int record)
{
    const auto it = std::find(m_ordered.begin(), m_ordered.end(), record);
    if (it == m_ordered.end())
        return;
    const int position = static_cast<int>(it - m_ordered.begin());
    m_ordered.erase(it);
    if (m_levels > 0)
        m_groupOfPosition.erase(m_groupOfPosition.begin() + position);
    for (int &r : m_ordered) {
        if (r > record)
            --r;
    }
    for (Group &g : m_groups) {
        if (g.first > position)
            --g.first;
        if (g.end > position)
            --g.end;
    }
    if (m_groupedEnd > position)
        --m_groupedEnd;
    layoutRows();
}

} // namespace platform

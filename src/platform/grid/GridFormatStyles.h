#pragma once

#include "platform/grid/GridFormatStyle.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

// The format styles of a grid, by name (case-insensitive). "Default" always
// exists and leaves cells as the grid draws them.
class GridFormatStyles
{
public:
    using Listener = std::function<void()>;

    GridFormatStyles();

    int count() const { return static_cast<int>(m_styles.size()); }
    // The style of that name, added when missing.
    GridFormatStyle &add(const QString &name);
    // nullptr when there is no style of that name.
    const GridFormatStyle *find(const QString &name) const;
    bool contains(const QString &name) const { return find(name) != nullptr; }
    const std::vector<std::unique_ptr<GridFormatStyle>> &all() const { return m_styles; }
    void setBackColor(const QString &name, const QColor &color);
    void setForeColor(const QString &name, const QColor &color);
    // Removes every style but "Default".
    void reset();

    void setListener(Listener listener) { m_listener = std::move(listener); }
    void changed();

private:
    std::vector<std::unique_ptr<GridFormatStyle>> m_styles;
    Listener m_listener;
};

} // namespace platform

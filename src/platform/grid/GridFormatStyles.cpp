#include "platform/grid/GridFormatStyles.h"

namespace platform {

GridFormatStyles::GridFormatStyles()
{
    reset();
}

GridFormatStyle &GridFormatStyles::add(const QString &name)
{
    for (const auto &s : m_styles) {
        if (s->name.compare(name, Qt::CaseInsensitive) == 0)
            return *s;
    }
    auto style = std::make_unique<GridFormatStyle>();
    style->name = name;
    m_styles.push_back(std::move(style));
    return *m_styles.back();
}

const GridFormatStyle *GridFormatStyles::find(const QString &name) const
{
    for (const auto &s : m_styles) {
        if (s->name.compare(name, Qt::CaseInsensitive) == 0)
            return s.get();
    }
    return nullptr;
}

void GridFormatStyles::setBackColor(const QString &name, const QColor &color)
{
    add(name).backColor = color;
    changed();
}

void GridFormatStyles::setForeColor(const QString &name, const QColor &color)
{
    add(name).foreColor = color;
    changed();
}

void GridFormatStyles::reset()
{
    m_styles.clear();
    auto style = std::make_unique<GridFormatStyle>();
    style->name = QStringLiteral("Default");
    m_styles.push_back(std::move(style));
    changed();
}

void GridFormatStyles::changed()
{
    if (m_listener)
        m_listener();
}

} // namespace platform

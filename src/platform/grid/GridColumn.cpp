#include "platform/grid/GridColumn.h"

#include "platform/grid/GridColumns.h"
#include "platform/grid/GridModel.h"

#include <algorithm>

namespace platform {

namespace {

template <typename T>
bool assign(T &member, const T &value)
{
    if (member == value)
        return false;
    member = value;
    return true;
}

} // namespace

void GridColumn::changed(Change change)
{
    if (m_owner)
        m_owner->notify(this, change);
}

void GridColumn::setKey(const QString &key)
{
    if (assign(m_key, key))
        changed(Change::Header);
}

void GridColumn::setCaption(const QString &caption)
{
    if (assign(m_caption, caption))
        changed(Change::Header);
}

void GridColumn::setListName(const QString &name)
{
    m_listName = name;
}

void GridColumn::setHeaderTip(const QString &tip)
{
    if (assign(m_headerTip, tip))
        changed(Change::Header);
}

void GridColumn::setDataField(const QString &field)
{
    if (assign(m_dataField, field))
        changed(Change::Binding);
}

void GridColumn::setWidth(int twips)
{
    if (assign(m_width, std::max(twips, 0)))
        changed(Change::Geometry);
}

void GridColumn::setVisible(bool visible)
{
    bool any = assign(m_visible, visible);
    if (visible && m_width == 0) {
        m_width = DefaultWidth;
        any = true;
    }
    if (any)
        changed(Change::Geometry);
}

int GridColumn::position() const
{
    const auto &order = m_owner->inDisplayOrder();
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] == this)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

void GridColumn::setPosition(int position)
{
    m_owner->moveTo(this, position);
}

void GridColumn::setFormat(const QString &format)
{
    if (format == m_format.text())
        return;
    m_format = ParsedFormat(format);
    changed(Change::Cells);
}

void GridColumn::setAlignment(Qt::Alignment alignment)
{
    if (assign(m_alignment, alignment))
        changed(Change::Cells);
}

void GridColumn::setKind(GridColumnKind kind)
{
    if (assign(m_kind, kind))
        changed(Change::Cells);
}

void GridColumn::setResizable(bool on)
{
    if (assign(m_resizable, on))
        changed(Change::Geometry);
}

void GridColumn::setEditable(bool on)
{
    if (assign(m_editable, on))
        changed(Change::Cells);
}

void GridColumn::setSelectable(bool on)
{
    if (assign(m_selectable, on))
        changed(Change::Cells);
}

void GridColumn::setFormatStyle(const QString &style)
{
    if (assign(m_formatStyle, style))
        changed(Change::Cells);
}

void GridColumn::setHeaderStyle(const QString &style)
{
    if (assign(m_headerStyle, style))
        changed(Change::Header);
}

void GridColumn::setDefaultValue(const Variant &value)
{
    m_defaultValue = value;
}

void GridColumn::setMaxLength(int length)
{
    m_maxLength = std::max(length, 0);
}

void GridColumn::setDropDown(GridModel *list, const QString &valueColumn, const QString &displayColumn,
                             bool limitToList)
{
    m_dropDown = GridDropDown{list, valueColumn, displayColumn, limitToList};
    changed(Change::Cells);
}

void GridColumn::clearDropDown()
{
    m_dropDown = GridDropDown{};
    changed(Change::Cells);
}

} // namespace platform

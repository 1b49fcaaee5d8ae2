#pragma once

#include "platform/base/Format.h"
#include "platform/base/Variant.h"
#include "platform/grid/GridTypes.h"

#include <QPointer>
#include <QString>
#include <Qt>

namespace platform {

class GridColumns;
class GridModel;

// A drop-down list of a column: the rows of another grid, of which one
// column's value is stored in the cell and another is shown.
struct GridDropDown {
    QPointer<GridModel> list;
    QString valueColumn;   // key of the list's column whose value is stored
    QString displayColumn; // key of the list's column whose text is shown
    bool limitToList = false;

    bool isSet() const { return !list.isNull(); }
};

// One column of a grid: where its values come from and how they are shown
// and edited. Columns are numbered from 1 in the order they were created
// (the index); the display position is separate and changes when columns
// are moved. Widths are in twips; a width of 0 hides the column, whose
// cells stay readable.
class GridColumn
{
public:
    // What changed, so that the grid redraws no more than it must.
    enum class Change { Header, Geometry, Cells, Binding };

    static constexpr int DefaultWidth = 1440;

    int index() const { return m_index; }

    const QString &key() const { return m_key; }
    void setKey(const QString &key);
    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);
    // The name the grouping dialog lists the column by; the caption unless
    // set.
    QString listName() const { return m_listName.isEmpty() ? m_caption : m_listName; }
    void setListName(const QString &name);
    const QString &headerTip() const { return m_headerTip; }
    void setHeaderTip(const QString &tip);

    // The field of the bound recordset shown in the column (empty: none).
    const QString &dataField() const { return m_dataField; }
    void setDataField(const QString &field);
    // The field's number in the bound data, -1 when unbound or not found.
    int fieldIndex() const { return m_fieldIndex; }

    int width() const { return m_width; }
    void setWidth(int twips);
    // Shown: its visible flag is set and its width is above 0.
    bool visible() const { return m_visible && m_width > 0; }
    // Showing a column of width 0 gives it the default width.
    void setVisible(bool visible);
    // 1-based place among all columns, left to right.
    int position() const;
    void setPosition(int position);

    const QString &format() const { return m_format.text(); }
    void setFormat(const QString &format);
    const ParsedFormat &parsedFormat() const { return m_format; }
    // 0 aligns numbers right and everything else left.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    GridColumnKind kind() const { return m_kind; }
    void setKind(GridColumnKind kind);
    int typeCode() const { return static_cast<int>(m_kind); }

    bool resizable() const { return m_resizable; }
    void setResizable(bool on);
    bool editable() const { return m_editable; }
    void setEditable(bool on);
    bool selectable() const { return m_selectable; }
    void setSelectable(bool on);

    // Names of format styles of the grid for the cells and for the header.
    const QString &formatStyle() const { return m_formatStyle; }
    void setFormatStyle(const QString &style);
    const QString &headerStyle() const { return m_headerStyle; }
    void setHeaderStyle(const QString &style);

    // The value a new row starts with (Empty: none).
    const Variant &defaultValue() const { return m_defaultValue; }
    void setDefaultValue(const Variant &value);

    // Longest text the cell editor accepts (0: no limit). Set from the
    // field's defined size when the grid binds.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length);

    const GridDropDown &dropDown() const { return m_dropDown; }
    // valueColumn and displayColumn are keys of columns of the list.
    void setDropDown(GridModel *list, const QString &valueColumn, const QString &displayColumn,
                     bool limitToList = false);
    void clearDropDown();

private:
    friend class GridColumns;
    GridColumn(GridColumns *owner, int index) : m_owner(owner), m_index(index) {}
    void changed(Change change);

    GridColumns *m_owner;
    int m_index;
    QString m_key;
    QString m_caption;
    QString m_listName;
    QString m_headerTip;
    QString m_dataField;
    int m_fieldIndex = -1;
    int m_width = DefaultWidth;
    bool m_visible = true;
    ParsedFormat m_format;
    Qt::Alignment m_alignment;
    GridColumnKind m_kind = GridColumnKind::Text;
    bool m_resizable = true;
    bool m_editable = true;
    bool m_selectable = true;
    QString m_formatStyle = QStringLiteral("Default");
    QString m_headerStyle = QStringLiteral("Default");
    Variant m_defaultValue;
    int m_maxLength = 0;
    GridDropDown m_dropDown;
};

} // namespace platform

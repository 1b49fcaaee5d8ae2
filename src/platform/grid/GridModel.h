#pragma once

#include "platform/base/Variant.h"
#include "platform/data/DataEnums.h"
#include "platform/grid/GridColumns.h"
#include "platform/grid/GridFormatStyles.h"
#include "platform/grid/GridKeyList.h"
#include "platform/grid/GridTypes.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QString>

#include <memory>
#include <optional>

namespace platform {

class GridRowBuffer;
class GridRowFormat;
class Recordset;
class RuntimeError;

// Everything a grid knows apart from its window: the data it is bound to
// (a connection string and a record source, an open recordset, or unbound
// rows the program fills), its columns, sort keys, group levels and format
// styles, the rows worked out from them, the current cell, finding, and the
// editing of the bound recordset. It is also the Qt item model the grid's
// view shows, so that it can be used and tested without any window.
//
// The rows are read once when the grid binds; sorting, grouping and
// finding work on keys read from them and never query again. Rows and
// columns of the public functions are numbered from 1; group caption rows
// count as rows. With editing and new rows allowed, one more row follows
// the last: the new-record row, where typing starts a new record.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    // ---- binding ----
    const QString &connectionString() const;
    void setConnectionString(const QString &connectionString);
    // An SQL text or an "Execute name args" text; empty for no rows.
    const QString &recordSource() const;
    void setRecordSource(const QString &source);
    // How the grid opens its own recordset (ReadOnly unless set).
    LockType lockType() const;
    void setLockType(LockType lock);
    // Reads the rows again: the record source on a new connection, or the
    // bound recordset as it is now. Columns are kept when all of their
    // fields are still there, else one column per field replaces them.
    // Database errors go to the caller; the grid is then left without rows.
    void rebind();
    // Binds an open recordset that stays the caller's; rebind() reads it
    // again, until a record source is set.
    void setRecordset(Recordset *recordset);
    // The recordset the grid shows (its own one, or the caller's).
    Recordset *recordset() const;
    // Unbound rows: the rowRead notification fills each row's values, one
    // per column, the first time the grid needs them.
    void setUnboundRowCount(int rows);
    int unboundRowCount() const;
    bool isUnbound() const;
    // Unbound: forgets the values read so far, so that they are read again.
    void refetch();
    // One column per field of the bound data, replacing the columns.
    void retrieveStructure();

    // ---- structure ----
    GridColumns &columns();
    const GridColumns &columns() const;
    GridColumn *column(int index) const { return columns().item(index); }
    GridColumn *column(const QString &key) const { return columns().item(key); }
    GridKeyList &sortKeys();
    GridKeyList &groups();
    GridFormatStyles &formatStyles();
    const GridFormatStyles &formatStyles() const;
    // The order of a column's sort key, nullopt without one.
    std::optional<SortOrder> sortOrderOf(int column) const;

    // ---- rows ----
    // Applies changed sort keys and groups now (they apply by themselves
    // when next needed).
    void reSort();
    // Rows shown, group captions included, the new-record row not.
    int displayRowCount() const;
    int recordCount() const;
    // The new-record row's number, 0 when there is none.
    int newRecordRow() const;
    bool isGroupCaption(int row) const;
    int groupLevel(int row) const;
    QString groupCaption(int row) const;
    Variant groupValue(int row) const;
    Variant groupSum(int row, int column) const;
    int groupRecordCount(int row) const;
    bool isExpanded(int row) const;
    void setExpanded(int row, bool expanded);
    void expandAll();
    void collapseAll();
    bool groupsExpanded() const;
    // The data's record (from 0) on a row, -1 for captions and the new row.
    int recordOfRow(int row) const;
    // The row showing a record (from 0), 0 when it is in a collapsed group.
    int rowOfRecord(int record) const;
    // The stored value of a cell (readable in hidden columns too); Empty on
    // caption rows and the new-record row.
    Variant valueAt(int row, int column) const;
    // The text a cell shows.
    QString textAt(int row, int column) const;

    // ---- find ----
    // Looks for the value in a column from startRow (0: the first row in
    // the direction) onwards or backwards, ignoring case, and makes the
    // first matching row current. Answers its row, 0 when none matches (the
    // current row then stays).
    int find(int column, FindCondition condition, const Variant &value, int startRow = 0,
             FindDirection direction = FindDirection::Forward);

    // ---- current cell ----
    int currentRow() const;
    int currentColumn() const;
    // Leaving a row with pending changes stores them first; false (and no
    // move) when that is refused.
    bool setCurrentCell(int row, int column);
    bool setCurrentRow(int row);
    bool setCurrentColumn(int column);

    // ---- editing ----
    bool allowEdit() const;
    void setAllowEdit(bool on);
    bool allowAddNew() const;
    void setAllowAddNew(bool on);
    bool allowDelete() const;
    void setAllowDelete(bool on);
    bool isCellEditable(int row, int column) const;
    // The row holding changes not yet stored in the recordset, 0 when none.
    int pendingRow() const;
    // Stores a typed text into a cell: converted to the field's type (a
    // drop-down column looks the text up in its list), offered to
    // beforeColUpdate, then kept in the row. False when refused.
    bool setCellText(int row, int column, const QString &typed);
    // Stores a value into a cell; with notify false no beforeColUpdate or
    // afterColUpdate is raised (a value set by the program).
    bool setCellValue(int row, int column, const Variant &value, bool notify = true);
    // Stores the pending row into the recordset (beforeUpdate, afterUpdate).
    bool commitRow();
    // Drops the pending row's changes; a new record goes away.
    void cancelRow();
    bool deleteRow(int row);
    // The text the cell editor starts with.
    QString editText(int row, int column) const;

    // ---- look ----
    QColor foreColor() const;
    void setForeColor(const QColor &color);
    QColor groupRowBackColor() const;
    void setGroupRowBackColor(const QColor &color);
    // Pictures shown by image columns, numbered from 1.
    void addImage(const QIcon &image);
    void clearImages();
    int imageCount() const;

    // ---- errors ----
    // Raises dataError and, unless a handler declines, shows the message.
    void reportError(const RuntimeError &error);

    // ---- Qt item model ----
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    // The text of a caption row as shown (after rowFormat).
    QString shownCaption(int row) const;
    // A row (from 0) as the view shows it now, pending re-sorts aside.
    struct ShownRow {
        bool caption = false;
        int level = 0;
        bool expanded = false;
        QString text;
    };
    ShownRow shownRow(int row0) const;

signals:
    void beforeColUpdate(platform::GridCellUpdate &update);
    void afterColUpdate(int row, int column);
    void beforeUpdate(platform::GridRowUpdate &update);
    void afterUpdate(int row);
    void beforeDelete(platform::GridRowUpdate &update);
    void afterDelete(int row);
    void rowFormat(platform::GridRowFormat &row);
    void dataError(platform::GridDataError &error);
    void rowRead(int row, platform::GridRowBuffer &values);
    void sortKeysChanged();
    void bound();
    void currentCellChanged(int row, int column);
    // A column's size, visibility, position or resizing changed (0: all).
    void columnLayoutChanged(int column);
    void pendingRowChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace platform

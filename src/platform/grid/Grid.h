#pragma once

#include "platform/base/Variant.h"
#include "platform/data/DataEnums.h"
#include "platform/grid/GridModel.h"
#include "platform/grid/GridTypes.h"

#include <QFont>
#include <QSize>
#include <QWidget>

#include <memory>

class QLabel;
class QTableView;

namespace platform {

class GridDelegate;
class GridRowBuffer;
class GridRowFormat;
class GridView;
class Recordset;

// The grid control of the windows: a list of rows with column headers,
// bound to a connection string and a record source, to an open recordset,
// or to unbound rows, with sort keys, group levels and caption rows, find,
// format styles, fonts, layouts saved as text or to a ".lyt" file, and
// in-place editing of a recordset with a new-record row, drop-down columns
// and validation. What it knows lives in its GridModel; this widget shows
// it and turns keys and clicks into the notifications the windows handle.
// Rows and columns are numbered from 1.
class Grid : public QWidget
{
    Q_OBJECT

public:
    explicit Grid(QWidget *parent = nullptr);
    ~Grid() override;

    GridModel *model() const { return m_model; }
    // The view inside, for focus and for tests.
    QTableView *view() const;

    // ---- binding ----
    QString connectionString() const { return m_model->connectionString(); }
    void setConnectionString(const QString &s) { m_model->setConnectionString(s); }
    QString recordSource() const { return m_model->recordSource(); }
    void setRecordSource(const QString &s) { m_model->setRecordSource(s); }
    LockType lockType() const { return m_model->lockType(); }
    void setLockType(LockType lock) { m_model->setLockType(lock); }
    void rebind() { m_model->rebind(); }
    void setRecordset(Recordset *recordset) { m_model->setRecordset(recordset); }
    Recordset *recordset() const { return m_model->recordset(); }
    void setUnboundRowCount(int rows) { m_model->setUnboundRowCount(rows); }
    int unboundRowCount() const { return m_model->unboundRowCount(); }
    void refetch() { m_model->refetch(); }
    void retrieveStructure() { m_model->retrieveStructure(); }

    // ---- structure ----
    GridColumns &columns() { return m_model->columns(); }
    GridColumn *column(int index) const { return m_model->column(index); }
    GridColumn *column(const QString &key) const { return m_model->column(key); }
    GridKeyList &sortKeys() { return m_model->sortKeys(); }
    GridKeyList &groups() { return m_model->groups(); }
    GridFormatStyles &formatStyles() { return m_model->formatStyles(); }
    void reSort() { m_model->reSort(); }
    void expandAll() { m_model->expandAll(); }
    void collapseAll() { m_model->collapseAll(); }

    // ---- rows ----
    int rowCount() const { return m_model->displayRowCount(); }
    int recordCount() const { return m_model->recordCount(); }
    int newRecordRow() const { return m_model->newRecordRow(); }
    bool isGroupCaption(int row) const { return m_model->isGroupCaption(row); }
    Variant valueAt(int row, int column) const { return m_model->valueAt(row, column); }
    QString textAt(int row, int column) const { return m_model->textAt(row, column); }
    Variant groupSum(int row, int column) const { return m_model->groupSum(row, column); }
    // Makes the row found current and scrolls it into view; answers the
    // row, 0 when none matches.
    int find(int column, FindCondition condition, const Variant &value, int startRow = 0,
             FindDirection direction = FindDirection::Forward);

    // ---- current cell ----
    int row() const { return m_model->currentRow(); }
    bool setRow(int row);
    int col() const { return m_model->currentColumn(); }
    bool setCol(int column);
    // The value of a cell of the current row.
    Variant value(int column) const { return m_model->valueAt(row(), column); }
    // Puts a value into a cell of the current row as the program's own
    // change (no beforeColUpdate); on the new-record row it starts a record.
    bool setValue(int column, const Variant &value);

    // ---- editing ----
    bool allowEdit() const { return m_model->allowEdit(); }
    void setAllowEdit(bool on);
    bool allowAddNew() const { return m_model->allowAddNew(); }
    void setAllowAddNew(bool on) { m_model->setAllowAddNew(on); }
    bool allowDelete() const { return m_model->allowDelete(); }
    void setAllowDelete(bool on) { m_model->setAllowDelete(on); }
    // Stores the cell being typed into and then the pending row into the
    // recordset (what a save does first); false when a value or the row is
    // refused.
    bool commitRow();
    // Stores only the cell being typed into; false when it is refused.
    bool commitEdit();
    // Drops the cell being typed into and the pending row's changes.
    void cancelRow();
    bool deleteRow(int row) { return m_model->deleteRow(row); }
    bool isEditing() const;
    // True while something typed is not stored in the recordset yet: the
    // pending row's changes, or the open editor's text.
    bool hasPendingInput() const;
    // Puts the focus into the current cell: its open editor, or the grid.
    void focusCell();

    // ---- look ----
    QFont headerFont() const { return m_headerFont; }
    void setHeaderFont(const QFont &font);
    QFont rowFont() const { return m_rowFont; }
    void setRowFont(const QFont &font);
    QColor foreColor() const { return m_model->foreColor(); }
    void setForeColor(const QColor &color) { m_model->setForeColor(color); }
    QColor headerForeColor() const { return m_headerForeColor; }
    void setHeaderForeColor(const QColor &color);
    QColor groupRowBackColor() const { return m_model->groupRowBackColor(); }
    void setGroupRowBackColor(const QColor &color);
    GridLineStyle gridLineStyle() const { return m_lineStyle; }
    void setGridLineStyle(GridLineStyle style);
    bool autoSizeColumns() const { return m_autoSize; }
    void setAutoSizeColumns(bool on);
    bool rowHeaders() const { return m_rowHeaders; }
    void setRowHeaders(bool on);
    bool columnHeaders() const { return m_columnHeaders; }
    void setColumnHeaders(bool on);
    bool columnsMovable() const { return m_columnsMovable; }
    void setColumnsMovable(bool on);
    // "Record:|di": the words before the row number and before the count;
    // empty hides the record navigator.
    QString recordNavigatorCaption() const { return m_navigatorCaption; }
    void setRecordNavigatorCaption(const QString &caption);
    QString recordNavigatorText() const;
    void addImage(const QIcon &image) { m_model->addImage(image); }
    void clearImages() { m_model->clearImages(); }
    QSize imageSize() const { return m_imageSize; }
    void setImageSize(const QSize &size);

    // ---- layout ----
    // The grid's layout as text (JSON): columns, sort keys, groups, styles,
    // fonts, options and, with withSource, the record source.
    QString layoutText(bool withSource = true) const;
    // Applies a layout; with bind, its record source is bound (on the
    // connection string given, or the grid's own when that is empty).
    // Raises a RuntimeError when the text is not a layout.
    void setLayoutText(const QString &text, bool bind = false, const QString &connectionString = {});
    // Writes the layout to a file ("....lyt"); raises a RuntimeError when
    // it cannot be written.
    void saveLayoutFile(const QString &path) const;
    void loadLayoutFile(const QString &path, bool bind = true, const QString &connectionString = {});

    // For the view and the delegate.
    bool canLeaveCell(int row, int column);
    bool commitEditorText(int row, int column, const QString &text);
    void notifyKeyDown(GridKeyEvent &e) { emit keyDown(e); }
    void notifyKeyPress(GridKeyEvent &e) { emit keyPress(e); }
    void notifyBeforeDropDown(int column) { emit beforeDropDown(column); }
    GridDelegate *delegate() const { return m_delegate; }

signals:
    void clicked();
    void doubleClicked();
    void keyDown(platform::GridKeyEvent &key);
    void keyPress(platform::GridKeyEvent &key);
    void headerClicked(int column);
    void currentCellChanged(int row, int column);
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
    // The focus came into the grid from another control of its window
    // (not back from another window, such as a message box).
    void focusReceived();
    // A cell's drop-down list is about to open: its list may be read again.
    void beforeDropDown(int column);

private:
    // A click on a row header: the cell being typed into is stored and its
    // editor closed, and the whole row is selected, for Delete to delete it.
    void selectRowFromHeader(int row);
    void applyColumnLayout();
    // Scrolls a row into view, also when the current column is hidden.
    void scrollToRow(int row);
    void applyEditMode();
    void syncCurrentToView();
    void syncSortIndicator();
    void updateNavigator();
    void updateRowHeight();
    bool insideGrid(const QWidget *w) const;

    GridModel *m_model;
    GridView *m_view;
    GridDelegate *m_delegate;
    QWidget *m_navigator;
    QLabel *m_navigatorLabel;
    QFont m_headerFont;
    QFont m_rowFont;
    QColor m_headerForeColor;
    GridLineStyle m_lineStyle = GridLineStyle::Solid;
    bool m_autoSize = false;
    bool m_rowHeaders = false;
    bool m_columnHeaders = true;
    bool m_columnsMovable = true;
    QString m_navigatorCaption;
    QSize m_imageSize;
    int m_syncing = 0;
    // The focus is in the grid, or was when its window gave the activation away.
    bool m_focusInside = false;
};

} // namespace platform

#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

namespace platform {

class Grid;
class GridModel;

// Creates and runs the cell editors of a Grid: a line editor, or an
// editable combo box over the rows of a drop-down list. Leaving the editor
// (Tab, Enter, a click elsewhere, the focus going away) first stores the
// value through the grid; when the value is refused the editor stays, with
// the focus.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    GridDelegate(Grid *grid, GridModel *model, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

    // The open editor and its cell, if any.
    QWidget *editor() const { return m_editor; }
    QModelIndex editorIndex() const { return m_editorIndex; }
    // Stores the open editor's text; false when it is refused.
    bool commitOpenEditor();
    // True when the open editor holds text it has not stored yet.
    bool openEditorChanged() const;
    // Closes the open editor without storing its text.
    void discardOpenEditor();
    static QString editorText(const QWidget *editor);
    // The grid is going away: editors close without storing anything.
    void detach() { m_grid = nullptr; }

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    bool commit(QWidget *editor);
    // The text the editor last stored, or the one it started with.
    static QString storedText(const QWidget *editor);

    Grid *m_grid;
    GridModel *m_model;
    mutable QPointer<QWidget> m_editor;
    mutable QPersistentModelIndex m_editorIndex;
};

} // namespace platform

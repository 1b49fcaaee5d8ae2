#pragma once

#include <QTableView>

namespace platform {

class Grid;
class GridModel;

// The table view inside a Grid: draws group caption rows across the whole
// width, moves the current cell only over columns that can be selected,
// refuses to leave a cell or row whose value or changes are refused, and
// hands keys to the grid's notifications before acting on them.
class GridView : public QTableView
{
    Q_OBJECT

public:
    GridView(Grid *grid, GridModel *model, QWidget *parent = nullptr);

    bool isEditing() const { return state() == EditingState; }
    // The key event being handled, so that the cell editor it is passed on
    // to does not notify it a second time.
    const QEvent *keyBeingHandled() const { return m_keyBeingHandled; }
    void setSyncing(bool on) { m_syncing = on; }

    void keyboardSearch(const QString &) override {}

protected:
    void paintEvent(QPaintEvent *event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    // The next (or previous) cell in display order that can be selected,
    // going on to the next (previous) row at the end of one.
    QModelIndex stepCell(const QModelIndex &from, bool forward, bool wrap) const;
    bool isCaptionRow(int row0) const;
    QRect expanderRect(int row0) const;

    Grid *m_grid;
    GridModel *m_model;
    const QEvent *m_keyBeingHandled = nullptr;
    bool m_syncing = false;
};

} // namespace platform

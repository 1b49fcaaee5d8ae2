#include "platform/grid/GridView.h"

#include "platform/grid/Grid.h"
#include "platform/grid/GridDelegate.h"
#include "platform/grid/GridModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>

namespace platform {

namespace {

constexpr int ExpanderSize = 9;
constexpr int LevelIndent = 16;

bool isPrintable(const QString &text)
{
    return !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127;
}

} // namespace

GridView::GridView(Grid *grid, GridModel *model, QWidget *parent)
    : QTableView(parent)
    , m_grid(grid)
    , m_model(model)
{
}

bool GridView::isCaptionRow(int row0) const
{
    return m_model->shownRow(row0).caption;
}

QRect GridView::expanderRect(int row0) const
{
    const GridModel::ShownRow shown = m_model->shownRow(row0);
    const int top = rowViewportPosition(row0);
    const int h = rowHeight(row0);
    const int x = 4 + (shown.level - 1) * LevelIndent;
    return QRect(x, top + (h - ExpanderSize) / 2, ExpanderSize, ExpanderSize);
}

void GridView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (m_model->rowCount() == 0)
        return;

    // Group caption rows span the whole width: drawn over the cells.
    QPainter painter(viewport());
    int first = rowAt(0);
    int last = rowAt(viewport()->height() - 1);
    if (first < 0)
        return;
    if (last < 0)
        last = m_model->rowCount() - 1;
    const QColor back = m_model->groupRowBackColor().isValid() ? m_model->groupRowBackColor()
                                                              : palette().color(QPalette::Button);
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    for (int r = first; r <= last; ++r) {
        if (isRowHidden(r))
            continue;
        const GridModel::ShownRow shown = m_model->shownRow(r);
        if (!shown.caption)
            continue;
        const QRect rect(0, rowViewportPosition(r), viewport()->width(), rowHeight(r));
        const bool selected = r == current;
        painter.fillRect(rect, selected ? palette().color(QPalette::Highlight) : back);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());

        const QRect box = expanderRect(r);
        painter.setPen(selected ? palette().color(QPalette::HighlightedText) : palette().color(QPalette::Text));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        const int cy = box.center().y();
        painter.drawLine(box.left() + 2, cy, box.right() - 2, cy);
        if (!shown.expanded)
            painter.drawLine(box.center().x(), box.top() + 2, box.center().x(), box.bottom() - 2);

        QRect textRect = rect;
        textRect.setLeft(box.right() + 6);
        painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown.text);
    }
}

QModelIndex GridView::stepCell(const QModelIndex &from, bool forward, bool wrap) const
{
    std::vector<int> columns; // logical indexes in display order that may become current
    const QHeaderView *header = horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        const GridColumn *c = m_model->column(logical + 1);
        if (c && !isColumnHidden(logical) && c->visible() && c->selectable())
            columns.push_back(logical);
    }
    const int rows = m_model->rowCount();
    if (columns.empty() || rows == 0)
        return from;
    if (!from.isValid())
        return m_model->index(0, columns.front());

    const int row = from.row();
    int at = -1;
    const int visual = header->visualIndex(from.column());
    for (size_t i = 0; i < columns.size(); ++i) {
        if (header->visualIndex(columns[i]) <= visual)
            at = static_cast<int>(i);
    }
    const bool exact = at >= 0 && columns[static_cast<size_t>(at)] == from.column();
    if (isCaptionRow(row)) {
        if (!wrap)
            return from;
        const int next = forward ? row + 1 : row - 1;
        if (next < 0 || next >= rows)
            return from;
        return m_model->index(next, forward ? columns.front() : columns.back());
    }
    if (forward) {
        const int next = at + 1;
        if (next < static_cast<int>(columns.size()))
            return m_model->index(row, columns[static_cast<size_t>(next)]);
        if (wrap && row + 1 < rows)
            return m_model->index(row + 1, isCaptionRow(row + 1) ? from.column() : columns.front());
        return from;
    }
    const int previous = exact ? at - 1 : at;
    if (previous >= 0)
        return m_model->index(row, columns[static_cast<size_t>(previous)]);
    if (wrap && row > 0)
        return m_model->index(row - 1, isCaptionRow(row - 1) ? from.column() : columns.back());
    return from;
}

QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    QModelIndex target;
    switch (action) {
    case MoveNext:
        target = stepCell(current, true, true);
        break;
    case MovePrevious:
        target = stepCell(current, false, true);
        break;
    case MoveRight:
        target = stepCell(current, true, false);
        break;
    case MoveLeft:
        target = stepCell(current, false, false);
        break;
    default: {
        target = QTableView::moveCursor(action, modifiers);
        const GridColumn *c = target.isValid() ? m_model->column(target.column() + 1) : nullptr;
        if (c && !c->selectable()) {
            const QModelIndex keep = current.isValid() ? m_model->index(target.row(), current.column()) : QModelIndex();
            target = keep.isValid() ? keep : stepCell(target, true, false);
        }
        break;
    }
    }
    if (!target.isValid())
        return current;
    if (target != current) {
        const int columnBefore = m_model->currentColumn();
        if (!m_grid->canLeaveCell(target.row() + 1, target.column() + 1))
            return current;
        // A handler of the row being stored may have chosen the column.
        const int column = m_model->currentColumn();
        if (column != columnBefore && column >= 1 && target.row() != current.row())
            target = m_model->index(target.row(), column - 1);
    }
    return target;
}

void GridView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || event->button() != Qt::LeftButton) {
        QTableView::mousePressEvent(event);
        return;
    }
    const int row = index.row() + 1;
    if (isCaptionRow(index.row())) {
        const int column = currentIndex().isValid() ? currentIndex().column() + 1 : index.column() + 1;
        if (!m_grid->canLeaveCell(row, column)) {
            event->accept();
            return;
        }
        setCurrentIndex(m_model->index(index.row(), column - 1));
        if (expanderRect(index.row()).adjusted(-3, -3, 3, 3).contains(event->position().toPoint()))
            m_model->setExpanded(row, !m_model->isExpanded(row));
        event->accept();
        return;
    }
    const GridColumn *c = m_model->column(index.column() + 1);
    int column = index.column() + 1;
    if (c && !c->selectable()) {
        const QModelIndex current = currentIndex();
        const GridColumn *cc = current.isValid() ? m_model->column(current.column() + 1) : nullptr;
        column = cc && cc->selectable() ? cc->index() : stepCell(m_model->index(index.row(), index.column()), true, false).column() + 1;
    }
    if (!m_grid->canLeaveCell(row, column)) {
        event->accept();
        return;
    }
    if (column != index.column() + 1) {
        setCurrentIndex(m_model->index(index.row(), column - 1));
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void GridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && isCaptionRow(index.row())) {
        m_model->setExpanded(index.row() + 1, !m_model->isExpanded(index.row() + 1));
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void GridView::keyPressEvent(QKeyEvent *event)
{
    m_keyBeingHandled = event;
    const auto reset = qScopeGuard([this] { m_keyBeingHandled = nullptr; });

    // Keys the cell editor did not use come here too: they were notified there.
    const QWidget *editor = m_grid->delegate()->editor();
    const QWidget *focus = QApplication::focusWidget();
    bool fromEditor = false;
    for (const QWidget *w = focus; editor && w; w = w->parentWidget()) {
        if (w == editor) {
            fromEditor = true;
            break;
        }
    }
    if (!fromEditor) {
        GridKeyEvent down;
        down.key = event->key();
        down.modifiers = event->modifiers();
        down.text = event->text();
        m_grid->notifyKeyDown(down);
        if (down.handled) {
            event->accept();
            return;
        }
        if (isPrintable(event->text())) {
            GridKeyEvent press = down;
            press.handled = false;
            m_grid->notifyKeyPress(press);
            if (press.handled) {
                event->accept();
                return;
            }
        }
    }

    const int row = m_model->currentRow();
    if (m_model->isGroupCaption(row)) {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Minus:
            m_model->setExpanded(row, false);
            event->accept();
            return;
        case Qt::Key_Right:
        case Qt::Key_Plus:
            m_model->setExpanded(row, true);
            event->accept();
            return;
        default:
            break;
        }
    }
    switch (event->key()) {
    case Qt::Key_Delete:
        if (!isEditing() && m_model->allowEdit() && m_model->allowDelete() && m_model->recordOfRow(row) >= 0) {
            m_model->deleteRow(row);
            event->accept();
            return;
        }
        event->ignore();
        return;
    case Qt::Key_Escape:
        if (!isEditing() && m_model->pendingRow() > 0) {
            m_model->cancelRow();
            event->accept();
            return;
        }
        event->ignore();
        return;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        if (m_model->allowEdit() && !isEditing()) {
            const QModelIndex next = moveCursor(MoveNext, Qt::NoModifier);
            if (next.isValid() && next != currentIndex())
                setCurrentIndex(next);
            event->accept();
            return;
        }
        event->ignore();
        return;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void GridView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid())
        return;
    if (!m_model->setCurrentCell(current.row() + 1, current.column() + 1)) {
        // Refused (a pending row could not be stored): back to the model's cell.
        QMetaObject::invokeMethod(
            m_grid, [grid = m_grid] { grid->setRow(grid->row()); }, Qt::QueuedConnection);
    }
}

} // namespace platform

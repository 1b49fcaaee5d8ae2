#include "platform/grid/GridDelegate.h"

#include "platform/base/Twips.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridModel.h"
#include "platform/grid/GridView.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

namespace platform {

namespace {

const char *const OriginalText = "gridOriginalText";
const char *const CommittedText = "gridCommittedText";

bool isPrintable(const QString &text)
{
    return !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127;
}

// Shows the list's visible columns at their widths; answers their width.
int fitListColumns(QTableView *view, const GridModel *list)
{
    int width = 0;
    for (int i = 1; i <= list->columns().count(); ++i) {
        const GridColumn *lc = list->column(i);
        view->setColumnHidden(i - 1, !lc->visible());
        if (lc->visible()) {
            view->setColumnWidth(i - 1, twipsToPixels(lc->width()));
            width += twipsToPixels(lc->width());
        }
    }
    return width;
}

// The editor of a drop-down column. Just before its list opens the grid
// tells (beforeDropDown), so that the list can be read again then, and not
// sooner; the text being typed stays.
class DropDownEditor : public QComboBox
{
public:
    DropDownEditor(Grid *grid, GridModel *list, int column, QWidget *parent)
        : QComboBox(parent)
        , m_grid(grid)
        , m_list(list)
        , m_column(column)
    {
    }

    void showPopup() override
    {
        if (m_grid && m_list) {
            const QString text = currentText();
            m_grid->notifyBeforeDropDown(m_column);
            // A list read again takes the box's text and its column layout.
            if (currentText() != text) {
                setCurrentIndex(-1);
                setEditText(text);
            }
            if (auto *view = qobject_cast<QTableView *>(this->view()))
                fitListColumns(view, m_list);
        }
        QComboBox::showPopup();
    }

private:
    QPointer<Grid> m_grid;
    QPointer<GridModel> m_list;
    int m_column;
};

} // namespace

GridDelegate::GridDelegate(Grid *grid, GridModel *model, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_grid(grid)
    , m_model(model)
{
    connect(this, &QAbstractItemDelegate::closeEditor, this, [this](QWidget *editor) {
        if (editor == m_editor) {
            m_editor = nullptr;
            m_editorIndex = QPersistentModelIndex();
        }
    });
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const GridColumn *c = m_model->column(index.column() + 1);
    if (!c)
        return nullptr;
    QWidget *editor = nullptr;
    const GridDropDown &drop = c->dropDown();
    GridModel *list = drop.list;
    const GridColumn *shown = list ? list->column(drop.displayColumn) : nullptr;
    if (list && shown) {
        auto *combo = new DropDownEditor(m_grid, list, c->index(), parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setFrame(false);
        auto *view = new QTableView(combo);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->verticalHeader()->hide();
        if (m_grid) {
            // The list's rows are as high as the grid's.
            view->verticalHeader()->setMinimumSectionSize(1);
            view->verticalHeader()->setDefaultSectionSize(m_grid->view()->verticalHeader()->defaultSectionSize());
        }
        view->setShowGrid(false);
        combo->setModel(list);
        combo->setView(view);
        combo->setModelColumn(shown->index() - 1);
        view->setMinimumWidth(fitListColumns(view, list) + 24);
        if (c->maxLength() > 0)
            combo->lineEdit()->setMaxLength(c->maxLength());
        editor = combo;
    } else {
        auto *line = new QLineEdit(parent);
        line->setFrame(false);
        if (c->maxLength() > 0)
            line->setMaxLength(c->maxLength());
        const QVariant alignment = index.data(Qt::TextAlignmentRole);
        if (alignment.isValid())
            line->setAlignment(Qt::Alignment(alignment.toInt()));
        editor = line;
    }
    m_editor = editor;
    m_editorIndex = QPersistentModelIndex(index);
    return editor;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (editor->property(OriginalText).isValid())
        return; // already filled: keep what is being typed
    const QString text = m_model->editText(index.row() + 1, index.column() + 1);
    // Typing replaces what the cell held.
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setCurrentIndex(-1);
        combo->setEditText(text);
        combo->lineEdit()->selectAll();
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setText(text);
        line->selectAll();
    }
    editor->setProperty(OriginalText, text);
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &) const
{
    const_cast<GridDelegate *>(this)->commit(editor);
}

void GridDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &) const
{
    editor->setGeometry(option.rect);
}

QString GridDelegate::editorText(const QWidget *editor)
{
    if (auto *combo = qobject_cast<const QComboBox *>(editor))
        return combo->currentText();
    if (auto *line = qobject_cast<const QLineEdit *>(editor))
        return line->text();
    return QString();
}

bool GridDelegate::commit(QWidget *editor)
{
    if (!m_grid || !editor || editor != m_editor || !m_editorIndex.isValid())
        return true;
    const QString text = editorText(editor);
    if (text == storedText(editor))
        return true;
    const bool ok = m_grid->commitEditorText(m_editorIndex.row() + 1, m_editorIndex.column() + 1, text);
    if (ok && editor == m_editor)
        editor->setProperty(CommittedText, text);
    return ok;
}

bool GridDelegate::commitOpenEditor()
{
    return commit(m_editor);
}

QString GridDelegate::storedText(const QWidget *editor)
{
    const QVariant committed = editor->property(CommittedText);
    return committed.isValid() ? committed.toString() : editor->property(OriginalText).toString();
}

bool GridDelegate::openEditorChanged() const
{
    const QWidget *editor = m_editor;
    return editor && editorText(editor) != storedText(editor);
}

void GridDelegate::discardOpenEditor()
{
    if (QWidget *editor = m_editor) {
        m_editor = nullptr;
        m_editorIndex = QPersistentModelIndex();
        emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
}

bool GridDelegate::eventFilter(QObject *object, QEvent *event)
{
    QWidget *editor = qobject_cast<QWidget *>(object);
    if (!m_grid || !editor || editor != m_editor)
        return QStyledItemDelegate::eventFilter(object, event);

    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *combo = qobject_cast<QComboBox *>(editor);
        const bool popupOpen = combo && combo->view() && combo->view()->isVisible();
        const auto *view = qobject_cast<const GridView *>(m_grid->view());
        if (!view || event != view->keyBeingHandled()) {
            GridKeyEvent down;
            down.key = key->key();
            down.modifiers = key->modifiers();
            down.text = key->text();
            m_grid->notifyKeyDown(down);
            if (down.handled || editor != m_editor)
                return true;
            if (isPrintable(key->text())) {
                GridKeyEvent press = down;
                press.handled = false;
                m_grid->notifyKeyPress(press);
                if (press.handled || editor != m_editor)
                    return true;
            }
        }
        if (popupOpen)
            return false;
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Enter:
        case Qt::Key_Return: {
            if (!commit(editor)) {
                editor->setFocus();
                return true;
            }
            const bool back = key->key() == Qt::Key_Backtab
                || (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
            emit closeEditor(editor, back ? QAbstractItemDelegate::EditPreviousItem
                                          : QAbstractItemDelegate::EditNextItem);
            return true;
        }
        case Qt::Key_Escape:
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return true;
        default:
            return false;
        }
    }

    if (event->type() == QEvent::FocusOut) {
        // A click on the grid is settled by the grid itself; the focus
        // going into the editor's own list changes nothing.
        if (QApplication::activePopupWidget())
            return false;
        // The window giving up the activation (to a message box the cell's
        // own check shows, or to another window) is not the user leaving
        // the cell: the editor stays open with what was typed.
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::ActiveWindowFocusReason)
            return false;
        QWidget *now = QApplication::focusWidget();
        for (QWidget *w = now; w; w = w->parentWidget()) {
            if (w == editor || w == m_grid)
                return false;
        }
        if (!commit(editor)) {
            QPointer<QWidget> keep(editor);
            QTimer::singleShot(0, editor, [keep] {
                if (keep)
                    keep->setFocus();
            });
            return false;
        }
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride)
        return QStyledItemDelegate::eventFilter(object, event);
    return false;
}

} // namespace platform

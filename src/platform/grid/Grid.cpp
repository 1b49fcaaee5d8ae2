#include "platform/grid/Grid.h"

#include "platform/base/RuntimeError.h"
#include "platform/base/Twips.h"
#include "platform/grid/GridDelegate.h"
#include "platform/grid/GridLayout.h"
#include "platform/grid/GridRowBuffer.h"
#include "platform/grid/GridRowFormat.h"
#include "platform/grid/GridView.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace platform {

namespace {

// Raises the run-time's "Path/File access error" for a layout file.
[[noreturn]] void fileError(const QString &path, const QString &why)
{
    throw RuntimeError(75, QStringLiteral("Path/File access error: %1 (%2)").arg(path, why));
}

} // namespace

Grid::Grid(QWidget *parent)
    : QWidget(parent)
    , m_model(new GridModel(this))
{
    m_view = new GridView(this, m_model, this);
    m_view->setModel(m_model);
    m_delegate = new GridDelegate(this, m_model, this);
    m_view->setItemDelegate(m_delegate);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setWordWrap(false);
    m_view->setCornerButtonEnabled(false);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setFixedWidth(18);
    m_view->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setSectionsClickable(true);
    m_view->horizontalHeader()->setSectionsMovable(true);
    m_view->horizontalHeader()->setHighlightSections(false);
    m_view->horizontalHeader()->setMinimumSectionSize(1);
    m_view->horizontalHeader()->setSortIndicatorShown(false);
    setFocusProxy(m_view);

    m_navigator = new QWidget(this);
    auto *navigatorLayout = new QHBoxLayout(m_navigator);
    navigatorLayout->setContentsMargins(2, 1, 2, 1);
    navigatorLayout->setSpacing(2);
    auto button = [this, navigatorLayout](QStyle::StandardPixmap icon, const QString &name, auto target) {
        auto *b = new QToolButton(m_navigator);
        b->setIcon(style()->standardIcon(icon));
        b->setAutoRaise(true);
        b->setObjectName(name);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, target] { setRow(target(this)); });
        navigatorLayout->addWidget(b);
        return b;
    };
    button(QStyle::SP_MediaSkipBackward, QStringLiteral("navigatorFirst"), [](Grid *) { return 1; });
    button(QStyle::SP_MediaSeekBackward, QStringLiteral("navigatorPrevious"),
           [](Grid *g) { return std::max(g->row() - 1, 1); });
    m_navigatorLabel = new QLabel(m_navigator);
    m_navigatorLabel->setObjectName(QStringLiteral("navigatorText"));
    navigatorLayout->addWidget(m_navigatorLabel);
    button(QStyle::SP_MediaSeekForward, QStringLiteral("navigatorNext"), [](Grid *g) {
        const int last = g->newRecordRow() > 0 ? g->newRecordRow() : g->rowCount();
        return std::min(g->row() + 1, last);
    });
    button(QStyle::SP_MediaSkipForward, QStringLiteral("navigatorLast"), [](Grid *g) { return g->rowCount(); });
    navigatorLayout->addStretch(1);
    m_navigator->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_navigator);

    m_headerFont = m_view->horizontalHeader()->font();
    m_rowFont = m_view->font();
    updateRowHeight();
    applyEditMode();

    // The model's notifications are the grid's.
    connect(m_model, &GridModel::beforeColUpdate, this, &Grid::beforeColUpdate);
    connect(m_model, &GridModel::afterColUpdate, this, &Grid::afterColUpdate);
    connect(m_model, &GridModel::beforeUpdate, this, &Grid::beforeUpdate);
    connect(m_model, &GridModel::afterUpdate, this, &Grid::afterUpdate);
    connect(m_model, &GridModel::beforeDelete, this, &Grid::beforeDelete);
    connect(m_model, &GridModel::afterDelete, this, &Grid::afterDelete);
    connect(m_model, &GridModel::rowFormat, this, &Grid::rowFormat);
    connect(m_model, &GridModel::dataError, this, &Grid::dataError);
    connect(m_model, &GridModel::rowRead, this, &Grid::rowRead);
    connect(m_model, &GridModel::bound, this, &Grid::bound);
    connect(m_model, &GridModel::sortKeysChanged, this, [this] {
        syncSortIndicator();
        emit sortKeysChanged();
    });
    connect(m_model, &GridModel::currentCellChanged, this, [this](int row, int column) {
        syncCurrentToView();
        updateNavigator();
        emit currentCellChanged(row, column);
    });
    connect(m_model, &GridModel::columnLayoutChanged, this, [this] { applyColumnLayout(); });
    connect(m_model, &GridModel::pendingRowChanged, this, [this] { updateNavigator(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnLayout();
        syncSortIndicator();
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] { updateNavigator(); });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] { updateNavigator(); });

    connect(m_view, &QAbstractItemView::clicked, this, [this] { emit clicked(); });
    connect(m_view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (!m_model->isGroupCaption(index.row() + 1))
            emit doubleClicked();
    });
    connect(m_view->verticalHeader(), &QHeaderView::sectionPressed, this,
            [this](int logical) { selectRowFromHeader(logical + 1); });
    QHeaderView *header = m_view->horizontalHeader();
    connect(header, &QHeaderView::sectionClicked, this, [this](int logical) {
        emit headerClicked(logical + 1);
        QTimer::singleShot(0, this, [this] { syncSortIndicator(); });
    });
    connect(header, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (m_syncing)
            return;
        if (GridColumn *c = m_model->column(logical + 1)) {
            ++m_syncing;
            if (size > 0)
                c->setWidth(static_cast<int>(Twips::fromPixels(size).value()));
            --m_syncing;
        }
    });
    connect(header, &QHeaderView::sectionMoved, this, [this] {
        if (m_syncing)
            return;
        ++m_syncing;
        QHeaderView *h = m_view->horizontalHeader();
        for (int v = 0; v < h->count(); ++v) {
            if (GridColumn *c = m_model->column(h->logicalIndex(v) + 1))
                m_model->columns().moveTo(c, v + 1);
        }
        --m_syncing;
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && insideGrid(now)) {
            if (!m_focusInside) {
                m_focusInside = true;
                emit focusReceived();
            }
            return;
        }
        // Another control of the window takes the focus from the grid. The
        // focus going to another window (a message box, a dialog) comes
        // back to the grid with the activation: it never left.
        if ((now && now->window() == window()) || !isVisible())
            m_focusInside = false;
    });
}

Grid::~Grid()
{
    // The view and its cell editor go first, while the grid is still whole,
    // and an editor closing now stores nothing.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(m_model, nullptr, this, nullptr);
    m_delegate->detach();
    delete m_view;
    m_view = nullptr;
}

QTableView *Grid::view() const
{
    return m_view;
}

bool Grid::insideGrid(const QWidget *w) const
{
    for (const QObject *o = w; o; o = o->parent()) {
        if (o == this)
            return true;
    }
    return false;
}

// ---- current cell --------------------------------------------------------------

bool Grid::setRow(int row)
{
    if (row != m_model->currentRow() && !canLeaveCell(row, m_model->currentColumn()))
        return false;
    m_delegate->discardOpenEditor();
    const bool ok = m_model->setCurrentRow(row);
    syncCurrentToView();
    return ok;
}

bool Grid::setCol(int column)
{
    if (column != m_model->currentColumn() && !canLeaveCell(m_model->currentRow(), column))
        return false;
    const bool ok = m_model->setCurrentColumn(column);
    syncCurrentToView();
    return ok;
}

bool Grid::setValue(int column, const Variant &value)
{
    const QModelIndex editing = m_delegate->editorIndex();
    if (editing.isValid() && editing.row() + 1 == row() && editing.column() + 1 == column)
        m_delegate->discardOpenEditor();
    return m_model->setCellValue(row(), column, value, false);
}

void Grid::syncCurrentToView()
{
    const int row = m_model->currentRow();
    const int column = m_model->currentColumn();
    QModelIndex target;
    if (row >= 1 && column >= 1)
        target = m_model->index(row - 1, column - 1);
    if (target == m_view->currentIndex())
        return;
    m_view->setSyncing(true);
    const auto reset = qScopeGuard([this] { m_view->setSyncing(false); });
    if (target.isValid()) {
        m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect
                                                              | (m_model->allowEdit() ? QItemSelectionModel::NoUpdate
                                                                                      : QItemSelectionModel::Rows));
        m_view->selectionModel()->select(target, QItemSelectionModel::ClearAndSelect
                                                     | (m_model->allowEdit() ? QItemSelectionModel::NoUpdate
                                                                             : QItemSelectionModel::Rows));
        m_view->scrollTo(target);
    } else {
        m_view->selectionModel()->clearCurrentIndex();
    }
}

int Grid::find(int column, FindCondition condition, const Variant &value, int startRow, FindDirection direction)
{
    const int found = m_model->find(column, condition, value, startRow, direction);
    if (found > 0)
        scrollToRow(found);
    return found;
}

void Grid::scrollToRow(int row)
{
    // The view scrolls only to a cell of a shown column: the current one
    // when it is shown, else the one at the view's left edge.
    int column = m_model->currentColumn() - 1;
    if (column < 0 || m_view->isColumnHidden(column))
        column = m_view->columnAt(0);
    if (column >= 0)
        m_view->scrollTo(m_model->index(row - 1, column));
}

// ---- editing ------------------------------------------------------------------

void Grid::setAllowEdit(bool on)
{
    m_model->setAllowEdit(on);
    applyEditMode();
}

void Grid::applyEditMode()
{
    const bool edit = m_model->allowEdit();
    m_view->setEditTriggers(edit ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                                       | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                                 : QAbstractItemView::NoEditTriggers);
    m_view->setSelectionBehavior(edit ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
    m_view->setTabKeyNavigation(edit);
}

bool Grid::isEditing() const
{
    return m_delegate->editor() != nullptr;
}

bool Grid::hasPendingInput() const
{
    return m_model->pendingRow() > 0 || m_delegate->openEditorChanged();
}

void Grid::focusCell()
{
    if (QWidget *editor = m_delegate->editor())
        editor->setFocus(Qt::OtherFocusReason);
    else
        m_view->setFocus(Qt::OtherFocusReason);
}

void Grid::selectRowFromHeader(int row)
{
    if (row < 1 || row > m_model->rowCount() || !commitEdit())
        return;
    // The focus first: the grid's window may move the current cell when
    // the focus comes in.
    m_view->setFocus(Qt::MouseFocusReason);
    if (row != m_model->currentRow() && !setRow(row))
        return;
    if (m_model->allowEdit())
        m_view->selectionModel()->select(m_model->index(row - 1, 0),
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool Grid::commitEdit()
{
    if (!m_delegate->editor())
        return true;
    if (!m_delegate->commitOpenEditor()) {
        if (QWidget *editor = m_delegate->editor())
            editor->setFocus();
        return false;
    }
    m_delegate->discardOpenEditor();
    return true;
}

bool Grid::commitRow()
{
    return commitEdit() && m_model->commitRow();
}

void Grid::cancelRow()
{
    m_delegate->discardOpenEditor();
    m_model->cancelRow();
}

bool Grid::canLeaveCell(int row, int column)
{
    const QModelIndex editing = m_delegate->editorIndex();
    if (m_delegate->editor() && editing.isValid() && (editing.row() + 1 != row || editing.column() + 1 != column)) {
        if (!m_delegate->commitOpenEditor()) {
            if (QWidget *editor = m_delegate->editor())
                editor->setFocus();
            return false;
        }
    }
    // Leaving a row with pending changes stores them.
    const int pending = m_model->pendingRow();
    if (pending > 0 && row != pending)
        return m_model->commitRow();
    return true;
}

bool Grid::commitEditorText(int row, int column, const QString &text)
{
    return m_model->setCellText(row, column, text);
}

// ---- look ----------------------------------------------------------------------

void Grid::setHeaderFont(const QFont &font)
{
    m_headerFont = font;
    m_view->horizontalHeader()->setFont(font);
}

void Grid::setRowFont(const QFont &font)
{
    m_rowFont = font;
    m_view->setFont(font);
    m_view->horizontalHeader()->setFont(m_headerFont);
    updateRowHeight();
}

void Grid::setHeaderForeColor(const QColor &color)
{
    m_headerForeColor = color;
    QPalette p = m_view->horizontalHeader()->palette();
    p.setColor(QPalette::ButtonText, color.isValid() ? color : palette().color(QPalette::ButtonText));
    m_view->horizontalHeader()->setPalette(p);
}

void Grid::setGroupRowBackColor(const QColor &color)
{
    m_model->setGroupRowBackColor(color);
    m_view->viewport()->update();
}

void Grid::setGridLineStyle(GridLineStyle style)
{
    m_lineStyle = style;
    m_view->setShowGrid(style != GridLineStyle::None);
    switch (style) {
    case GridLineStyle::Dashes: m_view->setGridStyle(Qt::DashLine); break;
    case GridLineStyle::Dots: m_view->setGridStyle(Qt::DotLine); break;
    default: m_view->setGridStyle(Qt::SolidLine); break;
    }
}

void Grid::setAutoSizeColumns(bool on)
{
    m_autoSize = on;
    m_view->horizontalHeader()->setStretchLastSection(on);
}

void Grid::setRowHeaders(bool on)
{
    m_rowHeaders = on;
    m_view->verticalHeader()->setVisible(on);
}

void Grid::setColumnHeaders(bool on)
{
    m_columnHeaders = on;
    m_view->horizontalHeader()->setVisible(on);
}

void Grid::setColumnsMovable(bool on)
{
    m_columnsMovable = on;
    m_view->horizontalHeader()->setSectionsMovable(on);
}

void Grid::setRecordNavigatorCaption(const QString &caption)
{
    m_navigatorCaption = caption;
    m_navigator->setVisible(!caption.isEmpty());
    updateNavigator();
}

QString Grid::recordNavigatorText() const
{
    if (m_navigatorCaption.isEmpty())
        return QString();
    const QStringList words = m_navigatorCaption.split(u'|');
    const QString before = words.value(0);
    const QString middle = words.value(1);
    // The new-record row counts once it is current: the user sees it as a
    // row, and it is one as soon as something is typed into it.
    const int current = row();
    const int count = rowCount() + (current > 0 && current == newRecordRow() ? 1 : 0);
    return before + u' ' + QString::number(current) + u' ' + middle + u' ' + QString::number(count);
}

void Grid::updateNavigator()
{
    if (!m_navigatorCaption.isEmpty())
        m_navigatorLabel->setText(recordNavigatorText());
}

void Grid::setImageSize(const QSize &size)
{
    m_imageSize = size;
    m_view->setIconSize(size);
    updateRowHeight();
}

void Grid::updateRowHeight()
{
    const int text = QFontMetrics(m_rowFont).height() + 4;
    m_view->verticalHeader()->setDefaultSectionSize(std::max(text, m_imageSize.height() + 2));
}

void Grid::applyColumnLayout()
{
    if (m_syncing)
        return;
    ++m_syncing;
    const auto reset = qScopeGuard([this] { --m_syncing; });
    QHeaderView *header = m_view->horizontalHeader();
    const GridColumns &columns = m_model->columns();
    if (header->count() != columns.count())
        return;
    // A header that paints works out where every section starts after each
    // size it is given, which made wide grids slow to lay out: it paints
    // once, at the end.
    const bool painting = header->updatesEnabled();
    if (painting)
        header->setUpdatesEnabled(false);
    const auto paint = qScopeGuard([header, painting] {
        if (painting)
            header->setUpdatesEnabled(true);
    });
    for (int i = 1; i <= columns.count(); ++i) {
        const GridColumn *c = columns.item(i);
        const int logical = i - 1;
        m_view->setColumnHidden(logical, !c->visible());
        if (c->visible() && header->sectionSize(logical) != twipsToPixels(c->width()))
            header->resizeSection(logical, twipsToPixels(c->width()));
        header->setSectionResizeMode(logical, c->resizable() ? QHeaderView::Interactive : QHeaderView::Fixed);
    }
    // Each place from the left gets its column by one swap: a move would
    // shift every section in between.
    const auto &order = columns.inDisplayOrder();
    for (int v = 0; v < static_cast<int>(order.size()); ++v) {
        const int logical = order[static_cast<size_t>(v)]->index() - 1;
        const int from = header->visualIndex(logical);
        if (from != v)
            header->swapSections(from, v);
    }
}

void Grid::syncSortIndicator()
{
    QHeaderView *header = m_view->horizontalHeader();
    const GridKeyList &keys = m_model->sortKeys();
    if (keys.isEmpty()) {
        header->setSortIndicatorShown(false);
        return;
    }
    const GridKey first = keys.item(1);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(first.column - 1,
                             first.order == SortOrder::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

// ---- layout ----------------------------------------------------------------------

QString Grid::layoutText(bool withSource) const
{
    return GridLayout::toText(*this, withSource);
}

void Grid::setLayoutText(const QString &text, bool bind, const QString &connectionString)
{
    GridLayout::apply(*this, text, bind, connectionString);
}

void Grid::saveLayoutFile(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fileError(path, file.errorString());
    file.write(layoutText(true).toUtf8());
    if (!file.commit())
        fileError(path, file.errorString());
}

void Grid::loadLayoutFile(const QString &path, bool bind, const QString &connectionString)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fileError(path, file.errorString());
    setLayoutText(QString::fromUtf8(file.readAll()), bind, connectionString);
}

} // namespace platform

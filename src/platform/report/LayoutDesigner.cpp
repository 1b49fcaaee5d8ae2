#include "platform/report/LayoutDesigner.h"

#include "platform/report/BarcodeSymbol.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPainter.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cmath>

namespace platform::report {

namespace {

// Room around a control for its selection handles, in twips.
constexpr double HandleMargin = 90;
// Half a handle's side, and how near the mouse must come to take it, in
// screen pixels.
constexpr double HandleHalf = 3.5;
constexpr double HandleReach = 5;

bool holdsText(ControlKind kind)
{
    return kind == ControlKind::Label || kind == ControlKind::Field || kind == ControlKind::Barcode;
}

// What a barcode shows in the designer: a value its symbology accepts.
QString sampleData(BarcodeStyle style)
{
    switch (style) {
    case BarcodeStyle::Ean8: return QStringLiteral("96385074");
    case BarcodeStyle::Ean13: return QStringLiteral("4006381333931");
    case BarcodeStyle::Interleaved2of5: return QStringLiteral("123456");
    default: return QStringLiteral("123");
    }
}

} // namespace

// One control on the designer's scene: drawn by the report painter at the
// control's place, with handles while selected. The scene's coordinates are
// the section's twips.
class DesignerItem : public QGraphicsItem
{
public:
    explicit DesignerItem(ReportControl *control) : m_control(control)
    {
        setFlag(ItemIsSelectable);
        sync();
    }

    ReportControl *control() const { return m_control; }

    // Takes the control's present box and look.
    void sync()
    {
        prepareGeometryChange();
        m_box = LayoutDesigner::boxOf(*m_control);
        if (m_control->kind == ControlKind::Barcode
            && (!m_barcode || m_barcodeStyle != m_control->barcodeStyle)) {
            m_barcodeStyle = m_control->barcodeStyle;
            m_barcode = BarcodeSymbol::encode(m_barcodeStyle, sampleData(m_barcodeStyle));
        }
        update();
    }

    QRectF boundingRect() const override
    {
        return m_box.adjusted(-HandleMargin, -HandleMargin, HandleMargin, HandleMargin);
    }

    QPainterPath shape() const override
    {
        QPainterPath path;
        // A line is taken within a few pixels' reach of it.
        path.addRect(m_control->kind == ControlKind::Line ? m_box.adjusted(-45, -45, 45, 45) : m_box);
        return path;
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *) override
    {
        ReportPainter::paintControl(*painter, *m_control, m_barcode);
        const double perPixel =
            1.0 / std::max(1e-6, QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter->worldTransform()));
        if (m_control->kind != ControlKind::Line && m_control->kind != ControlKind::Shape) {
            // The box of a text or barcode, faint, so that an empty one can
            // still be found.
            QPen outline(QColor(160, 160, 160));
            outline.setCosmetic(true);
            outline.setStyle(Qt::DotLine);
            painter->setPen(outline);
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(m_box);
        }
        if (!(option->state & QStyle::State_Selected))
            return;
        QPen pen(QColor(0, 90, 200));
        pen.setCosmetic(true);
        painter->setPen(pen);
        painter->setBrush(QColor(0, 90, 200));
        const double half = HandleHalf * perPixel;
        for (const auto &[point, edges] : handles())
            painter->drawRect(QRectF(point.x() - half, point.y() - half, 2 * half, 2 * half));
    }

    // The resize handles: a box's corners and edge middles, a line's ends.
    std::vector<std::pair<QPointF, int>> handles() const
    {
        enum { L = 1, T = 2, R = 4, B = 8 };
        const ReportControl &c = *m_control;
        if (c.kind == ControlKind::Line)
            return {{QPointF(c.left, c.top), 16}, {QPointF(c.x2, c.y2), 32}};
        const QRectF &r = m_box;
        const QPointF mid = r.center();
        return {{r.topLeft(), L | T},           {QPointF(mid.x(), r.top()), T}, {r.topRight(), R | T},
                {QPointF(r.right(), mid.y()), R}, {r.bottomRight(), R | B},      {QPointF(mid.x(), r.bottom()), B},
                {r.bottomLeft(), L | B},        {QPointF(r.left(), mid.y()), L}};
    }

private:
    ReportControl *m_control;
    QRectF m_box;
    BarcodeStyle m_barcodeStyle = BarcodeStyle::None;
    std::shared_ptr<const BarcodeSymbol> m_barcode;
};

LayoutDesigner::LayoutDesigner(QWidget *parent) : QGraphicsView(parent), m_scene(new QGraphicsScene(this))
{
    qRegisterMetaType<ReportControl *>();
    qRegisterMetaType<Change>();
    setScene(m_scene);
    setFocusPolicy(Qt::StrongFocus);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHint(QPainter::Antialiasing, true);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setCacheMode(QGraphicsView::CacheBackground);
    setZoom(m_zoom);
    connect(m_scene, &QGraphicsScene::selectionChanged, this, &LayoutDesigner::onSceneSelectionChanged);
}

LayoutDesigner::~LayoutDesigner()
{
    // The items go before the scene; they only point at the controls.
    m_scene->blockSignals(true);
}

void LayoutDesigner::attach(ReportLayout *layout, const QString &sectionName)
{
    m_layout = layout;
    m_section = layout ? layout->findSection(sectionName) : nullptr;
    rebuild();
}

void LayoutDesigner::rebuild()
{
    m_drag = Drag();
    m_scene->blockSignals(true);
    m_scene->clear();
    m_scene->blockSignals(false);
    m_items.clear();
    m_selectionOrder.clear();
    if (m_section) {
        for (const auto &control : m_section->controls()) {
            auto *item = new DesignerItem(control.get());
            m_scene->addItem(item);
            m_items.push_back(item);
        }
    }
    refresh();
    emit selectionChanged();
    emit commandStateChanged();
}

QRectF LayoutDesigner::sectionRect() const
{
    if (!m_section || !m_layout)
        return QRectF();
    return QRectF(0, 0, std::max(0.0, m_layout->printWidth()), std::max(0.0, m_section->height));
}

QRectF LayoutDesigner::boxOf(const ReportControl &control)
{
    if (control.kind == ControlKind::Line)
        return QRectF(QPointF(control.left, control.top), QPointF(control.x2, control.y2)).normalized();
    return QRectF(control.left, control.top, control.width, control.height);
}

void LayoutDesigner::refresh()
{
    for (DesignerItem *item : m_items)
        item->sync();
    const QRectF area = sectionRect();
    m_scene->setSceneRect(area.adjusted(-300, -300, 300, 300));
    resetCachedContent();
    viewport()->update();
}

void LayoutDesigner::setGridSize(double twips)
{
    m_grid = twips > 0 ? twips : 1;
    resetCachedContent();
    viewport()->update();
}

double LayoutDesigner::snap(double twips) const
{
    return std::round(std::round(twips / m_grid) * m_grid);
}

void LayoutDesigner::setZoom(double zoom)
{
    m_zoom = zoom > 0 ? zoom : 1;
    setTransform(QTransform::fromScale(m_zoom / 15.0, m_zoom / 15.0));
}

QPoint LayoutDesigner::viewportPoint(QPointF twips) const
{
    return mapFromScene(twips);
}

void LayoutDesigner::drawBackground(QPainter *painter, const QRectF &rect)
{
    painter->fillRect(rect, palette().color(QPalette::Dark));
    const QRectF area = sectionRect();
    if (area.isEmpty())
        return;
    painter->fillRect(area, Qt::white);
    // The grid's points, where they are far enough apart to be seen.
    const double pixels = m_grid * m_zoom / 15.0;
    if (pixels >= 4) {
        QPen pen(QColor(150, 150, 150));
        pen.setCosmetic(true);
        pen.setWidth(1);
        painter->setPen(pen);
        const QRectF visible = rect.intersected(area);
        std::vector<QPointF> points;
        const int firstX = static_cast<int>(std::ceil(visible.left() / m_grid));
        const int firstY = static_cast<int>(std::ceil(visible.top() / m_grid));
        for (int ix = firstX; ix * m_grid <= visible.right(); ++ix) {
            for (int iy = firstY; iy * m_grid <= visible.bottom(); ++iy)
                points.emplace_back(ix * m_grid, iy * m_grid);
        }
        painter->drawPoints(points.data(), static_cast<int>(points.size()));
    }
    QPen edge(QColor(90, 90, 90));
    edge.setCosmetic(true);
    painter->setPen(edge);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(area);
}

void LayoutDesigner::setTool(std::optional<ControlKind> kind)
{
    m_tool = kind;
    viewport()->setCursor(kind ? Qt::CrossCursor : Qt::ArrowCursor);
}

QString LayoutDesigner::uniqueName(ControlKind kind) const
{
    QString base;
    switch (kind) {
    case ControlKind::Label: base = QStringLiteral("Label"); break;
    case ControlKind::Field: base = QStringLiteral("Field"); break;
    case ControlKind::Line: base = QStringLiteral("Line"); break;
    case ControlKind::Shape: base = QStringLiteral("Shape"); break;
    case ControlKind::CheckBox: base = QStringLiteral("CheckBox"); break;
    case ControlKind::Picture: base = QStringLiteral("Picture"); break;
    case ControlKind::Barcode: base = QStringLiteral("Barcode"); break;
    }
    for (int n = 1;; ++n) {
        const QString name = base + QString::number(n);
        if (!m_layout->findControl(name))
            return name;
    }
}

ReportControl *LayoutDesigner::place(ControlKind kind, QPointF at)
{
    if (!m_section)
        return nullptr;
    const QRectF area = sectionRect();
    ReportControl &c = m_section->addControl(kind, uniqueName(kind));
    switch (kind) {
    case ControlKind::Shape:
        c.width = 1000;
        c.height = 500;
        break;
    case ControlKind::Line:
        c.width = 1440;
        break;
    default:
        break;
    }
    c.width = std::min(c.width, area.width());
    c.height = std::min(c.height, area.height());
    c.left = std::clamp(snap(at.x()), 0.0, std::max(0.0, area.width() - c.width));
    c.top = std::clamp(snap(at.y()), 0.0, std::max(0.0, area.height() - c.height));
    c.x2 = c.left + c.width;
    c.y2 = c.top;
    auto *item = new DesignerItem(&c);
    m_scene->addItem(item);
    m_items.push_back(item);
    setTool(std::nullopt);
    select(&c);
    emit layoutChanged(&c, Change::Placed);
    return &c;
}

DesignerItem *LayoutDesigner::itemOf(const ReportControl *control) const
{
    for (DesignerItem *item : m_items) {
        if (item->control() == control)
            return item;
    }
    return nullptr;
}

QList<ReportControl *> LayoutDesigner::selection() const
{
    QList<ReportControl *> controls;
    for (DesignerItem *item : m_selectionOrder)
        controls << item->control();
    return controls;
}

void LayoutDesigner::select(ReportControl *control, bool addToSelection)
{
    DesignerItem *item = itemOf(control);
    const QSignalBlocker block(m_scene);
    if (!addToSelection)
        m_scene->clearSelection();
    if (item)
        item->setSelected(true);
    onSceneSelectionChanged();
}

void LayoutDesigner::clearSelection()
{
    m_scene->clearSelection();
}

void LayoutDesigner::onSceneSelectionChanged()
{
    QList<DesignerItem *> order;
    for (DesignerItem *item : m_selectionOrder) {
        if (item->isSelected())
            order << item;
    }
    for (DesignerItem *item : m_items) {
        if (item->isSelected() && !order.contains(item))
            order << item;
    }
    if (order == m_selectionOrder)
        return;
    m_selectionOrder = order;
    emit selectionChanged();
    emit commandStateChanged();
}

void LayoutDesigner::removeItem(DesignerItem *item)
{
    ReportControl *control = item->control();
    m_selectionOrder.removeAll(item);
    m_items.erase(std::find(m_items.begin(), m_items.end(), item));
    {
        const QSignalBlocker block(m_scene);
        m_scene->removeItem(item);
    }
    delete item;
    emit layoutChanged(control, Change::Deleted);
    // The control goes once the listeners have heard of it.
    m_section->removeControl(control->name);
}

int LayoutDesigner::actionState(int action) const
{
    const QList<ReportControl *> selected = selection();
    const ReportControl *text = nullptr;
    for (ReportControl *c : selected) {
        if (holdsText(c->kind)) {
            text = c;
            break;
        }
    }
    switch (action) {
    case DeleteSelection:
        return selected.isEmpty() ? 0 : Available;
    case FontName:
    case FontSize:
        return text ? Available : 0;
    case Bold:
        return text ? Available | (text->font.bold ? On : 0) : 0;
    case Italic:
        return text ? Available | (text->font.italic ? On : 0) : 0;
    case Underline:
        return text ? Available | (text->font.underline ? On : 0) : 0;
    case AlignLeft:
    case AlignCenter:
    case AlignRight: {
        const TextAlign wanted =
            action == AlignLeft ? TextAlign::Left : action == AlignCenter ? TextAlign::Center : TextAlign::Right;
        for (ReportControl *c : selected) {
            if (c->kind == ControlKind::Label || c->kind == ControlKind::Field)
                return Available | (c->alignment == wanted ? On : 0);
        }
        return 0;
    }
    default:
        return 0;
    }
}

void LayoutDesigner::execute(int action)
{
    const int state = actionState(action);
    if (!(state & Available))
        return;
    if (action == DeleteSelection) {
        const QList<DesignerItem *> doomed = m_selectionOrder;
        for (DesignerItem *item : doomed)
            removeItem(item);
        emit selectionChanged();
        emit commandStateChanged();
        return;
    }
    const bool on = !(state & On);
    for (DesignerItem *item : m_selectionOrder) {
        ReportControl &c = *item->control();
        if (!holdsText(c.kind))
            continue;
        switch (action) {
        case Bold: c.font.bold = on; break;
        case Italic: c.font.italic = on; break;
        case Underline: c.font.underline = on; break;
        case AlignLeft: c.alignment = TextAlign::Left; break;
        case AlignCenter: c.alignment = TextAlign::Center; break;
        case AlignRight: c.alignment = TextAlign::Right; break;
        default: return;
        }
        item->sync();
    }
    if (!m_selectionOrder.isEmpty())
        emit layoutChanged(m_selectionOrder.front()->control(), Change::Formatted);
    emit commandStateChanged();
}

void LayoutDesigner::shiftSelection(double dx, double dy)
{
    QRectF bounds;
    for (DesignerItem *item : m_selectionOrder)
        bounds = bounds.united(boxOf(*item->control()));
    const QRectF area = sectionRect();
    // The selection moves as one and stays inside the section.
    dx = std::clamp(dx, -bounds.left(), std::max(-bounds.left(), area.right() - bounds.right()));
    dy = std::clamp(dy, -bounds.top(), std::max(-bounds.top(), area.bottom() - bounds.bottom()));
    for (DesignerItem *item : m_selectionOrder) {
        ReportControl &c = *item->control();
        c.left += dx;
        c.top += dy;
        c.x2 += dx;
        c.y2 += dy;
        item->sync();
    }
}

void LayoutDesigner::moveSelection(int stepsX, int stepsY)
{
    if (m_selectionOrder.isEmpty())
        return;
    const ReportControl &first = *m_selectionOrder.front()->control();
    shiftSelection(snap(first.left + stepsX * m_grid) - first.left, snap(first.top + stepsY * m_grid) - first.top);
    emit layoutChanged(m_selectionOrder.front()->control(), Change::Moved);
}

void LayoutDesigner::resizeSelection(int stepsX, int stepsY)
{
    if (m_selectionOrder.isEmpty())
        return;
    const QRectF area = sectionRect();
    for (DesignerItem *item : m_selectionOrder) {
        ReportControl &c = *item->control();
        if (c.kind == ControlKind::Line) {
            c.x2 = std::clamp(snap(c.x2 + stepsX * m_grid), 0.0, area.right());
            c.y2 = std::clamp(snap(c.y2 + stepsY * m_grid), 0.0, area.bottom());
        } else {
            c.width = std::clamp(snap(c.left + c.width + stepsX * m_grid) - c.left, m_grid,
                                 std::max(m_grid, area.right() - c.left));
            c.height = std::clamp(snap(c.top + c.height + stepsY * m_grid) - c.top, m_grid,
                                  std::max(m_grid, area.bottom() - c.top));
        }
        item->sync();
    }
    emit layoutChanged(m_selectionOrder.front()->control(), Change::Resized);
}

std::pair<DesignerItem *, int> LayoutDesigner::handleAt(QPoint viewportPos) const
{
    for (DesignerItem *item : m_selectionOrder) {
        for (const auto &[point, edges] : item->handles()) {
            const QPoint p = mapFromScene(point);
            if (std::abs(p.x() - viewportPos.x()) <= HandleReach && std::abs(p.y() - viewportPos.y()) <= HandleReach)
                return {item, edges};
        }
    }
    return {nullptr, 0};
}

void LayoutDesigner::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || !m_section) {
        QGraphicsView::mousePressEvent(event);
        return;
    }
    const QPointF at = mapToScene(event->position().toPoint());
    if (m_tool) {
        // The listeners may open a dialog and delete the control again:
        // nothing of it is used after this call.
        place(*m_tool, at);
        return;
    }
    m_drag = Drag();
    m_drag.start = at;
    if (auto [item, edges] = handleAt(event->position().toPoint()); item) {
        m_drag.kind = Drag::Kind::Resize;
        m_drag.item = item;
        m_drag.edges = edges;
    } else {
        DesignerItem *hit = nullptr;
        for (QGraphicsItem *g : items(event->position().toPoint())) {
            if (auto *d = dynamic_cast<DesignerItem *>(g)) {
                hit = d;
                break;
            }
        }
        const bool toggle = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
        if (!hit) {
            if (!toggle)
                m_scene->clearSelection();
            return;
        }
        if (toggle) {
            hit->setSelected(!hit->isSelected());
            return;
        }
        if (!hit->isSelected())
            select(hit->control());
        m_drag.kind = Drag::Kind::Move;
        m_drag.item = hit;
    }
    for (DesignerItem *item : m_selectionOrder)
        m_drag.before.push_back(*item->control());
}

void LayoutDesigner::dragTo(QPointF scenePos)
{
    const QRectF area = sectionRect();
    if (m_drag.kind == Drag::Kind::Move) {
        // Put the selection back where the drag found it, then move it by
        // the snapped distance of the control under the mouse.
        const int index = static_cast<int>(m_selectionOrder.indexOf(m_drag.item));
        if (index < 0 || index >= static_cast<int>(m_drag.before.size()))
            return;
        for (int i = 0; i < m_selectionOrder.size() && i < static_cast<int>(m_drag.before.size()); ++i)
            *m_selectionOrder[i]->control() = m_drag.before[static_cast<size_t>(i)];
        const ReportControl &origin = m_drag.before[static_cast<size_t>(index)];
        const QPointF delta = scenePos - m_drag.start;
        shiftSelection(snap(origin.left + delta.x()) - origin.left, snap(origin.top + delta.y()) - origin.top);
        m_drag.changed = true;
        return;
    }
    const int index = static_cast<int>(m_selectionOrder.indexOf(m_drag.item));
    if (index < 0 || index >= static_cast<int>(m_drag.before.size()))
        return;
    ReportControl &c = *m_drag.item->control();
    const ReportControl &was = m_drag.before[static_cast<size_t>(index)];
    const double x = std::clamp(snap(scenePos.x()), 0.0, area.right());
    const double y = std::clamp(snap(scenePos.y()), 0.0, area.bottom());
    if (m_drag.edges & LineStart) {
        c.left = x;
        c.top = y;
    } else if (m_drag.edges & LineEnd) {
        c.x2 = x;
        c.y2 = y;
    } else {
        QRectF r = boxOf(was);
        if (m_drag.edges & Left)
            r.setLeft(std::min(x, r.right() - m_grid));
        if (m_drag.edges & Right)
            r.setRight(std::max(x, r.left() + m_grid));
        if (m_drag.edges & Top)
            r.setTop(std::min(y, r.bottom() - m_grid));
        if (m_drag.edges & Bottom)
            r.setBottom(std::max(y, r.top() + m_grid));
        c.left = r.left();
        c.top = r.top();
        c.width = r.width();
        c.height = r.height();
    }
    m_drag.item->sync();
    m_drag.changed = true;
}

void LayoutDesigner::mouseMoveEvent(QMouseEvent *event)
{
    if (m_drag.kind != Drag::Kind::None && (event->buttons() & Qt::LeftButton)) {
        dragTo(mapToScene(event->position().toPoint()));
        return;
    }
    if (!m_tool) {
        const int edges = handleAt(event->position().toPoint()).second;
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (edges & (LineStart | LineEnd))
            shape = Qt::CrossCursor;
        else if ((edges & (Left | Top)) == (Left | Top) || (edges & (Right | Bottom)) == (Right | Bottom))
            shape = Qt::SizeFDiagCursor;
        else if ((edges & (Right | Top)) == (Right | Top) || (edges & (Left | Bottom)) == (Left | Bottom))
            shape = Qt::SizeBDiagCursor;
        else if (edges & (Left | Right))
            shape = Qt::SizeHorCursor;
        else if (edges & (Top | Bottom))
            shape = Qt::SizeVerCursor;
        viewport()->setCursor(shape);
    }
    QGraphicsView::mouseMoveEvent(event);
}

void LayoutDesigner::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_drag.kind != Drag::Kind::None && event->button() == Qt::LeftButton) {
        const Drag drag = std::move(m_drag);
        m_drag = Drag();
        bool changed = false;
        for (int i = 0; i < m_selectionOrder.size() && i < static_cast<int>(drag.before.size()); ++i)
            changed = changed || !(*m_selectionOrder[i]->control() == drag.before[static_cast<size_t>(i)]);
        if (drag.changed && changed)
            emit layoutChanged(drag.item->control(), drag.kind == Drag::Kind::Move ? Change::Moved : Change::Resized);
        return;
    }
    QGraphicsView::mouseReleaseEvent(event);
}

void LayoutDesigner::keyPressEvent(QKeyEvent *event)
{
    int dx = 0;
    int dy = 0;
    switch (event->key()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = -1; break;
    case Qt::Key_Down: dy = 1; break;
    case Qt::Key_Delete:
        execute(DeleteSelection);
        return;
    case Qt::Key_Escape:
        if (m_tool) {
            setTool(std::nullopt);
            return;
        }
        QGraphicsView::keyPressEvent(event);
        return;
    default:
        QGraphicsView::keyPressEvent(event);
        return;
    }
    // Arrows move the selection by a grid step; with Shift they resize it.
    if (m_selectionOrder.isEmpty())
        return;
    if (event->modifiers() & Qt::ShiftModifier)
        resizeSelection(dx, dy);
    else
        moveSelection(dx, dy);
}

} // namespace platform::report

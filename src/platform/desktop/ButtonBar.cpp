#include "platform/desktop/ButtonBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <QStyleOptionButton>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>

namespace platform {

namespace {

constexpr int Margin = 4;      // between the bar's edge and an item's frame
constexpr int ItemPadding = 6; // inside an item's frame, above the icon and below the caption
constexpr int CaptionLines = 2;

// Draws a caption centred and word-wrapped in rect; a caption longer than
// the lines rect holds ends its last line with an ellipsis.
void drawCaption(QPainter &p, const QRect &rect, const QString &caption)
{
    const QFontMetrics fm = p.fontMetrics();
    QTextLayout layout(caption, p.font());
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(rect.width());
        if (lines.size() == CaptionLines - 1) {
            // The last line that fits takes the rest of the caption.
            lines << fm.elidedText(caption.mid(line.textStart()).trimmed(), Qt::ElideRight, rect.width());
            break;
        }
        lines << caption.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    int y = rect.top();
    for (const QString &text : lines) {
        p.drawText(QRect(rect.left(), y, rect.width(), fm.lineSpacing()), Qt::AlignHCenter | Qt::AlignTop, text);
        y += fm.lineSpacing();
    }
}

} // namespace

ButtonBar::ButtonBar(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

int ButtonBar::addGroup(const QString &caption)
{
    m_groups.push_back(Group{caption, {}});
    if (m_openGroup < 0)
        m_openGroup = 0;
    updateGeometry();
    update();
    return groupCount() - 1;
}

void ButtonBar::addItem(int group, const QString &key, const QString &caption, const QIcon &icon)
{
    if (group < 0 || group >= groupCount())
        return;
    int g = 0, i = 0;
    if (findKey(key, g, i))
        return; // keys are unique
    m_groups[static_cast<std::size_t>(group)].items.push_back(Item{key, caption, icon});
    updateGeometry();
    update();
}

void ButtonBar::clear()
{
    m_groups.clear();
    m_openGroup = m_selGroup = m_selItem = -1;
    m_pressed = m_hover = HitTarget{};
    updateGeometry();
    update();
}

QString ButtonBar::groupCaption(int group) const
{
    return group >= 0 && group < groupCount() ? m_groups[static_cast<std::size_t>(group)].caption : QString();
}

int ButtonBar::itemCount(int group) const
{
    return group >= 0 && group < groupCount()
               ? static_cast<int>(m_groups[static_cast<std::size_t>(group)].items.size())
               : 0;
}

QString ButtonBar::itemKey(int group, int index) const
{
    if (index < 0 || index >= itemCount(group))
        return {};
    return m_groups[static_cast<std::size_t>(group)].items[static_cast<std::size_t>(index)].key;
}

QString ButtonBar::itemCaption(const QString &key) const
{
    int g = 0, i = 0;
    if (!findKey(key, g, i))
        return {};
    return m_groups[static_cast<std::size_t>(g)].items[static_cast<std::size_t>(i)].caption;
}

int ButtonBar::groupOfItem(const QString &key) const
{
    int g = 0, i = 0;
    return findKey(key, g, i) ? g : -1;
}

void ButtonBar::setOpenGroup(int group)
{
    if (group < -1 || group >= groupCount())
        return;
    if (m_openGroup == group)
        return;
    m_openGroup = group;
    m_hover = HitTarget{};
    update();
}

QString ButtonBar::selectedKey() const
{
    return itemKey(m_selGroup, m_selItem);
}

void ButtonBar::setSelectedKey(const QString &key)
{
    int g = -1, i = -1;
    if (!findKey(key, g, i))
        g = i = -1;
    m_selGroup = g;
    m_selItem = i;
    if (g >= 0)
        setOpenGroup(g);
    update();
}

int ButtonBar::headerHeight() const
{
    return fontMetrics().height() + 10;
}

int ButtonBar::iconExtent() const
{
    return 32;
}

int ButtonBar::itemHeight() const
{
    return ItemPadding + iconExtent() + 4 + CaptionLines * fontMetrics().lineSpacing() + ItemPadding;
}

int ButtonBar::itemsTop() const
{
    return (m_openGroup + 1) * headerHeight();
}

QRect ButtonBar::groupRect(int group) const
{
    if (group < 0 || group >= groupCount())
        return {};
    const int hh = headerHeight();
    int y = group * hh;
    if (m_openGroup >= 0 && group > m_openGroup) {
        // The groups after the open one sit at the bottom of the bar, as long
        // as they leave room for the open group's items.
        const int afterItems = itemsTop() + Margin + itemCount(m_openGroup) * itemHeight()
                               + (group - m_openGroup - 1) * hh;
        y = std::max(height() - (groupCount() - group) * hh, afterItems);
    }
    return QRect(0, y, width(), hh);
}

QRect ButtonBar::itemRectAt(int group, int item) const
{
    if (group != m_openGroup || item < 0 || item >= itemCount(group))
        return {};
    return QRect(Margin, itemsTop() + Margin + item * itemHeight(), width() - 2 * Margin, itemHeight() - 2);
}

QRect ButtonBar::itemRect(const QString &key) const
{
    int g = 0, i = 0;
    return findKey(key, g, i) ? itemRectAt(g, i) : QRect();
}

ButtonBar::HitTarget ButtonBar::hitTest(const QPoint &pos) const
{
    for (int g = 0; g < groupCount(); ++g) {
        if (groupRect(g).contains(pos))
            return HitTarget{g, -1};
    }
    for (int i = 0; i < itemCount(m_openGroup); ++i) {
        if (itemRectAt(m_openGroup, i).contains(pos))
            return HitTarget{m_openGroup, i};
    }
    return HitTarget{};
}

bool ButtonBar::findKey(const QString &key, int &group, int &item) const
{
    if (key.isEmpty())
        return false;
    for (int g = 0; g < groupCount(); ++g) {
        const auto &items = m_groups[static_cast<std::size_t>(g)].items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].key == key) {
                group = g;
                item = static_cast<int>(i);
                return true;
            }
        }
    }
    return false;
}

void ButtonBar::clickItem(int group, int item)
{
    m_selGroup = group;
    m_selItem = item;
    update();
    emit itemClicked(itemKey(group, item));
}

QSize ButtonBar::sizeHint() const
{
    const QSize min = minimumSizeHint();
    return QSize(min.width(), std::max(min.height(), 400));
}

QSize ButtonBar::minimumSizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    int w = 104;
    int most = 0;
    for (const Group &g : m_groups) {
        w = std::max(w, fm.horizontalAdvance(g.caption) + 24);
        most = std::max(most, static_cast<int>(g.items.size()));
        // Wide enough for each caption to wrap into its lines (roughly: a
        // share of the caption plus room for uneven breaks), within reason.
        for (const Item &item : g.items) {
            int longestWord = 0;
            for (const QString &word : item.caption.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                longestWord = std::max(longestWord, fm.horizontalAdvance(word));
            const int share = fm.horizontalAdvance(item.caption) / CaptionLines + 6 * fm.averageCharWidth();
            w = std::max(w, std::min(std::max(longestWord, share), 160) + 2 * Margin + 4);
        }
    }
    return QSize(w, groupCount() * headerHeight() + 2 * Margin + most * itemHeight());
}

void ButtonBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid));

    const QColor highlight = palette().color(QPalette::Highlight);
    for (int i = 0; i < itemCount(m_openGroup); ++i) {
        const QRect r = itemRectAt(m_openGroup, i);
        const Item &item = m_groups[static_cast<std::size_t>(m_openGroup)].items[static_cast<std::size_t>(i)];
        const bool selected = m_openGroup == m_selGroup && i == m_selItem;
        const bool hovered = m_hover == HitTarget{m_openGroup, i};
        if (selected || hovered) {
            QColor fill = palette().color(QPalette::Base);
            if (selected)
                fill = QColor::fromRgbF(fill.redF() * 0.7f + highlight.redF() * 0.3f,
                                        fill.greenF() * 0.7f + highlight.greenF() * 0.3f,
                                        fill.blueF() * 0.7f + highlight.blueF() * 0.3f);
            p.setPen(selected ? highlight : palette().color(QPalette::Dark));
            p.setBrush(hovered && !selected ? Qt::NoBrush : QBrush(fill));
            p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        }
        if (selected && hasFocus()) {
            p.setPen(QPen(highlight, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(r).adjusted(2.5, 2.5, -2.5, -2.5), 2, 2);
        }
        const QRect iconRect((r.width() - iconExtent()) / 2 + r.left(), r.top() + ItemPadding, iconExtent(),
                             iconExtent());
        item.icon.paint(&p, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        const QRect textRect(r.left() + 2, iconRect.bottom() + 5, r.width() - 4,
                             CaptionLines * fontMetrics().lineSpacing());
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 selected ? QPalette::Text : QPalette::WindowText));
        drawCaption(p, textRect, item.caption);
    }

    for (int g = 0; g < groupCount(); ++g) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = groupRect(g);
        option.text = m_groups[static_cast<std::size_t>(g)].caption;
        option.state &= ~QStyle::State_HasFocus;
        if (m_hover == HitTarget{g, -1})
            option.state |= QStyle::State_MouseOver;
        else
            option.state &= ~QStyle::State_MouseOver;
        if (m_pressed == HitTarget{g, -1} && m_hover == m_pressed)
            option.state |= QStyle::State_Sunken;
        else
            option.state |= QStyle::State_Raised;
        style()->drawControl(QStyle::CE_PushButton, &option, &p, this);
    }
}

void ButtonBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = hitTest(event->position().toPoint());
    m_hover = m_pressed;
    update();
}

void ButtonBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const HitTarget pressed = m_pressed;
    m_pressed = HitTarget{};
    update();
    // A click counts only when the button goes up where it went down.
    if (pressed.group < 0 || !(hitTest(event->position().toPoint()) == pressed))
        return;
    if (pressed.item < 0)
        setOpenGroup(pressed.group == m_openGroup ? -1 : pressed.group);
    else
        clickItem(pressed.group, pressed.item);
}

void ButtonBar::mouseMoveEvent(QMouseEvent *event)
{
    const HitTarget hover = hitTest(event->position().toPoint());
    if (!(hover == m_hover)) {
        m_hover = hover;
        update();
    }
    QWidget::mouseMoveEvent(event);
}

void ButtonBar::leaveEvent(QEvent *event)
{
    m_hover = HitTarget{};
    update();
    QWidget::leaveEvent(event);
}

void ButtonBar::keyPressEvent(QKeyEvent *event)
{
    const int count = itemCount(m_openGroup);
    const bool inOpen = m_selGroup == m_openGroup && m_selItem >= 0;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
    case Qt::Key_Down:
    case Qt::Key_Right: {
        if (count == 0)
            break;
        const bool back = event->key() == Qt::Key_Up || event->key() == Qt::Key_Left;
        int next = 0;
        if (!inOpen)
            next = back ? count - 1 : 0;
        else
            next = std::clamp(m_selItem + (back ? -1 : 1), 0, count - 1);
        m_selGroup = m_openGroup;
        m_selItem = next;
        update();
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (inOpen) {
            clickItem(m_selGroup, m_selItem);
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

bool ButtonBar::event(QEvent *event)
{
    // An item's tooltip is its whole caption, which may be cut short.
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const HitTarget target = hitTest(help->pos());
        if (target.item >= 0)
            QToolTip::showText(help->globalPos(),
                               m_groups[static_cast<std::size_t>(target.group)]
                                   .items[static_cast<std::size_t>(target.item)]
                                   .caption,
                               this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void ButtonBar::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

} // namespace platform

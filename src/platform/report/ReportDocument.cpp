#include "platform/report/ReportDocument.h"

#include "platform/report/ReportControl.h"

#include <algorithm>
#include <cmath>

namespace platform::report {

RenderedItem RenderedItem::of(const ReportControl &control, double x, double y)
{
    RenderedItem item;
    item.source = control.kind;
    item.name = control.name;
    item.rect = QRectF(x + control.left, y + control.top, control.width, control.height);
    item.color = control.foreColor.isValid() ? control.foreColor.rgba() : 0xff000000;
    item.backColor = control.backColor.isValid() ? control.backColor.rgba() : 0;
    item.lineWidth = control.lineWidth;
    item.alignment = control.alignment;
    item.wordWrap = control.wordWrap;
    switch (control.kind) {
    case ControlKind::Label:
    case ControlKind::Field:
        item.kind = Kind::Text;
        break;
    case ControlKind::Line:
        item.kind = Kind::Line;
        item.rect = QRectF(QPointF(x + control.left, y + control.top), QPointF(x + control.x2, y + control.y2));
        break;
    case ControlKind::Shape:
        item.kind = Kind::Shape;
        item.shape = control.shape;
        item.cornerRadius = control.cornerRadius;
        break;
    case ControlKind::CheckBox:
        item.kind = Kind::CheckBox;
        break;
    case ControlKind::Picture:
        item.kind = Kind::Picture;
        item.sizeMode = control.sizeMode;
        break;
    case ControlKind::Barcode:
        item.kind = Kind::Barcode;
        item.captionPosition = control.captionPosition;
        break;
    }
    return item;
}

int ReportDocument::fontIndex(const FontSpec &font)
{
    for (size_t i = 0; i < m_fonts.size(); ++i) {
        if (m_fonts[i] == font)
            return static_cast<int>(i);
    }
    m_fonts.push_back(font);
    m_qfonts.push_back(font.toQFont());
    return static_cast<int>(m_fonts.size()) - 1;
}

QPageLayout ReportDocument::pageLayout() const
{
    const bool landscape = paperSize.width() > paperSize.height();
    const QSizeF portrait = landscape ? paperSize.transposed() : paperSize;
    return QPageLayout(QPageSize(portrait / 20.0, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Point);
}

QString ReportDocument::pageText(int page) const
{
    const RenderedPage &p = pages.at(static_cast<size_t>(page));
    std::vector<const RenderedItem *> texts;
    for (const RenderedItem &item : p.items) {
        if ((item.kind == RenderedItem::Kind::Text || item.kind == RenderedItem::Kind::CheckBox)
            && !item.text.isEmpty())
            texts.push_back(&item);
    }
    std::sort(texts.begin(), texts.end(), [](const RenderedItem *a, const RenderedItem *b) {
        return a->rect.top() != b->rect.top() ? a->rect.top() < b->rect.top() : a->rect.left() < b->rect.left();
    });
    // Items whose tops lie within 30 twips of a line's first item share it.
    QString out;
    size_t i = 0;
    while (i < texts.size()) {
        size_t j = i + 1;
        while (j < texts.size() && texts[j]->rect.top() - texts[i]->rect.top() <= 30)
            ++j;
        std::sort(texts.begin() + static_cast<long>(i), texts.begin() + static_cast<long>(j),
                  [](const RenderedItem *a, const RenderedItem *b) { return a->rect.left() < b->rect.left(); });
        if (!out.isEmpty())
            out += u'\n';
        for (size_t k = i; k < j; ++k) {
            if (k > i)
                out += u' ';
            out += texts[k]->text;
        }
        i = j;
    }
    return out;
}

} // namespace platform::report

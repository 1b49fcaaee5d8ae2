#include "platform/report/PageView.h"

#include "platform/report/ReportDocument.h"
#include "platform/report/ReportPainter.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace platform::report {

PageView::PageView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(sizeHint());
}

void PageView::setDocument(std::shared_ptr<const ReportDocument> document)
{
    m_document = std::move(document);
    m_page = 0;
    resize(sizeHint());
    update();
}

void PageView::setPage(int page)
{
    const int last = m_document ? m_document->pageCount() - 1 : 0;
    m_page = std::clamp(page, 0, std::max(0, last));
    update();
}

void PageView::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.1, 8.0);
    resize(sizeHint());
    update();
}

QSizeF PageView::paperSize() const
{
    return m_document ? m_document->paperSize : QSizeF(11906, 16838);
}

QSize PageView::sizeHint() const
{
    const QSizeF paper = paperSize() / 15.0 * m_zoom;
    return QSize(static_cast<int>(std::ceil(paper.width())) + 2 * Margin,
                 static_cast<int>(std::ceil(paper.height())) + 2 * Margin);
}

void PageView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    const QSizeF paper = paperSize() / 15.0 * m_zoom;
    const QRectF sheet(Margin, Margin, paper.width(), paper.height());
    painter.fillRect(sheet.translated(3, 3), QColor(0, 0, 0, 80));
    painter.fillRect(sheet, Qt::white);
    if (!m_document)
        return;
    const double scale = m_zoom / 15.0; // pixels per twip
    painter.translate(Margin, Margin);
    painter.scale(scale, scale);
    painter.setClipRect(QRectF(QPointF(0, 0), paperSize()));
    const QRectF visible = QRectF(event->rect()).translated(-Margin, -Margin);
    ReportPainter::paintPage(painter, *m_document, m_page,
                             QRectF(visible.topLeft() / scale, visible.size() / scale));
}

} // namespace platform::report

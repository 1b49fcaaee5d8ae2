#include "platform/report/ExportGrid.h"

#include "platform/report/ReportDocument.h"

#include <algorithm>
#include <cmath>

namespace platform::report {

namespace {

// Edges and tops closer than this (twips, about 4 pixels) count as one.
constexpr double Tolerance = 60;

bool bearsContent(const RenderedItem &item)
{
    switch (item.kind) {
    case RenderedItem::Kind::Text:
    case RenderedItem::Kind::CheckBox:
    case RenderedItem::Kind::Barcode:
    case RenderedItem::Kind::Picture:
        return true;
    default:
        return false;
    }
}

} // namespace

ExportGrid::ExportGrid(const ReportDocument &doc)
{
    std::vector<double> detailEdges;
    std::vector<double> allEdges;
    std::vector<QRectF> boxes;
    for (int p = 0; p < doc.pageCount(); ++p) {
        const RenderedPage page = doc.page(p);
        for (const RenderedBand &band : page.bands) {
            for (int i = band.firstItem; i < band.firstItem + band.itemCount; ++i) {
                const RenderedItem &item = page.items[static_cast<size_t>(i)];
                if (!bearsContent(item))
                    continue;
                const double left = std::round(item.rect.left());
                (band.kind == SectionKind::Detail ? detailEdges : allEdges).push_back(left);
                boxes.push_back(item.rect);
            }
        }
    }
    std::vector<double> &edges = detailEdges.empty() ? allEdges : detailEdges;
    std::sort(edges.begin(), edges.end());
    for (double e : edges) {
        if (m_edges.empty() || e - m_edges.back() > Tolerance)
            m_edges.push_back(e);
    }
    if (m_edges.empty()) {
        m_edges.push_back(doc.margins.left());
        m_right = doc.margins.left() + doc.printWidth;
        return;
    }
    // The last column ends where the widest item starting in it ends.
    const int last = columnCount() - 1;
    m_right = m_edges.back() + Tolerance;
    for (const QRectF &box : boxes) {
        if (columnOf(box.left()) == last)
            m_right = std::max(m_right, box.right());
    }
}

double ExportGrid::columnRight(int column) const
{
    return column + 1 < columnCount() ? m_edges[static_cast<size_t>(column) + 1] : m_right;
}

int ExportGrid::columnOf(double left) const
{
    // The last column starting at or before the item (within the tolerance).
    const auto it = std::upper_bound(m_edges.begin(), m_edges.end(), left + Tolerance);
    return it == m_edges.begin() ? 0 : static_cast<int>(it - m_edges.begin()) - 1;
}

int ExportGrid::lastColumnOf(int column, double right) const
{
    int last = column;
    while (last + 1 < columnCount() && columnLeft(last + 1) < right - Tolerance)
        ++last;
    return last;
}

QString ExportGrid::itemText(const RenderedItem &item)
{
    switch (item.kind) {
    case RenderedItem::Kind::CheckBox: {
        const QString box = item.checked ? QStringLiteral("\u2612") : QStringLiteral("\u2610");
        return item.text.isEmpty() ? box : box + u' ' + item.text;
    }
    case RenderedItem::Kind::Picture:
        return QString();
    default:
        return item.text;
    }
}

std::vector<ExportGrid::Row> ExportGrid::rowsOf(const RenderedPage &page, const RenderedBand &band,
                                                bool withRules) const
{
    std::vector<const RenderedItem *> items;
    std::vector<Row> rows;
    for (int i = band.firstItem; i < band.firstItem + band.itemCount; ++i) {
        const RenderedItem &item = page.items[static_cast<size_t>(i)];
        if (bearsContent(item)) {
            items.push_back(&item);
        } else if (withRules && item.kind == RenderedItem::Kind::Line
                   && std::abs(item.rect.top() - item.rect.bottom()) < 1) {
            Row rule;
            rule.rule = true;
            rule.top = item.rect.top();
            Cell line;
            line.item = &item;
            line.column = columnOf(std::min(item.rect.left(), item.rect.right()));
            line.span = lastColumnOf(line.column, std::max(item.rect.left(), item.rect.right())) - line.column + 1;
            rule.cells.push_back(line);
            rows.push_back(std::move(rule));
        }
    }
    std::sort(items.begin(), items.end(), [](const RenderedItem *a, const RenderedItem *b) {
        return a->rect.top() != b->rect.top() ? a->rect.top() < b->rect.top() : a->rect.left() < b->rect.left();
    });
    size_t i = 0;
    while (i < items.size()) {
        Row row;
        row.top = items[i]->rect.top();
        size_t j = i;
        while (j < items.size() && items[j]->rect.top() - row.top <= Tolerance)
            ++j;
        std::vector<const RenderedItem *> line(items.begin() + static_cast<long>(i), items.begin() + static_cast<long>(j));
        std::sort(line.begin(), line.end(),
                  [](const RenderedItem *a, const RenderedItem *b) { return a->rect.left() < b->rect.left(); });
        for (const RenderedItem *item : line) {
            row.height = std::max(row.height, item->rect.bottom() - row.top);
            const int column = columnOf(item->rect.left());
            const QString text = itemText(*item);
            if (!row.cells.empty() && row.cells.back().column == column) {
                // Shares a column with the item before it.
                Cell &cell = row.cells.back();
                if (!text.isEmpty())
                    cell.text += cell.text.isEmpty() ? text : u' ' + text;
                ++cell.itemCount;
                continue;
            }
            Cell cell;
            cell.column = column;
            cell.item = item;
            cell.text = text;
            cell.span = lastColumnOf(column, item->rect.right()) - column + 1;
            row.cells.push_back(std::move(cell));
        }
        // A wide item spans the columns up to the next item of its row.
        for (size_t k = 0; k + 1 < row.cells.size(); ++k)
            row.cells[k].span = std::max(1, std::min(row.cells[k].span, row.cells[k + 1].column - row.cells[k].column));
        rows.push_back(std::move(row));
        i = j;
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.top < b.top; });
    return rows;
}

} // namespace platform::report

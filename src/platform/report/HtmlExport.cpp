#include "platform/report/HtmlExport.h"

#include "platform/report/ExportFile.h"
#include "platform/report/ExportGrid.h"
#include "platform/report/ReportDocument.h"

#include <QBuffer>

#include <cmath>

namespace platform::report {

namespace {

QString px(double twips)
{
    return QString::number(static_cast<int>(std::lround(twips / 15.0))) + QStringLiteral("px");
}

QString escaped(const QString &text)
{
    // Line breaks and runs of blanks are kept by the cells' white-space rule.
    return text.toHtmlEscaped();
}

QString cellStyle(const ReportDocument &doc, const RenderedItem &item)
{
    QString style;
    if (item.font >= 0) {
        const FontSpec &f = doc.fonts()[static_cast<size_t>(item.font)];
        style += QStringLiteral("font-family:'%1';font-size:%2pt;").arg(f.family.toHtmlEscaped(), QString::number(f.size));
        if (f.bold)
            style += QStringLiteral("font-weight:bold;");
        if (f.italic)
            style += QStringLiteral("font-style:italic;");
        if (f.underline)
            style += QStringLiteral("text-decoration:underline;");
    }
    if (item.alignment == TextAlign::Right)
        style += QStringLiteral("text-align:right;");
    else if (item.alignment == TextAlign::Center)
        style += QStringLiteral("text-align:center;");
    if ((item.color & 0xffffff) != 0)
        style += QStringLiteral("color:%1;").arg(QColor::fromRgba(item.color).name());
    if (qAlpha(item.backColor) != 0)
        style += QStringLiteral("background:%1;").arg(QColor::fromRgba(item.backColor).name());
    return style;
}

QString imageTag(const RenderedItem &item)
{
    if (!item.image)
        return QString();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    item.image->save(&buffer, "PNG");
    return QStringLiteral("<img alt=\"\" style=\"max-width:%1;max-height:%2\" src=\"data:image/png;base64,%3\">")
        .arg(px(item.rect.width()), px(item.rect.height()), QString::fromLatin1(png.toBase64()));
}

// The page a browser prints on: the report's paper (A4 by its name) and
// margins.
QString pageRule(const ReportDocument &doc)
{
    const auto mm = [](double twips) { return QString::number(twips / 1440.0 * 25.4, 'g', 4) + QStringLiteral("mm"); };
    const QPageLayout layout = doc.pageLayout();
    const QSizeF portrait = layout.pageSize().size(QPageSize::Point) * 20.0;
    QString size = layout.pageSize().id() == QPageSize::A4 ? QStringLiteral("A4")
                                                           : mm(portrait.width()) + u' ' + mm(portrait.height());
    if (layout.orientation() == QPageLayout::Landscape)
        size += QStringLiteral(" landscape");
    const QMarginsF &m = doc.margins;
    return QStringLiteral("@page { size: %1; margin: %2 %3 %4 %5; }\n")
        .arg(size, mm(m.top()), mm(m.right()), mm(m.bottom()), mm(m.left()));
}

const char *bandClass(SectionKind kind)
{
    switch (kind) {
    case SectionKind::ReportHeader: return "report-header";
    case SectionKind::PageHeader: return "page-header";
    case SectionKind::GroupHeader: return "group-header";
    case SectionKind::Detail: return "detail";
    case SectionKind::GroupFooter: return "group-footer";
    case SectionKind::PageFooter: return "page-footer";
    case SectionKind::ReportFooter: return "report-footer";
    }
    return "band";
}

} // namespace

QString HtmlExport::toHtml(const ReportDocument &doc)
{
    const ExportGrid grid(doc);
    const int columns = grid.columnCount();
    QString html;
    html += QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n")
                .arg(doc.title.toHtmlEscaped());
    html += QStringLiteral(
        "<style>\n"
        "body{font-family:Arial,Helvetica,sans-serif;margin:16px}\n"
        "table.page{border-collapse:collapse;table-layout:fixed}\n"
        "table.page td{padding:1px 3px;vertical-align:top;overflow:hidden;white-space:pre-wrap}\n"
        "table.page tr.rule td{padding:0;height:0;font-size:0;line-height:0}\n"
        "div.page-break{page-break-after:always;height:24px}\n"
        "@media print{body{margin:0}div.page-break{height:0}}\n");
    html += pageRule(doc);
    html += QStringLiteral("</style>\n</head>\n<body>\n");

    QString colgroup = QStringLiteral("<colgroup>");
    for (int c = 0; c < columns; ++c)
        colgroup += QStringLiteral("<col style=\"width:%1\">").arg(px(grid.columnRight(c) - grid.columnLeft(c)));
    colgroup += QStringLiteral("</colgroup>\n");

    for (int p = 0; p < doc.pageCount(); ++p) {
        const RenderedPage page = doc.page(p);
        html += QStringLiteral("<table class=\"page\">\n") + colgroup;
        for (const RenderedBand &band : page.bands) {
            const QString cls = QLatin1String(bandClass(band.kind));
            for (const ExportGrid::Row &row : grid.rowsOf(page, band, true)) {
                if (row.rule) {
                    const ExportGrid::Cell &line = row.cells.front();
                    html += QStringLiteral("<tr class=\"rule\">");
                    if (line.column > 0)
                        html += QStringLiteral("<td colspan=\"%1\"></td>").arg(line.column);
                    html += QStringLiteral("<td colspan=\"%1\" style=\"border-top:%2 solid #000\"></td>")
                                .arg(line.span)
                                .arg(px(std::max(15.0, line.item->lineWidth)));
                    html += QStringLiteral("</tr>\n");
                    continue;
                }
                html += QStringLiteral("<tr class=\"%1\">").arg(cls);
                int column = 0;
                for (const ExportGrid::Cell &cell : row.cells) {
                    if (cell.column > column)
                        html += QStringLiteral("<td colspan=\"%1\"></td>").arg(cell.column - column);
                    html += QStringLiteral("<td");
                    if (cell.span > 1)
                        html += QStringLiteral(" colspan=\"%1\"").arg(cell.span);
                    const QString style = cellStyle(doc, *cell.item);
                    if (!style.isEmpty())
                        html += QStringLiteral(" style=\"%1\"").arg(style);
                    html += u'>';
                    if (cell.item->kind == RenderedItem::Kind::Picture && cell.itemCount == 1)
                        html += imageTag(*cell.item);
                    else
                        html += escaped(cell.text);
                    html += QStringLiteral("</td>");
                    column = cell.column + cell.span;
                }
                html += QStringLiteral("</tr>\n");
            }
        }
        html += QStringLiteral("</table>\n");
        if (p + 1 < doc.pageCount())
            html += QStringLiteral("<div class=\"page-break\"></div>\n");
    }
    html += QStringLiteral("</body>\n</html>\n");
    return html;
}

void HtmlExport::write(const ReportDocument &doc, const QString &path)
{
    ExportFile::write(path, toHtml(doc).toUtf8());
}

} // namespace platform::report

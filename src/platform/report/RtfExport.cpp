#include "platform/report/RtfExport.h"

#include "platform/report/ExportFile.h"
#include "platform/report/ExportGrid.h"
#include "platform/report/ReportDocument.h"

#include <QBuffer>
#include <QColor>

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::report {

namespace {

QByteArray num(double value)
{
    return QByteArray::number(static_cast<long long>(std::lround(value)));
}

// Text as RTF: the three special characters escaped, everything outside
// ASCII as \uN? (UTF-16 units, signed), line breaks and tabs as control
// words.
QByteArray rtfText(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == '\n') {
            out += "\\line ";
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == '\r') {
            continue;
        } else if (u >= 32 && u < 128) {
            out += static_cast<char>(u);
        } else if (u < 32) {
            out += ' ';
        } else {
            out += "\\u";
            out += QByteArray::number(static_cast<short>(u));
            out += '?';
        }
    }
    return out;
}

QByteArray pictureOf(const RenderedItem &item)
{
    if (!item.image)
        return QByteArray();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    item.image->save(&buffer, "PNG");
    QByteArray out = "{\\pict\\pngblip\\picw" + QByteArray::number(item.image->width()) + "\\pich"
                     + QByteArray::number(item.image->height()) + "\\picwgoal" + num(item.rect.width())
                     + "\\pichgoal" + num(item.rect.height()) + "\n";
    const QByteArray hex = png.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128)
        out += hex.mid(i, 128) + '\n';
    out += '}';
    return out;
}

class Writer
{
public:
    explicit Writer(const ReportDocument &doc) : m_doc(doc), m_grid(doc)
    {
        // The right edges of the columns from the left margin, increasing.
        double previous = std::min(0.0, fromMargin(m_grid.columnLeft(0)));
        m_rowLeft = previous;
        for (int c = 0; c < m_grid.columnCount(); ++c) {
            previous = std::max(previous + 15, fromMargin(m_grid.columnRight(c)));
            m_cellRight.push_back(previous);
        }
    }

    QByteArray run()
    {
        QByteArray body;
        for (int p = 0; p < m_doc.pageCount(); ++p) {
            const RenderedPage page = m_doc.page(p);
            for (const RenderedBand &band : page.bands) {
                for (const ExportGrid::Row &row : m_grid.rowsOf(page, band, true))
                    body += tableRow(row);
            }
            // The page break in a paragraph of its own after the table's
            // closing paragraph: a break right after a table is lost by some
            // readers.
            if (p + 1 < m_doc.pageCount())
                body += "\\pard\\plain\\fs2\\par\n\\pard\\plain\\fs2\\page\\par\n";
        }

        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (size_t i = 0; i < m_fonts.size(); ++i)
            out += "{\\f" + QByteArray::number(static_cast<int>(i)) + "\\fnil\\fcharset0 " + rtfText(m_fonts[i])
                   + ";}";
        if (m_fonts.empty())
            out += "{\\f0\\fswiss\\fcharset0 Arial;}";
        out += "}\n{\\colortbl;";
        for (QRgb c : m_colors)
            out += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) + "\\blue"
                   + QByteArray::number(qBlue(c)) + ';';
        out += "}\n{\\info{\\title " + rtfText(m_doc.title) + "}}\n";
        const QSizeF paper = m_doc.paperSize;
        out += "\\paperw" + num(paper.width()) + "\\paperh" + num(paper.height()) + "\\margl"
               + num(m_doc.margins.left()) + "\\margr" + num(m_doc.margins.right()) + "\\margt"
               + num(m_doc.margins.top()) + "\\margb" + num(m_doc.margins.bottom());
        if (paper.width() > paper.height())
            out += "\\landscape";
        // A plain paragraph first: some readers lose a border on the first
        // row of a document's first table.
        out += "\\viewkind1\n\\pard\\plain\\fs2\\par\n";
        out += body;
        out += "\\pard\\plain\\par\n}\n";
        return out;
    }

private:
    int fontNumber(const QString &family)
    {
        for (size_t i = 0; i < m_fonts.size(); ++i) {
            if (m_fonts[i] == family)
                return static_cast<int>(i);
        }
        m_fonts.push_back(family);
        return static_cast<int>(m_fonts.size()) - 1;
    }

    int colorNumber(QRgb rgb)
    {
        rgb |= 0xff000000;
        for (size_t i = 0; i < m_colors.size(); ++i) {
            if (m_colors[i] == rgb)
                return static_cast<int>(i) + 1;
        }
        m_colors.push_back(rgb);
        return static_cast<int>(m_colors.size());
    }

    // Positions in a row are measured from the left margin.
    double fromMargin(double x) const { return x - m_doc.margins.left(); }

    QByteArray cellText(const ExportGrid::Cell &cell)
    {
        const RenderedItem &item = *cell.item;
        QByteArray out = "\\pard\\intbl\\plain";
        switch (item.alignment) {
        case TextAlign::Left: out += "\\ql"; break;
        case TextAlign::Center: out += "\\qc"; break;
        case TextAlign::Right: out += "\\qr"; break;
        }
        out += '{';
        if (item.font >= 0) {
            const FontSpec &f = m_doc.fonts()[static_cast<size_t>(item.font)];
            out += "\\f" + QByteArray::number(fontNumber(f.family)) + "\\fs"
                   + QByteArray::number(static_cast<int>(std::lround(f.size * 2)));
            if (f.bold)
                out += "\\b";
            if (f.italic)
                out += "\\i";
            if (f.underline)
                out += "\\ul";
        }
        if ((item.color & 0xffffff) != 0)
            out += "\\cf" + QByteArray::number(colorNumber(item.color));
        out += ' ';
        if (item.kind == RenderedItem::Kind::Picture && cell.itemCount == 1)
            out += pictureOf(item);
        else
            out += rtfText(cell.text);
        out += "}\\cell\n";
        return out;
    }

    // A row of the table, across the table's full width: an item's cell
    // ends on the boundary of the last column it spans, and every column
    // without an item gets an empty cell of its own, so that word processors
    // keep the columns one under the other. (Spanning cells are not written
    // as merged cells: some readers misplace whole columns for them.) A
    // horizontal line is a low row whose cells it crosses have a top border
    // (some readers lose the bottom border of a row's first cell).
    QByteArray tableRow(const ExportGrid::Row &row)
    {
        const double height = row.rule ? -std::max(20.0, row.cells.front().item->lineWidth) : std::max(0.0, row.height);
        QByteArray bounds = "\\trowd\\trgaph57\\trleft" + num(m_rowLeft) + "\\trrh" + num(height);
        QByteArray texts;
        const auto emptyCell = [&](int column) {
            bounds += "\\cellx" + num(m_cellRight[static_cast<size_t>(column)]);
            texts += "\\pard\\intbl\\plain\\fs2\\cell\n";
        };
        int column = 0;
        for (const ExportGrid::Cell &cell : row.cells) {
            for (; column < cell.column; ++column)
                emptyCell(column);
            column = cell.column + cell.span;
            if (row.rule) {
                bounds += "\\clbrdrt\\brdrs\\brdrw" + num(std::clamp(cell.item->lineWidth, 10.0, 75.0));
                emptyCell(column - 1);
            } else {
                bounds += "\\cellx" + num(m_cellRight[static_cast<size_t>(column - 1)]);
                texts += cellText(cell);
            }
        }
        for (; column < m_grid.columnCount(); ++column)
            emptyCell(column);
        return bounds + '\n' + texts + "\\row\n";
    }

    const ReportDocument &m_doc;
    ExportGrid m_grid;
    double m_rowLeft = 0;
    std::vector<double> m_cellRight;
    std::vector<QString> m_fonts;
    std::vector<QRgb> m_colors;
};

} // namespace

QByteArray RtfExport::toRtf(const ReportDocument &doc)
{
    return Writer(doc).run();
}

void RtfExport::write(const ReportDocument &doc, const QString &path)
{
    ExportFile::write(path, toRtf(doc));
}

} // namespace platform::report

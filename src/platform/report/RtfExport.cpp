#include "platform/report/RtfExport.h"

#include "platform/report/ExportGrid.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportError.h"

#include <QBuffer>
#include <QColor>
#include <QSaveFile>

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
    explicit Writer(const ReportDocument &doc) : m_doc(doc), m_grid(doc) {}

    QByteArray run()
    {
        QByteArray body;
        for (int p = 0; p < m_doc.pageCount(); ++p) {
            const RenderedPage &page = m_doc.pages[static_cast<size_t>(p)];
            for (const RenderedBand &band : page.bands) {
                for (const ExportGrid::Row &row : m_grid.rowsOf(page, band, true))
                    body += row.rule ? rule(row) : tableRow(row);
            }
            if (p + 1 < m_doc.pageCount())
                body += "\\pard\\plain\\fs2\\page\\par\n";
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
        out += "\\viewkind1\n";
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

    QByteArray rule(const ExportGrid::Row &row)
    {
        const double contentWidth = m_doc.paperSize.width() - m_doc.margins.left() - m_doc.margins.right();
        const double left = std::max(0.0, fromMargin(row.ruleLeft));
        const double right = std::max(0.0, contentWidth - fromMargin(row.ruleRight));
        return "\\pard\\plain\\li" + num(left) + "\\ri" + num(right) + "\\sl-20\\slmult0\\brdrb\\brdrs\\brdrw"
               + num(std::clamp(row.ruleWidth, 10.0, 75.0)) + "\\brsp0\\fs2\\par\n";
    }

    QByteArray cellText(const ExportGrid::Cell &cell)
    {
        const RenderedItem &item = *cell.item;
        QByteArray out = "\\pard\\intbl";
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

    QByteArray tableRow(const ExportGrid::Row &row)
    {
        // One cell per item, with empty cells for the columns in between.
        struct Part {
            double right;
            const ExportGrid::Cell *cell;
        };
        std::vector<Part> parts;
        int column = 0;
        for (const ExportGrid::Cell &cell : row.cells) {
            if (cell.column > column)
                parts.push_back({m_grid.columnLeft(cell.column), nullptr});
            parts.push_back({m_grid.columnRight(cell.column + cell.span - 1), &cell});
            column = cell.column + cell.span;
        }
        const double first = fromMargin(m_grid.columnLeft(0));
        QByteArray out = "\\trowd\\trgaph57\\trleft" + num(std::min(0.0, first)) + "\\trrh"
                         + num(std::max(0.0, row.height));
        double previous = std::min(0.0, first);
        for (const Part &part : parts) {
            // Cell edges must increase.
            previous = std::max(previous + 15, fromMargin(part.right));
            out += "\\cellx" + num(previous);
        }
        out += '\n';
        for (const Part &part : parts)
            out += part.cell ? cellText(*part.cell) : QByteArray("\\pard\\intbl\\cell\n");
        out += "\\row\n";
        return out;
    }

    const ReportDocument &m_doc;
    ExportGrid m_grid;
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(ReportError::Kind::ExportFailed,
                          QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
    file.write(toRtf(doc));
    if (!file.commit())
        throw ReportError(ReportError::Kind::ExportFailed,
                          QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
}

} // namespace platform::report

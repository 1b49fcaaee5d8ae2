#pragma once

#include <QString>

#include <vector>

namespace platform::report {

class ReportDocument;
struct RenderedBand;
struct RenderedItem;
struct RenderedPage;

// The table that the HTML, RTF and Excel exports lay a document on: one
// column per distinct left edge of the detail's items (close edges merge),
// so that every detail field gets a column of its own and headers, group
// lines and totals fall into the column of the field they stand over.
// Within a band, items whose tops are close form one row. Each column is as
// wide as the space to the next column; the last one as wide as the widest
// item that starts in it, so that no column stretches to the margin.
class ExportGrid
{
public:
    explicit ExportGrid(const ReportDocument &doc);

    struct Cell {
        int column = 0;
        int span = 1;
        const RenderedItem *item = nullptr; // the first item of the cell
        int itemCount = 1;
        QString text; // the texts of all the cell's items, joined by blanks
    };
    struct Row {
        double top = 0;
        double height = 0;
        // A row that stands for a horizontal line: its one cell spans the
        // columns the line crosses, and its item is the line.
        bool rule = false;
        std::vector<Cell> cells;
    };

    int columnCount() const { return static_cast<int>(m_edges.size()); }
    // Left edge of a column in twips from the paper's left side.
    double columnLeft(int column) const { return m_edges[static_cast<size_t>(column)]; }
    double columnRight(int column) const;
    // The column an item starting at `left` goes into.
    int columnOf(double left) const;
    // The last column an item from `column` to `right` reaches into.
    int lastColumnOf(int column, double right) const;

    // The rows of a band, top to bottom: cells of text-bearing items
    // (texts, check boxes, barcodes, pictures), and with `withRules` also
    // rows for its horizontal lines.
    std::vector<Row> rowsOf(const RenderedPage &page, const RenderedBand &band, bool withRules) const;

    // The text an item stands for in an export.
    static QString itemText(const RenderedItem &item);

private:
    std::vector<double> m_edges;
    double m_right = 0;
};

} // namespace platform::report

#pragma once

#include <QString>

namespace platform {

class Grid;

// The grid's own layout format: a JSON document with the columns (key,
// caption, field, width in twips, visibility, position, format, alignment,
// type code, listing name, header tip, flags, styles), the sort keys and
// group levels (by column key), the format styles, the header and row
// fonts, the grid's options and, when asked for, the record source. A
// layout written by toText reads back unchanged.
class GridLayout
{
public:
    static QString toText(const Grid &grid, bool withSource);
    // Applies a layout to a grid. Columns are matched by key; with bind the
    // layout's columns replace the grid's and its record source is bound.
    // Raises a RuntimeError, before anything changes, when the text is not
    // a grid layout or, with bind, its record source is not a query that
    // only reads (platform::Connection::isQuery); a DatabaseError when the
    // database cannot tell or give the rows.
    static void apply(Grid &grid, const QString &text, bool bind, const QString &connectionString);

    static constexpr int Version = 1;
};

} // namespace platform

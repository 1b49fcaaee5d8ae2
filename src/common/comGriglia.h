#pragma once

#include <QByteArray>
#include <QString>

namespace platform {
class Grid;
}

// Grid layouts: the layout files of the program folder ("gex_art.lyt" for
// the article list) and the copies of a grid's layout kept in the database,
// in the `_Pars` rows 'gridlayout' (k02 the layout's name, m01 the layout
// text as UTF-16LE bytes).
namespace comGriglia {

// The file a layout name stands for: `programFolder` (the executable's
// folder when empty) + "/" + name + ".lyt".
QString LayoutFile(const QString &name, const QString &programFolder = QString());

// The messages shown when a layout file is missing or cannot be read.
QString MissingFileText(const QString &path);
QString UnreadableFileText(const QString &path);

// Loads the layout file of `name` into the grid and binds it on the
// connection string, under the wait cursor. A missing file, or one that
// cannot be read as a layout (a record source that is not a query that
// only reads included), is reported (critical icon, OK) and leaves the
// grid as it was. A database error while binding the layout's rows goes to
// the caller.
void LoadGridLayout(platform::Grid &grid, const QString &connectionString, const QString &name,
                    const QString &programFolder = QString());

// Stores the grid's layout text in the `_Pars` row 'gridlayout' of that
// name, adding the row when there is none. Database errors go to the
// caller; nothing is stored then.
void SaveGridLayout(platform::Grid &grid, const QString &connectionString, const QString &name);

// A text as UTF-16LE bytes: two bytes per character, low byte first, no
// byte-order mark and no closing zero.
QByteArray Utf16LeBytes(const QString &text);

} // namespace comGriglia

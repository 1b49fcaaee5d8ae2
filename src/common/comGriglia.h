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

// The message shown when a layout file is missing.
QString MissingFileText(const QString &path);

// Loads the layout file of `name` into the grid and binds it on the
// connection string. A missing file is reported (critical icon, OK) and
// leaves the grid bound to nothing, without rows. A file the grid cannot
// read raises the grid's RuntimeError.
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

#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

// The program's own icons, drawn as SVG and compiled into the velmora_icons
// library under ":/icons/<name>.svg". Names:
//   node-<code>        one per navigation node, by node code (mag, gia, art,
//                      cli, for, iva, umi, cat)
//   cmd-new, cmd-open, cmd-delete, cmd-refresh, cmd-print   toolbar commands
//   status-ok, status-below-min   the movement counter panel: no article is
//                      below its minimum stock / at least one is
//   app-velmora        the application icon

// Loads ":/icons/<name>.svg" as an icon that renders crisply at any size and
// device pixel ratio; a null icon when no such name exists.
QIcon velmoraIcon(const QString &name);

// Every icon name in the library, sorted.
QStringList velmoraIconNames();

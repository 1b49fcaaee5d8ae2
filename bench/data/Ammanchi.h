#pragma once

#include <QString>

// Makes up, in the database file `path`, every article's shortfall over
// the year `year`: a load dated its 1 January carries each article whose
// stock over the year is negative back to 0. A year-end closing of a
// generated database (whose sales are drawn at random) then writes its
// lines instead of stopping at the negative stock.
void ColmaAmmanchi(const QString &path, int year);

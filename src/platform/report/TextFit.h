#pragma once

#include "platform/report/ReportEnums.h"

#include <QString>

class QFontMetricsF;
class QSizeF;

namespace platform::report {

// How a text is set in its box, the same in the run that measures it and
// in the painter that draws it. A one-line text stays on its line. A
// wrapping text breaks between words; when one of its words is wider than
// the box (a long code, a date in a narrow column) the text breaks wherever
// a line is full instead, so that no wrapping text reaches past the side of
// its box and is cut there.
namespace TextFit {

// The Qt text flags of `text` in a box `width` twips wide.
int flags(const QFontMetricsF &metrics, const QString &text, double width, TextAlign alignment, bool wordWrap);

// Whether a one-line text is wider than its box: drawn whole, it reaches
// past the side of the box (the painter never cuts it there).
bool widerThanBox(const QFontMetricsF &metrics, const QString &text, double width, bool wordWrap);

// Whether a wrapping text needs more lines than its box holds: its last
// lines are cut at the bottom of the box.
bool tallerThanBox(const QFontMetricsF &metrics, const QString &text, const QSizeF &box, TextAlign alignment,
                   bool wordWrap);

} // namespace TextFit

} // namespace platform::report

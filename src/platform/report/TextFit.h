#pragma once

#include "platform/report/ReportEnums.h"

#include <QFont>
#include <QString>

class QFontMetricsF;
class QSizeF;

namespace platform::report {

// How a text is set in its box, the same in the run that measures it and
// in the painter that draws it. A one-line text stays on its line. A
// wrapping text breaks between words; when one of its words is wider than
// the box (a long code, a date in a narrow column) the text breaks wherever
// a line is full instead, so that no wrapping text reaches past the side of
// its box. A text that still does not fit its box (a number wider than its
// column, more lines than a box of fixed height holds) is set smaller until
// it does: it is never cut.
namespace TextFit {

// The Qt text flags of `text` in a box `width` twips wide.
int flags(const QFontMetricsF &metrics, const QString &text, double width, TextAlign alignment, bool wordWrap);
// The same, once it is known whether a word of the text is wider than the box.
int flags(TextAlign alignment, bool wordWrap, bool wordWiderThanBox);

// Whether the text fits its box in the font of `metrics`: a one-line text
// no wider than the box, a wrapping text whose lines the box holds (a single
// line always counts as held, though its font be a little taller).
bool fits(const QFontMetricsF &metrics, const QString &text, const QSizeF &box, TextAlign alignment, bool wordWrap);

// The height of a text set with `flags` in a box `width` twips wide.
double laidOutHeight(const QFontMetricsF &metrics, const QString &text, double width, int flags);
// Whether the lines of a wrapping text, `height` twips tall, count as held by
// a box `boxHeight` tall.
bool linesFit(const QFontMetricsF &metrics, double height, double boxHeight);

// The font made as much smaller as the text needs to fit its box; the font
// itself when the text fits.
QFont fitted(const QFont &font, const QString &text, const QSizeF &box, TextAlign alignment, bool wordWrap);

} // namespace TextFit

} // namespace platform::report

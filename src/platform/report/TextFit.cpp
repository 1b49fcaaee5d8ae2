#include "platform/report/TextFit.h"

#include <QFontMetricsF>
#include <QRectF>
#include <QSizeF>

namespace platform::report::TextFit {

namespace {

// A little room for the rounding of advances.
constexpr double Tolerance = 0.5;

bool hasWordWiderThan(const QFontMetricsF &metrics, const QString &text, double width)
{
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        while (start < size && text.at(start).isSpace())
            ++start;
        qsizetype end = start;
        while (end < size && !text.at(end).isSpace())
            ++end;
        if (end > start && metrics.horizontalAdvance(text.mid(start, end - start)) > width + Tolerance)
            return true;
        start = end;
    }
    return false;
}

} // namespace

int flags(const QFontMetricsF &metrics, const QString &text, double width, TextAlign alignment, bool wordWrap)
{
    int flags = Qt::AlignTop;
    switch (alignment) {
    case TextAlign::Left: flags |= Qt::AlignLeft; break;
    case TextAlign::Center: flags |= Qt::AlignHCenter; break;
    case TextAlign::Right: flags |= Qt::AlignRight; break;
    }
    if (!wordWrap)
        return flags | Qt::TextSingleLine;
    return flags | (hasWordWiderThan(metrics, text, width) ? Qt::TextWrapAnywhere : Qt::TextWordWrap);
}

bool widerThanBox(const QFontMetricsF &metrics, const QString &text, double width, bool wordWrap)
{
    if (wordWrap || text.isEmpty())
        return false;
    // A line break in a one-line text is set as a blank.
    return metrics.horizontalAdvance(QString(text).replace(u'\n', u' ')) > width + Tolerance;
}

bool tallerThanBox(const QFontMetricsF &metrics, const QString &text, const QSizeF &box, TextAlign alignment,
                   bool wordWrap)
{
    if (!wordWrap || text.isEmpty())
        return false;
    const int f = flags(metrics, text, box.width(), alignment, wordWrap);
    return metrics.boundingRect(QRectF(0, 0, box.width(), 1e7), f, text).height() > box.height() + Tolerance;
}

} // namespace platform::report::TextFit

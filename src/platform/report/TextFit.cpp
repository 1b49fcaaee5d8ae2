#include "platform/report/TextFit.h"

#include <QFontMetricsF>
#include <QRectF>
#include <QSizeF>

#include <cmath>

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
    return flags(alignment, wordWrap, wordWrap && hasWordWiderThan(metrics, text, width));
}

int flags(TextAlign alignment, bool wordWrap, bool wordWiderThanBox)
{
    int flags = Qt::AlignTop;
    switch (alignment) {
    case TextAlign::Left: flags |= Qt::AlignLeft; break;
    case TextAlign::Center: flags |= Qt::AlignHCenter; break;
    case TextAlign::Right: flags |= Qt::AlignRight; break;
    }
    if (!wordWrap)
        return flags | Qt::TextSingleLine;
    return flags | (wordWiderThanBox ? Qt::TextWrapAnywhere : Qt::TextWordWrap);
}

bool fits(const QFontMetricsF &metrics, const QString &text, const QSizeF &box, TextAlign alignment, bool wordWrap)
{
    if (text.isEmpty())
        return true;
    if (!wordWrap) {
        // A line break in a one-line text is set as a blank.
        return metrics.horizontalAdvance(QString(text).replace(u'\n', u' ')) <= box.width() + Tolerance;
    }
    // A text without line breaks whose advances fit the width takes one line.
    if (!text.contains(u'\n') && metrics.horizontalAdvance(text) * 1.01 + 1 < box.width())
        return true;
    return linesFit(metrics,
                    laidOutHeight(metrics, text, box.width(), flags(metrics, text, box.width(), alignment, wordWrap)),
                    box.height());
}

double laidOutHeight(const QFontMetricsF &metrics, const QString &text, double width, int flags)
{
    return metrics.boundingRect(QRectF(0, 0, width, 1e7), flags, text).height();
}

bool linesFit(const QFontMetricsF &metrics, double height, double boxHeight)
{
    return height <= boxHeight + Tolerance || height < metrics.height() * 1.5;
}

QFont fitted(const QFont &font, const QString &text, const QSizeF &box, TextAlign alignment, bool wordWrap)
{
    if (fits(QFontMetricsF(font), text, box, alignment, wordWrap))
        return font;
    // The largest whole pixel size (a twentieth of a point) at which it fits.
    int fitting = 1;
    int tooLarge = std::max(2, font.pixelSize());
    while (tooLarge - fitting > 1) {
        const int size = (fitting + tooLarge) / 2;
        QFont smaller = font;
        smaller.setPixelSize(size);
        if (fits(QFontMetricsF(smaller), text, box, alignment, wordWrap))
            fitting = size;
        else
            tooLarge = size;
    }
    QFont smaller = font;
    smaller.setPixelSize(fitting);
    return smaller;
}

} // namespace platform::report::TextFit

#include "platform/report/FontMeasure.h"

#include "platform/report/TextFit.h"

#include <QRectF>
#include <QSizeF>

namespace platform::report {

namespace {

// Remembered layouts at most; beyond, the memory starts again.
constexpr qsizetype MaxLaidOut = 50000;

} // namespace

FontMeasure::FontMeasure(const QFont &font) : m_metrics(font)
{
    for (char16_t ch = 0; ch < m_advances.size(); ++ch)
        m_advances[ch] = ch < 0x20 || (ch >= 0x7f && ch < 0xa0) ? -1 : m_metrics.horizontalAdvance(QChar(ch));
    m_lineHeight = m_metrics
                       .boundingRect(QRectF(0, 0, 1e7, 1e7), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                                     QStringLiteral("M"))
                       .height();
}

double FontMeasure::latinAdvance(QStringView text) const
{
    double advance = 0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= m_advances.size() || m_advances[u] < 0)
            return -1;
        advance += m_advances[u];
    }
    return advance;
}

bool FontMeasure::clearlyNarrower(QStringView text, double width) const
{
    // The margin covers the rounding of advances: a text this much narrower
    // than the width is narrower however its advances add up.
    const double advance = latinAdvance(text);
    return advance >= 0 && advance * 1.0201 + 2.01 < width;
}

bool FontMeasure::fits(const QString &text, const QSizeF &box, TextAlign alignment, bool wordWrap) const
{
    if (clearlyNarrower(text, box.width()))
        return true;
    return TextFit::fits(m_metrics, text, box, alignment, wordWrap);
}

int FontMeasure::flags(const QString &text, double width, TextAlign alignment, bool wordWrap) const
{
    // No word is wider than a whole text narrower than the box.
    if (wordWrap && clearlyNarrower(text, width))
        return TextFit::flags(alignment, wordWrap, false);
    return TextFit::flags(m_metrics, text, width, alignment, wordWrap);
}

double FontMeasure::height(const QString &text, double width, TextAlign alignment, bool wordWrap) const
{
    const double advance = latinAdvance(text);
    // The margin covers rounding; a text near the width is laid out.
    if (advance >= 0 && (!wordWrap || advance * 1.01 + 1 < width))
        return m_lineHeight;
    const int textFlags = flags(text, width, alignment, wordWrap);
    Key key{text, width, textFlags};
    if (const auto it = m_laidOut.constFind(key); it != m_laidOut.constEnd())
        return it.value();
    const double needed = m_metrics.boundingRect(QRectF(0, 0, width, 1e7), textFlags, text).height();
    if (m_laidOut.size() >= MaxLaidOut)
        m_laidOut.clear();
    m_laidOut.insert(std::move(key), needed);
    return needed;
}

} // namespace platform::report

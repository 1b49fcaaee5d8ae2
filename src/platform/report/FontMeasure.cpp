#include "platform/report/FontMeasure.h"

#include "platform/report/TextFit.h"

#include <QRectF>
#include <QSizeF>

namespace platform::report {

namespace {

// Remembered answers at most; beyond, the memory starts again.
constexpr qsizetype MaxRemembered = 50000;

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

template <typename Measure>
double FontMeasure::remembered(Key &&key, Measure measure) const
{
    if (const auto it = m_remembered.constFind(key); it != m_remembered.constEnd())
        return it.value();
    const double answer = measure();
    if (m_remembered.size() >= MaxRemembered)
        m_remembered.clear();
    m_remembered.insert(std::move(key), answer);
    return answer;
}

bool FontMeasure::fits(const QString &text, const QSizeF &box, TextAlign alignment, bool wordWrap) const
{
    if (clearlyNarrower(text, box.width()))
        return true;
    // A wrapping text whose lines the box holds fits; the run has laid most
    // of them out already to learn their height.
    if (wordWrap && TextFit::linesFit(m_metrics, laidOutHeight(text, box.width(), alignment, wordWrap), box.height()))
        return true;
    return remembered(Key{text, box.width(), box.height(), alignment, wordWrap, Answer::Fits}, [&] {
               return TextFit::fits(m_metrics, text, box, alignment, wordWrap) ? 1.0 : 0.0;
           }) != 0;
}

int FontMeasure::flags(const QString &text, double width, TextAlign alignment, bool wordWrap) const
{
    // No word is wider than a whole text narrower than the box.
    if (!wordWrap || clearlyNarrower(text, width))
        return TextFit::flags(alignment, wordWrap, false);
    return static_cast<int>(remembered(Key{text, width, 0, alignment, wordWrap, Answer::Flags}, [&] {
        return static_cast<double>(TextFit::flags(m_metrics, text, width, alignment, wordWrap));
    }));
}

double FontMeasure::height(const QString &text, double width, TextAlign alignment, bool wordWrap) const
{
    const double advance = latinAdvance(text);
    // The margin covers rounding; a text near the width is laid out.
    if (advance >= 0 && (!wordWrap || advance * 1.01 + 1 < width))
        return m_lineHeight;
    return laidOutHeight(text, width, alignment, wordWrap);
}

double FontMeasure::laidOutHeight(const QString &text, double width, TextAlign alignment, bool wordWrap) const
{
    return remembered(Key{text, width, 0, alignment, wordWrap, Answer::Height}, [&] {
        return TextFit::laidOutHeight(m_metrics, text, width, flags(text, width, alignment, wordWrap));
    });
}

} // namespace platform::report

#pragma once

#include "platform/report/ReportEnums.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <array>

class QSizeF;

namespace platform::report {

// The measures of one report font, answering what TextFit answers, and
// faster. Most texts of a report are short and plainly fit their box, and
// laying them out to learn so is the slowest part of a run and of drawing a
// page: a text of plain Latin-1 characters (report fonts are set without
// kerning or shaping) is as wide as the sum of its characters' advances, so
// a text whose sum clearly fits its width takes one line and needs no
// layout. Texts near the edge of their box are measured exactly, so every
// answer is the one TextFit gives.
class FontMeasure
{
public:
    explicit FontMeasure(const QFont &font);
    FontMeasure(const FontMeasure &) = delete;
    FontMeasure &operator=(const FontMeasure &) = delete;

    const QFontMetricsF &metrics() const { return m_metrics; }

    // The summed advances of the text's characters; -1 when it holds a
    // character outside printable Latin-1 (a line break, a euro sign).
    double latinAdvance(QStringView text) const;

    // TextFit::fits and TextFit::flags in this font.
    bool fits(const QString &text, const QSizeF &box, TextAlign alignment, bool wordWrap) const;
    int flags(const QString &text, double width, TextAlign alignment, bool wordWrap) const;

    // The height the text needs in the width, set as the painter sets it
    // (TextFit), as QFontMetricsF::boundingRect answers it.
    double height(const QString &text, double width, TextAlign alignment, bool wordWrap) const;

    // Texts that have to be measured exactly are remembered, since a report
    // prints the same ones (an article's description) many times.

private:
    // Whether the text is certainly narrower than the width, with room for
    // the rounding of advances to spare.
    bool clearlyNarrower(QStringView text, double width) const;
    // The height of the text laid out in the width, remembered.
    double laidOutHeight(const QString &text, double width, TextAlign alignment, bool wordWrap) const;

    // What is remembered of a text in a box.
    enum class Answer : std::uint8_t { Fits, Flags, Height };
    struct Key {
        QString text;
        double width = 0;
        double height = 0; // the box's, for Fits
        TextAlign alignment = TextAlign::Left;
        bool wordWrap = false;
        Answer answer = Answer::Fits;
        bool operator==(const Key &) const = default;
    };
    friend size_t qHash(const Key &key, size_t seed)
    {
        return qHashMulti(seed, key.text, key.width, key.height, static_cast<int>(key.alignment), key.wordWrap,
                          static_cast<int>(key.answer));
    }
    // The remembered answer for the key, or `measure`'s, remembered.
    template <typename Measure>
    double remembered(Key &&key, Measure measure) const;

    QFontMetricsF m_metrics;
    std::array<double, 256> m_advances{}; // -1: a control character
    double m_lineHeight = 0;
    mutable QHash<Key, double> m_remembered;
};

} // namespace platform::report

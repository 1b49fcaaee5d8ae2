#pragma once

#include "platform/report/ReportEnums.h"

#include <QRectF>
#include <QString>

#include <memory>
#include <vector>

class QPainter;

namespace platform::report {

// A barcode encoded by zint: its bars as rectangles in the symbol's own
// units, ready to be stretched over a control's box, and its human-readable
// text. A barcode always carries exactly its data: data the symbology
// cannot carry as it is (characters outside printable ASCII, an EAN code
// that is not all its digits with the right check digit, an odd
// Interleaved 2 of 5 code, small letters in Code 39) makes no symbol, and
// the control prints the data as text in the barcode's place.
class BarcodeSymbol
{
public:
    static std::shared_ptr<const BarcodeSymbol> encode(BarcodeStyle style, const QString &data);

    bool isValid() const { return m_error.isEmpty(); }
    // zint's reason when the data does not fit the symbology.
    const QString &error() const { return m_error; }
    // The text to print with the bars (as zint spaces it); the data itself
    // when the symbol could not be made.
    const QString &humanText() const { return m_humanText; }
    double width() const { return m_width; }
    double height() const { return m_height; }
    const std::vector<QRectF> &bars() const { return m_bars; }

    // Fills the bars, stretched to cover the box.
    void paintBars(QPainter &painter, const QRectF &box) const;

private:
    QString m_error;
    QString m_humanText;
    double m_width = 0;
    double m_height = 0;
    std::vector<QRectF> m_bars;
};

} // namespace platform::report

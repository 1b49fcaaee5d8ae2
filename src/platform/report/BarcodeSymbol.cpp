#include "platform/report/BarcodeSymbol.h"

#include <QPainter>

#include <zint.h>

#include <algorithm>
#include <cstring>

namespace platform::report {

namespace {

int zintSymbology(BarcodeStyle style)
{
    switch (style) {
    case BarcodeStyle::Ansi39:
    case BarcodeStyle::Code39:
        return BARCODE_CODE39;
    case BarcodeStyle::Ansi39X:
    case BarcodeStyle::Code39X:
        return BARCODE_EXCODE39;
    case BarcodeStyle::Interleaved2of5:
        return BARCODE_C25INTER;
    case BarcodeStyle::Code128A:
    case BarcodeStyle::Code128B:
        return BARCODE_CODE128B;
    case BarcodeStyle::Code93:
    case BarcodeStyle::Code93X:
        return BARCODE_CODE93;
    case BarcodeStyle::Codabar:
        return BARCODE_CODABAR;
    case BarcodeStyle::Ean8:
    case BarcodeStyle::Ean13:
        // The whole code with its check digit, which zint verifies.
        return BARCODE_EANX_CHK;
    case BarcodeStyle::Code128Auto:
    case BarcodeStyle::None:
        break;
    }
    return BARCODE_CODE128;
}

bool isDigits(const QByteArray &data)
{
    return std::all_of(data.begin(), data.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Why the symbology cannot carry exactly these characters, where zint would
// quietly make a barcode of something else instead (pad a short EAN code
// with zeros, put a 0 before an odd Interleaved 2 of 5 code, upper-case a
// Code 39 code, make an EAN-8 of an EAN-13 code of eight digits); empty
// when it can.
QString refusal(BarcodeStyle style, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 32 || c.unicode() >= 127)
            return QStringLiteral("The data holds characters a barcode cannot carry");
    }
    const QByteArray data = text.toLatin1();
    switch (style) {
    case BarcodeStyle::Ean13:
        return data.size() == 13 && isDigits(data) ? QString() : QStringLiteral("EAN-13 takes 13 digits");
    case BarcodeStyle::Ean8:
        return data.size() == 8 && isDigits(data) ? QString() : QStringLiteral("EAN-8 takes 8 digits");
    case BarcodeStyle::Interleaved2of5:
        return data.size() % 2 == 0 && isDigits(data) ? QString()
                                                      : QStringLiteral("Interleaved 2 of 5 takes an even number of digits");
    case BarcodeStyle::Ansi39:
    case BarcodeStyle::Code39:
        return data.toUpper() == data ? QString() : QStringLiteral("Code 39 takes no small letters");
    default:
        return QString();
    }
}

// Frees the zint symbol however the encoding ends.
struct ZintSymbol {
    zint_symbol *p = ZBarcode_Create();
    ~ZintSymbol() { ZBarcode_Delete(p); }
};

} // namespace

std::shared_ptr<const BarcodeSymbol> BarcodeSymbol::encode(BarcodeStyle style, const QString &data)
{
    auto result = std::make_shared<BarcodeSymbol>();
    result->m_humanText = data;
    if (data.isEmpty()) {
        result->m_error = QStringLiteral("No data to encode");
        return result;
    }
    result->m_error = refusal(style, data);
    if (!result->m_error.isEmpty())
        return result;
    QByteArray bytes = data.toLatin1();
    if (style == BarcodeStyle::Codabar) {
        // Codabar needs start and stop characters; A is the usual pair.
        const auto isStartStop = [](char c) { return (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd'); };
        if (!(bytes.size() >= 2 && isStartStop(bytes.front()) && isStartStop(bytes.back())))
            bytes = 'A' + bytes + 'A';
    }

    ZintSymbol symbol;
    if (!symbol.p) {
        result->m_error = QStringLiteral("Out of memory");
        return result;
    }
    symbol.p->symbology = zintSymbology(style);
    symbol.p->input_mode = DATA_MODE;
    symbol.p->show_hrt = 0;
    int rc = ZBarcode_Encode(symbol.p, reinterpret_cast<const unsigned char *>(bytes.constData()),
                             static_cast<int>(bytes.size()));
    if (rc < ZINT_ERROR)
        rc = ZBarcode_Buffer_Vector(symbol.p, 0);
    if (rc >= ZINT_ERROR || !symbol.p->vector) {
        result->m_error = QString::fromLatin1(symbol.p->errtxt);
        if (result->m_error.isEmpty())
            result->m_error = QStringLiteral("The data cannot be encoded");
        return result;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(symbol.p->text));
    if (!text.isEmpty())
        result->m_humanText = text;
    result->m_width = symbol.p->vector->width;
    result->m_height = symbol.p->vector->height;
    for (const zint_vector_rect *r = symbol.p->vector->rectangles; r; r = r->next)
        result->m_bars.emplace_back(r->x, r->y, r->width, r->height);
    if (result->m_bars.empty() || result->m_width <= 0 || result->m_height <= 0)
        result->m_error = QStringLiteral("The data cannot be encoded");
    return result;
}

void BarcodeSymbol::paintBars(QPainter &painter, const QRectF &box) const
{
    if (!isValid() || box.width() <= 0 || box.height() <= 0)
        return;
    const double sx = box.width() / m_width;
    const double sy = box.height() / m_height;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const QRectF &bar : m_bars)
        painter.drawRect(QRectF(box.left() + bar.x() * sx, box.top() + bar.y() * sy, bar.width() * sx,
                                bar.height() * sy));
    painter.restore();
}

} // namespace platform::report

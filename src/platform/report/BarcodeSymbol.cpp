#include "platform/report/BarcodeSymbol.h"

#include <QPainter>

#include <zint.h>

#include <cstring>

namespace platform::report {

namespace {

int zintSymbology(BarcodeStyle style, const QByteArray &data)
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
        // A full code with its check digit is verified, a shorter one gets
        // its check digit from zint.
        return data.size() == 8 || data.size() == 13 ? BARCODE_EANX_CHK : BARCODE_EANX;
    case BarcodeStyle::Code128Auto:
    case BarcodeStyle::None:
        break;
    }
    return BARCODE_CODE128;
}

QByteArray asciiOnly(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const ushort u = c.unicode();
        out.append(u >= 32 && u < 127 ? static_cast<char>(u) : '?');
    }
    return out;
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
    QByteArray bytes = asciiOnly(data);
    result->m_humanText = QString::fromLatin1(bytes);
    if (bytes.isEmpty()) {
        result->m_error = QStringLiteral("No data to encode");
        return result;
    }
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
    symbol.p->symbology = zintSymbology(style, bytes);
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

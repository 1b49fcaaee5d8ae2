#include "platform/report/ReportPainter.h"

#include "platform/report/BarcodeSymbol.h"
#include "platform/report/FontMeasure.h"
#include "platform/report/ReportControl.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/TextFit.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace platform::report {

namespace {

// Texts set smaller to fit their box, since the program started.
std::atomic<int> setSmaller{0};

QPen linePen(const RenderedItem &item)
{
    QPen pen(QColor::fromRgba(item.color));
    pen.setWidthF(std::max(1.0, item.lineWidth));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

} // namespace

void ReportPainter::paintPage(QPainter &painter, const ReportDocument &doc, int page, const QRectF &visible)
{
    if (page < 0 || page >= doc.pageCount())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    int font = -1;
    for (const RenderedItem &item : doc.page(page).items) {
        if (!visible.isNull() && !item.rect.normalized().adjusted(-30, -30, 30, 30).intersects(visible))
            continue;
        paintItem(painter, doc, item, font);
    }
    painter.restore();
}

void ReportPainter::paintItem(QPainter &painter, const ReportDocument &doc, const RenderedItem &item, int &font)
{
    // The painter is given a font only when it changes: a font set anew
    // makes it look the font's engine up again for the next text.
    const auto useFont = [&](int index) {
        if (font != index) {
            painter.setFont(doc.qfont(index));
            font = index;
        }
    };
    const auto useFitted = [&](const QFont &fitted) {
        painter.setFont(fitted);
        font = -1;
    };
    const QRectF &r = item.rect;
    if (qAlpha(item.backColor) != 0 && item.kind != RenderedItem::Kind::Line)
        painter.fillRect(r, QColor::fromRgba(item.backColor));

    switch (item.kind) {
    case RenderedItem::Kind::Text: {
        if (item.text.isEmpty() || item.font < 0)
            return;
        // A text that does not fit its box (a number wider than its column)
        // is set smaller, and counted: cut at the box it would show another
        // number, drawn past it it would run into its neighbours.
        const FontMeasure &measure = doc.measure(item.font);
        int flags = 0;
        if (measure.fits(item.text, r.size(), item.alignment, item.wordWrap)) {
            useFont(item.font);
            flags = measure.flags(item.text, r.width(), item.alignment, item.wordWrap);
        } else {
            const QFont smaller =
                TextFit::fitted(doc.qfont(item.font), item.text, r.size(), item.alignment, item.wordWrap);
            ++setSmaller;
            useFitted(smaller);
            flags = TextFit::flags(QFontMetricsF(smaller), item.text, r.width(), item.alignment, item.wordWrap);
        }
        painter.setPen(QColor::fromRgba(item.color));
        painter.drawText(r, flags, item.text);
        return;
    }
    case RenderedItem::Kind::Line:
        painter.setPen(linePen(item));
        painter.drawLine(r.topLeft(), r.bottomRight());
        return;
    case RenderedItem::Kind::Shape: {
        painter.setPen(linePen(item));
        painter.setBrush(Qt::NoBrush);
        const double inset = std::max(1.0, item.lineWidth) / 2;
        const QRectF box = r.adjusted(inset, inset, -inset, -inset);
        switch (item.shape) {
        case ShapeStyle::Rectangle: painter.drawRect(box); break;
        case ShapeStyle::RoundRect: painter.drawRoundedRect(box, item.cornerRadius, item.cornerRadius); break;
        case ShapeStyle::Ellipse: painter.drawEllipse(box); break;
        }
        return;
    }
    case RenderedItem::Kind::CheckBox: {
        // A square of about one text line, vertically centred, with the
        // caption after it.
        const double side = std::min(r.height(), 195.0);
        const QRectF box(r.left(), r.top() + (r.height() - side) / 2, side, side);
        QPen pen(QColor::fromRgba(item.color));
        pen.setWidthF(15);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(7.5, 7.5, -7.5, -7.5));
        if (item.checked) {
            pen.setWidthF(25);
            painter.setPen(pen);
            const QRectF in = box.adjusted(side * 0.2, side * 0.2, -side * 0.2, -side * 0.2);
            painter.drawLine(in.topLeft(), in.bottomRight());
            painter.drawLine(in.topRight(), in.bottomLeft());
        }
        if (!item.text.isEmpty() && item.font >= 0) {
            useFont(item.font);
            painter.drawText(QRectF(box.right() + 60, r.top(), std::max(0.0, r.right() - box.right() - 60), r.height()),
                             Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, item.text);
        }
        return;
    }
    case RenderedItem::Kind::Picture: {
        if (!item.image)
            return;
        const QImage &image = *item.image;
        // Pictures are taken at 96 dots per inch (15 twips a pixel).
        QSizeF natural(image.width() * 15.0, image.height() * 15.0);
        QRectF target = r;
        QRectF source(QPointF(0, 0), QSizeF(image.size()));
        switch (item.sizeMode) {
        case PictureSizeMode::Stretch:
            break;
        case PictureSizeMode::Zoom: {
            const QSizeF fitted = natural.scaled(r.size(), Qt::KeepAspectRatio);
            target = QRectF(r.left() + (r.width() - fitted.width()) / 2, r.top() + (r.height() - fitted.height()) / 2,
                            fitted.width(), fitted.height());
            break;
        }
        case PictureSizeMode::Clip: {
            const double w = std::min(natural.width(), r.width());
            const double h = std::min(natural.height(), r.height());
            target = QRectF(r.topLeft(), QSizeF(w, h));
            source = QRectF(0, 0, w / 15.0, h / 15.0);
            break;
        }
        }
        painter.drawImage(target, image, source);
        return;
    }
    case RenderedItem::Kind::Barcode: {
        const bool valid = item.barcode && item.barcode->isValid();
        const QRectF textBox = barcodeTextBox(doc, item);
        if (!textBox.isNull()) {
            // The data in the barcode's place when it cannot be one, else
            // the caption; whole, set smaller when the box is too narrow.
            if (doc.measure(item.font).fits(item.text, textBox.size(), TextAlign::Center, false)) {
                useFont(item.font);
            } else {
                useFitted(TextFit::fitted(doc.qfont(item.font), item.text, textBox.size(), TextAlign::Center, false));
                ++setSmaller;
            }
            painter.setPen(QColor::fromRgba(item.color));
            painter.drawText(textBox, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, item.text);
        }
        if (!valid)
            return;
        QRectF bars = r;
        if (!textBox.isNull()) {
            if (item.captionPosition == BarcodeCaption::Above)
                bars.setTop(textBox.bottom());
            else
                bars.setBottom(textBox.top());
        }
        item.barcode->paintBars(painter, bars);
        return;
    }
    }
}

QRectF ReportPainter::barcodeTextBox(const ReportDocument &doc, const RenderedItem &item)
{
    if (item.font < 0 || item.text.isEmpty())
        return QRectF();
    const QRectF &r = item.rect;
    if (!item.barcode || !item.barcode->isValid())
        return r;
    if (item.captionPosition == BarcodeCaption::None)
        return QRectF();
    const double height = std::min(r.height() / 2, doc.measure(item.font).metrics().height());
    return item.captionPosition == BarcodeCaption::Above ? QRectF(r.left(), r.top(), r.width(), height)
                                                        : QRectF(r.left(), r.bottom() - height, r.width(), height);
}

int ReportPainter::textsSetSmaller()
{
    return setSmaller;
}

QStringList ReportPainter::textsOutOfBox(const ReportDocument &doc, int page)
{
    QStringList found;
    for (const RenderedItem &item : doc.page(page).items) {
        if (item.text.isEmpty() || item.font < 0)
            continue;
        const QFontMetricsF &metrics = doc.measure(item.font).metrics();
        bool fits = true;
        if (item.kind == RenderedItem::Kind::Text) {
            fits = TextFit::fits(metrics, item.text, item.rect.size(), item.alignment, item.wordWrap);
        } else if (item.kind == RenderedItem::Kind::Barcode) {
            const QRectF box = barcodeTextBox(doc, item);
            fits = box.isNull() || TextFit::fits(metrics, item.text, box.size(), TextAlign::Center, false);
        }
        if (!fits)
            found << item.name + QStringLiteral(": ") + item.text;
    }
    return found;
}

void ReportPainter::paintControl(QPainter &painter, const ReportControl &control,
                                 const std::shared_ptr<const BarcodeSymbol> &barcode)
{
    ReportDocument fonts;
    RenderedItem item = RenderedItem::of(control, 0, 0);
    item.font = fonts.fontIndex(control.font);
    switch (control.kind) {
    case ControlKind::Field: item.text = control.text; break;
    case ControlKind::Barcode:
        item.barcode = barcode;
        item.text = barcode ? barcode->humanText() : control.caption;
        break;
    case ControlKind::CheckBox: item.checked = control.checked; [[fallthrough]];
    default: item.text = control.caption; break;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    int font = -1;
    paintItem(painter, fonts, item, font);
    painter.restore();
}

void ReportPainter::paintPageAt(QPainter &painter, const ReportDocument &doc, int page, double dotsPerInch)
{
    painter.save();
    const double scale = dotsPerInch / 1440.0;
    painter.scale(scale, scale);
    paintPage(painter, doc, page);
    painter.restore();
}

QImage ReportPainter::renderPage(const ReportDocument &doc, int page, double dotsPerInch)
{
    const double scale = dotsPerInch / 1440.0;
    const QSize size(static_cast<int>(std::ceil(doc.paperSize.width() * scale)),
                     static_cast<int>(std::ceil(doc.paperSize.height() * scale)));
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(static_cast<int>(std::lround(dotsPerInch / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dotsPerInch / 0.0254)));
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPageAt(painter, doc, page, dotsPerInch);
    painter.end();
    return image;
}

} // namespace platform::report

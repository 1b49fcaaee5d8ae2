// The pages of a run as a document keeps them, and the measures of a
// report font that the run and the painter share.
#include "ReportTestSupport.h"

#include "platform/report/BarcodeSymbol.h"
#include "platform/report/FontMeasure.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/TextFit.h"

#include <QFontMetricsF>
#include <QRectF>

#include <gtest/gtest.h>

using namespace platform;
using namespace platform::report;

namespace {

RenderedItem textItem(const QString &name, const QString &text, const Variant &value, double left, double top)
{
    RenderedItem item;
    item.name = name;
    item.source = ControlKind::Field;
    item.font = 0;
    item.rect = QRectF(left, top, 1200, 250);
    item.text = text;
    item.value = value;
    item.format = QStringLiteral("#,##0.00");
    return item;
}

// Every property of an item the painter and the exports read.
void expectSame(const RenderedItem &got, const RenderedItem &want, const std::string &what)
{
    SCOPED_TRACE(what);
    EXPECT_EQ(got.kind, want.kind);
    EXPECT_EQ(got.source, want.source);
    EXPECT_EQ(got.alignment, want.alignment);
    EXPECT_EQ(got.wordWrap, want.wordWrap);
    EXPECT_EQ(got.checked, want.checked);
    EXPECT_EQ(got.shape, want.shape);
    EXPECT_EQ(got.sizeMode, want.sizeMode);
    EXPECT_EQ(got.captionPosition, want.captionPosition);
    EXPECT_EQ(got.font, want.font);
    EXPECT_EQ(got.color, want.color);
    EXPECT_EQ(got.backColor, want.backColor);
    EXPECT_EQ(got.rect, want.rect);
    EXPECT_EQ(got.lineWidth, want.lineWidth);
    EXPECT_EQ(got.cornerRadius, want.cornerRadius);
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.value, want.value) << got.value.debugString().toStdString();
    EXPECT_EQ(got.format, want.format);
    EXPECT_EQ(got.image, want.image);
    EXPECT_EQ(got.barcode, want.barcode);
}

FontSpec reportFont(double size, bool bold = false)
{
    FontSpec font;
    font.family = QStringLiteral("DejaVu Sans");
    font.size = size;
    font.bold = bold;
    return font;
}

} // namespace

TEST(ReportDocumentPages, ItemsAndBandsComeBackAsTheRunGaveThemWhateverTheirTextsAndValues)
{
    ReportDocument doc;
    ASSERT_EQ(doc.fontIndex(reportFont(8)), 0);
    doc.addPage();

    // Values of every kind, texts in Latin-1 and beyond it, a text that is
    // not its value and one that is.
    const QList<std::pair<QString, Variant>> cases = {
        {QStringLiteral("1.234,50"), Variant(Currency::fromRaw(12345000))},
        {QStringLiteral("-7"), Variant(std::int16_t(-7))},
        {QStringLiteral("123456789"), Variant(std::int32_t(123456789))},
        {QStringLiteral("0,33"), Variant(1.0f / 3)},
        {QStringLiteral("3,14"), Variant(3.14159265358979)},
        {QStringLiteral("Vero"), Variant(true)},
        {QStringLiteral("14/01/2026 10:30"), Variant(DateTime(2026, 1, 14, 10, 30, 5))},
        {QStringLiteral("01/03/1890"), Variant(DateTime(1890, 3, 1))},
        {QString(), Variant(DateTime())},
        {QStringLiteral("Perché sì"), Variant(QStringLiteral("Perché sì"))},
        {QStringLiteral("Prezzo in €"), Variant(QStringLiteral("Prezzo in €"))},
        {QStringLiteral("codice → nuovo"), Variant(QStringLiteral("altro testo €"))},
        {QStringLiteral("testo"), Variant(QStringLiteral("valore diverso"))},
        {QStringLiteral("byte"), Variant(QByteArray("\x01\x02", 2))},
        {QString(), Variant::null()},
        {QStringLiteral("etichetta"), Variant()},
    };
    std::vector<RenderedItem> added;
    int style = -1;
    for (int i = 0; i < cases.size(); ++i) {
        added.push_back(textItem(QStringLiteral("txtV"), cases[i].first, cases[i].second, 1000, 500 + i * 250.3));
        EXPECT_EQ(doc.addItem(added.back(), style), i);
    }
    // Items of other kinds, a line drawn right to left and upwards.
    RenderedItem line;
    line.kind = RenderedItem::Kind::Line;
    line.source = ControlKind::Line;
    line.name = QStringLiteral("Line1");
    line.rect = QRectF(QPointF(9000, 700), QPointF(500, 650.25));
    line.lineWidth = 30;
    line.color = 0xff336699;
    RenderedItem box;
    box.kind = RenderedItem::Kind::CheckBox;
    box.source = ControlKind::CheckBox;
    box.name = QStringLiteral("chkPredefinito");
    box.font = 0;
    box.checked = true;
    box.rect = QRectF(200, 300, 400, 250);
    box.value = Variant(true);
    RenderedItem picture;
    picture.kind = RenderedItem::Kind::Picture;
    picture.source = ControlKind::Picture;
    picture.name = QStringLiteral("imgLogo");
    picture.sizeMode = PictureSizeMode::Stretch;
    picture.backColor = 0x80ff0000;
    picture.rect = QRectF(100, 100, 900, 600);
    picture.image = std::make_shared<QImage>(4, 4, QImage::Format_RGB32);
    RenderedItem barcode;
    barcode.kind = RenderedItem::Kind::Barcode;
    barcode.source = ControlKind::Barcode;
    barcode.name = QStringLiteral("bcCodice");
    barcode.font = 0;
    barcode.captionPosition = BarcodeCaption::Above;
    barcode.rect = QRectF(3000, 300, 2000, 700);
    barcode.barcode = BarcodeSymbol::encode(BarcodeStyle::Code128Auto, QStringLiteral("A001"));
    barcode.text = barcode.barcode->humanText();
    barcode.value = Variant(QStringLiteral("A001"));
    for (RenderedItem *item : {&line, &box, &picture, &barcode}) {
        int own = -1;
        doc.addItem(*item, own);
        added.push_back(*item);
    }
    RenderedBand band;
    band.kind = SectionKind::GroupHeader;
    band.section = QStringLiteral("GroupHeader1");
    band.groupLevel = 0;
    band.rect = QRectF(567, 480.5, 10772, 7000);
    band.column = 0;
    band.firstItem = 0;
    band.itemCount = static_cast<int>(added.size());
    doc.addBand(band);

    // A later page, whose field gets its text once the pages are counted.
    doc.addPage();
    int pageStyle = -1;
    const RenderedItem pageNumber = textItem(QStringLiteral("p2"), QString(), Variant(), 8000, 16000);
    ASSERT_EQ(doc.addItem(pageNumber, pageStyle), 0);
    RenderedBand footer;
    footer.kind = SectionKind::PageFooter;
    footer.section = QStringLiteral("PageFooter");
    footer.rect = QRectF(567, 16000, 10772, 300);
    footer.itemCount = 1;
    doc.addBand(footer);
    doc.setItemText(1, 0, QStringLiteral("2"), Variant(std::int32_t(2)));

    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(doc.itemCount(0), static_cast<int>(added.size()));
    const RenderedPage first = doc.page(0);
    ASSERT_EQ(first.items.size(), added.size());
    for (size_t i = 0; i < added.size(); ++i)
        expectSame(first.items[i], added[i], "item " + std::to_string(i) + " " + added[i].name.toStdString());
    ASSERT_EQ(first.bands.size(), 1u);
    EXPECT_EQ(first.bands[0].kind, SectionKind::GroupHeader);
    EXPECT_EQ(first.bands[0].section, QStringLiteral("GroupHeader1"));
    EXPECT_EQ(first.bands[0].groupLevel, 0);
    EXPECT_EQ(first.bands[0].rect, band.rect);
    EXPECT_EQ(first.bands[0].firstItem, 0);
    EXPECT_EQ(first.bands[0].itemCount, static_cast<int>(added.size()));

    const RenderedPage second = doc.page(1);
    ASSERT_EQ(second.items.size(), 1u);
    RenderedItem numbered = pageNumber;
    numbered.text = QStringLiteral("2");
    numbered.value = Variant(std::int32_t(2));
    expectSame(second.items[0], numbered, "page number");
    EXPECT_EQ(second.bands[0].kind, SectionKind::PageFooter);
    EXPECT_EQ(second.bands[0].rect, footer.rect);
    EXPECT_EQ(doc.pageText(1), QStringLiteral("2"));
}

TEST(ReportDocumentPages, ItemsOfOneControlKeepWhatTheFormatEventChangedForThemAlone)
{
    ReportDocument doc;
    doc.fontIndex(reportFont(8));
    doc.fontIndex(reportFont(8, true));
    doc.addPage();
    // One control's items: the event colours some red, sets some bold, and
    // one moves to another column; the caller's memory of the shared part
    // goes along from item to item, as in a run.
    int style = -1;
    int other = -1;
    std::vector<RenderedItem> added;
    for (int i = 0; i < 12; ++i) {
        RenderedItem item = textItem(QStringLiteral("txtQ"), QString::number(i), Variant(std::int32_t(i)), 4000, i * 250.0);
        if (i % 3 == 1)
            item.color = 0xffff0000;
        if (i % 4 == 2)
            item.font = 1;
        if (i == 7)
            item.rect.moveLeft(6000);
        if (i == 9) {
            item.alignment = TextAlign::Right;
            item.format = QStringLiteral("0.00");
        }
        doc.addItem(item, style);
        added.push_back(item);
        // A second control between them, with its own memory.
        RenderedItem label = textItem(QStringLiteral("lblUM"), QStringLiteral("PZ"), Variant(), 2000, i * 250.0);
        doc.addItem(label, other);
        added.push_back(label);
    }
    // A stale memory (from another document) is only a hint.
    int stale = 40;
    RenderedItem last = textItem(QStringLiteral("txtQ"), QStringLiteral("12"), Variant(std::int32_t(12)), 4000, 3000);
    doc.addItem(last, stale);
    added.push_back(last);

    const RenderedPage page = doc.page(0);
    ASSERT_EQ(page.items.size(), added.size());
    for (size_t i = 0; i < added.size(); ++i)
        expectSame(page.items[i], added[i], "item " + std::to_string(i));
}

TEST(FontMeasure, AnswersWhatTextFitAnswersForTextsAtEveryWidthAroundThem)
{
    const QStringList texts = {
        QStringLiteral("PZ"),
        QStringLiteral("1.234.567,89"),
        QStringLiteral("Raccordo a basso consumo 4x133"),
        QStringLiteral("Interruttore in confezione 7x137 con due parole"),
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
        QStringLiteral("Prezzo in € al pezzo"),
        QStringLiteral("prima riga\nseconda riga"),
        QStringLiteral("città àèìòù ÀÈ çñ"),
        QString(),
    };
    for (const FontSpec &spec : {reportFont(8), reportFont(10, true), reportFont(14)}) {
        const QFont font = spec.toQFont();
        const FontMeasure measure(font);
        const QFontMetricsF metrics(font);
        const double line = metrics.height();
        for (const QString &text : texts) {
            const double advance = metrics.horizontalAdvance(text);
            // The sum of the characters' advances is the text's width.
            const double summed = measure.latinAdvance(text);
            if (summed >= 0)
                EXPECT_NEAR(summed, advance, 0.01) << text.toStdString();
            // Widths on both sides of the text's own, closest where the
            // answers turn: its advance, and the margins kept for rounding.
            std::vector<double> widths;
            for (const double d : {-60.0, -20.0, -5.0, -2.0, -1.2, -0.6, -0.3, 0.0, 0.3, 0.6, 1.2, 2.0, 5.0, 60.0})
                widths.push_back(advance + d);
            for (const double d : {-0.2, 0.2}) {
                widths.push_back(advance * 1.01 + 1 + d);
                widths.push_back(advance * 1.0201 + 2.01 + d);
            }
            for (const double width : widths) {
                if (width < 1)
                    continue;
                for (const bool wrap : {false, true}) {
                    for (const TextAlign align : {TextAlign::Left, TextAlign::Right}) {
                        const std::string what = text.toStdString() + " width " + std::to_string(width)
                                                 + (wrap ? " wrapping" : " one line");
                        const int flags = TextFit::flags(metrics, text, width, align, wrap);
                        EXPECT_EQ(measure.flags(text, width, align, wrap), flags) << what;
                        for (const double height : {line, 2 * line + 10, 4 * line}) {
                            const QSizeF box(width, height);
                            EXPECT_EQ(measure.fits(text, box, align, wrap), TextFit::fits(metrics, text, box, align, wrap))
                                << what << " height " << height;
                        }
                        // The height of the lines (the run asks it of texts
                        // that are not empty), asked twice: the second answer
                        // is the remembered one.
                        const double needed = metrics.boundingRect(QRectF(0, 0, width, 1e7), flags, text).height();
                        for (int twice = 0; twice < 2 && !text.isEmpty(); ++twice)
                            EXPECT_DOUBLE_EQ(measure.height(text, width, align, wrap), needed) << what;
                    }
                }
            }
        }
    }
}

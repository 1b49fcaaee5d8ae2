// Drawing: barcodes, pictures, and one page against a stored reference.
#include "ReportTestSupport.h"

#include "platform/report/BarcodeSymbol.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPainter.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

using namespace platform;
using namespace platform::report;
using reporttest::makeRecordset;

namespace {

// Pixels darker than mid-grey inside a rectangle of an image.
int darkPixels(const QImage &image, const QRect &area)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    }
    return n;
}

// The height in pixels of the ink inside a rectangle of an image.
int inkHeight(const QImage &image, const QRect &area)
{
    int top = -1;
    int bottom = -1;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (darkPixels(image, QRect(r.left(), y, r.width(), 1)) > 0) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    return top < 0 ? 0 : bottom - top + 1;
}

QRect pixels(const QRectF &twips, double dpi)
{
    const double s = dpi / 1440.0;
    return QRectF(twips.topLeft() * s, twips.size() * s).toAlignedRect();
}

} // namespace

TEST(ReportBarcode, SymbologiesEncodeABoundOneDrawsBarsAndCaptionAndAPictureFillsItsBox)
{
    const auto code128 = BarcodeSymbol::encode(BarcodeStyle::Code128Auto, QStringLiteral("A001"));
    ASSERT_TRUE(code128->isValid()) << code128->error().toStdString();
    EXPECT_GT(code128->bars().size(), 10u);
    EXPECT_EQ(code128->humanText(), QStringLiteral("A001"));
    // EAN-13 checks the check digit given.
    const auto ean = BarcodeSymbol::encode(BarcodeStyle::Ean13, QStringLiteral("4006381333931"));
    ASSERT_TRUE(ean->isValid()) << ean->error().toStdString();
    EXPECT_EQ(ean->humanText(), QStringLiteral("4006381333931"));
    const std::pair<BarcodeStyle, const char *> valid[] = {
        {BarcodeStyle::Ean13, "4006381333931"}, {BarcodeStyle::Ansi39, "A001"},   {BarcodeStyle::Ansi39X, "A001"},
        {BarcodeStyle::Code39, "A001"},         {BarcodeStyle::Code39X, "A001"},  {BarcodeStyle::Code128A, "A001"},
        {BarcodeStyle::Code128B, "A001"},       {BarcodeStyle::Code93, "A001"},   {BarcodeStyle::Code93X, "A001"},
        {BarcodeStyle::Codabar, "1234"},        {BarcodeStyle::Codabar, "B1234B"}, {BarcodeStyle::Interleaved2of5, "1234"},
        {BarcodeStyle::Ean8, "12345670"}};
    for (const auto &[style, data] : valid) {
        const auto s = BarcodeSymbol::encode(style, QString::fromLatin1(data));
        EXPECT_TRUE(s->isValid()) << int(style) << " " << data << " " << s->error().toStdString();
    }
    // No barcode of anything but the data itself: a wrong check digit, a
    // short code zint would pad, eight digits it would make an EAN-8 of, an
    // odd code it would give a leading 0, small letters it would upper-case.
    const std::pair<BarcodeStyle, const char *> refused[] = {
        {BarcodeStyle::Ean13, "4006381333932"}, {BarcodeStyle::Ean13, "400638133393"},
        {BarcodeStyle::Ean13, "12345670"},      {BarcodeStyle::Ean8, "1234567"},
        {BarcodeStyle::Interleaved2of5, "123"}, {BarcodeStyle::Code39, "a001"}};
    for (const auto &[style, data] : refused)
        EXPECT_FALSE(BarcodeSymbol::encode(style, QString::fromLatin1(data))->isValid()) << data;
    EXPECT_FALSE(BarcodeSymbol::encode(BarcodeStyle::Code128Auto, QString())->isValid());
    const auto letters = BarcodeSymbol::encode(BarcodeStyle::Ean13, QStringLiteral("A001"));
    EXPECT_FALSE(letters->isValid());
    EXPECT_FALSE(letters->error().isEmpty());
    EXPECT_TRUE(letters->bars().empty());
    EXPECT_EQ(letters->humanText(), QStringLiteral("A001"));
    // Code 128 carries ASCII only: the accented code stays text.
    const auto accented = BarcodeSymbol::encode(BarcodeStyle::Code128Auto, QStringLiteral("Città"));
    EXPECT_FALSE(accented->isValid());
    EXPECT_EQ(accented->humanText(), QStringLiteral("Città"));

    // A bound barcode draws its bars and caption on the page.
    ReportLayout layout;
    layout.reportHeader().height = 1000;
    const QByteArray red = reporttest::pngBytes(40, 20, Qt::red);
    layout.reportHeader().addPicture(QStringLiteral("imgLogo"), red, 0, 0, 1200, 600).sizeMode = PictureSizeMode::Stretch;
    layout.reportHeader().addPicture(QStringLiteral("imgRotto"), QByteArray("non è un'immagine"), 2000, 0, 600, 600);
    layout.detail().height = 1000;
    ReportControl &bc = layout.detail().addBarcode(QStringLiteral("bcCodice"), BarcodeStyle::Ean13, QStringLiteral("Codice"), 0, 0, 2880, 900);
    bc.font.family = QStringLiteral("DejaVu Sans");
    bc.font.size = 8;
    layout.setRecordset(makeRecordset({{QStringLiteral("Codice"), DataType::adVarWChar, 24}},
                                      {{Variant("4006381333931")}, {Variant("non numerico")}}));
    layout.run();
    const ReportDocument &doc = *layout.document();
    const auto items = reporttest::itemsNamed(doc, QStringLiteral("bcCodice"));
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].second.text, QStringLiteral("4006381333931"));
    const QImage page = ReportPainter::renderPage(doc, 0, 150);
    const QRect first = pixels(items[0].second.rect, 150);
    const QRect second = pixels(items[1].second.rect, 150);
    EXPECT_GT(darkPixels(page, first), first.width() * first.height() / 5);
    // The refused code prints its text only: few dark pixels.
    EXPECT_GT(darkPixels(page, second), 0);
    EXPECT_LT(darkPixels(page, second), second.width() * second.height() / 10);
    // The picture at 96 dpi: 1440 twips of margin = 96 pixels; it fills its
    // box of 80 x 40 pixels and no more.
    const QImage screen = ReportPainter::renderPage(doc, 0, 96);
    EXPECT_EQ(screen.pixelColor(96 + 40, 96 + 20), QColor(Qt::red));
    EXPECT_EQ(screen.pixelColor(96 + 85, 96 + 20), QColor(Qt::white));
}

namespace {

// A small grouped list drawn with the fonts every build machine has.
void buildReferenceLayout(ReportLayout &layout)
{
    // A field or label in DejaVu Sans 9, right-aligned numbers with two decimals.
    const auto styled = [](ReportControl &c, bool bold = false, bool number = false) -> ReportControl & {
        c.font.family = QStringLiteral("DejaVu Sans");
        c.font.size = 9;
        c.font.bold = bold;
        if (number) {
            c.alignment = TextAlign::Right;
            c.outputFormat = QStringLiteral("#,##0.00");
        }
        return c;
    };
    layout.setDocumentName(QStringLiteral("Inventario"));
    layout.reportHeader().height = 800;
    styled(layout.reportHeader().addLabel(QStringLiteral("lblTitolo"), QStringLiteral("Inventario – Località"), 0, 0,
                                          9000, 450), true)
        .font.size = 16;
    layout.reportHeader().addShape(QStringLiteral("Shape1"), ShapeStyle::RoundRect, 6500, 0, 2500, 600);
    layout.pageHeader().height = 400;
    const std::pair<const char *, double> captions[] = {{"Articolo", 0}, {"Descrizione", 1500}, {"Quantità", 5000}, {"Valore", 6500}};
    for (const auto &[caption, left] : captions) {
        ReportControl &c = styled(layout.pageHeader().addLabel(QString::fromUtf8(caption), QString::fromUtf8(caption),
                                                               left, 0, 1400, 280), true);
        if (left >= 5000)
            c.alignment = TextAlign::Right;
    }
    layout.pageHeader().addLine(QStringLiteral("Line1"), 0, 330, 9026, 330).lineWidth = 20;
    ReportSection &gh = layout.addGroup(QStringLiteral("catHead"), QStringLiteral("catFooter"), QStringLiteral("Categoria"));
    gh.height = 350;
    styled(gh.addField(QStringLiteral("txtCategoria"), QStringLiteral("='Categoria: ' & Categoria"), 0, 50, 4500, 280), true);
    styled(reporttest::summary(gh.addField(QStringLiteral("txtVcat"), QStringLiteral("V"), 6500, 50, 1400, 280)), true, true);
    ReportSection &d = layout.detail();
    d.height = 300;
    styled(d.addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 0, 0, 1400, 280));
    styled(d.addField(QStringLiteral("txtDescrizione"), QStringLiteral("Descrizione"), 1500, 0, 3400, 280));
    styled(d.addField(QStringLiteral("txtQ"), QStringLiteral("Q"), 5000, 0, 1400, 280), false, true);
    styled(d.addField(QStringLiteral("txtV"), QStringLiteral("V"), 6500, 0, 1400, 280), false, true);
    d.addCheckBox(QStringLiteral("chkScorta"), QStringLiteral("Sotto"), 8100, 0, 300, 280);
    layout.pageFooter().height = 300;
    styled(layout.pageFooter().addField(QStringLiteral("p1"), QStringLiteral("=PageNumber & ' / ' & PageCount"), 7000, 0,
                                        2000, 280))
        .alignment = TextAlign::Right;
    QList<QList<Variant>> rows;
    const char *categories[] = {"Ferramenta", "Utensili"};
    for (int i = 0; i < 12; ++i) {
        rows.append({Variant(categories[i / 6]), Variant(QStringLiteral("A%1").arg(i, 3, 10, QLatin1Char('0'))),
                     Variant(QStringLiteral("Vite zincata Ø %1 mm – città").arg(i + 3)), Variant(i * 2.5),
                     Variant(Currency::fromRaw(1234567 * (i + 1))), Variant(i % 3 == 0)});
    }
    layout.setRecordset(makeRecordset({{QStringLiteral("Categoria"), DataType::adVarWChar, 20},
                                       {QStringLiteral("Codice"), DataType::adVarWChar, 20},
                                       {QStringLiteral("Descrizione"), DataType::adVarWChar, 50},
                                       {QStringLiteral("Q"), DataType::adDouble},
                                       {QStringLiteral("V"), DataType::adCurrency},
                                       {QStringLiteral("Sotto"), DataType::adBoolean}},
                                      rows));
}

} // namespace

TEST(ReportReferencePicture, FirstPageMatchesTheStoredReference)
{
    ReportLayout layout;
    buildReferenceLayout(layout);
    layout.run();
    const QImage page = ReportPainter::renderPage(*layout.document(), 0, 72).convertToFormat(QImage::Format_RGB32);
    const QString reference = reporttest::sourceFile(QStringLiteral("reference/inventory_page1.png"));
    if (qEnvironmentVariableIsSet("VELMORA_UPDATE_REFERENCE")) {
        QDir().mkpath(QFileInfo(reference).path());
        ASSERT_TRUE(page.save(reference));
    }
    QImage expected(reference);
    ASSERT_FALSE(expected.isNull()) << "missing reference " << reference.toStdString()
                                    << " (run once with VELMORA_UPDATE_REFERENCE=1)";
    expected = expected.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(page.size(), expected.size());
    // Antialiasing may differ by a few levels between builds: count only
    // clear differences, and allow a few of them.
    int differing = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QRgb a = page.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > 48 || std::abs(qGreen(a) - qGreen(b)) > 48 || std::abs(qBlue(a) - qBlue(b)) > 48)
                ++differing;
        }
    }
    EXPECT_LT(differing, page.width() * page.height() / 500) << differing << " pixels differ";
}

// No text is cut at its box: a number or a date stays on one line even in
// a field that wraps, and one too wide for its column is set smaller within
// the box; a code longer than its column breaks over lines within it; the
// lines of a note that a box of fixed height cannot hold are set smaller
// too. The texts set smaller are named beforehand and counted when drawn.
TEST(ReportText, TextsTooLargeForTheirBoxAreSetSmallerWithinItAndLongWordsBreak)
{
    ReportLayout layout;
    layout.reportHeader().height = 300;
    layout.reportHeader().addLabel(QStringLiteral("lblNota"), QStringLiteral("una nota troppo lunga per una riga"), 0, 0,
                                   1000, 280);
    ReportSection &rows = layout.detail();
    rows.height = 300;
    rows.canGrow = true;
    ReportControl &value = rows.addField(QStringLiteral("txtV"), QStringLiteral("V"), 3000, 0, 800, 280);
    value.alignment = TextAlign::Right;
    value.canGrow = true;
    value.outputFormat = QStringLiteral("#,##0.00");
    rows.addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 5000, 0, 1500, 280).canGrow = true;
    rows.addField(QStringLiteral("txtData"), QStringLiteral("Data"), 7000, 0, 700, 280).outputFormat =
        QStringLiteral("dd/mm/yyyy");
    const QString code = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ");
    layout.setRecordset(makeRecordset({{QStringLiteral("V"), DataType::adCurrency},
                                       {QStringLiteral("Codice"), DataType::adVarWChar, 40},
                                       {QStringLiteral("Data"), DataType::adDate}},
                                      {{Variant(Currency::fromRaw(27703946200)), Variant(code), Variant(DateTime(2026, 1, 14))},
                                       {Variant(Currency::fromRaw(10000)), Variant(QStringLiteral("A001")), Variant::null()}}));
    layout.run();
    const ReportDocument &doc = *layout.document();
    EXPECT_EQ(ReportPainter::textsOutOfBox(doc, 0),
              QStringList({QStringLiteral("lblNota: una nota troppo lunga per una riga"),
                           QStringLiteral("txtV: 2.770.394,62"), QStringLiteral("txtData: 14/01/2026")}));

    const int before = ReportPainter::textsSetSmaller();
    const QImage page = ReportPainter::renderPage(doc, 0, 144);
    EXPECT_EQ(ReportPainter::textsSetSmaller() - before, 3);

    // Every digit stands inside the number's box, none beside it, smaller
    // than the digits of the number that fits.
    const auto values = reporttest::itemsNamed(doc, QStringLiteral("txtV"));
    ASSERT_EQ(values.size(), 2);
    const QRectF box = values[0].second.rect;
    EXPECT_EQ(box.height(), 280);
    EXPECT_GT(darkPixels(page, pixels(box, 144)), 40);
    EXPECT_LT(inkHeight(page, pixels(box, 144)) * 5, inkHeight(page, pixels(values[1].second.rect, 144)) * 4);
    EXPECT_EQ(darkPixels(page, pixels(QRectF(box.left() - 400, box.top(), 385, box.height()), 144)), 0);
    // The note's words all stand inside its box, the last one too.
    const auto notes = reporttest::itemsNamed(doc, QStringLiteral("lblNota"));
    ASSERT_EQ(notes.size(), 1);
    const QRectF note = notes[0].second.rect;
    EXPECT_GT(darkPixels(page, pixels(note.adjusted(0, note.height() / 2, 0, 0), 144)), 10);
    EXPECT_EQ(darkPixels(page, pixels(QRectF(note.left(), note.bottom() + 15, note.width(), 280), 144)), 0);
    // The code takes three lines of its column and nothing beyond it.
    const auto codes = reporttest::itemsNamed(doc, QStringLiteral("txtCodice"));
    ASSERT_EQ(codes.size(), 2);
    const QRectF codeBox = codes[0].second.rect;
    EXPECT_GT(codeBox.height(), 2 * 280);
    EXPECT_GT(darkPixels(page, pixels(codeBox, 144)), 100);
    EXPECT_EQ(darkPixels(page, pixels(QRectF(codeBox.right() + 15, codeBox.top(), 400, codeBox.height()), 144)), 0);
}

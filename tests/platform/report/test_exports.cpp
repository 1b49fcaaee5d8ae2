// The files the export filters write, read back: HTML, RTF and Excel
// (unzip), checked for what word processors, spreadsheets and browsers need
// to show them as the report prints. Every row and page of a long list in
// PDF, HTML and RTF is checked with the program's own lists
// (tests/printing/test_list_reports.cpp).
#include "ReportTestSupport.h"

#include "support/TestEnv.h"
#include "platform/report/ExportFile.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/XlsxExport.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <tuple>

using namespace platform;
using namespace platform::report;
using testsupport::DataFixture;
using namespace Qt::StringLiterals;

namespace {

// The columns of the inventory: left edge and width in twips.
struct InventoryColumn {
    const char *caption;
    double left;
    double width;
};
constexpr InventoryColumn InventoryColumns[] = {
    {"Codice", 0, 900},     {"Descrizione", 1000, 2800}, {"Quantità", 3900, 600}, {"Prezzo", 4600, 1000},
    {"Valore", 5700, 1100}, {"Caricato", 6900, 800},     {"Verificato", 7800, 900},
};
// Each column's own width: up to the next column, the last one its own.
constexpr double InventoryWidths[] = {1000, 2900, 700, 1100, 1200, 900, 900};

// An inventory by category like the program's grouped article lists, on
// A4 with 2 cm margins: a rule over the title, captions over a rule, the
// category with its value in the group header, one row per article (a
// long description, a whole quantity, price and value in euro, two dates),
// the quantity under its caption in the group footer, and the grand total.
// The columns end well before the right margin.
void buildInventory(ReportLayout &layout)
{
    const QString currency = u"Currency"_s;
    layout.setDocumentName(u"Inventario"_s);
    layout.page().leftMargin = layout.page().rightMargin = 1134;
    layout.page().topMargin = layout.page().bottomMargin = 1134;
    ReportSection &rh = layout.reportHeader();
    rh.height = 700;
    rh.addLine(u"Line1"_s, 0, 0, layout.printWidth(), 0).lineWidth = 30;
    rh.addLabel(u"lblTitle"_s, u"Inventario per categoria – Località"_s, 0, 150, 8700, 450).font.bold = true;
    ReportSection &ph = layout.pageHeader();
    ph.height = 400;
    for (const InventoryColumn &c : InventoryColumns) {
        const QString caption = QString::fromUtf8(c.caption);
        ph.addLabel(u"lbl"_s + caption, caption, c.left, 0, c.width, 280);
    }
    ph.addLine(u"Line2"_s, 0, 330, 8700, 330);
    ReportSection &gh = layout.addGroup(u"ghCategoria"_s, u"gfCategoria"_s, u"Categoria"_s);
    gh.height = 300;
    gh.addField(u"txtCategoria"_s, u"Categoria"_s, 0, 0, 3700, 280);
    reporttest::summary(gh.addField(u"txtValoreCategoria"_s, u"Valore"_s, 5700, 0, 1100, 280)).outputFormat = currency;
    ReportSection &d = layout.detail();
    d.height = 300;
    d.canGrow = true;
    d.addField(u"txtCodice"_s, u"Codice"_s, 0, 0, 900, 280);
    d.addField(u"txtDescrizione"_s, u"Descrizione"_s, 1000, 0, 2800, 280).canGrow = true;
    d.addField(u"txtQuantita"_s, u"Q"_s, 3900, 0, 600, 280);
    d.addField(u"txtPrezzo"_s, u"Prezzo"_s, 4600, 0, 1000, 280).outputFormat = currency;
    d.addField(u"txtValore"_s, u"Valore"_s, 5700, 0, 1100, 280).outputFormat = currency;
    d.addField(u"txtCaricato"_s, u"Caricato"_s, 6900, 0, 800, 280);
    d.addField(u"txtVerificato"_s, u"Verificato"_s, 7800, 0, 900, 280).outputFormat = u"Short Date"_s;
    ReportSection &gf = layout.groupFooter(0);
    gf.height = 300;
    reporttest::summary(gf.addField(u"txtQuantitaCategoria"_s, u"Q"_s, 3900, 0, 600, 280));
    ReportSection &rf = layout.reportFooter();
    rf.height = 300;
    rf.addLabel(u"lblTotale"_s, u"Totale generale"_s, 1000, 0, 2800, 280);
    reporttest::summary(rf.addField(u"txtTotale"_s, u"Valore"_s, 5700, 0, 1100, 280), SummaryScope::Report)
        .outputFormat = currency;

    // Category, code, description, quantity, price and value in cents,
    // the days of March 2024 it was loaded and checked.
    const auto article = [](const char *category, const char *code, const QString &description, int q,
                            std::int64_t price, int loaded) {
        return QList<Variant>{Variant(category), Variant(code), Variant(description), Variant(std::int32_t(q)),
                              Variant(Currency::fromRaw(price * 100)), Variant(Currency::fromRaw(q * price * 100)),
                              Variant(DateTime(QDate(2024, 3, loaded))), Variant(DateTime(QDate(2024, 3, loaded + 1)))};
    };
    const QString longText = u"Vite zincata a testa svasata per legno duro, confezione da cento pezzi – città"_s;
    layout.setRecordset(reporttest::makeRecordset(
        {{u"Categoria"_s, DataType::adVarWChar, 30}, {u"Codice"_s, DataType::adVarWChar, 10},
         {u"Descrizione"_s, DataType::adVarWChar, 120}, {u"Q"_s, DataType::adInteger},
         {u"Prezzo"_s, DataType::adCurrency}, {u"Valore"_s, DataType::adCurrency},
         {u"Caricato"_s, DataType::adDate}, {u"Verificato"_s, DataType::adDate}},
        {article("Ferramenta", "A001", longText, 3, 512, 1), article("Ferramenta", "A002", u"Dado M3"_s, 10, 20, 4),
         article("Utensili", "B001", u"Martello"_s, 2, 1250, 6)}));
}

class InventoryExport : public ::testing::Test
{
protected:
    void SetUp() override { buildInventory(layout); }

    QString exported(void (ReportLayout::*exporter)(const QString &), const char *name)
    {
        const QString path = dir + u'/' + QLatin1String(name);
        (layout.*exporter)(path);
        return path;
    }

    ReportLayout layout;
    QString dir = testsupport::freshDir(u"inventario"_s);
};

} // namespace

TEST_F(InventoryExport, RtfRowsSpanTheTableAndEachColumnKeepsItsWidthWithTheReportsMarginsInEveryFormat)
{
    const QByteArray rtf = DataFixture::fileBytes(exported(&ReportLayout::exportRtf, "inventario.rtf"));
    const QList<reporttest::RtfRow> rows = reporttest::rtfRows(rtf);
    ASSERT_GT(rows.size(), 8);

    // The boundaries of the table: each column's right edge, from the left
    // margin, each column as wide as its own.
    QList<int> columns;
    double right = 0;
    for (double width : InventoryWidths)
        columns << static_cast<int>(right += width);
    // Every row reaches the table's right edge, on the table's boundaries
    // (a cell spanning columns ends on the boundary of the last of them),
    // and has as many cells as boundaries.
    for (const reporttest::RtfRow &row : rows) {
        ASSERT_FALSE(row.bounds.isEmpty());
        EXPECT_EQ(row.bounds.back(), columns.back()) << row.texts.join(u'|').toStdString();
        for (int bound : row.bounds)
            EXPECT_TRUE(columns.contains(bound)) << bound << " in " << row.texts.join(u'|').toStdString();
        EXPECT_EQ(row.texts.size(), row.bounds.size());
    }
    // Each total ends on the boundary of its caption.
    const auto boundOf = [&](const QString &text) {
        for (const reporttest::RtfRow &row : rows) {
            if (const qsizetype i = row.texts.indexOf(text); i >= 0)
                return row.bounds[i];
        }
        return -1;
    };
    EXPECT_EQ(boundOf(u"Quantità"_s), columns[2]);
    EXPECT_EQ(boundOf(u"13"_s), columns[2]); // the group footer's quantity
    EXPECT_EQ(boundOf(u"Valore"_s), columns[4]);
    EXPECT_EQ(boundOf(QLocale().toCurrencyString(17.36)), columns[4]); // the group header's value
    EXPECT_EQ(boundOf(QLocale().toCurrencyString(42.36)), columns[4]); // the grand total
    EXPECT_EQ(boundOf(u"Totale generale"_s), columns[1]);

    // The rules are cell borders of rows of their own, the first one the
    // first row of the table; no paragraph carries a border.
    EXPECT_TRUE(rows.front().bordered);
    EXPECT_GE(std::count_if(rows.begin(), rows.end(), [](const reporttest::RtfRow &r) { return r.bordered; }), 2);
    const QRegularExpression paragraphBorder(QStringLiteral(R"(\\(brdr[tblr]|box)(?![a-z]))"));
    EXPECT_FALSE(QString::fromLatin1(rtf).contains(paragraphBorder));

    // HTML and Excel keep each column's own width and print on A4 with the report's margins.
    const QString html = QString::fromUtf8(DataFixture::fileBytes(exported(&ReportLayout::exportHtml, "inventario.html")));
    QString colgroup = u"<colgroup>"_s;
    for (double width : InventoryWidths)
        colgroup += u"<col style=\"width:%1px\">"_s.arg(std::lround(width / 15));
    EXPECT_TRUE(html.contains(colgroup + u"</colgroup>"_s)) << html.left(1500).toStdString();
    EXPECT_TRUE(html.contains(u"@page { size: A4; margin: 20mm 20mm 20mm 20mm; }"_s));

    // Excel widths are characters of seven pixels (with a little padding);
    // the sheet prints on A4 with the report's margins, one page wide.
    const QString xlsx = exported(&ReportLayout::exportXlsx, "inventario.xlsx");
    const QString xml = QString::fromUtf8(reporttest::zipEntry(xlsx, u"xl/worksheets/sheet1.xml"_s));
    EXPECT_TRUE(xml.contains(u"<pageSetUpPr fitToPage=\"1\"/>"_s));
    EXPECT_TRUE(xml.contains(u"<pageMargins left=\"0.7875\" right=\"0.7875\" top=\"0.7875\" bottom=\"0.7875\""_s))
        << xml.toStdString();
    EXPECT_TRUE(xml.contains(QRegularExpression(u"<pageSetup paperSize=\"9\" fitToHeight=\"0\""_s)));
    const reporttest::Sheet sheet = reporttest::readSheet(xlsx);
    ASSERT_EQ(sheet.widths.size(), static_cast<qsizetype>(std::size(InventoryWidths)));
    for (size_t c = 0; c < std::size(InventoryWidths); ++c) {
        const double characters = InventoryWidths[c] / 15 / 7;
        EXPECT_GE(sheet.widths[static_cast<qsizetype>(c)], std::max(4.0, characters) - 0.1) << c;
        EXPECT_LE(sheet.widths[static_cast<qsizetype>(c)], std::max(4.0, characters) + 1) << c;
    }
}

TEST_F(InventoryExport, ExcelCellsKeepTheirTypesAndTheEuroSignAndFormatsTranslateTheRunTimeNotation)
{
    const reporttest::Sheet sheet = reporttest::readSheet(exported(&ReportLayout::exportXlsx, "inventario.xlsx"));
    // Title, captions, the category, its two articles, the footer's
    // quantity, the next category, its article and footer, the total.
    const QString first = QString::number(reporttest::rowOf(sheet.find(u"A001"_s)));
    EXPECT_EQ(first, u"4"_s);
    const auto cell = [&](const char *column) { return sheet.cells.value(QLatin1String(column) + first); };
    const auto isNumber = [](const reporttest::SheetCell &c) { return c.type.isEmpty() || c.type == u"n"; };

    // A whole number and a currency value are numbers; the currency format
    // shows the euro sign as the PDF does.
    EXPECT_TRUE(isNumber(cell("C")));
    EXPECT_EQ(cell("C").value, u"3"_s);
    for (const char *column : {"D", "E"}) {
        EXPECT_TRUE(isNumber(cell(column))) << column;
        EXPECT_TRUE(cell(column).format.contains(u"€"_s)) << cell(column).format.toStdString();
    }
    EXPECT_DOUBLE_EQ(cell("D").value.toDouble(), 5.12);
    EXPECT_DOUBLE_EQ(cell("E").value.toDouble(), 15.36);
    // Dates without a format and with a named one are dates.
    EXPECT_TRUE(isNumber(cell("F")));
    EXPECT_DOUBLE_EQ(cell("F").value.toDouble(), 45352); // 1 March 2024
    EXPECT_EQ(cell("F").format, u"dd/mm/yyyy"_s);
    EXPECT_DOUBLE_EQ(cell("G").value.toDouble(), 45353);
    EXPECT_EQ(cell("G").format, u"dd/mm/yyyy"_s);
    // The sums are numbers in their own columns.
    const reporttest::SheetCell groupValue = sheet.cells.value(u"E3"_s);
    EXPECT_TRUE(isNumber(groupValue));
    EXPECT_DOUBLE_EQ(groupValue.value.toDouble(), 17.36);
    EXPECT_EQ(sheet.value(u"C6"_s), u"13"_s);
    EXPECT_DOUBLE_EQ(sheet.value(u"E%1"_s.arg(sheet.rows)).toDouble(), 42.36);
    EXPECT_EQ(sheet.value(u"B%1"_s.arg(sheet.rows)), u"Totale generale"_s);

    // The run-time's format notation in Excel's.
    const std::tuple<const char *, bool, const char *> cases[] = {
        {"", false, ""}, {"", true, "dd/mm/yyyy"}, {"#,##0.00", false, "#,##0.00"}, {"Standard", false, "#,##0.00"},
        {"Currency", false, "#,##0.00 \"€\""}, {"dd/mm/yy hh:nn", true, "dd/mm/yy hh:mm"},
        {"Short Date", true, "dd/mm/yyyy"}, {"ww", true, "dd/mm/yyyy"},
    };
    for (const auto &[format, forDate, expected] : cases)
        EXPECT_EQ(XlsxExport::excelFormat(QString::fromUtf8(format), forDate), QString::fromUtf8(expected)) << format;
    EXPECT_EQ(XlsxExport::excelFormat(QString(), true, true), u"dd/mm/yyyy hh:mm:ss"_s);
}

TEST(ReportExports, ExistingFilesAreReplacedAndUnwritablePlacesAreToldInItalian)
{
    ReportLayout layout;
    buildInventory(layout);
    const QString dir = testsupport::freshDir(u"replace"_s);
    for (const QString &name : {u"a.pdf"_s, u"a.html"_s, u"a.rtf"_s, u"a.xlsx"_s}) {
        QFile old(dir + u'/' + name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("vecchio contenuto");
    }
    layout.exportPdf(dir + u"/a.pdf"_s);
    layout.exportHtml(dir + u"/a.html"_s);
    layout.exportRtf(dir + u"/a.rtf"_s);
    layout.exportXlsx(dir + u"/a.xlsx"_s);
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        EXPECT_FALSE(DataFixture::fileBytes(dir + u'/' + name).startsWith("vecchio")) << name.toStdString();
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 4) << "no partial files left";

    const QString missing = dir + u"/manca/a"_s;
    for (const auto &exporter : {&ReportLayout::exportPdf, &ReportLayout::exportHtml, &ReportLayout::exportRtf,
                                 &ReportLayout::exportXlsx}) {
        const auto error = testsupport::errorOf<ReportError>([&] { (layout.*exporter)(missing); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), ReportError::Kind::ExportFailed);
        EXPECT_EQ(error->number(), 75);
        EXPECT_EQ(error->description(), u"Impossibile scrivere il file '%1': la cartella non esiste."_s.arg(missing));
    }
}

// A full disk in the middle of a file: every format says so in Italian,
// keeps the complete file it was to replace as it was and leaves no partial
// file behind.
TEST(ReportExports, AFullDiskIsToldAndTheOlderFileStaysAsItWas)
{
    ReportLayout layout;
    buildInventory(layout);
    const QString dir = testsupport::freshDir(u"pieno"_s);
    const std::pair<void (ReportLayout::*)(const QString &), const char *> formats[] = {
        {&ReportLayout::exportPdf, "a.pdf"},
        {&ReportLayout::exportHtml, "a.html"},
        {&ReportLayout::exportRtf, "a.rtf"},
        {&ReportLayout::exportXlsx, "a.xlsx"}};
    QStringList written;
    for (const auto &[exporter, name] : formats) {
        const QString path = dir + u'/' + QLatin1String(name);
        (layout.*exporter)(path);
        written << QLatin1String(name);
        written.sort();
        const QByteArray older = DataFixture::fileBytes(path);
        ASSERT_GT(older.size(), 2000) << name;

        std::optional<ReportError> error;
        {
            const reporttest::DiskFull full(older.size() / 2);
            error = testsupport::errorOf<ReportError>([&] { (layout.*exporter)(path); });
        }
        ASSERT_TRUE(error) << name;
        EXPECT_EQ(error->kind(), ReportError::Kind::ExportFailed);
        EXPECT_EQ(error->description(),
                  u"Impossibile scrivere il file '%1': il file supera la dimensione massima consentita."_s.arg(path));
        EXPECT_EQ(DataFixture::fileBytes(path), older) << name;
        EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), written) << name;
    }
}

TEST(ReportExports, AFileWrittenInPiecesOfEverySizeAppearsWholeAndInOrderOnlyWhenCommitted)
{
    const QString dir = testsupport::freshDir(u"pezzi"_s);
    const QString path = dir + u"/pezzi.pdf"_s;
    QByteArray expected;
    {
        ExportFile file(path);
        // Many small pieces, as a PDF writer hands them over, a piece larger
        // than a block between them, and small ones after it.
        for (int i = 0; i < 60000; ++i) {
            const QByteArray piece = QByteArray::number(i) + ' ';
            ASSERT_EQ(file.device().write(piece), piece.size());
            expected += piece;
        }
        const QByteArray large(700 * 1024, 'x');
        ASSERT_EQ(file.device().write(large), large.size());
        expected += large;
        for (int i = 0; i < 10; ++i) {
            ASSERT_EQ(file.device().write("fine", 4), 4);
            expected += "fine";
        }
        EXPECT_FALSE(QFile::exists(path));
        file.commit();
    }
    EXPECT_EQ(DataFixture::fileBytes(path), expected);
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{u"pezzi.pdf"_s});
}

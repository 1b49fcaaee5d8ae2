// Runs on a fixture database through the data layer, and the files the
// export filters write, read back: PDF (pdftotext), HTML, RTF, Excel.
#include "ReportTestSupport.h"

#include "support/TestEnv.h"
#include "platform/data/DatabaseError.h"
#include "platform/report/HtmlExport.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/XlsxExport.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <tuple>

using namespace platform;
using namespace platform::report;
using testsupport::DataFixture;

namespace {

constexpr int Customers = 90;

QString customerName(int i)
{
    return QStringLiteral("Caffè Bianchi %1").arg(i, 3, 10, QLatin1Char('0'));
}

// The sample database with many customers, so that the list takes pages;
// names with "ff" and accents, towns with accents.
QString fixtureDatabase()
{
    const QString path = DataFixture::createSampleDatabase();
    QString sql;
    for (int i = 0; i < Customers; ++i) {
        sql += QStringLiteral("INSERT INTO CliFor (Tipo, Nome, \"Località\", Prov, Telefono) VALUES ('Cliente', '%1', '%2', 'MI', '02-%3');\n")
                   .arg(customerName(i), i % 2 ? QStringLiteral("Città di Castello") : QStringLiteral("Forlì"))
                   .arg(1000 + i);
    }
    DataFixture::runSql(path, sql);
    return path;
}

// A customer list like the program's address books: a title, captions
// over the columns, one line per customer, page n of m at the foot.
void buildCustomerList(ReportLayout &layout, const QString &path)
{
    layout.setDocumentName(QStringLiteral("Stampa Clienti"));
    FontSpec regular;
    regular.family = QStringLiteral("DejaVu Sans");
    regular.size = 9;
    FontSpec bold = regular;
    bold.bold = true;
    ReportSection &rh = layout.reportHeader();
    rh.height = 700;
    ReportControl &title = rh.addLabel(QStringLiteral("lblTitle"), QStringLiteral("Clienti – Località e recapiti"), 0, 0, 9000, 450);
    title.font = bold;
    title.font.size = 14;
    rh.addLine(QStringLiteral("Line5"), 0, 550, 9026, 550);
    ReportSection &ph = layout.pageHeader();
    ph.height = 400;
    const std::pair<const char *, double> captions[] = {{"Nome", 0}, {"Località", 3200}, {"Prov", 6000}, {"Telefono", 6800}};
    for (const auto &[caption, left] : captions)
        ph.addLabel(QStringLiteral("lbl") + QString::fromUtf8(caption), QString::fromUtf8(caption), left, 0, 2000, 280).font = bold;
    ph.addLine(QStringLiteral("Line2"), 0, 330, 9026, 330);
    ReportSection &d = layout.detail();
    d.height = 280;
    d.addField(QStringLiteral("txtNome"), QStringLiteral("Nome"), 0, 0, 3100, 260).font = regular;
    d.addField(QStringLiteral("txtLocalit"), QStringLiteral("[Località]"), 3200, 0, 2700, 260).font = regular;
    d.addField(QStringLiteral("Field1"), QStringLiteral("Prov"), 6000, 0, 700, 260).font = regular;
    d.addField(QStringLiteral("txtTelefono"), QStringLiteral("Telefono"), 6800, 0, 2200, 260).font = regular;
    ReportSection &pf = layout.pageFooter();
    pf.height = 300;
    ReportControl &page = pf.addField(QStringLiteral("txtPagina"), QStringLiteral("='Pagina ' & PageNumber & ' di ' & PageCount"), 6000, 0, 3000, 260);
    page.font = regular;
    page.alignment = TextAlign::Right;
    layout.setConnectionString(DataFixture::connectionString(path));
    layout.setSql(QStringLiteral("SELECT * From CliFor WHERE Tipo='Cliente' ORDER BY Nome"));
}

// A cell of a worksheet as its XML gives it: its type attribute, number
// format (through its style), and value (shared and inline strings resolved).
struct SheetCell {
    QString type;
    QString format;
    QString value;
};

// The cells of the first worksheet by reference ("A1"), and its last row.
struct Sheet {
    QMap<QString, SheetCell> cells;
    int rows = 0;
    QString value(const char *ref) const { return cells.value(QLatin1String(ref)).value; }
};

Sheet readSheet(const QString &xlsx)
{
    const auto name = [](const QXmlStreamReader &xml, const char *n) { return xml.name() == QLatin1String(n); };
    const auto attribute = [](const QXmlStreamReader &xml, const char *n) {
        return xml.attributes().value(QLatin1String(n)).toString();
    };
    QStringList shared;
    QXmlStreamReader strings(reporttest::zipEntry(xlsx, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && name(strings, "si"))
            shared << QString();
        else if (strings.isStartElement() && name(strings, "t"))
            shared.last() += strings.readElementText();
    }
    // The number format codes of the cell styles (cellXfs), by style index.
    QMap<int, QString> codes{{0, QStringLiteral("General")}, {14, QStringLiteral("mm-dd-yy")}};
    QStringList formats;
    QXmlStreamReader styles(reporttest::zipEntry(xlsx, QStringLiteral("xl/styles.xml")));
    bool inXfs = false;
    while (!styles.atEnd()) {
        styles.readNext();
        if (styles.isStartElement() && name(styles, "numFmt"))
            codes.insert(attribute(styles, "numFmtId").toInt(), attribute(styles, "formatCode"));
        else if (name(styles, "cellXfs"))
            inXfs = styles.isStartElement();
        else if (inXfs && styles.isStartElement() && name(styles, "xf"))
            formats << codes.value(attribute(styles, "numFmtId").toInt(), QStringLiteral("?"));
    }
    Sheet sheet;
    QXmlStreamReader xml(reporttest::zipEntry(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    SheetCell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && name(xml, "c")) {
            ref = attribute(xml, "r");
            cell = SheetCell{attribute(xml, "t"), formats.value(attribute(xml, "s").toInt()), QString()};
        } else if (xml.isStartElement() && (name(xml, "v") || name(xml, "t"))) {
            cell.value += xml.readElementText();
        } else if (xml.isEndElement() && name(xml, "c")) {
            if (cell.type == QLatin1String("s"))
                cell.value = shared.value(cell.value.toInt());
            sheet.cells.insert(ref, cell);
            sheet.rows = std::max(sheet.rows, QString(ref).remove(QRegularExpression(QStringLiteral("[A-Z]"))).toInt());
        }
    }
    return sheet;
}

class CustomerListExport : public ::testing::Test
{
protected:
    void SetUp() override { buildCustomerList(layout, fixtureDatabase()); }
    ReportLayout layout;
    QString dir = testsupport::freshDir(QStringLiteral("export"));
};

} // namespace

TEST_F(CustomerListExport, PdfHtmlAndRtfReadBackWithEveryRowAndItsAccents)
{
    layout.exportPdf(dir + QStringLiteral("/clienti.pdf"));
    layout.exportHtml(dir + QStringLiteral("/clienti.html"));
    layout.exportRtf(dir + QStringLiteral("/clienti.rtf"));
    const int pages = layout.document()->pageCount();
    ASSERT_GE(pages, 2);

    const QString pdf = dir + QStringLiteral("/clienti.pdf");
    EXPECT_EQ(reporttest::pdfPageCount(pdf), pages);
    const QString text = reporttest::pdfText(pdf);
    for (const char *caption : {"Nome", "Località", "Prov", "Telefono"})
        EXPECT_GE(text.count(QString::fromUtf8(caption)), pages) << caption;
    for (int i = 0; i < Customers; ++i)
        EXPECT_TRUE(text.contains(QStringLiteral("02-%1").arg(1000 + i)));
    // The sample's own customers, in name order with the others.
    EXPECT_TRUE(text.contains(QStringLiteral("Bianchi Mario")));
    EXPECT_TRUE(text.contains(QStringLiteral("Città di Castello")));
    EXPECT_FALSE(text.contains(QChar(0xFB00))) << "ff came out as a ligature";
    for (int p = 1; p <= pages; ++p)
        EXPECT_TRUE(reporttest::pdfText(pdf, p, p).contains(QStringLiteral("Pagina %1 di %2").arg(p).arg(pages)));
    const QByteArray bytes = reporttest::readFile(pdf);
    EXPECT_TRUE(bytes.contains("/FontFile2") || bytes.contains("/FontFile3"));
    EXPECT_TRUE(bytes.contains("DejaVuSans"));

    // HTML: one file, a table per page and a row per record.
    const QString html = QString::fromUtf8(reporttest::readFile(dir + QStringLiteral("/clienti.html")));
    EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>Stampa Clienti</title>")));
    EXPECT_EQ(html.count(QStringLiteral("<tr class=\"detail\">")), Customers + 2);
    EXPECT_EQ(html.count(QStringLiteral("<table class=\"page\">")), pages);
    // The rules under the title and the captions.
    EXPECT_GE(html.count(QStringLiteral("<tr class=\"rule\">")), 2);

    // RTF: 7-bit, with tables and rules, a page break between pages.
    const QByteArray rtf = reporttest::readFile(dir + QStringLiteral("/clienti.rtf"));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(rtf.contains("\\paperw11906\\paperh16838"));
    EXPECT_TRUE(rtf.contains("\\trowd"));
    EXPECT_TRUE(rtf.contains("\\brdrb"));
    EXPECT_EQ(rtf.count("\\page\\par"), pages - 1);
    for (char c : rtf)
        ASSERT_TRUE(static_cast<unsigned char>(c) < 128) << "RTF must be 7-bit";
    QString rtfText;
    ASSERT_NO_THROW(rtfText = reporttest::rtfPlainText(rtf));
    EXPECT_TRUE(rtfText.contains(QStringLiteral("Forlì\tMI\t02-")));

    // Every customer and the accented title and town in all three; in HTML
    // each as the whole text of its cell.
    for (const auto &[format, content, cell] : {std::tuple{"pdf", text, QStringLiteral("%1")},
                                                std::tuple{"html", html, QStringLiteral(">%1</td>")},
                                                std::tuple{"rtf", rtfText, QStringLiteral("%1")}}) {
        EXPECT_TRUE(content.contains(cell.arg(QStringLiteral("Clienti – Località e recapiti")))) << format;
        EXPECT_TRUE(content.contains(cell.arg(QStringLiteral("Forlì")))) << format;
        for (int i = 0; i < Customers; ++i)
            EXPECT_TRUE(content.contains(cell.arg(customerName(i)))) << format << " " << customerName(i).toStdString();
    }
}

TEST_F(CustomerListExport, DatabaseErrorsReachTheCallerAndLeaveNoPages)
{
    layout.setSql(QStringLiteral("SELECT * FROM TabellaCheNonEsiste"));
    EXPECT_THROW(layout.run(), DatabaseError);
    EXPECT_EQ(layout.document(), nullptr);
    EXPECT_THROW(layout.exportPdf(dir + QStringLiteral("/x.pdf")), DatabaseError);
}

namespace {

// An article list with typed columns: text, date, currency with a number
// format, a double, a check box; a title and page footer for the full
// form.
class ArticleList : public ReportLayout
{
public:
    bool ModoEsportazione = false;

    explicit ArticleList(const QString &path)
    {
        setDocumentName(QStringLiteral("Articoli"));
        reportHeader().height = 500;
        reportHeader().addLabel(QStringLiteral("lblTitle"), QStringLiteral("Articoli"), 0, 0, 5000, 400).font.bold = true;
        pageHeader().height = 350;
        const std::pair<const char *, double> captions[] = {
            {"Data", 0}, {"Codice", 1300}, {"Descrizione", 2600}, {"Prezzo", 5600}, {"Scorta", 7000}, {"Predef.", 8200}};
        for (const auto &[caption, left] : captions)
            pageHeader().addLabel(QStringLiteral("lbl") + QString::fromUtf8(caption), QString::fromUtf8(caption), left, 0, 1200, 260);
        pageHeader().addLine(QStringLiteral("Line2"), 0, 300, 9000, 300);
        detail().height = 280;
        detail().addField(QStringLiteral("txtDataIns"), QStringLiteral("DataIns"), 0, 0, 1200, 260).outputFormat = QStringLiteral("dd/mm/yy");
        detail().addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 1300, 0, 1200, 260);
        detail().addField(QStringLiteral("txtDescrizione"), QStringLiteral("Descrizione"), 2600, 0, 2900, 260);
        ReportControl &price = detail().addField(QStringLiteral("txtPrezzo"), QStringLiteral("Prezzo"), 5600, 0, 1300, 260);
        price.outputFormat = QStringLiteral("###,##0.00");
        price.alignment = TextAlign::Right;
        detail().addField(QStringLiteral("txtScorta"), QStringLiteral("ScortaMinima"), 7000, 0, 1100, 260);
        detail().addCheckBox(QStringLiteral("chkPredefinito"), QStringLiteral("ScortaMinima"), 8200, 0, 300, 260);
        pageFooter().height = 300;
        pageFooter().addField(QStringLiteral("p1"), QStringLiteral("=PageNumber & ' / ' & PageCount"), 8000, 0, 1000, 260);
        reportFooter().height = 300;
        reporttest::summary(reportFooter().addField(QStringLiteral("txtTot"), QStringLiteral("Prezzo"), 5600, 0, 1300, 260),
                            SummaryScope::Report)
            .outputFormat = QStringLiteral("###,##0.00");
        reporttest::hideForExport(*this, ModoEsportazione);
        setConnectionString(DataFixture::connectionString(path));
        setSql(QStringLiteral("SELECT DataIns, Codice, Descrizione, Prezzo, ScortaMinima From Articoli ORDER BY Codice"));
    }

protected:
    void runFinished() override { ModoEsportazione = false; }
};

} // namespace

TEST(ReportExports, ExcelCellsKeepTheirTypesAndFormatsAndExportModeGivesAPlainTable)
{
    ArticleList layout(DataFixture::createSampleDatabase());
    const QString dir = testsupport::freshDir(QStringLiteral("xlsx"));
    layout.exportXlsx(dir + QStringLiteral("/articoli.xlsx"));
    const Sheet sheet = readSheet(dir + QStringLiteral("/articoli.xlsx"));
    // Row 1 the title, row 2 the captions, rows 3-5 the articles, then the
    // total and the page footer.
    EXPECT_EQ(sheet.rows, 7);
    EXPECT_EQ(sheet.value("A1"), QStringLiteral("Articoli"));
    EXPECT_EQ(sheet.value("D2"), QStringLiteral("Prezzo"));
    EXPECT_EQ(sheet.value("B3"), QStringLiteral("A001"));
    EXPECT_EQ(sheet.value("C4"), QStringLiteral("Dado M3"));
    const SheetCell price = sheet.cells.value(QStringLiteral("D3"));
    EXPECT_TRUE(price.type.isEmpty() || price.type == QLatin1String("n")) << price.type.toStdString();
    EXPECT_DOUBLE_EQ(price.value.toDouble(), 0.2);
    EXPECT_EQ(price.format, QStringLiteral("###,##0.00"));
    const SheetCell date = sheet.cells.value(QStringLiteral("A3"));
    EXPECT_TRUE(date.type.isEmpty() || date.type == QLatin1String("n"));
    EXPECT_DOUBLE_EQ(date.value.toDouble(), 45293); // 2 January 2024
    EXPECT_EQ(date.format, QStringLiteral("dd/mm/yy"));
    EXPECT_NEAR(sheet.value("A5").toDouble(), 45356.4375, 1e-6); // 5 March 2024 10:30
    EXPECT_DOUBLE_EQ(sheet.value("E3").toDouble(), 100);
    EXPECT_EQ(sheet.cells.value(QStringLiteral("F3")).type, QStringLiteral("b"));
    EXPECT_EQ(sheet.value("F3"), QStringLiteral("1"));
    EXPECT_EQ(sheet.value("F4"), QStringLiteral("0"));
    EXPECT_NEAR(sheet.value("D6").toDouble(), 0.35, 1e-9);
    EXPECT_EQ(sheet.value("E7"), QStringLiteral("1 / 1"));

    // In export mode: the captions once and the records only.
    layout.ModoEsportazione = true;
    layout.run();
    layout.exportXlsx(dir + QStringLiteral("/tabella.xlsx"));
    EXPECT_FALSE(layout.ModoEsportazione);
    const Sheet table = readSheet(dir + QStringLiteral("/tabella.xlsx"));
    EXPECT_EQ(table.rows, 4);
    EXPECT_EQ(table.value("A1"), QStringLiteral("Data"));
    EXPECT_EQ(table.value("B4"), QStringLiteral("B001"));
    // The next export of the same layout has its full form again.
    layout.invalidate();
    layout.exportXlsx(dir + QStringLiteral("/completo.xlsx"));
    EXPECT_EQ(readSheet(dir + QStringLiteral("/completo.xlsx")).rows, 7);
}

TEST(ReportExports, ExistingFilesAreReplacedAndUnwritablePlacesAreReported)
{
    ArticleList layout(DataFixture::createSampleDatabase());
    const QString dir = testsupport::freshDir(QStringLiteral("replace"));
    for (const QString &name : {QStringLiteral("a.pdf"), QStringLiteral("a.html"), QStringLiteral("a.rtf"), QStringLiteral("a.xlsx")}) {
        QFile old(dir + u'/' + name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("vecchio contenuto");
    }
    layout.exportPdf(dir + QStringLiteral("/a.pdf"));
    layout.exportHtml(dir + QStringLiteral("/a.html"));
    layout.exportRtf(dir + QStringLiteral("/a.rtf"));
    layout.exportXlsx(dir + QStringLiteral("/a.xlsx"));
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        EXPECT_FALSE(reporttest::readFile(dir + u'/' + name).startsWith("vecchio")) << name.toStdString();
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 4) << "no partial files left";

    const QString missing = dir + QStringLiteral("/manca/a");
    for (const auto &exporter : {&ReportLayout::exportPdf, &ReportLayout::exportHtml, &ReportLayout::exportRtf,
                                 &ReportLayout::exportXlsx}) {
        try {
            (layout.*exporter)(missing);
            ADD_FAILURE() << "no error";
        } catch (const ReportError &e) {
            EXPECT_EQ(e.kind(), ReportError::Kind::ExportFailed);
            EXPECT_TRUE(e.description().contains(missing));
        }
    }
}

TEST(ReportExports, ExcelFormatsTranslateTheRunTimeNotation)
{
    EXPECT_EQ(XlsxExport::excelFormat(QString(), false), QString());
    EXPECT_EQ(XlsxExport::excelFormat(QString(), true), QStringLiteral("dd/mm/yyyy"));
    EXPECT_EQ(XlsxExport::excelFormat(QString(), true, true), QStringLiteral("dd/mm/yyyy hh:mm:ss"));
    EXPECT_EQ(XlsxExport::excelFormat(QStringLiteral("#,##0.00"), false), QStringLiteral("#,##0.00"));
    EXPECT_EQ(XlsxExport::excelFormat(QStringLiteral("Standard"), false), QStringLiteral("#,##0.00"));
    EXPECT_EQ(XlsxExport::excelFormat(QStringLiteral("dd/mm/yy hh:nn"), true), QStringLiteral("dd/mm/yy hh:mm"));
    EXPECT_EQ(XlsxExport::excelFormat(QStringLiteral("Short Date"), true), QStringLiteral("dd/mm/yyyy"));
    EXPECT_EQ(XlsxExport::excelFormat(QStringLiteral("ww"), true), QStringLiteral("dd/mm/yyyy"));
}

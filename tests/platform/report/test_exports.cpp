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
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

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

QString tempFile(const QString &name)
{
    return testsupport::freshDir(QStringLiteral("export")) + u'/' + name;
}

// A cell of a worksheet as its XML gives it: its type attribute, style
// index, and value (shared and inline strings resolved).
struct SheetCell {
    QString type;
    int style = 0;
    QString value;
};

QMap<QString, SheetCell> readSheet(const QString &xlsx)
{
    QStringList shared;
    {
        QXmlStreamReader xml(reporttest::zipEntry(xlsx, QStringLiteral("xl/sharedStrings.xml")));
        QString current;
        bool inSi = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si")) {
                inSi = true;
                current.clear();
            } else if (xml.isStartElement() && xml.name() == QLatin1String("t") && inSi) {
                current += xml.readElementText();
            } else if (xml.isEndElement() && xml.name() == QLatin1String("si")) {
                shared << current;
                inSi = false;
            }
        }
    }
    QMap<QString, SheetCell> cells;
    QXmlStreamReader xml(reporttest::zipEntry(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    SheetCell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            ref = xml.attributes().value(QLatin1String("r")).toString();
            cell = SheetCell();
            cell.type = xml.attributes().value(QLatin1String("t")).toString();
            cell.style = xml.attributes().value(QLatin1String("s")).toInt();
        } else if (xml.isStartElement() && (xml.name() == QLatin1String("v") || xml.name() == QLatin1String("t"))) {
            cell.value += xml.readElementText();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("c")) {
            if (cell.type == QLatin1String("s"))
                cell.value = shared.value(cell.value.toInt());
            cells.insert(ref, cell);
        }
    }
    return cells;
}

// The number format codes of the cell styles (cellXfs), by style index.
QStringList styleFormats(const QString &xlsx)
{
    QMap<int, QString> custom{{0, QStringLiteral("General")}, {14, QStringLiteral("mm-dd-yy")}};
    QStringList formats;
    QXmlStreamReader xml(reporttest::zipEntry(xlsx, QStringLiteral("xl/styles.xml")));
    bool inXfs = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("numFmt"))
            custom.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                          xml.attributes().value(QLatin1String("formatCode")).toString());
        else if (xml.isStartElement() && xml.name() == QLatin1String("cellXfs"))
            inXfs = true;
        else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs"))
            inXfs = false;
        else if (inXfs && xml.isStartElement() && xml.name() == QLatin1String("xf"))
            formats << custom.value(xml.attributes().value(QLatin1String("numFmtId")).toInt(), QStringLiteral("?"));
    }
    return formats;
}

int rowsOf(const QMap<QString, SheetCell> &cells)
{
    int rows = 0;
    for (const QString &ref : cells.keys()) {
        QString digits = ref;
        digits.remove(QRegularExpression(QStringLiteral("[A-Z]")));
        rows = std::max(rows, digits.toInt());
    }
    return rows;
}

} // namespace

TEST(ReportExports, PdfOfAListOnTheDatabaseHasEveryRowWithItsAccents)
{
    ReportLayout layout;
    buildCustomerList(layout, fixtureDatabase());
    const QString pdf = tempFile(QStringLiteral("clienti.pdf"));
    layout.exportPdf(pdf);
    const int pages = layout.document()->pageCount();
    ASSERT_GE(pages, 2);
    EXPECT_EQ(reporttest::pdfPageCount(pdf), pages);

    const QString text = reporttest::pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Clienti – Località e recapiti"))) << text.left(400).toStdString();
    for (const char *caption : {"Nome", "Località", "Prov", "Telefono"})
        EXPECT_EQ(text.count(QString::fromUtf8(caption)) >= pages, true) << caption;
    for (int i = 0; i < Customers; ++i) {
        EXPECT_TRUE(text.contains(customerName(i))) << customerName(i).toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("02-%1").arg(1000 + i)));
    }
    // The sample's own customers, in name order with the others.
    EXPECT_TRUE(text.contains(QStringLiteral("Bianchi Mario")));
    EXPECT_TRUE(text.contains(QStringLiteral("Città di Castello")));
    EXPECT_TRUE(text.contains(QStringLiteral("Forlì")));
    EXPECT_FALSE(text.contains(QChar(0xFB00))) << "ff came out as a ligature";
    for (int p = 1; p <= pages; ++p)
        EXPECT_TRUE(reporttest::pdfText(pdf, p, p).contains(QStringLiteral("Pagina %1 di %2").arg(p).arg(pages)));
}

TEST(ReportExports, PdfFontsAreEmbedded)
{
    ReportLayout layout;
    buildCustomerList(layout, fixtureDatabase());
    const QString pdf = tempFile(QStringLiteral("font.pdf"));
    layout.exportPdf(pdf);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("/FontFile2") || bytes.contains("/FontFile3"));
    EXPECT_TRUE(bytes.contains("DejaVuSans"));
}

TEST(ReportExports, DatabaseErrorsReachTheCallerAndLeaveNoPages)
{
    ReportLayout layout;
    buildCustomerList(layout, fixtureDatabase());
    layout.setSql(QStringLiteral("SELECT * FROM TabellaCheNonEsiste"));
    EXPECT_THROW(layout.run(), DatabaseError);
    EXPECT_EQ(layout.document(), nullptr);
    EXPECT_THROW(layout.exportPdf(tempFile(QStringLiteral("x.pdf"))), DatabaseError);
}

TEST(ReportExports, HtmlIsOneFileWithATableRowPerRecord)
{
    ReportLayout layout;
    buildCustomerList(layout, fixtureDatabase());
    const QString path = tempFile(QStringLiteral("clienti.html"));
    layout.exportHtml(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>Stampa Clienti</title>")));
    EXPECT_EQ(html.count(QStringLiteral("<tr class=\"detail\">")), Customers + 2);
    EXPECT_EQ(html.count(QStringLiteral("<table class=\"page\">")), layout.document()->pageCount());
    EXPECT_TRUE(html.contains(QStringLiteral(">Clienti – Località e recapiti</td>")));
    EXPECT_TRUE(html.contains(QStringLiteral(">Forlì</td>")));
    for (int i = 0; i < Customers; ++i)
        EXPECT_TRUE(html.contains(QStringLiteral(">%1</td>").arg(customerName(i))));
    // The rules under the title and the captions.
    EXPECT_GE(html.count(QStringLiteral("<tr class=\"rule\">")), 2);
}

TEST(ReportExports, RtfReadsBackWithTextTablesAndRules)
{
    ReportLayout layout;
    buildCustomerList(layout, fixtureDatabase());
    const QString path = tempFile(QStringLiteral("clienti.rtf"));
    layout.exportRtf(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll();
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(rtf.contains("\\paperw11906\\paperh16838"));
    EXPECT_TRUE(rtf.contains("\\trowd"));
    EXPECT_TRUE(rtf.contains("\\brdrb"));
    EXPECT_EQ(rtf.count("\\page\\par"), layout.document()->pageCount() - 1);
    for (char c : rtf)
        ASSERT_TRUE(static_cast<unsigned char>(c) < 128) << "RTF must be 7-bit";
    QString text;
    ASSERT_NO_THROW(text = reporttest::rtfPlainText(rtf));
    EXPECT_TRUE(text.contains(QStringLiteral("Clienti – Località e recapiti")));
    EXPECT_TRUE(text.contains(QStringLiteral("Forlì\tMI\t02-")));
    for (int i = 0; i < Customers; ++i)
        EXPECT_TRUE(text.contains(customerName(i))) << customerName(i).toStdString();
}

TEST(ReportExports, RtfOpensInLibreOfficeWhenItIsInstalled)
{
    const QString office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    ReportLayout layout;
    buildCustomerList(layout, fixtureDatabase());
    const QString dir = testsupport::freshDir(QStringLiteral("office"));
    layout.exportRtf(dir + QStringLiteral("/clienti.rtf"));
    QProcess process;
    process.start(office, {QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                           QStringLiteral("--outdir"), dir, dir + QStringLiteral("/clienti.rtf")});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString text = reporttest::pdfText(dir + QStringLiteral("/clienti.pdf"));
    EXPECT_TRUE(text.contains(customerName(0)));
    EXPECT_TRUE(text.contains(QStringLiteral("Località")));
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
        ReportControl &total = reportFooter().addField(QStringLiteral("txtTot"), QStringLiteral("Prezzo"), 5600, 0, 1300, 260);
        total.summaryFunction = SummaryFunction::Sum;
        total.outputFormat = QStringLiteral("###,##0.00");
        const auto hide = [this](FormatContext &ctx) {
            if (ModoEsportazione)
                ctx.section().visible = false;
        };
        setFormatHandler(QStringLiteral("ReportHeader"), hide);
        setFormatHandler(QStringLiteral("ReportFooter"), hide);
        setFormatHandler(QStringLiteral("PageFooter"), hide);
        setFormatHandler(QStringLiteral("PageHeader"), [this](FormatContext &ctx) {
            if (ModoEsportazione) {
                ctx.section().visible = ctx.pageNumber() == 1;
                ctx.section().control(QStringLiteral("Line2")).visible = false;
            }
        });
        setConnectionString(DataFixture::connectionString(path));
        setSql(QStringLiteral("SELECT DataIns, Codice, Descrizione, Prezzo, ScortaMinima From Articoli ORDER BY Codice"));
    }

protected:
    void runFinished() override { ModoEsportazione = false; }
};

} // namespace

TEST(ReportExports, ExcelCellsKeepTheirTypesAndFormats)
{
    ArticleList layout(DataFixture::createSampleDatabase());
    const QString path = tempFile(QStringLiteral("articoli.xlsx"));
    layout.exportXlsx(path);
    ASSERT_TRUE(QFileInfo::exists(path));
    const auto cells = readSheet(path);
    const QStringList formats = styleFormats(path);
    // Row 1 the title, row 2 the captions, rows 3-5 the articles, then the
    // total and the page footer.
    EXPECT_EQ(cells.value(QStringLiteral("A1")).value, QStringLiteral("Articoli"));
    EXPECT_EQ(cells.value(QStringLiteral("D2")).value, QStringLiteral("Prezzo"));
    EXPECT_EQ(cells.value(QStringLiteral("B3")).value, QStringLiteral("A001"));
    EXPECT_EQ(cells.value(QStringLiteral("C4")).value, QStringLiteral("Dado M3"));

    const SheetCell price = cells.value(QStringLiteral("D3"));
    EXPECT_TRUE(price.type.isEmpty() || price.type == QLatin1String("n")) << price.type.toStdString();
    EXPECT_DOUBLE_EQ(price.value.toDouble(), 0.2);
    EXPECT_EQ(formats.value(price.style), QStringLiteral("###,##0.00"));

    const SheetCell date = cells.value(QStringLiteral("A3"));
    EXPECT_TRUE(date.type.isEmpty() || date.type == QLatin1String("n"));
    EXPECT_DOUBLE_EQ(date.value.toDouble(), 45293); // 2 January 2024
    EXPECT_EQ(formats.value(date.style), QStringLiteral("dd/mm/yy"));
    const SheetCell stamped = cells.value(QStringLiteral("A5")); // 5 March 2024 10:30
    EXPECT_NEAR(stamped.value.toDouble(), 45356.4375, 1e-6);

    const SheetCell stock = cells.value(QStringLiteral("E3"));
    EXPECT_DOUBLE_EQ(stock.value.toDouble(), 100);
    EXPECT_EQ(cells.value(QStringLiteral("F3")).type, QStringLiteral("b"));
    EXPECT_EQ(cells.value(QStringLiteral("F3")).value, QStringLiteral("1"));
    EXPECT_EQ(cells.value(QStringLiteral("F4")).value, QStringLiteral("0"));

    const SheetCell total = cells.value(QStringLiteral("D6"));
    EXPECT_NEAR(total.value.toDouble(), 0.35, 1e-9);
    EXPECT_EQ(cells.value(QStringLiteral("E7")).value, QStringLiteral("1 / 1"));
    EXPECT_EQ(rowsOf(cells), 7);
}

TEST(ReportExports, ExportModeGivesExcelAPlainTable)
{
    ArticleList layout(DataFixture::createSampleDatabase());
    layout.ModoEsportazione = true;
    layout.run();
    const QString path = tempFile(QStringLiteral("tabella.xlsx"));
    layout.exportXlsx(path);
    EXPECT_FALSE(layout.ModoEsportazione);
    const auto cells = readSheet(path);
    EXPECT_EQ(rowsOf(cells), 4);
    EXPECT_EQ(cells.value(QStringLiteral("A1")).value, QStringLiteral("Data"));
    EXPECT_EQ(cells.value(QStringLiteral("B4")).value, QStringLiteral("B001"));

    // The next export of the same layout has its full form again.
    layout.invalidate();
    const QString full = tempFile(QStringLiteral("completo.xlsx"));
    layout.exportXlsx(full);
    EXPECT_EQ(rowsOf(readSheet(full)), 7);
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
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
        QFile f(dir + u'/' + name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_FALSE(f.readAll().startsWith("vecchio")) << name.toStdString();
    }
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

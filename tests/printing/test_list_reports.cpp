// The three list reports of the VAT codes, units and categories, run on the
// fixture database: their PDF text, their check boxes, and the HTML, RTF and
// Excel files they export, read back.
#include "PrintingFixture.h"

#include "DataFixture.h"
#include "ReportTestSupport.h"
#include "platform/report/ReportDocument.h"
#include "printing/arpCategorieArt.h"
#include "printing/arpCodiciIVA.h"
#include "printing/arpUM.h"
#include "shell/MainModule.h"

#include <algorithm>

using namespace platform;
using namespace platform::report;
using testsupport::DataFixture;

namespace {

// The check boxes of a column, top to bottom, as laid out.
QList<bool> ticks(const ReportDocument &doc, const QString &name)
{
    QList<bool> out;
    for (const auto &[page, item] : reporttest::itemsNamed(doc, name))
        out << item.checked;
    return out;
}

class ListReports : public PrintingFixture
{
protected:
    // Renders `layout` to PDF and checks its text: the title, the captions
    // on one line below it, then one line per entry of `rows` in that order,
    // starting with codes[i] when codes are given. Answers the text.
    QString expectList(ReportLayout &layout, const QString &title, const QStringList &captions,
                       const QStringList &rows, const QStringList &codes = {})
    {
        const QString text = reporttest::pdfText(renderPdf(layout, layout.name() + QStringLiteral(".pdf")));
        const QStringList lines = text.split(u'\n');
        const int captionLine = lineOf(text, captions[0]);
        EXPECT_GE(lineOf(text, title), 0) << title.toStdString();
        EXPECT_GT(captionLine, lineOf(text, title));
        for (const QString &caption : captions)
            EXPECT_EQ(lineOf(text, caption), captionLine) << caption.toStdString();
        int previous = captionLine;
        for (int i = 0; i < rows.size(); ++i) {
            const int line = lineOf(text, rows[i]);
            EXPECT_GT(line, previous) << rows[i].toStdString();
            if (line >= 0 && !codes.isEmpty()) {
                EXPECT_TRUE(lines[line].trimmed().startsWith(codes[i] + u' ')) << lines[line].toStdString();
            }
            previous = line;
        }
        return text;
    }
};

} // namespace

TEST_F(ListReports, EachListPrintsItsTitleCaptionsAndOnlyItsOwnRowsInOrder)
{
    arpCodiciIVA layout;
    QStringList rows;
    for (const QString &description : VatDescriptions)
        rows << description.left(20); // the long one takes two lines
    const QString text = expectList(layout, QStringLiteral("Codici Iva"),
                                    {QStringLiteral("CodiceIVA"), QStringLiteral("Descrizione"), QStringLiteral("Aliquota"),
                                     QStringLiteral("Esenzione"), QStringLiteral("Predefinito")},
                                    rows, VatCodes);
    EXPECT_EQ(layout.document()->pageCount(), 1);
    const QStringList lines = text.split(u'\n');
    // Each rate in the Italian way, on its code's line.
    const QStringList rates{QStringLiteral("10,00"), QStringLiteral("22,00"), QStringLiteral("4,00"), QStringLiteral("0,00")};
    for (int i = 0; i < rates.size(); ++i)
        EXPECT_TRUE(lines.value(lineOf(text, rows[i])).contains(rates[i])) << rates[i].toStdString();
    // The long description goes on over a second line, the accents intact,
    // and its row grows instead of running into the next.
    EXPECT_TRUE(text.contains(QStringLiteral("Minima – beni di prima necessità")));
    EXPECT_TRUE(lines.value(lineOf(text, QStringLiteral("Esclusa art. 15")) + 1).contains(QStringLiteral("per conto del cliente")));
    const auto fields = reporttest::itemsNamed(*layout.document(), QStringLiteral("txtCodiciIVA_Descrizione"));
    ASSERT_EQ(fields.size(), 4);
    EXPECT_GT(fields[3].second.rect.height(), 400);
    for (int i = 0; i + 1 < fields.size(); ++i)
        EXPECT_LE(fields[i].second.rect.bottom(), fields[i + 1].second.rect.top() + 1);

    // Exemption and default, one box each per code.
    EXPECT_EQ(ticks(*layout.document(), QStringLiteral("chkCodiciIVA_Esenzione")), (QList<bool>{false, false, false, true}));
    EXPECT_EQ(ticks(*layout.document(), QStringLiteral("chkCodiciIVA_Predefinito")), (QList<bool>{false, true, false, false}));

    // Units and categories list only their own rows.
    arpUM units;
    EXPECT_EQ(units.control(QStringLiteral("lblTitle")).caption, QStringLiteral(" Unità di misura"));
    const QString unitText = expectList(units, QStringLiteral("Unità di misura"),
                                        {QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("Predefinito")},
                                        UnitDescriptions, UnitCodes);
    EXPECT_FALSE(unitText.contains(QStringLiteral("Ferramenta")));
    EXPECT_EQ(ticks(*units.document(), QStringLiteral("chkListe_Predefinito")), (QList<bool>{false, false, false, false, true}));

    // Categories by description.
    arpCategorieArt categories;
    const QString categoryText = expectList(categories, QStringLiteral("Categorie articoli"),
                                            {QStringLiteral("Descrizione"), QStringLiteral("Predefinito")}, Categories);
    EXPECT_FALSE(categoryText.contains(QStringLiteral("Pezzi")));
    EXPECT_EQ(ticks(*categories.document(), QStringLiteral("chkListe_Predefinito")), (QList<bool>{false, false, false, true, false}));
}

TEST_F(ListReports, ALongListKeepsItsPagesAndEveryRowInPdfHtmlAndRtf)
{
    QString sql;
    for (int i = 0; i < 150; ++i)
        sql += QStringLiteral("INSERT INTO Liste (Chiave, Codice, Descrizione) VALUES ('um', 'U%1', 'Unità numero %1');")
                   .arg(i, 3, 10, QLatin1Char('0'));
    DataFixture::runSql(database, sql);
    arpUM layout;
    const QString path = renderPdf(layout, QStringLiteral("lunga.pdf"));
    const int pages = layout.document()->pageCount();
    ASSERT_GE(pages, 3);
    EXPECT_EQ(reporttest::pdfPageCount(path), pages);
    for (int page = 1; page <= pages; ++page) {
        const QString text = reporttest::pdfText(path, page, page);
        EXPECT_GE(lineOf(text, QStringLiteral("Predefinito")), 0) << page;
        EXPECT_EQ(text.contains(QStringLiteral("Unità di misura")), page == 1) << page;
    }
    const QByteArray pdf = DataFixture::fileBytes(path);
    EXPECT_TRUE(pdf.contains("/FontFile2") || pdf.contains("/FontFile3")); // the fonts travel with the file
    EXPECT_TRUE(pdf.contains("DejaVuSans"));

    // HTML: one file, a table per page and a row per record.
    const QString base = folder + QStringLiteral("/lunga");
    layout.exportHtml(base + QStringLiteral(".html"));
    layout.exportRtf(base + QStringLiteral(".rtf"));
    const QString html = QString::fromUtf8(DataFixture::fileBytes(base + QStringLiteral(".html")));
    EXPECT_TRUE(html.startsWith(QStringLiteral("<!DOCTYPE html>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>Unità di misura</title>")));
    EXPECT_EQ(html.count(QStringLiteral("<table class=\"page\">")), pages);
    EXPECT_EQ(html.count(QStringLiteral("<tr class=\"detail\">")), 150 + UnitCodes.size());
    EXPECT_GE(html.count(QStringLiteral("<tr class=\"rule\">")), 2); // over the title, under the captions
    // RTF: 7-bit, the page of the report, a page break between pages.
    const QByteArray rtf = DataFixture::fileBytes(base + QStringLiteral(".rtf"));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
    EXPECT_TRUE(rtf.contains("\\paperw11906\\paperh16838"));
    EXPECT_EQ(rtf.count("\\page\\par"), pages - 1);
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) { return static_cast<unsigned char>(c) < 128; }));
    const QString rtfText = reporttest::rtfPlainText(rtf);

    // Every unit, in every format; in HTML each as the whole text of its cell.
    const QString all = reporttest::pdfText(path);
    for (int i = 0; i < 150; ++i) {
        const QString unit = QStringLiteral("Unità numero %1").arg(i, 3, 10, QLatin1Char('0'));
        EXPECT_TRUE(all.contains(unit)) << i;
        EXPECT_TRUE(html.contains(u'>' + unit + QStringLiteral("</td>"))) << i;
        EXPECT_TRUE(rtfText.contains(QStringLiteral("U%1\t").arg(i, 3, 10, QLatin1Char('0')) + unit)) << i;
    }
}

TEST_F(ListReports, EveryListExportsToHtmlRtfAndExcelWithEveryRowAndItsAccents)
{
    arpCodiciIVA vat;
    arpUM units;
    arpCategorieArt categories;
    const std::pair<ReportLayout *, QStringList> lists[] = {
        {&vat, QStringList{QStringLiteral("Codici Iva"), QStringLiteral("CodiceIVA"), QStringLiteral("Aliquota"),
                           QStringLiteral("Esenzione"), QStringLiteral("Predefinito")} + VatCodes + VatDescriptions},
        {&units, QStringList{QStringLiteral(" Unità di misura")} + UnitCodes + UnitDescriptions},
        {&categories, QStringList{QStringLiteral("Categorie articoli"), QStringLiteral("Descrizione")} + Categories},
    };
    for (const auto &[layout, texts] : lists) {
        layout->setConnectionString(MainModule::ConnString);
        const QString base = folder + u'/' + layout->name();
        layout->exportHtml(base + QStringLiteral(".html"));
        layout->exportRtf(base + QStringLiteral(".rtf"));
        layout->exportXlsx(base + QStringLiteral(".xlsx"));
        const QString html = QString::fromUtf8(DataFixture::fileBytes(base + QStringLiteral(".html")));
        const QString rtf = reporttest::rtfPlainText(DataFixture::fileBytes(base + QStringLiteral(".rtf"))).simplified();
        const reporttest::Sheet sheet = reporttest::readSheet(base + QStringLiteral(".xlsx"));
        for (const QString &s : texts) {
            EXPECT_TRUE(html.contains(s.trimmed().toHtmlEscaped())) << s.toStdString();
            EXPECT_TRUE(rtf.contains(s.simplified())) << s.toStdString();
            EXPECT_FALSE(sheet.find(s).isEmpty()) << s.toStdString();
        }
    }

    // In Excel each value stands under its caption, in code order: the rate
    // as a number, the boxes (under their caption's first letter) as Booleans.
    const reporttest::Sheet sheet = reporttest::readSheet(folder + u'/' + vat.name() + QStringLiteral(".xlsx"));
    const QString rateCaption = sheet.find(QStringLiteral("Aliquota"));
    const QString exemptionColumn = reporttest::columnOf(sheet.find(QStringLiteral("Esenzione")));
    const QString defaultColumn = reporttest::columnOf(sheet.find(QStringLiteral("Predefinito")));
    const QStringList rates{QStringLiteral("10"), QStringLiteral("22"), QStringLiteral("4"), QStringLiteral("0")};
    for (int i = 0; i < VatCodes.size(); ++i) {
        const int row = reporttest::rowOf(sheet.find(VatCodes[i]));
        EXPECT_EQ(row, reporttest::rowOf(rateCaption) + 1 + i) << VatCodes[i].toStdString();
        const reporttest::SheetCell rate = sheet.cells.value(reporttest::columnOf(rateCaption) + QString::number(row));
        EXPECT_TRUE(rate.type.isEmpty() || rate.type == QStringLiteral("n")) << rate.type.toStdString();
        EXPECT_EQ(rate.value, rates[i]);
        const reporttest::SheetCell exemption = sheet.cells.value(exemptionColumn + QString::number(row));
        const reporttest::SheetCell preset = sheet.cells.value(defaultColumn + QString::number(row));
        EXPECT_EQ(exemption.type + preset.type, QStringLiteral("bb"));
        EXPECT_EQ(exemption.value, i == 3 ? QStringLiteral("1") : QStringLiteral("0"));
        EXPECT_EQ(preset.value, i == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    }
}

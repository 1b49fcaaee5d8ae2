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

#include <QFile>
#include <QMap>
#include <QXmlStreamReader>

using namespace platform;
using namespace platform::report;

namespace {

QString readUtf8(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The check boxes of a column, top to bottom, as laid out.
QList<bool> ticks(const ReportDocument &doc, const QString &name)
{
    QList<bool> out;
    for (const auto &[page, item] : reporttest::itemsNamed(doc, name))
        out << item->checked;
    return out;
}

// A worksheet's cells by reference ("A1"): type attribute and value.
struct Cell {
    QString type;
    QString value;
};

QMap<QString, Cell> readSheet(const QString &xlsx)
{
    QStringList shared;
    {
        QXmlStreamReader xml(reporttest::zipEntry(xlsx, QStringLiteral("xl/sharedStrings.xml")));
        QString current;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si"))
                current.clear();
            else if (xml.isStartElement() && xml.name() == QLatin1String("t"))
                current += xml.readElementText();
            else if (xml.isEndElement() && xml.name() == QLatin1String("si"))
                shared << current;
        }
    }
    QMap<QString, Cell> cells;
    QXmlStreamReader xml(reporttest::zipEntry(xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    Cell cell;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("c")) {
            ref = xml.attributes().value(QLatin1String("r")).toString();
            cell = Cell{xml.attributes().value(QLatin1String("t")).toString(), QString()};
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

// The reference of the cell holding `text`, empty when none does.
QString findCell(const QMap<QString, Cell> &cells, const QString &text)
{
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        if (it.value().value == text)
            return it.key();
    }
    return QString();
}

QString column(const QString &ref)
{
    QString letters;
    for (QChar c : ref) {
        if (c.isLetter())
            letters += c;
    }
    return letters;
}

int row(const QString &ref)
{
    return ref.mid(column(ref).size()).toInt();
}

class ListReports : public PrintingFixture
{
};

} // namespace

// ---- the VAT codes ----

TEST_F(ListReports, VatCodesPrintTitleCaptionsAndEveryCodeInCodeOrder)
{
    arpCodiciIVA layout;
    const QString text = pdfText(renderPdf(layout, QStringLiteral("iva.pdf")));
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(layout.document()->pageCount(), 1);
    EXPECT_GE(lineOf(text, QStringLiteral("Codici Iva")), 0);
    const int captions = lineOf(text, QStringLiteral("CodiceIVA"));
    ASSERT_GT(captions, lineOf(text, QStringLiteral("Codici Iva")));
    for (const char *caption : {"Descrizione", "Aliquota", "Esenzione", "Predefinito"})
        EXPECT_EQ(lineOf(text, QString::fromUtf8(caption)), captions) << caption;

    // One line per code, in code order, with its rate in the Italian way.
    const QStringList rates{QStringLiteral("10,00"), QStringLiteral("22,00"), QStringLiteral("4,00"),
                            QStringLiteral("0,00")};
    int previous = captions;
    for (int i = 0; i < VatCodes.size(); ++i) {
        const int line = lineOf(text, VatDescriptions[i].left(20));
        ASSERT_GT(line, previous) << VatCodes[i].toStdString();
        EXPECT_TRUE(text.split(u'\n')[line].trimmed().startsWith(VatCodes[i] + u' '));
        EXPECT_TRUE(text.split(u'\n')[line].contains(rates[i]));
        previous = line;
    }
    // The long description goes on over a second line, the accents intact.
    EXPECT_TRUE(text.contains(QStringLiteral("Minima – beni di prima necessità")));
    const int longOne = lineOf(text, QStringLiteral("Esclusa art. 15"));
    ASSERT_GE(longOne, 0);
    EXPECT_TRUE(text.split(u'\n')[longOne + 1].contains(QStringLiteral("per conto del cliente")));

    // Exemption and default, one box each per code.
    EXPECT_EQ(ticks(*layout.document(), QStringLiteral("chkCodiciIVA_Esenzione")),
              (QList<bool>{false, false, false, true}));
    EXPECT_EQ(ticks(*layout.document(), QStringLiteral("chkCodiciIVA_Predefinito")),
              (QList<bool>{false, true, false, false}));
}

TEST_F(ListReports, ALongDescriptionMakesItsRowTallerInsteadOfRunningIntoTheNext)
{
    arpCodiciIVA layout;
    layout.setConnectionString(MainModule::ConnString);
    layout.run();
    const auto fields = reporttest::itemsNamed(*layout.document(), QStringLiteral("txtCodiciIVA_Descrizione"));
    ASSERT_EQ(fields.size(), 4);
    const RenderedItem *longOne = fields[3].second;
    EXPECT_GT(longOne->rect.height(), 400); // two lines
    for (int i = 0; i + 1 < fields.size(); ++i)
        EXPECT_LE(fields[i].second->rect.bottom(), fields[i + 1].second->rect.top() + 1);
}

// ---- the units ----

TEST_F(ListReports, UnitsPrintTheTitleWithItsLeadingBlankAndEveryUnitInCodeOrder)
{
    arpUM layout;
    EXPECT_EQ(layout.control(QStringLiteral("lblTitle")).caption, QStringLiteral(" Unità di misura"));
    const QString text = pdfText(renderPdf(layout, QStringLiteral("um.pdf")));
    EXPECT_GE(lineOf(text, QStringLiteral("Unità di misura")), 0);
    const int captions = lineOf(text, QStringLiteral("Codice"));
    ASSERT_GE(captions, 0);
    EXPECT_EQ(lineOf(text, QStringLiteral("Descrizione")), captions);
    EXPECT_EQ(lineOf(text, QStringLiteral("Predefinito")), captions);
    int previous = captions;
    for (int i = 0; i < UnitCodes.size(); ++i) {
        const int line = lineOf(text, UnitDescriptions[i]);
        ASSERT_GT(line, previous) << UnitCodes[i].toStdString();
        EXPECT_TRUE(text.split(u'\n')[line].trimmed().startsWith(UnitCodes[i] + u' '));
        previous = line;
    }
    // Only the units: no category among them; PZ is the default.
    EXPECT_FALSE(text.contains(QStringLiteral("Ferramenta")));
    EXPECT_EQ(ticks(*layout.document(), QStringLiteral("chkListe_Predefinito")),
              (QList<bool>{false, false, false, false, true}));
}

// ---- the categories ----

TEST_F(ListReports, CategoriesAreListedByDescription)
{
    arpCategorieArt layout;
    const QString text = pdfText(renderPdf(layout, QStringLiteral("cat.pdf")));
    EXPECT_GE(lineOf(text, QStringLiteral("Categorie articoli")), 0);
    const int captions = lineOf(text, QStringLiteral("Descrizione"));
    ASSERT_GE(captions, 0);
    EXPECT_EQ(lineOf(text, QStringLiteral("Predefinito")), captions);
    int previous = captions;
    for (const QString &category : Categories) {
        const int line = lineOf(text, category);
        ASSERT_GT(line, previous) << category.toStdString();
        previous = line;
    }
    EXPECT_FALSE(text.contains(QStringLiteral("Pezzi")));
    EXPECT_EQ(ticks(*layout.document(), QStringLiteral("chkListe_Predefinito")),
              (QList<bool>{false, false, false, true, false}));
}

// ---- many rows ----

TEST_F(ListReports, ALongListRepeatsTheCaptionsOnEveryPageAndLosesNoRow)
{
    QString sql;
    for (int i = 0; i < 150; ++i)
        sql += QStringLiteral("INSERT INTO Liste (Chiave, Codice, Descrizione) VALUES ('um', 'U%1', 'Unità numero %1');")
                   .arg(i, 3, 10, QLatin1Char('0'));
    testsupport::DataFixture::runSql(database, sql);
    arpUM layout;
    const QString path = renderPdf(layout, QStringLiteral("lunga.pdf"));
    const int pages = layout.document()->pageCount();
    ASSERT_GE(pages, 3);
    for (int page = 1; page <= pages; ++page) {
        const QString text = reporttest::pdfText(path, page, page);
        EXPECT_GE(lineOf(text, QStringLiteral("Predefinito")), 0) << page;
        EXPECT_EQ(text.contains(QStringLiteral("Unità di misura")), page == 1) << page;
    }
    const QString all = pdfText(path);
    for (int i = 0; i < 150; ++i)
        EXPECT_TRUE(all.contains(QStringLiteral("Unità numero %1").arg(i, 3, 10, QLatin1Char('0')))) << i;
}

// ---- exports ----

TEST_F(ListReports, VatCodesExportToHtmlRtfAndExcelWithEveryRow)
{
    arpCodiciIVA layout;
    layout.setConnectionString(MainModule::ConnString);

    layout.exportHtml(folder + QStringLiteral("/iva.html"));
    const QString htmlText = readUtf8(folder + QStringLiteral("/iva.html"));
    for (const QString &s : QStringList{QStringLiteral("Codici Iva"), QStringLiteral("CodiceIVA"),
                                        QStringLiteral("Aliquota"), QStringLiteral("Esenzione"),
                                        QStringLiteral("Predefinito")} + VatCodes + VatDescriptions)
        EXPECT_TRUE(htmlText.contains(s.toHtmlEscaped())) << s.toStdString();
    EXPECT_TRUE(htmlText.contains(QStringLiteral("22,00")));

    layout.exportRtf(folder + QStringLiteral("/iva.rtf"));
    QFile rtfFile(folder + QStringLiteral("/iva.rtf"));
    ASSERT_TRUE(rtfFile.open(QIODevice::ReadOnly));
    const QString rtf = reporttest::rtfPlainText(rtfFile.readAll());
    for (const QString &s : QStringList{QStringLiteral("Codici Iva"), QStringLiteral("Descrizione")} + VatCodes +
                                VatDescriptions)
        EXPECT_TRUE(rtf.simplified().contains(s)) << s.toStdString();

    layout.exportXlsx(folder + QStringLiteral("/iva.xlsx"));
    const QMap<QString, Cell> cells = readSheet(folder + QStringLiteral("/iva.xlsx"));
    const QString caption = findCell(cells, QStringLiteral("Aliquota"));
    ASSERT_FALSE(caption.isEmpty());
    const QStringList rates{QStringLiteral("10"), QStringLiteral("22"), QStringLiteral("4"), QStringLiteral("0")};
    for (int i = 0; i < VatCodes.size(); ++i) {
        const QString code = findCell(cells, VatCodes[i]);
        ASSERT_FALSE(code.isEmpty()) << VatCodes[i].toStdString();
        EXPECT_EQ(row(code), row(caption) + 1 + i);
        EXPECT_EQ(cells.value(findCell(cells, VatDescriptions[i])).type, QStringLiteral("inlineStr"));
        // The rate is a number in the caption's column; the boxes are Booleans.
        const Cell rate = cells.value(column(caption) + QString::number(row(code)));
        EXPECT_TRUE(rate.type.isEmpty() || rate.type == QStringLiteral("n")) << rate.type.toStdString();
        EXPECT_EQ(rate.value, rates[i]);
        const QString exemption = column(findCell(cells, QStringLiteral("Esenzione"))) + QString::number(row(code));
        EXPECT_EQ(cells.value(exemption).type, QStringLiteral("b"));
        EXPECT_EQ(cells.value(exemption).value, i == 3 ? QStringLiteral("1") : QStringLiteral("0"));
        const QString preset = column(findCell(cells, QStringLiteral("Predefinito"))) + QString::number(row(code));
        EXPECT_EQ(cells.value(preset).type, QStringLiteral("b"));
        EXPECT_EQ(cells.value(preset).value, i == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    }
}

TEST_F(ListReports, UnitsAndCategoriesExportWithEveryRowAndTheirAccents)
{
    arpUM units;
    units.setConnectionString(MainModule::ConnString);
    units.exportHtml(folder + QStringLiteral("/um.html"));
    units.exportRtf(folder + QStringLiteral("/um.rtf"));
    units.exportXlsx(folder + QStringLiteral("/um.xlsx"));
    const QString html = readUtf8(folder + QStringLiteral("/um.html"));
    QFile rtfFile(folder + QStringLiteral("/um.rtf"));
    ASSERT_TRUE(rtfFile.open(QIODevice::ReadOnly));
    const QString rtf = reporttest::rtfPlainText(rtfFile.readAll());
    const QMap<QString, Cell> cells = readSheet(folder + QStringLiteral("/um.xlsx"));
    EXPECT_FALSE(findCell(cells, QStringLiteral(" Unità di misura")).isEmpty());
    for (const QString &s : UnitCodes + UnitDescriptions) {
        EXPECT_TRUE(html.contains(s)) << s.toStdString();
        EXPECT_TRUE(rtf.contains(s)) << s.toStdString();
        EXPECT_EQ(cells.value(findCell(cells, s)).type, QStringLiteral("inlineStr")) << s.toStdString();
    }
    // Code and description of a unit share its row.
    EXPECT_EQ(row(findCell(cells, QStringLiteral("ORE"))), row(findCell(cells, QStringLiteral("Ore di attività"))));

    arpCategorieArt categories;
    categories.setConnectionString(MainModule::ConnString);
    categories.exportXlsx(folder + QStringLiteral("/cat.xlsx"));
    categories.exportHtml(folder + QStringLiteral("/cat.html"));
    categories.exportRtf(folder + QStringLiteral("/cat.rtf"));
    const QMap<QString, Cell> catCells = readSheet(folder + QStringLiteral("/cat.xlsx"));
    const QString catHtml = readUtf8(folder + QStringLiteral("/cat.html"));
    QFile catRtfFile(folder + QStringLiteral("/cat.rtf"));
    ASSERT_TRUE(catRtfFile.open(QIODevice::ReadOnly));
    const QString catRtf = reporttest::rtfPlainText(catRtfFile.readAll());
    int previous = row(findCell(catCells, QStringLiteral("Descrizione")));
    for (const QString &category : Categories) {
        const QString ref = findCell(catCells, category);
        ASSERT_FALSE(ref.isEmpty()) << category.toStdString();
        EXPECT_GT(row(ref), previous);
        previous = row(ref);
        EXPECT_TRUE(catHtml.contains(category)) << category.toStdString();
        EXPECT_TRUE(catRtf.contains(category)) << category.toStdString();
    }
}

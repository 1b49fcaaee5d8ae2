// Runs of layouts on fabricated data: pages, groups, sums, page numbers,
// format events, export mode and label columns.
#include "ReportTestSupport.h"

#include "platform/data/Recordset.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>

#include <algorithm>

using namespace platform;
using namespace platform::report;
using namespace Qt::StringLiterals;
using reporttest::itemsNamed;
using reporttest::makeRecordset;
using reporttest::summary;

namespace {

// Movements in three groups (A: 45 rows, B: 30, C: 40) with quantities and
// currency values: enough for several A4 pages.
std::shared_ptr<Recordset> movements()
{
    QList<QList<Variant>> rows;
    const std::pair<const char *, int> groups[] = {{"A", 45}, {"B", 30}, {"C", 40}};
    int n = 0;
    for (const auto &[group, count] : groups) {
        for (int i = 0; i < count; ++i, ++n)
            rows.append({Variant(group), Variant(u"ART%1"_s.arg(n, 4, 10, QLatin1Char('0'))),
                         Variant(std::int32_t(i % 7 - 2)), Variant(Currency::fromRaw(12345 * (n + 1)))});
    }
    return makeRecordset({{u"Gruppo"_s, DataType::adVarWChar, 10}, {u"Codice"_s, DataType::adVarWChar, 24},
                          {u"Q"_s, DataType::adInteger}, {u"V"_s, DataType::adCurrency}},
                         rows);
}

// A list with a group on Gruppo: sums in the group header (look-ahead), in
// the group footer and running in the detail, page sums and page n of m in
// the page footer, grand totals in the report footer.
void buildGroupedList(ReportLayout &layout)
{
    layout.reportHeader().height = 600;
    layout.reportHeader().addLabel(u"lblTitolo"_s, u"Giornale"_s, 0, 0, 6000, 400);
    layout.pageHeader().height = 300;
    layout.pageHeader().addLabel(u"lblCodice"_s, u"Codice"_s, 0, 0, 1500, 250);
    ReportSection &gh = layout.addGroup(u"GroupHeader1"_s, u"GroupFooter1"_s, u"Gruppo"_s);
    gh.height = 300;
    gh.addField(u"txtGruppo"_s, u"Gruppo"_s, 0, 0, 1500, 250);
    summary(gh.addField(u"txtVgruppoTesta"_s, u"V"_s, 4000, 0, 1500, 250));
    ReportSection &detail = layout.detail();
    detail.height = 270;
    detail.addField(u"txtCodice"_s, u"Codice"_s, 0, 0, 1500, 250);
    detail.addField(u"txtQ"_s, u"Q"_s, 2000, 0, 1000, 250);
    detail.addField(u"txtV"_s, u"V"_s, 4000, 0, 1500, 250).outputFormat = u"#,##0.00"_s;
    summary(detail.addField(u"txtProgressivo"_s, u"V"_s, 6000, 0, 1500, 250)).summaryRunning = true;
    ReportSection &gf = layout.groupFooter(0);
    gf.height = 300;
    summary(gf.addField(u"txtVgruppo"_s, u"V"_s, 4000, 0, 1500, 250));
    summary(gf.addField(u"txtRighe"_s, QString(), 2000, 0, 1000, 250), SummaryScope::Group, SummaryFunction::Count);
    ReportSection &pf = layout.pageFooter();
    pf.height = 300;
    pf.addField(u"txtPagina"_s, u"='Pagina ' & PageNumber & ' di ' & PageCount"_s, 0, 0, 3000, 250);
    summary(pf.addField(u"txtVpagina"_s, u"V"_s, 4000, 0, 1500, 250), SummaryScope::Page);
    ReportSection &rf = layout.reportFooter();
    rf.height = 300;
    summary(rf.addField(u"txtVtot"_s, u"V"_s, 4000, 0, 1500, 250), SummaryScope::Report);
    summary(rf.addField(u"txtQtot"_s, u"Q"_s, 2000, 0, 1000, 250), SummaryScope::Report);
}

Currency sumOf(const Recordset &rs, const QString &group = QString())
{
    Currency total;
    for (int r = 0; r < rs.rowCount(); ++r) {
        if (group.isEmpty() || rs.valueAt(r, 0).toString() == group)
            total += *rs.valueAt(r, 3).get<Currency>();
    }
    return total;
}

// The values of the items named so, in page order.
QList<Variant> valuesOf(const ReportDocument &doc, const QString &name)
{
    QList<Variant> values;
    for (const auto &[page, item] : itemsNamed(doc, name))
        values.append(item.value);
    return values;
}

} // namespace

TEST(ReportRun, GroupSumsPageSumsAndPageNumbersOnAMultiPageList)
{
    ReportLayout layout;
    buildGroupedList(layout);
    const auto data = movements();
    layout.setRecordset(data);
    layout.run();
    const ReportDocument &doc = *layout.document();
    const int pages = doc.pageCount();
    ASSERT_GE(pages, 3);

    // Page n of m on every page, with the final page count.
    const auto pageLines = itemsNamed(doc, u"txtPagina"_s);
    ASSERT_EQ(pageLines.size(), pages);
    for (int p = 0; p < pages; ++p) {
        EXPECT_EQ(pageLines[p].first, p);
        EXPECT_EQ(pageLines[p].second.text, u"Pagina %1 di %2"_s.arg(p + 1).arg(pages));
    }

    // Group sums: the header's (computed ahead) and the footer's agree with
    // the data, and the running sum ends on the group's total.
    const QList<Variant> groupSums{Variant(sumOf(*data, u"A"_s)), Variant(sumOf(*data, u"B"_s)),
                                   Variant(sumOf(*data, u"C"_s))};
    EXPECT_EQ(valuesOf(doc, u"txtVgruppoTesta"_s), groupSums);
    EXPECT_EQ(valuesOf(doc, u"txtVgruppo"_s), groupSums);
    EXPECT_EQ(valuesOf(doc, u"txtRighe"_s), (QList<Variant>{Variant(std::int32_t(45)), Variant(std::int32_t(30)),
                                                             Variant(std::int32_t(40))}));
    const auto running = valuesOf(doc, u"txtProgressivo"_s);
    ASSERT_EQ(running.size(), 115);
    EXPECT_EQ(running[44], groupSums[0]);
    EXPECT_EQ(running[45], Variant(*data->valueAt(45, 3).get<Currency>()));
    EXPECT_EQ(running[114], groupSums[2]);

    // Page sums cover exactly the detail records of their page.
    QList<Currency> onPage(pages);
    for (const auto &[page, item] : itemsNamed(doc, u"txtV"_s))
        onPage[page] += *item.value.get<Currency>();
    QList<Variant> pageSums;
    for (const Currency &sum : onPage)
        pageSums.append(Variant(sum));
    EXPECT_EQ(valuesOf(doc, u"txtVpagina"_s), pageSums);

    // Grand totals, the whole report once, on the last page.
    const auto total = itemsNamed(doc, u"txtVtot"_s);
    ASSERT_EQ(total.size(), 1);
    EXPECT_EQ(total[0].first, pages - 1);
    EXPECT_EQ(total[0].second.value, Variant(sumOf(*data)));
    std::int32_t q = 0;
    for (int r = 0; r < data->rowCount(); ++r)
        q += data->valueAt(r, 2).toInt32();
    EXPECT_EQ(valuesOf(doc, u"txtQtot"_s), QList<Variant>{Variant(q)});

    // Every detail record once, in order; page header on every page, title
    // on the first only.
    const auto codes = itemsNamed(doc, u"txtCodice"_s);
    ASSERT_EQ(codes.size(), 115);
    for (int i = 0; i < 115; ++i)
        EXPECT_EQ(codes[i].second.text, u"ART%1"_s.arg(i, 4, 10, QLatin1Char('0')));
    EXPECT_EQ(itemsNamed(doc, u"lblCodice"_s).size(), pages);
    EXPECT_EQ(itemsNamed(doc, u"lblTitolo"_s).size(), 1);

    // Nothing runs into the page footer or off the paper.
    const double footerTop = doc.paperSize.height() - layout.page().bottomMargin - layout.pageFooter().height;
    for (int p = 0; p < doc.pageCount(); ++p) {
        for (const RenderedBand &band : doc.page(p).bands) {
            if (band.kind == SectionKind::PageFooter) {
                EXPECT_DOUBLE_EQ(band.rect.top(), footerTop);
                continue;
            }
            EXPECT_GE(band.rect.top(), layout.page().topMargin);
            EXPECT_LE(band.rect.bottom(), footerTop + 0.001) << band.section.toStdString();
        }
    }
}

TEST(ReportRun, GroupsKeyedOnAFunctionOfTheRecordOnAnExpressionAndOnAColumn)
{
    ReportLayout layout;
    ReportSection &gh = layout.addGroup(u"ghOrderGroup"_s, u"GroupFooter1"_s);
    gh.height = 300;
    gh.addLabel(u"lblLetter"_s, QString(), 0, 0, 1000, 250);
    layout.detail().height = 250;
    layout.detail().addField(u"txtNome"_s, u"Nome"_s, 0, 0, 3000, 250);
    summary(layout.groupFooter(0).addField(u"txtQuanti"_s, u"Nome"_s, 0, 0, 1000, 250), SummaryScope::Group,
            SummaryFunction::Count);
    layout.groupFooter(0).height = 250;
    layout.setGroupKey(u"ghOrderGroup"_s, [](const ReportRecord &r) {
        const QString nome = r.value(u"Nome"_s).isNull() ? QString() : r.value(u"Nome"_s).toString();
        return Variant(nome.left(1).toUpper());
    });
    layout.setFormatHandler(u"ghOrderGroup"_s, [&](FormatContext &ctx) {
        ctx.section().control(u"lblLetter"_s).caption = ctx.groupValue().toString();
    });
    layout.setRecordset(makeRecordset({{u"Nome"_s, DataType::adVarWChar, 100}},
                                      {{Variant("anna verdi")}, {Variant("Antonio Neri")}, {Variant("Bianchi Mario")},
                                       {Variant("bruno")}, {Variant("Rossi Srl")}}));
    layout.run();
    EXPECT_EQ(layout.document()->pageText(0),
              u"A\nanna verdi\nAntonio Neri\n2\nB\nBianchi Mario\nbruno\n2\nR\nRossi Srl\n1"_s);
    // The caption set by the event is the design's again after the run.
    EXPECT_EQ(layout.control(u"lblLetter"_s).caption, QString());

    // Nested groups on an expression and on a column.
    ReportLayout nested;
    ReportSection &outer = nested.addGroup(u"contHead"_s, u"contFooter"_s, u"=Nome & ' (' & Tipo & ')'"_s);
    outer.height = 250;
    outer.addField(u"txtContropartita"_s, u"=Nome & ' (' & Tipo & ')'"_s, 0, 0, 4000, 250);
    ReportSection &inner = nested.addGroup(u"catHead"_s, u"catFooter"_s, u"[Categoria]"_s);
    inner.height = 250;
    inner.addField(u"txtCategoria"_s, u"=\"Categoria: \" + Categoria"_s, 200, 0, 4000, 250);
    summary(inner.addField(u"txtQcat"_s, u"Q"_s, 5000, 0, 1000, 250));
    summary(nested.groupFooter(0).addField(u"txtQcont"_s, u"Q"_s, 5000, 0, 1000, 250)).summaryGroup = u"contHead"_s;
    nested.groupFooter(0).height = 250;
    nested.detail().height = 250;
    nested.detail().addField(u"txtCodice"_s, u"Codice"_s, 400, 0, 1000, 250);
    QList<QList<Variant>> records;
    for (const auto &[nome, tipo, categoria, codice, q] :
         {std::tuple{"Rossi", "Fornitore", "Ferri", "A1", 1}, {"Rossi", "Fornitore", "Ferri", "A2", 2},
          {"Rossi", "Fornitore", "Viti", "B1", 4}, {"Bianchi", "Cliente", "Viti", "B1", 8}})
        records.append({Variant(nome), Variant(tipo), Variant(categoria), Variant(codice), Variant(std::int32_t(q))});
    nested.setRecordset(makeRecordset({{u"Nome"_s, DataType::adVarWChar, 20}, {u"Tipo"_s, DataType::adVarWChar, 20},
                                       {u"Categoria"_s, DataType::adVarWChar, 20},
                                       {u"Codice"_s, DataType::adVarWChar, 20}, {u"Q"_s, DataType::adInteger}},
                                      records));
    nested.run();
    EXPECT_EQ(nested.document()->pageText(0), u"Rossi (Fornitore)\nCategoria: Ferri 3\nA1\nA2\nCategoria: Viti 4\n"
                                              "B1\n7\nBianchi (Cliente)\nCategoria: Viti 8\nB1\n8"_s);
}

TEST(ReportRun, FormatEventsAndAClientSideFilterShapeTheDetail)
{
    ReportLayout layout;
    layout.detail().height = 250;
    layout.detail().addField(u"txtCodice"_s, u"Codice"_s, 0, 0, 1500, 250);
    layout.detail().addField(u"txtPrezzo"_s, u"Prezzo"_s, 2000, 0, 1500, 250);
    layout.detail().addField(u"txtNota"_s, QString(), 4000, 0, 2000, 250);
    layout.reportFooter().height = 250;
    summary(layout.reportFooter().addField(u"txtTot"_s, u"Prezzo"_s, 2000, 0, 1000, 250), SummaryScope::Report);
    QList<int> pages;
    layout.setFormatHandler(u"Detail"_s, [&](FormatContext &ctx) {
        const bool negative = ctx.value(u"Prezzo"_s).toDouble() < 0;
        ctx.section().control(u"txtPrezzo"_s).visible = !negative;
        ctx.section().control(u"txtNota"_s).text = negative ? u"reso"_s : QString();
        pages.append(ctx.pageNumber());
    });
    layout.setRecordset(makeRecordset({{u"Codice"_s, DataType::adVarWChar, 24}, {u"Prezzo"_s, DataType::adDouble}},
                                      {{Variant("A"), Variant(1.5)}, {Variant("Z"), Variant(0.0)},
                                       {Variant("B"), Variant(-2.0)}, {Variant("C"), Variant(3.0)}}));
    layout.setFilter(u"Prezzo<>0"_s);
    layout.run();
    const ReportDocument &doc = *layout.document();
    // The filtered record is neither printed, formatted nor summed.
    EXPECT_EQ(doc.pageText(0), u"A 1,5\nB reso\nC 3\n2,5"_s);
    EXPECT_EQ(itemsNamed(doc, u"txtPrezzo"_s).size(), 2);
    EXPECT_EQ(pages, (QList<int>{1, 1, 1}));
    // Back to the design after the run.
    EXPECT_TRUE(layout.control(u"txtPrezzo"_s).visible);
    EXPECT_EQ(layout.control(u"txtNota"_s).text, QString());
}

namespace {

// A layout with an export mode like the program's reduced export forms:
// while ModoEsportazione holds, no report header, footers or page-footer,
// the page header on page 1 only and without its rule "Line2". The mode
// ends with the run.
class ListWithExportMode : public ReportLayout
{
public:
    bool ModoEsportazione = false;
    int finished = 0;

    ListWithExportMode()
    {
        reportHeader().height = 500;
        reportHeader().addLabel(u"lblTitle"_s, u"Articoli sottoscorta"_s, 0, 0, 5000, 400);
        pageHeader().height = 400;
        pageHeader().addLabel(u"Label5"_s, u"Articolo"_s, 0, 0, 1500, 250);
        pageHeader().addLine(u"Line2"_s, 0, 300, 9000, 300);
        detail().height = 260;
        detail().addField(u"txtCodiceArticolo"_s, u"Codice"_s, 0, 0, 1500, 250);
        pageFooter().height = 300;
        pageFooter().addField(u"p1"_s, u"=PageNumber"_s, 8000, 0, 500, 250);
        reportFooter().height = 300;
        reportFooter().addLabel(u"lblFine"_s, u"Fine"_s, 0, 0, 1000, 250);
        for (const char *section : {"ReportHeader", "ReportFooter", "PageFooter"})
            setFormatHandler(QString::fromLatin1(section),
                             [this](FormatContext &ctx) { ctx.section().visible = !ModoEsportazione; });
        setFormatHandler(u"PageHeader"_s, [this](FormatContext &ctx) {
            ctx.section().visible = !ModoEsportazione || ctx.pageNumber() == 1;
            ctx.section().control(u"Line2"_s).visible = !ModoEsportazione;
        });
    }

protected:
    void runFinished() override
    {
        ModoEsportazione = false;
        ++finished;
    }
};

std::shared_ptr<Recordset> articles(int count)
{
    QList<QList<Variant>> rows;
    for (int i = 0; i < count; ++i)
        rows.append({Variant(u"C%1"_s.arg(i, 3, 10, QLatin1Char('0')))});
    return makeRecordset({{u"Codice"_s, DataType::adVarWChar, 24}}, rows);
}

// How many report headers, page headers, page footers and report footers
// a document holds.
QList<int> bandsOf(const ReportDocument &doc)
{
    QList<int> counts;
    for (const SectionKind kind : {SectionKind::ReportHeader, SectionKind::PageHeader, SectionKind::PageFooter,
                                   SectionKind::ReportFooter}) {
        counts.append(0);
        for (int p = 0; p < doc.pageCount(); ++p)
            counts.back() += int(std::ranges::count(doc.page(p).bands, kind, &RenderedBand::kind));
    }
    return counts;
}

} // namespace

TEST(ReportRun, ExportModeHoldsForOneRunOnlyEvenAFailingOne)
{
    ListWithExportMode layout;
    layout.setRecordset(articles(130));
    layout.ModoEsportazione = true;
    layout.run();
    EXPECT_FALSE(layout.ModoEsportazione);
    EXPECT_EQ(layout.finished, 1);
    const auto reduced = layout.document();
    ASSERT_GE(reduced->pageCount(), 2);
    EXPECT_EQ(bandsOf(*reduced), (QList<int>{0, 1, 0, 0}));
    EXPECT_TRUE(itemsNamed(*reduced, u"Line2"_s).isEmpty());
    EXPECT_EQ(itemsNamed(*reduced, u"txtCodiceArticolo"_s).size(), 130);

    // The design is whole again, and the next run shows everything.
    EXPECT_TRUE(layout.pageHeader().visible);
    EXPECT_TRUE(layout.control(u"Line2"_s).visible);
    layout.run();
    const auto full = layout.document();
    EXPECT_EQ(bandsOf(*full), (QList<int>{1, full->pageCount(), full->pageCount(), 1}));
    EXPECT_EQ(itemsNamed(*full, u"Line2"_s).size(), full->pageCount());

    // Without records: the headers and footers, no detail.
    layout.setRecordset(articles(0));
    layout.run();
    EXPECT_EQ(layout.document()->pageCount(), 1);
    EXPECT_EQ(layout.document()->pageText(0), u"Articoli sottoscorta\nArticolo\nFine\n1"_s);

    // A run that fails still ends the mode and leaves no pages and the design as it was.
    layout.setRecordset(articles(3));
    layout.ModoEsportazione = true;
    layout.setFormatHandler(u"Detail"_s, [&](FormatContext &ctx) {
        ctx.section().control(u"txtCodiceArticolo"_s).text = u"x"_s;
        throw ReportError(ReportError::Kind::RunFailed, u"boom"_s);
    });
    EXPECT_THROW(layout.run(), ReportError);
    EXPECT_FALSE(layout.ModoEsportazione);
    EXPECT_EQ(layout.document(), nullptr);
    EXPECT_EQ(layout.control(u"txtCodiceArticolo"_s).text, QString());
}

TEST(ReportRun, GroupHeadersKeepWithTheirFirstRecordGroupsCanEndTheirPageAndFieldsGrow)
{
    ReportLayout layout;
    ReportSection &gh = layout.addGroup(u"gh"_s, u"gf"_s, u"Gruppo"_s);
    gh.height = 400;
    gh.keepTogether = true;
    gh.addField(u"txtGruppo"_s, u"Gruppo"_s, 0, 0, 1000, 250);
    layout.detail().height = 1000;
    layout.detail().addField(u"txtCodice"_s, u"Codice"_s, 0, 0, 1000, 250);
    // 13 records of 1000 twips and a header fill the first page up to 400
    // twips from its end: the second group's header would fit there alone.
    const auto records = [](const QList<std::pair<const char *, QString>> &rows) {
        QList<QList<Variant>> values;
        for (const auto &[group, code] : rows)
            values.append({Variant(group), Variant(code)});
        return makeRecordset({{u"Gruppo"_s, DataType::adVarWChar, 4}, {u"Codice"_s, DataType::adVarWChar, 8}}, values);
    };
    QList<std::pair<const char *, QString>> rows;
    for (int i = 0; i < 14; ++i)
        rows.append({i < 13 ? "A" : "B", u"R%1"_s.arg(i)});
    layout.page().topMargin = 0;
    layout.page().bottomMargin = 0;
    layout.page().paper = QPageSize::Custom;
    layout.page().customWidth = 11906;
    layout.page().customHeight = 400 + 13 * 1000 + 600;
    layout.setRecordset(records(rows));
    layout.run();
    const auto headers = itemsNamed(*layout.document(), u"txtGruppo"_s);
    ASSERT_EQ(headers.size(), 2);
    EXPECT_EQ(headers[1].first, 1);
    EXPECT_DOUBLE_EQ(headers[1].second.rect.top(), 0);

    gh.keepTogether = false;
    layout.invalidate();
    layout.run();
    EXPECT_EQ(itemsNamed(*layout.document(), u"txtGruppo"_s)[1].first, 0);

    // A new page after each group, and no blank page after the last one.
    layout.groupFooter(0).newPage = NewPage::After;
    layout.setRecordset(records({{"A", u"1"_s}, {"A", u"2"_s}, {"B", u"3"_s}}));
    layout.run();
    const ReportDocument &doc = *layout.document();
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(doc.pageText(0), u"A\n1\n2"_s);
    EXPECT_EQ(doc.pageText(1), u"B\n3"_s);

    // A field that can grow pushes the rest of the report down.
    ReportLayout growth;
    growth.detail().height = 300;
    growth.detail().canGrow = true;
    growth.detail().addField(u"txtNote"_s, u"Note"_s, 0, 0, 1500, 250).canGrow = true;
    growth.setRecordset(makeRecordset({{u"Note"_s, DataType::adLongVarWChar}},
                                      {{Variant("Una nota abbastanza lunga da andare a capo più volte nel suo riquadro")},
                                       {Variant("corta")}}));
    growth.run();
    const auto notes = itemsNamed(*growth.document(), u"txtNote"_s);
    ASSERT_EQ(notes.size(), 2);
    const QRectF first = notes[0].second.rect;
    const QRectF second = notes[1].second.rect;
    EXPECT_GT(first.height(), 700);
    EXPECT_NEAR(second.top(), first.top() + 300 + first.height() - 250, 0.5);
    // A short text keeps at least the designed height (one line of the
    // font the system substitutes may be a little taller).
    EXPECT_GE(second.height(), 250);
    EXPECT_LT(second.height(), 400);
}

// A growing field takes the height its laid-out text needs: short, wrapped,
// accented, with a line break, beyond Latin-1, and a character either side
// of the width; a word wider than the field breaks where the line is full.
TEST(ReportRun, GrowingFieldsTakeTheHeightTheirTextsNeedWhenLaidOut)
{
    ReportLayout layout;
    layout.detail().canGrow = true;
    ReportControl &field = layout.detail().addField(u"txtA"_s, u"T"_s, 0, 0, 1500, 10);
    field.canGrow = true;
    const QFontMetricsF metrics(field.font.toQFont());
    QStringList texts = {u"corta"_s, u"Perché è già lì: àèéìòù ç ñ ß"_s, u"riga\nseconda"_s, u"€ 12,50 — 中文"_s};
    for (const QString &unit : {u"M"_s, u"ab "_s}) {
        QString text;
        while (metrics.horizontalAdvance(text) < 1500 * 1.1)
            texts.append(text += unit[text.size() % unit.size()]);
    }
    QList<QList<Variant>> rows;
    for (const QString &t : texts)
        rows.append({Variant(t)});
    layout.setRecordset(makeRecordset({{u"T"_s, DataType::adLongVarWChar}}, rows));
    layout.run();

    const auto items = itemsNamed(*layout.document(), u"txtA"_s);
    ASSERT_EQ(items.size(), texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const bool longWord = !texts[i].contains(u' ') && metrics.horizontalAdvance(texts[i]) > 1500;
        const int wrap = longWord ? Qt::TextWrapAnywhere : Qt::TextWordWrap;
        EXPECT_DOUBLE_EQ(items[i].second.rect.height(),
                         metrics.boundingRect(QRectF(0, 0, 1500, 1e7), Qt::AlignTop | wrap, texts[i]).height())
            << texts[i].toStdString();
    }
}

// What stands below a growing field moves down with it, and what stands
// beside it stays: a rule under a name of two lines stays under the name,
// and the section grows by as much.
TEST(ReportRun, ItemsBelowAGrowingFieldMoveDownWithIt)
{
    ReportLayout layout;
    ReportSection &header = layout.addGroup(u"ghMovimento"_s, u"gfMovimento"_s, u"Id"_s);
    header.height = 360;
    header.canGrow = true;
    header.addField(u"txtNome"_s, u"Nome"_s, 0, 0, 1500, 280).canGrow = true;
    header.addField(u"txtData"_s, u"Id"_s, 1600, 0, 1000, 280);
    header.addLine(u"Line3"_s, 0, 300, 3000, 300);
    layout.detail().height = 300;
    layout.setRecordset(makeRecordset({{u"Id"_s, DataType::adInteger}, {u"Nome"_s, DataType::adVarWChar, 100}},
                                      {{Variant(std::int32_t(1)), Variant(u"Rossi"_s)},
                                       {Variant(std::int32_t(2)), Variant(u"Ferramenta Rossi e Figli di Milano"_s)}}));
    layout.run();

    const ReportDocument &doc = *layout.document();
    const auto names = itemsNamed(doc, u"txtNome"_s);
    const auto rules = itemsNamed(doc, u"Line3"_s);
    const auto dates = itemsNamed(doc, u"txtData"_s);
    ASSERT_EQ(names.size(), 2);
    ASSERT_EQ(rules.size(), 2);
    const double growth = names[1].second.rect.height() - 280;
    EXPECT_GT(growth, 150);
    EXPECT_DOUBLE_EQ(rules[0].second.rect.top() - names[0].second.rect.top(), 300);
    EXPECT_DOUBLE_EQ(rules[1].second.rect.top() - names[1].second.rect.top(), 300 + growth);
    EXPECT_DOUBLE_EQ(rules[1].second.rect.bottom(), rules[1].second.rect.top());
    EXPECT_DOUBLE_EQ(dates[1].second.rect.top(), names[1].second.rect.top());
    std::vector<double> headers;
    for (const RenderedBand &band : doc.page(0).bands)
        if (band.kind == SectionKind::GroupHeader)
            headers.push_back(band.rect.height());
    EXPECT_EQ(headers, (std::vector<double>{360, 360 + growth}));
}

namespace {

// The built-in label layout of the program's label report: A4 with 567
// twip margins, three labels of 3402 x 1701 twips per row.
void buildLabelSheet(ReportLayout &layout, ColumnDirection direction)
{
    layout.page().paper = QPageSize::Custom;
    layout.page().customWidth = 11904;
    layout.page().customHeight = 16833;
    layout.page().leftMargin = layout.page().topMargin = layout.page().rightMargin = layout.page().bottomMargin = 567;
    layout.setPrintWidth(3 * 3402 + 2 * 170);
    ReportSection &label = layout.detail();
    label.name = u"Etichetta"_s;
    label.height = 1701;
    label.columnCount = 3;
    label.columnSpacing = 170;
    label.columnDirection = direction;
    label.addField(u"txtCodice"_s, u"Codice"_s, 100, 100, 2000, 250);
}

} // namespace

TEST(ReportLabels, AcrossThenDownOrDownThenAcrossSkippedPositionsStayEmptyAndNothingHangs)
{
    // Nine rows of 1701 twips fit between the margins (16833 - 2 x 567).
    for (const ColumnDirection direction : {ColumnDirection::AcrossDown, ColumnDirection::DownAcross}) {
        ReportLayout layout;
        buildLabelSheet(layout, direction);
        layout.setRecordset(articles(32));
        layout.run();
        const ReportDocument &doc = *layout.document();
        const auto labels = itemsNamed(doc, u"txtCodice"_s);
        ASSERT_EQ(labels.size(), 32);
        EXPECT_EQ(doc.pageCount(), 2);
        const bool across = direction == ColumnDirection::AcrossDown;
        for (int k = 0; k < 32; ++k) {
            const int onPage = k % 27;
            const int column = across ? onPage % 3 : onPage / 9;
            const int row = across ? onPage / 3 : onPage % 9;
            EXPECT_EQ(labels[k].first, k / 27) << k;
            EXPECT_EQ(labels[k].second.rect.topLeft(), QPointF(567 + column * 3572 + 100, 567 + row * 1701 + 100))
                << across << k;
        }
    }

    // Skipped positions stay empty and an event cannot hang the run.
    ReportLayout layout;
    buildLabelSheet(layout, ColumnDirection::AcrossDown);
    int skip = 5;
    int action = LayoutAction::Default;
    layout.setFormatHandler(u"Etichetta"_s, [&](FormatContext &ctx) {
        ctx.setLayoutAction(skip-- > 0 ? LayoutAction::MoveLayout : action);
    });
    layout.setRecordset(articles(2));
    layout.run();
    const auto labels = itemsNamed(*layout.document(), u"txtCodice"_s);
    ASSERT_EQ(labels.size(), 2);
    // Five positions skipped with three per row: the first label is the
    // third of the second row.
    EXPECT_EQ(labels[0].second.text, u"C000"_s);
    EXPECT_EQ(labels[0].second.rect.topLeft(), QPointF(567 + 2 * 3572 + 100, 567 + 1701 + 100));
    EXPECT_EQ(labels[1].second.rect.topLeft(), QPointF(567 + 100, 567 + 2 * 1701 + 100));

    // Without MoveLayout and NextRecord the record is taken as done.
    skip = 0;
    action = LayoutAction::PrintSection;
    layout.run();
    EXPECT_TRUE(itemsNamed(*layout.document(), u"txtCodice"_s).isEmpty());
    EXPECT_EQ(layout.document()->pageCount(), 1);
    // Skipping forever is stopped with an error.
    action = LayoutAction::MoveLayout;
    const auto error = testsupport::errorOf<ReportError>([&] { layout.run(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), ReportError::Kind::RunFailed);
    EXPECT_EQ(error->description(),
              u"Impossibile completare il report: il dettaglio non passa mai al record successivo."_s);
}

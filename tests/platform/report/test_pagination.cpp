// Runs of layouts on fabricated data: pages, groups, sums, page numbers,
// format events, export mode and label columns.
#include "ReportTestSupport.h"

#include "platform/data/Recordset.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace platform;
using namespace platform::report;
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
        for (int i = 0; i < count; ++i, ++n) {
            rows.append({Variant(group), Variant(QStringLiteral("ART%1").arg(n, 4, 10, QLatin1Char('0'))),
                         Variant(std::int32_t(i % 7 - 2)), Variant(Currency::fromRaw(12345 * (n + 1)))});
        }
    }
    return makeRecordset({{QStringLiteral("Gruppo"), DataType::adVarWChar, 10},
                          {QStringLiteral("Codice"), DataType::adVarWChar, 24},
                          {QStringLiteral("Q"), DataType::adInteger},
                          {QStringLiteral("V"), DataType::adCurrency}},
                         rows);
}

// A list with a group on Gruppo: sums in the group header (look-ahead), in
// the group footer and running in the detail, page sums and page n of m in
// the page footer, grand totals in the report footer.
void buildGroupedList(ReportLayout &layout)
{
    layout.reportHeader().height = 600;
    layout.reportHeader().addLabel(QStringLiteral("lblTitolo"), QStringLiteral("Giornale"), 0, 0, 6000, 400);
    layout.pageHeader().height = 300;
    layout.pageHeader().addLabel(QStringLiteral("lblCodice"), QStringLiteral("Codice"), 0, 0, 1500, 250);
    ReportSection &gh = layout.addGroup(QStringLiteral("GroupHeader1"), QStringLiteral("GroupFooter1"), QStringLiteral("Gruppo"));
    gh.height = 300;
    gh.addField(QStringLiteral("txtGruppo"), QStringLiteral("Gruppo"), 0, 0, 1500, 250);
    summary(gh.addField(QStringLiteral("txtVgruppoTesta"), QStringLiteral("V"), 4000, 0, 1500, 250));
    ReportSection &detail = layout.detail();
    detail.height = 270;
    detail.addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 0, 0, 1500, 250);
    detail.addField(QStringLiteral("txtQ"), QStringLiteral("Q"), 2000, 0, 1000, 250);
    detail.addField(QStringLiteral("txtV"), QStringLiteral("V"), 4000, 0, 1500, 250).outputFormat = QStringLiteral("#,##0.00");
    ReportControl &running = summary(detail.addField(QStringLiteral("txtProgressivo"), QStringLiteral("V"), 6000, 0, 1500, 250));
    running.summaryRunning = true;
    ReportSection &gf = layout.groupFooter(0);
    gf.height = 300;
    summary(gf.addField(QStringLiteral("txtVgruppo"), QStringLiteral("V"), 4000, 0, 1500, 250));
    summary(gf.addField(QStringLiteral("txtRighe"), QString(), 2000, 0, 1000, 250), SummaryScope::Group,
            SummaryFunction::Count);
    ReportSection &pf = layout.pageFooter();
    pf.height = 300;
    pf.addField(QStringLiteral("txtPagina"), QStringLiteral("='Pagina ' & PageNumber & ' di ' & PageCount"), 0, 0, 3000, 250);
    summary(pf.addField(QStringLiteral("txtVpagina"), QStringLiteral("V"), 4000, 0, 1500, 250), SummaryScope::Page);
    ReportSection &rf = layout.reportFooter();
    rf.height = 300;
    summary(rf.addField(QStringLiteral("txtVtot"), QStringLiteral("V"), 4000, 0, 1500, 250), SummaryScope::Report);
    summary(rf.addField(QStringLiteral("txtQtot"), QStringLiteral("Q"), 2000, 0, 1000, 250), SummaryScope::Report);
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
    const auto pageLines = itemsNamed(doc, QStringLiteral("txtPagina"));
    ASSERT_EQ(pageLines.size(), pages);
    for (int p = 0; p < pages; ++p) {
        EXPECT_EQ(pageLines[p].first, p);
        EXPECT_EQ(pageLines[p].second->text, QStringLiteral("Pagina %1 di %2").arg(p + 1).arg(pages));
    }

    // Group sums: the header's (computed ahead) and the footer's agree with
    // the data, and the running sum ends on the group's total.
    const auto heads = itemsNamed(doc, QStringLiteral("txtVgruppoTesta"));
    const auto feet = itemsNamed(doc, QStringLiteral("txtVgruppo"));
    const auto counts = itemsNamed(doc, QStringLiteral("txtRighe"));
    ASSERT_EQ(heads.size(), 3);
    ASSERT_EQ(feet.size(), 3);
    const QStringList groups{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    const int sizes[] = {45, 30, 40};
    for (int g = 0; g < 3; ++g) {
        const Variant expected(sumOf(*data, groups[g]));
        EXPECT_EQ(heads[g].second->value, expected) << g;
        EXPECT_EQ(feet[g].second->value, expected) << g;
        EXPECT_EQ(counts[g].second->value, Variant(std::int32_t(sizes[g])));
    }
    const auto running = itemsNamed(doc, QStringLiteral("txtProgressivo"));
    ASSERT_EQ(running.size(), 115);
    EXPECT_EQ(running[44].second->value, Variant(sumOf(*data, QStringLiteral("A"))));
    EXPECT_EQ(running[45].second->value, Variant(*data->valueAt(45, 3).get<Currency>()));
    EXPECT_EQ(running[114].second->value, Variant(sumOf(*data, QStringLiteral("C"))));

    // Page sums cover exactly the detail records of their page.
    const auto pageSums = itemsNamed(doc, QStringLiteral("txtVpagina"));
    const auto values = itemsNamed(doc, QStringLiteral("txtV"));
    ASSERT_EQ(pageSums.size(), pages);
    for (int p = 0; p < pages; ++p) {
        Currency onPage;
        for (const auto &[page, item] : values) {
            if (page == p)
                onPage += *item->value.get<Currency>();
        }
        EXPECT_EQ(pageSums[p].second->value, Variant(onPage)) << "page " << p + 1;
    }

    // Grand totals, the whole report once, on the last page.
    const auto total = itemsNamed(doc, QStringLiteral("txtVtot"));
    ASSERT_EQ(total.size(), 1);
    EXPECT_EQ(total[0].first, pages - 1);
    EXPECT_EQ(total[0].second->value, Variant(sumOf(*data)));
    std::int32_t q = 0;
    for (int r = 0; r < data->rowCount(); ++r)
        q += data->valueAt(r, 2).toInt32();
    EXPECT_EQ(itemsNamed(doc, QStringLiteral("txtQtot"))[0].second->value, Variant(q));

    // Every detail record once, in order; page header on every page, title
    // on the first only.
    const auto codes = itemsNamed(doc, QStringLiteral("txtCodice"));
    ASSERT_EQ(codes.size(), 115);
    for (int i = 0; i < 115; ++i)
        EXPECT_EQ(codes[i].second->text, QStringLiteral("ART%1").arg(i, 4, 10, QLatin1Char('0')));
    EXPECT_EQ(itemsNamed(doc, QStringLiteral("lblCodice")).size(), pages);
    EXPECT_EQ(itemsNamed(doc, QStringLiteral("lblTitolo")).size(), 1);

    // Nothing runs into the page footer or off the paper.
    const double footerTop = doc.paperSize.height() - layout.page().bottomMargin - layout.pageFooter().height;
    for (const RenderedPage &page : doc.pages) {
        for (const RenderedBand &band : page.bands) {
            if (band.kind == SectionKind::PageFooter) {
                EXPECT_DOUBLE_EQ(band.rect.top(), footerTop);
                continue;
            }
            EXPECT_GE(band.rect.top(), layout.page().topMargin);
            EXPECT_LE(band.rect.bottom(), footerTop + 0.001) << band.section.toStdString();
        }
    }
}

TEST(ReportRun, GroupKeyedOnAFunctionOfTheRecord)
{
    ReportLayout layout;
    ReportSection &gh = layout.addGroup(QStringLiteral("ghOrderGroup"), QStringLiteral("GroupFooter1"));
    gh.height = 300;
    gh.addLabel(QStringLiteral("lblLetter"), QString(), 0, 0, 1000, 250);
    layout.detail().height = 250;
    layout.detail().addField(QStringLiteral("txtNome"), QStringLiteral("Nome"), 0, 0, 3000, 250);
    summary(layout.groupFooter(0).addField(QStringLiteral("txtQuanti"), QStringLiteral("Nome"), 0, 0, 1000, 250),
            SummaryScope::Group, SummaryFunction::Count);
    layout.groupFooter(0).height = 250;
    layout.setGroupKey(QStringLiteral("ghOrderGroup"), [](const ReportRecord &r) {
        const QString nome = r.value(QStringLiteral("Nome")).isNull() ? QString() : r.value(QStringLiteral("Nome")).toString();
        return Variant(nome.left(1).toUpper());
    });
    layout.setFormatHandler(QStringLiteral("ghOrderGroup"), [&](FormatContext &ctx) {
        ctx.section().control(QStringLiteral("lblLetter")).caption = ctx.groupValue().toString();
    });
    layout.setRecordset(makeRecordset({{QStringLiteral("Nome"), DataType::adVarWChar, 100}},
                                      {{Variant("anna verdi")}, {Variant("Antonio Neri")}, {Variant("Bianchi Mario")},
                                       {Variant("bruno")}, {Variant("Rossi Srl")}}));
    layout.run();
    const ReportDocument &doc = *layout.document();
    EXPECT_EQ(doc.pageText(0), QStringLiteral("A\nanna verdi\nAntonio Neri\n2\nB\nBianchi Mario\nbruno\n2\nR\nRossi Srl\n1"));
    // The caption set by the event is the design's again after the run.
    EXPECT_EQ(layout.control(QStringLiteral("lblLetter")).caption, QString());
}

TEST(ReportRun, NestedGroupsOnAnExpressionAndAColumn)
{
    ReportLayout layout;
    ReportSection &outer = layout.addGroup(QStringLiteral("contHead"), QStringLiteral("contFooter"),
                                           QStringLiteral("=Nome & ' (' & Tipo & ')'"));
    outer.height = 250;
    outer.addField(QStringLiteral("txtContropartita"), QStringLiteral("=Nome & ' (' & Tipo & ')'"), 0, 0, 4000, 250);
    ReportSection &inner = layout.addGroup(QStringLiteral("catHead"), QStringLiteral("catFooter"), QStringLiteral("[Categoria]"));
    inner.height = 250;
    inner.addField(QStringLiteral("txtCategoria"), QStringLiteral("=\"Categoria: \" + Categoria"), 200, 0, 4000, 250);
    summary(inner.addField(QStringLiteral("txtQcat"), QStringLiteral("Q"), 5000, 0, 1000, 250));
    summary(layout.groupFooter(0).addField(QStringLiteral("txtQcont"), QStringLiteral("Q"), 5000, 0, 1000, 250)).summaryGroup =
        QStringLiteral("contHead");
    layout.groupFooter(0).height = 250;
    layout.detail().height = 250;
    layout.detail().addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 400, 0, 1000, 250);
    layout.setRecordset(makeRecordset({{QStringLiteral("Nome"), DataType::adVarWChar, 20},
                                       {QStringLiteral("Tipo"), DataType::adVarWChar, 20},
                                       {QStringLiteral("Categoria"), DataType::adVarWChar, 20},
                                       {QStringLiteral("Codice"), DataType::adVarWChar, 20},
                                       {QStringLiteral("Q"), DataType::adInteger}},
                                      {{Variant("Rossi"), Variant("Fornitore"), Variant("Ferri"), Variant("A1"), Variant(std::int32_t(1))},
                                       {Variant("Rossi"), Variant("Fornitore"), Variant("Ferri"), Variant("A2"), Variant(std::int32_t(2))},
                                       {Variant("Rossi"), Variant("Fornitore"), Variant("Viti"), Variant("B1"), Variant(std::int32_t(4))},
                                       {Variant("Bianchi"), Variant("Cliente"), Variant("Viti"), Variant("B1"), Variant(std::int32_t(8))}}));
    layout.run();
    EXPECT_EQ(layout.document()->pageText(0),
              QStringLiteral("Rossi (Fornitore)\nCategoria: Ferri 3\nA1\nA2\nCategoria: Viti 4\nB1\n7\n"
                             "Bianchi (Cliente)\nCategoria: Viti 8\nB1\n8"));
}

TEST(ReportRun, FormatEventsAndAClientSideFilterShapeTheDetail)
{
    ReportLayout layout;
    layout.detail().height = 250;
    layout.detail().addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 0, 0, 1500, 250);
    layout.detail().addField(QStringLiteral("txtPrezzo"), QStringLiteral("Prezzo"), 2000, 0, 1500, 250);
    layout.detail().addField(QStringLiteral("txtNota"), QString(), 4000, 0, 2000, 250);
    layout.reportFooter().height = 250;
    summary(layout.reportFooter().addField(QStringLiteral("txtTot"), QStringLiteral("Prezzo"), 2000, 0, 1000, 250),
            SummaryScope::Report);
    QList<int> pages;
    layout.setFormatHandler(QStringLiteral("Detail"), [&](FormatContext &ctx) {
        const bool negative = ctx.value(QStringLiteral("Prezzo")).toDouble() < 0;
        ctx.section().control(QStringLiteral("txtPrezzo")).visible = !negative;
        ctx.section().control(QStringLiteral("txtNota")).text = negative ? QStringLiteral("reso") : QString();
        pages.append(ctx.pageNumber());
    });
    layout.setRecordset(makeRecordset({{QStringLiteral("Codice"), DataType::adVarWChar, 24},
                                       {QStringLiteral("Prezzo"), DataType::adDouble}},
                                      {{Variant("A"), Variant(1.5)}, {Variant("Z"), Variant(0.0)},
                                       {Variant("B"), Variant(-2.0)}, {Variant("C"), Variant(3.0)}}));
    layout.setFilter(QStringLiteral("Prezzo<>0"));
    layout.run();
    const ReportDocument &doc = *layout.document();
    // The filtered record is neither printed, formatted nor summed.
    EXPECT_EQ(doc.pageText(0), QStringLiteral("A 1,5\nB reso\nC 3\n2,5"));
    EXPECT_EQ(itemsNamed(doc, QStringLiteral("txtPrezzo")).size(), 2);
    EXPECT_EQ(pages, (QList<int>{1, 1, 1}));
    // Back to the design after the run.
    EXPECT_TRUE(layout.control(QStringLiteral("txtPrezzo")).visible);
    EXPECT_EQ(layout.control(QStringLiteral("txtNota")).text, QString());
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
        reportHeader().addLabel(QStringLiteral("lblTitle"), QStringLiteral("Articoli sottoscorta"), 0, 0, 5000, 400);
        pageHeader().height = 400;
        pageHeader().addLabel(QStringLiteral("Label5"), QStringLiteral("Articolo"), 0, 0, 1500, 250);
        pageHeader().addLine(QStringLiteral("Line2"), 0, 300, 9000, 300);
        detail().height = 260;
        detail().addField(QStringLiteral("txtCodiceArticolo"), QStringLiteral("Codice"), 0, 0, 1500, 250);
        pageFooter().height = 300;
        pageFooter().addField(QStringLiteral("p1"), QStringLiteral("=PageNumber"), 8000, 0, 500, 250);
        reportFooter().height = 300;
        reportFooter().addLabel(QStringLiteral("lblFine"), QStringLiteral("Fine"), 0, 0, 1000, 250);
        for (const char *section : {"ReportHeader", "ReportFooter", "PageFooter"})
            setFormatHandler(QString::fromLatin1(section), [this](FormatContext &ctx) {
                ctx.section().visible = !ModoEsportazione;
            });
        setFormatHandler(QStringLiteral("PageHeader"), [this](FormatContext &ctx) {
            ctx.section().visible = !ModoEsportazione || ctx.pageNumber() == 1;
            ctx.section().control(QStringLiteral("Line2")).visible = !ModoEsportazione;
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
        rows.append({Variant(QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0')))});
    return makeRecordset({{QStringLiteral("Codice"), DataType::adVarWChar, 24}}, rows);
}

int bandsOf(const ReportDocument &doc, SectionKind kind)
{
    int n = 0;
    for (const RenderedPage &p : doc.pages) {
        for (const RenderedBand &b : p.bands)
            n += b.kind == kind ? 1 : 0;
    }
    return n;
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
    EXPECT_EQ(bandsOf(*reduced, SectionKind::ReportHeader), 0);
    EXPECT_EQ(bandsOf(*reduced, SectionKind::ReportFooter), 0);
    EXPECT_EQ(bandsOf(*reduced, SectionKind::PageFooter), 0);
    EXPECT_EQ(bandsOf(*reduced, SectionKind::PageHeader), 1);
    EXPECT_TRUE(itemsNamed(*reduced, QStringLiteral("Line2")).isEmpty());
    EXPECT_EQ(itemsNamed(*reduced, QStringLiteral("txtCodiceArticolo")).size(), 130);

    // The design is whole again, and the next run shows everything.
    EXPECT_TRUE(layout.pageHeader().visible);
    EXPECT_TRUE(layout.control(QStringLiteral("Line2")).visible);
    layout.run();
    const auto full = layout.document();
    EXPECT_EQ(bandsOf(*full, SectionKind::ReportHeader), 1);
    EXPECT_EQ(bandsOf(*full, SectionKind::PageHeader), full->pageCount());
    EXPECT_EQ(bandsOf(*full, SectionKind::PageFooter), full->pageCount());
    EXPECT_EQ(itemsNamed(*full, QStringLiteral("Line2")).size(), full->pageCount());

    // Without records: the headers and footers, no detail.
    layout.setRecordset(articles(0));
    layout.run();
    EXPECT_EQ(layout.document()->pageCount(), 1);
    EXPECT_EQ(layout.document()->pageText(0), QStringLiteral("Articoli sottoscorta\nArticolo\nFine\n1"));

    // A run that fails still ends the mode and leaves no pages and the design as it was.
    layout.setRecordset(articles(3));
    layout.ModoEsportazione = true;
    layout.setFormatHandler(QStringLiteral("Detail"), [&](FormatContext &ctx) {
        ctx.section().control(QStringLiteral("txtCodiceArticolo")).text = QStringLiteral("x");
        throw ReportError(ReportError::Kind::RunFailed, QStringLiteral("boom"));
    });
    EXPECT_THROW(layout.run(), ReportError);
    EXPECT_FALSE(layout.ModoEsportazione);
    EXPECT_EQ(layout.document(), nullptr);
    EXPECT_EQ(layout.control(QStringLiteral("txtCodiceArticolo")).text, QString());
}

TEST(ReportRun, GroupHeadersKeepWithTheirFirstRecordAndGroupsCanEndTheirPage)
{
    ReportLayout layout;
    ReportSection &gh = layout.addGroup(QStringLiteral("gh"), QStringLiteral("gf"), QStringLiteral("Gruppo"));
    gh.height = 400;
    gh.keepTogether = true;
    gh.addField(QStringLiteral("txtGruppo"), QStringLiteral("Gruppo"), 0, 0, 1000, 250);
    layout.detail().height = 1000;
    layout.detail().addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 0, 0, 1000, 250);
    // 13 records of 1000 twips and a header fill the first page up to 400
    // twips from its end: the second group's header would fit there alone.
    QList<QList<Variant>> rows;
    for (int i = 0; i < 14; ++i)
        rows.append({Variant(i < 13 ? "A" : "B"), Variant(QStringLiteral("R%1").arg(i))});
    layout.page().topMargin = 0;
    layout.page().bottomMargin = 0;
    layout.page().paper = QPageSize::Custom;
    layout.page().customWidth = 11906;
    layout.page().customHeight = 400 + 13 * 1000 + 600;
    layout.setRecordset(makeRecordset({{QStringLiteral("Gruppo"), DataType::adVarWChar, 4}, {QStringLiteral("Codice"), DataType::adVarWChar, 8}}, rows));
    layout.run();
    const auto headers = itemsNamed(*layout.document(), QStringLiteral("txtGruppo"));
    ASSERT_EQ(headers.size(), 2);
    EXPECT_EQ(headers[1].first, 1);
    EXPECT_DOUBLE_EQ(headers[1].second->rect.top(), 0);

    gh.keepTogether = false;
    layout.invalidate();
    layout.run();
    EXPECT_EQ(itemsNamed(*layout.document(), QStringLiteral("txtGruppo"))[1].first, 0);

    // A new page after each group, and no blank page after the last one.
    layout.groupFooter(0).newPage = NewPage::After;
    layout.setRecordset(makeRecordset(
        {{QStringLiteral("Gruppo"), DataType::adVarWChar, 4}, {QStringLiteral("Codice"), DataType::adVarWChar, 8}},
        {{Variant("A"), Variant("1")}, {Variant("A"), Variant("2")}, {Variant("B"), Variant("3")}}));
    layout.run();
    const ReportDocument &doc = *layout.document();
    ASSERT_EQ(doc.pageCount(), 2);
    EXPECT_EQ(doc.pageText(0), QStringLiteral("A\n1\n2"));
    EXPECT_EQ(doc.pageText(1), QStringLiteral("B\n3"));
}

TEST(ReportRun, CanGrowFieldPushesTheRestOfTheReportDown)
{
    ReportLayout layout;
    layout.detail().height = 300;
    layout.detail().canGrow = true;
    ReportControl &note = layout.detail().addField(QStringLiteral("txtNote"), QStringLiteral("Note"), 0, 0, 1500, 250);
    note.canGrow = true;
    layout.setRecordset(makeRecordset({{QStringLiteral("Note"), DataType::adLongVarWChar}},
                                      {{Variant("Una nota abbastanza lunga da andare a capo più volte nel suo riquadro")},
                                       {Variant("corta")}}));
    layout.run();
    const auto notes = itemsNamed(*layout.document(), QStringLiteral("txtNote"));
    ASSERT_EQ(notes.size(), 2);
    EXPECT_GT(notes[0].second->rect.height(), 700);
    EXPECT_NEAR(notes[1].second->rect.top(), notes[0].second->rect.top() + 300 + notes[0].second->rect.height() - 250, 0.5);
    // A short text keeps at least the designed height (one line of the
    // font the system substitutes may be a little taller).
    EXPECT_GE(notes[1].second->rect.height(), 250);
    EXPECT_LT(notes[1].second->rect.height(), 400);
}

// ---- label sheets ----

namespace {

// The built-in label layout of the program's label report: A4 with 567
// twip margins, three labels of 3402 x 1701 twips per row.
void buildLabelSheet(ReportLayout &layout, ColumnDirection direction)
{
    layout.page().paper = QPageSize::Custom;
    layout.page().customWidth = 11904;
    layout.page().customHeight = 16833;
    layout.page().leftMargin = 567;
    layout.page().topMargin = 567;
    layout.page().rightMargin = 567;
    layout.page().bottomMargin = 567;
    layout.setPrintWidth(3 * 3402 + 2 * 170);
    ReportSection &label = layout.detail();
    label.name = QStringLiteral("Etichetta");
    label.height = 1701;
    label.columnCount = 3;
    label.columnSpacing = 170;
    label.columnDirection = direction;
    label.addField(QStringLiteral("txtCodice"), QStringLiteral("Codice"), 100, 100, 2000, 250);
}

} // namespace

TEST(ReportLabels, AcrossThenDownFillsEachRowFirstDownThenAcrossEachColumn)
{
    // Nine rows of 1701 twips fit between the margins (16833 - 2 x 567).
    for (const ColumnDirection direction : {ColumnDirection::AcrossDown, ColumnDirection::DownAcross}) {
        ReportLayout layout;
        buildLabelSheet(layout, direction);
        layout.setRecordset(articles(32));
        layout.run();
        const ReportDocument &doc = *layout.document();
        const auto labels = itemsNamed(doc, QStringLiteral("txtCodice"));
        ASSERT_EQ(labels.size(), 32);
        EXPECT_EQ(doc.pageCount(), 2);
        const bool across = direction == ColumnDirection::AcrossDown;
        for (int k = 0; k < 32; ++k) {
            const int onPage = k % 27;
            const int column = across ? onPage % 3 : onPage / 9;
            const int row = across ? onPage / 3 : onPage % 9;
            EXPECT_EQ(labels[k].first, k / 27) << k;
            EXPECT_DOUBLE_EQ(labels[k].second->rect.left(), 567 + column * (3402 + 170) + 100) << across << k;
            EXPECT_DOUBLE_EQ(labels[k].second->rect.top(), 567 + row * 1701 + 100) << across << k;
        }
    }
}

TEST(ReportLabels, SkippedPositionsStayEmptyAndAnEventCannotHangTheRun)
{
    ReportLayout layout;
    buildLabelSheet(layout, ColumnDirection::AcrossDown);
    int skip = 5;
    int action = LayoutAction::Default;
    layout.setFormatHandler(QStringLiteral("Etichetta"), [&](FormatContext &ctx) {
        ctx.setLayoutAction(skip-- > 0 ? LayoutAction::MoveLayout : action);
    });
    layout.setRecordset(articles(2));
    layout.run();
    const auto labels = itemsNamed(*layout.document(), QStringLiteral("txtCodice"));
    ASSERT_EQ(labels.size(), 2);
    // Five positions skipped with three per row: the first label is the
    // third of the second row.
    EXPECT_EQ(labels[0].second->text, QStringLiteral("C000"));
    EXPECT_DOUBLE_EQ(labels[0].second->rect.left(), 567 + 2 * 3572 + 100);
    EXPECT_DOUBLE_EQ(labels[0].second->rect.top(), 567 + 1701 + 100);
    EXPECT_DOUBLE_EQ(labels[1].second->rect.left(), 567 + 100);
    EXPECT_DOUBLE_EQ(labels[1].second->rect.top(), 567 + 2 * 1701 + 100);

    // Without MoveLayout and NextRecord the record is taken as done.
    skip = 0;
    action = LayoutAction::PrintSection;
    layout.run();
    EXPECT_TRUE(itemsNamed(*layout.document(), QStringLiteral("txtCodice")).isEmpty());
    EXPECT_EQ(layout.document()->pageCount(), 1);
    // Skipping forever is stopped with an error.
    action = LayoutAction::MoveLayout;
    try {
        layout.run();
        FAIL();
    } catch (const ReportError &e) {
        EXPECT_EQ(e.kind(), ReportError::Kind::RunFailed);
        EXPECT_EQ(e.description(), QStringLiteral("Impossibile completare il report: il dettaglio non passa mai al "
                                                  "record successivo."));
    }
}

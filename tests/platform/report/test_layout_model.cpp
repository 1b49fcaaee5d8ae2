// The layout model, its serialisation and the "=" expressions of fields.
#include "ReportTestSupport.h"

#include "platform/report/Expression.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"

#include <gtest/gtest.h>

#include <functional>

using namespace platform;
using namespace platform::report;
using namespace Qt::StringLiterals;

namespace {

// A layout that uses every kind of control and most settings.
void fillRichLayout(ReportLayout &layout)
{
    layout.setName(u"arpProva"_s);
    layout.setDocumentName(u"Prova – Località"_s);
    layout.page().paper = QPageSize::Custom;
    layout.page().customWidth = 11904;
    layout.page().customHeight = 16833;
    layout.page().leftMargin = 567;
    layout.page().topMargin = 567;
    layout.page().rightMargin = 567;
    layout.page().gutter = 57.5;
    layout.setPrintWidth(3402.0 * 3 + 170.031 * 2);
    ReportSection &group = layout.addGroup(u"ghLettera"_s, u"gfLettera"_s, u"Nome"_s);
    group.keepTogether = true;
    group.newPage = NewPage::Before;
    ReportControl &label = layout.reportHeader().addLabel(u"lblTitle"_s, u"Località «è»"_s, 0, 0, 5000, 400);
    label.font.bold = true;
    label.font.size = 14.5;
    label.foreColor = QColor(10, 20, 30);
    label.backColor = QColor(200, 210, 220, 128);
    label.alignment = TextAlign::Center;
    ReportSection &detail = layout.detail();
    detail.name = u"Etichetta"_s;
    detail.height = 1701;
    detail.canGrow = true;
    detail.columnCount = 3;
    detail.columnSpacing = 170.031;
    detail.columnDirection = ColumnDirection::AcrossDown;
    ReportControl &field = detail.addField(u"txtPrezzo"_s, u"Prezzo"_s, 10, 20, 1500, 250);
    field.outputFormat = u"#,#.00"_s;
    field.canGrow = true;
    field.wordWrap = false;
    field.tag = u"5"_s;
    ReportControl &sum = layout.groupFooter(0).addField(u"txtTot"_s, u"=Q*C"_s, 0, 0, 1000, 250);
    reporttest::summary(sum).summaryRunning = true;
    sum.summaryGroup = u"ghLettera"_s;
    detail.addLine(u"Line1"_s, 0, 10, 3000, 10).lineWidth = 30;
    detail.addShape(u"Shape1"_s, ShapeStyle::RoundRect, 5, 5, 300, 200).cornerRadius = 50;
    detail.addCheckBox(u"chkPredefinito"_s, u"Predefinito"_s, 0, 0, 300, 255).checked = true;
    detail.addPicture(u"imgLogo"_s, reporttest::pngBytes(4, 3, Qt::red), 0, 0, 600, 450).sizeMode = PictureSizeMode::Clip;
    ReportControl &barcode =
        detail.addBarcode(u"bcCodice"_s, BarcodeStyle::Interleaved2of5, u"Codice"_s, 0, 300, 2000, 700);
    barcode.captionPosition = BarcodeCaption::Above;
    barcode.caption = u"123"_s;
}

} // namespace

TEST(ReportLayoutModel, SectionsStandInPrintOrderNamesAreFoundAndThePrintWidthFillsThePage)
{
    ReportLayout layout;
    layout.addGroup(u"contHead"_s, u"contFooter"_s, u"Contropartita"_s);
    layout.addGroup(u"catHead"_s, u"catFooter"_s, u"Categoria"_s);
    QStringList names;
    for (const auto &s : layout.sections())
        names << s->name;
    EXPECT_EQ(names, (QStringList{"ReportHeader", "PageHeader", "contHead", "catHead", "Detail", "catFooter",
                                  "contFooter", "PageFooter", "ReportFooter"}));
    EXPECT_EQ(layout.groupCount(), 2);
    EXPECT_EQ(layout.groupHeader(1).name, u"catHead"_s);
    EXPECT_EQ(layout.groupFooter(0).name, u"contFooter"_s);
    EXPECT_EQ(layout.section(u"CATHEAD"_s).kind, SectionKind::GroupHeader);

    layout.pageHeader().addLabel(u"lblCodice"_s, u"Codice"_s, 0, 0, 1000, 250);
    layout.detail().addField(u"txtCodice"_s, u"Codice"_s, 0, 0, 1000, 250);
    EXPECT_EQ(layout.control(u"TXTCODICE"_s).dataField, u"Codice"_s);
    EXPECT_EQ(layout.findControl(u"manca"_s), nullptr);
    // Names that do not exist are told in Italian.
    const std::pair<std::function<void()>, const char *> missing[] = {
        {[&] { layout.section(u"nessuna"_s); }, "Il report non ha la sezione 'nessuna'."},
        {[&] { layout.groupHeader(2); }, "Il report non ha il gruppo 2."},
        {[&] { layout.control(u"manca"_s); }, "Il report non ha il controllo 'manca'."},
        {[&] { layout.detail().control(u"lblCodice"_s); },
         "La sezione 'Detail' del report non ha il controllo 'lblCodice'."},
    };
    for (const auto &[call, text] : missing) {
        const auto error = testsupport::errorOf<ReportError>(call);
        ASSERT_TRUE(error) << text;
        EXPECT_EQ(error->kind(), ReportError::Kind::NoSuchItem);
        EXPECT_EQ(error->description(), QString::fromUtf8(text));
    }
    EXPECT_TRUE(layout.detail().removeControl(u"txtCodice"_s));
    EXPECT_FALSE(layout.detail().removeControl(u"txtCodice"_s));

    // The print width defaults to the A4 paper between the margins.
    const QSizeF a4 = layout.page().paperSize();
    EXPECT_NEAR(a4.width(), 11906, 2);
    EXPECT_NEAR(a4.height(), 16838, 2);
    EXPECT_NEAR(layout.printWidth(), a4.width() - 2880, 0.001);
    layout.page().landscape = true;
    EXPECT_NEAR(layout.page().paperSize().width(), 16838, 2);
}

TEST(ReportLayoutSerialisation, RoundTripGivesTheSameLayoutAndBytesKeepsHandlersAndDataAndForeignBytesAreRefused)
{
    ReportLayout original;
    fillRichLayout(original);
    const QByteArray bytes = original.toBytes();
    EXPECT_TRUE(bytes.contains("\"format\": \"velmora-report-layout\""));
    EXPECT_TRUE(bytes.contains("\"version\": 1"));
    EXPECT_TRUE(bytes.contains("Località «è»")); // UTF-8, not escaped

    ReportLayout copy;
    copy.loadBytes(bytes);
    EXPECT_TRUE(copy.sameDesign(original));
    EXPECT_EQ(copy.toBytes(), bytes);
    EXPECT_EQ(copy.detail().name, u"Etichetta"_s);
    EXPECT_EQ(copy.detail().columnCount, 3);
    EXPECT_EQ(copy.page().gutter, 57.5);
    EXPECT_EQ(copy.printWidth(), 3402.0 * 3 + 170.031 * 2);
    EXPECT_EQ(copy.control(u"imgLogo"_s).imageData, original.control(u"imgLogo"_s).imageData);
    EXPECT_EQ(copy.control(u"lblTitle"_s).backColor, QColor(200, 210, 220, 128));
    EXPECT_EQ(copy.control(u"bcCodice"_s).barcodeStyle, BarcodeStyle::Interleaved2of5);
    // A change is a different design.
    copy.control(u"txtPrezzo"_s).outputFormat = u"#,#.0000"_s;
    EXPECT_FALSE(copy.sameDesign(original));

    // Bytes that are not such a layout are refused and the layout stays as it was.
    const QList<QByteArray> bad{
        QByteArray(),
        QByteArray("\x00\x01garbage", 9),
        QByteArray("{\"format\":\"other\",\"version\":1}"),
        QByteArray("{\"format\":\"velmora-report-layout\",\"version\":99,\"sections\":[]}"),
        QByteArray("{\"format\":\"velmora-report-layout\",\"version\":1,\"sections\":[]}"),
        // The same layout with a section kind that does not exist.
        QByteArray(bytes).replace("\"kind\": \"detail\"", "\"kind\": \"footnote\""),
        // A group header without its footer.
        QByteArray(bytes).replace("\"kind\": \"groupFooter\"", "\"kind\": \"detail\""),
    };
    for (const QByteArray &foreign : bad) {
        const auto error = testsupport::errorOf<ReportError>([&] { original.loadBytes(foreign); });
        ASSERT_TRUE(error) << "accepted: " << foreign.left(80).toStdString();
        EXPECT_EQ(error->kind(), ReportError::Kind::BadLayout);
        EXPECT_EQ(error->number(), 321);
        EXPECT_EQ(error->description(), u"Il formato del report non è valido."_s);
        EXPECT_TRUE(error->detail().startsWith(u"The layout data cannot be read: "_s));
        EXPECT_EQ(original.toBytes(), bytes);
    }

    // Handlers and data survive loading a stored layout.
    ReportLayout stored;
    stored.detail().name = u"Etichetta"_s;
    stored.detail().height = 500;
    stored.detail().addField(u"txtCodice"_s, u"Codice"_s, 0, 0, 1000, 250);

    ReportLayout label;
    label.detail().name = u"Etichetta"_s;
    int calls = 0;
    label.setFormatHandler(u"Etichetta"_s, [&](FormatContext &) { ++calls; });
    label.setRecordset(reporttest::makeRecordset({{u"Codice"_s, DataType::adVarWChar, 24}},
                                                 {{Variant("A001")}, {Variant("A002")}}));
    label.loadBytes(stored.toBytes());
    label.run();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(label.document()->pageText(0), u"A001\nA002"_s);
}

namespace {

Variant eval(const QString &text, const QList<Variant> &record = {}, int page = 0, int pages = 0)
{
    const QStringList names{u"Q"_s, u"C"_s, u"Nome"_s, u"Quantità"_s, u"Categoria"_s};
    const Expression e = Expression::parse(text, [&](const QString &n) {
        for (int i = 0; i < names.size(); ++i) {
            if (names[i].compare(n, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    });
    return e.evaluate([&](int f) { return f < record.size() ? record[f] : Variant::null(); }, page, pages);
}

} // namespace

TEST(ReportExpression, EvaluatesOnTheRecordAndThePageNumbersAndReportsUnreadableText)
{
    // Fields: Q, C, Nome, Quantità, Categoria.
    const Variant tenth(Currency::fromString(u"0.1").value());
    const QList<Variant> rec{Variant(std::int32_t(3)), tenth, Variant(), Variant(std::int32_t(5)), Variant("Ferramenta")};
    const QList<Variant> nullQ{Variant::null(), Variant(2.0), Variant("Rossi")};
    const struct {
        const char *text;
        const QList<Variant> &record;
        Variant expected;
    } cases[] = {
        // Currency stays exact; precedence and brackets.
        {"Q*C", rec, Variant(Currency::fromString(u"0.3").value())}, {"2 + 3 * 4", rec, Variant(std::int32_t(14))},
        {"(2 + 3) * 4", rec, Variant(std::int32_t(20))}, {"-Q + 10", rec, Variant(std::int32_t(7))},
        {"7 / 2", rec, Variant(3.5)}, {"1.5 * 2", rec, Variant(3.0)},
        // Columns by bare or bracketed names; unknown names are null.
        {"[Quantità] * 2", rec, Variant(std::int32_t(10))}, {"Quantità - 1", rec, Variant(std::int32_t(4))},
        {"Sconosciuto", rec, Variant::null()}, {"'it''s'", rec, Variant("it's")},
        // Null goes through arithmetic and "+", not through "&".
        {"Q*C", nullQ, Variant::null()}, {"C / 0", nullQ, Variant::null()}, {"'x' + Q", nullQ, Variant::null()},
        {"Nome & ' (' & Q & ')'", nullQ, Variant("Rossi ()")},
        {"\"Categoria: \" + Nome", nullQ, Variant("Categoria: Rossi")},
    };
    for (const auto &c : cases) {
        const Variant v = eval(QString::fromUtf8(c.text), c.record);
        if (c.expected.isNull())
            EXPECT_TRUE(v.isNull()) << c.text;
        else
            EXPECT_EQ(v, c.expected) << c.text;
    }
    EXPECT_EQ(eval(u"'Pagina ' & PageNumber & ' di ' & PageCount"_s, {}, 2, 7), Variant("Pagina 2 di 7"));

    // Unreadable text is reported with the expression.
    for (const char *bad : {"2 +", "(1 + 2", "'open", "[Quantità", "3 $ 4", "a b"}) {
        const auto error = testsupport::errorOf<ReportError>([bad] { eval(QString::fromUtf8(bad)); });
        ASSERT_TRUE(error) << bad;
        EXPECT_EQ(error->kind(), ReportError::Kind::BadExpression);
        EXPECT_EQ(error->description(), u"L'espressione \"%1\" del report non è valida."_s.arg(QString::fromUtf8(bad)));
        EXPECT_FALSE(error->detail().isEmpty());
    }
}

#include "platform/report/LayoutSerializer.h"

#include "platform/report/ReportError.h"
#include "platform/report/ReportLayout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <limits>
#include <utility>

namespace platform::report {

namespace {

// Names of the enumeration values as they stand in the file.
template <typename E, size_t N>
using Names = std::array<std::pair<E, const char *>, N>;

constexpr Names<SectionKind, 7> sectionKinds{{{SectionKind::ReportHeader, "reportHeader"},
                                              {SectionKind::PageHeader, "pageHeader"},
                                              {SectionKind::GroupHeader, "groupHeader"},
                                              {SectionKind::Detail, "detail"},
                                              {SectionKind::GroupFooter, "groupFooter"},
                                              {SectionKind::PageFooter, "pageFooter"},
                                              {SectionKind::ReportFooter, "reportFooter"}}};
constexpr Names<ControlKind, 7> controlKinds{{{ControlKind::Label, "label"},
                                              {ControlKind::Field, "field"},
                                              {ControlKind::Line, "line"},
                                              {ControlKind::Shape, "shape"},
                                              {ControlKind::CheckBox, "checkBox"},
                                              {ControlKind::Picture, "picture"},
                                              {ControlKind::Barcode, "barcode"}}};
constexpr Names<TextAlign, 3> aligns{{{TextAlign::Left, "left"}, {TextAlign::Center, "center"}, {TextAlign::Right, "right"}}};
constexpr Names<NewPage, 4> newPages{{{NewPage::None, "none"},
                                      {NewPage::Before, "before"},
                                      {NewPage::After, "after"},
                                      {NewPage::BeforeAfter, "beforeAfter"}}};
constexpr Names<ColumnDirection, 2> directions{
    {{ColumnDirection::DownAcross, "downAcross"}, {ColumnDirection::AcrossDown, "acrossDown"}}};
constexpr Names<SummaryFunction, 3> functions{
    {{SummaryFunction::None, "none"}, {SummaryFunction::Sum, "sum"}, {SummaryFunction::Count, "count"}}};
constexpr Names<SummaryScope, 3> scopes{
    {{SummaryScope::Report, "report"}, {SummaryScope::Page, "page"}, {SummaryScope::Group, "group"}}};
constexpr Names<ShapeStyle, 3> shapes{
    {{ShapeStyle::Rectangle, "rectangle"}, {ShapeStyle::RoundRect, "roundRect"}, {ShapeStyle::Ellipse, "ellipse"}}};
constexpr Names<PictureSizeMode, 3> sizeModes{
    {{PictureSizeMode::Clip, "clip"}, {PictureSizeMode::Stretch, "stretch"}, {PictureSizeMode::Zoom, "zoom"}}};
constexpr Names<BarcodeCaption, 3> captions{
    {{BarcodeCaption::None, "none"}, {BarcodeCaption::Above, "above"}, {BarcodeCaption::Below, "below"}}};
constexpr Names<BarcodeStyle, 14> barcodeStyles{{{BarcodeStyle::None, "none"},
                                                 {BarcodeStyle::Ansi39, "ansi39"},
                                                 {BarcodeStyle::Ansi39X, "ansi39x"},
                                                 {BarcodeStyle::Interleaved2of5, "interleaved2of5"},
                                                 {BarcodeStyle::Code39, "code39"},
                                                 {BarcodeStyle::Code39X, "code39x"},
                                                 {BarcodeStyle::Code128A, "code128a"},
                                                 {BarcodeStyle::Code128B, "code128b"},
                                                 {BarcodeStyle::Code128Auto, "code128auto"},
                                                 {BarcodeStyle::Code93, "code93"},
                                                 {BarcodeStyle::Code93X, "code93x"},
                                                 {BarcodeStyle::Codabar, "codabar"},
                                                 {BarcodeStyle::Ean8, "ean8"},
                                                 {BarcodeStyle::Ean13, "ean13"}}};

[[noreturn]] void bad(const QString &why)
{
    throw ReportError(ReportError::Kind::BadLayout, QStringLiteral("Il formato del report non è valido."),
                      QStringLiteral("The layout data cannot be read: %1").arg(why));
}

template <typename E, size_t N>
QString nameOf(const Names<E, N> &names, E value)
{
    for (const auto &[v, n] : names) {
        if (v == value)
            return QString::fromLatin1(n);
    }
    return QString();
}

// A missing member keeps the default; an unknown name is an error.
template <typename E, size_t N>
void read(const QJsonObject &o, const char *key, const Names<E, N> &names, E &out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return;
    const QString s = v.toString();
    for (const auto &[value, n] : names) {
        if (s == QLatin1String(n)) {
            out = value;
            return;
        }
    }
    bad(QStringLiteral("'%1' is not a valid %2").arg(s, QLatin1String(key)));
}

void read(const QJsonObject &o, const char *key, double &out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return;
    if (!v.isDouble())
        bad(QStringLiteral("%1 is not a number").arg(QLatin1String(key)));
    out = v.toDouble();
}

void read(const QJsonObject &o, const char *key, int &out)
{
    double d = out;
    read(o, key, d);
    // Out of range, the conversion would be undefined.
    if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()))
        bad(QStringLiteral("%1 is out of range").arg(QLatin1String(key)));
    out = static_cast<int>(d);
}

void read(const QJsonObject &o, const char *key, bool &out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return;
    if (!v.isBool())
        bad(QStringLiteral("%1 is not true or false").arg(QLatin1String(key)));
    out = v.toBool();
}

void read(const QJsonObject &o, const char *key, QString &out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return;
    if (!v.isString())
        bad(QStringLiteral("%1 is not a text").arg(QLatin1String(key)));
    out = v.toString();
}

void read(const QJsonObject &o, const char *key, QColor &out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return;
    if (v.isNull()) {
        out = QColor();
        return;
    }
    const QColor c = QColor::fromString(v.toString());
    if (!c.isValid())
        bad(QStringLiteral("%1 is not a colour").arg(QLatin1String(key)));
    out = c;
}

QJsonValue colour(const QColor &c)
{
    return c.isValid() ? QJsonValue(c.name(c.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb)) : QJsonValue();
}

QJsonObject writeFont(const FontSpec &f)
{
    return QJsonObject{{QStringLiteral("family"), f.family},
                       {QStringLiteral("size"), f.size},
                       {QStringLiteral("bold"), f.bold},
                       {QStringLiteral("italic"), f.italic},
                       {QStringLiteral("underline"), f.underline}};
}

FontSpec readFont(const QJsonObject &o)
{
    FontSpec f;
    read(o, "family", f.family);
    read(o, "size", f.size);
    read(o, "bold", f.bold);
    read(o, "italic", f.italic);
    read(o, "underline", f.underline);
    return f;
}

QJsonObject writeControl(const ReportControl &c)
{
    QJsonObject o;
    o.insert(QStringLiteral("kind"), nameOf(controlKinds, c.kind));
    o.insert(QStringLiteral("name"), c.name);
    o.insert(QStringLiteral("left"), c.left);
    o.insert(QStringLiteral("top"), c.top);
    o.insert(QStringLiteral("width"), c.width);
    o.insert(QStringLiteral("height"), c.height);
    o.insert(QStringLiteral("visible"), c.visible);
    o.insert(QStringLiteral("font"), writeFont(c.font));
    o.insert(QStringLiteral("alignment"), nameOf(aligns, c.alignment));
    o.insert(QStringLiteral("foreColor"), colour(c.foreColor));
    o.insert(QStringLiteral("backColor"), colour(c.backColor));
    o.insert(QStringLiteral("tag"), c.tag);
    o.insert(QStringLiteral("caption"), c.caption);
    o.insert(QStringLiteral("dataField"), c.dataField);
    o.insert(QStringLiteral("text"), c.text);
    o.insert(QStringLiteral("outputFormat"), c.outputFormat);
    o.insert(QStringLiteral("canGrow"), c.canGrow);
    o.insert(QStringLiteral("wordWrap"), c.wordWrap);
    o.insert(QStringLiteral("summaryFunction"), nameOf(functions, c.summaryFunction));
    o.insert(QStringLiteral("summaryScope"), nameOf(scopes, c.summaryScope));
    o.insert(QStringLiteral("summaryRunning"), c.summaryRunning);
    o.insert(QStringLiteral("summaryGroup"), c.summaryGroup);
    o.insert(QStringLiteral("x2"), c.x2);
    o.insert(QStringLiteral("y2"), c.y2);
    o.insert(QStringLiteral("lineWidth"), c.lineWidth);
    o.insert(QStringLiteral("shape"), nameOf(shapes, c.shape));
    o.insert(QStringLiteral("cornerRadius"), c.cornerRadius);
    o.insert(QStringLiteral("checked"), c.checked);
    o.insert(QStringLiteral("image"), QString::fromLatin1(c.imageData.toBase64()));
    o.insert(QStringLiteral("sizeMode"), nameOf(sizeModes, c.sizeMode));
    o.insert(QStringLiteral("barcodeStyle"), nameOf(barcodeStyles, c.barcodeStyle));
    o.insert(QStringLiteral("captionPosition"), nameOf(captions, c.captionPosition));
    return o;
}

ReportControl readControl(const QJsonObject &o)
{
    ReportControl c;
    read(o, "kind", controlKinds, c.kind);
    read(o, "name", c.name);
    read(o, "left", c.left);
    read(o, "top", c.top);
    read(o, "width", c.width);
    read(o, "height", c.height);
    read(o, "visible", c.visible);
    if (o.contains(QStringLiteral("font")))
        c.font = readFont(o.value(QStringLiteral("font")).toObject());
    read(o, "alignment", aligns, c.alignment);
    read(o, "foreColor", c.foreColor);
    read(o, "backColor", c.backColor);
    read(o, "tag", c.tag);
    read(o, "caption", c.caption);
    read(o, "dataField", c.dataField);
    read(o, "text", c.text);
    read(o, "outputFormat", c.outputFormat);
    read(o, "canGrow", c.canGrow);
    read(o, "wordWrap", c.wordWrap);
    read(o, "summaryFunction", functions, c.summaryFunction);
    read(o, "summaryScope", scopes, c.summaryScope);
    read(o, "summaryRunning", c.summaryRunning);
    read(o, "summaryGroup", c.summaryGroup);
    read(o, "x2", c.x2);
    read(o, "y2", c.y2);
    read(o, "lineWidth", c.lineWidth);
    read(o, "shape", shapes, c.shape);
    read(o, "cornerRadius", c.cornerRadius);
    read(o, "checked", c.checked);
    QString image;
    read(o, "image", image);
    c.imageData = QByteArray::fromBase64(image.toLatin1());
    read(o, "sizeMode", sizeModes, c.sizeMode);
    read(o, "barcodeStyle", barcodeStyles, c.barcodeStyle);
    read(o, "captionPosition", captions, c.captionPosition);
    return c;
}

} // namespace

QByteArray LayoutSerializer::toBytes(const ReportLayout &layout)
{
    const PageSettings &p = layout.page();
    QJsonObject page{{QStringLiteral("paper"), static_cast<int>(p.paper)},
                     {QStringLiteral("customWidth"), p.customWidth},
                     {QStringLiteral("customHeight"), p.customHeight},
                     {QStringLiteral("landscape"), p.landscape},
                     {QStringLiteral("leftMargin"), p.leftMargin},
                     {QStringLiteral("topMargin"), p.topMargin},
                     {QStringLiteral("rightMargin"), p.rightMargin},
                     {QStringLiteral("bottomMargin"), p.bottomMargin},
                     {QStringLiteral("gutter"), p.gutter}};
    QJsonArray sections;
    for (const auto &s : layout.sections()) {
        QJsonArray controls;
        for (const auto &c : s->controls())
            controls.append(writeControl(*c));
        sections.append(QJsonObject{{QStringLiteral("kind"), nameOf(sectionKinds, s->kind)},
                                    {QStringLiteral("name"), s->name},
                                    {QStringLiteral("height"), s->height},
                                    {QStringLiteral("visible"), s->visible},
                                    {QStringLiteral("canGrow"), s->canGrow},
                                    {QStringLiteral("keepTogether"), s->keepTogether},
                                    {QStringLiteral("newPage"), nameOf(newPages, s->newPage)},
                                    {QStringLiteral("groupBy"), s->groupBy},
                                    {QStringLiteral("columnCount"), s->columnCount},
                                    {QStringLiteral("columnSpacing"), s->columnSpacing},
                                    {QStringLiteral("columnDirection"), nameOf(directions, s->columnDirection)},
                                    {QStringLiteral("controls"), controls}});
    }
    QJsonObject root{{QStringLiteral("format"), QLatin1String(FormatTag)},
                     {QStringLiteral("version"), Version},
                     {QStringLiteral("name"), layout.name()},
                     {QStringLiteral("documentName"), layout.documentName()},
                     {QStringLiteral("printWidth"), layout.m_printWidth},
                     {QStringLiteral("page"), page},
                     {QStringLiteral("sections"), sections}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void LayoutSerializer::load(ReportLayout &layout, const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        bad(QStringLiteral("not a JSON object (%1)").arg(error.errorString()));
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(FormatTag))
        bad(QStringLiteral("the format tag is missing"));
    const int version = root.value(QStringLiteral("version")).toInt(-1);
    if (version < 1 || version > Version)
        bad(QStringLiteral("version %1 is not supported").arg(version));

    // Read everything aside first, so that a fault leaves the layout as it was.
    QString name;
    QString documentName;
    double printWidth = -1;
    read(root, "name", name);
    read(root, "documentName", documentName);
    read(root, "printWidth", printWidth);

    PageSettings page;
    const QJsonObject p = root.value(QStringLiteral("page")).toObject();
    int paper = static_cast<int>(page.paper);
    read(p, "paper", paper);
    if (paper < 0 || paper > QPageSize::LastPageSize)
        bad(QStringLiteral("unknown paper %1").arg(paper));
    page.paper = static_cast<QPageSize::PageSizeId>(paper);
    read(p, "customWidth", page.customWidth);
    read(p, "customHeight", page.customHeight);
    read(p, "landscape", page.landscape);
    read(p, "leftMargin", page.leftMargin);
    read(p, "topMargin", page.topMargin);
    read(p, "rightMargin", page.rightMargin);
    read(p, "bottomMargin", page.bottomMargin);
    read(p, "gutter", page.gutter);

    std::vector<std::unique_ptr<ReportSection>> sections;
    const QJsonArray array = root.value(QStringLiteral("sections")).toArray();
    for (const QJsonValue &value : array) {
        const QJsonObject o = value.toObject();
        SectionKind kind = SectionKind::Detail;
        read(o, "kind", sectionKinds, kind);
        QString sectionName;
        read(o, "name", sectionName);
        auto section = std::make_unique<ReportSection>(kind, sectionName);
        read(o, "height", section->height);
        read(o, "visible", section->visible);
        read(o, "canGrow", section->canGrow);
        read(o, "keepTogether", section->keepTogether);
        read(o, "newPage", newPages, section->newPage);
        read(o, "groupBy", section->groupBy);
        read(o, "columnCount", section->columnCount);
        read(o, "columnSpacing", section->columnSpacing);
        read(o, "columnDirection", directions, section->columnDirection);
        for (const QJsonValue &c : o.value(QStringLiteral("controls")).toArray())
            section->addCopy(readControl(c.toObject()));
        sections.push_back(std::move(section));
    }

    // The sections must stand in print order: report header, page header,
    // group headers, the detail, as many group footers, page footer, report
    // footer.
    const auto kindAt = [&](size_t i) { return sections[i]->kind; };
    const size_t n = sections.size();
    if (n < 5 || kindAt(0) != SectionKind::ReportHeader || kindAt(1) != SectionKind::PageHeader
        || kindAt(n - 2) != SectionKind::PageFooter || kindAt(n - 1) != SectionKind::ReportFooter)
        bad(QStringLiteral("the sections are not in order"));
    size_t i = 2;
    size_t headers = 0;
    while (i < n && kindAt(i) == SectionKind::GroupHeader) {
        ++headers;
        ++i;
    }
    if (i >= n || kindAt(i) != SectionKind::Detail)
        bad(QStringLiteral("the detail section is missing"));
    ++i;
    size_t footers = 0;
    while (i < n && kindAt(i) == SectionKind::GroupFooter) {
        ++footers;
        ++i;
    }
    if (footers != headers || i != n - 2)
        bad(QStringLiteral("the group sections do not pair up"));

    layout.m_name = name;
    layout.m_documentName = documentName;
    layout.m_printWidth = printWidth;
    layout.m_page = page;
    layout.m_sections = std::move(sections);
}

} // namespace platform::report

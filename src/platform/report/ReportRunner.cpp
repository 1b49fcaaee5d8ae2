#include "platform/report/ReportRunner.h"

#include "platform/data/Recordset.h"
#include "platform/report/BarcodeSymbol.h"
#include "platform/report/FontMeasure.h"
#include "platform/report/ReportError.h"

#include <algorithm>

namespace platform::report {

// A control prepared for the run: how it reads its value, its summary
// state and the caches that spare work from record to record.
struct ReportRunner::Compiled {
    enum class Binding { None, Column, Expression };

    ReportControl *control = nullptr;
    Binding binding = Binding::None;
    int field = -1;
    std::shared_ptr<const Expression> expression;

    bool summary = false;
    SummaryScope scope = SummaryScope::Report; // as it applies in this layout
    int groupLevel = -1;
    SummaryAccumulator running;
    Variant total;

    // What binding put into the control, to tell changes made by the format
    // event apart.
    Variant boundValue;
    QString boundText;
    double grownHeight = 0;
    // How far the control moves down because controls above it grew.
    double shift = 0;

    QString formatText;
    ParsedFormat format;
    FontSpec font;
    int fontIndex = -1;
    QByteArray imageKey;
    std::shared_ptr<const QImage> image;
    BarcodeStyle barcodeStyle = BarcodeStyle::None;
    QString barcodeData;
    std::shared_ptr<const BarcodeSymbol> barcode;
    // The document's number for the shared part of this control's items.
    int style = -1;
};

struct ReportRunner::CompiledSection {
    ReportSection *section = nullptr;
    int groupLevel = -1;
    ReportLayout::FormatHandler handler;
    std::vector<Compiled> controls;
    // Group headers: what the records are grouped on.
    std::shared_ptr<const Expression> groupExpression;
    int groupField = -1;
    ReportLayout::GroupKeyFunction groupKey;
};

// A field that shows the page count, filled in once the pages are counted.
struct ReportRunner::Deferred {
    int page = 0;
    int item = 0;
    std::shared_ptr<const Expression> expression;
    int row = -1;
    int pageNumber = 0;
    QString format;
};

// The design values of the sections and controls when the run starts, put
// back when it ends, however it ends.
class ReportRunner::DesignSnapshot
{
public:
    explicit DesignSnapshot(ReportLayout &layout)
    {
        for (const auto &s : layout.sections()) {
            m_sections.emplace_back(s.get(), static_cast<const SectionProperties &>(*s));
            for (const auto &c : s->controls())
                m_controls.emplace_back(c.get(), *c);
        }
    }
    ~DesignSnapshot()
    {
        for (auto &[section, properties] : m_sections)
            static_cast<SectionProperties &>(*section) = properties;
        for (auto &[control, values] : m_controls)
            *control = values;
    }
    DesignSnapshot(const DesignSnapshot &) = delete;
    DesignSnapshot &operator=(const DesignSnapshot &) = delete;

private:
    std::vector<std::pair<ReportSection *, SectionProperties>> m_sections;
    std::vector<std::pair<ReportControl *, ReportControl>> m_controls;
};

namespace {

// Calls the layout's end-of-run hook last of all, also after a failure.
template <typename F>
struct AtExit {
    F f;
    ~AtExit()
    {
        try {
            f();
        } catch (...) {
        }
    }
};
template <typename F>
AtExit(F) -> AtExit<F>;

bool truthy(const Variant &v)
{
    if (v.isNull() || v.isEmpty())
        return false;
    try {
        return v.toBool();
    } catch (const RuntimeError &) {
        return false;
    }
}

// Whether a control's text breaks into lines: a field showing a number or a
// date never does, so that it is never split or cut short.
bool wraps(const ReportControl &control)
{
    return control.wordWrap
           && !(control.kind == ControlKind::Field && (control.value.isNumber() || control.value.isDate()));
}

// The column name of a data field, without its brackets.
QString columnName(const QString &dataField)
{
    QString name = dataField.trimmed();
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    return name;
}

constexpr int MaxRepeats = 100000;

} // namespace

ReportRunner::ReportRunner(ReportLayout &layout, const Recordset *data, std::vector<int> rows)
    : m_layout(layout), m_data(data), m_rows(std::move(rows))
{
}

ReportRunner::~ReportRunner() = default;

std::shared_ptr<ReportDocument> ReportRunner::run()
{
    AtExit finished{[this] { m_layout.runFinished(); }};
    DesignSnapshot snapshot(m_layout);

    m_layout.reportStart();
    compile();
    computeGroups();

    const PageSettings &page = m_layout.page();
    m_doc = std::make_shared<ReportDocument>();
    m_doc->title = m_layout.documentName().isEmpty() ? m_layout.name() : m_layout.documentName();
    m_paper = page.paperSize();
    m_doc->paperSize = m_paper;
    m_doc->margins = QMarginsF(page.leftMargin, page.topMargin, page.rightMargin, page.bottomMargin);
    m_printWidth = m_layout.printWidth();
    m_doc->printWidth = m_printWidth;
    m_left = page.leftMargin;
    m_top = page.topMargin;
    const ReportSection &footer = *m_pageFooter->section;
    m_bodyBottom = m_paper.height() - page.bottomMargin - (footer.visible ? footer.height : 0);

    // Totals over the whole report are known before the first page.
    for (Compiled *c : m_summaries) {
        if (c->scope != SummaryScope::Report || c->control->summaryRunning)
            continue;
        SummaryAccumulator acc;
        for (int row : m_rows)
            acc.add(c->binding == Compiled::Binding::None ? Variant(std::int32_t(1)) : rawValue(*c, row));
        c->total = acc.result(c->control->summaryFunction);
    }

    const int firstRow = m_rows.empty() ? -1 : m_rows.front();
    m_nextRow = firstRow;
    newPage();
    placeBand(*m_reportHeader, firstRow, Variant());
    placePageHeader(firstRow);

    const int levels = static_cast<int>(m_groupHeaders.size());
    for (size_t pos = 0; pos < m_rows.size(); ++pos) {
        const int row = m_rows[pos];
        m_nextRow = row;
        for (int level = 0; level < levels; ++level) {
            if (!m_groupStarts[static_cast<size_t>(level)][pos])
                continue;
            startGroupTotals(level, pos);
            CompiledSection &header = *m_groupHeaders[static_cast<size_t>(level)];
            const ReportSection &detail = *m_detail->section;
            const double keep = header.section->keepTogether && detail.visible ? detail.height : 0;
            placeBand(header, row, m_groupKeys[static_cast<size_t>(level)][pos], keep);
        }
        placeDetail(pos);
        for (int level = levels - 1; level >= 0; --level) {
            const auto &starts = m_groupStarts[static_cast<size_t>(level)];
            if (pos + 1 == m_rows.size() || starts[pos + 1])
                placeBand(*m_groupFooters[static_cast<size_t>(level)], row,
                          m_groupKeys[static_cast<size_t>(level)][pos]);
        }
    }
    m_nextRow = -1;
    placeBand(*m_reportFooter, m_lastRow, Variant());
    flushColumns();
    placePageFooter();
    resolveDeferred();
    m_layout.reportEnd();
    return m_doc;
}

void ReportRunner::compile()
{
    const std::function<int(const QString &)> fieldIndex = [this](const QString &name) {
        return m_data ? m_data->fieldIndex(name) : -1;
    };
    int headers = 0;
    for (const auto &s : m_layout.sections()) {
        auto cs = std::make_unique<CompiledSection>();
        cs->section = s.get();
        if (const auto *handler = m_layout.formatHandler(s->name))
            cs->handler = *handler;
        switch (s->kind) {
        case SectionKind::ReportHeader: m_reportHeader = cs.get(); break;
        case SectionKind::PageHeader: m_pageHeader = cs.get(); break;
        case SectionKind::Detail: m_detail = cs.get(); break;
        case SectionKind::PageFooter: m_pageFooter = cs.get(); break;
        case SectionKind::ReportFooter: m_reportFooter = cs.get(); break;
        case SectionKind::GroupHeader:
            cs->groupLevel = headers++;
            m_groupHeaders.push_back(cs.get());
            if (const auto *key = m_layout.groupKey(s->name)) {
                cs->groupKey = *key;
            } else if (s->groupBy.trimmed().startsWith(u'=')) {
                cs->groupExpression = std::make_shared<Expression>(
                    Expression::parse(s->groupBy.trimmed().mid(1), fieldIndex));
            } else if (!s->groupBy.trimmed().isEmpty()) {
                cs->groupField = fieldIndex(columnName(s->groupBy));
            }
            break;
        case SectionKind::GroupFooter:
            m_groupFooters.push_back(cs.get());
            break;
        }
        for (const auto &control : s->controls()) {
            Compiled c;
            c.control = control.get();
            const QString df = control->dataField.trimmed();
            const bool bindable = control->kind == ControlKind::Field || control->kind == ControlKind::CheckBox
                                  || control->kind == ControlKind::Barcode;
            if (bindable && df.startsWith(u'=')) {
                c.binding = Compiled::Binding::Expression;
                c.expression = std::make_shared<Expression>(Expression::parse(df.mid(1), fieldIndex));
            } else if (bindable && !df.isEmpty()) {
                c.binding = Compiled::Binding::Column;
                c.field = fieldIndex(columnName(df));
            }
            cs->controls.push_back(std::move(c));
        }
        m_sections.push_back(std::move(cs));
    }
    // Footers come innermost first; number them like their headers.
    std::reverse(m_groupFooters.begin(), m_groupFooters.end());
    for (size_t level = 0; level < m_groupFooters.size(); ++level)
        m_groupFooters[level]->groupLevel = static_cast<int>(level);

    const auto levelOf = [this](const QString &name) {
        for (size_t level = 0; level < m_groupHeaders.size(); ++level) {
            if (m_groupHeaders[level]->section->name.compare(name, Qt::CaseInsensitive) == 0
                || m_groupFooters[level]->section->name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(level);
        }
        return -1;
    };
    for (const auto &cs : m_sections) {
        for (Compiled &c : cs->controls) {
            const ReportControl &control = *c.control;
            if (control.kind != ControlKind::Field || control.summaryFunction == SummaryFunction::None)
                continue;
            c.summary = true;
            c.scope = control.summaryScope;
            if (c.scope == SummaryScope::Group) {
                int level = control.summaryGroup.isEmpty() ? -1 : levelOf(control.summaryGroup);
                if (level < 0)
                    level = cs->groupLevel >= 0 ? cs->groupLevel : static_cast<int>(m_groupHeaders.size()) - 1;
                c.groupLevel = level;
                if (level < 0)
                    c.scope = SummaryScope::Report; // no groups: the whole report is the group
            }
            m_summaries.push_back(&c);
        }
    }
}

void ReportRunner::computeGroups()
{
    const size_t levels = m_groupHeaders.size();
    const size_t n = m_rows.size();
    m_groupKeys.assign(levels, std::vector<Variant>(n));
    m_groupStarts.assign(levels, std::vector<char>(n, 0));
    m_groupEnds.assign(levels, std::vector<size_t>(n, n));
    for (size_t level = 0; level < levels; ++level) {
        const CompiledSection &header = *m_groupHeaders[level];
        for (size_t pos = 0; pos < n; ++pos) {
            const int row = m_rows[pos];
            Variant key;
            if (header.groupKey)
                key = header.groupKey(ReportRecord(m_data, row));
            else if (header.groupExpression)
                key = header.groupExpression->evaluate([&](int f) { return m_data->valueAt(row, f); });
            else if (header.groupField >= 0)
                key = m_data->valueAt(row, header.groupField);
            m_groupKeys[level][pos] = std::move(key);
        }
    }
    // A change at one level starts a new group there and in every level
    // inside it.
    for (size_t pos = 0; pos < n; ++pos) {
        size_t first = levels;
        if (pos == 0) {
            first = 0;
        } else {
            for (size_t level = 0; level < levels; ++level) {
                if (!(m_groupKeys[level][pos] == m_groupKeys[level][pos - 1])) {
                    first = level;
                    break;
                }
            }
        }
        for (size_t level = first; level < levels; ++level)
            m_groupStarts[level][pos] = 1;
    }
    for (size_t level = 0; level < levels; ++level) {
        size_t end = n;
        for (size_t pos = n; pos-- > 0;) {
            if (m_groupStarts[level][pos]) {
                m_groupEnds[level][pos] = end;
                end = pos;
            }
        }
    }
}

Variant ReportRunner::rawValue(const Compiled &c, int row) const
{
    const bool hasRow = row >= 0 && m_data;
    switch (c.binding) {
    case Compiled::Binding::Column:
        return hasRow && c.field >= 0 ? m_data->valueAt(row, c.field) : Variant::null();
    case Compiled::Binding::Expression:
        // Expressions of literals and page numbers need no record.
        return c.expression->evaluate(
            [&](int f) { return hasRow ? m_data->valueAt(row, f) : Variant::null(); }, m_pageNumber, 0);
    case Compiled::Binding::None:
        break;
    }
    return Variant();
}

Variant ReportRunner::summaryValue(const Compiled &c) const
{
    if (c.control->summaryRunning || c.scope == SummaryScope::Page)
        return c.running.result(c.control->summaryFunction);
    return c.total;
}

QString ReportRunner::formatted(Compiled &c, const Variant &value)
{
    const QString &format = c.control->outputFormat;
    if (format.isEmpty()) {
        if (value.isNull() || value.isEmpty())
            return QString();
        return value.toString(m_locale);
    }
    if (format != c.formatText) {
        c.formatText = format;
        c.format = ParsedFormat(format);
    }
    return c.format.format(value, m_locale);
}

void ReportRunner::bind(CompiledSection &cs, int row)
{
    for (Compiled &c : cs.controls) {
        ReportControl &control = *c.control;
        if (control.kind != ControlKind::Field && control.kind != ControlKind::CheckBox
            && control.kind != ControlKind::Barcode)
            continue;
        if (!c.summary && c.binding == Compiled::Binding::None) {
            c.boundValue = control.value;
            c.boundText = control.text;
            continue;
        }
        if (c.summary) {
            control.value = summaryValue(c);
            // A running sum in the detail includes the record being laid out.
            if (cs.section->kind == SectionKind::Detail && row >= 0
                && (control.summaryRunning || c.scope == SummaryScope::Page)) {
                SummaryAccumulator withThis = c.running;
                withThis.add(c.binding == Compiled::Binding::None ? Variant(std::int32_t(1)) : rawValue(c, row));
                control.value = withThis.result(control.summaryFunction);
            }
        } else {
            control.value = rawValue(c, row);
        }
        if (control.kind == ControlKind::Field)
            control.text = formatted(c, control.value);
        else if (control.kind == ControlKind::CheckBox)
            control.checked = truthy(control.value);
        c.boundValue = control.value;
        c.boundText = control.text;
    }
}

bool ReportRunner::format(CompiledSection &cs, int row, const Variant &groupValue, int *layoutAction)
{
    bind(cs, row);
    if (cs.handler) {
        FormatContext context(m_layout, *cs.section, ReportRecord(m_data, row), m_pageNumber, groupValue);
        cs.handler(context);
        if (layoutAction)
            *layoutAction = context.layoutAction();
    }
    // A value given by the event without a text of its own is shown in the
    // field's format.
    for (Compiled &c : cs.controls) {
        ReportControl &control = *c.control;
        if (control.kind == ControlKind::Field && control.text == c.boundText && !(control.value == c.boundValue)) {
            control.text = formatted(c, control.value);
            c.boundValue = control.value;
            c.boundText = control.text;
        }
    }
    return cs.section->visible;
}

double ReportRunner::bandHeight(CompiledSection &cs)
{
    const ReportSection &section = *cs.section;
    bool grew = false;
    for (Compiled &c : cs.controls) {
        const ReportControl &control = *c.control;
        c.grownHeight = control.height;
        c.shift = 0;
        if (!section.canGrow || !control.canGrow || !control.visible)
            continue;
        const QString &text = control.kind == ControlKind::Label ? control.caption : control.text;
        if ((control.kind != ControlKind::Field && control.kind != ControlKind::Label) || text.isEmpty())
            continue;
        if (c.fontIndex < 0 || !(c.font == control.font)) {
            c.font = control.font;
            c.fontIndex = m_doc->fontIndex(control.font);
        }
        const double needed =
            m_doc->measure(c.fontIndex).height(text, control.width, control.alignment, wraps(control));
        if (needed > control.height) {
            c.grownHeight = needed;
            grew = true;
        }
    }
    if (!grew)
        return section.height;
    // What stands below a control that grew moves down with it (a rule under
    // a name that takes two lines stays under it), top to bottom, so that
    // moves add up.
    const auto top = [](const ReportControl &control) {
        return control.kind == ControlKind::Line ? std::min(control.top, control.y2) : control.top;
    };
    std::vector<Compiled *> byTop;
    for (Compiled &c : cs.controls) {
        if (c.control->visible)
            byTop.push_back(&c);
    }
    std::stable_sort(byTop.begin(), byTop.end(),
                     [&](const Compiled *a, const Compiled *b) { return top(*a->control) < top(*b->control); });
    double growth = 0;
    for (size_t i = 0; i < byTop.size(); ++i) {
        Compiled &c = *byTop[i];
        for (size_t j = 0; j < i; ++j) {
            const Compiled &above = *byTop[j];
            const double grown = above.grownHeight - above.control->height;
            if (grown > 0 && above.control->top + above.control->height <= top(*c.control))
                c.shift = std::max(c.shift, above.shift + grown);
        }
        growth = std::max(growth, c.shift + c.grownHeight - c.control->height);
    }
    return section.height + growth;
}

void ReportRunner::emitBand(CompiledSection &cs, int row, double x, double y, double height, int column)
{
    RenderedBand band;
    band.kind = cs.section->kind;
    band.section = cs.section->name;
    band.groupLevel = cs.groupLevel;
    band.column = column;
    const int columns = std::max(1, m_detail->section->columnCount);
    const double width = cs.section->kind == SectionKind::Detail && columns > 1
                             ? (m_printWidth - (columns - 1) * cs.section->columnSpacing) / columns
                             : m_printWidth;
    band.rect = QRectF(x, y, width, height);
    band.firstItem = m_doc->itemCount(m_doc->pageCount() - 1);
    band.itemCount = 0;

    for (Compiled &c : cs.controls) {
        ReportControl &control = *c.control;
        if (!control.visible)
            continue;
        RenderedItem item = RenderedItem::of(control, x, y);
        item.wordWrap = wraps(control);
        if (control.kind != ControlKind::Line)
            item.rect.setHeight(std::max(c.grownHeight, control.height));
        item.rect.translate(0, c.shift);
        bool deferred = false;
        const auto useFont = [&] {
            if (c.fontIndex < 0 || !(c.font == control.font)) {
                c.font = control.font;
                c.fontIndex = m_doc->fontIndex(control.font);
            }
            item.font = c.fontIndex;
        };
        switch (control.kind) {
        case ControlKind::Label:
            item.text = control.caption;
            useFont();
            break;
        case ControlKind::Field: {
            useFont();
            const bool pageDependent = c.binding == Compiled::Binding::Expression && !c.summary;
            if (pageDependent && c.expression->usesPageNumber() && control.text == c.boundText) {
                control.value = rawValue(c, row);
                control.text = formatted(c, control.value);
                c.boundValue = control.value;
                c.boundText = control.text;
            }
            item.text = control.text;
            if (control.text == c.boundText && control.value == c.boundValue) {
                item.value = control.value;
                item.format = control.outputFormat;
            } else {
                item.value = Variant(control.text);
            }
            deferred = pageDependent && c.expression->usesPageCount() && control.text == c.boundText;
            break;
        }
        case ControlKind::Line:
        case ControlKind::Shape:
            break;
        case ControlKind::CheckBox:
            item.checked = control.checked;
            item.text = control.caption;
            item.value = Variant(control.checked);
            useFont();
            break;
        case ControlKind::Picture:
            if (!c.image || c.imageKey != control.imageData) {
                c.imageKey = control.imageData;
                auto image = std::make_shared<QImage>(QImage::fromData(control.imageData));
                c.image = image->isNull() ? nullptr : std::move(image);
            }
            item.image = c.image;
            break;
        case ControlKind::Barcode: {
            useFont();
            QString data = control.caption;
            if (c.binding != Compiled::Binding::None)
                data = control.value.isNull() || control.value.isEmpty() ? QString() : control.value.toString();
            if (!c.barcode || c.barcodeStyle != control.barcodeStyle || c.barcodeData != data) {
                c.barcodeStyle = control.barcodeStyle;
                c.barcodeData = data;
                c.barcode = BarcodeSymbol::encode(control.barcodeStyle, data);
            }
            item.barcode = c.barcode;
            item.text = c.barcode->humanText();
            item.value = Variant(data);
            break;
        }
        }
        const int number = m_doc->addItem(item, c.style);
        ++band.itemCount;
        if (deferred) {
            Deferred d;
            d.page = m_doc->pageCount() - 1;
            d.item = number;
            d.expression = c.expression;
            d.row = row;
            d.pageNumber = m_pageNumber;
            d.format = control.outputFormat;
            m_deferred.push_back(std::move(d));
        }
    }
    m_doc->addBand(band);
}

void ReportRunner::accumulate(int row)
{
    for (Compiled *c : m_summaries) {
        if (!c->control->summaryRunning && c->scope != SummaryScope::Page)
            continue;
        c->running.add(c->binding == Compiled::Binding::None ? Variant(std::int32_t(1)) : rawValue(*c, row));
    }
}

void ReportRunner::startGroupTotals(int level, size_t pos)
{
    const size_t end = m_groupEnds[static_cast<size_t>(level)][pos];
    for (Compiled *c : m_summaries) {
        if (c->scope != SummaryScope::Group || c->groupLevel != level)
            continue;
        if (c->control->summaryRunning) {
            c->running.reset();
            continue;
        }
        SummaryAccumulator acc;
        for (size_t i = pos; i < end; ++i)
            acc.add(c->binding == Compiled::Binding::None ? Variant(std::int32_t(1)) : rawValue(*c, m_rows[i]));
        c->total = acc.result(c->control->summaryFunction);
    }
}

void ReportRunner::newPage()
{
    m_doc->addPage();
    ++m_pageNumber;
    m_y = m_top;
    m_bodyPlaced = false;
    m_pendingBreak = false;
    for (Compiled *c : m_summaries) {
        if (c->scope == SummaryScope::Page)
            c->running.reset();
    }
}

void ReportRunner::breakPage()
{
    flushColumns();
    placePageFooter();
    newPage();
    placePageHeader(m_nextRow >= 0 ? m_nextRow : m_lastRow);
}

void ReportRunner::flushColumns()
{
    if (!m_inColumns)
        return;
    if (m_detail->section->columnDirection == ColumnDirection::AcrossDown)
        m_y = m_rowTop + m_rowHeight;
    else
        m_y = m_regionBottom;
    m_column = 0;
    m_inColumns = false;
}

void ReportRunner::placePageHeader(int row)
{
    if (!format(*m_pageHeader, row, Variant()))
        return;
    const double height = bandHeight(*m_pageHeader);
    emitBand(*m_pageHeader, row, m_left, m_y, height, 0);
    m_y += height;
}

void ReportRunner::placePageFooter()
{
    const int row = m_lastRow >= 0 ? m_lastRow : m_nextRow;
    if (!format(*m_pageFooter, row, Variant()))
        return;
    bandHeight(*m_pageFooter);
    const double height = m_pageFooter->section->height;
    emitBand(*m_pageFooter, row, m_left, m_paper.height() - m_layout.page().bottomMargin - height, height, 0);
}

void ReportRunner::placeBand(CompiledSection &cs, int row, const Variant &groupValue, double extraHeight)
{
    flushColumns();
    if (!format(cs, row, groupValue))
        return;
    if (isEmpty(cs)) {
        // Nothing to show, but its page breaks still apply to what follows.
        if (cs.section->newPage != NewPage::None && m_bodyPlaced)
            m_pendingBreak = true;
        return;
    }
    const double height = bandHeight(cs);
    const NewPage newPage = cs.section->newPage;
    const bool before = newPage == NewPage::Before || newPage == NewPage::BeforeAfter;
    if (m_pendingBreak || (before && m_bodyPlaced)
        || (m_bodyPlaced && m_y + height + extraHeight > m_bodyBottom))
        breakPage();
    emitBand(cs, row, m_left, m_y, height, 0);
    m_y += height;
    m_bodyPlaced = true;
    if (newPage == NewPage::After || newPage == NewPage::BeforeAfter)
        m_pendingBreak = true;
}

bool ReportRunner::isEmpty(const CompiledSection &cs)
{
    if (cs.section->height > 0)
        return false;
    for (const Compiled &c : cs.controls) {
        if (c.control->visible)
            return false;
    }
    return true;
}

void ReportRunner::placeDetail(size_t pos)
{
    const int row = m_rows[pos];
    ReportSection &section = *m_detail->section;
    for (int repeats = 0;; ++repeats) {
        if (repeats > MaxRepeats)
            throw ReportError(ReportError::Kind::RunFailed,
                              QStringLiteral("Impossibile completare il report: il dettaglio non passa mai al record "
                                             "successivo."),
                              QStringLiteral("The detail's format event never lets the report move on"));
        int action = LayoutAction::Default;
        const bool visible = format(*m_detail, row, Variant(), &action);
        if (!(action & (LayoutAction::MoveLayout | LayoutAction::NextRecord)))
            action |= LayoutAction::NextRecord;
        if (visible && (action & LayoutAction::MoveLayout)) {
            const double height = bandHeight(*m_detail);
            const bool print = action & LayoutAction::PrintSection;
            const int columns = std::max(1, section.columnCount);
            if (columns == 1) {
                const bool before = section.newPage == NewPage::Before || section.newPage == NewPage::BeforeAfter;
                if (m_pendingBreak || (before && m_bodyPlaced) || (m_bodyPlaced && m_y + height > m_bodyBottom))
                    breakPage();
                if (print)
                    emitBand(*m_detail, row, m_left, m_y, height, 0);
                m_y += height;
                m_bodyPlaced = true;
                if (section.newPage == NewPage::After || section.newPage == NewPage::BeforeAfter)
                    m_pendingBreak = true;
            } else {
                if (m_pendingBreak)
                    breakPage();
                const double spacing = section.columnSpacing;
                const double columnWidth = (m_printWidth - (columns - 1) * spacing) / columns;
                if (section.columnDirection == ColumnDirection::AcrossDown) {
                    if (m_column == 0) {
                        if (m_bodyPlaced && m_y + height > m_bodyBottom)
                            breakPage();
                        m_rowTop = m_y;
                        m_rowHeight = 0;
                        m_inColumns = true;
                    }
                    if (print)
                        emitBand(*m_detail, row, m_left + m_column * (columnWidth + spacing), m_rowTop, height, m_column);
                    m_rowHeight = std::max(m_rowHeight, height);
                    m_bodyPlaced = true;
                    if (++m_column >= columns) {
                        m_y = m_rowTop + m_rowHeight;
                        m_column = 0;
                        m_inColumns = false;
                    }
                } else {
                    if (!m_inColumns) {
                        m_inColumns = true;
                        m_column = 0;
                        m_regionTop = m_regionBottom = m_y;
                    }
                    if (m_y > m_regionTop && m_y + height > m_bodyBottom) {
                        if (m_column + 1 < columns) {
                            ++m_column;
                            m_y = m_regionTop;
                        } else {
                            breakPage();
                            m_inColumns = true;
                            m_column = 0;
                            m_regionTop = m_regionBottom = m_y;
                        }
                    }
                    if (print)
                        emitBand(*m_detail, row, m_left + m_column * (columnWidth + spacing), m_y, height, m_column);
                    m_y += height;
                    m_regionBottom = std::max(m_regionBottom, m_y);
                    m_bodyPlaced = true;
                }
            }
        }
        if (action & LayoutAction::NextRecord) {
            accumulate(row);
            m_lastRow = row;
            return;
        }
    }
}

void ReportRunner::resolveDeferred()
{
    const int pageCount = m_doc->pageCount();
    for (const Deferred &d : m_deferred) {
        const int row = d.row;
        const Variant value = d.expression->evaluate(
            [&](int f) { return m_data && row >= 0 ? m_data->valueAt(row, f) : Variant::null(); }, d.pageNumber,
            pageCount);
        QString text;
        if (d.format.isEmpty())
            text = value.isNull() || value.isEmpty() ? QString() : value.toString();
        else
            text = formatValue(value, d.format, m_locale);
        m_doc->setItemText(d.page, d.item, text, value);
    }
}

} // namespace platform::report

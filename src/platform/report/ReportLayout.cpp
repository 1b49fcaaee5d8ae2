#include "platform/report/ReportLayout.h"

#include "platform/data/Connection.h"
#include "platform/data/RecordFilter.h"
#include "platform/data/Recordset.h"
#include "platform/report/HtmlExport.h"
#include "platform/report/LayoutSerializer.h"
#include "platform/report/PdfExport.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportPrinter.h"
#include "platform/report/ReportRunner.h"
#include "platform/report/RtfExport.h"
#include "platform/report/XlsxExport.h"

namespace platform::report {

namespace {

QString key(const QString &name)
{
    return name.toLower();
}

} // namespace

ReportLayout::ReportLayout()
{
    m_sections.push_back(std::make_unique<ReportSection>(SectionKind::ReportHeader, QStringLiteral("ReportHeader")));
    m_sections.push_back(std::make_unique<ReportSection>(SectionKind::PageHeader, QStringLiteral("PageHeader")));
    m_sections.push_back(std::make_unique<ReportSection>(SectionKind::Detail, QStringLiteral("Detail")));
    m_sections.push_back(std::make_unique<ReportSection>(SectionKind::PageFooter, QStringLiteral("PageFooter")));
    m_sections.push_back(std::make_unique<ReportSection>(SectionKind::ReportFooter, QStringLiteral("ReportFooter")));
}

ReportLayout::~ReportLayout()
{
    delete m_preview.data();
}

double ReportLayout::printWidth() const
{
    return m_printWidth >= 0 ? m_printWidth : m_page.contentWidth();
}

int ReportLayout::detailIndex() const
{
    for (size_t i = 0; i < m_sections.size(); ++i) {
        if (m_sections[i]->kind == SectionKind::Detail)
            return static_cast<int>(i);
    }
    return -1; // never: every layout has its detail
}

ReportSection &ReportLayout::detail() const
{
    return *m_sections[static_cast<size_t>(detailIndex())];
}

ReportSection &ReportLayout::addGroup(const QString &headerName, const QString &footerName, const QString &groupBy)
{
    const auto at = m_sections.begin() + detailIndex();
    auto footer = std::make_unique<ReportSection>(SectionKind::GroupFooter, footerName);
    auto header = std::make_unique<ReportSection>(SectionKind::GroupHeader, headerName);
    header->groupBy = groupBy;
    ReportSection &result = *header;
    // The footer goes right after the detail (before the outer footers),
    // the header right before it (after the outer headers).
    m_sections.insert(at + 1, std::move(footer));
    m_sections.insert(m_sections.begin() + detailIndex(), std::move(header));
    invalidate();
    return result;
}

int ReportLayout::groupCount() const
{
    int n = 0;
    for (const auto &s : m_sections)
        n += s->kind == SectionKind::GroupHeader ? 1 : 0;
    return n;
}

ReportSection &ReportLayout::groupHeader(int level) const
{
    if (level < 0 || level >= groupCount())
        throw ReportError(ReportError::Kind::NoSuchItem, QStringLiteral("Il report non ha il gruppo %1.").arg(level));
    return *m_sections[static_cast<size_t>(2 + level)];
}

ReportSection &ReportLayout::groupFooter(int level) const
{
    if (level < 0 || level >= groupCount())
        throw ReportError(ReportError::Kind::NoSuchItem, QStringLiteral("Il report non ha il gruppo %1.").arg(level));
    return *m_sections[static_cast<size_t>(detailIndex() + groupCount() - level)];
}

ReportSection *ReportLayout::findSection(const QString &name) const
{
    for (const auto &s : m_sections) {
        if (s->name.compare(name, Qt::CaseInsensitive) == 0)
            return s.get();
    }
    return nullptr;
}

ReportSection &ReportLayout::section(const QString &name) const
{
    if (ReportSection *s = findSection(name))
        return *s;
    throw ReportError(ReportError::Kind::NoSuchItem, QStringLiteral("Il report non ha la sezione '%1'.").arg(name));
}

ReportControl *ReportLayout::findControl(const QString &name) const
{
    for (const auto &s : m_sections) {
        if (ReportControl *c = s->findControl(name))
            return c;
    }
    return nullptr;
}

ReportControl &ReportLayout::control(const QString &name) const
{
    if (ReportControl *c = findControl(name))
        return *c;
    throw ReportError(ReportError::Kind::NoSuchItem, QStringLiteral("Il report non ha il controllo '%1'.").arg(name));
}

bool ReportLayout::sameDesign(const ReportLayout &other) const
{
    if (m_name != other.m_name || m_documentName != other.m_documentName || !(m_page == other.m_page)
        || m_printWidth != other.m_printWidth || m_sections.size() != other.m_sections.size())
        return false;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        if (!m_sections[i]->sameDesign(*other.m_sections[i]))
            return false;
    }
    return true;
}

void ReportLayout::setFormatHandler(const QString &sectionName, FormatHandler handler)
{
    if (handler)
        m_formatHandlers.insert(key(sectionName), std::move(handler));
    else
        m_formatHandlers.remove(key(sectionName));
}

void ReportLayout::setGroupKey(const QString &groupHeaderName, GroupKeyFunction keyFunction)
{
    if (keyFunction)
        m_groupKeys.insert(key(groupHeaderName), std::move(keyFunction));
    else
        m_groupKeys.remove(key(groupHeaderName));
}

const ReportLayout::FormatHandler *ReportLayout::formatHandler(const QString &sectionName) const
{
    auto it = m_formatHandlers.constFind(key(sectionName));
    return it == m_formatHandlers.constEnd() ? nullptr : &it.value();
}

const ReportLayout::GroupKeyFunction *ReportLayout::groupKey(const QString &groupHeaderName) const
{
    auto it = m_groupKeys.constFind(key(groupHeaderName));
    return it == m_groupKeys.constEnd() ? nullptr : &it.value();
}

void ReportLayout::setConnectionString(const QString &connectionString)
{
    m_connectionString = connectionString;
    invalidate();
}

void ReportLayout::setSql(const QString &sql)
{
    m_sql = sql;
    m_recordset.reset();
    invalidate();
}

void ReportLayout::setRecordset(std::shared_ptr<Recordset> recordset)
{
    m_recordset = std::move(recordset);
    invalidate();
}

void ReportLayout::setFilter(const QString &criteria)
{
    m_filter = criteria;
    invalidate();
}

void ReportLayout::invalidate()
{
    m_document.reset();
}

void ReportLayout::run()
{
    std::shared_ptr<Recordset> data = m_recordset;
    if (!data && !m_sql.trimmed().isEmpty()) {
        Connection connection(m_connectionString);
        data = std::shared_ptr<Recordset>(connection.executeQuery(m_sql));
    }
    if (data && !data->isOpen())
        throw ReportError(ReportError::Kind::RunFailed, QStringLiteral("I dati del report non sono disponibili."),
                          QStringLiteral("The report's recordset is not open"));

    // The records the report shows: those the client-side filter lets by.
    std::vector<int> rows;
    if (data) {
        const int count = data->rowCount();
        rows.reserve(static_cast<size_t>(count));
        RecordFilter filter;
        if (!m_filter.trimmed().isEmpty())
            filter = RecordFilter::parse(m_filter, [&](const QString &n) { return data->fieldIndex(n); });
        for (int r = 0; r < count; ++r) {
            if (filter.isEmpty() || filter.matches([&](int f) { return data->valueAt(r, f); }))
                rows.push_back(r);
        }
    }

    m_document.reset();
    ReportRunner runner(*this, data.get(), std::move(rows));
    m_document = runner.run();
}

void ReportLayout::ensureRun()
{
    if (!m_document)
        run();
}

std::shared_ptr<const ReportDocument> ReportLayout::requireDocument()
{
    ensureRun();
    return m_document;
}

PrintResult ReportLayout::print(PrintOptions options)
{
    const auto doc = requireDocument();
    if (options.printerName.isEmpty())
        options.printerName = m_printerName;
    if (options.copies < 1)
        options.copies = m_copies;
    return ReportPrinter::print(*doc, options);
}

PreviewWindow *ReportLayout::showPreview(QWidget *parent)
{
    const auto doc = requireDocument();
    if (!m_preview)
        m_preview = new PreviewWindow(parent);
    m_preview->setWindowTitle(m_previewCaption.isEmpty() ? m_documentName : m_previewCaption);
    PrintOptions options;
    options.printerName = m_printerName;
    options.copies = m_copies;
    m_preview->setPrintOptions(options);
    m_preview->setDocument(doc);
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
    return m_preview.data();
}

PreviewWindow *ReportLayout::previewWindow() const
{
    return m_preview.data();
}

void ReportLayout::closePreview()
{
    delete m_preview.data();
}

void ReportLayout::exportPdf(const QString &path)
{
    PdfExport::write(*requireDocument(), path);
}

void ReportLayout::exportHtml(const QString &path)
{
    HtmlExport::write(*requireDocument(), path);
}

void ReportLayout::exportRtf(const QString &path)
{
    RtfExport::write(*requireDocument(), path);
}

void ReportLayout::exportXlsx(const QString &path)
{
    XlsxExport::write(*requireDocument(), path);
}

QByteArray ReportLayout::toBytes() const
{
    return LayoutSerializer::toBytes(*this);
}

void ReportLayout::loadBytes(const QByteArray &bytes)
{
    LayoutSerializer::load(*this, bytes);
    invalidate();
}

} // namespace platform::report

#pragma once

#include "platform/report/FormatContext.h"
#include "platform/report/PageSettings.h"
#include "platform/report/PrintOptions.h"
#include "platform/report/ReportRecord.h"
#include "platform/report/ReportSection.h"

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace platform {
class Recordset;
}

namespace platform::report {

class PreviewWindow;
class ReportDocument;
class ReportRunner;

// A report layout: the page, the sections with their controls, the data the
// report runs on, its events, and the pages of its last run, which it
// prints, previews and exports. A report of the program is a subclass that
// builds its sections in its constructor and keeps its own state (such as
// an export mode) in members; its section events are format handlers
// registered by section name, so that they survive loading a stored
// layout.
//
// A run works on the layout's own controls: the format events change them
// for the record being laid out, and when the run ends the engine puts
// back the values they had when it started, then calls runFinished() for
// the layout to reset whatever holds for one run only.
class ReportLayout
{
public:
    using FormatHandler = std::function<void(FormatContext &)>;
    using GroupKeyFunction = std::function<Variant(const ReportRecord &)>;

    ReportLayout();
    virtual ~ReportLayout();
    ReportLayout(const ReportLayout &) = delete;
    ReportLayout &operator=(const ReportLayout &) = delete;

    // ---- design ----
    const QString &name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // The title of the printed document (print job, PDF and HTML title).
    const QString &documentName() const { return m_documentName; }
    void setDocumentName(const QString &name) { m_documentName = name; }
    // The preview window's title; the document name when empty.
    const QString &previewCaption() const { return m_previewCaption; }
    void setPreviewCaption(const QString &caption) { m_previewCaption = caption; }

    PageSettings &page() { return m_page; }
    const PageSettings &page() const { return m_page; }
    // The width the sections are laid out in, from the left margin; by
    // default the paper's width between the margins.
    double printWidth() const;
    void setPrintWidth(double twips) { m_printWidth = twips; }

    ReportSection &reportHeader() const { return *m_sections.front(); }
    ReportSection &pageHeader() const { return *m_sections[1]; }
    ReportSection &detail() const;
    ReportSection &pageFooter() const { return *m_sections[m_sections.size() - 2]; }
    ReportSection &reportFooter() const { return *m_sections.back(); }
    // Adds a group inside the groups already there: its header goes after
    // the last group header, its footer before the first group footer.
    ReportSection &addGroup(const QString &headerName, const QString &footerName, const QString &groupBy = {});
    int groupCount() const;
    // Level 0 is the outermost group.
    ReportSection &groupHeader(int level) const;
    ReportSection &groupFooter(int level) const;
    // Every section in print order: report header, page header, group
    // headers, detail, group footers, page footer, report footer.
    const std::vector<std::unique_ptr<ReportSection>> &sections() const { return m_sections; }
    // By name, case-insensitive; findSection answers nullptr where
    // section() raises a ReportError.
    ReportSection *findSection(const QString &name) const;
    ReportSection &section(const QString &name) const;
    // A control of any section by name.
    ReportControl *findControl(const QString &name) const;
    ReportControl &control(const QString &name) const;

    // Same page, print width, names and sections.
    bool sameDesign(const ReportLayout &other) const;

    // ---- events ----
    // The section's format event, called before each instance of the
    // section is laid out (also when the section is hidden, so that it can
    // show it again). An empty handler removes it.
    void setFormatHandler(const QString &sectionName, FormatHandler handler);
    // Groups a group header on a function of the record (for example the
    // upper-cased first letter of a name) instead of its groupBy.
    void setGroupKey(const QString &groupHeaderName, GroupKeyFunction key);

    // ---- data ----
    // An SQL statement run through the data layer on a connection string.
    void setConnectionString(const QString &connectionString);
    const QString &connectionString() const { return m_connectionString; }
    void setSql(const QString &sql);
    const QString &sql() const { return m_sql; }
    // An open recordset (also a fabricated one), read without moving it;
    // it takes precedence over the SQL until setSql is called.
    void setRecordset(std::shared_ptr<Recordset> recordset);
    const std::shared_ptr<Recordset> &recordset() const { return m_recordset; }
    // Criteria applied to the records on the client side ("Q<>0").
    void setFilter(const QString &criteria);
    const QString &filter() const { return m_filter; }

    // ---- run ----
    // Lays out the pages now. Database errors (DatabaseError) and engine
    // errors (ReportError) reach the caller; the layout is left as it was.
    void run();
    // The pages of the last run, null before the first.
    std::shared_ptr<const ReportDocument> document() const { return m_document; }
    // Forgets the last run, so that the next print, preview or export runs
    // again. Setting the data does this too.
    void invalidate();

    // ---- output (each runs the layout first when it has no pages) ----
    const QString &printerName() const { return m_printerName; }
    void setPrinterName(const QString &deviceName) { m_printerName = deviceName; }
    int copies() const { return m_copies; }
    void setCopies(int copies) { m_copies = copies < 1 ? 1 : copies; }
    // Prints on the named printer without a dialog (see PrintOptions for
    // the defaults taken from the layout). Raises ReportError when no
    // printer is installed, the printer is unknown or the job fails.
    PrintResult print(PrintOptions options = {});

    // The layout's own preview window, modeless, created on first use and
    // kept until the layout goes; showing it again shows the last run.
    PreviewWindow *showPreview(QWidget *parent = nullptr);
    PreviewWindow *previewWindow() const;
    void closePreview();

    // Export filters; an existing file is replaced. Raise ReportError
    // (ExportFailed) when the file cannot be written.
    void exportPdf(const QString &path);
    void exportHtml(const QString &path);
    void exportRtf(const QString &path);
    void exportXlsx(const QString &path);

    // ---- storage ----
    // The design as UTF-8 JSON with a format tag and version; loadBytes
    // replaces the design (page, print width, names, sections) and keeps
    // the data, the handlers and the printer. Raises ReportError(BadLayout)
    // for bytes that are not a layout, leaving the layout as it was.
    QByteArray toBytes() const;
    void loadBytes(const QByteArray &bytes);

protected:
    // Before the first record is read, after the engine has noted the
    // design values.
    virtual void reportStart() {}
    // After the last page is laid out.
    virtual void reportEnd() {}
    // After the run (also a failed one) and after the design values are
    // back: reset what holds for one run only, such as an export mode.
    virtual void runFinished() {}

private:
    friend class ReportRunner;
    friend class LayoutSerializer;

    void ensureRun();
    std::shared_ptr<const ReportDocument> requireDocument();
    const FormatHandler *formatHandler(const QString &sectionName) const;
    const GroupKeyFunction *groupKey(const QString &groupHeaderName) const;
    int detailIndex() const;

    QString m_name;
    QString m_documentName;
    QString m_previewCaption;
    PageSettings m_page;
    double m_printWidth = -1;
    std::vector<std::unique_ptr<ReportSection>> m_sections;

    QHash<QString, FormatHandler> m_formatHandlers; // keyed by lower-case name
    QHash<QString, GroupKeyFunction> m_groupKeys;

    QString m_connectionString;
    QString m_sql;
    std::shared_ptr<Recordset> m_recordset;
    QString m_filter;

    QString m_printerName;
    int m_copies = 1;

    std::shared_ptr<const ReportDocument> m_document;
    // Owned by the layout; a parent window given to showPreview may end it
    // first, hence the guarded pointer.
    QPointer<PreviewWindow> m_preview;
};

} // namespace platform::report

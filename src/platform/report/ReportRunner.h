#pragma once

#include "platform/base/Format.h"
#include "platform/report/Expression.h"
#include "platform/report/ReportDocument.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/SummaryAccumulator.h"

#include <QLocale>

#include <memory>
#include <vector>

namespace platform::report {

// One run of a layout over its records: binds the controls record by
// record, calls the format events, and lays the sections out on pages
// (page breaks, group breaks, label columns, summaries, page numbers).
// The layout's design values are put back when the run ends.
class ReportRunner
{
public:
    // data may be null (a report without records); rows are the visible
    // row indexes of data that the report shows, in order.
    ReportRunner(ReportLayout &layout, const Recordset *data, std::vector<int> rows);
    ~ReportRunner();

    std::shared_ptr<ReportDocument> run();

private:
    struct Compiled;
    struct CompiledSection;
    struct Deferred;
    class DesignSnapshot;

    void compile();
    void computeGroups();
    Variant rawValue(const Compiled &c, int row) const;
    Variant summaryValue(const Compiled &c) const;
    QString formatted(Compiled &c, const Variant &value);
    void bind(CompiledSection &cs, int row);
    bool format(CompiledSection &cs, int row, const Variant &groupValue, int *layoutAction = nullptr);
    double bandHeight(CompiledSection &cs);
    void emitBand(CompiledSection &cs, int row, double x, double y, double height, int column);
    void accumulate(int row);
    void startGroupTotals(int level, size_t pos);

    void newPage();
    void breakPage();
    void flushColumns();
    void placePageHeader(int row);
    void placePageFooter();
    // Places a non-detail section; extraHeight is room that must fit beside
    // it on the page (a group header kept with its first detail record).
    void placeBand(CompiledSection &cs, int row, const Variant &groupValue, double extraHeight = 0);
    void placeDetail(size_t pos);
    // A section of no height and no visible control takes no place at all
    // (it neither breaks a page nor shows in exports).
    static bool isEmpty(const CompiledSection &cs);
    void resolveDeferred();

    ReportLayout &m_layout;
    const Recordset *m_data;
    std::vector<int> m_rows;
    std::shared_ptr<ReportDocument> m_doc;
    // The locale values are written in, the user's as the run starts; made
    // once, since making it for every value is not free.
    const QLocale m_locale;

    std::vector<std::unique_ptr<CompiledSection>> m_sections;
    CompiledSection *m_reportHeader = nullptr;
    CompiledSection *m_pageHeader = nullptr;
    CompiledSection *m_detail = nullptr;
    CompiledSection *m_pageFooter = nullptr;
    CompiledSection *m_reportFooter = nullptr;
    std::vector<CompiledSection *> m_groupHeaders;
    std::vector<CompiledSection *> m_groupFooters;
    std::vector<Compiled *> m_summaries;

    // Per group level: the key of each shown row, whether a group starts
    // there, and for a start the position after its last row.
    std::vector<std::vector<Variant>> m_groupKeys;
    std::vector<std::vector<char>> m_groupStarts;
    std::vector<std::vector<size_t>> m_groupEnds;

    std::vector<Deferred> m_deferred;

    // Page state, in twips from the paper's top-left corner.
    QSizeF m_paper;
    double m_left = 0;
    double m_top = 0;
    double m_bodyBottom = 0;
    double m_printWidth = 0;
    double m_y = 0;
    int m_pageNumber = 0;
    bool m_bodyPlaced = false;
    bool m_pendingBreak = false;
    int m_lastRow = -1; // the last record laid out
    int m_nextRow = -1; // the record about to be laid out
    // Label columns of the detail.
    int m_column = 0;
    double m_rowTop = 0;
    double m_rowHeight = 0;
    bool m_inColumns = false;
    double m_regionTop = 0;
    double m_regionBottom = 0;
};

} // namespace platform::report

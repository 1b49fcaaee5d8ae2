#pragma once

#include "platform/base/Variant.h"
#include "platform/report/ReportEnums.h"
#include "platform/report/ReportRecord.h"

#include <QString>

namespace platform::report {

class ReportLayout;
class ReportSection;

// What a section's format event sees: the section about to be laid out
// (its controls already hold the current record's values), the record, the
// page, and for detail sections the layout action to take.
class FormatContext
{
public:
    FormatContext(ReportLayout &layout, ReportSection &section, const ReportRecord &record, int pageNumber,
                  Variant groupValue)
        : m_layout(layout), m_section(section), m_record(record), m_pageNumber(pageNumber),
          m_groupValue(std::move(groupValue))
    {
    }

    ReportLayout &layout() const { return m_layout; }
    ReportSection &section() const { return m_section; }
    // The page the section goes on (1 for the first).
    int pageNumber() const { return m_pageNumber; }
    // The current record: the detail's own, the first of a group for its
    // header, the last for its footer; none in an empty report.
    const ReportRecord &record() const { return m_record; }
    Variant value(const QString &column) const { return m_record.value(column); }
    // The key of the group a group header or footer belongs to.
    const Variant &groupValue() const { return m_groupValue; }

    // LayoutAction flags; detail sections only.
    int layoutAction() const { return m_layoutAction; }
    void setLayoutAction(int flags) { m_layoutAction = flags; }

private:
    ReportLayout &m_layout;
    ReportSection &m_section;
    ReportRecord m_record;
    int m_pageNumber;
    Variant m_groupValue;
    int m_layoutAction = LayoutAction::Default;
};

} // namespace platform::report

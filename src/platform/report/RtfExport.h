#pragma once

#include <QByteArray>
#include <QString>

namespace platform::report {

class ReportDocument;

// Writes a document as Rich Text that word processors open: the page size
// and margins, each band's rows as table rows with the texts in their
// fonts, horizontal lines as ruled rows, pictures as PNG, and a page
// break after each page.
class RtfExport
{
public:
    static QByteArray toRtf(const ReportDocument &doc);
    // Raises ReportError(ExportFailed) when the file cannot be written.
    static void write(const ReportDocument &doc, const QString &path);
};

} // namespace platform::report

#pragma once

#include <QString>

namespace platform::report {

class ReportDocument;

// Writes a document as one HTML file: page by page, each page a table whose
// rows are the bands' rows (the detail records one row each), horizontal
// lines as ruled rows, pictures inline.
class HtmlExport
{
public:
    static QString toHtml(const ReportDocument &doc);
    // Raises ReportError(ExportFailed) when the file cannot be written.
    static void write(const ReportDocument &doc, const QString &path);
};

} // namespace platform::report

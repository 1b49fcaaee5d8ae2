#pragma once

#include <QString>

namespace platform::report {

class ReportDocument;

// Writes a document as PDF through QPdfWriter, with the fonts embedded and
// the text extractable, drawn by the same painter path as the preview.
class PdfExport
{
public:
    // Raises ReportError(ExportFailed) when the file cannot be written; the
    // file appears only when complete.
    static void write(const ReportDocument &doc, const QString &path);
};

} // namespace platform::report

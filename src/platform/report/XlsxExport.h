#pragma once

#include <QString>

namespace platform::report {

class ReportDocument;

// Writes a document as an Excel workbook (.xlsx, through libxlsxwriter):
// one worksheet, one sheet row per row of every band in page order (so one
// per detail record, with group headers and sums as rows of their own),
// the columns of the export grid. Cells keep their types: numbers stay
// numbers with the field's number format, dates stay dates with a date
// format, check boxes are TRUE/FALSE, texts are texts. Lines, shapes and
// pictures are left out.
class XlsxExport
{
public:
    // Raises ReportError(ExportFailed) when the file cannot be written; the
    // file appears only when complete.
    static void write(const ReportDocument &doc, const QString &path);

    // Excel's number format for a field's Format() text; with forDate, a
    // date format (a plain date when the text gives none).
    static QString excelFormat(const QString &format, bool forDate, bool withTime = false);
};

} // namespace platform::report

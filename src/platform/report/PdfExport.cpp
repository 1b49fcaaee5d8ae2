#include "platform/report/PdfExport.h"

#include "platform/report/ReportDocument.h"
#include "platform/report/ExportFile.h"
#include "platform/report/ReportPainter.h"

#include <QPainter>
#include <QPdfWriter>

namespace platform::report {

namespace {

constexpr int Resolution = 1200;

} // namespace

void PdfExport::write(const ReportDocument &doc, const QString &path)
{
    ExportFile file(path);
    {
        QPdfWriter writer(&file.device());
        writer.setResolution(Resolution);
        writer.setTitle(doc.title);
        writer.setCreator(QStringLiteral("Velmora"));
        writer.setPageLayout(doc.pageLayout());
        // One painter for the whole file: a second begin() would start the
        // file again.
        QPainter painter;
        if (!painter.begin(&writer))
            ExportFile::fail(path, QStringLiteral("The PDF writer could not start"));
        for (int page = 0; page < doc.pageCount(); ++page) {
            if (page > 0)
                writer.newPage();
            ReportPainter::paintPageAt(painter, doc, page, Resolution);
        }
        painter.end();
    }
    file.commit();
}

} // namespace platform::report

#include "platform/report/PdfExport.h"

#include "platform/report/ReportDocument.h"
#include "platform/report/ExportFile.h"
#include "platform/report/ReportPainter.h"

#include <QPageLayout>
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
        const QSizeF paper = doc.paperSize;
        const bool landscape = paper.width() > paper.height();
        const QSizeF portrait = landscape ? paper.transposed() : paper;
        writer.setPageLayout(QPageLayout(QPageSize(portrait / 20.0, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                                         landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Point));
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

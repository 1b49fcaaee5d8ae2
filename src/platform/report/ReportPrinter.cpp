#include "platform/report/ReportPrinter.h"

#include "platform/report/ReportDocument.h"
#include "platform/report/ReportError.h"
#include "platform/report/ReportPainter.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace platform::report {

PrintResult ReportPrinter::print(const ReportDocument &doc, const PrintOptions &options)
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    if (printers.isEmpty())
        throw ReportError::noPrinter();
    QPrinterInfo info;
    if (options.printerName.isEmpty()) {
        info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            info = printers.front();
    } else {
        for (const QPrinterInfo &p : printers) {
            if (p.printerName() == options.printerName)
                info = p;
        }
        if (info.isNull())
            throw ReportError(ReportError::Kind::PrinterNotFound,
                              QStringLiteral("La stampante '%1' non è installata.").arg(options.printerName));
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(info.printerName());
    PrintOptions effective = options;
    if (options.choosePrinter) {
        printer.setPageLayout(doc.pageLayout());
        printer.setCopyCount(std::max(1, options.copies));
        if (!options.choosePrinter(printer))
            return PrintResult::Cancelled;
        // The copies chosen in the dialog count.
        effective.copies = printer.copyCount();
    }
    return printTo(printer, doc, effective);
}

PrintResult ReportPrinter::printTo(QPrinter &printer, const ReportDocument &doc, const PrintOptions &options)
{
    printer.setFullPage(true);
    printer.setPageLayout(doc.pageLayout());
    printer.setDocName(options.documentName.isEmpty() ? doc.title : options.documentName);
    const int copies = std::max(1, options.copies);
    // Where the driver makes the copies itself the pages go once.
    int passes = copies;
    printer.setCopyCount(copies);
    if (printer.supportsMultipleCopies() && printer.copyCount() == copies)
        passes = 1;
    else
        printer.setCopyCount(1);

    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError(ReportError::Kind::PrintFailed,
                          QStringLiteral("Impossibile avviare la stampa su '%1'.").arg(printer.printerName()));
    const double dpi = printer.resolution();
    const int total = passes * doc.pageCount();
    int sent = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (int page = 0; page < doc.pageCount(); ++page) {
            if (options.progress && !options.progress(sent + 1, total)) {
                printer.abort();
                painter.end();
                return PrintResult::Cancelled;
            }
            if (sent > 0 && !printer.newPage()) {
                painter.end();
                throw ReportError(ReportError::Kind::PrintFailed,
                                  QStringLiteral("La stampante '%1' non ha accettato una nuova pagina.")
                                      .arg(printer.printerName()));
            }
            ReportPainter::paintPageAt(painter, doc, page, dpi);
            ++sent;
        }
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        throw ReportError(ReportError::Kind::PrintFailed,
                          QStringLiteral("La stampa su '%1' non è riuscita.").arg(printer.printerName()));
    return PrintResult::Printed;
}

std::function<bool(QPrinter &)> ReportPrinter::dialogChooser(QWidget *parent)
{
    return [parent](QPrinter &printer) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
}

} // namespace platform::report

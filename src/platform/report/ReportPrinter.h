#pragma once

#include "platform/report/PrintOptions.h"

#include <functional>

class QPrinter;
class QWidget;

namespace platform::report {

class ReportDocument;

// Sends a document's pages to a printer through Qt print support (CUPS),
// page by page with progress and cancellation between pages.
class ReportPrinter
{
public:
    // Prints on the printer named by options.printerName (the default
    // printer when empty), without a dialog unless options.choosePrinter is
    // set. Raises ReportError: NoPrinter when no printer is installed,
    // PrinterNotFound for an unknown name, PrintFailed when the job fails;
    // nothing is ever sent silently to no printer.
    static PrintResult print(const ReportDocument &doc, const PrintOptions &options);

    // Prints on a printer already set up (also a PDF printer in tests):
    // sets the paper from the document, prints options.copies copies, and
    // calls options.progress before each page.
    static PrintResult printTo(QPrinter &printer, const ReportDocument &doc, const PrintOptions &options);

    // A printer chooser that shows the platform's print dialog.
    static std::function<bool(QPrinter &)> dialogChooser(QWidget *parent = nullptr);
};

} // namespace platform::report

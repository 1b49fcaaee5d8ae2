#pragma once

#include <QString>

#include <functional>

class QPrinter;

namespace platform::report {

// How a document goes to a printer.
struct PrintOptions {
    // The printer's device name; empty means the layout's printer, or the
    // system's default printer when the layout names none.
    QString printerName;
    // 0 means the layout's copies count (one unless the layout says so).
    int copies = 0;
    // The print job's name; empty means the document's title.
    QString documentName;
    // Called before each page (1-based, of pageCount, counting every copy);
    // answering false stops the job there: the pages not yet sent are not
    // printed.
    std::function<bool(int page, int pageCount)> progress;
    // When set, shown the prepared printer before printing so that the user
    // can confirm or change it (a printer dialog); answering false cancels.
    std::function<bool(QPrinter &printer)> choosePrinter;
};

// How a print call ended; failures raise a ReportError instead.
enum class PrintResult { Printed, Cancelled };

} // namespace platform::report

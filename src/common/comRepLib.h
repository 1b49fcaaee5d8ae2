#pragma once

#include "platform/report/PrintOptions.h"

#include <QString>

#include <functional>

namespace platform {
class RuntimeError;
}

namespace platform::report {
class ReportDocument;
class ReportLayout;
} // namespace platform::report

// Printing a report without the printer dialog while the print-progress
// window names the printer, and the messages every report window shows when
// a report cannot be read, printed or exported.
namespace comRepLib {

// Prints a loaded layout, bound to its data, on the printer its
// SetReportPrinter named, with its copies count, without the printer
// dialog: the progress window is shown for the length of the print and
// "Annulla" stops the job before its next page. Runs the layout when it has
// no pages yet. Errors are not trapped: without any installed printer a
// ReportError (NoPrinter) is raised before anything is shown, and the
// engine's and the data layer's errors reach the caller.
platform::report::PrintResult PrintReport(platform::report::ReportLayout &report);

// The same for pages already laid out (what a preview window shows), with
// the printer, copies and job name given.
platform::report::PrintResult PrintDocument(const platform::report::ReportDocument &document,
                                            const QString &printerName, int copies, const QString &documentName);

// What sends a document to its printer: by default the engine's printing
// on the named printer. Tests put a PDF printer in its place. Installing an
// empty function restores the default; the previous one is returned.
using PrintFunction =
    std::function<platform::report::PrintResult(const platform::report::ReportDocument &, const platform::report::PrintOptions &)>;
PrintFunction SetPrintFunction(PrintFunction print);

// The Italian message for an error met while reading a report's data,
// laying it out, printing or exporting it: a line saying what failed, then
// the error's own description.
QString TestoErrore(const platform::RuntimeError &error);

// Shows TestoErrore in a message box (exclamation, OK).
void MostraErrore(const platform::RuntimeError &error);

// "Nessuna stampante installata: impossibile stampare il documento."
QString NessunaStampanteText();

} // namespace comRepLib

#pragma once

#include "platform/base/Variant.h"

#include <memory>

namespace platform::report {
class ReportLayout;
}

// The report helpers of comUtility, kept out of comUtility.h so that only
// the windows that print see the report engine.
namespace comUtility {

// Points a loaded layout at a printer: its copies count goes back to one
// and its printer becomes the device named by printerName (converted to
// text). The caller then binds the data and prints, previews or exports.
void SetReportPrinter(platform::report::ReportLayout &report, const platform::Variant &printerName);

// The same for a layout kept in a slot, loading it first when the slot is
// empty; answers the loaded layout.
template <typename Layout>
Layout &SetReportPrinter(std::unique_ptr<Layout> &report, const platform::Variant &printerName)
{
    if (!report)
        report = std::make_unique<Layout>();
    SetReportPrinter(static_cast<platform::report::ReportLayout &>(*report), printerName);
    return *report;
}

// Prepares the layout's preview window, right before the caller shows it:
// the window is made (laying the layout out when it has no pages), its print
// tool reads "Stampa" and prints through comRepLib::PrintReport's progress
// window (an error is told in a message box), and its fit choices read
// "Larghezza" and "Pagina". allowExport adds nothing: no caller offers
// export from the preview. Errors of the run reach the caller.
void SetupReportToolbar(platform::report::ReportLayout &report, bool allowExport);

} // namespace comUtility

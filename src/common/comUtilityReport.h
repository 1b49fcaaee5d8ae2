#pragma once

#include "platform/base/Variant.h"

#include <QString>

#include <array>
#include <cstdint>
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

// One export format: the report dialogs' action code (10 to 13), the menu
// text, the default extension, the Save As filter and the layout's export
// that writes the file.
struct FormatoEsportazione {
    std::int16_t codice = 0;
    QString voce;
    QString estensione;
    QString filtro;
    void (platform::report::ReportLayout::*scrivi)(const QString &path) = nullptr;
};

// The four export formats (Excel, RTF, PDF, HTML), in menu order.
const std::array<FormatoEsportazione, 4> &FormatiEsportazione();

// Asks where to save the layout's pages in the format (Save As with its
// filter and extension, asking before replacing a file) and writes them
// there, laying the layout out when it has no pages. A cancelled dialog
// writes nothing and says nothing. Errors reach the caller.
void EsportaReport(platform::report::ReportLayout &report, const FormatoEsportazione &formato);

// Prepares the layout's preview window, right before the caller shows it:
// the window is made (laying the layout out when it has no pages), its print
// tool reads "Stampa" and prints through comRepLib::PrintReport's progress
// window (an error is told in a message box), and its fit choices read
// "Larghezza" and "Pagina". With allowExport the toolbar also offers
// "Esporta", a menu of the export formats that writes the pages shown (an
// error is told in a message box). Errors of the run reach the caller.
void SetupReportToolbar(platform::report::ReportLayout &report, bool allowExport);

} // namespace comUtility

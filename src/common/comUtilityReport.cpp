#include "common/comUtilityReport.h"

#include "common/comRepLib.h"
#include "platform/base/RuntimeError.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportLayout.h"

#include <QAction>
#include <QToolBar>

using platform::report::FitMode;
using platform::report::PreviewTool;
using platform::report::PreviewWindow;
using platform::report::ReportLayout;

namespace comUtility {

void SetReportPrinter(ReportLayout &report, const platform::Variant &printerName)
{
    // A new run starts from one copy; the dialog sets its own count after.
    report.setCopies(1);
    report.setPrinterName(printerName.toString());
}

void SetupReportToolbar(ReportLayout &report, bool allowExport)
{
    // The engine makes a layout's preview window when it first shows it; it
    // is shown again by the caller at once, before anything is painted.
    PreviewWindow *preview = report.showPreview();

    QAction *print = preview->tool(PreviewTool::Print);
    print->setText(QStringLiteral("Stampa"));
    print->setToolTip(QStringLiteral("Stampa"));
    preview->setFitCaption(FitMode::PageWidth, QStringLiteral("Larghezza"));
    preview->setFitCaption(FitMode::WholePage, QStringLiteral("Pagina"));
    // The print tool prints the pages shown, on the layout's printer, with
    // the progress window and the program's own messages.
    preview->setPrintHandler([preview, &report] {
        // Held for the length of the print, which processes window messages.
        const auto pages = preview->document();
        if (!pages)
            return;
        try {
            comRepLib::PrintDocument(*pages, report.printerName(), report.copies(), report.documentName());
        } catch (const platform::RuntimeError &e) {
            comRepLib::MostraErrore(e);
        }
    });
    // No export tools: the program exports from its report dialogs only.
    (void)allowExport;
    preview->toolBar()->setVisible(true);
}

} // namespace comUtility

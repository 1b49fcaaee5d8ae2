#include "common/comUtilityReport.h"

#include "common/comRepLib.h"
#include "platform/base/RuntimeError.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/report/PreviewWindow.h"
#include "platform/report/ReportLayout.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <optional>

using platform::report::FitMode;
using platform::report::PreviewTool;
using platform::report::PreviewWindow;
using platform::report::ReportLayout;

namespace comUtility {

namespace {

// The "Esporta" tool of a preview window: a menu of the export formats,
// after the print tool. A window prepared again keeps the one it has.
void AggiungiEsportazione(PreviewWindow &preview, ReportLayout &report)
{
    const QString name = QStringLiteral("tbEsporta");
    if (preview.toolBar()->findChild<QToolButton *>(name))
        return;
    auto *menu = new QMenu(&preview);
    for (const FormatoEsportazione &formato : FormatiEsportazione()) {
        QAction *voce = menu->addAction(formato.voce);
        voce->setObjectName(QStringLiteral("mnuexp%1").arg(formato.codice));
        QObject::connect(voce, &QAction::triggered, &preview, [&report, &formato] {
            try {
                EsportaReport(report, formato);
            } catch (const platform::RuntimeError &e) {
                comRepLib::MostraErrore(e);
            }
        });
    }
    auto *button = new QToolButton(preview.toolBar());
    button->setObjectName(name);
    button->setText(QStringLiteral("Esporta"));
    button->setToolTip(QStringLiteral("Esporta"));
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(menu);
    const QList<QAction *> items = preview.toolBar()->actions();
    const int afterPrint = items.indexOf(preview.tool(PreviewTool::Print)) + 1;
    preview.toolBar()->insertWidget(items.value(afterPrint), button);
}

} // namespace

const std::array<FormatoEsportazione, 4> &FormatiEsportazione()
{
    static const std::array<FormatoEsportazione, 4> formats{{
        {10, QStringLiteral("in Excel"), QStringLiteral(".xlsx"), QStringLiteral("Microsoft Excel (*.xlsx)|*.xlsx"),
         &ReportLayout::exportXlsx},
        {11, QStringLiteral("in RTF (Rich text format)"), QStringLiteral(".rtf"),
         QStringLiteral("Rich Text Format (*.rtf)|*.rtf"), &ReportLayout::exportRtf},
        {12, QStringLiteral("in PDF (Acrobat Reader)"), QStringLiteral(".pdf"),
         QStringLiteral("Acrobat reader (*.pdf)|*.pdf"), &ReportLayout::exportPdf},
        {13, QStringLiteral("in HTML"), QStringLiteral(".html"), QStringLiteral("Formato HTML (*.html)|*.html"),
         &ReportLayout::exportHtml},
    }};
    return formats;
}

void EsportaReport(ReportLayout &report, const FormatoEsportazione &formato)
{
    platform::FileDialogRequest request;
    request.defaultExt = formato.estensione;
    request.filter = formato.filtro;
    request.flags = platform::OFN_OVERWRITEPROMPT;
    const std::optional<QString> chosen = platform::desktop().getSaveFileName(request);
    if (chosen && !chosen->isEmpty())
        (report.*formato.scrivi)(*chosen);
}

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
    if (allowExport)
        AggiungiEsportazione(*preview, report);
    preview->toolBar()->setVisible(true);
}

} // namespace comUtility

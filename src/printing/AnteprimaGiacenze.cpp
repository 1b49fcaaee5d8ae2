#include "printing/AnteprimaGiacenze.h"

#include "common/comRepLib.h"
#include "common/comUtilityReport.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "printing/IstanzeReport.h"
#include "printing/StampeMagazzino.h"
#include "printing/arpGiacenze_05.h"
#include "shell/MainModule.h"

void AnteprimaGiacenzeNegative(std::unique_ptr<platform::Recordset> rows, QWidget *parent)
{
    try {
        arpGiacenze_05 &layout = comUtility::SetReportPrinter(IstanzeReport::Istanza<arpGiacenze_05>(),
                                                              platform::Variant(platform::desktop().defaultPrinter()));
        layout.ModoEsportazione = false;
        layout.Imposta(QStringLiteral("Controllo giacenze negative"),
                       QStringLiteral("Categorie: (Tutte)") + QStringLiteral(" - Fornitori: (Tutti)"),
                       QStringLiteral("Check"), StampeMagazzino::FormatoStampa(MainModule::QtyFormat));
        layout.setRecordset(std::shared_ptr<platform::Recordset>(std::move(rows)));
        comUtility::SetupReportToolbar(layout, false);
        layout.showPreview(parent);
    } catch (const platform::RuntimeError &e) {
        // The closing has already stopped; the preview only informs.
        comRepLib::MostraErrore(e);
    }
}

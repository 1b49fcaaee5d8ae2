#include "printing/RegistraStampe.h"

#include "printing/frmPrintReportCliFor.h"
#include "printing/frmPrintReportDati.h"
#include "printing/frmPrintReportMov.h"
#include "shell/WindowRegistry.h"

namespace {

// A report dialog the main window's Print opens with the chosen printer.
template <class Dialog>
void RegistraDialogoStampa(const QString &name)
{
    WindowRegistry::Voce voce;
    voce.Stampa = [](const QString &printerName) { Dialog::Apri(printerName); };
    WindowRegistry::Registra(name, voce);
}

} // namespace

void RegistraFinestreStampa()
{
    RegistraDialogoStampa<frmPrintReportDati>(QStringLiteral("frmPrintReportDati"));
    RegistraDialogoStampa<frmPrintReportClienti>(QStringLiteral("frmPrintReportClienti"));
    RegistraDialogoStampa<frmPrintReportFornitori>(QStringLiteral("frmPrintReportFornitori"));
    RegistraDialogoStampa<frmPrintReportMov>(QStringLiteral("frmPrintReportMov"));
}

#include "printing/RegistraStampe.h"

#include "printing/frmPrintReportDati.h"
#include "shell/WindowRegistry.h"

void RegistraFinestreStampa()
{
    WindowRegistry::Voce dati;
    dati.Stampa = [](const QString &printerName) { frmPrintReportDati::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportDati"), dati);
}

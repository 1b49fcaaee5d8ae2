#include "printing/RegistraStampe.h"

#include "printing/frmPrintReportDati.h"
#include "printing/frmPrintReportMov.h"
#include "shell/WindowRegistry.h"

void RegistraFinestreStampa()
{
    WindowRegistry::Voce dati;
    dati.Stampa = [](const QString &printerName) { frmPrintReportDati::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportDati"), dati);

    WindowRegistry::Voce magazzino;
    magazzino.Stampa = [](const QString &printerName) { frmPrintReportMov::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportMov"), magazzino);
}

#include "printing/RegistraStampe.h"

#include "printing/frmPrintReportCliFor.h"
#include "printing/frmPrintReportDati.h"
#include "shell/WindowRegistry.h"

void RegistraFinestreStampa()
{
    WindowRegistry::Voce dati;
    dati.Stampa = [](const QString &printerName) { frmPrintReportDati::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportDati"), dati);

    WindowRegistry::Voce clienti;
    clienti.Stampa = [](const QString &printerName) { frmPrintReportClienti::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportClienti"), clienti);

    WindowRegistry::Voce fornitori;
    fornitori.Stampa = [](const QString &printerName) { frmPrintReportFornitori::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportFornitori"), fornitori);
}

#include "printing/RegistraStampe.h"

#include "printing/frmPrintLabels.h"
#include "printing/frmPrintReportDati.h"
#include "printing/frmSetLabels.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

void RegistraFinestreStampa()
{
    WindowRegistry::Voce dati;
    dati.Stampa = [](const QString &printerName) { frmPrintReportDati::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportDati"), dati);

    // Label printing for a movement, opened with the movement's IdReg.
    WindowRegistry::Voce etichette;
    etichette.Apri = [](const platform::Variant &idReg) { frmPrintLabels::Apri(idReg); };
    WindowRegistry::Registra(QStringLiteral("frmPrintLabels"), etichette);

    // The label designer of the Tools menu.
    WindowRegistry::Voce designer;
    designer.Nuovo = [] { frmSetLabels::Apri(MainModule::ConnString); };
    WindowRegistry::Registra(QStringLiteral("frmSetLabels"), designer);
}

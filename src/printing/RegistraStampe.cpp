#include "printing/RegistraStampe.h"

#include "printing/ChiusuraMagazzino.h"
#include "printing/RicalcolaProgressivi.h"
#include "printing/frmPrintReportDati.h"
#include "shell/WindowRegistry.h"

#include <QApplication>

void RegistraFinestreStampa()
{
    WindowRegistry::Voce dati;
    dati.Stampa = [](const QString &printerName) { frmPrintReportDati::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportDati"), dati);

    // The stock commands of the Tools menu, run over the main window.
    WindowRegistry::Voce chiusura;
    chiusura.Nuovo = [] { ChiusuraMagazzino::Esegui(QApplication::activeWindow()); };
    WindowRegistry::Registra(QStringLiteral("ChiusuraMagazzino"), chiusura);
    WindowRegistry::Voce ricalcolo;
    ricalcolo.Nuovo = [] { RicalcolaProgressivi::Esegui(); };
    WindowRegistry::Registra(QStringLiteral("RicalcolaProgressivi"), ricalcolo);
}

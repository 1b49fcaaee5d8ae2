#include "printing/RegistraStampe.h"

#include "printing/ChiusuraMagazzino.h"
#include "printing/RicalcolaProgressivi.h"
#include "printing/frmPrintLabels.h"
#include "printing/frmPrintReportArticoli.h"
#include "printing/frmPrintReportCliFor.h"
#include "printing/frmPrintReportDati.h"
#include "printing/frmPrintReportMov.h"
#include "printing/frmSetLabels.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <QApplication>

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
    RegistraDialogoStampa<frmPrintReportArticoli>(QStringLiteral("frmPrintReportArticoli"));

    // Label printing for a movement, opened with the movement's IdReg.
    WindowRegistry::Voce etichette;
    etichette.Apri = [](const platform::Variant &idReg) { frmPrintLabels::Apri(idReg); };
    WindowRegistry::Registra(QStringLiteral("frmPrintLabels"), etichette);

    // The label designer of the Tools menu.
    WindowRegistry::Voce designer;
    designer.Nuovo = [] { frmSetLabels::Apri(MainModule::ConnString); };
    WindowRegistry::Registra(QStringLiteral("frmSetLabels"), designer);

    // The stock commands of the Tools menu, run over the main window.
    WindowRegistry::Voce chiusura;
    chiusura.Nuovo = [] { ChiusuraMagazzino::Esegui(QApplication::activeWindow()); };
    WindowRegistry::Registra(QStringLiteral("ChiusuraMagazzino"), chiusura);
    WindowRegistry::Voce ricalcolo;
    ricalcolo.Nuovo = [] { RicalcolaProgressivi::Esegui(); };
    WindowRegistry::Registra(QStringLiteral("RicalcolaProgressivi"), ricalcolo);
}

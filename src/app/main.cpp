// The entry point of the program.
#include "common/comCursoreAttesa.h"
#include "printing/frmPrintReportDati.h"
#include "records/RegistraRecord.h"
#include "shell/Applicazione.h"
#include "shell/WindowRegistry.h"
#include "shell/frmMain.h"

namespace {

// The windows the main window opens by name.
void RegistraFinestre()
{
    WindowRegistry::Voce dati;
    dati.Stampa = [](const QString &printerName) { frmPrintReportDati::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportDati"), dati);
    RegistraFinestreRecord();
}

} // namespace

int main(int argc, char **argv)
{
    Applicazione app(argc, argv);
    // The wait cursor shows while a statement waits for another program's lock.
    comCursoreAttesa::Installa();
    RegistraFinestre();
    const std::unique_ptr<frmMain> mainWindow = Applicazione::Avvia();
    if (!mainWindow)
        return 1;
    return Applicazione::exec();
}

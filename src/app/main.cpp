// The entry point of the program.
#include "common/comCursoreAttesa.h"
#include "printing/RegistraStampe.h"
#include "records/RegistraRecord.h"
#include "shell/Applicazione.h"
#include "shell/frmMain.h"

int main(int argc, char **argv)
{
    Applicazione app(argc, argv);
    // The wait cursor shows while a statement waits for another program's lock.
    comCursoreAttesa::Installa();
    // The windows the main window opens by name.
    RegistraFinestreRecord();
    RegistraFinestreStampa();
    const std::unique_ptr<frmMain> mainWindow = Applicazione::Avvia();
    if (!mainWindow)
        return 1;
    return Applicazione::exec();
}

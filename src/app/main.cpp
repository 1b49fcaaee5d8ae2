// The entry point of the program.
#include "printing/frmPrintReportDati.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// The windows the main window opens by name.
void RegistraFinestre()
{
    WindowRegistry::Voce dati;
    dati.Stampa = [](const QString &printerName) { frmPrintReportDati::Apri(printerName); };
    WindowRegistry::Registra(QStringLiteral("frmPrintReportDati"), dati);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(MainModule::ApplicationTitle);
    QApplication::setApplicationDisplayName(MainModule::ApplicationTitle);
    QApplication::setOrganizationName(QStringLiteral("Korvane"));

    // Qt's own dialog buttons ("Sì", "No", "Annulla") in Italian.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    if (!MainModule::Main())
        return 1;

    RegistraFinestre();

    frmMain mainWindow;
    mainWindow.Visualizza();
    return QApplication::exec();
}

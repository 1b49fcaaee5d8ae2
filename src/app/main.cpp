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

    // Dates and numbers follow the user's regional settings; a system that
    // has none (the "C" locale) gets Italy's, like the program's texts.
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    // Qt's own dialog buttons ("Sì", "No", "Annulla") in Italian, like the
    // rest of the program, whatever the regional settings.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    if (!MainModule::Main())
        return 1;

    RegistraFinestre();

    frmMain mainWindow;
    mainWindow.Visualizza();
    return QApplication::exec();
}

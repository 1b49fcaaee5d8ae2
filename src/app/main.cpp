// The entry point of the program.
#include "shell/MainModule.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

    frmMain mainWindow;
    mainWindow.Visualizza();
    return QApplication::exec();
}

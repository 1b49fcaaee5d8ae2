#pragma once

#include <QApplication>
#include <QString>
#include <QTranslator>

#include <functional>
#include <memory>

class frmMain;

// The program's application object and its last line of defence: an error
// of the data layer, the settings store or the report engine that escapes
// an event handler is shown in the error report, and the program goes on
// with its next event instead of ending. It also gives the program its
// names, its regional settings and Qt's own texts in Italian.
class Applicazione : public QApplication
{
public:
    Applicazione(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // The program's start: the start procedure, then the main window and its
    // own start. Answers the main window, shown; nullptr when the program
    // cannot start (the user has been told why). An error that escapes the
    // main window's start is reported and the window is shown as far as it
    // got, so that the user can still work in it or close it.
    static std::unique_ptr<frmMain> Avvia();

    // Runs `action`. An exception that escapes it (the program's run-time
    // errors, any other exception) is shown in the error report, naming
    // `module` and `routine`, and the answer is false.
    static bool Protetto(const QString &module, const QString &routine, const std::function<void()> &action);

    // The heading of the error report of an unexpected error.
    static inline const QString TitoloErrore =
        QStringLiteral("Si è verificato un errore imprevisto: l'operazione non è stata completata.");
    // The description of an exception that is not one of the program's own.
    static inline const QString ErroreInterno = QStringLiteral("Errore interno.");
    // Its number, the run-time's "Internal error".
    static constexpr int NumeroErroreInterno = 51;

private:
    QTranslator m_qtTranslator;
};

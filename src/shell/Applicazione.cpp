#include "shell/Applicazione.h"

#include "common/comfrmAbout.h"
#include "common/comfrmSendError.h"
#include "platform/base/RuntimeError.h"
#include "shell/MainModule.h"
#include "shell/frmMain.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMetaEnum>
#include <QScopeGuard>

#include <exception>

namespace {

// The exception being handled, as a run-time error: the program's own as it
// is, any other as an internal error with the exception's words as detail.
// Called only inside a catch block.
platform::RuntimeError ErroreCorrente()
{
    try {
        throw;
    } catch (const platform::RuntimeError &e) {
        return e;
    } catch (const std::exception &e) {
        platform::RuntimeError error(Applicazione::NumeroErroreInterno, Applicazione::ErroreInterno,
                                     MainModule::ApplicationTitle);
        error.setDetail(QString::fromLocal8Bit(e.what()));
        return error;
    } catch (...) {
        return platform::RuntimeError(Applicazione::NumeroErroreInterno, Applicazione::ErroreInterno,
                                      MainModule::ApplicationTitle);
    }
}

// Shows the exception being handled in the error report. An error met while
// a report is open (its own events, a timer of another window) is only
// logged: one report at a time.
void SegnalaErroreCorrente(const QString &module, const QString &routine)
{
    static bool reporting = false;
    const platform::RuntimeError error = ErroreCorrente();
    if (reporting) {
        qWarning("%s: %s", qPrintable(routine), qPrintable(error.description()));
        return;
    }
    reporting = true;
    const auto done = qScopeGuard([] { reporting = false; });
    try {
        comfrmSendError::Apri(MainModule::ApplicationTitle, Applicazione::TitoloErrore, error, routine, module);
    } catch (...) {
        qWarning("%s: %s", qPrintable(routine), qPrintable(error.description()));
    }
}

// The name of an event's type, or its number for the program's own types.
QString NomeEvento(QEvent::Type type)
{
    const char *name = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
    return name ? QString::fromLatin1(name) : QString::number(static_cast<int>(type));
}

} // namespace

Applicazione::Applicazione(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(MainModule::ApplicationTitle);
    setApplicationDisplayName(MainModule::ApplicationTitle);
    setOrganizationName(comProgramInfo::CompanyName);

    // Dates and numbers follow the user's regional settings; a system that
    // has none (the "C" locale) gets Italy's, like the program's texts.
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));

    // Qt's own dialog buttons ("Sì", "No", "Annulla") in Italian, like the
    // rest of the program, whatever the regional settings.
    if (m_qtTranslator.load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(&m_qtTranslator);
}

bool Applicazione::notify(QObject *receiver, QEvent *event)
{
    // Taken before the event is delivered: its handler may delete the receiver.
    const char *receiverClass = receiver ? receiver->metaObject()->className() : "";
    const QEvent::Type type = event->type();
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        SegnalaErroreCorrente(QString::fromLatin1(receiverClass), NomeEvento(type));
        return false;
    }
}

bool Applicazione::Protetto(const QString &module, const QString &routine, const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (...) {
        SegnalaErroreCorrente(module, routine);
        return false;
    }
}

std::unique_ptr<frmMain> Applicazione::Avvia()
{
    const QString unexpected = QStringLiteral("Errore imprevisto durante l'avvio.");
    bool started = false;
    if (!Protetto(QStringLiteral("MainModule"), QStringLiteral("Main"), [&started] { started = MainModule::Main(); })) {
        MainModule::MessaggioFatale(unexpected);
        return nullptr;
    }
    if (!started)
        return nullptr;

    std::unique_ptr<frmMain> window;
    if (!Protetto(QStringLiteral("frmMain"), QStringLiteral("Form_Load"), [&window] { window = std::make_unique<frmMain>(); })) {
        MainModule::MessaggioFatale(unexpected);
        return nullptr;
    }
    if (!Protetto(QStringLiteral("frmMain"), QStringLiteral("Visualizza"), [&window] { window->Visualizza(); })) {
        comfrmAbout::Default().SplashOff();
        window->show();
    }
    return window;
}

// Helper program of the shell's tests: one copy of the program doing one
// thing, chosen by its first argument.
//
//   shell_helper contatore <database file> <year> <count> <start file>
//     Prints "pronto", waits until <start file> exists, then takes <count>
//     movement numbers from the database's counter and prints each number
//     it hands out (n + 1), one a line. Exit code 0 when every call succeeded.
//
//   shell_helper notify
//     The program's own application object sends a window three events whose
//     handler throws: one of the program's run-time errors, a standard
//     exception and an exception of no known kind. Each error report that
//     opens is printed as one line, "caption|heading|Codice|Descrizione|
//     Sorgente|Modulo|Routine|Dettagli", and closed with "Non inviare". A
//     fourth event, handled normally, prints "continua". Exit code 0.
#include "common/comfrmSendError.h"
#include "platform/base/RuntimeError.h"
#include "shell/Applicazione.h"
#include "shell/MainModule.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <stdexcept>

namespace {

int Contatore(const QStringList &args)
{
    const QFileInfo database(args.at(2));
    MainModule::ConnString = MainModule::CostruisciConnString(database.absolutePath(), database.fileName());
    const auto year = static_cast<std::int16_t>(args.at(3).toInt());
    std::printf("pronto\n");
    std::fflush(stdout);
    const QDeadlineTimer deadline(60000);
    while (!QFileInfo::exists(args.at(5))) {
        if (deadline.hasExpired())
            return 3;
        QThread::msleep(1);
    }
    try {
        for (int i = 0; i < args.at(4).toInt(); ++i)
            std::printf("%d\n", MainModule::ProssimoProgressivo(year) + 1);
    } catch (const platform::RuntimeError &e) {
        std::fflush(stdout);
        std::fprintf(stderr, "contatore: %s\n", e.what());
        return 2;
    }
    std::fflush(stdout);
    return 0;
}

// A window whose handler of QEvent::User fails in a different way each time,
// until the fourth time.
class Guasto : public QWidget
{
protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QWidget::event(event);
        switch (m_calls++) {
        case 0: {
            platform::RuntimeError error(platform::err::TypeMismatch, QStringLiteral("Tipo non corrispondente."),
                                         QStringLiteral("Velmora.Prova"));
            error.setDetail(QStringLiteral("Type mismatch"));
            throw error;
        }
        case 1:
            throw std::runtime_error("vettore troppo corto");
        case 2:
            throw 42;
        default:
            std::printf("continua\n");
            return true;
        }
    }

private:
    int m_calls = 0;
};

int Notify()
{
    Guasto window;
    QTimer closer;
    closer.callOnTimeout([] {
        if (auto *report = qobject_cast<comfrmSendError *>(QApplication::activeModalWidget())) {
            QStringList line{report->windowTitle(), report->lblTitle->text()};
            for (const QLabel *value : report->lblValue)
                line << value->text();
            line << report->lblDettagli->text();
            std::printf("%s\n", line.join(u'|').toUtf8().constData());
            report->cmdNoSend->click();
        }
    });
    closer.start(5);
    QTimer::singleShot(0, [&window] {
        for (int i = 0; i < 4; ++i) {
            QEvent event(QEvent::User);
            QCoreApplication::sendEvent(&window, &event);
        }
        QCoreApplication::quit();
    });
    const int code = Applicazione::exec();
    std::fflush(stdout);
    return code;
}

} // namespace

int main(int argc, char **argv)
{
    Applicazione app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 6 && args.at(1) == QLatin1String("contatore"))
        return Contatore(args);
    if (args.size() == 2 && args.at(1) == QLatin1String("notify"))
        return Notify();
    std::fprintf(stderr, "usage: shell_helper contatore <database> <year> <count> <start file> | notify\n");
    return 64;
}

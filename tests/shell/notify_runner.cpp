// Helper program of the start-up tests: the program's own application
// object delivering events whose handler fails.
//
//   notify_runner
//
// Sends a window three events whose handler throws: one of the program's
// run-time errors, a standard exception and an exception of no known kind.
// Each error report that opens is printed as one line, "caption|heading|
// Codice|Descrizione|Sorgente|Modulo|Routine|Dettagli", and closed with
// "Non inviare". A fourth event, handled normally, prints "continua"; then
// the event loop ends. Exit code 0.
#include "common/comfrmSendError.h"
#include "platform/base/RuntimeError.h"
#include "shell/Applicazione.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <stdexcept>

namespace {

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

void Stampa(const comfrmSendError *report)
{
    QStringList line{report->windowTitle(), report->lblTitle->text()};
    for (const QLabel *value : report->lblValue)
        line << value->text();
    line << report->lblDettagli->text();
    std::printf("%s\n", line.join(u'|').toUtf8().constData());
}

} // namespace

int main(int argc, char **argv)
{
    Applicazione app(argc, argv);
    Guasto window;

    QTimer closer;
    closer.callOnTimeout([] {
        if (auto *report = qobject_cast<comfrmSendError *>(QApplication::activeModalWidget())) {
            Stampa(report);
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

// Helper program of the movement tests: one copy of the program saving new
// "Carico" movements through Movimento, each of <lines> lines of article A1,
// dated in <year> and numbered from that year's counter.
//
//   movimento_helper salva <database file> <year> <count> <lines>
//     Prints "pronto", waits for a line on its standard input, then saves
//     <count> movements. Exit code 0 when every save succeeded, 2 otherwise.
//
//   movimento_helper interrompi <database file> <year> <count> <lines>
//     Saves <count> movements, then starts one more and stops inside its
//     transaction, once its header and lines are written: prints "dentro"
//     and waits to be killed.
#include "support/HelperProgram.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Recordset.h"
#include "records/Movimento.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {

struct Richiesta
{
    std::int16_t anno;
    int movimenti;
    int righe;
};

const RegolaCausale Carico = RegolaCausale::Di(QStringLiteral("Carico"));

void Prepara(Movimento &m, const Richiesta &r)
{
    m.Nuovo(Carico.causale, platform::DateTime(r.anno, 6, 1));
    for (int i = 0; i < r.righe; ++i) {
        m.Righe().addNew();
        m.Righe().setValue(QStringLiteral("CodiceArticolo"), QStringLiteral("A1"));
        m.Righe().setValue(Movimento::CampoQuantita, 1);
        m.Righe().setValue(QStringLiteral("Costo"), 1.5);
    }
}

void SalvaTutti(const Richiesta &r)
{
    for (int i = 0; i < r.movimenti; ++i) {
        Movimento m;
        Prepara(m, r);
        m.Salva(Carico, r.anno);
    }
}

int Salva(const Richiesta &r)
{
    if (!helperprogram::ready())
        return 3;
    try {
        SalvaTutti(r);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "salva: %s\n", e.what());
        return 2;
    }
    return 0;
}

int Interrompi(const Richiesta &r)
{
    SalvaTutti(r);
    Movimento m;
    Prepara(m, r);
    // The lines' batch is written and the transaction not yet committed.
    QObject::connect(&m.Righe(), &platform::Recordset::recordsetChangeComplete, [](platform::EventReason reason) {
        if (reason != platform::EventReason::adRsnUpdate)
            return;
        helperprogram::announce("dentro");
        for (;;)
            QThread::sleep(60);
    });
    m.Salva(Carico, r.anno);
    return 4;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 6 || (args.at(1) != QLatin1String("salva") && args.at(1) != QLatin1String("interrompi"))) {
        std::fprintf(stderr, "usage: movimento_helper salva|interrompi <database> <year> <count> <lines>\n");
        return 64;
    }
    helperprogram::useDatabase(args.at(2));
    const Richiesta richiesta{static_cast<std::int16_t>(args.at(3).toInt()), args.at(4).toInt(), args.at(5).toInt()};
    return args.at(1) == QLatin1String("salva") ? Salva(richiesta) : Interrompi(richiesta);
}

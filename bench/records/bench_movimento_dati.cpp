// Benchmark of the movement's storage. On a copy of a database made by the
// synthetic generator (velmora_gen), measures, each the median of several
// runs against its target:
//  - loading a stored 50-line movement (Movimento::Carica);
//  - saving a new 50-line purchase (number, header and lines in one
//    transaction), its lines entered beforehand;
//  - saving a new 1,000-line purchase the same way.
// Lines take random articles of the database with their cost.
// Usage: bench_movimento_dati <database made by velmora_gen>
#include "BenchCopy.h"
#include "Stopwatch.h"

#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "records/Movimento.h"
#include "shell/MainModule.h"

#include <QCoreApplication>

#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int Runs = 15;
constexpr double LoadTarget = 150; // ms, the whole window's opening
constexpr double Save50Target = 30;
constexpr double Save1000Target = 300;

const QString Causale = QStringLiteral("Acquisto");

struct Articolo
{
    QString codice;
    double costo;
};

std::vector<Articolo> LeggiArticoli()
{
    platform::Connection connection(MainModule::ConnString);
    const auto rs = connection.executeQuery(QStringLiteral("SELECT Codice, Costo FROM Articoli"));
    std::vector<Articolo> articoli;
    for (int row = 0; row < rs->rowCount(); ++row)
        articoli.push_back({rs->valueAt(row, 0).toString(), rs->valueAt(row, 1).toDouble()});
    return articoli;
}

// A new purchase of `righe` lines of random articles, entered but not saved.
void Prepara(Movimento &m, int righe, const std::vector<Articolo> &articoli, std::mt19937 &rng)
{
    m.Nuovo(Causale, MainModule::WorkDate);
    for (int i = 0; i < righe; ++i) {
        const Articolo &a = articoli[rng() % articoli.size()];
        m.Righe().addNew();
        m.Righe().setValue(QStringLiteral("CodiceArticolo"), a.codice);
        m.Righe().setValue(Movimento::CampoQuantita, static_cast<int>(1 + rng() % 50));
        m.Righe().setValue(QStringLiteral("Costo"), a.costo);
    }
}

// The time of one save of a new movement of `righe` lines; sets `idReg`.
double Salvataggio(int righe, const std::vector<Articolo> &articoli, std::mt19937 &rng, std::int32_t &idReg)
{
    Movimento m;
    Prepara(m, righe, articoli, rng);
    Stopwatch watch;
    m.Salva(RegolaCausale::Di(Causale), static_cast<std::int16_t>(MainModule::WorkDate.year()));
    const double ms = watch.milliseconds();
    idReg = m.IdReg();
    return ms;
}

double Caricamento(std::int32_t idReg)
{
    Stopwatch watch;
    Movimento m;
    const bool found = m.Carica(idReg);
    const double ms = watch.milliseconds();
    if (!found || m.Righe().rowCount() != 50) {
        std::fprintf(stderr, "Movement %d did not load.\n", idReg);
        std::exit(1);
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const BenchCopy copy("bench_movimento_dati");
    MainModule::ConnString = copy.connectionString();
    MainModule::WorkDate = platform::DateTime::today();

    try {
        const std::vector<Articolo> articoli = LeggiArticoli();
        platform::Connection connection(MainModule::ConnString);
        std::printf("Articles: %zu; movement lines: %s\n", articoli.size(),
                    qPrintable(connection.executeQuery(QStringLiteral("SELECT COUNT(*) FROM MagazRegDetail"))
                                   ->value(0)
                                   .toString()));
        connection.close();
        std::mt19937 rng(42);
        std::int32_t idReg = 0;
        // One run of each before the measured ones warms the caches.
        Salvataggio(1000, articoli, rng, idReg);
        Salvataggio(50, articoli, rng, idReg);
        Caricamento(idReg);

        std::vector<double> loadMs, save50Ms, save1000Ms;
        for (int run = 0; run < Runs; ++run) {
            save50Ms.push_back(Salvataggio(50, articoli, rng, idReg));
            loadMs.push_back(Caricamento(idReg));
            save1000Ms.push_back(Salvataggio(1000, articoli, rng, idReg));
        }
        std::printf("\n");
        Stopwatch::printMedian("Load a 50-line movement", loadMs, LoadTarget);
        Stopwatch::printMedian("Save a new 50-line movement", save50Ms, Save50Target);
        Stopwatch::printMedian("Save a new 1,000-line movement", save1000Ms, Save1000Target);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}

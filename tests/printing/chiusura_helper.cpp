// Helper program of the closing tests: one copy of the program closing a
// year or renumbering one.
//
//   chiusura_helper chiudi <database file> <working year>
//     Closes the year before <working year> at the last load cost and
//     stops inside the closing's transaction at its first opening line,
//     once the counter and the header are written: prints "dentro" and
//     waits to be killed.
//
//   chiusura_helper rinumera <database file> <year> <times>
//     Prints "pronto", waits for a line on its standard input, then
//     renumbers the movements of <year> <times> times. Exit code 0 when
//     every run succeeded, 2 (with the message on standard error)
//     otherwise.
#include "support/HelperProgram.h"

#include "platform/base/RuntimeError.h"
#include "printing/ChiusuraMagazzino.h"
#include "printing/RicalcolaProgressivi.h"
#include "printing/frmValorizzazione.h"

#include <QCoreApplication>
#include <QThread>

#include <sqlite3.h>

namespace {

void Pausa(sqlite3_context *, int, sqlite3_value **)
{
    helperprogram::announce("dentro");
    for (;;)
        QThread::sleep(60);
}

// Every connection the program opens stops at its first insert of a
// movement line, inside whatever transaction is writing it.
int FermaAllaPrimaRiga(sqlite3 *db, const char **, const sqlite3_api_routines *)
{
    sqlite3_create_function_v2(db, "pausa", 0, SQLITE_UTF8, nullptr, Pausa, nullptr, nullptr, nullptr);
    sqlite3_exec(db, "CREATE TEMP TRIGGER pausa AFTER INSERT ON main.MagazRegDetail BEGIN SELECT pausa(); END",
                 nullptr, nullptr, nullptr);
    return SQLITE_OK;
}

int Chiudi(int anno)
{
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(FermaAllaPrimaRiga));
    ChiusuraMagazzino::Scrivi(frmValorizzazione::CostoUltimo, platform::DateTime(anno, 2, 10));
    return 4;
}

int Rinumera(int anno, int volte)
{
    if (!helperprogram::ready())
        return 3;
    try {
        for (int i = 0; i < volte; ++i)
            RicalcolaProgressivi::Rinumera(anno);
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "%s\n", e.description().toUtf8().constData());
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool chiudi = args.size() == 4 && args.at(1) == QLatin1String("chiudi");
    if (!chiudi && (args.size() != 5 || args.at(1) != QLatin1String("rinumera"))) {
        std::fprintf(stderr, "usage: chiusura_helper chiudi <database> <year> | rinumera <database> <year> <times>\n");
        return 64;
    }
    helperprogram::useDatabase(args.at(2));
    return chiudi ? Chiudi(args.at(3).toInt()) : Rinumera(args.at(3).toInt(), args.at(4).toInt());
}

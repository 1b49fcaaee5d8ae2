// Check of the stock figures on a database made by the synthetic generator
// (velmora_gen): the program's stock list, article drop-down, inventories
// and year-end closing, each next to a plain recomputation from the
// movement lines alone (every stock a sum of its period's lines, every last
// load cost a search among the article's loads, every average a sum over
// the period's loads), at three working dates: today's day in the data's
// last year, the same day a year before, and the last year's 31 December.
// It prints, for each, whether every row and value is the same, and exits
// with 1 when one is not. The closings run on copies of the database.
// Usage: bench_risultati <database made by velmora_gen>
#include "Ammanchi.h"
#include "Stopwatch.h"

#include "common/comDateLib.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Variant.h"
#include "platform/data/Connection.h"
#include "platform/data/Recordset.h"
#include "printing/ChiusuraMagazzino.h"
#include "printing/StampeMagazzino.h"
#include "printing/frmValorizzazione.h"
#include "shell/MainModule.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

using platform::DateTime;
using platform::Variant;

namespace {

// One row of a result: the stock, and the cost where the result has one.
struct Valori {
    double q = 0;
    std::optional<double> c;
};
using Righe = QMap<QString, Valori>; // by article code, upper case

std::optional<double> numero(const Variant &v)
{
    if (v.isNull() || v.isEmpty())
        return std::nullopt;
    return v.toDouble();
}

// The rows of `sql` (code, stock, [cost]) read through the program's
// database layer.
Righe leggi(const QString &sql, const QList<Variant> &parametri, const QString &codice, const QString &giacenza,
            const QString &costo)
{
    platform::Connection connection(MainModule::ConnString);
    auto rs = connection.executeQuery(sql, parametri);
    const int cCodice = rs->fieldIndex(codice);
    const int cGiacenza = rs->fieldIndex(giacenza);
    const int cCosto = costo.isEmpty() ? -1 : rs->fieldIndex(costo);
    Righe righe;
    for (int row = 0; row < rs->rowCount(); ++row) {
        Valori v;
        v.q = rs->valueAt(row, cGiacenza).toDouble();
        if (cCosto >= 0)
            v.c = numero(rs->valueAt(row, cCosto));
        righe.insert(rs->valueAt(row, cCodice).toString().toUpper(), v);
    }
    return righe;
}

bool uguali(const std::optional<double> &a, const std::optional<double> &b)
{
    if (!a || !b)
        return a.has_value() == b.has_value();
    return std::abs(*a - *b) <= 1e-9 * std::max(1.0, std::abs(*a));
}

// Compares two results row by row and prints the verdict.
bool confronta(const QString &cosa, const Righe &programma, const Righe &ricalcolo)
{
    int diverse = 0;
    QString prima;
    for (auto it = ricalcolo.cbegin(); it != ricalcolo.cend(); ++it) {
        const auto trovata = programma.constFind(it.key());
        const bool stessa = trovata != programma.cend() && uguali(trovata->q, it->q) && uguali(trovata->c, it->c);
        if (!stessa && diverse++ == 0)
            prima = it.key();
    }
    for (auto it = programma.cbegin(); it != programma.cend(); ++it) {
        if (!ricalcolo.contains(it.key()) && diverse++ == 0)
            prima = it.key();
    }
    std::printf("%-58s %6lld rows  %s", qPrintable(cosa), static_cast<long long>(ricalcolo.size()),
                diverse == 0 ? "same rows and values" : "DIFFERENT");
    if (diverse > 0)
        std::printf(": %d rows, the first %s", diverse, qPrintable(prima));
    std::printf("\n");
    std::fflush(stdout);
    return diverse == 0;
}

// The plain stock of every article over [dal, al] (0 without lines).
QString giacenzaPiana(const QString &tabellaArticoli)
{
    return QStringLiteral("Nz((SELECT Sum(D.[Quantità]*D.Segno) FROM MagazRegMain AS M INNER JOIN MagazRegDetail AS D "
                          "ON M.IdReg = D.IdReg WHERE D.CodiceArticolo = %1 AND M.DataIns Between [dal] And [al]), 0)")
        .arg(tabellaArticoli);
}

// The plain last load cost up to `limite` (a comparison with [al] or [fine]).
QString costoUltimoPiano(const QString &articolo, const QString &limite)
{
    return QStringLiteral("(SELECT TOP 1 D.Costo FROM MagazRegMain AS M INNER JOIN MagazRegDetail AS D "
                          "ON M.IdReg = D.IdReg WHERE D.CodiceArticolo = %1 AND D.Segno = 1 AND M.DataIns %2 "
                          "ORDER BY M.DataIns DESC, M.IdReg DESC, D.Riga DESC, D.IdDet DESC)")
        .arg(articolo, limite);
}

// The plain average load cost over [dal, al].
QString costoMedioPiano(const QString &articolo)
{
    return QStringLiteral("(SELECT Sum(D.Costo*D.[Quantità])/NULLIF(Sum(D.[Quantità]), 0) FROM MagazRegMain AS M "
                          "INNER JOIN MagazRegDetail AS D ON M.IdReg = D.IdReg WHERE D.CodiceArticolo = %1 AND "
                          "D.Segno = 1 AND M.DataIns Between [dal] And [al])")
        .arg(articolo);
}

// The stock list, the drop-down and the inventories from 1 January to the
// working date, its last day whole.
bool controllaData(const QDate &giorno)
{
    const QString at = giorno.toString(QStringLiteral("dd/MM/yyyy"));
    const Variant dal{DateTime(giorno.year(), 1, 1)};
    const Variant al{comDateLib::EndOfDay(DateTime(giorno))};
    const QString piano = QStringLiteral("PARAMETERS dal DateTime, al DateTime; SELECT A.Codice, ")
        + giacenzaPiana(QStringLiteral("A.Codice")) + QStringLiteral(" AS Q, ")
        + costoUltimoPiano(QStringLiteral("A.Codice"), QStringLiteral("<= [al]")) + QStringLiteral(" AS C FROM Articoli AS A");
    const Righe ricalcolo = leggi(piano, {dal, al}, QStringLiteral("Codice"), QStringLiteral("Q"), QStringLiteral("C"));
    Righe soloGiacenze = ricalcolo;
    for (Valori &v : soloGiacenze)
        v.c.reset();

    bool ok = confronta(QStringLiteral("stock list (RepGiacenze) at %1").arg(at),
                        leggi(QStringLiteral("SELECT * FROM RepGiacenze"), {dal, al}, QStringLiteral("Codice"),
                              QStringLiteral("Giacenza"), QStringLiteral("CostoUltimo")),
                        ricalcolo);
    ok &= confronta(QStringLiteral("article drop-down (ViewGiacenze) at %1").arg(at),
                    leggi(QStringLiteral("SELECT * FROM ViewGiacenze"), {dal, al}, QStringLiteral("Codice"),
                          QStringLiteral("Giacenza"), QString()),
                    soloGiacenze);

    // The inventories list the articles with lines in the period.
    StampeMagazzino::Filtro filtro;
    filtro.dal = DateTime(giorno.year(), 1, 1);
    filtro.al = DateTime(giorno);
    const QString conRighe = QStringLiteral(
        " WHERE EXISTS (SELECT 1 FROM MagazRegMain AS M INNER JOIN MagazRegDetail AS D ON M.IdReg = D.IdReg "
        "WHERE D.CodiceArticolo = A.Codice AND M.DataIns Between [dal] And [al])");
    for (const bool medio : {false, true}) {
        const StampeMagazzino::Query inventario =
            StampeMagazzino::Inventario(filtro, StampeMagazzino::Raggruppamento::Nessuno, medio);
        const QString inventarioPiano = QStringLiteral("PARAMETERS dal DateTime, al DateTime; SELECT A.Codice, ")
            + giacenzaPiana(QStringLiteral("A.Codice")) + QStringLiteral(" AS Q, ")
            + (medio ? costoMedioPiano(QStringLiteral("A.Codice"))
                     : costoUltimoPiano(QStringLiteral("A.Codice"), QStringLiteral("<= [al]")))
            + QStringLiteral(" AS C FROM Articoli AS A") + conRighe;
        ok &= confronta(QStringLiteral("inventory at %1 cost at %2").arg(medio ? u"average" : u"last", at),
                        leggi(inventario.sql, inventario.parametri, QStringLiteral("CodiceArticolo"),
                              QStringLiteral("Q"), QStringLiteral("C")),
                        leggi(inventarioPiano, {dal, al}, QStringLiteral("Codice"), QStringLiteral("Q"),
                              QStringLiteral("C")));
    }
    return ok;
}

// The closing of `anno` on a copy of the database: its opening lines next
// to the articles of positive stock at the year's end with their plain cost.
bool controllaChiusura(const QString &originale, const QString &copia, int anno, std::int32_t valorizzazione)
{
    QFile::remove(copia);
    if (!QFile::copy(originale, copia))
        throw platform::RuntimeError(1, QStringLiteral("cannot copy the database to %1").arg(copia));
    ColmaAmmanchi(copia, anno);
    MainModule::ConnString = MainModule::CostruisciConnString(QFileInfo(copia).absolutePath(), QFileInfo(copia).fileName());
    const DateTime lavoro(anno + 1, 1, 15);
    const bool medio = valorizzazione == frmValorizzazione::CostoMedio;
    const QString nome = QStringLiteral("closing of %1 at %2 cost").arg(anno).arg(medio ? u"average" : u"last");
    const ChiusuraMagazzino::Esito esito = ChiusuraMagazzino::Scrivi(valorizzazione, lavoro);
    if (esito.negative) {
        std::printf("%-58s        negative stock: nothing written, nothing to compare\n", qPrintable(nome));
        return true;
    }
    const Variant dal{DateTime(anno, 1, 1)};
    const Variant al{comDateLib::EndOfDay(DateTime(anno, 12, 31))};
    const Variant fine{DateTime(anno + 1, 1, 1)};
    const QString positive = QStringLiteral("PARAMETERS dal DateTime, al DateTime, fine DateTime; SELECT * FROM "
                                            "(SELECT A.Codice, ")
        + giacenzaPiana(QStringLiteral("A.Codice")) + QStringLiteral(" AS Q, ")
        + (medio ? costoMedioPiano(QStringLiteral("A.Codice"))
                 : costoUltimoPiano(QStringLiteral("A.Codice"), QStringLiteral("< [fine]")))
        + QStringLiteral(" AS C FROM Articoli AS A) AS P WHERE P.Q > 0 AND P.C Is Not Null");
    const Righe ricalcolo = leggi(positive, {dal, al, fine}, QStringLiteral("Codice"), QStringLiteral("Q"),
                                  QStringLiteral("C"));
    const Righe scritte = leggi(QStringLiteral("SELECT CodiceArticolo, [Quantità], Costo FROM MagazRegDetail WHERE IdReg = ?"),
                                {Variant(esito.idReg)}, QStringLiteral("CodiceArticolo"), QStringLiteral("Quantità"),
                                QStringLiteral("Costo"));
    return confronta(nome, scritte, ricalcolo);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2 || !QFileInfo::exists(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: bench_risultati <database made by velmora_gen>\n");
        return 2;
    }
    const QString originale = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    QTemporaryDir lavoro;
    const QString copia = lavoro.path() + QStringLiteral("/copia.mdb");
    bool ok = true;
    Stopwatch clock;
    try {
        if (!QFile::copy(originale, copia))
            throw platform::RuntimeError(1, QStringLiteral("cannot copy the database to %1").arg(copia));
        MainModule::ConnString = MainModule::CostruisciConnString(lavoro.path(), QStringLiteral("copia.mdb"));
        int ultimo = 0;
        {
            platform::Connection connection(MainModule::ConnString);
            ultimo = connection.executeQuery(QStringLiteral("SELECT Max(DataIns) AS U FROM MagazRegMain"))
                         ->value(0)
                         .toDate()
                         .year();
        }
        const QDate oggi = QDate::currentDate();
        QDate dentro(ultimo, oggi.month(), oggi.day());
        if (!dentro.isValid())
            dentro = QDate(ultimo, 2, 28);
        for (const QDate &giorno : {dentro, dentro.addYears(-1), QDate(ultimo, 12, 31)})
            ok &= controllaData(giorno);
        for (const int anno : {ultimo, ultimo - 1}) {
            ok &= controllaChiusura(originale, copia, anno, frmValorizzazione::CostoUltimo);
            ok &= controllaChiusura(originale, copia, anno, frmValorizzazione::CostoMedio);
        }
    } catch (const platform::RuntimeError &e) {
        std::fprintf(stderr, "bench_risultati: %s\n", qPrintable(e.description()));
        return 1;
    }
    std::printf("%s (%.0f s)\n", ok ? "Every result is the same as its plain recomputation." : "SOME RESULTS DIFFER.",
                clock.seconds());
    return ok ? 0 : 1;
}

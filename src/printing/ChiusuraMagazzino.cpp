#include "printing/ChiusuraMagazzino.h"

#include "common/comDateLib.h"
#include "platform/base/RuntimeError.h"
#include "platform/data/Connection.h"
#include "platform/data/JetTemplateQueries.h"
#include "platform/data/Recordset.h"
#include "platform/desktop/DesktopServices.h"
#include "printing/AnteprimaGiacenze.h"
#include "printing/frmValorizzazione.h"
#include "shell/MainModule.h"
#include "shell/WindowRegistry.h"

#include <exception>
#include <utility>

using platform::Connection;
using platform::DateTime;
using platform::Recordset;
using platform::Variant;

namespace {

// The lines of the movements dated in the period [dal, fine).
const QString RigheDelPeriodo = QStringLiteral(
    "FROM MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg "
    "WHERE MagazRegMain.DataIns >= [dal] AND MagazRegMain.DataIns < [fine] "
    "GROUP BY MagazRegDetail.CodiceArticolo ");

// The articles of positive stock over the period, the ones the opening
// movement carries, with the average load cost: the loads' value over
// their quantity (Null without loads, or when they net to nothing, as the
// stored average cost query answers).
const QString GiacenzePositive = QStringLiteral(
    "SELECT MagazRegDetail.CodiceArticolo, Sum([Quantità]*[Segno]) AS Q, "
    "Sum(IIf(MagazRegDetail.Segno=1, [Costo]*[Quantità], Null))"
    "/NULLIF(Sum(IIf(MagazRegDetail.Segno=1, [Quantità], Null)), 0) AS CM ")
    + RigheDelPeriodo + QStringLiteral("HAVING Sum([Quantità]*[Segno]) > 0");

// The closed period is always a whole year, from its 1 January [dal] to
// the next year's [fine]: each article's stock over it is the year's
// balance the database keeps in _Saldi (in ten-thousandths of a unit).
const QString SaldiDellAnno = QStringLiteral("FROM _Saldi AS S WHERE S.Anno = Year([dal]) ");

// The articles of positive stock at the end of the year, read from their
// balances.
const QString SaldiPositivi =
    QStringLiteral("SELECT S.CodiceArticolo, S.Q / 10000.0 AS Q ") + SaldiDellAnno + QStringLiteral("AND S.Q > 0");

const QString Parametri = QStringLiteral("PARAMETERS dal DateTime, fine DateTime, id Long; ");

// Both statements below give every article of positive stock a line of the
// opening movement [id] in one statement; an article the
// chosen cost query has no cost for (no row, or a Null cost) gets Segno
// 0, a sign no line has, so
// that the closing can then name those articles and take their lines away
// without going over the year again.
const QString InserisciRighe = QStringLiteral(
    "INSERT INTO MagazRegDetail ( CodiceArticolo, Quantità, Costo, Segno, Riga, IdReg ) ");

// The lines at the last load cost: the cost of each article's latest load
// line dated before the end of the period, the line the stored last cost
// query picks; an article never loaded up to then has no cost.
const QString RigheCostoUltimo = Parametri + InserisciRighe + QStringLiteral(
    "SELECT G.CodiceArticolo, G.Q, G.C, IIf(G.C Is Null, 0, 1), 10, [id] "
    "FROM (SELECT P.*, " VELMORA_LAST_LOAD_COST("P.CodiceArticolo", "< [fine]") " AS C FROM (%1) AS P) AS G")
    .arg(SaldiPositivi);

// The lines at the average load cost of the period; an article without
// loads in the period, or whose loads net to nothing, has no cost.
const QString RigheCostoMedio = Parametri + InserisciRighe + QStringLiteral(
    "SELECT G.CodiceArticolo, G.Q, G.CM, IIf(G.CM Is Null, 0, 1), 10, [id] FROM (%1) AS G").arg(GiacenzePositive);

// The articles left without a cost, and the taking away of their lines.
const QString SenzaCosto = QStringLiteral(
    "SELECT CodiceArticolo FROM MagazRegDetail WHERE IdReg = ? AND Segno = 0 ORDER BY CodiceArticolo");
const QString TogliSenzaCosto = QStringLiteral("DELETE FROM MagazRegDetail WHERE IdReg = ? AND Segno = 0");

// The articles of negative stock over the year, with the columns of the
// below-minimum report.
const QString NegativeSql = QStringLiteral(
    "PARAMETERS dal DateTime, fine DateTime; "
    "SELECT G.CodiceArticolo AS Codice, Articoli.Descrizione AS Descrizione, UM, ScortaMinima, G.Giacenza "
    "FROM Articoli INNER JOIN (SELECT S.CodiceArticolo, S.Q / 10000.0 AS Giacenza %1"
    "AND S.Q < 0) AS G ON Articoli.Codice = G.CodiceArticolo "
    "ORDER BY G.CodiceArticolo").arg(SaldiDellAnno);

ChiusuraMagazzino::FunzioneAnteprima &Anteprima()
{
    static ChiusuraMagazzino::FunzioneAnteprima anteprima;
    return anteprima;
}

// The articles of negative stock over the period, read on `connection` and
// detached from it.
std::unique_ptr<Recordset> LeggiNegative(Connection &connection, const ChiusuraMagazzino::Periodo &periodo)
{
    auto rows = connection.executeQuery(NegativeSql, {periodo.dal, periodo.fine});
    rows->setActiveConnection(nullptr);
    return rows;
}

int Messaggio(const QString &testo, int stile)
{
    return platform::desktop().msgBox(testo, stile, MainModule::ApplicationTitle);
}

void MostraErrore(const QString &descrizione)
{
    Messaggio(QStringLiteral("Chiusura di magazzino non effettuata: nessuna modifica è stata salvata.\r\n")
                  + descrizione,
              platform::vbCritical | platform::vbOKOnly);
}

// Asks `domanda` (Yes the default) and on Yes previews the articles of
// negative stock.
void OffriAnteprima(const QString &domanda, std::unique_ptr<Recordset> negative, QWidget *parent)
{
    if (Messaggio(domanda, platform::vbYesNo | platform::vbDefaultButton1) != platform::vbYes)
        return;
    const ChiusuraMagazzino::FunzioneAnteprima &anteprima = Anteprima();
    if (anteprima)
        anteprima(std::move(negative), parent);
    else
        AnteprimaGiacenzeNegative(std::move(negative), parent);
}

// The articles left without a line for want of a cost, for the closing's
// messages: up to MaxCodiciElencati codes, then how many others.
QString ElencoSenzaCosto(const QStringList &senzaCosto)
{
    if (senzaCosto.isEmpty())
        return QString();
    QString testo = QStringLiteral("\r\n\r\nArticoli con giacenza positiva non riportati per mancanza del costo di carico"
                                   " (da caricare a mano):\r\n")
        + senzaCosto.mid(0, ChiusuraMagazzino::MaxCodiciElencati).join(QStringLiteral(", "));
    const qsizetype altri = senzaCosto.size() - ChiusuraMagazzino::MaxCodiciElencati;
    if (altri == 1)
        testo += QStringLiteral("\r\ne un altro articolo.");
    else if (altri > 1)
        testo += QStringLiteral("\r\ne altri %1 articoli.").arg(altri);
    return testo;
}

} // namespace

ChiusuraMagazzino::Periodo ChiusuraMagazzino::PeriodoChiusura(const DateTime &workDate)
{
    return {comDateLib::FirstDayOfPreviousYear(workDate), comDateLib::FirstDayOfYear(workDate)};
}

std::unique_ptr<Recordset> ChiusuraMagazzino::GiacenzeNegative(const Periodo &periodo)
{
    Connection connection(MainModule::ConnString);
    return LeggiNegative(connection, periodo);
}

ChiusuraMagazzino::Esito ChiusuraMagazzino::Scrivi(std::int32_t valorizzazione, const DateTime &workDate)
{
    const Periodo periodo = PeriodoChiusura(workDate);
    Esito esito;
    // Closing the connection on the way out rolls back what was not
    // committed.
    Connection connection(MainModule::ConnString);
    connection.beginTrans();
    // The stock was checked before the valuation was asked; another copy of
    // the program may have saved a sale since. Inside the write transaction
    // nothing can change any more until the commit.
    auto negative = LeggiNegative(connection, periodo);
    if (negative->rowCount() > 0) {
        connection.rollbackTrans();
        esito.negative = std::move(negative);
        return esito;
    }
    negative.reset();
    esito.progressivo = MainModule::ProssimoProgressivo(connection, static_cast<std::int16_t>(workDate.year())) + 1;

    Recordset testata;
    testata.open(QStringLiteral("SELECT * FROM MagazRegMain WHERE False"), connection, platform::CursorType::Static,
                 platform::LockType::Optimistic);
    testata.addNew();
    testata.setValue(QStringLiteral("DataIns"), workDate);
    testata.setValue(QStringLiteral("Progressivo"), esito.progressivo);
    testata.setValue(QStringLiteral("Descrizione"),
                     QStringLiteral("Giacenze iniziali anno ") + QString::number(workDate.year()));
    testata.setValue(QStringLiteral("Causale"), QStringLiteral("Carico"));
    testata.setValue(QStringLiteral("TipoContropartita"), QStringLiteral("Deposito"));
    testata.update();
    esito.idReg = testata.value(QStringLiteral("IdReg")).toInt32();
    testata.close();

    const auto inserite = connection.execute(SqlRighe(valorizzazione), {periodo.dal, periodo.fine, esito.idReg});
    const auto mancanti = connection.executeQuery(SenzaCosto, {esito.idReg});
    for (int row = 0; row < mancanti->rowCount(); ++row)
        esito.senzaCosto << mancanti->valueAt(row, 0).toString();
    mancanti->close();
    connection.execute(TogliSenzaCosto, {esito.idReg});
    esito.righe = static_cast<int>(inserite) - static_cast<int>(esito.senzaCosto.size());

    // An opening movement without lines would only use up a number.
    if (esito.righe <= 0) {
        connection.rollbackTrans();
        esito.idReg = 0;
        esito.progressivo = 0;
        esito.righe = 0;
        return esito;
    }
    connection.commitTrans();
    connection.close();
    return esito;
}

QString ChiusuraMagazzino::MessaggioSuccesso(const QStringList &senzaCosto)
{
    return MsgSuccesso + ElencoSenzaCosto(senzaCosto);
}

QString ChiusuraMagazzino::MessaggioNessunaGiacenza(int nuovoAnno, const QStringList &senzaCosto)
{
    return QStringLiteral("Nessuna giacenza da riportare nell'anno %1: la chiusura di magazzino non ha registrato"
                          " alcun movimento.")
               .arg(nuovoAnno)
        + ElencoSenzaCosto(senzaCosto);
}

void ChiusuraMagazzino::Esegui(QWidget *parent)
{
    const int anno = MainModule::WorkYear - 1;
    if (Messaggio(QStringLiteral("Procedere con la chiusura di magazzino per l'anno %1?").arg(anno),
                  platform::vbYesNo | platform::vbCritical | platform::vbDefaultButton2)
        != platform::vbYes)
        return;

    Esito esito;
    try {
        auto negative = GiacenzeNegative(PeriodoChiusura(MainModule::WorkDate));
        if (negative->rowCount() > 0) {
            OffriAnteprima(QStringLiteral("Sono presenti giacenze negative.\r\nStampare?"), std::move(negative),
                           parent);
            return;
        }
        negative.reset();

        const std::int32_t valorizzazione = frmValorizzazione::Apri(parent);
        if (valorizzazione == frmValorizzazione::Annulla)
            return;
        esito = Scrivi(valorizzazione, MainModule::WorkDate);
    } catch (const platform::RuntimeError &e) {
        MostraErrore(e.description());
        return;
    } catch (const std::exception &e) {
        MostraErrore(QString::fromLocal8Bit(e.what()));
        return;
    }
    if (esito.negative) {
        OffriAnteprima(QStringLiteral("Chiusura di magazzino non effettuata: nel frattempo sono state registrate"
                                      " giacenze negative.\r\nStampare?"),
                       std::move(esito.negative), parent);
        return;
    }
    if (esito.idReg == 0) {
        Messaggio(MessaggioNessunaGiacenza(MainModule::WorkDate.year(), esito.senzaCosto),
                  platform::vbExclamation | platform::vbOKOnly);
        return;
    }
    Messaggio(MessaggioSuccesso(esito.senzaCosto), platform::vbOKOnly);
    WindowRegistry::AggiornaPrincipale();
}

QString ChiusuraMagazzino::SqlGiacenzeNegative()
{
    return NegativeSql;
}

QString ChiusuraMagazzino::SqlRighe(std::int32_t valorizzazione)
{
    return valorizzazione == frmValorizzazione::CostoMedio ? RigheCostoMedio : RigheCostoUltimo;
}

QString ChiusuraMagazzino::SqlSenzaCosto()
{
    return SenzaCosto;
}

QString ChiusuraMagazzino::SqlTogliSenzaCosto()
{
    return TogliSenzaCosto;
}

ChiusuraMagazzino::FunzioneAnteprima ChiusuraMagazzino::ImpostaAnteprima(FunzioneAnteprima anteprima)
{
    return std::exchange(Anteprima(), std::move(anteprima));
}

#include "printing/StampeMagazzino.h"

#include "common/comDateLib.h"
#include "platform/data/Connection.h"
#include "platform/data/JetTemplateQueries.h"
#include "platform/data/Recordset.h"

using platform::Variant;

namespace StampeMagazzino {

namespace {

// The period and the filters: the condition (W) on [d1] and [d2] and on the
// filter parameters, and their PARAMETERS declaration with the values in
// the same order.
struct Condizione {
    QString where;
    QString dichiarazione;
    QList<Variant> valori;
};

Condizione Condizioni(const Filtro &filtro)
{
    Condizione c;
    c.where = QStringLiteral("WHERE ( MagazRegMain.DataIns Between [d1] And [d2] ");
    c.dichiarazione = QStringLiteral("PARAMETERS d1 DateTime, d2 DateTime");
    c.valori = {Variant(filtro.dal), Variant(comDateLib::EndOfDay(filtro.al))};
    switch (filtro.contropartita) {
    case Contropartita::Tutte:
        break;
    case Contropartita::Clienti:
        c.where += QStringLiteral(" AND MagazRegMain.TipoContropartita = 'Cliente'");
        break;
    case Contropartita::Fornitori:
        c.where += QStringLiteral(" AND MagazRegMain.TipoContropartita = 'Fornitore'");
        break;
    case Contropartita::Deposito:
        c.where += QStringLiteral(" AND MagazRegMain.TipoContropartita = 'Deposito'");
        break;
    case Contropartita::Una:
        c.where += QStringLiteral(" AND MagazRegMain.IdContropartita=[pContropartita]");
        c.dichiarazione += QStringLiteral(", pContropartita Long");
        c.valori << Variant(filtro.idContropartita);
        break;
    }
    if (!filtro.categoria.isEmpty()) {
        c.where += QStringLiteral(" AND Articoli.Categoria=[pCategoria]");
        c.dichiarazione += QStringLiteral(", pCategoria Text(255)");
        c.valori << Variant(filtro.categoria);
    }
    if (!filtro.articolo.isEmpty()) {
        c.where += QStringLiteral(" AND MagazRegDetail.CodiceArticolo=[pArticolo]");
        c.dichiarazione += QStringLiteral(", pArticolo Text(255)");
        c.valori << Variant(filtro.articolo);
    }
    c.where += QStringLiteral(" ) ");
    c.dichiarazione += QStringLiteral("; ");
    return c;
}

} // namespace

Query Giornale(const Filtro &filtro, bool prezzo)
{
    // The movement and the line are selected too: the report groups on the
    // movement, so two movements that share a number stay apart. The unit
    // value is named Costo whether it is the line's cost or its price.
    const QString valore = prezzo ? QStringLiteral("[MagazRegDetail].[Prezzo]") : QStringLiteral("[MagazRegDetail].[Costo]");
    const QString s = QStringLiteral(
        "SELECT MagazRegMain.DataIns, MagazRegMain.Progressivo, MagazRegMain.Causale, "
        "MagazRegMain.TipoContropartita, CliFor.Nome AS Contropartita, MagazRegDetail.CodiceArticolo, "
        "Articoli.Descrizione, Articoli.UM, Articoli.Categoria, MagazRegMain.IdReg, MagazRegDetail.Riga, "
        "[Segno]*[Quantità] AS Q, [Segno]*[Quantità]*%1 AS V, %1 AS Costo ")
                          .arg(valore);
    const QString f = QStringLiteral(
        "FROM (MagazRegMain INNER JOIN (Articoli INNER JOIN MagazRegDetail ON Articoli.Codice = "
        "MagazRegDetail.CodiceArticolo) ON MagazRegMain.IdReg = MagazRegDetail.IdReg) LEFT JOIN CliFor ON "
        "MagazRegMain.IdContropartita = CliFor.IdCliFor ");
    const Condizione w = Condizioni(filtro);
    return {w.dichiarazione + s + f + w.where
                + QStringLiteral("ORDER BY MagazRegMain.Progressivo, MagazRegMain.IdReg, MagazRegDetail.Riga, "
                                 "MagazRegDetail.IdDet"),
            w.valori};
}

Query Inventario(const Filtro &filtro, Raggruppamento raggruppamento, bool costoMedio)
{
    const QString contropartita = QStringLiteral("[Nome] & ' (' & [TipoContropartita] & ')'");
    const QString articolo =
        QStringLiteral("MagazRegDetail.CodiceArticolo, Articoli.Descrizione, Articoli.UM, Articoli.Ubicazione");
    QString chiavi;    // the group columns, in the GROUP BY
    QString selezione; // the same, named, in the SELECT
    QString ordine;    // the same by their names, for the ORDER BY
    bool conContropartite = false;
    switch (raggruppamento) {
    case Raggruppamento::Nessuno:
        break;
    case Raggruppamento::Categoria:
        chiavi = selezione = QStringLiteral("Articoli.Categoria, ");
        ordine = QStringLiteral("R.Categoria, ");
        break;
    case Raggruppamento::Contropartita:
        chiavi = contropartita + QStringLiteral(", ");
        selezione = contropartita + QStringLiteral(" AS Contropartita, ");
        ordine = QStringLiteral("R.Contropartita, ");
        conContropartite = true;
        break;
    case Raggruppamento::ContropartitaCategoria:
        chiavi = contropartita + QStringLiteral(", Articoli.Categoria, ");
        selezione = contropartita + QStringLiteral(" AS Contropartita, Articoli.Categoria, ");
        ordine = QStringLiteral("R.Contropartita, R.Categoria, ");
        conContropartite = true;
        break;
    }
    QString f = QStringLiteral(
        "FROM (MagazRegMain INNER JOIN (Articoli INNER JOIN MagazRegDetail ON Articoli.Codice = "
        "MagazRegDetail.CodiceArticolo) ON MagazRegMain.IdReg = MagazRegDetail.IdReg) ");
    if (conContropartite)
        f += QStringLiteral("LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor ");
    const Condizione w = Condizioni(filtro);
    // The stock of each article (and group) over the period first; then
    // the cost of those articles only: the average of the period's loads
    // (invCM), or the cost of the last load up to the last date, the same
    // choice as invCU makes.
    const QString giacenze = QStringLiteral("SELECT ") + selezione + articolo
                             + QStringLiteral(", Sum([Quantità]*[Segno]) AS Q ") + f + w.where
                             + QStringLiteral("GROUP BY ") + chiavi + articolo;
    const QString costo = costoMedio
        ? QStringLiteral("SELECT T.*, invCM.CC AS C FROM (%1) AS T LEFT JOIN invCM ON T.CodiceArticolo = "
                         "invCM.CodiceArticolo")
        : QStringLiteral("SELECT T.*, " VELMORA_LAST_LOAD_COST("T.CodiceArticolo", "<= [d2]") " AS C FROM (%1) AS T");
    return {w.dichiarazione + QStringLiteral("SELECT R.*, R.Q*R.C AS V FROM (") + costo.arg(giacenze)
                + QStringLiteral(") AS R ORDER BY ") + ordine + QStringLiteral("R.CodiceArticolo"),
            w.valori};
}

Query Sottoscorta(const platform::DateTime &dal, const platform::DateTime &al)
{
    return {QStringLiteral("SELECT * FROM RepGiacenze WHERE ScortaMinima>Giacenza ORDER BY Codice"),
            {Variant(dal), Variant(comDateLib::EndOfDay(al))}};
}

QString FormatoStampa(const QString &formatoImpostazioni)
{
    const QString grouped = QStringLiteral("#,#");
    if (formatoImpostazioni.startsWith(grouped) && !formatoImpostazioni.startsWith(QStringLiteral("#,##0")))
        return QStringLiteral("#,##0") + formatoImpostazioni.mid(grouped.size());
    return formatoImpostazioni;
}

std::unique_ptr<platform::Recordset> Esegui(platform::Connection &connection, const Query &query)
{
    return connection.executeQuery(query.sql, query.parametri);
}

} // namespace StampeMagazzino

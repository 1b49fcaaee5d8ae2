#pragma once

#include <QString>
#include <QStringList>

// The stored parameter queries of the template database, in the Jet dialect
// the query catalogue keeps them in. The schema script of the template and
// the tests read the same texts. Each list of parameters is in declaration
// order, which is the positional order of the callers' parameters.

namespace platform {
class Connection;
}

namespace platform::jet::templatequeries {

// One stored query of the template: name, "name type" parameter list, body.
struct TemplateQuery {
    const char *name;
    const char *parameters;
    const char *body; // UTF-8
};

// The movements dated between the two dates, ten columns in the order of the
// main window's list: IdReg (hidden key), DataIns, Prog, Descrizione,
// Causale, TipoContropartita, IdContropartita, Anno, Righe, Contropartita.
inline constexpr TemplateQuery ViewMagazzino{
    "ViewMagazzino", "d1 DateTime, d2 DateTime",
    "SELECT MagazRegMain.IdReg, MagazRegMain.DataIns, MagazRegMain.Progressivo AS Prog, "
    "MagazRegMain.Descrizione, MagazRegMain.Causale, MagazRegMain.TipoContropartita, "
    "MagazRegMain.IdContropartita, Year(MagazRegMain.DataIns) AS Anno, "
    "(SELECT Count(*) FROM MagazRegDetail WHERE MagazRegDetail.IdReg = MagazRegMain.IdReg) AS Righe, "
    "CliFor.Nome AS Contropartita "
    "FROM MagazRegMain LEFT JOIN CliFor ON MagazRegMain.IdContropartita = CliFor.IdCliFor "
    "WHERE MagazRegMain.DataIns Between [d1] And [d2]"};

// The stock of each article over the period d1..d2 (with d1 and d2 named
// so, in ten-thousandths of a unit, as Q10000): for a period from 1
// January to a date of the same year, the year's balance kept in _Saldi
// less the year's lines after the last date (usually none: the period
// ends today or at the year's end); for any other period, the plain sum of
// its lines. The year's balances are whole numbers, so both give the exact
// stock the plain sum gives.
#define VELMORA_STOCK_OF_PERIOD                                                                           \
    "(SELECT S.CodiceArticolo, Sum(S.Q) AS Q10000 FROM ("                                                  \
    "SELECT _Saldi.CodiceArticolo, _Saldi.Q FROM _Saldi WHERE _Saldi.Anno = Year([d1]) AND "               \
    "Mid([d1], 1, 4) & '-01-01' = [d1] AND Mid([d2], 1, 4) = Mid([d1], 1, 4) "                             \
    "UNION ALL SELECT D.CodiceArticolo, -IFNULL(round(D.[Quantità] * 10000), 0) * IFNULL(D.Segno, 0) "      \
    "FROM MagazRegMain AS M INNER JOIN MagazRegDetail AS D ON M.IdReg = D.IdReg "                           \
    "WHERE Mid([d1], 1, 4) & '-01-01' = [d1] AND Mid([d2], 1, 4) = Mid([d1], 1, 4) "                       \
    "AND M.DataIns > [d2] AND M.DataIns < (Year([d1]) + 1) & '-01-01' "                                    \
    "UNION ALL SELECT D.CodiceArticolo, IFNULL(round(D.[Quantità] * 10000), 0) * IFNULL(D.Segno, 0) "       \
    "FROM MagazRegMain AS M INNER JOIN MagazRegDetail AS D ON M.IdReg = D.IdReg "                           \
    "WHERE NOT (Mid([d1], 1, 4) & '-01-01' = [d1] AND Mid([d2], 1, 4) = Mid([d1], 1, 4)) "                 \
    "AND M.DataIns Between [d1] And [d2]) AS S GROUP BY S.CodiceArticolo) AS G "

// The cost of the article's last load line dated `bound` (for example
// "<= [d2]"), the one with the greatest (DataIns, IdReg, Riga, IdDet), read
// from the load lines kept with their dates in _Carichi: one index seek.
// An article without such a load has none (Null).
#define VELMORA_LAST_LOAD_COST(article, bound)                                                           \
    "(SELECT TOP 1 K.Costo FROM _Carichi AS K WHERE K.CodiceArticolo = " article " AND K.DataIns " bound   \
    " ORDER BY K.DataIns DESC, K.IdReg DESC, K.Riga DESC, K.IdDet DESC)"

// Every article with its stock over the period (0 without movements), cost
// and price: the article drop-down of the movement lines.
inline constexpr TemplateQuery ViewGiacenze{
    "ViewGiacenze", "d1 DateTime, d2 DateTime",
    "SELECT Articoli.Codice, Articoli.Descrizione, Nz(G.Q10000 / 10000.0, 0) AS Giacenza, Articoli.Costo, "
    "Articoli.PrezzoIvato "
    "FROM Articoli LEFT JOIN " VELMORA_STOCK_OF_PERIOD "ON Articoli.Codice = G.CodiceArticolo "
    "ORDER BY Articoli.Codice"};

// Every article with its stock over the period, its last load cost up to the
// last date (the same choice as invCU), the stock valued at that cost, its
// supplier's name, category and minimum stock: the stock list, the
// below-minimum check and its report.
inline constexpr TemplateQuery RepGiacenze{
    "RepGiacenze", "d1 DateTime, d2 DateTime",
    "SELECT A.Codice, A.Descrizione, A.UM, A.Ubicazione, Nz(G.Q10000 / 10000.0, 0) AS Giacenza, A.CostoUltimo, "
    "Nz(G.Q10000 / 10000.0, 0)*A.CostoUltimo AS ValoreCU, CliFor.Nome, A.Categoria, A.ScortaMinima "
    "FROM ((SELECT Articoli.Codice, Articoli.Descrizione, Articoli.UM, Articoli.Ubicazione, "
    "Articoli.Categoria, Articoli.ScortaMinima, Articoli.IdFornitore, "
    VELMORA_LAST_LOAD_COST("Articoli.Codice", "<= [d2]") " AS CostoUltimo FROM Articoli) AS A "
    "LEFT JOIN CliFor ON A.IdFornitore = CliFor.IdCliFor) "
    "LEFT JOIN " VELMORA_STOCK_OF_PERIOD "ON A.Codice = G.CodiceArticolo "
    "ORDER BY A.Codice"};
#undef VELMORA_STOCK_OF_PERIOD

// The average load cost per article over the period; Null when the loads
// net to no quantity (a purchase returned in full) instead of dividing by 0.
// d2 is declared first, so the last date is positional parameter 0.
inline constexpr TemplateQuery invCM{
    "invCM", "d2 DateTime, d1 DateTime",
    "SELECT MagazRegDetail.CodiceArticolo, Sum([Costo]*[Quantità])/NULLIF(Sum([Quantità]),0) AS CC "
    "FROM MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg "
    "WHERE (((MagazRegDetail.Segno)=1) AND ((MagazRegMain.DataIns) Between [d1] And [d2])) "
    "GROUP BY MagazRegDetail.CodiceArticolo"};

// The last load cost per article up to the date: the cost of the load line
// with the greatest (DataIns, IdReg, Riga, IdDet), so the answer never
// depends on the order rows happen to be read in; one row per article
// loaded up to the date.
inline constexpr TemplateQuery invCU{
    "invCU", "d2 DateTime",
    "SELECT L.CodiceArticolo, " VELMORA_LAST_LOAD_COST("L.CodiceArticolo", "<= [d2]") " AS CC "
    "FROM _Carichi AS L WHERE L.DataIns <= [d2] GROUP BY L.CodiceArticolo"};

inline constexpr TemplateQuery All[] = {ViewMagazzino, ViewGiacenze, RepGiacenze, invCM, invCU};

// The tables the stock queries read instead of going over every movement,
// kept by triggers on MagazRegMain and MagazRegDetail through every insert,
// update and delete, by any program that writes to the database:
// - _Carichi, every load line (Segno 1) whose movement exists, with the
//   movement's date, indexed by article and (date, movement, line, row):
//   the last load cost up to any date is one index seek;
// - _Saldi, each article's stock movement per year of the movement's date,
//   in ten-thousandths of a unit.
inline constexpr const char LoadsTable[] = "_Carichi";
inline constexpr const char BalancesTable[] = "_Saldi";
// The SQLite script that creates both tables (when missing) and, dropping
// any older ones, their triggers; it does not fill them: run
// stockTablesFill() after it.
QString stockTablesSchema();
// Rebuilds the contents of both tables from the movements.
QString stockTablesFill();
// The names of the triggers stockTablesSchema() creates.
QStringList stockTablesTriggers();
// Gives a database that lacks the tables or one of their triggers the
// tables and triggers, filled, drops what earlier versions kept in their
// place, and stores the stock queries that read them, all in one write
// transaction. Does nothing, and returns false, when everything is there.
bool installStockTables(Connection &connection);

} // namespace platform::jet::templatequeries

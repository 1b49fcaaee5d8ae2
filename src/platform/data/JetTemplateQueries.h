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

// Every article with its stock over the period (0 without movements), cost
// and price: the article drop-down of the movement lines.
inline constexpr TemplateQuery ViewGiacenze{
    "ViewGiacenze", "d1 DateTime, d2 DateTime",
    "SELECT Articoli.Codice, Articoli.Descrizione, Nz(G.Q, 0) AS Giacenza, Articoli.Costo, "
    "Articoli.PrezzoIvato "
    "FROM Articoli LEFT JOIN (SELECT MagazRegDetail.CodiceArticolo, Sum([Quantità]*[Segno]) AS Q "
    "FROM MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg "
    "WHERE MagazRegMain.DataIns Between [d1] And [d2] "
    "GROUP BY MagazRegDetail.CodiceArticolo) AS G ON Articoli.Codice = G.CodiceArticolo "
    "ORDER BY Articoli.Codice"};

// Every article with its stock over the period, its last load cost up to the
// last date (the same choice as invCU), the stock valued at that cost, its
// supplier's name, category and minimum stock: the stock list, the
// below-minimum check and its report. The cost comes from the article's
// latest load line kept in _UltimoCarico when that line is dated on or
// before the last date (the usual case: the period ends today); otherwise
// the article's loads are searched.
inline constexpr TemplateQuery RepGiacenze{
    "RepGiacenze", "d1 DateTime, d2 DateTime",
    "SELECT A.Codice, A.Descrizione, A.UM, A.Ubicazione, Nz(G.Q, 0) AS Giacenza, A.CostoUltimo, "
    "Nz(G.Q, 0)*A.CostoUltimo AS ValoreCU, CliFor.Nome, A.Categoria, A.ScortaMinima "
    "FROM ((SELECT Articoli.Codice, Articoli.Descrizione, Articoli.UM, Articoli.Ubicazione, "
    "Articoli.Categoria, Articoli.ScortaMinima, Articoli.IdFornitore, "
    "IIf(U.DataIns <= [d2], U.Costo, "
    "(SELECT TOP 1 D.Costo FROM MagazRegMain AS M INNER JOIN MagazRegDetail AS D ON M.IdReg = D.IdReg "
    "WHERE D.CodiceArticolo = Articoli.Codice AND D.Segno = 1 AND M.DataIns <= [d2] "
    "ORDER BY M.DataIns DESC, M.IdReg DESC, D.Riga DESC, D.IdDet DESC)) AS CostoUltimo "
    "FROM Articoli LEFT JOIN _UltimoCarico AS U ON Articoli.Codice = U.CodiceArticolo) AS A "
    "LEFT JOIN CliFor ON A.IdFornitore = CliFor.IdCliFor) "
    "LEFT JOIN (SELECT MagazRegDetail.CodiceArticolo, Sum([Quantità]*[Segno]) AS Q "
    "FROM MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg "
    "WHERE MagazRegMain.DataIns Between [d1] And [d2] "
    "GROUP BY MagazRegDetail.CodiceArticolo) AS G ON A.Codice = G.CodiceArticolo "
    "ORDER BY A.Codice"};

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
// depends on the order rows happen to be read in.
inline constexpr TemplateQuery invCU{
    "invCU", "d2 DateTime",
    "SELECT MagazRegDetail.CodiceArticolo, "
    "(SELECT TOP 1 D.Costo FROM MagazRegMain AS M INNER JOIN MagazRegDetail AS D ON M.IdReg = D.IdReg "
    "WHERE D.CodiceArticolo = MagazRegDetail.CodiceArticolo AND D.Segno = 1 AND M.DataIns <= [d2] "
    "ORDER BY M.DataIns DESC, M.IdReg DESC, D.Riga DESC, D.IdDet DESC) AS CC "
    "FROM MagazRegMain INNER JOIN MagazRegDetail ON MagazRegMain.IdReg = MagazRegDetail.IdReg "
    "WHERE (((MagazRegDetail.Segno)=1) AND ((MagazRegMain.DataIns)<=[d2])) "
    "GROUP BY MagazRegDetail.CodiceArticolo"};

inline constexpr TemplateQuery All[] = {ViewMagazzino, ViewGiacenze, RepGiacenze, invCM, invCU};

// The SQLite script that creates _UltimoCarico, each article's latest load
// line (greatest DataIns, IdReg, Riga, IdDet among its lines with Segno 1
// whose movement exists), and the triggers on MagazRegMain and
// MagazRegDetail that keep it so through every insert, update and delete.
// It drops and recreates the triggers, so it can run on a database that has
// them; the table is created only when missing and is not filled: run
// lastLoadFill() after it.
QString lastLoadSchema();
inline constexpr const char LastLoadTable[] = "_UltimoCarico";
// Rebuilds the contents of _UltimoCarico from the movements.
QString lastLoadFill();
// The names of the triggers lastLoadSchema() creates.
QStringList lastLoadTriggers();
// Gives a database made without _UltimoCarico, or that lost one of its
// triggers, the table and its triggers, fills it and stores the RepGiacenze
// that reads it, all in one write transaction. Does nothing, and returns
// false, when the table and every trigger are there.
bool installLastLoad(Connection &connection);

} // namespace platform::jet::templatequeries

#include "printing/arpGiornaleMagazzino.h"

using platform::report::ReportSection;
using platform::report::TextAlign;

namespace {

// Columns of the lines, in twips from the left margin.
constexpr double XCodice = ColonneMagazzino::XArticolo, WCodice = ColonneMagazzino::WArticolo;
constexpr double XDescrizione = ColonneMagazzino::XDescrizione;
constexpr double WDescrizione = ColonneMagazzino::WDescrizione;
constexpr double XUM = ColonneMagazzino::XUM, WUM = ColonneMagazzino::WUM;
constexpr double XQ = ColonneMagazzino::XQ, WQ = ColonneMagazzino::WQ;
constexpr double XCosto = ColonneMagazzino::XUnitario, WCosto = ColonneMagazzino::WUnitario;
constexpr double XV = ColonneMagazzino::XV, WV = ColonneMagazzino::WV;
// Columns of the movement's header: each starts where a column of the
// lines starts, so that an export puts the number, the date, the causale
// and the counterpart in cells of their own.
constexpr double XProg = XCodice, WProg = WCodice;
constexpr double XData = XDescrizione, WData = WDescrizione;
constexpr double XCausale = XUM, WCausale = XQ + WQ - XUM;
constexpr double XContro = XCosto, WContro = XV + WV - XCosto;

} // namespace

arpGiornaleMagazzino::arpGiornaleMagazzino()
    : arpMagazzino(QStringLiteral("lblTitolo"), QStringLiteral("Giornale di Magazzino"), QStringLiteral("lblFiltro"),
                   QString(), QStringLiteral("Giornale Magazzino"), 2)
{
    Intestazione(QStringLiteral("lblMagazRegMain_Prog"), QStringLiteral("Progressivo"), XProg, WProg);
    Intestazione(QStringLiteral("lblMagazRegMain_DataIns"), QStringLiteral("Data"), XData, WData);
    Intestazione(QStringLiteral("lblMagazRegMain_Causale"), QStringLiteral("Causale"), XCausale, WCausale);
    Intestazione(QStringLiteral("Label6"), QStringLiteral("Contropartita"), XContro, WContro);
    Intestazione(QStringLiteral("Label2"), QStringLiteral("Articolo"), XCodice, WCodice, TextAlign::Left, 1);
    Intestazione(QStringLiteral("Label5"), QStringLiteral("UM"), XUM, WUM, TextAlign::Left, 1);
    Intestazione(QStringLiteral("Label4"), QStringLiteral("Quantità"), XQ, WQ, TextAlign::Right, 1);
    Intestazione(QStringLiteral("lblCol1"), QStringLiteral("Costo unitario"), XCosto, WCosto, TextAlign::Right, 1);
    Intestazione(QStringLiteral("lblCol2"), QStringLiteral("Valore"), XV, WV, TextAlign::Right, 1);

    // One group per movement: two movements that share a number stay apart,
    // the header shows the number.
    ReportSection &movement = addGroup(QStringLiteral("GroupHeader1"), QStringLiteral("GroupFooter1"),
                                       QStringLiteral("IdReg"));
    movement.height = Riga1 + 60;
    movement.keepTogether = true;
    movement.canGrow = true;
    Campo(movement, QStringLiteral("txtProgressivo"), QStringLiteral("Progressivo"), XProg, WProg, TextAlign::Left, true)
        .outputFormat = QStringLiteral("000000");
    Campo(movement, QStringLiteral("txtDataIns"), QStringLiteral("DataIns"), XData, WData, TextAlign::Left, true)
        .outputFormat = QStringLiteral("dd/mm/yyyy");
    Campo(movement, QStringLiteral("txtcauNome"), QStringLiteral("Causale"), XCausale, WCausale, TextAlign::Left, true);
    Campo(movement, QStringLiteral("Field1"), QStringLiteral("Contropartita"), XContro, WContro, TextAlign::Left, true);
    // Under the header's fields, however many lines a long name takes.
    Riga(movement, QStringLiteral("Line3"), Riga1 + 30);
    groupFooter(0).height = 90;

    ReportSection &lines = detail();
    lines.height = Riga1;
    lines.canGrow = true;
    Campo(lines, QStringLiteral("txtCodiceArticolo"), QStringLiteral("CodiceArticolo"), XCodice, WCodice);
    Campo(lines, QStringLiteral("txtDescrizione"), QStringLiteral("Descrizione"), XDescrizione, WDescrizione);
    Campo(lines, QStringLiteral("txtUM"), QStringLiteral("UM"), XUM, WUM);
    Campo(lines, QStringLiteral("txtQ"), QStringLiteral("Q"), XQ, WQ, TextAlign::Right);
    Campo(lines, QStringLiteral("txtCosto"), QStringLiteral("Costo"), XCosto, WCosto, TextAlign::Right);
    Campo(lines, QStringLiteral("txtV"), QStringLiteral("V"), XV, WV, TextAlign::Right);

    ReportSection &totals = reportFooter();
    totals.height = Riga1 + 120;
    Riga(totals, QStringLiteral("Line4"), 0);
    Etichetta(totals, QStringLiteral("Label7"), QStringLiteral("Totali Stampa"), XDescrizione, WDescrizione).top = 90;
    Somma(totals, QStringLiteral("txtQtot"), QStringLiteral("Q"), XQ, WQ).top = 90;
    Somma(totals, QStringLiteral("txtVtot"), QStringLiteral("V"), XV, WV).top = 90;

    PreparaEsportazioneInCelle();
}

void arpGiornaleMagazzino::Imposta(const QString &titolo, const QString &filtro, const QString &colonna1,
                                   const QString &colonna2, const QString &formatoQuantita,
                                   const QString &formatoValori)
{
    ImpostaTitolo(titolo, filtro);
    control(QStringLiteral("lblCol1")).caption = colonna1;
    control(QStringLiteral("lblCol2")).caption = colonna2;
    ImpostaFormato({"txtQ", "txtQtot"}, formatoQuantita);
    ImpostaFormato({"txtCosto", "txtV", "txtVtot"}, formatoValori);
}

#include "printing/arpInventario.h"

#include "shell/MainModule.h"

using platform::report::FormatContext;
using platform::report::ReportControl;
using platform::report::ReportSection;
using platform::report::TextAlign;
using StampeMagazzino::Raggruppamento;

namespace {

constexpr double XArticolo = ColonneMagazzino::XArticolo, WArticolo = ColonneMagazzino::WArticolo;
constexpr double XDescrizione = ColonneMagazzino::XDescrizione, WDescrizione = ColonneMagazzino::WDescrizione;
constexpr double XUM = ColonneMagazzino::XUM, WUM = ColonneMagazzino::WUM;
constexpr double XQ = ColonneMagazzino::XQ, WQ = ColonneMagazzino::WQ;
constexpr double XCU = ColonneMagazzino::XUnitario, WCU = ColonneMagazzino::WUnitario;
constexpr double XV = ColonneMagazzino::XV, WV = ColonneMagazzino::WV;

} // namespace

arpInventario::arpInventario()
    : arpMagazzino(QStringLiteral("lblTitolo"), QStringLiteral("Inventario"), QStringLiteral("lblFiltro"), QString(),
                   QStringLiteral("Inventario"), 1)
{
    Intestazione(QStringLiteral("Label2"), QStringLiteral("Articolo"), XArticolo, WArticolo);
    Intestazione(QStringLiteral("Label3"), QStringLiteral("UM"), XUM, WUM);
    Intestazione(QStringLiteral("Label4"), QStringLiteral("Quantità"), XQ, WQ, TextAlign::Right);
    Intestazione(QStringLiteral("lblCosto"), QStringLiteral("Costo ultimo"), XCU, WCU, TextAlign::Right);
    Intestazione(QStringLiteral("lblCol2"), QStringLiteral("Valore"), XV, WV, TextAlign::Right);

    // The group totals stand in the headers, above the rows they total.
    ReportSection &counterpart =
        addGroup(QStringLiteral("contHead"), QStringLiteral("contFooter"), QStringLiteral("Contropartita"));
    counterpart.height = Riga1 + 90;
    counterpart.keepTogether = true;
    counterpart.canGrow = true;
    Campo(counterpart, QStringLiteral("txtContropartita"), QStringLiteral("Contropartita"), XArticolo,
          XQ - XArticolo - 50, TextAlign::Left, true)
        .top = 60;
    Somma(counterpart, QStringLiteral("txtQcont"), QStringLiteral("Q"), XQ, WQ, QStringLiteral("contHead")).top = 60;
    Somma(counterpart, QStringLiteral("txtVcont"), QStringLiteral("V"), XV, WV, QStringLiteral("contHead")).top = 60;
    Riga(counterpart, QStringLiteral("Line2"), Riga1 + 75);

    ReportSection &category =
        addGroup(QStringLiteral("catHead"), QStringLiteral("catFooter"), QStringLiteral("Categoria"));
    category.height = Riga1 + 60;
    category.keepTogether = true;
    category.canGrow = true;
    Campo(category, QStringLiteral("txtCategoria"), QStringLiteral("=\"Categoria: \" & [Categoria]"), 200,
          XQ - 250, TextAlign::Left, true)
        .top = 45;
    Somma(category, QStringLiteral("txtQcat"), QStringLiteral("Q"), XQ, WQ, QStringLiteral("catHead")).top = 45;
    Somma(category, QStringLiteral("txtVcat"), QStringLiteral("V"), XV, WV, QStringLiteral("catHead")).top = 45;
    category.addLine(QStringLiteral("Line3"), 200, Riga1 + 45, printWidth(), Riga1 + 45).lineWidth = 5;
    groupFooter(0).height = 120;
    groupFooter(1).height = 60;

    ReportSection &rows = detail();
    rows.height = Riga1;
    rows.canGrow = true;
    m_txtArticolo = &Campo(rows, QStringLiteral("txtArticolo"), QString(), XArticolo, WArticolo);
    Campo(rows, QStringLiteral("txtDescrizione"), QStringLiteral("Descrizione"), XDescrizione, WDescrizione);
    Campo(rows, QStringLiteral("txtUM"), QStringLiteral("UM"), XUM, WUM);
    Campo(rows, QStringLiteral("txtQ"), QStringLiteral("Q"), XQ, WQ, TextAlign::Right);
    Campo(rows, QStringLiteral("txtCU"), QStringLiteral("C"), XCU, WCU, TextAlign::Right);
    Campo(rows, QStringLiteral("txtV"), QStringLiteral("V"), XV, WV, TextAlign::Right);
    // The code and the location, read by the detail event.
    m_txtCodiceArticolo = &rows.addField(QStringLiteral("txtCodiceArticolo"), QStringLiteral("CodiceArticolo"), 0, 0,
                                         WArticolo, Riga1);
    m_txtUbicazione = &rows.addField(QStringLiteral("txtUbicazione"), QStringLiteral("Ubicazione"), 0, 0, WArticolo,
                                     Riga1);
    m_txtCodiceArticolo->visible = m_txtUbicazione->visible = false;
    setFormatHandler(rows.name, [this](FormatContext &) { Detail_Format(); });

    ReportSection &totals = reportFooter();
    totals.height = Riga1 + 120;
    Riga(totals, QStringLiteral("Line5"), 0);
    Etichetta(totals, QStringLiteral("Label5"), QStringLiteral("Totali stampa:"), XDescrizione, WDescrizione).top = 90;
    Somma(totals, QStringLiteral("txtQtot"), QStringLiteral("Q"), XQ, WQ).top = 90;
    Somma(totals, QStringLiteral("txtVtot"), QStringLiteral("V"), XV, WV).top = 90;

    PreparaEsportazioneInCelle();
}

void arpInventario::Imposta(const QString &titolo, const QString &filtro, const QString &colonnaCosto,
                            const QString &formatoQuantita, const QString &formatoValori,
                            Raggruppamento raggruppamento)
{
    ImpostaTitolo(titolo, filtro);
    control(QStringLiteral("lblCosto")).caption = colonnaCosto;
    ImpostaFormato({"txtQ", "txtQcont", "txtQcat", "txtQtot"}, formatoQuantita);
    ImpostaFormato({"txtCU", "txtV", "txtVcont", "txtVcat", "txtVtot"}, formatoValori);
    const bool counterparts =
        raggruppamento == Raggruppamento::Contropartita || raggruppamento == Raggruppamento::ContropartitaCategoria;
    const bool categories =
        raggruppamento == Raggruppamento::Categoria || raggruppamento == Raggruppamento::ContropartitaCategoria;
    section(QStringLiteral("contHead")).visible = section(QStringLiteral("contFooter")).visible = counterparts;
    section(QStringLiteral("catHead")).visible = section(QStringLiteral("catFooter")).visible = categories;
}

void arpInventario::reportStart()
{
    MostraUbicazione = MainModule::LeggiNumero(QStringLiteral("regUbiView"), 0) != 0;
}

void arpInventario::Detail_Format()
{
    const QString &location = m_txtUbicazione->text;
    QString article = m_txtCodiceArticolo->text;
    if (MostraUbicazione && !location.isEmpty())
        article += QStringLiteral(" [") + location + u']';
    m_txtArticolo->text = article;
}

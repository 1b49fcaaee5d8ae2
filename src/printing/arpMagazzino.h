#pragma once

#include "printing/arpElenco.h"

#include <initializer_list>

// The columns of the lines of the journal and the inventory, in twips from
// the left margin: article, description, unit, then three number columns
// that hold "-999.999.999,99" in the bold of the totals.
namespace ColonneMagazzino {
inline constexpr double XArticolo = 0, WArticolo = 1450;
inline constexpr double XDescrizione = 1550, WDescrizione = 2150;
inline constexpr double XUM = 3800, WUM = 600;
inline constexpr double XQ = 4450, WQ = 1700;
inline constexpr double XUnitario = 6250, WUnitario = 1600;
inline constexpr double XV = 7938, WV = 1700;
} // namespace ColonneMagazzino

// The look of the stock reports: the list look (A4, 2 cm margins, the title
// over a rule), a filter line under the title, captions in one or two rows
// over a rule in the page header, and "n / m" at the right of the page
// footer. Each report adds its captions, sections and fields.
class arpMagazzino : public arpElenco
{
protected:
    // `nomeTitolo` and `nomeFiltro` name the title and the filter labels.
    arpMagazzino(const QString &nomeTitolo, const QString &titolo, const QString &nomeFiltro, const QString &filtro,
                 const QString &nome, int righeIntestazione);

    // The form of the report exported into cells (a sheet, a word
    // processor's table, a web page), in force while ModoEsportazione is
    // set: the captions once, at the top of the first page, and no page
    // numbers, so that the cells hold the report's own rows only; the title,
    // the filter line and the totals stay.
    void PreparaEsportazioneInCelle();

    // The run's title and filter line.
    void ImpostaTitolo(const QString &titolo, const QString &filtro);
    // Gives the named fields a number format.
    void ImpostaFormato(std::initializer_list<const char *> campi, const QString &formato);

    // A caption of the page header, in row `riga` (0 the first).
    platform::report::ReportControl &Intestazione(const QString &nome, const QString &testo, double left, double width,
                                                  platform::report::TextAlign align = platform::report::TextAlign::Left,
                                                  int riga = 0);
    // A field of a section, one text row high, bound to `colonna` (a column
    // or "=" and an expression; empty: filled by the report).
    platform::report::ReportControl &Campo(platform::report::ReportSection &sezione, const QString &nome,
                                           const QString &colonna, double left, double width,
                                           platform::report::TextAlign align = platform::report::TextAlign::Left,
                                           bool grassetto = false);
    // A bold caption in a section other than the page header.
    platform::report::ReportControl &Etichetta(platform::report::ReportSection &sezione, const QString &nome,
                                               const QString &testo, double left, double width);
    // A field that sums `colonna` over the records of its group (`gruppo`,
    // the group header's name) or, with an empty `gruppo`, of the report.
    platform::report::ReportControl &Somma(platform::report::ReportSection &sezione, const QString &nome,
                                           const QString &colonna, double left, double width,
                                           const QString &gruppo = {});
    // A thin rule across the section at `top`.
    void Riga(platform::report::ReportSection &sezione, const QString &nome, double top);

    static constexpr double Riga1 = 270; // a text row of the stock reports


private:
    platform::report::ReportControl *m_titolo;
    platform::report::ReportControl *m_filtro;
};

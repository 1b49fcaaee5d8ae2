#pragma once

#include "printing/arpElenco.h"

#include <initializer_list>

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

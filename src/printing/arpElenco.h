#pragma once

#include "platform/report/ReportLayout.h"

#include <QString>

// The look shared by the program's plain list reports: A4 portrait, a rule
// and the title in the report header, the column captions over a rule in
// the page header (so every page has them), one detail row per record that
// grows downwards when a text needs two lines, and empty page and report
// footers. Each list adds its columns in its constructor.
class arpElenco : public platform::report::ReportLayout
{
protected:
    // `titolo` is the caption of lblTitle; `nome` names the document (print
    // job and preview window).
    arpElenco(const QString &titolo, const QString &nome, const QString &sql);

    // A text column: the caption `intestazione` (label `etichetta`) over
    // the field `campo` bound to `colonna`, at `left` with `width` twips.
    platform::report::ReportControl &AggiungiColonna(const QString &etichetta, const QString &intestazione,
                                                     const QString &campo, const QString &colonna, double left,
                                                     double width,
                                                     platform::report::TextAlign align = platform::report::TextAlign::Left);
    // A Yes/No column: the caption over a check box bound to `colonna`.
    platform::report::ReportControl &AggiungiCasella(const QString &etichetta, const QString &intestazione,
                                                     const QString &casella, const QString &colonna, double left,
                                                     double width);

    // The fonts of the lists.
    static platform::report::FontSpec Carattere(double points, bool bold = false);

    static constexpr double RowHeight = 300;
    static constexpr double FieldTop = 30;
    static constexpr double FieldHeight = 255;
    static constexpr double CheckSide = 195;
};

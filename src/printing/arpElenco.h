#pragma once

#include "platform/report/ReportLayout.h"

#include <QString>
#include <QStringList>

// What a list may change in the common look: the names of the rule over the
// title and of the rule under the column captions, and the left and right
// margins (2 cm unless a list needs the room).
struct DisegnoElenco {
    QString regolaTitolo = QStringLiteral("Line1");
    QString regolaIntestazioni = QStringLiteral("linIntestazioni");
    double margineLaterale = 1134;
};

// The look shared by the program's plain list reports: A4 portrait, a rule
// and the title in the report header, the column captions over a rule in
// the page header (so every page has them), one detail row per record that
// grows downwards when a text needs two lines, and empty page and report
// footers. Each list adds its columns in its constructor.
class arpElenco : public platform::report::ReportLayout
{
public:
    // The reduced form of a list's exports to spreadsheets and web pages,
    // for the lists that have one (see PreparaModoEsportazione). Set for
    // one export run by the report dialog.
    bool ModoEsportazione = false;

protected:
    // `titolo` is the caption of lblTitle; `nome` names the document (print
    // job and preview window).
    arpElenco(const QString &titolo, const QString &nome, const QString &sql, const DisegnoElenco &disegno = {});

    // Gives the list its reduced export form, in force while
    // ModoEsportazione is set: no report header, page footer or report
    // footer, the column captions on the first page only and without their
    // rule, and the detail fields `campi` kept to one line each, so that
    // the export is a plain table of one row per record.
    void PreparaModoEsportazione(const QStringList &campi);

    // A text column: the caption `intestazione` (label `etichetta`) over
    // the field `campo` bound to `colonna`, at `left` with `width` twips.
    platform::report::ReportControl &AggiungiColonna(const QString &etichetta, const QString &intestazione,
                                                     const QString &campo, const QString &colonna, double left,
                                                     double width,
                                                     platform::report::TextAlign align = platform::report::TextAlign::Left);
    // A detail field alone, without a caption (such as a narrow field
    // beside another under the same caption).
    platform::report::ReportControl &AggiungiCampo(const QString &campo, const QString &colonna, double left,
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

private:
    QString m_regolaIntestazioni;
};

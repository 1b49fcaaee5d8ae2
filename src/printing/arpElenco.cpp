#include "printing/arpElenco.h"

using platform::report::ControlKind;
using platform::report::FontSpec;
using platform::report::ReportControl;
using platform::report::ReportSection;
using platform::report::TextAlign;

namespace {

// Where the captions and their rule stand in the page header.
constexpr double CaptionTop = 60;
constexpr double CaptionHeight = 285;
constexpr double CaptionRule = 420;

} // namespace

FontSpec arpElenco::Carattere(double points, bool bold)
{
    FontSpec font;
    font.family = QStringLiteral("DejaVu Sans");
    font.size = points;
    font.bold = bold;
    return font;
}

arpElenco::arpElenco(const QString &titolo, const QString &nome, const QString &sql, const DisegnoElenco &disegno)
{
    setName(nome);
    setDocumentName(nome);
    // A4 with 2 cm margins at the top and bottom.
    page().leftMargin = page().rightMargin = disegno.margineLaterale;
    page().topMargin = page().bottomMargin = 1134;
    const double width = printWidth();

    ReportSection &header = reportHeader();
    header.height = 780;
    header.addLine(disegno.regolaTitolo, 0, 0, width, 0).lineWidth = 30;
    ReportControl &title = header.addLabel(QStringLiteral("lblTitle"), titolo, 0, 150, width, 480);
    title.font = Carattere(16, true);
    title.wordWrap = false;

    ReportSection &captions = pageHeader();
    captions.height = CaptionRule + 75;
    captions.addLine(disegno.regolaIntestazioni, 0, CaptionRule, width, CaptionRule);

    ReportSection &rows = detail();
    rows.height = RowHeight;
    rows.canGrow = true;

    pageFooter().height = 0;
    reportFooter().height = 0;

    m_regolaIntestazioni = disegno.regolaIntestazioni;
    setSql(sql);
}

void arpElenco::PreparaModoEsportazione(const QStringList &campi)
{
    const auto hidden = [this](platform::report::FormatContext &ctx) { ctx.section().visible = !ModoEsportazione; };
    setFormatHandler(reportHeader().name, hidden);
    setFormatHandler(pageFooter().name, hidden);
    setFormatHandler(reportFooter().name, hidden);
    setFormatHandler(pageHeader().name, [this](platform::report::FormatContext &ctx) {
        if (!ModoEsportazione)
            return;
        ctx.section().visible = ctx.pageNumber() == 1;
        ctx.section().control(m_regolaIntestazioni).visible = false;
    });
    setFormatHandler(detail().name, [this, campi](platform::report::FormatContext &ctx) {
        if (!ModoEsportazione)
            return;
        for (const QString &campo : campi)
            ctx.section().control(campo).canGrow = false;
    });
}

ReportControl &arpElenco::AggiungiColonna(const QString &etichetta, const QString &intestazione, const QString &campo,
                                          const QString &colonna, double left, double width, TextAlign align)
{
    ReportControl &caption = pageHeader().addLabel(etichetta, intestazione, left, CaptionTop, width, CaptionHeight);
    caption.font = Carattere(10, true);
    caption.alignment = align;
    caption.wordWrap = false;
    return AggiungiCampo(campo, colonna, left, width, align);
}

ReportControl &arpElenco::AggiungiCampo(const QString &campo, const QString &colonna, double left, double width,
                                        TextAlign align)
{
    ReportControl &field = detail().addField(campo, colonna, left, FieldTop, width, FieldHeight);
    field.font = Carattere(10);
    field.alignment = align;
    field.canGrow = true;
    return field;
}

ReportControl &arpElenco::AggiungiCasella(const QString &etichetta, const QString &intestazione, const QString &casella,
                                          const QString &colonna, double left, double width)
{
    ReportControl &caption = pageHeader().addLabel(etichetta, intestazione, left, CaptionTop, width, CaptionHeight);
    caption.font = Carattere(10, true);
    caption.wordWrap = false;

    // The box alone, without a caption of its own, under the caption's first
    // letter: the exports put a caption and the values under it into one
    // column by their common left edge.
    ReportControl &box = detail().addCheckBox(casella, colonna, left, FieldTop + 15, CheckSide, CheckSide);
    box.font = Carattere(10);
    return box;
}

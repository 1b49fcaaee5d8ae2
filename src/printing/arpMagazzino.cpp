#include "printing/arpMagazzino.h"

using platform::report::ReportControl;
using platform::report::ReportSection;
using platform::report::SummaryFunction;
using platform::report::SummaryScope;
using platform::report::TextAlign;

namespace {

constexpr double Punti = 9;          // text of the rows
constexpr double AltezzaTesto = 240; // a field of one row
constexpr double RigaCaption = 280;  // one row of captions

} // namespace

arpMagazzino::arpMagazzino(const QString &nomeTitolo, const QString &titolo, const QString &nomeFiltro,
                           const QString &filtro, const QString &nome, int righeIntestazione)
    : arpElenco(titolo, nome, QString())
{
    const double width = printWidth();
    ReportSection &header = reportHeader();
    m_titolo = &header.control(QStringLiteral("lblTitle"));
    m_titolo->name = nomeTitolo;
    m_titolo->font = Carattere(14, true);
    // The filter line, with room for two lines; long names make it grow.
    m_filtro = &header.addLabel(nomeFiltro, filtro, 0, 660, width, 450);
    m_filtro->font = Carattere(Punti);
    m_filtro->canGrow = true;
    header.height = 1200;
    header.canGrow = true;

    // The captions and the rule under them.
    ReportSection &captions = pageHeader();
    const double rule = 40 + righeIntestazione * RigaCaption;
    ReportControl &line = captions.control(QStringLiteral("linIntestazioni"));
    line.top = line.y2 = rule;
    captions.height = rule + 60;

    // "n / m" at the right of the page footer.
    ReportSection &footer = pageFooter();
    footer.height = 400;
    const auto pageField = [&](const QString &name, const QString &expression, double left, TextAlign align) {
        ReportControl &f = footer.addField(name, expression, left, 120, 700, AltezzaTesto);
        f.font = Carattere(8);
        f.alignment = align;
        f.wordWrap = false;
    };
    pageField(QStringLiteral("p1"), QStringLiteral("=PageNumber"), width - 1640, TextAlign::Right);
    ReportControl &slash = footer.addLabel(QStringLiteral("lblPagine"), QStringLiteral("/"), width - 840, 120, 100,
                                           AltezzaTesto);
    slash.font = Carattere(8);
    slash.alignment = TextAlign::Center;
    pageField(QStringLiteral("p2"), QStringLiteral("=PageCount"), width - 640, TextAlign::Left);
}

void arpMagazzino::PreparaEsportazioneInCelle()
{
    setFormatHandler(pageHeader().name, [this](platform::report::FormatContext &context) {
        if (ModoEsportazione)
            context.section().visible = context.pageNumber() == 1;
    });
    setFormatHandler(pageFooter().name,
                     [this](platform::report::FormatContext &context) { context.section().visible = !ModoEsportazione; });
}

void arpMagazzino::ImpostaTitolo(const QString &titolo, const QString &filtro)
{
    m_titolo->caption = titolo;
    m_filtro->caption = filtro;
}

void arpMagazzino::ImpostaFormato(std::initializer_list<const char *> campi, const QString &formato)
{
    for (const char *name : campi)
        control(QString::fromLatin1(name)).outputFormat = formato;
}

ReportControl &arpMagazzino::Intestazione(const QString &nome, const QString &testo, double left, double width,
                                          TextAlign align, int riga)
{
    ReportControl &caption = pageHeader().addLabel(nome, testo, left, 40 + riga * RigaCaption, width, AltezzaTesto);
    caption.font = Carattere(Punti, true);
    caption.alignment = align;
    caption.wordWrap = false;
    return caption;
}

ReportControl &arpMagazzino::Campo(ReportSection &sezione, const QString &nome, const QString &colonna, double left,
                                   double width, TextAlign align, bool grassetto)
{
    ReportControl &field = sezione.addField(nome, colonna, left, 15, width, AltezzaTesto);
    field.font = Carattere(Punti, grassetto);
    field.alignment = align;
    // Numbers and codes stay on one line; a long text grows downwards.
    field.wordWrap = align == TextAlign::Left;
    field.canGrow = align == TextAlign::Left;
    return field;
}

ReportControl &arpMagazzino::Etichetta(ReportSection &sezione, const QString &nome, const QString &testo, double left,
                                       double width)
{
    ReportControl &label = sezione.addLabel(nome, testo, left, 15, width, AltezzaTesto);
    label.font = Carattere(Punti, true);
    label.wordWrap = false;
    return label;
}

ReportControl &arpMagazzino::Somma(ReportSection &sezione, const QString &nome, const QString &colonna, double left,
                                   double width, const QString &gruppo)
{
    ReportControl &field = Campo(sezione, nome, colonna, left, width, TextAlign::Right, true);
    field.summaryFunction = SummaryFunction::Sum;
    field.summaryScope = gruppo.isEmpty() ? SummaryScope::Report : SummaryScope::Group;
    field.summaryGroup = gruppo;
    return field;
}

void arpMagazzino::Riga(ReportSection &sezione, const QString &nome, double top)
{
    sezione.addLine(nome, 0, top, printWidth(), top).lineWidth = 10;
}

#include "printing/arpGiacenze_05.h"

using platform::report::FormatContext;
using platform::report::ReportControl;
using platform::report::ReportSection;
using platform::report::TextAlign;

namespace {

// The three quantities hold "-999.999.999,99".
constexpr double XCodice = 0, WCodice = 1450;
constexpr double XDescrizione = 1550, WDescrizione = 3138;
constexpr double XMinima = 4788, WMinima = 1550;
constexpr double XGiacenza = 6438, WGiacenza = 1550;
constexpr double XDelta = 8088, WDelta = 1550;

} // namespace

arpGiacenze_05::arpGiacenze_05()
    : arpMagazzino(QStringLiteral("lblTitle"), QStringLiteral("Articoli sottoscorta"), QStringLiteral("lblCat"),
                   QStringLiteral("Giacenze"), QStringLiteral("Articoli sottoscorta"), 1)
{
    Intestazione(QStringLiteral("Label5"), QStringLiteral("Articolo"), XCodice, WCodice);
    Intestazione(QStringLiteral("Label7"), QStringLiteral("Descrizione"), XDescrizione, WDescrizione);
    Intestazione(QStringLiteral("Label10"), QStringLiteral("Scorta minima"), XMinima, WMinima, TextAlign::Right);
    Intestazione(QStringLiteral("Label8"), QStringLiteral("Giacenza"), XGiacenza, WGiacenza, TextAlign::Right);
    Intestazione(QStringLiteral("Label9"), QStringLiteral("Delta"), XDelta, WDelta, TextAlign::Right);
    pageHeader().control(QStringLiteral("linIntestazioni")).name = QStringLiteral("Line2");

    ReportSection &rows = detail();
    rows.height = Riga1;
    rows.canGrow = true;
    Campo(rows, QStringLiteral("txtCodiceArticolo"), QStringLiteral("Codice"), XCodice, WCodice);
    Campo(rows, QStringLiteral("txtDescrizione"), QStringLiteral("Descrizione"), XDescrizione, WDescrizione);
    Campo(rows, QStringLiteral("txtScortaMinima"), QStringLiteral("ScortaMinima"), XMinima, WMinima, TextAlign::Right);
    Campo(rows, QStringLiteral("txtGiacenza"), QStringLiteral("Giacenza"), XGiacenza, WGiacenza, TextAlign::Right);
    Campo(rows, QStringLiteral("txtValore"), QStringLiteral("=[ScortaMinima] - [Giacenza]"), XDelta, WDelta,
          TextAlign::Right)
        .outputFormat = QStringLiteral("#,##0.00");

    // In export mode: no report header or footer, no page footer, the
    // captions once at the top without their rule, one line per article.
    setFormatHandler(reportHeader().name, [this](FormatContext &c) { c.section().visible = !ModoEsportazione; });
    setFormatHandler(reportFooter().name, [this](FormatContext &c) { c.section().visible = !ModoEsportazione; });
    setFormatHandler(pageFooter().name, [this](FormatContext &c) { c.section().visible = !ModoEsportazione; });
    setFormatHandler(pageHeader().name, [this](FormatContext &c) { PageHeader_Format(c); });
    setFormatHandler(rows.name, [this](FormatContext &) { Detail_Format(); });
}

void arpGiacenze_05::Imposta(const QString &titolo, const QString &sottotitolo, const QString &colonnaDelta,
                             const QString &formatoQuantita)
{
    ImpostaTitolo(titolo, sottotitolo);
    control(QStringLiteral("Label9")).caption = colonnaDelta;
    ImpostaFormato({"txtScortaMinima", "txtGiacenza"}, formatoQuantita);
}

void arpGiacenze_05::PageHeader_Format(FormatContext &context)
{
    if (!ModoEsportazione)
        return;
    context.section().visible = context.pageNumber() == 1;
    context.section().control(QStringLiteral("Line2")).visible = false;
}

void arpGiacenze_05::Detail_Format()
{
    if (!ModoEsportazione)
        return;
    for (const char *name : {"txtCodiceArticolo", "txtDescrizione"}) {
        ReportControl &field = detail().control(QString::fromLatin1(name));
        field.wordWrap = false;
        field.canGrow = false;
    }
}

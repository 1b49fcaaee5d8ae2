#include "printing/LayoutEtichetta.h"

#include "platform/base/Format.h"
#include "platform/base/RuntimeError.h"
#include "platform/report/ReportLayout.h"

#include <algorithm>
#include <cmath>

using platform::report::ReportControl;
using platform::report::ReportLayout;
using platform::report::ReportSection;
using platform::report::SectionKind;

namespace LayoutEtichetta {

namespace {

bool lunghezza(double v, double min = 0)
{
    return std::isfinite(v) && v >= min && v <= MaxTwip;
}

bool coordinata(double v)
{
    return std::isfinite(v) && v >= -MaxTwip && v <= MaxTwip;
}

bool misureValide(const ReportControl &c)
{
    return coordinata(c.left) && coordinata(c.top) && lunghezza(c.width) && lunghezza(c.height) && coordinata(c.x2)
           && coordinata(c.y2) && lunghezza(c.lineWidth) && c.lineWidth <= 1440 && lunghezza(c.cornerRadius)
           && std::isfinite(c.font.size) && c.font.size > 0 && c.font.size <= MaxCorpo;
}

bool testiValidi(const ReportControl &c)
{
    return TestoAccettabile(c.font.family) && TestoAccettabile(c.name) && TestoAccettabile(c.tag)
           && TestoAccettabile(c.caption) && TestoAccettabile(c.dataField) && TestoAccettabile(c.text)
           && TestoAccettabile(c.outputFormat) && TestoAccettabile(c.summaryGroup);
}

// A crossing of a label's edge by a hundredth of a twip is the rounding of
// the sheet's conversions, not an item outside.
constexpr double Tolleranza = 0.01;

// Keeps a box from pos to pos + len within [0, room]: moved back inside
// when it crosses an end, cut to the room when it is longer.
bool entroLimiti(double &pos, double &len, double room)
{
    if (pos >= -Tolleranza && pos + len <= room + Tolleranza)
        return false;
    len = std::min(len, room);
    pos = std::clamp(pos, 0.0, room - len);
    return true;
}

// The same for a line's span from a to b, either way round, within
// [min, max].
bool entroLimiti(double &a, double &b, double min, double max)
{
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);
    if (lo >= min - Tolleranza && hi <= max + Tolleranza)
        return false;
    if (hi - lo > max - min) {
        a = std::clamp(a, min, std::max(min, max));
        b = std::clamp(b, min, std::max(min, max));
        return true;
    }
    const double shift = lo < min ? min - lo : max - hi;
    a += shift;
    b += shift;
    return true;
}

// The label report's own name and title, whatever a stored layout says.
void nomina(ReportLayout &layout)
{
    layout.setName(QStringLiteral("NewLabel"));
    layout.setDocumentName(TitoloDocumento);
}

} // namespace

bool TestoAccettabile(const QString &text)
{
    return text.size() <= MaxTesto && text.isValidUtf16();
}

std::optional<Difetto> Controlla(const ReportLayout &layout)
{
    const auto &p = layout.page();
    const QSizeF paper = p.paperSize();
    if (!lunghezza(paper.width(), 1) || !lunghezza(paper.height(), 1) || !lunghezza(p.customWidth)
        || !lunghezza(p.customHeight))
        return Difetto{Regola::Foglio};
    const std::pair<double, Regola> margini[] = {{p.leftMargin, Regola::MargineSinistro},
                                                 {p.rightMargin, Regola::MargineDestro},
                                                 {p.topMargin, Regola::MargineSuperiore},
                                                 {p.bottomMargin, Regola::MargineInferiore},
                                                 {p.gutter, Regola::SpazioVerticale}};
    for (const auto &[valore, regola] : margini) {
        if (!lunghezza(valore))
            return Difetto{regola};
    }
    if (p.leftMargin + p.rightMargin >= paper.width())
        return Difetto{Regola::MarginiOrizzontali};
    if (p.topMargin + p.bottomMargin >= paper.height())
        return Difetto{Regola::MarginiVerticali};

    if (!TestoAccettabile(layout.name()) || !TestoAccettabile(layout.documentName())
        || layout.sections().size() != 5 || layout.groupCount() != 0)
        return Difetto{Regola::Sezioni};
    const ReportSection &detail = layout.detail();
    for (const auto &s : layout.sections()) {
        // The label's own height is a rule of its own, below.
        if ((s.get() != &detail && !lunghezza(s->height)) || !TestoAccettabile(s->name) || !TestoAccettabile(s->groupBy)
            || (s->name.compare(NomeSezione, Qt::CaseInsensitive) == 0) != (s.get() == &detail))
            return Difetto{Regola::Sezioni};
    }
    if (detail.columnCount < 1 || detail.columnCount > MaxEtichettePerRiga)
        return Difetto{Regola::EtichettePerRiga};
    if (!lunghezza(detail.columnSpacing))
        return Difetto{Regola::SpazioOrizzontale};
    const QSizeF etichetta = DimensioniEtichetta(layout);
    if (!lunghezza(layout.printWidth(), 1) || !(etichetta.width() >= 1))
        return Difetto{Regola::LarghezzaEtichetta};
    if (!lunghezza(detail.height, 1) || !(etichetta.height() >= 1))
        return Difetto{Regola::AltezzaEtichetta};

    size_t voci = 0;
    for (const auto &s : layout.sections())
        voci += s->controls().size();
    if (voci > MaxVoci)
        return Difetto{Regola::NumeroVoci};
    for (const auto &s : layout.sections()) {
        for (const auto &c : s->controls()) {
            if (!misureValide(*c))
                return Difetto{Regola::MisureVoce, c.get()};
            if (!testiValidi(*c))
                return Difetto{Regola::TestoVoce, c.get()};
        }
    }
    if (layout.toBytes().size() > MaxByte)
        return Difetto{Regola::Dimensione};
    return std::nullopt;
}

QSizeF DimensioniEtichetta(const ReportLayout &layout)
{
    const ReportSection &etichetta = layout.section(NomeSezione);
    const int n = std::max(1, etichetta.columnCount);
    return QSizeF((layout.printWidth() - etichetta.columnSpacing * (n - 1)) / n,
                  etichetta.height - layout.page().gutter);
}

bool TieniDentro(ReportSection &section, QSizeF etichetta)
{
    section.canGrow = false;
    const double w = std::max(0.0, etichetta.width());
    const double h = std::max(0.0, etichetta.height());
    bool cambiato = false;
    for (const auto &voce : section.controls()) {
        ReportControl &c = *voce;
        if (c.kind == platform::report::ControlKind::Line) {
            // Drawn with flat ends: the pen spreads half its width to both
            // sides of the line, not past its ends.
            const double mezza = std::min(c.lineWidth / 2, std::min(w, h) / 2);
            const bool orizzontale = c.top == c.y2;
            const bool verticale = !orizzontale && c.left == c.x2;
            const double dx = orizzontale ? 0 : mezza;
            const double dy = verticale ? 0 : mezza;
            const bool x = entroLimiti(c.left, c.x2, dx, w - dx);
            const bool y = entroLimiti(c.top, c.y2, dy, h - dy);
            cambiato = cambiato || x || y;
            continue;
        }
        const bool x = entroLimiti(c.left, c.width, w);
        const bool y = entroLimiti(c.top, c.height, h);
        cambiato = cambiato || x || y;
    }
    return cambiato;
}

double ArrotondaPari(double value)
{
    return std::nearbyint(value);
}

double TwipDaDecimi(long long decimi)
{
    return ArrotondaPari(static_cast<double>(decimi) * TwipPerDecimo);
}

QString DecimiDaTwip(double twips)
{
    return platform::formatValue(platform::Variant(twips / TwipPerDecimo), QStringLiteral("#;#;0"));
}

void ApplicaPredefinito(ReportLayout &layout)
{
    ReportLayout predefinito;
    auto &page = predefinito.page();
    page.paper = QPageSize::Custom;
    page.customWidth = 11904;
    page.customHeight = 16833;
    page.leftMargin = 567;
    page.topMargin = 567;
    page.rightMargin = 567;
    // The designer has no box for it: the labels may run to the foot of
    // the sheet, or its last row would go unused.
    page.bottomMargin = 0;
    page.gutter = 0;
    predefinito.setPrintWidth(3402);
    ReportSection &etichetta = predefinito.detail();
    etichetta.name = NomeSezione;
    etichetta.height = 1701;
    etichetta.columnCount = 1;
    etichetta.columnSpacing = 0;
    etichetta.columnDirection = platform::report::ColumnDirection::AcrossDown;
    for (const auto &s : predefinito.sections()) {
        if (s->kind != SectionKind::Detail)
            s->height = 0;
    }
    layout.loadBytes(predefinito.toBytes());
    nomina(layout);
}

bool Leggi(ReportLayout &layout, const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.size() > MaxByte)
        return false;
    // Read into a layout of its own first, so that a refused blob leaves
    // the caller's layout as it was.
    ReportLayout prova;
    try {
        prova.loadBytes(bytes);
    } catch (const platform::RuntimeError &) {
        return false;
    }
    if (Controlla(prova))
        return false;
    TieniDentro(prova.section(NomeSezione), DimensioniEtichetta(prova));
    layout.loadBytes(prova.toBytes());
    nomina(layout);
    return true;
}

QByteArray Scrivi(const ReportLayout &layout)
{
    return layout.toBytes();
}

Foglio FormaDiLavoro(ReportLayout &layout)
{
    ReportSection &etichetta = layout.section(NomeSezione);
    const double w = layout.printWidth();
    const double s = etichetta.columnSpacing;
    const int n = std::max(1, etichetta.columnCount);
    const double v = layout.page().gutter;
    const auto decimi = [](double twips) { return DecimiDaTwip(twips).toLongLong(); };

    Foglio foglio;
    layout.setPrintWidth(ArrotondaPari((w - s * n + s) / n));
    foglio.spazioOrizzontale = decimi(s);
    etichetta.columnSpacing = 0;
    foglio.etichettePerRiga = n;
    etichetta.columnCount = 1;
    etichetta.height -= v;
    foglio.altezza = decimi(etichetta.height);
    foglio.larghezza = decimi(layout.printWidth());
    foglio.margineSinistro = decimi(layout.page().leftMargin);
    foglio.margineDestro = decimi(layout.page().rightMargin);
    foglio.margineSuperiore = decimi(layout.page().topMargin);
    foglio.spazioVerticale = decimi(v);
    layout.invalidate();
    return foglio;
}

void FormaArchiviata(ReportLayout &layout, const Foglio &foglio)
{
    ReportSection &etichetta = layout.section(NomeSezione);
    const long long n = std::clamp<long long>(foglio.etichettePerRiga, 1, MaxEtichettePerRiga);
    const double h = static_cast<double>(foglio.spazioOrizzontale);
    auto &page = layout.page();
    page.leftMargin = TwipDaDecimi(foglio.margineSinistro);
    page.rightMargin = TwipDaDecimi(foglio.margineDestro);
    page.topMargin = TwipDaDecimi(foglio.margineSuperiore);
    page.gutter = TwipDaDecimi(foglio.spazioVerticale);
    // The label's own size, as the designer's boxes set it.
    const double w = static_cast<double>(foglio.larghezza) * TwipPerDecimo;
    layout.setPrintWidth(w * static_cast<double>(n) + h * TwipPerDecimo * static_cast<double>(n - 1));
    etichetta.columnCount = static_cast<int>(n);
    etichetta.columnSpacing = h * TwipPerDecimo;
    etichetta.columnDirection = platform::report::ColumnDirection::AcrossDown;
    etichetta.height = static_cast<double>(foglio.altezza) * TwipPerDecimo
                       + static_cast<double>(foglio.spazioVerticale) * TwipPerDecimo;
    layout.invalidate();
}

} // namespace LayoutEtichetta

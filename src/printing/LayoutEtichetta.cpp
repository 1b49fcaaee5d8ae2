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

// Limits of a layout that can still be printed: anything beyond them is
// not a label layout but damage.
constexpr qsizetype MaxBytes = 4 * 1024 * 1024;
constexpr double MaxTwips = 100000; // about 1.76 m
constexpr int MaxColonne = 1000;
constexpr size_t MaxElementi = 1000;
constexpr double MaxCorpo = 1000; // points
constexpr qsizetype MaxTesto = 10000;

bool lunghezza(double v, double min = 0)
{
    return std::isfinite(v) && v >= min && v <= MaxTwips;
}

bool coordinata(double v)
{
    return std::isfinite(v) && v >= -MaxTwips && v <= MaxTwips;
}

bool testo(const QString &s)
{
    return s.size() <= MaxTesto && s.isValidUtf16();
}

bool elementoValido(const ReportControl &c)
{
    return coordinata(c.left) && coordinata(c.top) && lunghezza(c.width) && lunghezza(c.height) && coordinata(c.x2)
           && coordinata(c.y2) && lunghezza(c.lineWidth) && c.lineWidth <= 1440 && lunghezza(c.cornerRadius)
           && std::isfinite(c.font.size) && c.font.size > 0 && c.font.size <= MaxCorpo && testo(c.font.family)
           && testo(c.name) && testo(c.tag) && testo(c.caption) && testo(c.dataField) && testo(c.text)
           && testo(c.outputFormat) && testo(c.summaryGroup);
}

// The stored layout as this program prints it; see Leggi.
bool layoutValido(const ReportLayout &layout)
{
    const auto &p = layout.page();
    const QSizeF paper = p.paperSize();
    if (!lunghezza(paper.width(), 1) || !lunghezza(paper.height(), 1) || !lunghezza(p.customWidth)
        || !lunghezza(p.customHeight) || !lunghezza(p.leftMargin) || !lunghezza(p.rightMargin)
        || !lunghezza(p.topMargin) || !lunghezza(p.bottomMargin) || !lunghezza(p.gutter)
        || p.leftMargin + p.rightMargin >= paper.width() || p.topMargin + p.bottomMargin >= paper.height())
        return false;
    if (!lunghezza(layout.printWidth(), 1) || !testo(layout.name()) || !testo(layout.documentName()))
        return false;
    if (layout.sections().size() != 5 || layout.groupCount() != 0)
        return false;
    const ReportSection &detail = layout.detail();
    if (detail.name.compare(NomeSezione, Qt::CaseInsensitive) != 0 || !lunghezza(detail.height, 1)
        || detail.columnCount < 1 || detail.columnCount > MaxColonne || !lunghezza(detail.columnSpacing))
        return false;
    size_t elementi = 0;
    for (const auto &s : layout.sections()) {
        if (!lunghezza(s->height) || !testo(s->name) || !testo(s->groupBy))
            return false;
        elementi += s->controls().size();
        if (elementi > MaxElementi)
            return false;
        if (!std::all_of(s->controls().begin(), s->controls().end(), [](const auto &c) { return elementoValido(*c); }))
            return false;
    }
    return true;
}

// The label report's own name and title, whatever a stored layout says.
void nomina(ReportLayout &layout)
{
    layout.setName(QStringLiteral("NewLabel"));
    layout.setDocumentName(TitoloDocumento);
}

} // namespace

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
    if (bytes.isEmpty() || bytes.size() > MaxBytes)
        return false;
    // Read into a layout of its own first, so that a refused blob leaves
    // the caller's layout as it was.
    ReportLayout prova;
    try {
        prova.loadBytes(bytes);
    } catch (const platform::RuntimeError &) {
        return false;
    }
    if (!layoutValido(prova))
        return false;
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
    const long long n = std::clamp<long long>(foglio.etichettePerRiga, 1, MaxColonne);
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

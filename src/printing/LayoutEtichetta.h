#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>

#include <cstddef>
#include <optional>

namespace platform::report {
class ReportLayout;
class ReportSection;
struct ReportControl;
}

// The article label layout: one report layout whose detail section
// `Etichetta` is one label, repeated across the sheet in columns. This
// module knows the built-in layout, reads and writes the stored one (the
// report engine's UTF-8 JSON, with its format name and version) and turns
// the layout to and from the eight sheet numbers the label designer shows
// in tenths of a millimetre.
//
// The layout exists in two forms:
// - stored form (what the database keeps and what prints): the detail's
//   ColumnCount labels per row, ColumnSpacing the space between two labels
//   of a row, the print width n × label width + (n − 1) × spacing, the
//   detail height label height + vertical spacing, and the vertical spacing
//   also kept in the page's fourth value (PageSettings::gutter);
// - working form (what the designer edits): one column, no column spacing,
//   the print width of one label, the detail height of one label.
//
// Lengths in the layout are twips; the designer's numbers are whole tenths
// of a millimetre, converted with the factor 5.6677.
namespace LayoutEtichetta {

// Twips in a tenth of a millimetre, as the label sheet has always used it
// (not 1440 / 254).
inline constexpr double TwipPerDecimo = 5.6677;
// The name of the detail section that holds one label.
inline const QString NomeSezione = QStringLiteral("Etichetta");
// The printed document's title.
inline const QString TitoloDocumento = QStringLiteral("Etichette articoli");

// Nearest whole number, halves to the even one.
double ArrotondaPari(double value);
// Whole tenths × 5.6677, to the nearest whole twip (halves to even).
double TwipDaDecimi(long long decimi);
// Twips shown as whole tenths: twips / 5.6677 with the format "#;#;0".
QString DecimiDaTwip(double twips);

// ---- what a label layout may hold ----
// Beyond these limits a stored layout is not a label layout but damage;
// the reader refuses it and the designer never stores it.

// Any length, in twips (about 1.76 m).
inline constexpr double MaxTwip = 100000;
// Labels in a row.
inline constexpr int MaxEtichettePerRiga = 1000;
// Items in the whole layout.
inline constexpr std::size_t MaxVoci = 1000;
// Font size, in points.
inline constexpr double MaxCorpo = 1000;
// Characters of any text of the layout (a caption, a name, a format).
inline constexpr qsizetype MaxTesto = 10000;
// The stored layout, in bytes.
inline constexpr qsizetype MaxByte = 4 * 1024 * 1024;

// Whether a text fits a label layout: at most MaxTesto characters, and
// valid UTF-16.
bool TestoAccettabile(const QString &text);

// The rule of a readable label layout that a layout breaks.
enum class Regola {
    Foglio,            // the paper's size
    MargineSinistro,   // each margin, and the vertical spacing, a length
    MargineDestro,
    MargineSuperiore,
    MargineInferiore,
    SpazioVerticale,
    MarginiOrizzontali, // left and right margin take the paper's whole width
    MarginiVerticali,   // top and bottom margin take the paper's whole height
    Sezioni,            // the five plain sections with the detail `Etichetta`
    EtichettePerRiga,   // 1 to MaxEtichettePerRiga labels in a row
    SpazioOrizzontale,  // the space between two labels of a row, a length
    LarghezzaEtichetta, // a label at least a twip wide, a row at most MaxTwip
    AltezzaEtichetta,   // a label at least a twip high, label and spacing at most MaxTwip
    NumeroVoci,         // at most MaxVoci items
    MisureVoce,         // an item's place, size, line width or font size
    TestoVoce,          // an item's texts (TestoAccettabile)
    Dimensione,         // at most MaxByte stored bytes
};
struct Difetto {
    Regola regola;
    // The item, for MisureVoce and TestoVoce.
    const platform::report::ReportControl *voce = nullptr;
};

// The first rule of a readable label layout that a stored-form layout
// breaks, nullopt when it keeps them all. The reader refuses a layout with
// a fault, and the designer checks with it what it is about to store, so
// that it never saves a layout that cannot be read back.
std::optional<Difetto> Controlla(const platform::report::ReportLayout &layout);

// The size of one label of a stored-form layout, in twips: the row's
// print width shared out among its labels, the section's height less the
// vertical spacing.
QSizeF DimensioniEtichetta(const platform::report::ReportLayout &layout);

// Keeps every item of a label section inside a label of `etichetta`
// twips: an item that crosses the right or bottom edge moves left or up,
// one larger than the label is cut to the label's size, and a line keeps
// half its width from the edges it runs along. The section does not grow
// with its fields: a label's size is the sheet's. Answers whether an item
// changed.
bool TieniDentro(platform::report::ReportSection &section, QSizeF etichetta);

// The eight numbers of a label sheet as the designer shows them, in whole
// tenths of a millimetre, except etichettePerRiga, a count (at least 1).
struct Foglio {
    long long margineSinistro = 0;
    long long margineDestro = 0;
    long long margineSuperiore = 0;
    long long spazioOrizzontale = 0;
    long long etichettePerRiga = 1;
    long long altezza = 0;
    long long larghezza = 0;
    long long spazioVerticale = 0;

    bool operator==(const Foglio &) const = default;
};

// Replaces the layout's design with the built-in label layout: page
// 11904 × 16833 twips, left, top and right margin 567, no bottom margin
// (the sheet's own rows decide where labels end), vertical spacing 0,
// print width 3402 (60 mm), one label per row 1701 twips (30 mm) high, no
// items. The layout's data, events and printer stay.
void ApplicaPredefinito(platform::report::ReportLayout &layout);

// Reads stored bytes into the layout when they are a label layout this
// program can print: the engine's layout format of a known version that
// keeps every rule of Controlla. Answers false for anything else
// (truncated, wrong types, huge or negative sizes, margins wider than the
// paper, thousands of items, another format or version) and then leaves
// the layout exactly as it was. Items of a layout read are kept inside
// their label (TieniDentro), so that no label prints over its neighbours.
// Never raises.
bool Leggi(platform::report::ReportLayout &layout, const QByteArray &bytes);
// The layout's design as stored bytes.
QByteArray Scrivi(const platform::report::ReportLayout &layout);

// Turns a stored-form layout into the working form and answers the sheet
// numbers the designer shows for it. Both conversions raise ReportError for
// a layout without the section `Etichetta`.
Foglio FormaDiLavoro(platform::report::ReportLayout &layout);
// Turns a working-form layout into the stored form with the designer's
// sheet numbers (label height and width included). etichettePerRiga is
// taken within 1 to 1000, the labels per row a stored layout may have.
void FormaArchiviata(platform::report::ReportLayout &layout, const Foglio &foglio);

// ---- the stored layout in the database (`_Pars` row 'etiart') ----

// What the stored layout is read for: the designer goes on with the
// built-in layout, printing stops.
enum class Uso { Designer, Stampa };

// What the user is told of a stored layout that cannot be read: "Il formato
// dell'etichetta salvata non è leggibile: viene usato il formato
// predefinito." in the designer; for printing, that no label is printed and
// where the label is set up again.
QString TestoIlleggibile(Uso uso = Uso::Designer);

// What reading the stored layout found.
enum class Esito {
    Assente,     // no 'etiart' row (or an empty m01): the built-in layout
    Caricato,    // the stored layout
    Illeggibile, // a stored blob that cannot be read: the built-in layout
};

// Loads the stored layout of the database on connString into `layout`.
// The layout gets the built-in design first, so whatever happens it holds
// a layout. An unreadable blob is said once, with TestoIlleggibile(uso) in
// a message box, and left in the database untouched until the next save;
// a caller that prints stops there. A database error reaches the caller
// (as DatabaseError) with the built-in layout in place.
Esito Carica(platform::report::ReportLayout &layout, const QString &connString, Uso uso = Uso::Designer);

// Stores the stored-form layout in the database on connString, in one
// transaction: the first 'etiart' row gets the layout in `m01` and the
// horizontal spacing (whole tenths) in `l01`; without one, a row is added.
// k02 and l02 are not written. A layout that Controlla refuses is not
// stored (ReportError). Errors reach the caller and leave the database as
// it was.
void Salva(const platform::report::ReportLayout &layout, long long spazioOrizzontale, const QString &connString);

} // namespace LayoutEtichetta

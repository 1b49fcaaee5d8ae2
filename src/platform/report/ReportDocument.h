#pragma once

#include "platform/base/Variant.h"
#include "platform/report/FontSpec.h"
#include "platform/report/ReportEnums.h"

#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

namespace platform::report {

class BarcodeSymbol;
struct ReportControl;

// One thing drawn on a page, in twips from the paper's top-left corner.
struct RenderedItem {
    enum class Kind : std::uint8_t { Text, Line, Shape, CheckBox, Picture, Barcode };

    Kind kind = Kind::Text;
    ControlKind source = ControlKind::Label; // the kind of control it came from
    TextAlign alignment = TextAlign::Left;
    bool wordWrap = true;
    bool checked = false;
    ShapeStyle shape = ShapeStyle::Rectangle;
    PictureSizeMode sizeMode = PictureSizeMode::Zoom;
    BarcodeCaption captionPosition = BarcodeCaption::Below;
    int font = -1; // index into ReportDocument::fonts()
    QRgb color = 0xff000000;
    QRgb backColor = 0; // alpha 0: transparent
    // The box; for a line its two ends are rect.topLeft() and bottomRight().
    QRectF rect;
    double lineWidth = 15;
    double cornerRadius = 0;
    QString name; // the control's name
    QString text; // the text printed (a check box's caption)
    // A field's value and output format, for exports that keep types; Empty
    // for labels and for fields whose text was set by code.
    Variant value;
    QString format;
    std::shared_ptr<const QImage> image;
    std::shared_ptr<const BarcodeSymbol> barcode;

    // The item of a control placed with its section's top-left corner at
    // (x, y): its kind, box and the drawing properties the control holds;
    // texts, fonts, values and barcode symbols are the caller's.
    static RenderedItem of(const ReportControl &control, double x, double y);
};

// One printed instance of a section on a page: which section, where, and
// the range of the page's items that belong to it.
struct RenderedBand {
    SectionKind kind = SectionKind::Detail;
    QString section;    // the section's name
    int groupLevel = -1; // 0 for the outermost group, -1 outside groups
    QRectF rect;
    int column = 0;     // label position across a multi-column detail
    int firstItem = 0;
    int itemCount = 0;
};

// A laid-out page, as the painter and the exports read it.
struct RenderedPage {
    std::vector<RenderedItem> items;
    std::vector<RenderedBand> bands;
};

class FontMeasure;

// The pages a run produced, ready to be drawn, printed or exported; it no
// longer depends on the layout or the data, so a preview keeps showing it
// while the layout runs again.
//
// A long report has hundreds of thousands of items, and a preview holds
// them all: the pages are kept compact. What items of one control share
// (kind, box across the page, colours, font, name, format, picture) is
// kept once for the document; an item keeps its place down the page, its
// height, its text in a buffer of its page and its value in a few bytes.
// page() gives a page back as items and bands.
class ReportDocument
{
public:
    ReportDocument();
    ~ReportDocument();
    ReportDocument(const ReportDocument &) = delete;
    ReportDocument &operator=(const ReportDocument &) = delete;

    QString title;
    QSizeF paperSize;   // twips
    QMarginsF margins;  // twips
    double printWidth = 0;

    int pageCount() const;
    // A page's items and bands, in the order the run laid them out.
    RenderedPage page(int index) const;
    // The number of items of a page, without making them.
    int itemCount(int page) const;
    // The paper as printers, PDF and the exports name it: its size (a
    // standard one where it matches), its orientation, no margins.
    QPageLayout pageLayout() const;

    // The fonts the items refer to, by index; fontIndex adds one when new.
    const std::vector<FontSpec> &fonts() const { return m_fonts; }
    const QFont &qfont(int index) const { return m_qfonts[static_cast<size_t>(index)]; }
    int fontIndex(const FontSpec &font);
    // The measures of a font, made on first use and kept with the document.
    const FontMeasure &measure(int fontIndex) const;

    // All texts of a page, top to bottom and left to right, one line per
    // band row; for tests and diagnostics.
    QString pageText(int page) const;

    // ---- building, for the run ----
    // Starts a new page after the last one.
    void addPage();
    // Adds an item to the last page and answers its number on the page.
    // `styleHint` is the caller's memory of the shared part of the item it
    // added last for the same control (-1 at first): checking it first
    // spares looking the shared part up.
    int addItem(const RenderedItem &item, int &styleHint);
    // Adds a band to the last page; its items are the ones added since
    // `band.firstItem`.
    void addBand(const RenderedBand &band);
    // Gives an item its text and value after the fact (the page count).
    void setItemText(int page, int item, const QString &text, const Variant &value);

private:
    struct Style;
    struct BandStyle;
    struct Item;
    struct Band;
    struct Page;
    struct Styles;

    RenderedItem unpack(const Page &page, const Item &item) const;
    void packValue(Page &page, Item &item, const Variant &value, const QString &text);
    Variant unpackValue(const Page &page, const Item &item) const;

    std::vector<FontSpec> m_fonts;
    std::vector<QFont> m_qfonts;
    mutable std::vector<std::unique_ptr<FontMeasure>> m_measures;
    std::unique_ptr<Styles> m_styles;
    std::vector<Page> m_pages;
};

} // namespace platform::report

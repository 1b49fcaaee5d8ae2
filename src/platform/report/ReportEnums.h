#pragma once

// The enumerations of the report layout model. Their numbers are stored in
// serialised layouts by name, never by value, so they may be reordered.

namespace platform::report {

// The kinds of band a layout is made of, in the order they nest.
enum class SectionKind {
    ReportHeader,
    PageHeader,
    GroupHeader,
    Detail,
    GroupFooter,
    PageFooter,
    ReportFooter,
};

// The kinds of item placed on a section.
enum class ControlKind {
    Label,    // a fixed caption
    Field,    // a value bound to a column or an "=" expression, or set by code
    Line,
    Shape,
    CheckBox, // a box ticked by a bound value
    Picture,  // image bytes (PNG, JPEG, ...)
    Barcode,
};

// Horizontal placement of a text inside its box.
enum class TextAlign { Left, Center, Right };

// Where a section forces a page break.
enum class NewPage { None, Before, After, BeforeAfter };

// How label positions of a multi-column detail are filled: down each column
// first, or across each row first.
enum class ColumnDirection { DownAcross = 0, AcrossDown = 1 };

// What a summary field computes over the detail records of its scope.
enum class SummaryFunction { None, Sum, Count };

// The records a summary field covers.
enum class SummaryScope { Report, Page, Group };

enum class ShapeStyle { Rectangle, RoundRect, Ellipse };

// How a picture fills its box: at its own size (cut at the box), stretched,
// or scaled to fit keeping its proportions.
enum class PictureSizeMode { Clip, Stretch, Zoom };

// Where a barcode prints its human-readable text.
enum class BarcodeCaption { None = 0, Above = 1, Below = 2 };

// Barcode symbologies, numbered as the label designer's style numbers.
enum class BarcodeStyle {
    None = 0,
    Ansi39 = 1,
    Ansi39X = 2,
    Interleaved2of5 = 4,
    Code39 = 6,
    Code39X = 7,
    Code128A = 8,
    Code128B = 9,
    Code128Auto = 11,
    Code93 = 12,
    Code93X = 13,
    Codabar = 16,
    Ean8 = 17,
    Ean13 = 18,
};

// What happens to a detail record after its format event, as bit flags set
// by the event through FormatContext::setLayoutAction. The default is all
// three. MoveLayout alone leaves the position empty and offers the same
// record again at the next position (how label runs skip positions).
namespace LayoutAction {
enum : int {
    MoveLayout = 1,   // the section takes its space
    NextRecord = 2,   // the next record follows
    PrintSection = 4, // the section's controls are printed
    Default = MoveLayout | NextRecord | PrintSection,
};
}

} // namespace platform::report

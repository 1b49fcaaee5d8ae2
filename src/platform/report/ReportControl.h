#pragma once

#include "platform/base/Variant.h"
#include "platform/report/FontSpec.h"
#include "platform/report/ReportEnums.h"

#include <QByteArray>
#include <QColor>
#include <QString>

namespace platform::report {

// One item of a report section: its kind, name, box in twips (relative to
// the section's top-left corner) and every property a kind uses; the
// properties of other kinds are ignored. Format events change these
// members for the record being laid out; the engine puts the design values
// back when the run ends.
struct ReportControl {
    ControlKind kind = ControlKind::Label;
    QString name;
    double left = 0;
    double top = 0;
    double width = 1440;
    double height = 270;
    bool visible = true;
    FontSpec font;
    TextAlign alignment = TextAlign::Left;
    QColor foreColor = Qt::black;
    QColor backColor; // invalid: transparent
    QString tag;      // free text kept with the control (the designer's)

    // Label: the text printed. Check box: the text beside the box.
    // Barcode: the value encoded when the barcode is not bound.
    QString caption;

    // Field, check box, barcode: a column name or "=" and an expression.
    QString dataField;
    // Field: the text printed. Bound fields get the formatted value of each
    // record before the section's format event, which may replace it.
    QString text;
    // Field: a Format() text ("#,##0.00", "dd/mm/yy", ...).
    QString outputFormat;
    bool canGrow = false; // field: grows downwards to show all its text
    bool wordWrap = true; // field, label: long text breaks into lines

    // Field: a summary of the bound value over the detail records of a
    // scope, instead of the current record's value. With summaryRunning the
    // value adds up record by record within the scope; summaryGroup names
    // the group header of a group scope (by default the group the control
    // stands in, or the innermost group).
    SummaryFunction summaryFunction = SummaryFunction::None;
    SummaryScope summaryScope = SummaryScope::Report;
    bool summaryRunning = false;
    QString summaryGroup;

    // Line: from (left, top) to (x2, y2), in twips; width of lines and
    // borders of shapes and check boxes.
    double x2 = 0;
    double y2 = 0;
    double lineWidth = 15;

    ShapeStyle shape = ShapeStyle::Rectangle;
    double cornerRadius = 120; // RoundRect

    bool checked = false; // check box: the state when unbound or set by code

    QByteArray imageData; // picture
    PictureSizeMode sizeMode = PictureSizeMode::Zoom;

    BarcodeStyle barcodeStyle = BarcodeStyle::Code128Auto;
    BarcodeCaption captionPosition = BarcodeCaption::Below;

    // The value of a bound control for the record being laid out (Empty
    // outside a run); format events may read and replace it.
    Variant value;

    bool operator==(const ReportControl &) const = default;
};

} // namespace platform::report

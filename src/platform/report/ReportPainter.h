#pragma once

#include <QImage>
#include <QRectF>
#include <QStringList>

#include <memory>

class QPainter;

namespace platform::report {

class BarcodeSymbol;
class ReportDocument;
struct RenderedItem;
struct ReportControl;

// Draws the pages of a document: the one painting path shared by the
// preview, the printer and the PDF export, so that they look alike.
class ReportPainter
{
public:
    // Paints a page with the painter's coordinates in twips from the
    // paper's top-left corner. Items wholly outside `visible` (twips; a null
    // rectangle means everything) are skipped.
    static void paintPage(QPainter &painter, const ReportDocument &doc, int page, const QRectF &visible = QRectF());

    // Paints a page on a device of the given resolution, from the device's
    // origin; the painter's transformation is restored afterwards.
    static void paintPageAt(QPainter &painter, const ReportDocument &doc, int page, double dotsPerInch);

    // The page as a white picture at the given resolution.
    static QImage renderPage(const ReportDocument &doc, int page, double dotsPerInch);

    // Paints one control as a designer shows it, with its section's top-left
    // corner at the painter's origin (twips): a label its caption, a field
    // its text, a barcode the bars of `barcode` (bound barcodes have no
    // value outside a run, so the designer passes a sample).
    static void paintControl(QPainter &painter, const ReportControl &control,
                             const std::shared_ptr<const BarcodeSymbol> &barcode = {});

    // A text is never cut at its box: a wrapping text breaks inside a word
    // too long for the box, and a text that still does not fit (a number
    // wider than its column) is set smaller until it does. The number of
    // texts set smaller since the program started, so that a layout whose
    // columns are too narrow for its numbers does not go unnoticed.
    static int textsSetSmaller();
    // The texts of a page that do not fit their box at their own size (the
    // ones the painter sets smaller): one-line texts and barcode captions
    // wider than the box, wrapping texts whose lines a box of fixed height
    // cannot hold; each as its control's name, ": " and the text.
    static QStringList textsOutOfBox(const ReportDocument &doc, int page);

private:
    // `font` is the document's font the painter holds (-1: another one); it
    // is updated when the item sets one.
    static void paintItem(QPainter &painter, const ReportDocument &doc, const RenderedItem &item, int &font);
    // Where a barcode's text goes: the whole box when the data cannot be a
    // barcode, else the strip of its caption; null when it has none.
    static QRectF barcodeTextBox(const ReportDocument &doc, const RenderedItem &item);
};

} // namespace platform::report

#include "platform/report/PageSettings.h"

namespace platform::report {

namespace {

// A standard paper in twips, from the units it is defined in, so that A4
// is 210 x 297 mm exactly rather than whole points.
QSizeF standardSize(QPageSize::PageSizeId id)
{
    const QPageSize size(id);
    const QSizeF defined = size.definitionSize();
    switch (size.definitionUnits()) {
    case QPageSize::Millimeter: return defined * (1440.0 / 25.4);
    case QPageSize::Inch: return defined * 1440.0;
    case QPageSize::Point: return defined * 20.0;
    default: return size.size(QPageSize::Point) * 20.0;
    }
}

} // namespace

QSizeF PageSettings::paperSize() const
{
    // Standard sizes are defined portrait.
    const QSizeF size = paper == QPageSize::Custom ? QSizeF(customWidth, customHeight) : standardSize(paper);
    return landscape ? size.transposed() : size;
}

} // namespace platform::report

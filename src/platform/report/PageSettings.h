#pragma once

#include <QPageSize>
#include <QSizeF>

namespace platform::report {

// The paper and margins a layout is paginated on, in twips. The paper is
// A4 portrait unless a layout says otherwise; a custom paper gives its own
// width and height.
struct PageSettings {
    QPageSize::PageSizeId paper = QPageSize::A4;
    double customWidth = 0;  // with QPageSize::Custom
    double customHeight = 0;
    bool landscape = false;
    double leftMargin = 1440;
    double topMargin = 1440;
    double rightMargin = 1440;
    double bottomMargin = 1440;
    // Kept with the page but not used by pagination: label layouts keep the
    // vertical space between label rows here (their detail height already
    // includes it).
    double gutter = 0;

    // The paper size in twips, turned for landscape.
    QSizeF paperSize() const;
    // The width between the margins.
    double contentWidth() const { return paperSize().width() - leftMargin - rightMargin; }

    bool operator==(const PageSettings &) const = default;
};

} // namespace platform::report

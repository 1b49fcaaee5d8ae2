#pragma once

#include <QColor>
#include <QString>

namespace platform {

// A named look for cells or headers: colours and emphasis. An invalid
// colour leaves the grid's own.
struct GridFormatStyle {
    QString name;
    QColor backColor;
    QColor foreColor;
    bool bold = false;
    bool italic = false;
};

} // namespace platform

#pragma once

#include "common/comfrmGridLevels.h"

class QComboBox;
class QLabel;

namespace platform {
class Grid;
}

// The grouping dialog ("Raggruppa"): up to four group levels of a grid,
// each a column (listed by its listing name; image, long text and binary
// columns are not offered) and an order, and whether the groups start expanded or
// collapsed. On OK the grid's groups are rewritten, but only when they
// differ; with every level "(Vuoto)" the grouping is removed.
class comfrmGroupBy : public comfrmGridLevels
{
    Q_OBJECT

public:
    explicit comfrmGroupBy(QWidget *parent = nullptr);
    ~comfrmGroupBy() override;

    // Shows the grid's group levels modally over `owner` and applies the
    // levels when the user accepts and they differ from the grid's groups.
    static void GroupGrid(platform::Grid &grid, QWidget *owner = nullptr);

    QLabel *lblExpand = nullptr;
    // "Espandi tutto" (item data 0) and "Unisci tutto" (item data -1).
    QComboBox *cboExpand = nullptr;
};

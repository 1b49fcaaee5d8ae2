#pragma once

#include "common/comfrmGridLevels.h"

namespace platform {
class Grid;
}

// The sort dialog ("Ordina"): up to four sort keys of a grid, each a column
// (listed by its key) and an order. On OK the grid's keys are rewritten and
// the grid re-sorted, but only when something differs. Leaving the first
// list while it shows "(Vuoto)" is refused with a message.
class comfrmSort : public comfrmGridLevels
{
    Q_OBJECT

public:
    explicit comfrmSort(QWidget *parent = nullptr);
    ~comfrmSort() override;

    // Shows the grid's sort keys modally over `owner` and applies the
    // levels when the user accepts and they differ from the grid's keys.
    static void SortGrid(platform::Grid &grid, QWidget *owner = nullptr);

    static inline const QString NoKeyText = QStringLiteral("Inserire almeno un Campo di ordinamento");

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The check of the first list as the focus leaves it for `next`; false
    // (after the message, with the focus back on the list) when it shows
    // "(Vuoto)".
    bool cboGroups_Validate(QWidget *next);

    bool m_swallowPress = false;
};

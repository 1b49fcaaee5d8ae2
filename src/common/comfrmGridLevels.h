#pragma once

#include "platform/grid/GridKeyList.h"

#include <QDialog>
#include <QString>

#include <array>
#include <utility>
#include <vector>

class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The four-level form that the sort and the grouping dialogs share: per
// level a list holding "(Vuoto)" and the grid's columns, with the order
// buttons "Crescente" and "Decrescente"; choosing a column on a level
// enables the next one, choosing "(Vuoto)" empties and disables every level
// below. OK records that the user accepted; Annulla only hides.
class comfrmGridLevels : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Levels = 4;
    static inline const QString EmptyItem = QStringLiteral("(Vuoto)");

    ~comfrmGridLevels() override;

    bool Accepted() const { return m_accepted; }

    std::array<QGroupBox *, Levels> fraLevel{};
    std::array<QComboBox *, Levels> cboGroups{};
    // optOrder[2i] "Crescente" and optOrder[2i + 1] "Decrescente" of level i.
    std::array<QRadioButton *, 2 * Levels> optOrder{};
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdClearAll = nullptr;

protected:
    // `firstCaption` heads level 0; `extraHeight` twips are left free under
    // the levels for a dialog's own controls.
    comfrmGridLevels(const QString &caption, const QString &firstCaption, int extraHeight, QWidget *parent);

    // Where a dialog's own controls start, in twips from the top.
    static int LevelsBottom();

    // Fills every level with "(Vuoto)" and the columns given (text, column
    // index), then sets level 0 to "(Vuoto)", which empties the others.
    void FillLists(const std::vector<std::pair<QString, int>> &columns);
    // Shows the keys of the grid, level k - 1 for key k. A key whose column
    // is not listed ends the display there.
    void ShowKeys(const platform::GridKeyList &keys);
    // True when the levels are not the keys: a level holds a key the grid
    // lacks, lacks one the grid has, or names another column or order.
    bool Differs(const platform::GridKeyList &keys) const;
    // The keys the levels describe, level 0 first.
    std::vector<platform::GridKey> ChosenKeys() const;
    // Sets a level's list, running the cascade even when it does not move.
    void SetListIndex(int level, int index);

private:
    void cboGroups_Click(int level);
    void cmdClearAll_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    bool m_accepted = false;
};

#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace platform {
class Grid;
}

// The columns dialog ("Visualizza/Nascondi i Campi"): the grid's hidden
// columns on the left, its visible ones in display order on the right;
// the user moves columns between the lists and up and down, and on OK the
// grid shows exactly the right-hand columns in that order. Columns are
// listed by their key; a column without a key is left alone.
class comfrmShowfields : public QDialog
{
    Q_OBJECT

public:
    explicit comfrmShowfields(QWidget *parent = nullptr);
    ~comfrmShowfields() override;

    // Shows the grid's columns modally over `owner`; on OK applies the
    // lists to the grid and answers true, otherwise answers false and
    // leaves the grid as it was.
    static bool ShowFields(platform::Grid &grid, QWidget *owner = nullptr);

    bool Accepted() const { return m_accepted; }

    QLabel *lblAvail = nullptr;
    QListWidget *lstAvail = nullptr;
    QLabel *lblVisible = nullptr;
    QListWidget *lstVisible = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdRemove = nullptr;
    QPushButton *cmdUp = nullptr;
    QPushButton *cmdDown = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    void Fill(platform::Grid &grid);
    void Apply(platform::Grid &grid) const;
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    void UpdateButtons();

    bool m_accepted = false;
};

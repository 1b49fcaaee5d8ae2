#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace platform {
class Grid;
}

// The grid format dialog ("Formatta"): the header font and the row font of
// a grid, each shown on a sample label and chosen with the font dialog; on
// OK both fonts go to the grid. It also shows the grid's other settings
// (new-record row, editing, automatic column size, group shading, line
// style), read-only, since none of them is written back.
class comfrmTableview : public QDialog
{
    Q_OBJECT

public:
    explicit comfrmTableview(QWidget *parent = nullptr);
    ~comfrmTableview() override;

    // Shows the grid's fonts and settings modally over `owner`; on OK gives
    // the grid the two fonts.
    static void FormatGrid(platform::Grid &grid, QWidget *owner = nullptr);

    // The sample text of a font: the size in whole points, " pt. ", the name.
    static QString FontText(const QFont &font);

    bool Accepted() const { return m_accepted; }
    // Font and colour 0 (headers) and 1 (rows) as they stand in the dialog.
    const QFont &ChosenFont(int index) const { return m_fonts.at(static_cast<size_t>(index)); }
    const QColor &ChosenColor(int index) const { return m_colors.at(static_cast<size_t>(index)); }

    std::array<QGroupBox *, 3> fraFormat{};
    QCheckBox *chkAutoColSize = nullptr;
    QCheckBox *chkAllowed = nullptr;
    QCheckBox *chknewrow = nullptr;
    QCheckBox *chkgrouphead = nullptr;
    QLabel *lblGridlines = nullptr;
    // "Senza linee" (-1), "Punti" (2), "Trattini" (1), "Linee" (0).
    QComboBox *cboGridlines = nullptr;
    std::array<QPushButton *, 2> cmdfont{};
    std::array<QLabel *, 2> lblcurrfont{};
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    void Fill(const platform::Grid &grid);
    void ShowFonts();
    void cmdfont_Click(int index);

    std::array<QFont, 2> m_fonts;
    std::array<QColor, 2> m_colors;
    bool m_accepted = false;
};

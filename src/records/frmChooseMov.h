#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QPushButton;

namespace platform {
class Grid;
class Recordset;
struct GridKeyEvent;
} // namespace platform

// The movement chooser: the movements of the working year (1 January to
// the working date) that hold an article, one row for each of their lines
// of it, from which the user opens one in the movement window. The main
// window's stock view opens it for the article of a row.
class frmChooseMov : public QDialog
{
    Q_OBJECT

public:
    explicit frmChooseMov(QWidget *parent = nullptr);
    ~frmChooseMov() override;

    // Lists the movements of the article `codice` and shows the chooser
    // modally; returns when it has been closed. When they cannot be read
    // the error is told and the chooser does not show.
    void Apri(const QString &codice);

    // "Apri": opens the movement of the current row in a movement window
    // of its own and closes the chooser; nothing happens without a row.
    void cmdOpen_Click();
    // "Annulla": closes the chooser.
    void cmdCancel_Click();

    platform::Grid *gex = nullptr;
    QPushButton *cmdOpen = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    void Carica(const QString &codice);
    // Marks the column of the first sort key with the style "SortedCol",
    // added on the first call in the tool-tip background colour.
    void EvidenziaOrdinamento(bool first);
    void gex_ColumnHeaderClick(int column);
    void gex_KeyDown(platform::GridKeyEvent &key);

    std::unique_ptr<platform::Recordset> m_rs;
};

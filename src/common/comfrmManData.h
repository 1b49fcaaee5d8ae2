#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QKeyEvent;
class QLabel;
class QResizeEvent;
class QWidget;

namespace platform {
class Grid;
struct GridDataError;
} // namespace platform

// The table editor of the Data menu: lists the tables of the database and
// shows the chosen one in an editable grid, where the user changes, adds
// and deletes rows. Each row is written to the database as soon as the
// user leaves it; a refused write is reported and keeps that row pending,
// losing nothing else. A value the field cannot hold is reported once and
// the cell goes back to the stored value. One table can be chosen per
// opening of the window.
class comfrmManData : public QDialog
{
    Q_OBJECT

public:
    // Loads the window: with a connection string, the list of the database's
    // tables (type "TABLE" only). A catalogue that cannot be read is
    // reported and leaves the list empty.
    explicit comfrmManData(const QString &connString, QWidget *parent = nullptr);
    ~comfrmManData() override;

    // The messages of the window, with the database's description of the error.
    static QString LoadErrorText(const QString &description);
    static QString OpenErrorText(const QString &table, const QString &description);
    static QString SaveErrorText(const QString &description);
    static QString DeleteErrorText(const QString &description);
    static QString ValueErrorText(const QString &field);
    // Asked when the window closes on a row the database refuses.
    static QString DiscardRowText(const QString &description);

    QWidget *picBottom = nullptr;
    QLabel *lblTabella = nullptr;
    QComboBox *cmbTables = nullptr;
    platform::Grid *gexTable = nullptr;

public slots:
    // Closing writes the row being edited first; when the database refuses
    // it, the user chooses between dropping the row's changes and closing,
    // or staying with the row pending.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Esc belongs to the grid (it drops the pending change); it does not
    // close the window.
    void keyPressEvent(QKeyEvent *event) override;

private:
    // What the grid was doing when it met a database error.
    enum class Action { None, Save, Delete };

    void cmbTables_Click(int index);
    void gexTable_DataError(platform::GridDataError &error);
    // The caption of the column being edited, else of the current one.
    QString CampoInModifica() const;
    // The refused value's cell, still being edited, shows the stored value again.
    void RipristinaCella();
    // Writes the pending row before the window closes; see reject().
    bool SalvaPrimaDiChiudere();

    Action m_action = Action::None;
    // A message is on screen: the errors it causes (its box takes the focus
    // from the cell being edited, which tries its value again) are not shown.
    bool m_reporting = false;
    // Closing: a refused row is not reported, its description is kept for
    // the question.
    bool m_closing = false;
    QString m_closeError;
};

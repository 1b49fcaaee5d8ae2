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
// losing nothing else. One table can be chosen per opening of the window.
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
    static QString ValueErrorText(const QString &description);

    QWidget *picBottom = nullptr;
    QLabel *lblTabella = nullptr;
    QComboBox *cmbTables = nullptr;
    platform::Grid *gexTable = nullptr;

public slots:
    // Closing writes the row being edited first; when that is refused the
    // window stays open with the row pending.
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

    Action m_action = Action::None;
};

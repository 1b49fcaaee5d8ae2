#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;

// The look the label designer's item dialogs share: a white title band
// with a title and a subtitle, one captioned input, and the buttons "OK"
// and "Annulla". OK accepts the dialog, "Annulla" and Esc reject it.
class DialogoVoceEtichetta : public QDialog
{
    Q_OBJECT

public:
    DialogoVoceEtichetta(const QString &caption, const QString &title, const QString &subtitle,
                         const QString &inputCaption, QWidget *input, QWidget *parent = nullptr);

    // The input the dialog was made with.
    QWidget *input() const { return m_input; }

    // For the list dialogs: fills the list and selects entry `row` (a row
    // number as text; nothing is selected when it is empty or no entry),
    // shows the dialog modally and answers the entry selected when OK was
    // pressed, -1 when none was or the user cancelled.
    int ScegliRiga(const QStringList &entries, const QString &row);
    // The same in a fresh dialog of type Dialog over a table whose rows
    // show their `mostrato` text.
    template <typename Dialog, typename Table>
    static int ScegliRiga(const Table &table, const QString &row, QWidget *parent)
    {
        Dialog dialog(parent);
        QStringList entries;
        for (const auto &entry : table)
            entries << entry.mostrato.toString();
        return dialog.ScegliRiga(entries, row);
    }

    QLabel *lblTitolo = nullptr;
    QLabel *lblSottotitolo = nullptr;
    QLabel *lblCampo = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    QWidget *m_input;
};

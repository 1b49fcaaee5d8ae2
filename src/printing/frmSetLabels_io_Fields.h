#pragma once

#include "printing/DialogoVoceEtichetta.h"

#include <QString>

#include <array>

class QComboBox;

namespace platform::report {
struct ReportControl;
}

// Which article value a data field of the label designer prints.
class frmSetLabels_io_Fields : public DialogoVoceEtichetta
{
    Q_OBJECT

public:
    // One entry of the list: the text shown, the field of the label record
    // the item is bound to, its text in the designer, its output format.
    struct Campo {
        QStringView mostrato;
        QStringView campo;
        QStringView segnaposto;
        QStringView formato;
    };
    static const std::array<Campo, 10> Campi;

    // The choice: the row (-1 when none was made or the user cancelled)
    // and, for a row, its field, placeholder text and format.
    struct Scelta {
        int riga = -1;
        QString campo;
        QString segnaposto;
        QString formato;
    };

    explicit frmSetLabels_io_Fields(QWidget *parent = nullptr);

    // Shows the list with entry `Row` selected (the row number a field item
    // keeps in its Tag; nothing selected when empty) and answers the choice.
    static Scelta Edita(const QString &Row, QWidget *parent = nullptr);
    // Binds the item to the chosen row; false (the item unchanged) when no
    // row was chosen.
    static bool Applica(platform::report::ReportControl &item, const Scelta &scelta);

    QComboBox *cmbFields;
};

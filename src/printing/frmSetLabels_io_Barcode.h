#pragma once

#include "platform/report/ReportEnums.h"
#include "printing/DialogoVoceEtichetta.h"

#include <QString>

#include <array>

class QComboBox;

namespace platform::report {
struct ReportControl;
}

// The symbology of a barcode item of the label designer; the barcode
// always encodes the article code.
class frmSetLabels_io_Barcode : public DialogoVoceEtichetta
{
    Q_OBJECT

public:
    struct Codice {
        QStringView mostrato;
        platform::report::BarcodeStyle stile;
    };
    static const std::array<Codice, 13> Codici;

    // The choice: the row (-1 when none was made or the user cancelled)
    // and its style.
    struct Scelta {
        int riga = -1;
        platform::report::BarcodeStyle stile = platform::report::BarcodeStyle::None;
    };

    explicit frmSetLabels_io_Barcode(QWidget *parent = nullptr);

    // Shows the list with entry `Row` selected (the row number a barcode
    // item keeps in its Tag; nothing selected when empty) and answers the
    // choice.
    static Scelta Edita(const QString &Row, QWidget *parent = nullptr);
    // Gives the item the chosen style, bound to the article code, with the
    // caption "123" below the bars; false (the item unchanged) when no row
    // was chosen.
    static bool Applica(platform::report::ReportControl &item, const Scelta &scelta);

    QComboBox *cmbFields;
};

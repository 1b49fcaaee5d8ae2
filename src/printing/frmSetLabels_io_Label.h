#pragma once

#include "printing/DialogoVoceEtichetta.h"

class QLineEdit;

namespace platform::report {
struct ReportControl;
}

// The fixed text of a text item of the label designer.
class frmSetLabels_io_Label : public DialogoVoceEtichetta
{
    Q_OBJECT

public:
    explicit frmSetLabels_io_Label(QWidget *parent = nullptr);

    // Shows the dialog modally with `Text` in the box; answers the text
    // typed when OK was pressed, empty text for "Annulla" (which the caller
    // takes as a cancel).
    static QString Edita(const QString &Text, QWidget *parent = nullptr);
    // Gives the item a non-empty result as its caption; false (the item
    // unchanged) for an empty one.
    static bool Applica(platform::report::ReportControl &item, const QString &result);

    // What the dialog says of a text the label layout cannot keep (see
    // LayoutEtichetta::TestoAccettabile); empty for one it can.
    static QString TestoRifiutato(const QString &text);

    QLineEdit *Text1;

protected:
    // OK takes only a text the label layout can keep: another one is told
    // and the dialog stays open with it.
    void accept() override;
};

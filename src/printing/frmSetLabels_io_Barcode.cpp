#include "printing/frmSetLabels_io_Barcode.h"

#include "platform/report/ReportControl.h"

#include <QComboBox>

using platform::report::BarcodeStyle;

const std::array<frmSetLabels_io_Barcode::Codice, 13> frmSetLabels_io_Barcode::Codici{{
    {u"Ansi39", BarcodeStyle::Ansi39},
    {u"Ansi39X", BarcodeStyle::Ansi39X},
    {u"Code39", BarcodeStyle::Code39},
    {u"Code39X", BarcodeStyle::Code39X},
    {u"Code_128auto", BarcodeStyle::Code128Auto},
    {u"Code93", BarcodeStyle::Code93},
    {u"Code93X", BarcodeStyle::Code93X},
    {u"Codabar", BarcodeStyle::Codabar},
    {u"EAN_8", BarcodeStyle::Ean8},
    {u"EAN_13", BarcodeStyle::Ean13},
    {u"Interleaved 2/5", BarcodeStyle::Interleaved2of5},
    {u"Code_128A", BarcodeStyle::Code128A},
    {u"Code_128B", BarcodeStyle::Code128B},
}};

frmSetLabels_io_Barcode::frmSetLabels_io_Barcode(QWidget *parent)
    : DialogoVoceEtichetta(QStringLiteral("Codice a Barre"), QStringLiteral("Codice a barre (Articoli)"),
                           QStringLiteral("Selezionare il tipo di codice a barre da associare al codice articolo"),
                           QStringLiteral("Codice a barre:"), new QComboBox, parent),
      cmbFields(static_cast<QComboBox *>(input()))
{
    setObjectName(QStringLiteral("frmSetLabels_io_Barcode"));
    cmbFields->setObjectName(QStringLiteral("cmbFields"));
}

frmSetLabels_io_Barcode::Scelta frmSetLabels_io_Barcode::Edita(const QString &Row, QWidget *parent)
{
    Scelta scelta;
    scelta.riga = DialogoVoceEtichetta::ScegliRiga<frmSetLabels_io_Barcode>(Codici, Row, parent);
    if (scelta.riga >= 0)
        scelta.stile = Codici[static_cast<size_t>(scelta.riga)].stile;
    return scelta;
}

bool frmSetLabels_io_Barcode::Applica(platform::report::ReportControl &item, const Scelta &scelta)
{
    if (scelta.riga < 0)
        return false;
    item.barcodeStyle = scelta.stile;
    item.dataField = QStringLiteral("Codice");
    item.tag = QString::number(scelta.riga);
    item.captionPosition = platform::report::BarcodeCaption::Below;
    item.caption = QStringLiteral("123");
    return true;
}

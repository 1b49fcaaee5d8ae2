#include "printing/frmSetLabels_io_Fields.h"

#include "platform/report/ReportControl.h"

#include <QComboBox>

const std::array<frmSetLabels_io_Fields::Campo, 10> frmSetLabels_io_Fields::Campi{{
    {u"Codice articolo", u"Codice", u"txtCodice_articolo", u""},
    {u"Descrizione articolo", u"Descrizione", u"txtDescrizione_articolo", u""},
    // Five digits with leading zeros, blank for zero or no supplier.
    {u"Codice fornitore", u"CodiceFornitore", u"txtCodice_fornitore", u"00000;;\\ ;\\ "},
    {u"Nome fornitore", u"Fornitore", u"txtNome_fornitore", u""},
    {u"Codice articolo fornitore", u"CodiceArtFor", u"txtCod_art_fornitore", u""},
    // Amounts keep a digit before the decimal point: a price of 0.24 reads
    // "0,24" on a shelf label, not ",24".
    {u"Prezzo di vendita (2 decimali)", u"Prezzo", u"txtPrezzo_vend_2dec", u"#,##0.00"},
    {u"Prezzo di vendita (4 decimali)", u"Prezzo", u"txtPrezzo_vend_4dec", u"#,##0.0000"},
    {u"IVA", u"Aliquota", u"txtIVA", u"#,##0.00"},
    {u"Prezzo di vendita ivato (2 decimali)", u"PrezzoIvato", u"txtPrezzo_vend_iva_2dec", u"#,##0.00"},
    {u"Prezzo di vendita ivato (4 decimali)", u"PrezzoIvato", u"txtPrezzo_vend_iva_4dec", u"#,##0.0000"},
}};

frmSetLabels_io_Fields::frmSetLabels_io_Fields(QWidget *parent)
    : DialogoVoceEtichetta(QStringLiteral("Campi"), QStringLiteral("Campi"),
                           QStringLiteral("Selezionare il campo da inserire"), QStringLiteral("Campo:"),
                           new QComboBox, parent),
      cmbFields(static_cast<QComboBox *>(input()))
{
    setObjectName(QStringLiteral("frmSetLabels_io_Fields"));
    cmbFields->setObjectName(QStringLiteral("cmbFields"));
}

frmSetLabels_io_Fields::Scelta frmSetLabels_io_Fields::Edita(const QString &Row, QWidget *parent)
{
    Scelta scelta;
    scelta.riga = DialogoVoceEtichetta::ScegliRiga<frmSetLabels_io_Fields>(Campi, Row, parent);
    if (scelta.riga >= 0) {
        const Campo &c = Campi[static_cast<size_t>(scelta.riga)];
        scelta.campo = c.campo.toString();
        scelta.segnaposto = c.segnaposto.toString();
        scelta.formato = c.formato.toString();
    }
    return scelta;
}

bool frmSetLabels_io_Fields::Applica(platform::report::ReportControl &item, const Scelta &scelta)
{
    if (scelta.riga < 0)
        return false;
    item.text = scelta.segnaposto;
    item.dataField = scelta.campo;
    item.tag = QString::number(scelta.riga);
    if (!scelta.formato.isEmpty())
        item.outputFormat = scelta.formato;
    return true;
}

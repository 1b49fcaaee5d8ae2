#include "records/frm_io_IVA.h"

#include "platform/data/Recordset.h"
#include "records/FiltriTesto.h"
#include "shell/MainModule.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::Variant;

frm_io_IVA::frm_io_IVA(QWidget *parent)
    : FinestraRecord({QStringLiteral("CodiciIVA"), QStringLiteral("CodiceIVA"), QStringLiteral("CodiceIVA")},
                     QStringLiteral("Codici IVA"), parent)
{
    setObjectName(QStringLiteral("frm_io_IVA"));
    const QStringList captions{QStringLiteral("Codice:"), QStringLiteral("Descrizione:"), QStringLiteral("Aliquota:")};
    const QStringList fields{QStringLiteral("CodiceIVA"), QStringLiteral("Descrizione"), QStringLiteral("Aliquota")};
    for (int i = 0; i < 3; ++i) {
        txtData[i] = new QLineEdit(this);
        txtData[i]->setObjectName(QStringLiteral("txtData%1").arg(i));
        lblData[i] = new QLabel(captions[i], this);
        lblData[i]->setBuddy(txtData[i]);
        Collega(txtData[i], fields[i], i == 2 ? QStringLiteral("#,#.00") : QString());
    }
    Obbligatorio(txtData[0]);
    ComeCodice(txtData[0]);
    FiltriTesto::Decimale(txtData[2]);
    txtData[1]->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    chkData[0] = new QCheckBox(QStringLiteral("Esenzione"), this);
    chkData[0]->setObjectName(QStringLiteral("chkData0"));
    chkData[1] = new QCheckBox(QStringLiteral("Predefinito"), this);
    chkData[1]->setObjectName(QStringLiteral("chkData1"));
    Collega(chkData[0], QStringLiteral("Esenzione"));
    Collega(chkData[1], QStringLiteral("Predefinito"));
    connect(chkData[0], &QCheckBox::toggled, this, [this](bool exempt) { AbilitaAliquota(!exempt); });

    auto *form = new QFormLayout;
    form->addRow(lblData[0], txtData[0]);
    form->addRow(lblData[1], txtData[1]);
    form->addRow(QString(), chkData[0]);
    form->addRow(lblData[2], txtData[2]);
    form->addRow(QString(), chkData[1]);
    Contenuto()->addLayout(form);

    OrdineTab({txtData[0], txtData[1], chkData[0], txtData[2], chkData[1], cmdSalva(), cmdAnnulla()});
}

Variant frm_io_IVA::Nuovo(int modal)
{
    return ApriNuovo(modal);
}

Variant frm_io_IVA::Apri(const QString &codiceIVA, int modal)
{
    return ApriEsistente(codiceIVA, modal);
}

void frm_io_IVA::ValoriNuovo(platform::Recordset &record)
{
    record.setValue(QStringLiteral("Esenzione"), false);
    record.setValue(QStringLiteral("Predefinito"), false);
}

void frm_io_IVA::Imposta()
{
    // Articles store the code: it cannot change once saved.
    txtData[0]->setEnabled(Modo() == ModoNuovo);
    AbilitaAliquota(!chkData[0]->isChecked());
}

void frm_io_IVA::AbilitaAliquota(bool enabled)
{
    lblData[2]->setEnabled(enabled);
    txtData[2]->setEnabled(enabled);
    if (!enabled && rs()) {
        ImpostaValore(QStringLiteral("Aliquota"), 0.0);
        txtData[2]->setText(QStringLiteral("0"));
    }
}

bool frm_io_IVA::InvioAvanza(const QWidget *control) const
{
    return control == chkData[0] || control == chkData[1] || FinestraRecord::InvioAvanza(control);
}

void frm_io_IVA::SalvaAltro(platform::Connection &connection)
{
    if (!chkData[1]->isChecked())
        return;
    connection.execute(
        QStringLiteral("UPDATE CodiciIVA SET CodiciIVA.Predefinito = False WHERE CodiciIVA.CodiceIVA<>?"),
        {Valore(QStringLiteral("CodiceIVA"))});
}

void frm_io_IVA::DopoSalvataggio()
{
    if (chkData[1]->isChecked())
        MainModule::DefaultCodiceIVA = Risultato().toString();
}

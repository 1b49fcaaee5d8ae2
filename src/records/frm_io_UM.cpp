#include "records/frm_io_UM.h"

#include "platform/data/Recordset.h"
#include "records/FiltriTesto.h"
#include "shell/MainModule.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using platform::Variant;

frm_io_UM::frm_io_UM(QWidget *parent)
    : FinestraRecord({QStringLiteral("Liste"), QStringLiteral("Id"), QStringLiteral("Codice")},
                     QStringLiteral("Unità di Misura"), parent)
{
    setObjectName(QStringLiteral("frm_io_UM"));
    auto *form = new QFormLayout;
    const QStringList captions{QStringLiteral("Codice:"), QStringLiteral("Descrizione:")};
    const QStringList fields{QStringLiteral("Codice"), QStringLiteral("Descrizione")};
    for (int i = 0; i < 2; ++i) {
        txtData[i] = new QLineEdit(this);
        txtData[i]->setObjectName(QStringLiteral("txtData%1").arg(i));
        lblData[i] = new QLabel(captions[i], this);
        lblData[i]->setBuddy(txtData[i]);
        form->addRow(lblData[i], txtData[i]);
        Collega(txtData[i], fields[i]);
    }
    FiltriTesto::Codice(txtData[0]);
    chkData[0] = new QCheckBox(QStringLiteral("Predefinito"), this);
    chkData[0]->setObjectName(QStringLiteral("chkData0"));
    form->addRow(QString(), chkData[0]);
    Collega(chkData[0], QStringLiteral("Predefinito"));
    Contenuto()->addLayout(form);

    setTabOrder(txtData[0], txtData[1]);
    setTabOrder(txtData[1], chkData[0]);
    setTabOrder(chkData[0], cmdSalva());
    setTabOrder(cmdSalva(), cmdAnnulla());
}

Variant frm_io_UM::Nuovo(int modal)
{
    return ApriNuovo(modal);
}

Variant frm_io_UM::Apri(std::int32_t id, int modal)
{
    return ApriEsistente(id, modal);
}

void frm_io_UM::ValoriNuovo(platform::Recordset &record)
{
    record.setValue(QStringLiteral("Chiave"), QStringLiteral("um"));
    record.setValue(QStringLiteral("Predefinito"), false);
}

void frm_io_UM::Imposta()
{
    // A unit's code is what articles store: it cannot change once saved.
    txtData[0]->setEnabled(Modo() == ModoNuovo);
}

bool frm_io_UM::Convalida(QWidget *control)
{
    // The code is what articles store.
    return control != txtData[0] || !txtData[0]->text().trimmed().isEmpty();
}

bool frm_io_UM::InvioAvanza(const QWidget *control) const
{
    return control == chkData[0] || FinestraRecord::InvioAvanza(control);
}

void frm_io_UM::SalvaAltro(platform::Connection &connection)
{
    if (!chkData[0]->isChecked())
        return;
    connection.execute(QStringLiteral("UPDATE Liste SET Liste.Predefinito = False WHERE Liste.Id<>? AND Chiave='um'"),
                       {Valore(QStringLiteral("Id"))});
}

void frm_io_UM::DopoSalvataggio()
{
    if (chkData[0]->isChecked())
        MainModule::DefaultUM = txtData[0]->text();
}

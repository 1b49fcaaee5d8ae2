#include "printing/frmValorizzazione.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <memory>

frmValorizzazione::frmValorizzazione(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Valorizzazione"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto *frame = new QGroupBox(QStringLiteral("Valorizzare le Giacenze a"), this);
    auto *scelte = new QVBoxLayout(frame);
    optval[0] = new QRadioButton(QStringLiteral("Costo ultimo"), frame);
    optval[1] = new QRadioButton(QStringLiteral("Costo medio"), frame);
    for (QRadioButton *opt : optval)
        scelte->addWidget(opt);
    optval[0]->setChecked(true);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdAnnulla = new QPushButton(QStringLiteral("Annulla"), this);
    // Enter chooses nothing: only a click (or Space) on a button does.
    for (QPushButton *button : {cmdOK, cmdAnnulla}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    auto *pulsanti = new QHBoxLayout;
    pulsanti->addStretch();
    pulsanti->addWidget(cmdOK);
    pulsanti->addWidget(cmdAnnulla);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(pulsanti);
    setFixedSize(sizeHint());

    connect(cmdOK, &QPushButton::clicked, this, &frmValorizzazione::cmdOK_Click);
    connect(cmdAnnulla, &QPushButton::clicked, this, &frmValorizzazione::cmdAnnulla_Click);
}

std::int32_t frmValorizzazione::Apri(QWidget *owner)
{
    const auto dialog = std::make_unique<frmValorizzazione>(owner);
    dialog->optval[0]->setFocus();
    dialog->exec();
    return dialog->Risultato();
}

void frmValorizzazione::reject()
{
    cmdAnnulla_Click();
}

void frmValorizzazione::cmdOK_Click()
{
    m_Risultato = optval[0]->isChecked() ? CostoUltimo : CostoMedio;
    QDialog::accept();
}

void frmValorizzazione::cmdAnnulla_Click()
{
    m_Risultato = Annulla;
    QDialog::reject();
}

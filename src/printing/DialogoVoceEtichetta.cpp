#include "printing/DialogoVoceEtichetta.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

DialogoVoceEtichetta::DialogoVoceEtichetta(const QString &caption, const QString &title, const QString &subtitle,
                                           const QString &inputCaption, QWidget *input, QWidget *parent)
    : QDialog(parent), m_input(input)
{
    setWindowTitle(caption);
    setModal(true);

    auto *band = new QFrame(this);
    band->setObjectName(QStringLiteral("fraTitolo"));
    band->setAutoFillBackground(true);
    QPalette white = band->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    band->setPalette(white);
    band->setFrameShape(QFrame::StyledPanel);
    lblTitolo = new QLabel(title, band);
    lblTitolo->setObjectName(QStringLiteral("lblTitolo"));
    QFont bold = lblTitolo->font();
    bold.setBold(true);
    lblTitolo->setFont(bold);
    lblSottotitolo = new QLabel(subtitle, band);
    lblSottotitolo->setObjectName(QStringLiteral("lblSottotitolo"));
    lblSottotitolo->setWordWrap(true);
    auto *bandLayout = new QVBoxLayout(band);
    bandLayout->addWidget(lblTitolo);
    bandLayout->addWidget(lblSottotitolo);

    lblCampo = new QLabel(inputCaption, this);
    lblCampo->setObjectName(QStringLiteral("lblCampo"));
    lblCampo->setBuddy(input);
    input->setParent(this);
    input->setMinimumWidth(fontMetrics().averageCharWidth() * 40);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Annulla"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *form = new QGridLayout;
    form->addWidget(lblCampo, 0, 0);
    form->addWidget(input, 0, 1);
    form->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(band);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setTabOrder(input, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    input->setFocus();
}

int DialogoVoceEtichetta::ScegliRiga(const QStringList &entries, const QString &row)
{
    auto *list = qobject_cast<QComboBox *>(m_input);
    list->clear();
    list->addItems(entries);
    bool number = false;
    const int preselected = row.trimmed().toInt(&number);
    list->setCurrentIndex(number && preselected >= 0 && preselected < entries.size() ? preselected : -1);
    if (exec() != QDialog::Accepted)
        return -1;
    return list->currentIndex();
}

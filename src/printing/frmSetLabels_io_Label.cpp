#include "printing/frmSetLabels_io_Label.h"

#include "platform/report/ReportControl.h"

#include <QLineEdit>

frmSetLabels_io_Label::frmSetLabels_io_Label(QWidget *parent)
    : DialogoVoceEtichetta(QStringLiteral("Testo"), QStringLiteral("Testo"),
                           QStringLiteral("Inserire il testo da visualizzare"), QStringLiteral("Testo:"),
                           new QLineEdit, parent),
      Text1(static_cast<QLineEdit *>(input()))
{
    setObjectName(QStringLiteral("frmSetLabels_io_Label"));
    Text1->setObjectName(QStringLiteral("Text1"));
}

QString frmSetLabels_io_Label::Edita(const QString &Text, QWidget *parent)
{
    frmSetLabels_io_Label dialog(parent);
    dialog.Text1->setText(Text);
    dialog.Text1->selectAll();
    return dialog.exec() == QDialog::Accepted ? dialog.Text1->text() : QString();
}

bool frmSetLabels_io_Label::Applica(platform::report::ReportControl &item, const QString &result)
{
    if (result.isEmpty())
        return false;
    item.caption = result;
    return true;
}

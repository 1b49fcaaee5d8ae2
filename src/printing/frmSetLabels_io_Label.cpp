#include "printing/frmSetLabels_io_Label.h"

#include "platform/desktop/DesktopServices.h"
#include "platform/report/ReportControl.h"
#include "printing/LayoutEtichetta.h"
#include "shell/MainModule.h"

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

QString frmSetLabels_io_Label::TestoRifiutato(const QString &text)
{
    if (text.size() > LayoutEtichetta::MaxTesto)
        return QStringLiteral("Il testo è troppo lungo: al massimo %1 caratteri (ne contiene %2).")
            .arg(LayoutEtichetta::MaxTesto)
            .arg(text.size());
    if (!LayoutEtichetta::TestoAccettabile(text))
        return QStringLiteral("Il testo contiene caratteri non validi.");
    return QString();
}

void frmSetLabels_io_Label::accept()
{
    const QString rifiuto = TestoRifiutato(Text1->text());
    if (rifiuto.isEmpty()) {
        DialogoVoceEtichetta::accept();
        return;
    }
    platform::desktop().msgBox(rifiuto, platform::vbExclamation | platform::vbOKOnly, MainModule::ApplicationTitle);
    Text1->setFocus(Qt::OtherFocusReason);
}

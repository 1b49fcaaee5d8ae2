#include "common/comfrmPrintProgress.h"

#include "common/comTwipsRect.h"
#include "platform/desktop/WindowPlacement.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {

QPointer<comfrmPrintProgress> &sharedInstance()
{
    static QPointer<comfrmPrintProgress> instance;
    return instance;
}

} // namespace

comfrmPrintProgress &comfrmPrintProgress::Carica()
{
    QPointer<comfrmPrintProgress> &instance = sharedInstance();
    if (!instance)
        instance = new comfrmPrintProgress;
    return *instance;
}

comfrmPrintProgress *comfrmPrintProgress::Corrente()
{
    return sharedInstance().data();
}

void comfrmPrintProgress::Scarica()
{
    delete sharedInstance().data();
}

comfrmPrintProgress::comfrmPrintProgress(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("comfrmPrintProgress"));
    setWindowTitle(QStringLiteral("Stampa"));
    setModal(false);
    setFixedSize(comTwipsRect(0, 0, 5175, 1620).size());
    platform::keepOnScreen(this);

    // Three lines one under the other: the printer, a page line kept empty,
    // and what the job is doing.
    const auto line = [this](const char *name, int top) {
        auto *label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(comTwipsRect(120, top, 4935, 255));
        label->setTextFormat(Qt::PlainText);
        return label;
    };
    lblPrintWhere = line("lblPrintWhere", 120);
    lblPage = line("lblPage", 435);
    lblPercent = line("lblPercent", 750);

    cmdCancel = new QPushButton(QStringLiteral("Annulla"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(comTwipsRect(1920, 1125, 1335, 375));
    cmdCancel->setAutoDefault(false);

    connect(cmdCancel, &QPushButton::clicked, this, &comfrmPrintProgress::cmdCancel_Click);
}

comfrmPrintProgress::~comfrmPrintProgress() = default;

void comfrmPrintProgress::reject()
{
    cmdCancel_Click();
}

void comfrmPrintProgress::cmdCancel_Click()
{
    // The print job sees the flag before its next page; the window itself
    // stays loaded until the print call has returned.
    Cancelled = true;
    hide();
}

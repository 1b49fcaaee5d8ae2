#include "common/comfrmSendError.h"

#include "common/comProgramInfo.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Twips.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

// A rectangle given in twips, in pixels.
QRect twipsRect(int left, int top, int width, int height)
{
    using platform::twipsToPixels;
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

const char *const CaptionTexts[5] = {"Codice:", "Descrizione:", "Sorgente:", "Modulo:", "Routine:"};

// Tops and heights of the five rows, in twips; the description is two lines tall.
constexpr int RowTop[5] = {1005, 1335, 1920, 2250, 2580};
constexpr int RowHeight[5] = {255, 510, 255, 255, 255};

constexpr int IndexCodice = 0;
constexpr int IndexDescrizione = 1;
constexpr int IndexSorgente = 2;
constexpr int IndexModulo = 3;
constexpr int IndexRoutine = 4;

// The details row below the five, two lines tall, and how much taller the
// dialog grows to show it.
constexpr int DettagliTop = 2910;
constexpr int DettagliHeight = 510;
constexpr int DettagliGrowth = 585;
constexpr int DialogWidth = 6480;
constexpr int DialogHeight = 3675;
constexpr int ButtonTop = 3150;

} // namespace

comfrmSendError::comfrmSendError(QWidget *parent) : QDialog(parent)
{
    setFixedSize(twipsRect(0, 0, DialogWidth, DialogHeight).size());
    platform::keepOnScreen(this);

    // The banner: a white band with the error icon and the heading.
    auto *picBanner = new QFrame(this);
    picBanner->setGeometry(twipsRect(0, 0, 6480, 810));
    picBanner->setAutoFillBackground(true);
    picBanner->setBackgroundRole(QPalette::Base);
    auto *imgIcon = new QLabel(picBanner);
    imgIcon->setGeometry(twipsRect(165, 165, 480, 480));
    imgIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(imgIcon->size()));
    lblTitle = new QLabel(picBanner);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(twipsRect(840, 240, 5400, 330));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() + 2);
    lblTitle->setFont(titleFont);
    auto *linBanner = new QFrame(this);
    linBanner->setGeometry(twipsRect(0, 810, 6480, 30));
    linBanner->setFrameShape(QFrame::HLine);
    linBanner->setFrameShadow(QFrame::Sunken);

    for (int i = 0; i < 5; ++i) {
        Label1[i] = new QLabel(QString::fromUtf8(CaptionTexts[i]), this);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Label1[i]->setGeometry(twipsRect(120, RowTop[i], 1320, 255));
        Label1[i]->setAlignment(Qt::AlignRight | Qt::AlignTop);

        lblValue[i] = new QLabel(this);
        lblValue[i]->setObjectName(QStringLiteral("lblValue_%1").arg(i));
        lblValue[i]->setGeometry(twipsRect(1560, RowTop[i], 4800, RowHeight[i]));
        lblValue[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        lblValue[i]->setTextFormat(Qt::PlainText);
    }
    // Two whole lines of the description; a longer one is cut at a line
    // boundary rather than showing half a third line.
    QLabel *description = lblValue[IndexDescrizione];
    description->setWordWrap(true);
    description->setFixedHeight(qMin(description->height(), 2 * description->fontMetrics().lineSpacing()));

    lblDettagliCaption = new QLabel(QStringLiteral("Dettagli:"), this);
    lblDettagliCaption->setObjectName(QStringLiteral("lblDettagliCaption"));
    lblDettagliCaption->setGeometry(twipsRect(120, DettagliTop, 1320, 255));
    lblDettagliCaption->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lblDettagli = new QLabel(this);
    lblDettagli->setObjectName(QStringLiteral("lblDettagli"));
    lblDettagli->setGeometry(twipsRect(1560, DettagliTop, 4800, DettagliHeight));
    lblDettagli->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDettagli->setTextFormat(Qt::PlainText);
    lblDettagli->setWordWrap(true);
    lblDettagli->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblDettagliCaption->hide();
    lblDettagli->hide();

    cmdSend = new QPushButton(QStringLiteral("Inviare"), this);
    cmdSend->setObjectName(QStringLiteral("cmdSend"));
    cmdSend->setGeometry(twipsRect(3405, ButtonTop, 1455, 375));
    cmdSend->setDefault(true);
    cmdNoSend = new QPushButton(QStringLiteral("Non inviare"), this);
    cmdNoSend->setObjectName(QStringLiteral("cmdNoSend"));
    cmdNoSend->setGeometry(twipsRect(4905, ButtonTop, 1455, 375));
    setTabOrder(cmdSend, cmdNoSend);
    cmdSend->setFocus();

    connect(cmdSend, &QPushButton::clicked, this, &comfrmSendError::cmdSend_Click);
    connect(cmdNoSend, &QPushButton::clicked, this, &comfrmSendError::cmdNoSend_Click);
    // Esc and the window's close box close the dialog without sending, as
    // "Non inviare" does (QDialog::reject).
}

comfrmSendError::~comfrmSendError() = default;

void comfrmSendError::Apri(const QString &Caption, const QString &Title, std::int32_t Number,
                           const QString &Description, const QString &Routine, const QString &Module,
                           const QString &Source)
{
    comfrmSendError dialog;
    dialog.Carica(Caption, Title, Number, Description, Routine, Module, Source);
    dialog.exec();
}

void comfrmSendError::Apri(const QString &Caption, const QString &Title, const platform::RuntimeError &error,
                           const QString &Routine, const QString &Module)
{
    comfrmSendError dialog;
    dialog.Carica(Caption, Title, error.number(), error.description(), Routine, Module, error.source());
    dialog.CaricaDettagli(error.detail());
    dialog.exec();
}

void comfrmSendError::CaricaDettagli(const QString &details)
{
    const bool show = !details.isEmpty();
    lblDettagli->setText(details);
    lblDettagliCaption->setVisible(show);
    lblDettagli->setVisible(show);
    const int growth = show ? DettagliGrowth : 0;
    setFixedSize(twipsRect(0, 0, DialogWidth, DialogHeight + growth).size());
    cmdSend->move(cmdSend->x(), platform::twipsToPixels(ButtonTop + growth));
    cmdNoSend->move(cmdNoSend->x(), platform::twipsToPixels(ButtonTop + growth));
}

void comfrmSendError::Carica(const QString &Caption, const QString &Title, std::int32_t Number,
                             const QString &Description, const QString &Routine, const QString &Module,
                             const QString &Source)
{
    setWindowTitle(Caption);
    lblTitle->setText(Title);
    lblValue[IndexCodice]->setText(QString::number(Number));
    lblValue[IndexDescrizione]->setText(Description);
    lblValue[IndexSorgente]->setText(Source);
    lblValue[IndexModulo]->setText(Module);
    lblValue[IndexRoutine]->setText(Routine);
}

QString comfrmSendError::MailSubject() const
{
    return Subject(comProgramInfo::ApplicationTitle, comProgramInfo::VersionText());
}

QString comfrmSendError::MailBody() const
{
    QString body = Body(lblValue[IndexCodice]->text(), lblValue[IndexDescrizione]->text(),
                        lblValue[IndexSorgente]->text(), lblValue[IndexModulo]->text(), lblValue[IndexRoutine]->text());
    if (!lblDettagli->text().isEmpty())
        body += QStringLiteral("\r\nDettagli: ") + lblDettagli->text().left(MaxDescriptionLength);
    return body;
}

QString comfrmSendError::Subject(const QString &applicationTitle, const QString &version)
{
    return QStringLiteral("_err_app ") + applicationTitle + u' ' + version;
}

QString comfrmSendError::Body(const QString &number, const QString &description, const QString &source,
                              const QString &module, const QString &routine)
{
    QString shortDescription = description;
    if (shortDescription.size() > MaxDescriptionLength) {
        qsizetype cut = MaxDescriptionLength;
        // Never split a character made of two UTF-16 units.
        if (shortDescription.at(cut - 1).isHighSurrogate())
            --cut;
        shortDescription.truncate(cut);
    }
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Codice: ") + number + crlf + QStringLiteral("Descrizione: ") + shortDescription + crlf
        + QStringLiteral("Sorgente: ") + source + crlf + QStringLiteral("Modulo: ") + module + crlf
        + QStringLiteral("Routine: ") + routine;
}

QByteArray comfrmSendError::EncodeUrl(const QString &text)
{
    return QUrl::toPercentEncoding(text);
}

QUrl comfrmSendError::MailToUrl(const QString &To, const QString &CC, const QString &BCC, const QString &Subject,
                                const QString &Body)
{
    QByteArray parameters;
    const auto add = [&parameters](const char *name, const QString &value) {
        if (value.isEmpty())
            return;
        parameters += '&';
        parameters += name;
        parameters += '=';
        parameters += EncodeUrl(value);
    };
    add("CC", CC);
    add("BCC", BCC);
    add("Subject", Subject);
    add("Body", Body);
    if (!parameters.isEmpty())
        parameters[0] = '?';
    // The address keeps its "@"; anything else unusual in it is encoded too.
    return QUrl::fromEncoded(QByteArrayLiteral("mailto:") + QUrl::toPercentEncoding(To, "@") + parameters,
                             QUrl::StrictMode);
}

void comfrmSendError::OpenMailTo(const QString &To, const QString &CC, const QString &BCC, const QString &Subject,
                                 const QString &Body)
{
    // Without a mail program nothing happens, and the dialog closes all the same.
    platform::desktop().openUrl(MailToUrl(To, CC, BCC, Subject, Body));
}

void comfrmSendError::cmdSend_Click()
{
    OpenMailTo(comProgramInfo::SupportMail, QString(), QString(), MailSubject(), MailBody());
    accept();
}

void comfrmSendError::cmdNoSend_Click()
{
    reject();
}

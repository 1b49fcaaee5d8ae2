#include "common/comfrmAbout.h"

#include "common/comIcone.h"
#include "common/comLinkLabel.h"
#include "common/comProgramInfo.h"
#include "platform/base/Twips.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace {

QRect twipsRect(int left, int top, int width, int height)
{
    using platform::twipsToPixels;
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

// The window's client area in twips; the splash shows it down to the
// second divider line.
constexpr int FormWidth = 5760;
constexpr int FormHeight = 4080;
constexpr int DividerY = 3000;

QPointer<comfrmAbout> &defaultInstance()
{
    static QPointer<comfrmAbout> instance;
    return instance;
}

} // namespace

comfrmAbout::comfrmAbout(QWidget *parent) : QDialog(parent)
{
    // Upper part: what the splash shows.
    imgIcon = new QLabel(this);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setGeometry(twipsRect(240, 240, 480, 480));
    imgIcon->setScaledContents(true);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(twipsRect(960, 180, 4560, 615));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(18);
    lblTitle->setFont(titleFont);

    lblCompanyName = new QLabel(this);
    lblCompanyName->setObjectName(QStringLiteral("lblCompanyName"));
    lblCompanyName->setGeometry(twipsRect(960, 960, 4560, 285));

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(twipsRect(960, 1320, 4560, 285));

    lblPathEXE = new QLabel(this);
    lblPathEXE->setObjectName(QStringLiteral("lblPathEXE"));
    lblPathEXE->setGeometry(twipsRect(240, 2520, 5280, 285));
    lblPathEXE->setTextFormat(Qt::PlainText);

    // The divider: a dark line and a light one a pixel below, an etched rule.
    for (int i = 0; i < 2; ++i) {
        linDivide[i] = new QFrame(this);
        linDivide[i]->setObjectName(QStringLiteral("linDivide_%1").arg(i));
        linDivide[i]->setGeometry(twipsRect(0, DividerY - 15 + 15 * i, FormWidth, 15));
        linDivide[i]->setAutoFillBackground(true);
        linDivide[i]->setBackgroundRole(i == 0 ? QPalette::Dark : QPalette::Light);
    }

    // Lower part: the links and the button.
    lblWeb = new comLinkLabel(this);
    lblWeb->setObjectName(QStringLiteral("lblWeb"));
    lblWeb->setGeometry(twipsRect(240, 3240, 3600, 285));
    lblWeb->setText(QUrl(comProgramInfo::WebSite).host());
    lblWeb->adjustSize();

    lblMain = new comLinkLabel(this);
    lblMain->setObjectName(QStringLiteral("lblMain"));
    lblMain->setGeometry(twipsRect(240, 3600, 3600, 285));
    lblMain->setText(comProgramInfo::InfoMail);
    lblMain->adjustSize();

    cmdOK = new QPushButton(QStringLiteral("Chiudi"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4185, 3450, 1335, 375));
    cmdOK->setDefault(true);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(lblWeb, &comLinkLabel::clicked, this, [this] { OpenLink(QUrl(comProgramInfo::WebSite)); });
    connect(lblMain, &comLinkLabel::clicked, this,
            [this] { OpenLink(QUrl(QStringLiteral("mailto:") + comProgramInfo::InfoMail)); });

    // Loading: the texts, then the full height for the About box.
    setWindowTitle(comProgramInfo::ApplicationTitle);
    lblTitle->setText(comProgramInfo::ApplicationTitle);
    lblCompanyName->setText(CompanyLine(comProgramInfo::CompanyName));
    lblVersion->setText(VersionLine(comProgramInfo::VersionMajor(), comProgramInfo::VersionMinor(),
                                    comProgramInfo::VersionRevision()));
    setFixedSize(twipsRect(0, 0, FormWidth, FormHeight).size());
    platform::keepOnScreen(this);
    m_savedHeight = height();
}

comfrmAbout::~comfrmAbout() = default;

comfrmAbout &comfrmAbout::Default()
{
    QPointer<comfrmAbout> &instance = defaultInstance();
    if (!instance) {
        instance = new comfrmAbout;
        // Gone with the application, so that no window outlives it.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { delete defaultInstance().data(); });
    }
    return *instance;
}

QString comfrmAbout::VersionLine(int major, int minor, int revision)
{
    return QStringLiteral("Versione %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString comfrmAbout::CompanyLine(const QString &companyName)
{
    if (companyName.isEmpty())
        return QString();
    return QStringLiteral("Prodotto da: ") + companyName;
}

int comfrmAbout::SplashHeight() const
{
    // The client area ends where the second divider line begins.
    return linDivide[1]->y();
}

void comfrmAbout::About(QWidget *form, const QString &text)
{
    ShowIconOf(form);
    cmdOK->setEnabled(true);
    lblPathEXE->setText(text);
    RestoreCaption();
    setFixedHeight(m_savedHeight);
    PlaceOver(form);
    cmdOK->setFocus();
    exec();
}

void comfrmAbout::SplashOn(QWidget *form, std::int32_t interval, const QString &text)
{
    if (isVisible())
        return;
    ShowIconOf(form);
    cmdOK->setEnabled(false);
    Timer1.Start(interval);
    lblPathEXE->setText(text);
    HideCaption();
    setFixedHeight(SplashHeight());
    PlaceOver(form);
    show();
}

void comfrmAbout::SplashOff()
{
    if (!isVisible())
        return;
    Timer1.WaitUntilOver();
    hide();
    RestoreCaption();
    setFixedHeight(m_savedHeight);
}

void comfrmAbout::reject()
{
    if (m_captionHidden)
        return;
    QDialog::reject();
}

void comfrmAbout::HideCaption()
{
    if (m_captionHidden)
        return;
    m_captionHidden = true;
    platform::desktop().setFrameless(this, true);
}

void comfrmAbout::RestoreCaption()
{
    if (!m_captionHidden)
        return;
    m_captionHidden = false;
    // Changing the frame hides a shown window: callers show it again.
    platform::desktop().setFrameless(this, false);
}

void comfrmAbout::ShowIconOf(QWidget *form)
{
    // A window without an icon of its own answers the application's.
    QIcon icon = form ? form->window()->windowIcon() : QApplication::windowIcon();
    if (icon.isNull())
        icon = comIcone::Programma();
    imgIcon->setPixmap(icon.pixmap(imgIcon->size()));
}

void comfrmAbout::PlaceOver(QWidget *form)
{
    QWidget *owner = form ? form->window() : nullptr;
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(width() / 2, height() / 2));
    if (owner && owner->windowHandle()) {
        winId();
        if (QWindow *window = windowHandle())
            window->setTransientParent(owner->windowHandle());
    }
}

void comfrmAbout::OpenLink(const QUrl &target)
{
    // No browser or mail program answering is not reported.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    platform::desktop().openUrl(target);
    QApplication::restoreOverrideCursor();
}

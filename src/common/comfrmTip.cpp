#include "common/comfrmTip.h"

#include "common/comIcone.h"
#include "common/comRegistry.h"
#include "common/comUtility.h"
#include "platform/base/RuntimeError.h"
#include "platform/base/Twips.h"
#include "platform/desktop/WindowPlacement.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

QRect twipsRect(int left, int top, int width, int height)
{
    using platform::twipsToPixels;
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace

comfrmTip::comfrmTip(const QString &settingsKey, const QString &programFolder, QWidget *parent)
    : QDialog(parent), m_settingsKey(settingsKey)
{
    setWindowTitle(QStringLiteral(" Suggerimento del giorno"));
    setFixedSize(twipsRect(0, 0, 6240, 3330).size());
    platform::keepOnScreen(this);

    // The white panel with the bulb, the heading and the tip.
    auto *picTip = new QFrame(this);
    picTip->setGeometry(twipsRect(120, 120, 6000, 2505));
    picTip->setFrameShape(QFrame::StyledPanel);
    picTip->setFrameShadow(QFrame::Sunken);
    picTip->setAutoFillBackground(true);
    picTip->setBackgroundRole(QPalette::Base);

    imgTip = new QLabel(picTip);
    imgTip->setObjectName(QStringLiteral("imgTip"));
    imgTip->setGeometry(twipsRect(120, 120, 480, 480));
    imgTip->setPixmap(comIcone::Lampadina(imgTip->width()));

    Label1 = new QLabel(QStringLiteral("Non tutti sanno che ..."), picTip);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(780, 180, 5040, 285));
    QFont heading = Label1->font();
    heading.setBold(true);
    Label1->setFont(heading);

    lblTipText = new QLabel(picTip);
    lblTipText->setObjectName(QStringLiteral("lblTipText"));
    lblTipText->setGeometry(twipsRect(780, 600, 5040, 1785));
    lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTipText->setWordWrap(true);
    lblTipText->setTextFormat(Qt::PlainText);

    chkLoadTipsAtStartup = new QCheckBox(QStringLiteral("&Mostra i suggerimenti all'avvio"), this);
    chkLoadTipsAtStartup->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    chkLoadTipsAtStartup->setGeometry(twipsRect(120, 2835, 3120, 315));

    cmdNextTip = new QPushButton(QStringLiteral("&Successivo"), this);
    cmdNextTip->setObjectName(QStringLiteral("cmdNextTip"));
    cmdNextTip->setGeometry(twipsRect(3345, 2805, 1335, 375));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4785, 2805, 1335, 375));
    cmdOK->setDefault(true);

    setTabOrder(cmdOK, cmdNextTip);
    setTabOrder(cmdNextTip, chkLoadTipsAtStartup);
    cmdOK->setFocus();

    connect(cmdNextTip, &QPushButton::clicked, this, &comfrmTip::PickRandomTip);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(chkLoadTipsAtStartup, &QCheckBox::toggled, this, &comfrmTip::chkLoadTipsAtStartup_Toggled);

    // Loading: ticking the box is a change like any other, so it writes 1.
    chkLoadTipsAtStartup->setChecked(true);
    const QString folder = programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder;
    if (!LoadTips(folder + u'/' + TipsFileName))
        lblTipText->setText(NotFoundText());
}

comfrmTip::~comfrmTip() = default;

void comfrmTip::ShowTip(const QString &settingsKey, const QString &programFolder)
{
    comRegistry reg;
    const platform::Variant wanted = reg.ValueEx(comRegistry::HKEY_CURRENT_USER, settingsKey, SwitchName,
                                                 comRegistry::REG_DWORD, platform::Variant(std::int32_t(1)));
    if (comUtility::IntegerOrDefault(wanted, 1) == 0)
        return;
    comfrmTip dialog(settingsKey, programFolder);
    dialog.exec();
}

bool comfrmTip::LoadTips(const QString &fileName)
{
    if (!m_tips.Load(fileName))
        return false;
    PickRandomTip();
    return true;
}

void comfrmTip::DisplayCurrentTip()
{
    if (m_tips.Count() >= 1)
        lblTipText->setText(m_tips.Tip(m_tips.Current()));
}

QString comfrmTip::NotFoundText()
{
    return QStringLiteral("File ") + TipsFileName + QStringLiteral(" non trovato.");
}

void comfrmTip::PickRandomTip()
{
    // With fewer than two tips nothing else can be shown: the tip (or the
    // "non trovato" text) stays.
    if (m_tips.PickRandom())
        DisplayCurrentTip();
}

void comfrmTip::chkLoadTipsAtStartup_Toggled(bool checked)
{
    try {
        comRegistry reg;
        reg.setValueEx(comRegistry::HKEY_CURRENT_USER, m_settingsKey, SwitchName, comRegistry::REG_DWORD,
                       platform::Variant(std::int32_t(1)), platform::Variant(std::int32_t(checked ? 1 : 0)));
    } catch (const platform::RuntimeError &) {
        // The switch simply keeps its old value.
    }
}

#include "common/comfrmTableview.h"

#include "common/comTwipsRect.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/WindowPlacement.h"
#include "platform/grid/Grid.h"
#include "platform/grid/OleColor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {

// The system's button-face colour, which the grid's group rows have when
// they are shaded.
constexpr std::uint32_t ButtonFace = 0x8000000Fu;

} // namespace

comfrmTableview::comfrmTableview(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("comfrmTableview"));
    setWindowTitle(QStringLiteral("Formatta"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(comTwipsRect(0, 0, 5400, 4425).size());
    platform::keepOnScreen(this);

    const std::array<QString, 3> captions{QStringLiteral("Intestazioni di colonna"), QStringLiteral("Righe"),
                                          QStringLiteral("Linee")};
    const std::array<int, 3> tops{120, 1410, 2700};
    const std::array<int, 3> heights{1200, 1200, 1080};
    for (size_t i = 0; i < 3; ++i) {
        fraFormat[i] = new QGroupBox(captions[i], this);
        fraFormat[i]->setObjectName(QStringLiteral("fraFormat%1").arg(i));
        fraFormat[i]->setGeometry(comTwipsRect(120, tops[i], 5160, heights[i]));
    }

    chkAutoColSize = new QCheckBox(QStringLiteral("Dimensiona automaticamente le colonne"), fraFormat[0]);
    chkAutoColSize->setObjectName(QStringLiteral("chkAutoColSize"));
    chkAutoColSize->setGeometry(comTwipsRect(180, 300, 4800, 255));

    chkAllowed = new QCheckBox(QStringLiteral("Permetti modifiche"), fraFormat[1]);
    chkAllowed->setObjectName(QStringLiteral("chkAllowed"));
    chkAllowed->setGeometry(comTwipsRect(180, 300, 2040, 255));
    chknewrow = new QCheckBox(QStringLiteral("Mostra la riga \"Nuovo\""), fraFormat[1]);
    chknewrow->setObjectName(QStringLiteral("chknewrow"));
    chknewrow->setGeometry(comTwipsRect(2340, 300, 2640, 255));

    for (size_t i = 0; i < 2; ++i) {
        lblcurrfont[i] = new QLabel(fraFormat[i]);
        lblcurrfont[i]->setObjectName(QStringLiteral("lblcurrfont%1").arg(i));
        lblcurrfont[i]->setGeometry(comTwipsRect(180, 690, 3660, 375));
        lblcurrfont[i]->setFrameShape(QFrame::Panel);
        lblcurrfont[i]->setFrameShadow(QFrame::Sunken);
        lblcurrfont[i]->setTextFormat(Qt::PlainText);
        cmdfont[i] = new QPushButton(QStringLiteral("Carattere..."), fraFormat[i]);
        cmdfont[i]->setObjectName(QStringLiteral("cmdfont%1").arg(i));
        cmdfont[i]->setGeometry(comTwipsRect(3960, 690, 1095, 375));
        cmdfont[i]->setAutoDefault(false);
        connect(cmdfont[i], &QPushButton::clicked, this, [this, i] { cmdfont_Click(static_cast<int>(i)); });
    }

    chkgrouphead = new QCheckBox(QStringLiteral("Ombreggiatura gruppi"), fraFormat[2]);
    chkgrouphead->setObjectName(QStringLiteral("chkgrouphead"));
    chkgrouphead->setGeometry(comTwipsRect(180, 300, 2640, 255));
    lblGridlines = new QLabel(QStringLiteral("Stile delle linee:"), fraFormat[2]);
    lblGridlines->setObjectName(QStringLiteral("lblGridlines"));
    lblGridlines->setGeometry(comTwipsRect(180, 675, 1455, 255));
    cboGridlines = new QComboBox(fraFormat[2]);
    cboGridlines->setObjectName(QStringLiteral("cboGridlines"));
    cboGridlines->setGeometry(comTwipsRect(1680, 630, 2160, 315));
    cboGridlines->addItem(QStringLiteral("Senza linee"), -1);
    cboGridlines->addItem(QStringLiteral("Punti"), 2);
    cboGridlines->addItem(QStringLiteral("Trattini"), 1);
    cboGridlines->addItem(QStringLiteral("Linee"), 0);
    lblGridlines->setBuddy(cboGridlines);

    // Only the fonts are written back to the grid: the other settings are
    // shown as they are and cannot be changed here.
    for (QWidget *w : std::initializer_list<QWidget *>{chkAutoColSize, chkAllowed, chknewrow, chkgrouphead,
                                                       lblGridlines, cboGridlines})
        w->setEnabled(false);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(comTwipsRect(2745, 3930, 1215, 375));
    cmdOK->setAutoDefault(false);
    cmdCancel = new QPushButton(QStringLiteral("Annulla"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(comTwipsRect(4065, 3930, 1215, 375));
    cmdCancel->setAutoDefault(false);

    setTabOrder(chkAutoColSize, cmdfont[0]);
    setTabOrder(cmdfont[0], chkAllowed);
    setTabOrder(chkAllowed, chknewrow);
    setTabOrder(chknewrow, cmdfont[1]);
    setTabOrder(cmdfont[1], chkgrouphead);
    setTabOrder(chkgrouphead, cboGridlines);
    setTabOrder(cboGridlines, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, [this] {
        m_accepted = true;
        hide();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::hide);
}

comfrmTableview::~comfrmTableview() = default;

void comfrmTableview::FormatGrid(platform::Grid &grid, QWidget *owner)
{
    comfrmTableview dialog(owner ? owner : QApplication::activeWindow());
    dialog.Fill(grid);
    dialog.cmdfont[0]->setFocus();
    dialog.exec();
    if (!dialog.Accepted())
        return;
    grid.setHeaderFont(dialog.m_fonts[0]);
    grid.setRowFont(dialog.m_fonts[1]);
}

QString comfrmTableview::FontText(const QFont &font)
{
    double points = font.pointSizeF();
    if (points <= 0 && font.pixelSize() > 0)
        points = font.pixelSize() * 72.0 / 96.0;
    return QString::number(std::lround(points)) + QStringLiteral(" pt. ") + font.family();
}

void comfrmTableview::Fill(const platform::Grid &grid)
{
    m_accepted = false;
    m_fonts[0] = grid.headerFont();
    m_fonts[1] = grid.rowFont();
    const QColor text = palette().color(QPalette::WindowText);
    m_colors[0] = grid.headerForeColor().isValid() ? grid.headerForeColor() : text;
    m_colors[1] = grid.foreColor().isValid() ? grid.foreColor() : text;
    ShowFonts();

    chknewrow->setChecked(grid.allowAddNew());
    chkAllowed->setChecked(grid.allowEdit());
    chkAutoColSize->setChecked(grid.autoSizeColumns());
    // Group rows without a colour of their own are drawn in the button face.
    const QColor group = grid.groupRowBackColor();
    chkgrouphead->setChecked(!group.isValid() || group == platform::oleColor(ButtonFace));
    const int style = static_cast<int>(grid.gridLineStyle());
    if (grid.gridLineStyle() == platform::GridLineStyle::None) {
        cboGridlines->setCurrentIndex(0);
    } else {
        for (int i = 1; i < cboGridlines->count(); ++i) {
            if (cboGridlines->itemData(i).toInt() == style) {
                cboGridlines->setCurrentIndex(i);
                break;
            }
        }
    }
}

void comfrmTableview::ShowFonts()
{
    for (size_t i = 0; i < 2; ++i) {
        QLabel *label = lblcurrfont[i];
        label->setFont(m_fonts[i]);
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, m_colors[i]);
        label->setPalette(p);
        label->setText(FontText(m_fonts[i]));
    }
}

void comfrmTableview::cmdfont_Click(int index)
{
    QFont &font = m_fonts.at(static_cast<size_t>(index));
    const std::optional<QFont> chosen = platform::desktop().chooseFont(font);
    if (!chosen)
        return;
    font.setFamily(chosen->family());
    if (chosen->pointSizeF() > 0)
        font.setPointSizeF(chosen->pointSizeF());
    else if (chosen->pixelSize() > 0)
        font.setPixelSize(chosen->pixelSize());
    font.setBold(chosen->bold());
    font.setItalic(chosen->italic());
    font.setStrikeOut(chosen->strikeOut());
    font.setUnderline(chosen->underline());
    ShowFonts();
}

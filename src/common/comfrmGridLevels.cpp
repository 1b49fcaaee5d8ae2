#include "common/comfrmGridLevels.h"

#include "common/comTwipsRect.h"
#include "platform/desktop/WindowPlacement.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

// The levels' frames, one under the other, and the buttons beside them.
constexpr int FrameLeft = 120;
constexpr int FrameTop = 60;
constexpr int FrameWidth = 3900;
constexpr int FrameHeight = 960;
constexpr int FrameStep = 1020;
constexpr int ButtonLeft = 4140;
constexpr int ButtonWidth = 1215;
constexpr int ButtonHeight = 375;
constexpr int FormWidth = ButtonLeft + ButtonWidth + 120;

} // namespace

comfrmGridLevels::comfrmGridLevels(const QString &caption, const QString &firstCaption, int extraHeight,
                                   QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(comTwipsRect(0, 0, FormWidth, LevelsBottom() + extraHeight).size());
    platform::keepOnScreen(this);

    QWidget *previous = nullptr;
    auto chain = [this, &previous](QWidget *w) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    };
    for (int i = 0; i < Levels; ++i) {
        auto *frame = new QGroupBox(i == 0 ? firstCaption : QStringLiteral("Quindi per"), this);
        frame->setObjectName(QStringLiteral("fraLevel%1").arg(i));
        frame->setGeometry(comTwipsRect(FrameLeft, FrameTop + i * FrameStep, FrameWidth, FrameHeight));
        fraLevel[static_cast<size_t>(i)] = frame;

        auto *list = new QComboBox(frame);
        list->setObjectName(QStringLiteral("cboGroups%1").arg(i));
        list->setGeometry(comTwipsRect(120, 300, 2115, 315));
        cboGroups[static_cast<size_t>(i)] = list;
        chain(list);

        auto *up = new QRadioButton(QStringLiteral("Crescente"), frame);
        up->setObjectName(QStringLiteral("optOrder%1").arg(2 * i));
        up->setGeometry(comTwipsRect(2340, 270, 1500, 255));
        auto *down = new QRadioButton(QStringLiteral("Decrescente"), frame);
        down->setObjectName(QStringLiteral("optOrder%1").arg(2 * i + 1));
        down->setGeometry(comTwipsRect(2340, 570, 1500, 255));
        up->setChecked(true);
        optOrder[static_cast<size_t>(2 * i)] = up;
        optOrder[static_cast<size_t>(2 * i + 1)] = down;
        chain(up);
        chain(down);

        connect(list, &QComboBox::currentIndexChanged, this, [this, i] { cboGroups_Click(i); });
    }

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(comTwipsRect(ButtonLeft, 180, ButtonWidth, ButtonHeight));
    cmdCancel = new QPushButton(QStringLiteral("Annulla"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(comTwipsRect(ButtonLeft, 660, ButtonWidth, ButtonHeight));
    cmdClearAll = new QPushButton(QStringLiteral("Pulisci tutto"), this);
    cmdClearAll->setObjectName(QStringLiteral("cmdClearAll"));
    cmdClearAll->setGeometry(comTwipsRect(ButtonLeft, 1140, ButtonWidth, ButtonHeight));
    // Enter answers OK wherever the focus is; Esc is the dialog's own.
    cmdCancel->setAutoDefault(false);
    cmdClearAll->setAutoDefault(false);
    cmdOK->setDefault(true);

    connect(cmdOK, &QPushButton::clicked, this, &comfrmGridLevels::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &comfrmGridLevels::cmdCancel_Click);
    connect(cmdClearAll, &QPushButton::clicked, this, &comfrmGridLevels::cmdClearAll_Click);
}

comfrmGridLevels::~comfrmGridLevels() = default;

int comfrmGridLevels::LevelsBottom()
{
    return FrameTop + Levels * FrameStep + 60;
}

void comfrmGridLevels::FillLists(const std::vector<std::pair<QString, int>> &columns)
{
    for (QComboBox *list : cboGroups) {
        const QSignalBlocker quiet(list);
        list->clear();
        list->addItem(EmptyItem, 0);
        for (const auto &[text, index] : columns)
            list->addItem(text, index);
    }
    SetListIndex(0, 0);
}

void comfrmGridLevels::ShowKeys(const platform::GridKeyList &keys)
{
    const int shown = std::min(keys.count(), Levels);
    for (int k = 1; k <= shown; ++k) {
        const platform::GridKey key = keys.item(k);
        QComboBox *list = cboGroups[static_cast<size_t>(k - 1)];
        const int at = list->findData(key.column);
        if (at <= 0)
            return;
        SetListIndex(k - 1, at);
        const bool ascending = key.order == platform::SortOrder::Ascending;
        optOrder[static_cast<size_t>(2 * (k - 1) + (ascending ? 0 : 1))]->setChecked(true);
    }
}

bool comfrmGridLevels::Differs(const platform::GridKeyList &keys) const
{
    for (int i = 0; i < Levels; ++i) {
        const QComboBox *list = cboGroups[static_cast<size_t>(i)];
        if (list->currentIndex() <= 0) {
            if (keys.count() > i)
                return true;
            continue;
        }
        if (keys.count() < i + 1)
            return true;
        const platform::GridKey key = keys.item(i + 1);
        const auto order = optOrder[static_cast<size_t>(2 * i)]->isChecked() ? platform::SortOrder::Ascending
                                                                             : platform::SortOrder::Descending;
        if (key.column != list->currentData().toInt() || key.order != order)
            return true;
    }
    return false;
}

std::vector<platform::GridKey> comfrmGridLevels::ChosenKeys() const
{
    std::vector<platform::GridKey> chosen;
    for (int i = 0; i < Levels; ++i) {
        const QComboBox *list = cboGroups[static_cast<size_t>(i)];
        if (list->currentIndex() <= 0)
            continue;
        const auto order = optOrder[static_cast<size_t>(2 * i)]->isChecked() ? platform::SortOrder::Ascending
                                                                             : platform::SortOrder::Descending;
        chosen.push_back({list->currentData().toInt(), order});
    }
    return chosen;
}

void comfrmGridLevels::SetListIndex(int level, int index)
{
    QComboBox *list = cboGroups[static_cast<size_t>(level)];
    if (list->currentIndex() == index)
        cboGroups_Click(level);
    else
        list->setCurrentIndex(index);
}

void comfrmGridLevels::cboGroups_Click(int level)
{
    const bool empty = cboGroups[static_cast<size_t>(level)]->currentIndex() <= 0;
    QRadioButton *up = optOrder[static_cast<size_t>(2 * level)];
    QRadioButton *down = optOrder[static_cast<size_t>(2 * level + 1)];
    up->setEnabled(!empty);
    down->setEnabled(!empty);
    // Every change of column starts the level over in ascending order.
    up->setChecked(true);
    if (level + 1 >= Levels)
        return;
    QComboBox *next = cboGroups[static_cast<size_t>(level + 1)];
    if (empty) {
        SetListIndex(level + 1, 0);
        next->setEnabled(false);
    } else {
        next->setEnabled(true);
    }
}

void comfrmGridLevels::cmdClearAll_Click()
{
    SetListIndex(0, 0);
}

void comfrmGridLevels::cmdOK_Click()
{
    m_accepted = true;
    hide();
}

void comfrmGridLevels::cmdCancel_Click()
{
    hide();
}

#include "common/comfrmShowfields.h"

#include "common/comTwipsRect.h"
#include "platform/desktop/WindowPlacement.h"
#include "platform/grid/Grid.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace {

// Moves the selected item of `from` to the end of `to` and selects it
// there; in `from` the item now at its place is selected, or the one
// before it when it was the last.
void moveSelected(QListWidget *from, QListWidget *to)
{
    const int at = from->currentRow();
    if (at < 0)
        return;
    QListWidgetItem *item = from->takeItem(at);
    to->addItem(item);
    to->setCurrentItem(item);
    if (from->count() > 0)
        from->setCurrentRow(std::min(at, from->count() - 1));
}

} // namespace

comfrmShowfields::comfrmShowfields(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("comfrmShowfields"));
    setWindowTitle(QStringLiteral("Visualizza/Nascondi i Campi"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(comTwipsRect(0, 0, 7455, 4320).size());
    platform::keepOnScreen(this);

    lblAvail = new QLabel(QStringLiteral("Campi disponibili:"), this);
    lblAvail->setObjectName(QStringLiteral("lblAvail"));
    lblAvail->setGeometry(comTwipsRect(120, 120, 2415, 255));
    lstAvail = new QListWidget(this);
    lstAvail->setObjectName(QStringLiteral("lstAvail"));
    lstAvail->setGeometry(comTwipsRect(120, 405, 2415, 3255));

    cmdAdd = new QPushButton(QStringLiteral("Aggiungi ->"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdAdd->setGeometry(comTwipsRect(2655, 1275, 1215, 375));
    cmdRemove = new QPushButton(QStringLiteral("<- Elimina"), this);
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    cmdRemove->setGeometry(comTwipsRect(2655, 1770, 1215, 375));

    lblVisible = new QLabel(QStringLiteral("Mostra i campi nel seguente ordine:"), this);
    lblVisible->setObjectName(QStringLiteral("lblVisible"));
    lblVisible->setGeometry(comTwipsRect(3990, 120, 3345, 255));
    lstVisible = new QListWidget(this);
    lstVisible->setObjectName(QStringLiteral("lstVisible"));
    lstVisible->setGeometry(comTwipsRect(3990, 405, 2415, 3255));

    cmdUp = new QPushButton(QStringLiteral("Sù"), this);
    cmdUp->setObjectName(QStringLiteral("cmdUp"));
    cmdUp->setGeometry(comTwipsRect(6465, 1275, 405, 375));
    cmdDown = new QPushButton(QStringLiteral("Giù"), this);
    cmdDown->setObjectName(QStringLiteral("cmdDown"));
    cmdDown->setGeometry(comTwipsRect(6465, 1770, 405, 375));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(comTwipsRect(4785, 3810, 1215, 375));
    cmdCancel = new QPushButton(QStringLiteral("Annulla"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(comTwipsRect(6120, 3810, 1215, 375));
    for (QPushButton *b : {cmdAdd, cmdRemove, cmdUp, cmdDown, cmdOK, cmdCancel})
        b->setAutoDefault(false);

    setTabOrder(lstAvail, cmdAdd);
    setTabOrder(cmdAdd, cmdRemove);
    setTabOrder(cmdRemove, lstVisible);
    setTabOrder(lstVisible, cmdUp);
    setTabOrder(cmdUp, cmdDown);
    setTabOrder(cmdDown, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdAdd, &QPushButton::clicked, this, &comfrmShowfields::cmdAdd_Click);
    connect(lstAvail, &QListWidget::itemDoubleClicked, this, &comfrmShowfields::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &comfrmShowfields::cmdRemove_Click);
    connect(lstVisible, &QListWidget::itemDoubleClicked, this, &comfrmShowfields::cmdRemove_Click);
    connect(cmdUp, &QPushButton::clicked, this, &comfrmShowfields::cmdUp_Click);
    connect(cmdDown, &QPushButton::clicked, this, &comfrmShowfields::cmdDown_Click);
    // A click, or the arrow keys, in either list.
    connect(lstVisible, &QListWidget::currentRowChanged, this, &comfrmShowfields::UpdateButtons);
    connect(lstAvail, &QListWidget::currentRowChanged, this, &comfrmShowfields::UpdateButtons);
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        m_accepted = true;
        hide();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::hide);
}

comfrmShowfields::~comfrmShowfields() = default;

bool comfrmShowfields::ShowFields(platform::Grid &grid, QWidget *owner)
{
    comfrmShowfields dialog(owner ? owner : QApplication::activeWindow());
    dialog.Fill(grid);
    dialog.exec();
    if (!dialog.Accepted())
        return false;
    dialog.Apply(grid);
    return true;
}

void comfrmShowfields::Fill(platform::Grid &grid)
{
    m_accepted = false;
    const platform::GridColumns &columns = grid.columns();
    for (int p = 1; p <= columns.count(); ++p) {
        const platform::GridColumn *c = columns.atPosition(p);
        if (!c || c->key().isEmpty())
            continue;
        auto *item = new QListWidgetItem(c->key());
        item->setData(Qt::UserRole, c->index());
        (c->visible() ? lstVisible : lstAvail)->addItem(item);
    }
    if (lstAvail->count() > 0)
        lstAvail->setCurrentRow(0);
    if (lstVisible->count() > 0)
        lstVisible->setCurrentRow(0);
    UpdateButtons();
}

void comfrmShowfields::Apply(platform::Grid &grid) const
{
    for (int i = 0; i < lstAvail->count(); ++i) {
        if (platform::GridColumn *c = grid.column(lstAvail->item(i)->data(Qt::UserRole).toInt()))
            c->setVisible(false);
    }
    for (int i = 0; i < lstVisible->count(); ++i) {
        if (platform::GridColumn *c = grid.column(lstVisible->item(i)->data(Qt::UserRole).toInt())) {
            c->setVisible(true);
            c->setPosition(i + 1);
        }
    }
}

void comfrmShowfields::cmdAdd_Click()
{
    if (lstAvail->currentRow() >= 0)
        moveSelected(lstAvail, lstVisible);
    UpdateButtons();
}

void comfrmShowfields::cmdRemove_Click()
{
    // The last visible column stays.
    if (lstVisible->count() >= 2 && lstVisible->currentRow() >= 0)
        moveSelected(lstVisible, lstAvail);
    UpdateButtons();
}

void comfrmShowfields::cmdUp_Click()
{
    const int at = lstVisible->currentRow();
    if (at > 0) {
        QListWidgetItem *item = lstVisible->takeItem(at);
        lstVisible->insertItem(at - 1, item);
        lstVisible->setCurrentItem(item);
    }
    UpdateButtons();
}

void comfrmShowfields::cmdDown_Click()
{
    const int at = lstVisible->currentRow();
    if (at >= 0 && at < lstVisible->count() - 1) {
        QListWidgetItem *item = lstVisible->takeItem(at);
        lstVisible->insertItem(at + 1, item);
        lstVisible->setCurrentItem(item);
    }
    UpdateButtons();
}

void comfrmShowfields::UpdateButtons()
{
    const int visible = lstVisible->currentRow();
    cmdAdd->setEnabled(lstAvail->currentRow() >= 0);
    cmdRemove->setEnabled(visible >= 0);
    cmdUp->setEnabled(visible > 0);
    cmdDown->setEnabled(visible < lstVisible->count() - 1);
}

#include "common/comfrmGroupBy.h"

#include "common/comTwipsRect.h"
#include "platform/data/Recordset.h"
#include "platform/grid/Grid.h"
#include "platform/grid/GridColumn.h"

#include <QApplication>
#include <QScopeGuard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int ExpandHeight = 480;

// Whether rows can be grouped by a column: not by an image column, nor by
// a long text or binary field.
bool Raggruppabile(const platform::Grid &grid, const platform::GridColumn &column)
{
    if (column.kind() == platform::GridColumnKind::Image)
        return false;
    const platform::Recordset *rs = grid.recordset();
    const int field = column.fieldIndex();
    if (!rs || !rs->isOpen() || field < 0 || field >= rs->fieldCount())
        return true;
    const platform::DataType type = rs->fieldInfo(field).type.type();
    return type != platform::DataType::adLongVarWChar && type != platform::DataType::adLongVarBinary;
}

} // namespace

comfrmGroupBy::comfrmGroupBy(QWidget *parent)
    : comfrmGridLevels(QStringLiteral("Raggruppa"), QStringLiteral("Raggruppa per"), ExpandHeight, parent)
{
    setObjectName(QStringLiteral("comfrmGroupBy"));
    const int top = LevelsBottom();
    lblExpand = new QLabel(QStringLiteral("Espandi/Unisci:"), this);
    lblExpand->setObjectName(QStringLiteral("lblExpand"));
    lblExpand->setGeometry(comTwipsRect(240, top + 30, 1500, 255));
    cboExpand = new QComboBox(this);
    cboExpand->setObjectName(QStringLiteral("cboExpand"));
    cboExpand->setGeometry(comTwipsRect(1800, top, 2220, 315));
    cboExpand->addItem(QStringLiteral("Espandi tutto"), 0);
    cboExpand->addItem(QStringLiteral("Unisci tutto"), -1);
    lblExpand->setBuddy(cboExpand);
    setTabOrder(optOrder[2 * Levels - 1], cboExpand);
    setTabOrder(cboExpand, cmdOK);
}

comfrmGroupBy::~comfrmGroupBy() = default;

void comfrmGroupBy::GroupGrid(platform::Grid &grid, QWidget *owner)
{
    comfrmGroupBy dialog(owner ? owner : QApplication::activeWindow());
    dialog.cboExpand->setCurrentIndex(0);
    std::vector<std::pair<QString, int>> columns;
    for (int i = 1; i <= grid.columns().count(); ++i) {
        const platform::GridColumn *c = grid.columns().item(i);
        if (Raggruppabile(grid, *c))
            columns.emplace_back(c->listName(), c->index());
    }
    dialog.FillLists(columns);
    dialog.ShowKeys(grid.groups());
    dialog.cboGroups[0]->setFocus();
    dialog.exec();

    if (!dialog.Accepted() || !dialog.Differs(grid.groups()))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto normalCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    grid.groups().clear();
    for (const platform::GridKey &key : dialog.ChosenKeys())
        grid.groups().add(key.column, key.order);
    grid.reSort();
    if (dialog.cboExpand->currentData().toInt() == -1)
        grid.collapseAll();
    else
        grid.expandAll();
}

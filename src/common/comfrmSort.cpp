#include "common/comfrmSort.h"

#include "platform/desktop/DesktopServices.h"
#include "platform/grid/Grid.h"

#include <QApplication>
#include <QScopeGuard>
#include <QComboBox>
#include <QFocusEvent>
#include <QPushButton>
#include <QTimer>

comfrmSort::comfrmSort(QWidget *parent)
    : comfrmGridLevels(QStringLiteral("Ordina"), QStringLiteral("Ordina per"), 0, parent)
{
    setObjectName(QStringLiteral("comfrmSort"));
    // The first list is checked as the focus leaves it; a click on another
    // control that the check refuses must not act either.
    cboGroups[0]->installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>()) {
        if (w != cboGroups[0])
            w->installEventFilter(this);
    }
}

comfrmSort::~comfrmSort() = default;

void comfrmSort::SortGrid(platform::Grid &grid, QWidget *owner)
{
    comfrmSort dialog(owner ? owner : QApplication::activeWindow());
    std::vector<std::pair<QString, int>> columns;
    for (int i = 1; i <= grid.columns().count(); ++i) {
        const platform::GridColumn *c = grid.columns().item(i);
        columns.emplace_back(c->key(), c->index());
    }
    dialog.FillLists(columns);
    dialog.ShowKeys(grid.sortKeys());
    dialog.cboGroups[0]->setFocus();
    dialog.exec();

    if (!dialog.Accepted() || !dialog.Differs(grid.sortKeys()))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto normalCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    grid.sortKeys().clear();
    for (const platform::GridKey &key : dialog.ChosenKeys())
        grid.sortKeys().add(key.column, key.order);
    grid.reSort();
}

bool comfrmSort::cboGroups_Validate(QWidget *next)
{
    if (cboGroups[0]->currentIndex() > 0)
        return true;
    // Annulla leaves without anything to check.
    if (next == cmdCancel)
        return true;
    // The message and the way back to the list come once the focus change
    // that is under way has finished.
    QTimer::singleShot(0, this, [this] {
        platform::desktop().msgBox(NoKeyText, platform::vbOKOnly);
        cboGroups[0]->setFocus(Qt::OtherFocusReason);
    });
    return false;
}

bool comfrmSort::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cboGroups[0] && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        QWidget *next = QApplication::focusWidget();
        // Only a move to another control of this dialog counts: not a popup,
        // another window, or the dialog closing.
        const bool toControl = next && next != cboGroups[0] && isAncestorOf(next)
            && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
        if (toControl && !cboGroups_Validate(next) && reason == Qt::MouseFocusReason) {
            // The press that moved the focus goes no further.
            m_swallowPress = true;
            QTimer::singleShot(0, this, [this] { m_swallowPress = false; });
        }
        return false;
    }
    if (m_swallowPress && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        m_swallowPress = false;
        return true;
    }
    return comfrmGridLevels::eventFilter(watched, event);
}

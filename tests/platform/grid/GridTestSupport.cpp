#include "GridTestSupport.h"

#include <QApplication>
#include <QTableView>
#include <QTest>

namespace gridtest {

void SampleGridTest::bind(platform::Grid &target, const QString &source)
{
    target.setConnectionString(connectionString());
    target.setRecordSource(source);
    target.rebind();
}

void showAndFocus(platform::Grid &grid)
{
    if (!grid.isVisible()) {
        grid.resize(900, 400);
        grid.show();
    }
    QApplication::setActiveWindow(grid.window());
    grid.view()->setFocus();
    QApplication::processEvents();
}

QWidget *focused()
{
    return QApplication::focusWidget();
}

void doubleClick(QWidget *widget, const QPoint &at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QApplication::processEvents();
}

void typeText(const QString &text)
{
    for (const QChar c : text) {
        QWidget *target = QApplication::focusWidget();
        if (!target)
            return;
        QTest::keyClick(target, c.toLatin1());
    }
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    if (QWidget *target = QApplication::focusWidget())
        QTest::keyClick(target, key, modifiers);
    QApplication::processEvents();
}

void typeIntoCell(platform::Grid &grid, int row, int column, const QString &text, Qt::Key then)
{
    showAndFocus(grid);
    grid.setRow(row);
    grid.setCol(column);
    grid.view()->setFocus();
    typeText(text);
    pressKey(then);
}

} // namespace gridtest
